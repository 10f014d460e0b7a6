// The shelter as the game makes and shows it: the pane mixed over the
// playfield, the sky showing in the corners outside its rounded frame.
#include <gtest/gtest.h>

#include "GameHarness.h"

namespace {

TEST(ShelterPicture, CornersShowThePlayfieldAndThePaneIsMixed) {
  for (const int width : {1152, 3840}) {
    SCOPED_TRACE(width);
    TGameHarness h{3, width, width * 9 / 16};
    TForm1& f = *h.Form;
    f.SpeedTest();  // makes the shelter picture from the first balloon
    ASSERT_NE(f.FShelterBitmap, nullptr);
    const TBitmap& shelter = *f.FShelterBitmap;
    EXPECT_TRUE(shelter.Transparent);
    EXPECT_EQ(shelter.TransparentColor(), clWhite);

    // One frame: the shelter mixed at the playfield's top-left over the
    // background alone.
    TOverlayImage& field = *f.BaseImage1;
    const TRect r = Rect(0, 0, shelter.Width(), shelter.Height());
    field.ResetOverlay();
    field.DrawOnOverlay(Rect(0, 0, 0, 0), shelter);  // opens the frame: the background everywhere
    field.BlendOnOverlay(r, 100, *f.FShelterBitmap);
    const QImage& shown = field.OverlayBuffer()->Image();
    const QImage& sky = field.Bitmap().Image();
    for (auto [x, y] : {std::pair{0, 0}, {r.Right - 1, 0}, {0, r.Bottom - 1}, {r.Right - 1, r.Bottom - 1}})
      EXPECT_EQ(shown.pixel(x, y) & 0xFFFFFF, sky.pixel(x, y) & 0xFFFFFF) << "corner " << x << "," << y;
    // The middle of every edge and the centre are the pane, mixed in.
    for (auto [x, y] : {std::pair{r.Right / 2, 0}, {0, r.Bottom / 2}, {r.Right / 2, r.Bottom / 2}})
      EXPECT_NE(shown.pixel(x, y) & 0xFFFFFF, sky.pixel(x, y) & 0xFFFFFF) << x << "," << y;
  }
}

}  // namespace
