#include "app/win32/fonts.h"

#include <algorithm>
#include <cwchar>

namespace app::win32 {
namespace {

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool faceInstalled(const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

const wchar_t* firstInstalled(std::initializer_list<const wchar_t*> faces) {
  for (const wchar_t* face : faces)
    if (faceInstalled(face)) return face;
  return nullptr;
}

LOGFONTW logFont(const wchar_t* face, const layout::FontStyle& style, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -layout::pointsToPixels(style.points, dpi);
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = style.italic;
  lf.lfUnderline = style.underline;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

// Arial Narrow's letters are about 82 % as wide as Arial's.
HFONT narrowedFont(const wchar_t* face, const layout::FontStyle& style, int dpi) {
  LOGFONTW lf = logFont(face, style, dpi);
  HFONT regular = CreateFontIndirectW(&lf);
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, regular);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  DeleteObject(regular);
  lf.lfWidth = MulDiv(metrics.tmAveCharWidth, 82, 100);
  return CreateFontIndirectW(&lf);
}

}  // namespace

const wchar_t* installedFace(layout::FontFace face) {
  switch (face) {
    case layout::FontFace::kMsSansSerif: {
      static const wchar_t* found = firstInstalled(
          {L"Microsoft Sans Serif", L"Arial", L"Liberation Sans", L"MS Sans Serif"});
      return found ? found : L"MS Sans Serif";
    }
    case layout::FontFace::kArial: {
      static const wchar_t* found = firstInstalled({L"Arial", L"Liberation Sans"});
      return found ? found : L"Arial";
    }
    case layout::FontFace::kArialNarrow: {
      static const wchar_t* found =
          firstInstalled({L"Arial Narrow", L"Liberation Sans Narrow"});
      return found;  // none: made from Arial
    }
  }
  return L"Arial";
}

Fonts::~Fonts() {
  for (const Made& m : made_) DeleteObject(m.font);
  for (HFONT f : fitted_) DeleteObject(f);
}

HFONT Fonts::fitted(const layout::FontStyle& style, const std::wstring& text, int width) {
  HFONT font = this->font(style);
  HDC screen = GetDC(nullptr);
  auto widthWith = [&](HFONT f) {
    const HGDIOBJ old = SelectObject(screen, f);
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, old);
    return static_cast<int>(size.cx);
  };
  int drawn = widthWith(font);
  if (drawn > width && width > 0) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    const HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    // Letters narrower in proportion first; below 70 % of their width, smaller as well.
    const int average = lf.lfWidth > 0 ? lf.lfWidth : static_cast<int>(metrics.tmAveCharWidth);
    const int narrowest = std::max(1, average * 70 / 100);
    lf.lfWidth = std::max(narrowest, MulDiv(average, width, drawn));
    for (int attempt = 0; attempt < 40 && drawn > width; ++attempt) {
      HFONT candidate = CreateFontIndirectW(&lf);
      drawn = widthWith(candidate);
      if (drawn <= width) {
        fitted_.push_back(candidate);
        font = candidate;
        break;
      }
      DeleteObject(candidate);
      if (lf.lfWidth > narrowest) {
        --lf.lfWidth;
      } else if (lf.lfHeight < -6) {
        // A negative height: one pixel smaller, the width in proportion.
        lf.lfWidth = std::max(1, MulDiv(lf.lfWidth, -lf.lfHeight - 1, -lf.lfHeight));
        ++lf.lfHeight;
      } else {
        break;
      }
    }
  }
  ReleaseDC(nullptr, screen);
  return font;
}

HFONT Fonts::font(const layout::FontStyle& style) {
  for (const Made& m : made_)
    if (m.style.face == style.face && m.style.points == style.points &&
        m.style.italic == style.italic && m.style.underline == style.underline)
      return m.font;
  const wchar_t* face = installedFace(style.face);
  HFONT font = nullptr;
  if (face != nullptr) {
    const LOGFONTW lf = logFont(face, style, dpi_);
    font = CreateFontIndirectW(&lf);
  } else {
    font = narrowedFont(installedFace(layout::FontFace::kArial), style, dpi_);
  }
  made_.push_back({style, font});
  return font;
}

}  // namespace app::win32
