// Renders the embedded pictures as the game shows them, for a person to look
// at: each picture enlarged, and scenes of the playfield made with the game's
// own balloon and playfield code at the design width and on a 4K screen:
// balloons of every size and colour, burst balloons with their points, special
// badges and the shelter, with enlarged crops where single pixels matter.
//   picscene <preview dir>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <cstdio>
#include <map>

#include "display/Bitmap.h"
#include "display/Fonts.h"
#include "display/GraphicsRoutines.h"
#include "display/OverlayImage.h"
#include "display/PictureAssets.h"
#include "game/Balloon.h"
#include "platform/Random.h"

namespace {

QImage Enlarged(const QImage& img, int factor) {
  return img.convertToFormat(QImage::Format_RGB32).scaled(img.size() * factor, Qt::IgnoreAspectRatio,
                                                            Qt::FastTransformation);
}

// A picture stretched to w x h as the game makes a balloon's pictures (over
// a white, keyed bitmap) and drawn as the game draws them, on a grey that
// shows any light fringe.
QImage OnGround(const TBitmap& picture, int w, int h) {
  TBitmap made(w, h);
  made.Canvas().StretchDraw(Rect(0, 0, w, h), picture);
  made.Transparent = picture.Transparent;
  TBitmap ground(w, h);
  ground.Canvas().Brush.Color = RGB(90, 110, 130);
  ground.Canvas().FillRect(Rect(0, 0, w, h));
  ground.Canvas().Draw(0, 0, made);
  return ground.Image();
}

// The embedded pictures by name, loaded once; what the game window holds.
const TBitmap* Picture(const QString& name) {
  static std::map<QString, std::unique_ptr<TBitmap>> loaded;
  auto [it, fresh] = loaded.try_emplace(name);
  if (fresh) it->second = LoadGamePicture(name);
  return it->second.get();
}

// A playfield of the given width (height in the game's proportion) composed as
// a frame of the game: balloons drawn keyed, the shelter mixed over them.
// Everything is placed in design units (the 1152-wide playfield) and scaled.
QImage Playfield(int W) {
  const int H = W * 600 / 1152;
  const double g = W / 1152.0;
  auto at = [g](double v) { return Round(v * g); };
  TOverlayImage field;
  field.resize(W, H);
  field.Loaded();
  field.BaseCanvas().StretchDraw(Rect(0, 0, W, H), *Picture("imgBackGround"));
  field.ResetOverlay();

  RandSeed(7);
  const TImageLookup image = [](std::uint8_t c, int i) { return Picture(BalloonImageName(c, i)); };
  const TImageLookup shot = [](std::uint8_t c, int) { return Picture(ShotImageName(c)); };
  const TBadgePictures badges{Picture("imgBonus"), Picture("imgRevive"), Picture("imgSpiky")};
  const TRect area = Rect(0, 0, W, H);
  auto put = [&](const TBitmap& b, double x, double y) {
    field.DrawOnOverlay(Rect(at(x), at(y), at(x) + b.Width(), at(y) + b.Height()), b);
  };
  // Row 1: each colour at the three sizes, small to large.
  for (int c = 0; c < 4; ++c)
    for (int size = 0; size < 3; ++size) {
      TBalloon b(10 + 7 * c + size, std::uint8_t(c), std::uint8_t(size), image, shot, area, 5.0, false, false, false,
                 badges);
      const double x[] = {0, 66, 155};
      put(*b.FImages[1 + (c + size) % 3], 20 + c * 280 + x[size], 20 + (2 - size) * 25);
    }
  // Row 2: burst balloons with their points: the three sizes, a Bonus balloon
  // (red points) and a Spiky Bonus balloon (worth the most).
  struct { int Colour, Size; bool Bonus, Spiky; } down[] = {
      {0, 0, false, false}, {1, 1, false, false}, {2, 2, false, false}, {3, 1, true, false}, {0, 2, true, true},
      {1, 0, true, false}};
  for (int k = 0; k < 6; ++k) {
    const auto& d = down[k];
    TBalloon b(1, std::uint8_t(d.Colour), std::uint8_t(d.Size), image, shot, area, 5.0, d.Bonus, false, d.Spiky,
               badges);
    put(*b.FShotImage, 20 + k * 130, 180);
  }
  // Row 3: the special badges on live balloons, and the shelter (three times
  // a large balloon's hit box, made as the game makes it) over one of them
  // and the sky.
  const bool kinds[][3] = {{true, false, false}, {false, true, false}, {false, false, true}, {true, false, true}};
  for (int k = 0; k < 4; ++k) {
    TBalloon b(42 + k, std::uint8_t(k), 2, image, shot, area, 5.0, kinds[k][0], kinds[k][1], kinds[k][2], badges);
    put(*b.FImages[1], 20 + k * 120, 330);
  }
  TBalloon model(1, 0, 2, image, shot, area, 5.0, false, false, false, badges);
  TBitmap shelter(Round(3.0L * model.FHitRect.Width()), Round(3.0L * model.FHitRect.Height()));
  if (const TBitmap* stored = Picture("imgShelter")) {
    TBitmap keyed;
    keyed.Assign(*stored);
    keyed.Transparent = true;
    shelter.Canvas().StretchDraw(Rect(0, 0, shelter.Width(), shelter.Height()), keyed);
    shelter.Transparent = true;
  }
  TBalloon under(77, 2, 1, image, shot, area, 5.0, false, false, false, badges);
  put(*under.FImages[2], 640, 400);
  field.BlendOnOverlay(Rect(at(560), at(350), at(560) + shelter.Width(), at(350) + shelter.Height()), 100, shelter);
  return field.OverlayBuffer()->Image().copy();
}

// The part (in design units) of a playfield of width W, enlarged by factor.
QImage Crop(const QImage& field, double x, double y, double w, double h, int factor) {
  const double g = field.width() / 1152.0;
  const QImage part = field.copy(Round(x * g), Round(y * g), Round(w * g), Round(h * g));
  return part.scaled(part.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: picscene <preview dir>\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  for (const QString& name : GamePictureNames()) {
    const auto bmp = LoadGamePicture(name);
    if (!bmp) continue;
    const int factor = bmp->Width() <= 32 ? 8 : (bmp->Width() < 300 ? 3 : 2);
    Enlarged(bmp->Image(), factor).save(out + "/" + name + ".png");
  }
  {
    // Cursor and icon as stored, on a checkered ground to show the mask.
    const QCursor aim = LoadAimCursor();
    QImage c(32 * 8, 32 * 8, QImage::Format_RGB32);
    QPainter p(&c);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) p.fillRect(x * 8, y * 8, 8, 8, ((x + y) % 2) ? QColor(120, 180, 240) : QColor(250, 250, 200));
    p.drawPixmap(0, 0, aim.pixmap().scaled(256, 256));
    p.end();
    c.save(out + "/AIM.png");
    LoadMainIcon().pixmap(32, 32).toImage().scaled(256, 256).save(out + "/MAINICON32.png");
    LoadMainIcon().pixmap(128, 128).toImage().save(out + "/MAINICON128.png");
  }

  {
    // The glyphs as Qt buttons show them (masked), on the light control bar.
    QImage g(5 * 200, 200, QImage::Format_RGB32);
    g.fill(QColor(236, 236, 236));
    QPainter p(&g);
    int i = 0;
    for (const char* name : {"ExitBtn", "HelpBtn", "OptionsBtn", "RestartBtn", "imgSpeaker"}) {
      const QPixmap pix = LoadGlyph(name);
      p.drawPixmap(i * 200 + 10, 10, pix.scaled(pix.size() * (pix.width() > 16 ? 7 : 10)));
      ++i;
    }
    p.end();
    g.save(out + "/glyphs.png");
  }
  {
    // A contact sheet: the three frames of each colour, its shot picture and
    // the badges, enlarged twice, on a grey that shows any light fringe.
    QImage sheet(5 * 330, 4 * 490, QImage::Format_RGB32);
    sheet.fill(QColor(90, 110, 130));
    QPainter p(&sheet);
    const char* names[] = {"Red", "Yellow", "Aqua", "Lime"};
    const char* extra[] = {"imgBonus", "imgRevive", "imgSpiky", "imgShelter"};
    for (int row = 0; row < 4; ++row) {
      for (int f = 0; f < 3; ++f) {
        auto b = LoadGamePicture(QString("img%1%2").arg(names[row]).arg(f + 1));
        p.drawImage(f * 330, row * 490, OnGround(*b, 300, 376));
      }
      auto shot = LoadGamePicture(QString("img%1Shot").arg(names[row]));
      p.drawImage(3 * 330, row * 490, OnGround(*shot, 320, 480));
      auto badge = LoadGamePicture(extra[row]);
      p.drawImage(4 * 330, row * 490, OnGround(*badge, 300, 376));
    }
    p.end();
    sheet.save(out + "/sheet.png");
  }

  // The playfield scenes. At the design width single pixels are enlarged four
  // times; on a 4K screen the balloons are big enough to see at their size.
  RegisterGameFonts();
  for (int W : {1152, 1920, 3840}) {
    const QImage field = Playfield(W);
    const QString w = QString::number(W);
    field.save(out + "/scene-" + w + ".png");
    const int factor = W == 1152 ? 4 : 1;
    Crop(field, 10, 10, 290, 150, factor).save(out + "/balloons-" + w + ".png");
    Crop(field, 10, 170, 790, 150, W == 1152 ? 2 : 1).save(out + "/burst-" + w + ".png");
    Crop(field, 540, 330, 300, 240, W == 1152 ? 2 : 1).save(out + "/shelter-" + w + ".png");
  }
  return 0;
}
