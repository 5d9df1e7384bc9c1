// The stored layout as a table, before any toolkit renders it: containers, places, tab order
// and stacking, and the twips-to-pixels rule both front ends use.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/layout.h"

namespace {

namespace layout = app::layout;

std::vector<std::string> names(const std::vector<const layout::Control*>& controls) {
  std::vector<std::string> out;
  for (const layout::Control* c : controls) out.push_back(c->name);
  return out;
}

TEST(LayoutTable, EveryControlOnceInsideItsContainer) {
  std::set<std::string> seen;
  for (const layout::Control& c : layout::controls()) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(seen.insert(c.name).second) << "listed twice";
    int width = layout::kClientWidth, height = layout::kClientHeight;
    if (c.container != layout::kWindowName) {
      const layout::Control& box = layout::control(c.container);
      EXPECT_EQ(box.kind, layout::Kind::kGroupBox);
      width = box.rect.width;
      height = box.rect.height;
    }
    EXPECT_GE(c.rect.left, 0);
    EXPECT_GE(c.rect.top, 0);
    EXPECT_LE(c.rect.right(), width);
    EXPECT_LE(c.rect.bottom(), height);
  }
  EXPECT_EQ(seen.size(), 23u);
  EXPECT_THROW(layout::control("Adodc1"), std::out_of_range);
}

TEST(LayoutTable, NestedPlacesAddUp) {
  EXPECT_EQ(layout::clientRect(layout::control("Frame1")), (layout::TwipsRect{30, 3780, 9105, 3705}));
  EXPECT_EQ(layout::clientRect(layout::control("Frame2")), (layout::TwipsRect{840, 6150, 7485, 1245}));
  EXPECT_EQ(layout::clientRect(layout::control("txtResults")),
            (layout::TwipsRect{840 + 1770, 6150 + 840, 1515, 270}));
  EXPECT_EQ(layout::clientRect(layout::control("Label1_0")), (layout::TwipsRect{270, 4080, 8865, 555}));
}

TEST(LayoutTable, TabOrderAsStored) {
  EXPECT_EQ(names(layout::tabOrder()),
            (std::vector<std::string>{"cmdEND", "cmdRUN", "txtUploadFileName",
                                      "txtUploadFileDirectory", "txtResults"}));
  std::set<int> indexes;
  for (const layout::Control& c : layout::controls())
    if (c.tabIndex >= 0) {
      EXPECT_TRUE(indexes.insert(c.tabIndex).second) << c.name;
    }
  EXPECT_EQ(indexes.size(), 21u);  // 0 to 20: every control but the picture and the band
  EXPECT_EQ(*indexes.rbegin(), 20);
}

TEST(LayoutTable, BackToFrontPutsContainersFirstAndWindowedControlsInFront) {
  const std::vector<std::string> order = names(layout::backToFront());
  ASSERT_EQ(order.size(), layout::controls().size());
  auto at = [&](const std::string& name) {
    return std::find(order.begin(), order.end(), name) - order.begin();
  };
  // The window's windowless items: the last stored at the back.
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 5),
            (std::vector<std::string>{"Shape1", "Label4", "Label3", "Image1", "Label5"}));
  for (const layout::Control& c : layout::controls()) {
    SCOPED_TRACE(c.name);
    if (c.container != layout::kWindowName) {
      EXPECT_LT(at(c.container), at(c.name));
    }
  }
  EXPECT_LT(at("Label4"), at("cmdEND"));  // buttons and bar in front of the bottom panel
  EXPECT_LT(at("Label4"), at("ProgressBar1"));
  EXPECT_LT(at("Label2"), at("txtUploadFileName"));
}

// No caption carries an access key: a '&' would make one on either platform.
TEST(LayoutTable, NoAccessKeys) {
  for (const layout::Control& c : layout::controls())
    EXPECT_EQ(c.caption.find('&'), std::string::npos) << c.name;
}

TEST(LayoutTable, TwipsAndPointsToPixels) {
  EXPECT_EQ(layout::toPixels(layout::kClientWidth, 96), 609);
  EXPECT_EQ(layout::toPixels(layout::kClientHeight, 96), 565);
  EXPECT_EQ(layout::toPixels(layout::kClientWidth, 144), 914);  // 913.5, to nearest
  EXPECT_EQ(layout::toPixels(6150, 120), 513);
  EXPECT_EQ(layout::pointsToPixels(13.5, 96), 18);
  EXPECT_EQ(layout::pointsToPixels(8.25, 96), 11);
  EXPECT_EQ(layout::pointsToPixels(8.25, 144), 17);
}

}  // namespace
