// A group box whose caption has a colour of its own while its children keep the window's
// text colour (a palette change would reach every child).
#pragma once

#include <QColor>
#include <QGroupBox>

namespace app {

class GroupBox : public QGroupBox {
  Q_OBJECT

 public:
  GroupBox(const QString& caption, QColor captionColor, QWidget* parent);
  QColor captionColor() const { return captionColor_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor captionColor_;
};

}  // namespace app
