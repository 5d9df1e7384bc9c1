// The stored layout is in twips; the window is laid out in pixels at 96 dots per inch.
#pragma once

#include <QRect>

namespace app {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
  return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}

// Left, Top, Width, Height of a control's outer rectangle, as stored.
inline QRect twipsRect(int left, int top, int width, int height) {
  return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
               twipsToPixels(height));
}

// Font sizes are stored in points; at 96 dpi a point is 4/3 of a pixel.
constexpr int pointsToPixels(double points) { return static_cast<int>(points * 96.0 / 72.0 + 0.5); }

}  // namespace app
