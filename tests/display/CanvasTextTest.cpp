// Text measured on a canvas: the width answered is the width of that text in
// the canvas's font as it is now, however often texts and fonts change.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "display/Bitmap.h"

namespace {

TEST(CanvasText, WidthFollowsTheTextAndTheFont) {
  TBitmap picture(10, 10);
  TCanvas& c = picture.Canvas();
  auto direct = [&](const QString& text) { return QFontMetrics(c.Font.ToQFont()).horizontalAdvance(text); };
  // A few texts asked again after each change of font, as the clock does.
  const QString few[] = {QStringLiteral("0:27"), QStringLiteral("140"), QStringLiteral("Wide text")};
  for (const int height : {-14, -40}) {
    for (const bool bold : {false, true}) {
      c.Font.Height = height;
      c.Font.Bold = bold;
      for (int round = 0; round < 2; ++round)
        for (const QString& text : few)
          EXPECT_EQ(c.TextWidth(text), direct(text)) << text.toStdString() << " at " << height << (bold ? " bold" : "");
    }
  }
  // More texts than are kept, each asked twice.
  for (int round = 0; round < 2; ++round) {
    for (int n = 0; n < 40; ++n) {
      const QString text = QString(n % 7 + 1, QChar(u'W')) + QString::number(n);
      EXPECT_EQ(c.TextWidth(text), direct(text)) << text.toStdString();
    }
  }
  EXPECT_EQ(c.TextWidth(QString()), 0);
}

}  // namespace
