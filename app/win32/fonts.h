// The window's fonts at its DPI, all bold and Western. The layout names Windows faces; where
// a face is missing (Arial Narrow comes with Office, not with every Windows; Wine has none
// of them) a face with the same metrics is taken, and Arial Narrow is made from Arial drawn
// narrower as a last resort. MS Sans Serif is asked for as Microsoft Sans Serif, its
// outline version, because the old bitmap face cannot scale with the DPI.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/layout.h"

namespace app::win32 {

class Fonts {
 public:
  explicit Fonts(int dpi) : dpi_(dpi) {}
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // Made on first use; valid while this object lives. A DPI change makes a new Fonts,
  // hands its fonts to the controls and only then lets the old one go.
  HFONT font(const layout::FontStyle& style);
  // font(style), or where `text` is wider than `width` pixels with it, the same face drawn
  // narrower, and smaller once narrowing alone would make it unreadable, until it fits.
  HFONT fitted(const layout::FontStyle& style, const std::wstring& text, int width);
  int dpi() const { return dpi_; }

 private:
  struct Made {
    layout::FontStyle style;
    HFONT font;
  };
  int dpi_;
  std::vector<Made> made_;
  std::vector<HFONT> fitted_;
};

// The face a font of this style is made with on this system.
const wchar_t* installedFace(layout::FontFace face);

}  // namespace app::win32
