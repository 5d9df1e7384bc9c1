#include "app/win32/banner.h"

#include "app/win32/resource_ids.h"

namespace app::win32 {

BannerPicture::BannerPicture() {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(TARVO_BANNER_BITMAP), MAKEINTRESOURCEW(2));
  if (found == nullptr) return;
  HGLOBAL data = LoadResource(self, found);
  const DWORD size = SizeofResource(self, found);
  const auto* bytes = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
  if (bytes == nullptr || size < sizeof(BITMAPINFOHEADER)) return;
  // Only the form we store is accepted: 24 bits, uncompressed, no palette, fully present.
  const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes);
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biBitCount != 24 ||
      h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1)
    return;
  const unsigned long long stride = ((static_cast<unsigned long long>(h.biWidth) * 3 + 3) / 4) * 4;
  const long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  if (h.biSize + stride * static_cast<unsigned long long>(rows) > size) return;
  header_ = info;
  pixels_ = bytes + h.biSize;
}

int BannerPicture::width() const { return header_ ? header_->bmiHeader.biWidth : 0; }
int BannerPicture::height() const {
  if (!header_) return 0;
  const LONG h = header_->bmiHeader.biHeight;
  return h < 0 ? -h : h;
}

void BannerPicture::draw(HDC dc, const RECT& box) const {
  if (!loaded()) return;
  // HALFTONE averages the pixels a shrink drops, as a photograph needs.
  const int oldMode = SetStretchBltMode(dc, HALFTONE);
  POINT oldOrigin;
  SetBrushOrgEx(dc, 0, 0, &oldOrigin);
  StretchDIBits(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, 0, 0,
                width(), height(), pixels_, header_, DIB_RGB_COLORS, SRCCOPY);
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  SetStretchBltMode(dc, oldMode);
}

}  // namespace app::win32
