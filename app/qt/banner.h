// The banner picture: a dark 796 x 570 picture with the product's logo, drawn by the program
// itself. Image1 stretches it to its box, so its proportions change on screen.
#pragma once

#include <QImage>

namespace app {

inline constexpr int kBannerWidth = 796;
inline constexpr int kBannerHeight = 570;

QImage bannerPicture();

// The program's icon: the banner's seal alone, drawn by the same code, size x size pixels
// on a transparent ground.
QImage iconPicture(int size);
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 256};

}  // namespace app
