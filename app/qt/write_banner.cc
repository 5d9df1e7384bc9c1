// Writes the banner picture as drawn on Linux to a Windows bitmap file, the one the Win32
// front end embeds (24 bits per pixel, uncompressed, 3780 pixels per metre, 96 dpi), and the
// program's icon, the banner's seal, to a Windows icon file at 16, 24, 32, 48 and 256 pixels
// (32-bit bitmaps with an alpha channel; the 256-pixel one as PNG, as Windows stores it).
//   tarvo-write-banner BANNER.bmp ICON.ico   (QT_QPA_PLATFORM=offscreen without a display)
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <QBuffer>
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

// One icon image as a DIB: its header (height doubled for the mask), the colours bottom-up
// with alpha, then the 1-bit mask, set where the picture is transparent.
std::string iconBitmap(const QImage& picture) {
  const int size = picture.width();
  const std::uint32_t maskStride = ((static_cast<std::uint32_t>(size) + 31) / 32) * 4;
  const std::uint32_t bytes = static_cast<std::uint32_t>(size * size * 4) + maskStride * size;
  std::string out;
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(size));
  put32(out, static_cast<std::uint32_t>(size * 2));
  put16(out, 1);
  put16(out, 32);
  put32(out, 0);
  put32(out, bytes);
  for (int i = 0; i < 4; ++i) put32(out, 0);
  for (int y = size - 1; y >= 0; --y)
    for (int x = 0; x < size; ++x) {
      const QRgb c = picture.pixel(x, y);  // ARGB32, not premultiplied, as a DIB holds it
      out += static_cast<char>(qBlue(c));
      out += static_cast<char>(qGreen(c));
      out += static_cast<char>(qRed(c));
      out += static_cast<char>(qAlpha(c));
    }
  for (int y = size - 1; y >= 0; --y) {
    std::string row(maskStride, '\0');
    for (int x = 0; x < size; ++x)
      if (qAlpha(picture.pixel(x, y)) == 0) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    out += row;
  }
  return out;
}

std::string iconFile() {
  std::vector<std::string> images;
  for (const int size : app::kIconSizes) {
    const QImage picture = app::iconPicture(size).convertToFormat(QImage::Format_ARGB32);
    if (size < 256) {
      images.push_back(iconBitmap(picture));
    } else {
      QByteArray png;
      QBuffer buffer(&png);
      buffer.open(QIODevice::WriteOnly);
      picture.save(&buffer, "PNG");
      images.emplace_back(png.constData(), static_cast<size_t>(png.size()));
    }
  }
  std::string out;
  put16(out, 0);
  put16(out, 1);  // an icon
  put16(out, static_cast<std::uint16_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int size = app::kIconSizes[i];
    out += static_cast<char>(size >= 256 ? 0 : size);  // 0 stands for 256
    out += static_cast<char>(size >= 256 ? 0 : size);
    out += '\0';  // no palette
    out += '\0';
    put16(out, 1);
    put16(out, 32);
    put32(out, static_cast<std::uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out += image;
  return out;
}

bool writeFile(const char* path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) std::fprintf(stderr, "tarvo-write-banner: cannot write %s\n", path);
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tarvo-write-banner BANNER.bmp ICON.ico\n");
    return 2;
  }
  QGuiApplication application(argc, argv);  // the pictures' text needs the font system
  const bool written = writeFile(argv[1], bitmapFile(app::bannerPicture())) && writeFile(argv[2], iconFile());
  return written ? 0 : 1;
}
