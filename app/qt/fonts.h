// The window's fonts. The stored layout names Windows faces; each is mapped to a face with
// matching metrics that Debian ships (fonts-liberation), keeping the Windows face as a
// fallback where that one is missing. Sizes are fixed in pixels because the layout is.
#pragma once

#include <QFont>

#include "app/layout.h"

namespace app {

// Every font of the window is bold.
QFont windowFont(const layout::FontStyle& style);

}  // namespace app
