#include "app/layout.h"

#include <algorithm>
#include <stdexcept>

#include "app/website.h"

namespace app::layout {
namespace {

constexpr FontStyle kButtonFont{FontFace::kMsSansSerif, 13.5};
constexpr FontStyle kFrameFont{FontFace::kMsSansSerif, 9.75};
constexpr FontStyle kResultsFont{FontFace::kArial, 9};
constexpr FontStyle kInstructionFont{FontFace::kArial, 8.25};
constexpr FontStyle kTitleFont{FontFace::kArialNarrow, 11.25, false, true};
constexpr FontStyle kNoticeFont{FontFace::kArialNarrow, 8.25, true, false};

std::vector<Control> makeControls() {
  const std::string site = kWebsiteAddress;
  const std::string window = kWindowName;
  auto label = [](std::string name, std::string container, TwipsRect rect, std::string caption,
                  FontStyle font, Colour colour, Align align, int tab) {
    return Control{std::move(name), Kind::kLabel, std::move(container), rect, std::move(caption),
                   font, colour, align, false, false, tab};
  };
  auto textBox = [](std::string name, TwipsRect rect, int tab) {
    return Control{std::move(name), Kind::kTextBox, "Frame2", rect, {}, kResultsFont,
                   kButtonText, Align::kLeft, true, true, tab};
  };
  auto button = [&](std::string name, TwipsRect rect, std::string caption, int tab) {
    return Control{std::move(name), Kind::kPushButton, window, rect, std::move(caption),
                   kButtonFont, kButtonText, Align::kCenter, true, false, tab};
  };
  auto group = [](std::string name, std::string container, TwipsRect rect, std::string caption,
                  int tab) {
    return Control{std::move(name), Kind::kGroupBox, std::move(container), rect,
                   std::move(caption), kFrameFont, kBlue, Align::kLeft, true, false, tab};
  };
  // Label1(6) down to Label1(0), as stored.
  const std::string lines[7] = {
      "This program will extract data from your Tarvo Database (tarvo.mdb) and create a small "
      "file you will upload to the Tarvo On-Line Certificates Website (" + site + ").",
      "1. You must first visit " + site + ", register, and select a subscription plan.",
      "2. Then run this program and select your Tarvo database (tarvo.mdb).",
      "3. Log in to " + site + " and upload the file this program produces.",
      "4. Tell your students to visit " + site +
          ", enter their email address and print their certificates.",
      "All of your certtificates will be generated and become available online using the "
      "student's email address. ",
      "Your students can now print their own certificates using their own paper and ink on "
      "their own printers.",
  };
  constexpr TwipsRect kLineRects[7] = {
      {240, 300, 8865, 555},  {480, 780, 6675, 255},  {480, 1020, 6555, 255},
      {480, 1260, 6615, 255}, {480, 1500, 8235, 255}, {240, 1800, 8805, 225},
      {240, 2070, 8685, 255},
  };
  constexpr int kLineTabs[7] = {2, 3, 8, 9, 10, 11, 12};

  std::vector<Control> c;
  c.push_back(Control{"ProgressBar1", Kind::kProgressBar, window, {2190, 7830, 4515, 285}, {},
                      kResultsFont, kButtonText, Align::kLeft, true, false, 20});
  c.push_back(button("cmdRUN", {6840, 7620, 1905, 675}, "START", 6));
  c.push_back(button("cmdEND", {330, 7620, 1695, 675}, "EXIT", 5));
  c.push_back(group("Frame1", window, {30, 3780, 9105, 3705},
                    " Instructions for Extracting Your On-Line Certificates File ", 1));
  c.push_back(group("Frame2", "Frame1", {810, 2370, 7485, 1245}, "Results Appear Here ", 13));
  c.push_back(textBox("txtResults", {1770, 840, 1515, 270}, 19));
  c.push_back(textBox("txtUploadFileDirectory", {1770, 540, 5445, 270}, 18));
  c.push_back(textBox("txtUploadFileName", {1770, 240, 5445, 270}, 17));
  c.push_back(label("Label2", "Frame2", {60, 300, 1635, 255}, "FIle Located in:", kResultsFont,
                    kBlack, Align::kRight, 16));
  c.push_back(label("lblResults", "Frame2", {90, 900, 1605, 255}, "Records Found:",
                    kResultsFont, kBlack, Align::kRight, 15));
  c.push_back(label("Label6", "Frame2", {60, 600, 1635, 255}, "File Generated:", kResultsFont,
                    kBlack, Align::kRight, 14));
  for (int index = 6; index >= 0; --index)
    c.push_back(label("Label1_" + std::to_string(index), "Frame1", kLineRects[index],
                      lines[index], kInstructionFont, kButtonText, Align::kLeft,
                      kLineTabs[index]));
  c.push_back(label("Label5", window, {2310, 2460, 5235, 315},
                    "DATA EXTRACTION FOR ONLINE CERTIFICATES", kTitleFont, kWhite,
                    Align::kCenter, 4));
  c.push_back(Control{"Image1", Kind::kPicture, window, {1410, 0, 6300, 3750}, {}, {},
                      kButtonText, Align::kLeft, true, false, -1});
  Control notice = label("Label3", window, {2700, 8220, 3465, 225}, platform::kCopyright, kNoticeFont,
                         kButtonText, Align::kCenter, 7);
  notice.fitOneLine = true;
  c.push_back(std::move(notice));
  Control panel = label("Label4", window, {0, 7470, 9105, 975}, {}, kInstructionFont,
                        kButtonText, Align::kLeft, 0);
  panel.opaque = true;
  panel.sunkenBorder = true;
  c.push_back(std::move(panel));
  c.push_back(Control{"Shape1", Kind::kRectangle, window, {0, 0, 9135, 3765}, {}, {}, kBlack,
                      Align::kLeft, true, false, -1});
  return c;
}

void appendContents(const std::string& container, std::vector<const Control*>& out) {
  std::vector<const Control*> windowless, windowed;
  for (const Control& c : controls())
    if (c.container == container) (isWindowed(c.kind) ? windowed : windowless).push_back(&c);
  // Stored order is front to back; walk it backwards.
  for (auto group : {&windowless, &windowed})
    for (auto it = group->rbegin(); it != group->rend(); ++it) {
      out.push_back(*it);
      if ((*it)->kind == Kind::kGroupBox) appendContents((*it)->name, out);
    }
}

}  // namespace

std::span<const Control> controls() {
  static const std::vector<Control> table = makeControls();
  return table;
}

const Control& control(std::string_view name) {
  for (const Control& c : controls())
    if (c.name == name) return c;
  throw std::out_of_range("no control named " + std::string(name));
}

TwipsRect clientRect(const Control& c) {
  TwipsRect rect = c.rect;
  // Containers nest at most a few deep; the table has no cycles (checked by its tests).
  for (const Control* outer = &c; outer->container != kWindowName;) {
    outer = &control(outer->container);
    rect.left += outer->rect.left;
    rect.top += outer->rect.top;
  }
  return rect;
}

std::vector<const Control*> tabOrder() {
  std::vector<const Control*> order;
  for (const Control& c : controls())
    if (takesFocus(c.kind)) order.push_back(&c);
  std::ranges::sort(order, {}, &Control::tabIndex);
  return order;
}

std::vector<const Control*> backToFront() {
  std::vector<const Control*> order;
  appendContents(kWindowName, order);
  return order;
}

}  // namespace app::layout
