#include "app/qt/group_box.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace app {

GroupBox::GroupBox(const QString& caption, QColor captionColor, QWidget* parent)
    : QGroupBox(caption, parent), captionColor_(captionColor) {
  setFocusPolicy(Qt::NoFocus);
}

void GroupBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  // Some styles take the caption's colour from textColor, others (Fusion) from the
  // option's window text; set both, on the option only.
  option.textColor = captionColor_;
  option.palette.setColor(QPalette::WindowText, captionColor_);
  painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

}  // namespace app
