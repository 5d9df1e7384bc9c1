// The window's fonts. The stored layout names Windows faces; each is mapped to a face with
// matching metrics that Debian ships (fonts-liberation), keeping the Windows face as a
// fallback where that one is missing. Sizes are fixed in pixels because the layout is.
#pragma once

#include <QFont>

namespace app {

enum class FontFace {
  kMsSansSerif,  // buttons and group box captions
  kArial,        // text boxes, result labels, instruction lines
  kArialNarrow,  // banner title and maker's notice
};

struct FontStyle {
  FontFace face;
  double points;
  bool italic = false;
  bool underline = false;
};

// Every font of the window is bold.
QFont windowFont(const FontStyle& style);

}  // namespace app
