#include "app/frm_main.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>

#include "app/banner.h"
#include "app/fonts.h"
#include "app/group_box.h"
#include "app/progress_bar.h"
#include "app/qt_run_window.h"
#include "app/twips.h"
#include "app/website.h"

namespace app {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);

const FontStyle kButtonFont{FontFace::kMsSansSerif, 13.5};
const FontStyle kFrameFont{FontFace::kMsSansSerif, 9.75};
const FontStyle kResultsFont{FontFace::kArial, 9};
const FontStyle kInstructionFont{FontFace::kArial, 8.25};
const FontStyle kTitleFont{FontFace::kArialNarrow, 11.25, false, true};
const FontStyle kNoticeFont{FontFace::kArialNarrow, 8.25, true, false};

const char kNotice[] = "Copyright \u00A9 2026 Tarvo Software. All rights reserved.";

// The instruction lines, Label1(0) to Label1(6).
QStringList instructionLines() {
  const QString site = QString::fromLatin1(kWebsiteAddress);
  return {
      QStringLiteral("This program will extract data from your Tarvo Database (tarvo.mdb) and "
                     "create a small file you will upload to the Tarvo On-Line Certificates "
                     "Website (") + site + QStringLiteral(")."),
      QStringLiteral("1. You must first visit ") + site +
          QStringLiteral(", register, and select a subscription plan."),
      QStringLiteral("2. Then run this program and select your Tarvo database (tarvo.mdb)."),
      QStringLiteral("3. Log in to ") + site +
          QStringLiteral(" and upload the file this program produces."),
      QStringLiteral("4. Tell your students to visit ") + site +
          QStringLiteral(", enter their email address and print their certificates."),
      QStringLiteral("All of your certtificates will be generated and become available online "
                     "using the student's email address. "),
      QStringLiteral("Your students can now print their own certificates using their own paper "
                     "and ink on their own printers."),
  };
}

// Labels wrap at word boundaries within their stored width and show what fits their height.
QLabel* makeLabel(QWidget* parent, const char* name, QRect rect, const QString& text,
                  const FontStyle& font, Qt::Alignment horizontal, QColor color) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(rect);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setFont(windowFont(font));
  label->setWordWrap(true);
  label->setAlignment(horizontal | Qt::AlignTop);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  return label;
}

QLineEdit* makeTextBox(QWidget* parent, const char* name, QRect rect) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(rect);
  box->setFont(windowFont(kResultsFont));
  box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  box->setFocusPolicy(Qt::StrongFocus);
  return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, QRect rect, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(rect);
  button->setFont(windowFont(kButtonFont));
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

}  // namespace

FrmMain::FrmMain(RunHandler onStart, QWidget* parent)
    : QWidget(parent), onStart_(std::move(onStart)) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QString::fromLatin1(kWindowCaption));
  // The layout does not follow the frame, so the frame does not resize.
  setFixedSize(twipsToPixels(9135), twipsToPixels(8475));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  setPalette(palette);
  createControls();
  setTabOrder();
  Form_Load();
  cmdEND_->setFocus(Qt::OtherFocusReason);
}

// Qt stacks siblings in creation order, the last on top. Windowless items of a container
// are created from the back (the last stored) to the front (the first stored); the windowed
// controls follow, since they always stand in front of them.
void FrmMain::createControls() {
  const QColor buttonText = palette().color(QPalette::ButtonText);

  auto* shape1 = new QWidget(this);
  shape1->setObjectName(QStringLiteral("Shape1"));
  shape1->setGeometry(twipsRect(0, 0, 9135, 3765));
  QPalette black = shape1->palette();
  black.setColor(QPalette::Window, kBlack);
  shape1->setPalette(black);
  shape1->setAutoFillBackground(true);

  QLabel* label4 = makeLabel(this, "Label4", twipsRect(0, 7470, 9105, 975), QString(),
                             kInstructionFont, Qt::AlignLeft, buttonText);
  label4->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  label4->setAutoFillBackground(true);

  makeLabel(this, "Label3", twipsRect(2700, 8220, 3465, 225), QString::fromUtf8(kNotice),
            kNoticeFont, Qt::AlignHCenter, buttonText);

  auto* image1 = new QLabel(this);
  image1->setObjectName(QStringLiteral("Image1"));
  image1->setGeometry(twipsRect(1410, 0, 6300, 3750));
  image1->setPixmap(QPixmap::fromImage(bannerPicture()));
  image1->setScaledContents(true);

  makeLabel(this, "Label5", twipsRect(2310, 2460, 5235, 315),
            QStringLiteral("DATA EXTRACTION FOR ONLINE CERTIFICATES"), kTitleFont,
            Qt::AlignHCenter, kWhite);

  auto* frame1 = new GroupBox(
      QStringLiteral(" Instructions for Extracting Your On-Line Certificates File "), kBlue,
      this);
  frame1->setObjectName(QStringLiteral("Frame1"));
  frame1->setGeometry(twipsRect(30, 3780, 9105, 3705));
  frame1->setFont(windowFont(kFrameFont));

  // Label1(6) down to Label1(0), each with its stored rectangle.
  static constexpr int kLabel1Rects[7][4] = {
      {240, 300, 8865, 555}, {480, 780, 6675, 255},  {480, 1020, 6555, 255},
      {480, 1260, 6615, 255}, {480, 1500, 8235, 255}, {240, 1800, 8805, 225},
      {240, 2070, 8685, 255},
  };
  const QStringList lines = instructionLines();
  for (int index = 6; index >= 0; --index) {
    const int* r = kLabel1Rects[index];
    QLabel* line = makeLabel(frame1, "Label1", twipsRect(r[0], r[1], r[2], r[3]),
                             lines[index], kInstructionFont, Qt::AlignLeft, buttonText);
    line->setObjectName(QStringLiteral("Label1_%1").arg(index));
  }

  auto* frame2 = new GroupBox(QStringLiteral("Results Appear Here "), kBlue, frame1);
  frame2->setObjectName(QStringLiteral("Frame2"));
  frame2->setGeometry(twipsRect(810, 2370, 7485, 1245));
  frame2->setFont(windowFont(kFrameFont));

  makeLabel(frame2, "Label6", twipsRect(60, 600, 1635, 255), QStringLiteral("File Generated:"),
            kResultsFont, Qt::AlignRight, kBlack);
  makeLabel(frame2, "lblResults", twipsRect(90, 900, 1605, 255),
            QStringLiteral("Records Found:"), kResultsFont, Qt::AlignRight, kBlack);
  makeLabel(frame2, "Label2", twipsRect(60, 300, 1635, 255), QStringLiteral("FIle Located in:"),
            kResultsFont, Qt::AlignRight, kBlack);
  txtUploadFileName_ = makeTextBox(frame2, "txtUploadFileName", twipsRect(1770, 240, 5445, 270));
  txtUploadFileDirectory_ =
      makeTextBox(frame2, "txtUploadFileDirectory", twipsRect(1770, 540, 5445, 270));
  txtResults_ = makeTextBox(frame2, "txtResults", twipsRect(1770, 840, 1515, 270));

  cmdEND_ = makeButton(this, "cmdEND", twipsRect(330, 7620, 1695, 675), QStringLiteral("EXIT"));
  cmdRUN_ = makeButton(this, "cmdRUN", twipsRect(6840, 7620, 1905, 675), QStringLiteral("START"));
  connect(cmdEND_, &QPushButton::clicked, this, &FrmMain::cmdEND_Click);
  connect(cmdRUN_, &QPushButton::clicked, this, &FrmMain::cmdRUN_Click);

  progressBar1_ = new ProgressBar(this);
  progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
  progressBar1_->setGeometry(twipsRect(2190, 7830, 4515, 285));
  progressBar1_->setFocusPolicy(Qt::NoFocus);
}

void FrmMain::setTabOrder() {
  QWidget::setTabOrder(cmdEND_, cmdRUN_);
  QWidget::setTabOrder(cmdRUN_, txtUploadFileName_);
  QWidget::setTabOrder(txtUploadFileName_, txtUploadFileDirectory_);
  QWidget::setTabOrder(txtUploadFileDirectory_, txtResults_);
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
