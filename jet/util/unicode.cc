#include "jet/util/unicode.h"

namespace jet {

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::u16string fromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    uint8_t b = static_cast<uint8_t>(text[i]);
    uint32_t c;
    size_t need;
    if (b < 0x80) {
      c = b;
      need = 0;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      need = 1;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      need = 2;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      need = 3;
    } else {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    size_t j = 1;
    for (; j <= need; ++j) {
      if (i + j >= text.size() || (static_cast<uint8_t>(text[i + j]) & 0xC0) != 0x80) break;
      c = (c << 6) | (static_cast<uint8_t>(text[i + j]) & 0x3F);
    }
    if (j <= need) {
      out.push_back(u'\uFFFD');
      i += j;
      continue;
    }
    i += need + 1;
    static constexpr uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[need] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(u'\uFFFD');
    } else if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

std::u16string foldCase(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out) c = foldCase(c);
  return out;
}

std::string pathText(const std::filesystem::path& path) {
#ifdef _WIN32
  return toUtf8(path.u16string());
#else
  return path.string();  // the native bytes, UTF-8 by convention, passed on unchanged
#endif
}

std::filesystem::path pathFromUtf8(std::string_view text) {
#ifdef _WIN32
  return std::filesystem::path(fromUtf8(text));
#else
  return std::filesystem::path(std::string(text));
#endif
}

}  // namespace jet
