// frmMain as laid out: every control in its container at its stored place (twips / 15),
// with its text, font, colour and alignment; the stacking of the banner and the bottom panel.
#include <cstdlib>
#include <vector>

#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/qt/banner.h"
#include "app/qt/group_box.h"
#include "app/website.h"
#include "tests/app/qt_support.h"

namespace {

using apptest::control;

struct Placed {
  const char* name;
  const char* container;
  int left, top, width, height;  // twips, as stored
};

// The stored layout, in twips.
const Placed kControls[] = {
    {"ProgressBar1", "frmMain", 2190, 7830, 4515, 285},
    {"cmdRUN", "frmMain", 6840, 7620, 1905, 675},
    {"cmdEND", "frmMain", 330, 7620, 1695, 675},
    {"Frame1", "frmMain", 30, 3780, 9105, 3705},
    {"Frame2", "Frame1", 810, 2370, 7485, 1245},
    {"txtResults", "Frame2", 1770, 840, 1515, 270},
    {"txtUploadFileDirectory", "Frame2", 1770, 540, 5445, 270},
    {"txtUploadFileName", "Frame2", 1770, 240, 5445, 270},
    {"Label2", "Frame2", 60, 300, 1635, 255},
    {"lblResults", "Frame2", 90, 900, 1605, 255},
    {"Label6", "Frame2", 60, 600, 1635, 255},
    {"Label1_0", "Frame1", 240, 300, 8865, 555},
    {"Label1_1", "Frame1", 480, 780, 6675, 255},
    {"Label1_2", "Frame1", 480, 1020, 6555, 255},
    {"Label1_3", "Frame1", 480, 1260, 6615, 255},
    {"Label1_4", "Frame1", 480, 1500, 8235, 255},
    {"Label1_5", "Frame1", 240, 1800, 8805, 225},
    {"Label1_6", "Frame1", 240, 2070, 8685, 255},
    {"Label5", "frmMain", 2310, 2460, 5235, 315},
    {"Image1", "frmMain", 1410, 0, 6300, 3750},
    {"Label3", "frmMain", 2700, 8220, 3465, 225},
    {"Label4", "frmMain", 0, 7470, 9105, 975},
    {"Shape1", "frmMain", 0, 0, 9135, 3765},
};

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { window_ = apptest::shownWindow(); }
  QWidget& window() { return *window_; }
  std::unique_ptr<app::FrmMain> window_;
};

TEST_F(LayoutTest, WindowHasItsCaptionAndFixedClientArea) {
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Tarvo Certificate Data Extractor v3.1.0"));
  EXPECT_EQ(window().size(), QSize(9135 / 15, 8475 / 15));
  // Not resizable: the layout does not follow the frame.
  EXPECT_EQ(window().minimumSize(), window().maximumSize());
  window().resize(800, 700);
  EXPECT_EQ(window().size(), QSize(609, 565));
}

TEST_F(LayoutTest, EveryControlSitsAtItsStoredPlaceInItsContainer) {
  for (const Placed& c : kControls) {
    SCOPED_TRACE(c.name);
    QWidget* widget = control(window(), c.name);
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(widget->parentWidget(), nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), c.container);
    EXPECT_EQ(widget->geometry(),
              QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
  }
  // Frame2 lands at (840, 6150) twips in the client area.
  QWidget* frame2 = control(window(), "Frame2");
  EXPECT_EQ(frame2->mapTo(&window(), QPoint(0, 0)), QPoint(840 / 15, 6150 / 15));
}

TEST_F(LayoutTest, CaptionsAndInstructionLines) {
  auto text = [&](const char* name) {
    if (auto* label = control<QLabel>(window(), name)) return label->text();
    if (auto* button = control<QPushButton>(window(), name)) return button->text();
    if (auto* group = control<QGroupBox>(window(), name)) return group->title();
    return QStringLiteral("<missing>");
  };
  EXPECT_EQ(text("cmdRUN"), "START");
  EXPECT_EQ(text("cmdEND"), "EXIT");
  EXPECT_EQ(text("Frame1"), " Instructions for Extracting Your On-Line Certificates File ");
  EXPECT_EQ(text("Frame2"), "Results Appear Here ");
  EXPECT_EQ(text("Label2"), "FIle Located in:");
  EXPECT_EQ(text("lblResults"), "Records Found:");
  EXPECT_EQ(text("Label6"), "File Generated:");
  EXPECT_EQ(text("Label5"), "DATA EXTRACTION FOR ONLINE CERTIFICATES");
  EXPECT_EQ(text("Label4"), "");
  EXPECT_FALSE(text("Label3").isEmpty());
  // The maker's notice shows whole on its one line, with the face it is drawn in.
  auto* notice = control<QLabel>(window(), "Label3");
  ASSERT_NE(notice, nullptr);
  EXPECT_LE(QFontMetricsF(notice->font()).horizontalAdvance(notice->text()), notice->width());

  const QString site = QString::fromLatin1(app::kWebsiteAddress);
  EXPECT_EQ(text("Label1_0"),
            "This program will extract data from your Tarvo Database (tarvo.mdb) and create a "
            "small file you will upload to the Tarvo On-Line Certificates Website (" +
                site + ").");
  EXPECT_EQ(text("Label1_1"),
            "1. You must first visit " + site + ", register, and select a subscription plan.");
  EXPECT_EQ(text("Label1_2"),
            "2. Then run this program and select your Tarvo database (tarvo.mdb).");
  EXPECT_EQ(text("Label1_3"),
            "3. Log in to " + site + " and upload the file this program produces.");
  EXPECT_EQ(text("Label1_4"), "4. Tell your students to visit " + site +
                                  ", enter their email address and print their certificates.");
  EXPECT_EQ(text("Label1_5"),
            "All of your certtificates will be generated and become available online using "
            "the student's email address. ");
  EXPECT_EQ(text("Label1_6"),
            "Your students can now print their own certificates using their own paper and ink "
            "on their own printers.");
}

// The lines that must stay on one line do: each fits its stored width and height.
TEST_F(LayoutTest, InstructionLinesFitTheirBoxes) {
  for (const char* name : {"Label1_0", "Label1_1", "Label1_2", "Label1_3", "Label1_4",
                           "Label1_5", "Label1_6", "Label2", "lblResults", "Label6", "Label5",
                           "Label3"}) {
    SCOPED_TRACE(name);
    auto* label = control<QLabel>(window(), name);
    ASSERT_NE(label, nullptr);
    const QRect needed = label->fontMetrics().boundingRect(
        QRect(0, 0, label->width(), 10000), Qt::TextWordWrap | label->alignment(), label->text());
    EXPECT_LE(needed.height(), label->height());
  }
}

TEST_F(LayoutTest, FontsResolveToTheInstalledSubstitutes) {
  struct Expected {
    const char* name;
    const char* family;
    int pixels;  // points at 96 dpi
    bool italic;
    bool underline;
  };
  const Expected fonts[] = {
      {"cmdRUN", "Liberation Sans", 18, false, false},
      {"cmdEND", "Liberation Sans", 18, false, false},
      {"Frame1", "Liberation Sans", 13, false, false},
      {"Frame2", "Liberation Sans", 13, false, false},
      {"txtResults", "Liberation Sans", 12, false, false},
      {"txtUploadFileDirectory", "Liberation Sans", 12, false, false},
      {"txtUploadFileName", "Liberation Sans", 12, false, false},
      {"Label2", "Liberation Sans", 12, false, false},
      {"lblResults", "Liberation Sans", 12, false, false},
      {"Label6", "Liberation Sans", 12, false, false},
      {"Label1_0", "Liberation Sans", 11, false, false},
      {"Label1_6", "Liberation Sans", 11, false, false},
      {"Label5", "Liberation Sans Narrow", 15, false, true},
      {"Label3", "Liberation Sans Narrow", 11, true, false},
  };
  for (const Expected& e : fonts) {
    SCOPED_TRACE(e.name);
    QWidget* widget = control(window(), e.name);
    ASSERT_NE(widget, nullptr);
    const QFontInfo info(widget->font());
    EXPECT_EQ(info.family().toStdString(), e.family);
    EXPECT_EQ(info.pixelSize(), e.pixels);
    EXPECT_TRUE(info.bold());
    EXPECT_EQ(info.italic(), e.italic);
    EXPECT_EQ(info.underline(), e.underline);
  }
}

TEST_F(LayoutTest, ColoursAlignmentAndTransparency) {
  auto textColour = [&](const char* name) {
    return control(window(), name)->palette().color(QPalette::WindowText);
  };
  const QColor buttonText = window().palette().color(QPalette::ButtonText);
  EXPECT_EQ(textColour("Label2"), QColor(0, 0, 0));
  EXPECT_EQ(textColour("lblResults"), QColor(0, 0, 0));
  EXPECT_EQ(textColour("Label6"), QColor(0, 0, 0));
  EXPECT_EQ(textColour("Label5"), QColor(255, 255, 255));
  EXPECT_EQ(textColour("Label1_3"), buttonText);
  EXPECT_EQ(textColour("Label3"), buttonText);
  EXPECT_EQ(control<app::GroupBox>(window(), "Frame1")->captionColor(), QColor(0, 0, 255));
  EXPECT_EQ(control<app::GroupBox>(window(), "Frame2")->captionColor(), QColor(0, 0, 255));

  auto horizontal = [&](const char* name) {
    return control<QLabel>(window(), name)->alignment() & Qt::AlignHorizontal_Mask;
  };
  EXPECT_EQ(horizontal("Label2"), Qt::AlignRight);
  EXPECT_EQ(horizontal("lblResults"), Qt::AlignRight);
  EXPECT_EQ(horizontal("Label6"), Qt::AlignRight);
  EXPECT_EQ(horizontal("Label5"), Qt::AlignHCenter);
  EXPECT_EQ(horizontal("Label3"), Qt::AlignHCenter);
  EXPECT_EQ(horizontal("Label1_0"), Qt::AlignLeft);

  for (const char* name : {"Label2", "lblResults", "Label6", "Label5", "Label3", "Label1_0"})
    EXPECT_FALSE(control(window(), name)->autoFillBackground()) << name;
  auto* panel = control<QLabel>(window(), "Label4");
  EXPECT_TRUE(panel->autoFillBackground());
  EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
  EXPECT_NE(panel->frameShape(), QFrame::NoFrame);
  QWidget* band = control(window(), "Shape1");
  EXPECT_TRUE(band->autoFillBackground());
  EXPECT_EQ(band->palette().color(QPalette::Window), QColor(0, 0, 0));
}

// The first stored windowless item is on top; windowed controls stand in front of them.
TEST_F(LayoutTest, StackingOfBannerAndBottomPanel) {
  auto topAt = [&](int xTwips, int yTwips) {
    QWidget* w = window().childAt(xTwips / 15, yTwips / 15);
    return w ? w->objectName().toStdString() : std::string("<none>");
  };
  EXPECT_EQ(topAt(4800, 2600), "Label5");  // title over the picture
  EXPECT_EQ(topAt(4800, 600), "Image1");   // picture over the band
  EXPECT_EQ(topAt(300, 600), "Shape1");    // band beside the picture
  EXPECT_EQ(topAt(1200, 7950), "cmdEND");  // buttons and bar over the panel
  EXPECT_EQ(topAt(7800, 7950), "cmdRUN");
  EXPECT_EQ(topAt(4400, 8330), "Label3");  // notice over the panel
  EXPECT_EQ(topAt(100, 8000), "Label4");
}

// What the eye sees: the title is white over the picture with no background of its own,
// and the group captions are blue.
TEST_F(LayoutTest, RenderedTitleAndCaptions) {
  const QImage shot = window().grab().toImage();
  const QRect title(2310 / 15, 2460 / 15, 5235 / 15, 315 / 15);
  const QColor face = window().palette().color(QPalette::Window);
  int white = 0, dark = 0, faceColoured = 0;
  for (int y = title.top(); y <= title.bottom(); ++y)
    for (int x = title.left(); x <= title.right(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      if (c.lightness() > 230) ++white;
      if (c.lightness() < 90) ++dark;
      if (c == face) ++faceColoured;
    }
  EXPECT_GT(white, 100);
  EXPECT_GT(dark, title.width() * title.height() / 2);
  EXPECT_EQ(faceColoured, 0);

  auto blueIn = [&](const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        if (c.blue() > 180 && c.red() < 90 && c.green() < 90) ++n;
      }
    return n;
  };
  // The caption rows at the top of each group box.
  EXPECT_GT(blueIn(QRect(2, 252, 400, 16)), 30);
  EXPECT_GT(blueIn(QRect(56, 410, 200, 16)), 30);
}

TEST(BannerPicture, IsADark796By570PictureWithALogo) {
  apptest::application();
  const QImage picture = app::bannerPicture();
  ASSERT_EQ(picture.size(), QSize(796, 570));
  long long sum = 0;
  int bright = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const int l = picture.pixelColor(x, y).lightness();
      sum += l;
      if (l > 110) ++bright;
    }
  const double mean = static_cast<double>(sum) / (796.0 * 570.0);
  EXPECT_LT(mean, 70);     // dark, so the white title reads over it
  EXPECT_GT(bright, 10000);  // but it carries a visible logo
}

// The Win32 front end shows the banner from a stored bitmap written by tarvo-write-banner:
// it must be the picture drawn here, in the stored form (24 bits, uncompressed, 96 dpi).
TEST(BannerPicture, StoredBitmapForWindowsIsThePictureDrawnHere) {
  apptest::application();
  const QString path = QStringLiteral(TARVO_SOURCE_DIR "/app/win32/banner.bmp");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.size(), 1361214);
  const QByteArray header = file.read(54);
  ASSERT_EQ(header.size(), 54);
  auto u16 = [&](int at) { return static_cast<quint8>(header[at]) | static_cast<quint8>(header[at + 1]) << 8; };
  auto u32 = [&](int at) { return static_cast<quint32>(u16(at) | u16(at + 2) << 16); };
  EXPECT_EQ(u16(28), 24);   // bits per pixel
  EXPECT_EQ(u32(30), 0u);   // BI_RGB
  EXPECT_EQ(u32(38), 3780u);
  const QImage stored(path);
  const QImage drawn = app::bannerPicture();
  ASSERT_EQ(stored.size(), drawn.size());
  long long difference = 0;
  for (int y = 0; y < drawn.height(); ++y)
    for (int x = 0; x < drawn.width(); ++x) {
      const QRgb a = stored.pixel(x, y), b = drawn.pixel(x, y);
      difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                    std::abs(qBlue(a) - qBlue(b));
    }
  // Font rasterizers may differ by a shade at letter edges; a different picture differs
  // by far more.
  EXPECT_LT(static_cast<double>(difference) / (796.0 * 570.0 * 3.0), 1.0);
}

// The icon is the banner's seal, and the stored icon the Win32 programs embed is the one
// drawn here, at every size Windows asks for.
TEST(BannerPicture, StoredIconForWindowsIsTheBannersSealAtEverySize) {
  apptest::application();
  // Mean difference per channel of b against a, over a's pixels at least `alpha` opaque.
  auto difference = [](const QImage& a, const QImage& b, QPoint at, int alpha) {
    long long sum = 0, n = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) {
        const QRgb p = a.pixel(x, y), q = b.pixel(x + at.x(), y + at.y());
        if (qAlpha(p) < alpha) continue;
        ++n;
        sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
               std::abs(qAlpha(p) - qAlpha(q));
      }
    return n < a.width() * a.height() / 2 ? 255.0 : static_cast<double>(sum) / (n * 4.0);
  };
  // Drawn at the banner's scale, the seal is the banner's own where it is opaque.
  EXPECT_LT(difference(app::iconPicture(240), app::bannerPicture().convertToFormat(QImage::Format_ARGB32),
                       QPoint(398 - 120, 175 - 120), 255), 1.0);

  QImageReader reader(QStringLiteral(TARVO_SOURCE_DIR "/app/win32/tarvo-extractor.ico"));
  std::vector<int> sizes;
  for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
    const QImage stored = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    sizes.push_back(stored.width());
    const QImage drawn = app::iconPicture(stored.width()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_LT(difference(drawn, stored, QPoint(0, 0), 0), 1.0) << stored.width();
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));
}

}  // namespace
