// The embedded pictures as the game counts on them: stored formats, sizes and
// depths read from the files' own headers, white keys that survive stretching
// without a light fringe, the aiming cursor and the icon; and the two readers'
// behaviour on damaged input.
#include <gtest/gtest.h>

#include <QFile>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/IconFile.h"
#include "display/JpegImage.h"
#include "display/PictureAssets.h"

namespace {

QByteArray Resource(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int U16(const QByteArray& b, int at) {
  return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8);
}
int I32(const QByteArray& b, int at) { return static_cast<std::int32_t>(U16(b, at) | (U16(b, at + 2) << 16)); }
int BigU16(const QByteArray& b, int at) {
  return (static_cast<std::uint8_t>(b[at]) << 8) | static_cast<std::uint8_t>(b[at + 1]);
}

struct TJpegFrame {
  int Marker = 0;  // 0xC0 for baseline
  int Width = 0, Height = 0, Components = 0;
};

// The first start-of-frame segment of a JPEG stream, walking the markers.
std::optional<TJpegFrame> FirstFrame(const QByteArray& b) {
  if (b.size() < 4 || static_cast<std::uint8_t>(b[0]) != 0xFF || static_cast<std::uint8_t>(b[1]) != 0xD8)
    return std::nullopt;
  int at = 2;
  while (at + 4 <= b.size()) {
    if (static_cast<std::uint8_t>(b[at]) != 0xFF) return std::nullopt;
    const int marker = static_cast<std::uint8_t>(b[at + 1]);
    const int length = BigU16(b, at + 2);
    const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof) {
      if (at + 10 > b.size()) return std::nullopt;
      return TJpegFrame{marker, BigU16(b, at + 7), BigU16(b, at + 5), static_cast<std::uint8_t>(b[at + 9])};
    }
    at += 2 + length;
  }
  return std::nullopt;
}

struct TStored {
  const char* Name;
  const char* File;
  int Width, Height;
  int Bits;  // bitmaps: bits per pixel in the header; JPEGs: 24
  TPixelFormat Format;
  bool Transparent;
};

const TStored kStored[] = {
    {"imgRed1", "imgRed1.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgRed2", "imgRed2.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgRed3", "imgRed3.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgYellow1", "imgYellow1.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgYellow2", "imgYellow2.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgYellow3", "imgYellow3.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgAqua1", "imgAqua1.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgAqua2", "imgAqua2.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgAqua3", "imgAqua3.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgLime1", "imgLime1.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgLime2", "imgLime2.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgLime3", "imgLime3.bmp", 150, 188, 24, TPixelFormat::pf24bit, true},
    {"imgRedShot", "imgRedShot.jpg", 160, 240, 24, TPixelFormat::pf24bit, true},
    {"imgYellowShot", "imgYellowShot.jpg", 160, 240, 24, TPixelFormat::pf24bit, true},
    {"imgAquaShot", "imgAquaShot.jpg", 160, 240, 24, TPixelFormat::pf24bit, true},
    {"imgLimeShot", "imgLimeShot.jpg", 160, 240, 24, TPixelFormat::pf24bit, true},
    {"imgBonus", "imgBonus.bmp", 100, 125, 24, TPixelFormat::pf24bit, true},
    {"imgRevive", "imgRevive.bmp", 100, 125, 24, TPixelFormat::pf24bit, true},
    {"imgSpiky", "imgSpiky.bmp", 100, 125, 24, TPixelFormat::pf24bit, true},
    {"imgBackGround", "imgBackGround.jpg", 543, 407, 24, TPixelFormat::pf24bit, false},
    {"imgShelter", "imgShelter.bmp", 190, 200, 24, TPixelFormat::pf24bit, false},
    {"imgHit", "imgHit.bmp", 32, 32, 4, TPixelFormat::pf4bit, true},
    {"ExitBtn", "ExitBtn.bmp", 16, 16, 24, TPixelFormat::pf24bit, false},
    {"HelpBtn", "HelpBtn.bmp", 16, 16, 8, TPixelFormat::pf8bit, false},
    {"OptionsBtn", "OptionsBtn.bmp", 16, 16, 8, TPixelFormat::pf8bit, false},
    {"RestartBtn", "RestartBtn.bmp", 16, 16, 8, TPixelFormat::pf8bit, false},
    {"imgSpeaker", "imgSpeaker.bmp", 24, 24, 8, TPixelFormat::pf8bit, true},
    {"BitBtn1", "BitBtn1.bmp", 16, 16, 8, TPixelFormat::pf8bit, false},
    {"BitBtn2", "BitBtn2.bmp", 16, 16, 8, TPixelFormat::pf8bit, false},
};

// The pictures that the game draws keyed on white.
const char* const kWhiteKeyed[] = {
    "imgRed1",   "imgRed2",    "imgRed3",       "imgYellow1",  "imgYellow2",  "imgYellow3",
    "imgAqua1",  "imgAqua2",   "imgAqua3",      "imgLime1",    "imgLime2",    "imgLime3",
    "imgRedShot", "imgYellowShot", "imgAquaShot", "imgLimeShot", "imgBonus",  "imgRevive",
    "imgSpiky",  "imgHit",
};

QRgb Pixel(const TBitmap& b, int x, int y) { return b.Image().pixel(x, y) & 0xFFFFFF; }
constexpr QRgb kWhite = 0xFFFFFF;

TEST(PictureAssets, StoredFilesHaveTheirFormatSizeAndDepth) {
  for (const TStored& s : kStored) {
    SCOPED_TRACE(s.Name);
    const QByteArray bytes = Resource(QStringLiteral(":/pictures/") + s.File);
    ASSERT_FALSE(bytes.isEmpty());
    if (QString(s.File).endsWith(".bmp")) {
      ASSERT_TRUE(bytes.startsWith("BM"));
      EXPECT_EQ(I32(bytes, 14), 40);  // BITMAPINFOHEADER
      EXPECT_EQ(I32(bytes, 18), s.Width);
      EXPECT_EQ(I32(bytes, 22), s.Height);  // positive: bottom-up, as stored bitmaps are
      EXPECT_EQ(U16(bytes, 28), s.Bits);
      EXPECT_EQ(I32(bytes, 30), 0);  // uncompressed
      if (s.Bits <= 8) {
        const int colours = I32(bytes, 46);
        EXPECT_TRUE(colours == 0 || colours <= (1 << s.Bits));
      }
    } else {
      const auto frame = FirstFrame(bytes);
      ASSERT_TRUE(frame.has_value());
      EXPECT_EQ(frame->Marker, 0xC0) << "not baseline";
      EXPECT_EQ(frame->Components, 3);
      EXPECT_EQ(frame->Width, s.Width);
      EXPECT_EQ(frame->Height, s.Height);
    }
  }
}

TEST(PictureAssets, LoadedPicturesKeepStoredDepthAndComponentFlag) {
  for (const TStored& s : kStored) {
    SCOPED_TRACE(s.Name);
    const auto bmp = LoadGamePicture(s.Name);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->Width(), s.Width);
    EXPECT_EQ(bmp->Height(), s.Height);
    EXPECT_EQ(bmp->PixelFormat(), s.Format);
    EXPECT_EQ(bmp->Transparent, s.Transparent);
  }
  EXPECT_EQ(GamePictureNames().size(), static_cast<qsizetype>(std::size(kStored)));
}

TEST(PictureAssets, NamesThatDenoteNoPictureGiveNone) {
  // The balloon look-up builds names from a colour code; a wrong code must
  // find nothing rather than some other picture.
  for (const char* name : {"", "img", "imgRed0", "imgRed4", "imgPurple1", "imgShot", "imgred1", "imgRed1.bmp"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadGamePicture(name), nullptr);
  }
  EXPECT_TRUE(LoadGlyph("imgRed1").isNull());  // a picture, but not a glyph
  EXPECT_TRUE(LoadGlyph("NoSuchBtn").isNull());
}

TEST(PictureAssets, WhiteKeyedPicturesHaveWhiteCornersAndNoLightFringe) {
  for (const char* name : kWhiteKeyed) {
    SCOPED_TRACE(name);
    const auto bmp = LoadGamePicture(name);
    ASSERT_NE(bmp, nullptr);
    const int w = bmp->Width(), h = bmp->Height();
    EXPECT_EQ(bmp->TransparentColor(), clWhite);
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) EXPECT_EQ(Pixel(*bmp, x, y), kWhite);
    // A drawn pixel beside the key must not be nearly white: it would show
    // as a pale speck around the picture on the sky (anti-aliasing against
    // white, or JPEG ringing).
    int fringe = 0;
    for (int y = 1; y < h - 1; ++y)
      for (int x = 1; x < w - 1; ++x) {
        const QRgb c = Pixel(*bmp, x, y);
        if (c == kWhite) continue;
        const bool besideKey = Pixel(*bmp, x - 1, y) == kWhite || Pixel(*bmp, x + 1, y) == kWhite ||
                               Pixel(*bmp, x, y - 1) == kWhite || Pixel(*bmp, x, y + 1) == kWhite;
        if (besideKey && qRed(c) >= 235 && qGreen(c) >= 235 && qBlue(c) >= 235) ++fringe;
      }
    EXPECT_EQ(fringe, 0);
  }
}

TEST(PictureAssets, BalloonStaysKeyedWhenStretchedToAnySize) {
  // As the balloon is made: a white bitmap of the balloon's size, the stored
  // picture stretched over it keyed, then drawn keyed on its bottom-left pixel.
  const TColor ground = RGB(20, 60, 140);
  const std::pair<int, int> sizes[] = {{97, 121}, {79, 99}, {56, 70}, {33, 41}, {150, 188}, {301, 376}};
  for (const char* name : {"imgRed1", "imgYellow2", "imgAqua3", "imgLime1", "imgLimeShot", "imgBonus", "imgSpiky"}) {
    const auto pic = LoadGamePicture(name);
    ASSERT_NE(pic, nullptr);
    for (auto [w, h] : sizes) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(w) + "x" + std::to_string(h));
      TBitmap balloon(w, h);
      balloon.Canvas().StretchDraw(Rect(0, 0, w, h), *pic);
      balloon.Transparent = true;
      EXPECT_EQ(balloon.TransparentColor(), clWhite);

      TBitmap sky(w, h);
      sky.Canvas().Brush.Color = ground;
      sky.Canvas().FillRect(Rect(0, 0, w, h));
      sky.Canvas().Draw(0, 0, balloon);
      // The corners are background, so the sky shows there; the middle of the
      // body (or of the scrap) is drawn.
      for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_EQ(sky.Image().pixel(x, y) & 0xFFFFFF, ToQColor(ground).rgb() & 0xFFFFFF);
      int pale = 0, drawn = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const QRgb c = sky.Image().pixel(x, y) & 0xFFFFFF;
          if (c == (ToQColor(ground).rgb() & 0xFFFFFF)) continue;
          ++drawn;
          if (qRed(c) >= 240 && qGreen(c) >= 240 && qBlue(c) >= 240) ++pale;
        }
      EXPECT_GT(drawn, w * h / 20);
      // Only a picture's own highlights may be that light, never a rim of them.
      EXPECT_LT(pale, drawn / 50 + 2);
    }
  }
}

TEST(PictureAssets, BalloonBodyIsRoundAroundWhereNumbersAndSpikesGo) {
  // Numbers are centred at (w/2, h/3) and spikes around (w/2, w/2): the body
  // must cover both, and its edge must lie near radius 70 of (75, 75).
  for (const char* name : {"imgRed1", "imgRed2", "imgRed3", "imgLime2"}) {
    SCOPED_TRACE(name);
    const auto pic = LoadGamePicture(name);
    EXPECT_NE(Pixel(*pic, 75, 75), kWhite);
    EXPECT_NE(Pixel(*pic, 75, 188 / 3), kWhite);
    for (int a = 0; a < 360; a += 30) {
      const double t = a * M_PI / 180;
      EXPECT_NE(Pixel(*pic, 75 + Round(64 * std::cos(t)), 75 + Round(64 * std::sin(t))), kWhite) << a;
      if (a != 90) {  // the knot hangs below
        EXPECT_EQ(Pixel(*pic, 75 + Round(74 * std::cos(t)), 75 + Round(74 * std::sin(t))), kWhite) << a;
      }
    }
  }
  // The three animation pictures differ.
  const auto a = LoadGamePicture("imgAqua1"), b = LoadGamePicture("imgAqua2"), c = LoadGamePicture("imgAqua3");
  EXPECT_NE(a->Image(), b->Image());
  EXPECT_NE(b->Image(), c->Image());
  EXPECT_NE(a->Image(), c->Image());
}

TEST(PictureAssets, OpaquePicturesAreNotKeyed) {
  // The shelter is stored unkeyed (the game keys only the white outside its
  // rounded frame when it makes the shelter picture); the background covers
  // the playfield.
  for (const char* name : {"imgShelter", "imgBackGround"}) {
    const auto pic = LoadGamePicture(name);
    EXPECT_FALSE(pic->Transparent) << name;
  }
}

TEST(PictureAssets, ShelterCornersAreWhiteOutsideItsRoundedFrameOnly) {
  // The game keys the shelter on its bottom-left pixel, so the sky shows in
  // the corners outside the rounded frame; any white inside the pane would
  // punch a hole in it.
  const auto pic = LoadGamePicture("imgShelter");
  ASSERT_NE(pic, nullptr);
  const int w = pic->Width(), h = pic->Height();
  EXPECT_EQ(pic->TransparentColor(), clWhite);
  for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {1, 1}, {w - 2, h - 2}})
    EXPECT_EQ(Pixel(*pic, x, y), kWhite) << x << "," << y;
  int white = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Outside the four corner squares of the rounding, nothing is the key.
      const bool corner = (x < 12 || x >= w - 12) && (y < 12 || y >= h - 12);
      if (!corner && Pixel(*pic, x, y) == kWhite) ++white;
    }
  EXPECT_EQ(white, 0);
  EXPECT_NE(Pixel(*pic, w / 2, 0), kWhite) << "the frame reaches the edge between the corners";
}

TEST(PictureAssets, GlyphsMaskTheirKeyColour) {
  struct TGlyph {
    const char* Name;
    int Size;
    QRgb Key;
  };
  for (const TGlyph& g : {TGlyph{"ExitBtn", 16, qRgb(254, 230, 248)}, TGlyph{"HelpBtn", 16, qRgb(255, 0, 255)},
                          TGlyph{"OptionsBtn", 16, qRgb(255, 0, 255)}, TGlyph{"RestartBtn", 16, qRgb(255, 0, 255)},
                          TGlyph{"imgSpeaker", 24, qRgb(255, 0, 255)}, TGlyph{"BitBtn1", 16, qRgb(255, 0, 255)},
                          TGlyph{"BitBtn2", 16, qRgb(255, 0, 255)}}) {
    SCOPED_TRACE(g.Name);
    const auto bmp = LoadGamePicture(g.Name);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->Image().pixel(0, g.Size - 1) | 0xFF000000u, g.Key | 0xFF000000u);
    const QPixmap pix = LoadGlyph(g.Name);
    ASSERT_EQ(pix.size(), QSize(g.Size, g.Size));
    const QImage img = pix.toImage().convertToFormat(QImage::Format_ARGB32);
    int shown = 0;
    for (int y = 0; y < g.Size; ++y)
      for (int x = 0; x < g.Size; ++x) {
        const bool key = (bmp->Image().pixel(x, y) & 0xFFFFFF) == (g.Key & 0xFFFFFF);
        EXPECT_EQ(qAlpha(img.pixel(x, y)) == 0, key) << x << "," << y;
        shown += key ? 0 : 1;
      }
    EXPECT_GT(shown, g.Size * g.Size / 6);  // a real drawing, not a blank
  }
}

TEST(PictureAssets, HitMarkerIsSixteenColoursOnWhite) {
  const QByteArray bytes = Resource(":/pictures/imgHit.bmp");
  EXPECT_EQ(U16(bytes, 28), 4);
  const auto hit = LoadGamePicture("imgHit");
  EXPECT_LE(hit->Image().colorCount(), 16);
  EXPECT_EQ(hit->TransparentColor(), clWhite);
  EXPECT_NE(Pixel(*hit, 16, 16), kWhite);  // drawn round the point hit
}

TEST(PictureAssets, AimCursorFileHasHotSpotMaskAndGreys) {
  const QByteArray bytes = Resource(":/cursors/AIM.cur");
  ASSERT_GE(bytes.size(), 22 + 40);
  EXPECT_EQ(U16(bytes, 2), 2);  // cursor
  EXPECT_EQ(U16(bytes, 4), 1);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[6]), 32);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[7]), 32);
  EXPECT_EQ(U16(bytes, 10), 16);  // hot spot x
  EXPECT_EQ(U16(bytes, 12), 16);  // hot spot y
  const int offset = I32(bytes, 18);
  EXPECT_EQ(U16(bytes, offset + 14), 8);  // 8 bits per pixel

  const auto pics = ReadIconFile(bytes);
  ASSERT_EQ(pics.size(), 1u);
  const QImage& img = pics[0].Image;
  EXPECT_EQ(img.size(), QSize(32, 32));
  EXPECT_EQ(pics[0].HotSpot, QPoint(16, 16));
  EXPECT_EQ(pics[0].BitCount, 8);
  EXPECT_EQ(qAlpha(img.pixel(16, 16)), 255);  // the aim point itself is visible
  for (auto [x, y] : {std::pair{0, 31}, {31, 0}, {31, 31}, {20, 20}}) EXPECT_EQ(qAlpha(img.pixel(x, y)), 0);
  // The ring's dark grey, its mid-grey smoothing and the light rim are there;
  // the light rim only at the upper left.
  int dark = 0, mid = 0, lightUpperLeft = 0, lightLowerRight = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const QRgb c = img.pixel(x, y);
      if (qAlpha(c) == 0) continue;
      const QRgb rgb = c & 0xFFFFFF;
      dark += rgb == 0x505050;
      mid += rgb == 0x787878;
      if (rgb == 0xCCCCCC) (x + y < 32 ? lightUpperLeft : lightLowerRight)++;
    }
  EXPECT_GT(dark, 100);
  EXPECT_GT(mid, 20);
  EXPECT_GT(lightUpperLeft, 10);
  EXPECT_EQ(lightLowerRight, 0);
  // Where the cross runs over the dark ring it must be light to be seen.
  EXPECT_GT(qGray(img.pixel(16, 2)), 200);
  EXPECT_GT(qGray(img.pixel(2, 16)), 200);

  const QCursor cursor = LoadAimCursor();
  EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16));
}

TEST(PictureAssets, MainIconHasEverySize) {
  const auto pics = ReadIconFile(Resource(":/icons/MAINICON.ico"));
  ASSERT_FALSE(pics.empty());
  EXPECT_EQ(pics[0].Image.size(), QSize(32, 32));
  EXPECT_EQ(pics[0].BitCount, 24);
  EXPECT_EQ(qAlpha(pics[0].Image.pixel(0, 31)), 0);  // masked corner
  const QIcon icon = LoadMainIcon();
  const QList<QSize> sizes = icon.availableSizes();
  for (int s : {32, 48, 64, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
}

// ---- the readers on damaged input ----

TEST(JpegImage, DecodesStoredShotWithExactlyWhiteBackground) {
  const QImage img = DecodeJpeg(Resource(":/pictures/imgRedShot.jpg"));
  ASSERT_EQ(img.size(), QSize(160, 240));
  EXPECT_EQ(img.format(), QImage::Format_RGB888);
  for (auto [x, y] : {std::pair{0, 0}, {159, 0}, {0, 239}, {159, 239}, {10, 120}})
    EXPECT_EQ(img.pixel(x, y) & 0xFFFFFF, kWhite);
}

TEST(JpegImage, DamagedStreamsFailCleanly) {
  const QByteArray good = Resource(":/pictures/imgAquaShot.jpg");
  ASSERT_GT(good.size(), 1000);
  auto patched = [&](int at, const QByteArray& bytes) {
    QByteArray b = good;
    b.replace(at, bytes.size(), bytes);
    return b;
  };
  int sof = 2;  // find the frame header to damage its fields
  while (!(static_cast<std::uint8_t>(good[sof]) == 0xFF && static_cast<std::uint8_t>(good[sof + 1]) == 0xC0)) ++sof;
  int sos = 2;
  while (!(static_cast<std::uint8_t>(good[sos]) == 0xFF && static_cast<std::uint8_t>(good[sos + 1]) == 0xDA)) ++sos;
  struct TCase {
    const char* What;
    QByteArray Stream;
  };
  const TCase cases[] = {
      {"empty", QByteArray()},
      {"not a JPEG", QByteArray("BM this is a bitmap header")},
      {"start marker only", good.left(2)},
      {"cut inside the headers", good.left(sof + 4)},
      {"cut just after the scan header", good.left(sos + 20)},
      {"cut halfway through the picture", good.left(good.size() / 2)},
      {"end marker missing", good.left(good.size() - 2)},
      {"zero width", patched(sof + 7, QByteArray(2, '\0'))},
      {"larger than the limit", patched(sof + 5, QByteArray("\xFF\xFF\xFF\xFF", 4))},
      {"two components claimed", patched(sof + 9, QByteArray("\x02", 1))},
      {"scan data overwritten", patched(sos + 40, QByteArray(200, '\xFF'))},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_THROW(DecodeJpeg(c.Stream), EJpegError);
  }
  // The decoder keeps no state: the intact stream still decodes afterwards.
  EXPECT_EQ(DecodeJpeg(good).size(), QSize(160, 240));
}

TEST(IconFile, DamagedCursorFilesFailCleanly) {
  const QByteArray good = Resource(":/cursors/AIM.cur");
  auto patched = [&](int at, const QByteArray& bytes) {
    QByteArray b = good;
    b.replace(at, bytes.size(), bytes);
    return b;
  };
  const int offset = I32(good, 18);
  struct TCase {
    const char* What;
    QByteArray Bytes;
  };
  const TCase cases[] = {
      {"empty", QByteArray()},
      {"directory only", good.left(6)},
      {"wrong type", patched(2, QByteArray("\x03\x00", 2))},
      {"no pictures", patched(4, QByteArray("\x00\x00", 2))},
      {"picture outside the file", patched(18, QByteArray("\xF0\xFF\x00\x00", 4))},
      {"picture longer than the file", patched(14, QByteArray("\xFF\xFF\x00\x00", 4))},
      {"mask cut off", good.left(good.size() - 10)},
      {"unsupported depth", patched(offset + 14, QByteArray("\x07\x00", 2))},
      {"compressed picture", patched(offset + 16, QByteArray("\x01\x00\x00\x00", 4))},
      {"odd picture height", patched(offset + 8, QByteArray("\x41\x00\x00\x00", 4))},
      {"huge picture", patched(offset + 4, QByteArray("\x00\x00\x01\x00", 4))},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_THROW(ReadIconFile(c.Bytes), EIconError);
  }
}

}  // namespace
