// The stored layout is in twips; the Qt window is laid out in pixels at 96 dots per inch.
#pragma once

#include <QRect>

#include "app/layout.h"

namespace app {

inline constexpr int kDotsPerInch = 96;

constexpr int twipsToPixels(int twips) { return layout::toPixels(twips, kDotsPerInch); }

inline QRect twipsRect(const layout::TwipsRect& r) {
  return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
               twipsToPixels(r.height));
}

constexpr int pointsToPixels(double points) {
  return layout::pointsToPixels(points, kDotsPerInch);
}

}  // namespace app
