// The banner picture: a dark 796 x 570 picture with the product's logo, drawn by the program
// itself. Image1 stretches it to its box, so its proportions change on screen.
#pragma once

#include <QImage>

namespace app {

inline constexpr int kBannerWidth = 796;
inline constexpr int kBannerHeight = 570;

QImage bannerPicture();

}  // namespace app
