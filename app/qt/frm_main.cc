#include "app/qt/frm_main.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "app/qt/banner.h"
#include "app/qt/fonts.h"
#include "app/qt/group_box.h"
#include "app/qt/progress_bar.h"
#include "app/qt/qt_run_window.h"
#include "app/qt/twips.h"

namespace app {
namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

QColor colour(const layout::Colour& c, const QPalette& palette) {
  return c.buttonText ? palette.color(QPalette::ButtonText) : QColor(c.red, c.green, c.blue);
}

Qt::Alignment horizontal(layout::Align align) {
  switch (align) {
    case layout::Align::kLeft: return Qt::AlignLeft;
    case layout::Align::kCenter: return Qt::AlignHCenter;
    case layout::Align::kRight: return Qt::AlignRight;
  }
  return Qt::AlignLeft;
}

// The window's font for `style`, or where `text` would be wider than `width` pixels with
// it, the same face narrower (down to 70 %), then smaller, until the text fits.
QFont fittedFont(const layout::FontStyle& style, const QString& text, int width) {
  QFont font = windowFont(style);
  auto fits = [&] { return QFontMetricsF(font).horizontalAdvance(text) <= width; };
  for (int stretch = 98; !fits() && stretch >= 70; stretch -= 2) font.setStretch(stretch);
  for (int pixels = font.pixelSize() - 1; !fits() && pixels >= 6; --pixels) font.setPixelSize(pixels);
  return font;
}

// Labels wrap at word boundaries within their stored width and show what fits their height.
QLabel* makeLabel(const layout::Control& c, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text(c.caption));
  label->setFont(c.fitOneLine ? fittedFont(c.font, label->text(), twipsToPixels(c.rect.width))
                               : windowFont(c.font));
  label->setWordWrap(true);
  label->setAlignment(horizontal(c.align) | Qt::AlignTop);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour(c.colour, parent->palette()));
  label->setPalette(palette);
  label->setAutoFillBackground(c.opaque);
  if (c.sunkenBorder) label->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  return label;
}

QLineEdit* makeTextBox(const layout::Control& c, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setFont(windowFont(c.font));
  box->setAlignment(horizontal(c.align) | Qt::AlignVCenter);
  box->setFocusPolicy(Qt::StrongFocus);
  return box;
}

QPushButton* makeButton(const layout::Control& c, QWidget* parent) {
  auto* button = new QPushButton(text(c.caption), parent);
  button->setFont(windowFont(c.font));
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

}  // namespace

FrmMain::FrmMain(RunHandler onStart, QWidget* parent)
    : QWidget(parent), onStart_(std::move(onStart)) {
  setObjectName(QString::fromLatin1(layout::kWindowName));
  setWindowTitle(QString::fromLatin1(layout::kWindowCaption));
  // The layout does not follow the frame, so the frame does not resize.
  setFixedSize(twipsToPixels(layout::kClientWidth), twipsToPixels(layout::kClientHeight));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  setPalette(palette);
  createControls();
  setTabOrder();
  Form_Load();
  cmdEND_->setFocus(Qt::OtherFocusReason);
}

// Qt stacks siblings in creation order, the last on top, so the table's back-to-front
// order is the creation order.
void FrmMain::createControls() {
  std::map<std::string, QWidget*, std::less<>> created{{layout::kWindowName, this}};
  for (const layout::Control* c : layout::backToFront()) {
    QWidget* widget = createControl(*c, created.at(c->container));
    widget->setObjectName(text(c->name));
    widget->setGeometry(twipsRect(c->rect));
    created.emplace(c->name, widget);
  }
  cmdEND_ = static_cast<QPushButton*>(created.at("cmdEND"));
  cmdRUN_ = static_cast<QPushButton*>(created.at("cmdRUN"));
  txtResults_ = static_cast<QLineEdit*>(created.at("txtResults"));
  txtUploadFileDirectory_ = static_cast<QLineEdit*>(created.at("txtUploadFileDirectory"));
  txtUploadFileName_ = static_cast<QLineEdit*>(created.at("txtUploadFileName"));
  progressBar1_ = static_cast<ProgressBar*>(created.at("ProgressBar1"));
  connect(cmdEND_, &QPushButton::clicked, this, &FrmMain::cmdEND_Click);
  connect(cmdRUN_, &QPushButton::clicked, this, &FrmMain::cmdRUN_Click);
}

QWidget* FrmMain::createControl(const layout::Control& c, QWidget* parent) {
  switch (c.kind) {
    case layout::Kind::kLabel: return makeLabel(c, parent);
    case layout::Kind::kTextBox: return makeTextBox(c, parent);
    case layout::Kind::kPushButton: return makeButton(c, parent);
    case layout::Kind::kGroupBox: {
      auto* group = new GroupBox(text(c.caption), colour(c.colour, palette()), parent);
      group->setFont(windowFont(c.font));
      return group;
    }
    case layout::Kind::kProgressBar: {
      auto* bar = new ProgressBar(parent);
      bar->setFocusPolicy(Qt::NoFocus);
      return bar;
    }
    case layout::Kind::kPicture: {
      auto* picture = new QLabel(parent);
      picture->setPixmap(QPixmap::fromImage(bannerPicture()));
      picture->setScaledContents(true);
      return picture;
    }
    case layout::Kind::kRectangle: {
      auto* rectangle = new QWidget(parent);
      QPalette fill = rectangle->palette();
      fill.setColor(QPalette::Window, colour(c.colour, palette()));
      rectangle->setPalette(fill);
      rectangle->setAutoFillBackground(true);
      return rectangle;
    }
  }
  return new QWidget(parent);
}

void FrmMain::setTabOrder() {
  QWidget* previous = nullptr;
  for (const layout::Control* c : layout::tabOrder()) {
    QWidget* next = findChild<QWidget*>(text(c->name));
    if (previous != nullptr) QWidget::setTabOrder(previous, next);
    previous = next;
  }
}

void FrmMain::Form_Load() {
  progressBar1_->setVisible(false);
  progressBar1_->setValue(progressBar1_->min());
}

void FrmMain::cmdRUN_Click() {
  if (running_ || !onStart_) return;
  running_ = true;
  QtRunWindow window(*this);
  try {
    onStart_(window);
  } catch (const std::exception& e) {
    // The run reports its own failures; one that escapes it must not take the window down.
    window.showMessage(QString::fromUtf8(e.what()).toStdU16String(), u"Error in cmdRUN");
  }
  running_ = false;
}

void FrmMain::cmdEND_Click() { endProgram(); }

void FrmMain::closeEvent(QCloseEvent* event) {
  event->accept();
  endProgram();
}

// Ends the program at once, with no question. Between runs the event loop is left normally.
// During a run the only way here is the run's one yield right after the file dialog, before
// it has opened anything; going back into the run would carry on with a window the user has
// closed, so the process ends on the spot.
void FrmMain::endProgram() {
  hide();
  if (running_) {
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
  }
  QCoreApplication::exit(0);
}

}  // namespace app
