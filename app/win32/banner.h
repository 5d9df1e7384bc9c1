// Image1's picture: the banner bitmap stored in the program's resources (the Linux front
// end's drawing, written once by tarvo-write-banner), stretched to its box like the stored
// picture, so its proportions change.
#pragma once

#include <windows.h>

namespace app::win32 {

class BannerPicture {
 public:
  BannerPicture();  // finds the bitmap in the program's own resources
  bool loaded() const { return header_ != nullptr; }
  int width() const;
  int height() const;
  // Draws the whole picture into box; nothing when the resource is missing.
  void draw(HDC dc, const RECT& box) const;

 private:
  const BITMAPINFO* header_ = nullptr;
  const void* pixels_ = nullptr;
};

}  // namespace app::win32
