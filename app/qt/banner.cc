#include "app/qt/banner.h"

#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace app {
namespace {

const QColor kGold(214, 174, 72);
const QColor kGoldDark(140, 104, 32);

void drawBackground(QPainter& p) {
  QLinearGradient sky(0, 0, 0, kBannerHeight);
  sky.setColorAt(0.0, QColor(12, 24, 52));
  sky.setColorAt(1.0, QColor(2, 4, 10));
  p.fillRect(QRect(0, 0, kBannerWidth, kBannerHeight), sky);

  // A soft light behind the seal; the title further down stays on dark ground.
  QRadialGradient glow(QPointF(kBannerWidth / 2.0, 180), 300);
  glow.setColorAt(0.0, QColor(60, 90, 150, 120));
  glow.setColorAt(1.0, QColor(0, 0, 0, 0));
  p.fillRect(QRect(0, 0, kBannerWidth, kBannerHeight), glow);
}

// Two ribbon tails hanging from the seal.
void drawRibbons(QPainter& p, QPointF centre) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 24, 32));
  for (int side : {-1, 1}) {
    QPainterPath tail;
    tail.moveTo(centre + QPointF(side * 30, 40));
    tail.lineTo(centre + QPointF(side * 90, 165));
    tail.lineTo(centre + QPointF(side * 62, 150));
    tail.lineTo(centre + QPointF(side * 50, 185));
    tail.lineTo(centre + QPointF(side * 2, 60));
    tail.closeSubpath();
    p.drawPath(tail);
  }
}

void drawSeal(QPainter& p, QPointF centre) {
  // Serrated rim: a star polygon with many short points.
  constexpr int kPoints = 36;
  QPolygonF rim;
  for (int i = 0; i < kPoints * 2; ++i) {
    const double angle = i * 3.14159265358979 / kPoints;
    const double radius = (i % 2 == 0) ? 118 : 106;
    rim << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(kGold);
  p.drawPolygon(rim);

  QRadialGradient face(centre - QPointF(25, 25), 110);
  face.setColorAt(0.0, QColor(28, 46, 88));
  face.setColorAt(1.0, QColor(8, 14, 30));
  p.setBrush(face);
  p.drawEllipse(centre, 92, 92);
  p.setPen(QPen(kGold, 4));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, 80, 80);

  // The monogram.
  QFont font(QStringLiteral("Liberation Serif"));
  font.setStyleHint(QFont::Serif);
  font.setPixelSize(120);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kGold);
  p.drawText(QRectF(centre - QPointF(80, 84), QSizeF(160, 160)), Qt::AlignCenter,
             QStringLiteral("T"));

  // A check mark across the monogram's foot: a passed course.
  QPainterPath check;
  check.moveTo(centre + QPointF(-44, 40));
  check.lineTo(centre + QPointF(-18, 62));
  check.lineTo(centre + QPointF(48, 6));
  p.setPen(QPen(QColor(235, 235, 235), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(check);
}

void drawWordmark(QPainter& p) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(30);
  font.setBold(true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 8);
  p.setFont(font);
  p.setPen(kGoldDark.lighter(140));
  p.drawText(QRect(0, 470, kBannerWidth, 44), Qt::AlignCenter,
             QStringLiteral("TARVO CERTIFICATES"));
  p.setPen(QPen(kGoldDark, 2));
  p.drawLine(QPointF(180, 525), QPointF(kBannerWidth - 180, 525));
}

}  // namespace

QImage bannerPicture() {
  QImage image(kBannerWidth, kBannerHeight, QImage::Format_RGB888);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  drawBackground(painter);
  const QPointF sealCentre(kBannerWidth / 2.0, 175);
  drawRibbons(painter, sealCentre);
  drawSeal(painter, sealCentre);
  drawWordmark(painter);
  return image;
}

QImage iconPicture(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  // The seal's serrated rim reaches 118 pixels from its centre in the banner.
  painter.scale(size / 240.0, size / 240.0);
  drawSeal(painter, QPointF(120, 120));
  return image;
}

}  // namespace app
