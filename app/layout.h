// frmMain as stored, free of any window toolkit: every visible control with its kind,
// container, rectangle in twips, caption, font, colour, alignment, tab index and stacking.
// The Qt and the Win32 front ends both render this one table, so a change to the layout is
// made here once. CommonDialog1 takes no room and the data control is never shown, so
// neither is listed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/version.h"

namespace app::layout {

inline constexpr char kWindowName[] = "frmMain";
inline constexpr char kWindowCaption[] = "Tarvo Certificate Data Extractor v" TARVO_VERSION;
// The client area, in twips (609 x 565 pixels at 96 dots per inch).
inline constexpr int kClientWidth = 9135;
inline constexpr int kClientHeight = 8475;
inline constexpr int kTwipsPerInch = 1440;

enum class Kind { kProgressBar, kPushButton, kGroupBox, kTextBox, kLabel, kPicture, kRectangle };

// Windowed controls always stand in front of the windowless items (labels, picture,
// rectangle) of their container.
constexpr bool isWindowed(Kind kind) {
  return kind == Kind::kProgressBar || kind == Kind::kPushButton || kind == Kind::kGroupBox ||
         kind == Kind::kTextBox;
}
// Labels, group boxes and the progress bar never take the keyboard focus.
constexpr bool takesFocus(Kind kind) { return kind == Kind::kPushButton || kind == Kind::kTextBox; }

enum class FontFace {
  kMsSansSerif,  // buttons and group box captions
  kArial,        // text boxes, result labels, instruction lines
  kArialNarrow,  // banner title and maker's notice
};

// Every font of the window is bold.
struct FontStyle {
  FontFace face = FontFace::kArial;
  double points = 8.25;
  bool italic = false;
  bool underline = false;
};

// A colour of its own, or the platform's colour for dialog text.
struct Colour {
  bool buttonText = false;
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};
inline constexpr Colour kButtonText{true};
inline constexpr Colour kBlack{false, 0, 0, 0};
inline constexpr Colour kWhite{false, 255, 255, 255};
inline constexpr Colour kBlue{false, 0, 0, 255};

enum class Align { kLeft, kCenter, kRight };

// Left, Top, Width, Height of a control's outer rectangle.
struct TwipsRect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

struct Control {
  std::string name;       // the elements of the Label1 array are Label1_0 to Label1_6
  Kind kind;
  std::string container;  // kWindowName, or the name of the group box holding it
  TwipsRect rect;         // relative to the container's top-left corner
  std::string caption;    // UTF-8; the banner picture and the rectangle have none
  FontStyle font;
  Colour colour;          // text (labels, group box captions) or fill (rectangle)
  Align align = Align::kLeft;
  bool opaque = false;    // labels: paints its own background (else the items behind show)
  bool sunkenBorder = false;
  int tabIndex = -1;      // as stored; -1 for the picture and the rectangle
  // Labels: one line that must show whole. Where the face in use is wider than the face
  // the layout names, the text is drawn narrower or smaller until it fits the width.
  bool fitOneLine = false;
};

// In stored order, which is also the front-to-back order of the windowless items that
// share a container: the first listed is drawn on top.
std::span<const Control> controls();
// Throws std::out_of_range for a name that is not in the table.
const Control& control(std::string_view name);

// The control's rectangle in the window's client area (its containers' offsets added).
TwipsRect clientRect(const Control& c);

// The controls that take the keyboard focus, in tab order: the first gets the focus when
// the window opens.
std::vector<const Control*> tabOrder();

// Every control once, each container before its contents and, within a container, from
// the back to the front: its windowless items, then its windowed controls.
std::vector<const Control*> backToFront();

// Twips to device pixels at dotsPerInch (96 gives twips / 15), rounded to nearest.
constexpr int toPixels(int twips, int dotsPerInch) {
  const long long scaled = static_cast<long long>(twips) * dotsPerInch;
  return static_cast<int>((scaled + (scaled >= 0 ? kTwipsPerInch / 2 : -kTwipsPerInch / 2)) /
                          kTwipsPerInch);
}
// A font's height in device pixels at dotsPerInch.
constexpr int pointsToPixels(double points, int dotsPerInch) {
  return static_cast<int>(points * dotsPerInch / 72.0 + 0.5);
}

}  // namespace app::layout
