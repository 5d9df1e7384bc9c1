// Writes the banner picture as drawn on Linux to a Windows bitmap file, the one the Win32
// front end embeds: 24 bits per pixel, uncompressed, 3780 pixels per metre (96 dpi).
//   tarvo-write-banner OUT.bmp      (QT_QPA_PLATFORM=offscreen where there is no display)
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include <QGuiApplication>
#include <QImage>

#include "app/qt/banner.h"

namespace {

void put16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  put16(out, static_cast<std::uint16_t>(v >> 16));
}

std::string bitmapFile(const QImage& picture) {
  const int width = picture.width(), height = picture.height();
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t pixels = stride * static_cast<std::uint32_t>(height);
  std::string out;
  out += "BM";
  put32(out, 14 + 40 + pixels);
  put32(out, 0);
  put32(out, 14 + 40);
  put32(out, 40);  // BITMAPINFOHEADER
  put32(out, static_cast<std::uint32_t>(width));
  put32(out, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
  put16(out, 1);
  put16(out, 24);
  put32(out, 0);  // BI_RGB
  put32(out, pixels);
  put32(out, 3780);
  put32(out, 3780);
  put32(out, 0);
  put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const QRgb c = picture.pixel(x, y);
      row += static_cast<char>(qBlue(c));
      row += static_cast<char>(qGreen(c));
      row += static_cast<char>(qRed(c));
    }
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarvo-write-banner OUT.bmp\n");
    return 2;
  }
  QGuiApplication application(argc, argv);  // the picture's text needs the font system
  const std::string bytes = bitmapFile(app::bannerPicture());
  std::ofstream file(argv[1], std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "tarvo-write-banner: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
