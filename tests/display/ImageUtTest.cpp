// The colour bevel: its shades, the pixels of every shape, and the setters that
// must not repaint for nothing.
#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>
#include <gtest/gtest.h>

#include "display/ImageUt.h"

namespace {

constexpr TColor DialogBlue = 8150865;  // RGB(81, 95, 124), the dialogs' own colour

struct ShadeCase {
  const char* name;
  TColor color, light, dark;
};

class Shades : public ::testing::TestWithParam<ShadeCase> {};

TEST_P(Shades, LighterAndDarkerPerChannel) {
  const ShadeCase& c = GetParam();
  EXPECT_EQ(LighterColor(c.color), c.light);
  EXPECT_EQ(DarkerColor(c.color), c.dark);
  TColorBevel bevel;
  bevel.SetBevelColor(c.color);
  EXPECT_EQ(bevel.LightColor(), c.light);
  EXPECT_EQ(bevel.DarkColor(), c.dark);
}

INSTANTIATE_TEST_SUITE_P(
    ColorBevel, Shades,
    ::testing::Values(ShadeCase{"DialogBlue", DialogBlue, RGB(99, 113, 148), RGB(58, 70, 94)},
                      ShadeCase{"Grey", RGB(128, 128, 128), RGB(155, 155, 155), RGB(100, 100, 100)},
                      ShadeCase{"WhiteStaysWhite", clWhite, clWhite, RGB(208, 208, 208)},
                      ShadeCase{"BlackStaysBlack", clBlack, RGB(8, 8, 8), clBlack},
                      // The top byte of a plain colour is not a channel.
                      ShadeCase{"TopByteIgnored", 0x02000000u | DialogBlue, RGB(99, 113, 148), RGB(58, 70, 94)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColorBevel, StartsGreyOnePixelLoweredBox) {
  TColorBevel bevel;
  EXPECT_EQ(bevel.BevelColor(), RGB(128, 128, 128));
  EXPECT_EQ(bevel.LightColor(), RGB(155, 155, 155));
  EXPECT_EQ(bevel.DarkColor(), RGB(100, 100, 100));
  EXPECT_EQ(bevel.BevelWidth(), 1);
  EXPECT_EQ(bevel.Shape(), bsBox);
  EXPECT_EQ(bevel.Style(), bsLowered);
}

TEST(ColorBevel, SystemColourIsResolvedBeforeTheChannelArithmetic) {
  const QPalette saved = QGuiApplication::palette();
  QPalette p = saved;
  p.setColor(QPalette::Active, QPalette::Button, QColor(128, 128, 128));
  QGuiApplication::setPalette(p);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(128, 128, 128));
  EXPECT_EQ(LighterColor(clBtnFace), RGB(155, 155, 155));
  EXPECT_EQ(DarkerColor(clBtnFace), RGB(100, 100, 100));
  QGuiApplication::setPalette(saved);
}

// ---- pixels ----

constexpr TColor Background = RGB(255, 0, 255);

QRgb ToQColorRgb(TColor c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The control painted over a magenta ground: 'L' light shade, 'D' dark shade,
// '.' untouched, '?' anything else.
std::vector<std::string> Picture(TColorBevel& bevel) {
  QImage img(bevel.size(), QImage::Format_RGB32);
  img.fill(ToQColorRgb(Background));
  bevel.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
  const QRgb light = ToQColorRgb(bevel.LightColor()), dark = ToQColorRgb(bevel.DarkColor());
  std::vector<std::string> rows;
  for (int y = 0; y < img.height(); ++y) {
    std::string row;
    for (int x = 0; x < img.width(); ++x) {
      const QRgb px = img.pixel(x, y) | 0xFF000000u;
      row += px == light ? 'L' : px == dark ? 'D' : px == ToQColorRgb(Background) ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

struct PixelCase {
  const char* name;
  TBevelShape shape;
  TBevelStyle style;
  TBevelWidth width;
  std::vector<std::string> expected;  // one string per row; its length is the width
};

class BevelPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(BevelPixels, RowsAndColumnsCarryTheirShade) {
  const PixelCase& c = GetParam();
  TColorBevel bevel;
  bevel.SetBevelColor(DialogBlue);
  bevel.SetShape(c.shape);
  bevel.SetStyle(c.style);
  bevel.SetBevelWidth(c.width);
  bevel.resize(static_cast<int>(c.expected[0].size()), static_cast<int>(c.expected.size()));
  EXPECT_EQ(Picture(bevel), c.expected);
}

// Hand-drawn from the line geometry: lines leave out their end point, wide lines
// are centred on their path and clipped, a polyline's turn is closed by a square.
INSTANTIATE_TEST_SUITE_P(
    ColorBevel, BevelPixels,
    ::testing::Values(
        // The dialogs' frame. Dark outer line 2 px (the outer half of the 3 px pen
        // is clipped), light inner line 3 px at top and left; at right and bottom the
        // dark line lies inside and only 1 px of the light line on the edge shows.
        PixelCase{"FrameLoweredWidth3", bsFrame, bsLowered, 3,
                  {"DDDDDDDDDDD.",  //
                   "DDDDDDDDDDD.",  //
                   "DDLLLLLLDDDL",  //
                   "DDLLLLLLDDDL",  //
                   "DDLLLLLLDDDL",  //
                   "DDLLL...DDDL",  //
                   "DDDDDDDDDDDL",  //
                   "DDDDDDDDDDDL",  //
                   ".DDDDDDDDDDL",  //
                   "..LLLLLLLLLL"}},
        // Width 1: the light right and bottom lines lie on W and H, outside.
        PixelCase{"FrameLoweredWidth1", bsFrame, bsLowered, 1,
                  {"DDDDDD",  //
                   "DLLLLD",  //
                   "DL...D",  //
                   "DL...D",  //
                   "DDDDDD"}},
        PixelCase{"FrameRaisedWidth3SwapsTheShades", bsFrame, bsRaised, 3,
                  {"LLLLLLLLLLL.",  //
                   "LLLLLLLLLLL.",  //
                   "LLDDDDDDLLLD",  //
                   "LLDDDDDDLLLD",  //
                   "LLDDDDDDLLLD",  //
                   "LLDDD...LLLD",  //
                   "LLLLLLLLLLLD",  //
                   "LLLLLLLLLLLD",  //
                   ".LLLLLLLLLLD",  //
                   "..DDDDDDDDDD"}},
        // Box: pen 1 wide, BW nested rectangles; right and bottom drawn last.
        PixelCase{"BoxRaisedWidth2", bsBox, bsRaised, 2,
                  {"LLLLLD",  //
                   "LLLLDD",  //
                   "LL..DD",  //
                   "LDDDDD",  //
                   "DDDDDD"}},
        PixelCase{"BoxLoweredWidth1", bsBox, bsLowered, 1,
                  {"DDDL",  //
                   "D..L",  //
                   "LLLL"}},
        PixelCase{"TopLineWidth1", bsTopLine, bsLowered, 1,
                  {"DDDD",  //
                   "LLLL",  //
                   "....",  //
                   "...."}},
        PixelCase{"TopLineWidth3", bsTopLine, bsLowered, 3,
                  {"DDD",  //
                   "DDD",  //
                   "LLL",  //
                   "LLL",  //
                   "LLL",  //
                   "..."}},
        PixelCase{"BottomLineRaisedWidth3", bsBottomLine, bsRaised, 3,
                  {"...",  //
                   "...",  //
                   "...",  //
                   "LLL",  //
                   "LLL",  //
                   "LLL",  //
                   "DDD",  //
                   "DDD"}},
        PixelCase{"LeftLineWidth1", bsLeftLine, bsLowered, 1,
                  {"DL.",  //
                   "DL."}},
        PixelCase{"RightLineWidth2", bsRightLine, bsLowered, 2,
                  {"..DDLL",  //
                   "..DDLL",  //
                   "..DDLL"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColorBevel, WidthZeroAndSpacerPaintNothing) {
  const std::vector<std::string> blank(6, std::string(8, '.'));
  for (TBevelShape shape : {bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer}) {
    for (TBevelStyle style : {bsLowered, bsRaised}) {
      TColorBevel bevel;
      bevel.SetBevelColor(DialogBlue);
      bevel.SetShape(shape);
      bevel.SetStyle(style);
      bevel.resize(8, 6);
      bevel.SetBevelWidth(0);
      EXPECT_EQ(Picture(bevel), blank) << int(shape) << " " << int(style);
      if (shape == bsSpacer) {
        bevel.SetBevelWidth(4);
        EXPECT_EQ(Picture(bevel), blank) << "spacer at width 4";
      }
    }
  }
}

TEST(ColorBevel, WidthAboveFourIsTakenAsFour) {
  TColorBevel bevel;
  bevel.SetBevelWidth(9);
  EXPECT_EQ(bevel.BevelWidth(), 4);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    Paints += e->type() == QEvent::Paint;
    return false;
  }
};

TEST(ColorBevel, EqualValuesNeitherDeriveTheShadesAgainNorRepaint) {
  const QPalette saved = QGuiApplication::palette();
  TColorBevel bevel;
  bevel.resize(40, 30);
  bevel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bevel));
  bevel.SetBevelColor(clBtnFace);
  bevel.SetBevelWidth(3);
  bevel.SetShape(bsFrame);
  QApplication::processEvents();
  const TColor light = bevel.LightColor();

  PaintCounter counter;
  bevel.installEventFilter(&counter);
  // The desktop's button colour changes: setting the same system colour again
  // keeps the shades derived before.
  QPalette p = saved;
  p.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30));
  QGuiApplication::setPalette(p);
  // The palette change repaints on its own; let that pass before counting.
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  counter.Paints = 0;
  bevel.SetBevelColor(clBtnFace);
  bevel.SetBevelWidth(3);
  bevel.SetShape(bsFrame);
  bevel.SetStyle(bsLowered);
  QApplication::processEvents();
  EXPECT_EQ(bevel.LightColor(), light);
  EXPECT_EQ(counter.Paints, 0);

  // A different value does both.
  bevel.SetBevelColor(DialogBlue);
  QApplication::processEvents();
  EXPECT_EQ(bevel.LightColor(), RGB(99, 113, 148));
  EXPECT_GE(counter.Paints, 1);
  counter.Paints = 0;
  bevel.SetBevelWidth(2);
  QApplication::processEvents();
  EXPECT_GE(counter.Paints, 1);
  QGuiApplication::setPalette(saved);
}

TEST(ColorBevel, ClickIsLeftButtonDownAndUpOverTheControl) {
  struct Case {
    const char* name;
    Qt::MouseButton button;
    QPoint release;
    bool clicks;
  };
  const Case cases[] = {
      {"left inside", Qt::LeftButton, QPoint(30, 20), true},
      {"left released outside", Qt::LeftButton, QPoint(90, 20), false},
      {"right", Qt::RightButton, QPoint(30, 20), false},
  };
  for (const Case& c : cases) {
    QWidget window;
    window.resize(100, 50);
    TColorBevel bevel(&window);
    bevel.setGeometry(0, 0, 60, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int clicks = 0, downs = 0, ups = 0;
    TMouseButton seen = mbMiddle;
    bevel.OnClick = [&] { ++clicks; };
    bevel.OnMouseDown = [&](TMouseButton b, TShiftState, int x, int y) {
      ++downs;
      seen = b;
      EXPECT_EQ(QPoint(x, y), QPoint(10, 10)) << c.name;
    };
    bevel.OnMouseUp = [&](TMouseButton, TShiftState, int, int) { ++ups; };
    QTest::mousePress(window.windowHandle(), c.button, {}, QPoint(10, 10));
    QTest::mouseRelease(window.windowHandle(), c.button, {}, c.release);
    EXPECT_EQ(clicks, c.clicks ? 1 : 0) << c.name;
    EXPECT_EQ(downs, 1) << c.name;
    EXPECT_EQ(ups, 1) << c.name;
    EXPECT_EQ(seen, c.button == Qt::RightButton ? mbRight : mbLeft) << c.name;
  }
}

}  // namespace
