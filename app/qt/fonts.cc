#include "app/qt/fonts.h"

#include <QStringList>

#include "app/qt/twips.h"

namespace app {
namespace {

QStringList families(layout::FontFace face) {
  using layout::FontFace;
  switch (face) {
    case FontFace::kMsSansSerif:
      // Microsoft's sans faces share Arial's widths closely enough for these captions.
      return {QStringLiteral("Liberation Sans"), QStringLiteral("Microsoft Sans Serif"),
              QStringLiteral("Arial")};
    case FontFace::kArial:
      return {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
    case FontFace::kArialNarrow:
      return {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow")};
  }
  return {};
}

}  // namespace

QFont windowFont(const layout::FontStyle& style) {
  QFont font;
  font.setFamilies(families(style.face));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pointsToPixels(style.points));
  font.setWeight(QFont::Bold);
  font.setItalic(style.italic);
  font.setUnderline(style.underline);
  return font;
}

}  // namespace app
