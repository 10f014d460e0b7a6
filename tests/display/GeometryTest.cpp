// The one conversion between TRect (Right and Bottom outside) and QRect
// (right() and bottom() inside): the same pixels both ways, at the edges.
#include <gtest/gtest.h>

#include <QRegion>

#include "display/Geometry.h"

TEST(Geometry, TRectAndQRectCoverTheSamePixels) {
  struct {
    const char* Name;
    TRect R;
    int QRight, QBottom;  // QRect's last pixel inside
    bool Empty;
  } const cases[] = {
      {"one pixel", Rect(5, 7, 6, 8), 5, 7, false},
      {"ten by four", Rect(0, 0, 10, 4), 9, 3, false},
      {"negative corner", Rect(-3, -2, 2, 1), 1, 0, false},
      {"no width", Rect(4, 4, 4, 9), 3, 8, true},
      {"no height", Rect(4, 4, 9, 4), 8, 3, true},
      {"inverted", Rect(9, 9, 4, 4), 3, 3, true},
  };
  for (const auto& c : cases) {
    const QRect q = ToQRect(c.R);
    EXPECT_EQ(q.left(), c.R.Left) << c.Name;
    EXPECT_EQ(q.top(), c.R.Top) << c.Name;
    EXPECT_EQ(q.right(), c.QRight) << c.Name;
    EXPECT_EQ(q.bottom(), c.QBottom) << c.Name;
    EXPECT_EQ(q.width(), c.R.Width()) << c.Name;
    EXPECT_EQ(q.height(), c.R.Height()) << c.Name;
    EXPECT_EQ(q.isEmpty(), c.Empty) << c.Name;
    EXPECT_EQ(q.isEmpty(), c.R.IsEmpty()) << c.Name;
    // Back again gives the same rectangle.
    EXPECT_EQ(ToTRect(q), c.R) << c.Name;
    if (c.Empty) continue;
    // Right and Bottom are the first pixels outside; the pixels before them are in.
    const QRegion area(q);
    EXPECT_TRUE(area.contains(QPoint(c.R.Left, c.R.Top))) << c.Name;
    EXPECT_TRUE(area.contains(QPoint(c.R.Right - 1, c.R.Bottom - 1))) << c.Name;
    EXPECT_FALSE(area.contains(QPoint(c.R.Right, c.R.Top))) << c.Name;
    EXPECT_FALSE(area.contains(QPoint(c.R.Left, c.R.Bottom))) << c.Name;
    EXPECT_FALSE(area.contains(QPoint(c.R.Left - 1, c.R.Top))) << c.Name;
  }
}
