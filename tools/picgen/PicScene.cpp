// Renders the embedded pictures as the game shows them, for a person to look
// at: each picture enlarged, and a scene of sky, keyed balloons, badges and
// the shelter mixed at the game's weight.
//   picscene <preview dir>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <cstdio>

#include "display/Bitmap.h"
#include "display/GraphicsRoutines.h"
#include "display/PictureAssets.h"

namespace {

QImage Enlarged(const QImage& img, int factor) {
  return img.convertToFormat(QImage::Format_RGB32).scaled(img.size() * factor, Qt::IgnoreAspectRatio,
                                                            Qt::FastTransformation);
}

// The shelter mixed over the scene with the game's own blend.
void Mix(TBitmap& frame, const TRect& r, const TBitmap& shelter, int weight) {
  TBitmap s(r.Width(), r.Height());
  s.Canvas().StretchDraw(Rect(0, 0, r.Width(), r.Height()), shelter);
  TBitmap mixed(r.Width(), r.Height());
  BlendBitmaps(frame, s, mixed, weight, r.Left, 0, r.Top, 0, r.Width(), r.Height());
  frame.Canvas().CopyRect(r.Left, r.Top, mixed, Rect(0, 0, r.Width(), r.Height()));
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
        TBitmap keyed(300, 376);
        keyed.Canvas().Brush.Color = RGB(90, 110, 130);
        keyed.Canvas().FillRect(Rect(0, 0, 300, 376));
        keyed.Canvas().StretchDraw(Rect(0, 0, 300, 376), *b);
        p.drawImage(f * 330, row * 490, keyed.Image());
      }
      auto shot = LoadGamePicture(QString("img%1Shot").arg(names[row]));
      TBitmap keyed(320, 480);
      keyed.Canvas().Brush.Color = RGB(90, 110, 130);
      keyed.Canvas().FillRect(Rect(0, 0, 320, 480));
      keyed.Canvas().StretchDraw(Rect(0, 0, 320, 480), *shot);
      p.drawImage(3 * 330, row * 490, keyed.Image());
      auto badge = LoadGamePicture(extra[row]);
      TBitmap k2(300, 376);
      k2.Canvas().Brush.Color = RGB(90, 110, 130);
      k2.Canvas().FillRect(Rect(0, 0, 300, 376));
      k2.Canvas().StretchDraw(Rect(0, 0, 300, 376), *badge);
      p.drawImage(4 * 330, row * 490, k2.Image());
    }
    p.end();
    sheet.save(out + "/sheet.png");
  }

  // The scene: a 1152 x 760 playfield, balloons at the large size (97 x 121).
  const int W = 1152, H = 760;
  TBitmap frame(W, H);
  frame.Canvas().StretchDraw(Rect(0, 0, W, H), *LoadGamePicture("imgBackGround"));
  const char* colours[] = {"Red", "Yellow", "Aqua", "Lime"};
  const char* badges[] = {nullptr, "imgBonus", "imgRevive", "imgSpiky"};
  for (int i = 0; i < 12; ++i) {
    const int bw = i < 8 ? 97 : 79, bh = Round(bw * 1.25);
    TBitmap b(bw, bh);
    const auto pic = LoadGamePicture(QString("img%1%2").arg(colours[i % 4]).arg(i % 3 + 1));
    b.Canvas().StretchDraw(Rect(0, 0, bw, bh), *pic);
    if (i >= 4 && i < 8 && badges[i - 4]) {
      const auto badge = LoadGamePicture(badges[i - 4]);
      b.Canvas().StretchDraw(Rect(0, 0, bw, bh), *badge);
    }
    b.Canvas().Font.Name = "ComicSansMS";
    b.Canvas().Font.SetSize(20);
    b.Canvas().Font.Bold = true;
    b.Canvas().Brush.Style = TBrushStyle::bsClear;
    const QString text = QString::number(10 + i * 7);
    const int tw = b.Canvas().TextWidth(text), th = b.Canvas().TextHeight(text);
    const int x = bw / 2 - tw / 2, y = bh / 3 - th / 3;
    b.Canvas().Font.Color = clSilver;
    for (auto [dx, dy] : {std::pair{1, 1}, {-1, 1}, {1, -1}, {-1, -1}}) b.Canvas().TextOut(x + dx, y + dy, text);
    b.Canvas().Font.Color = clBlack;
    b.Canvas().TextOut(x, y, text);
    b.Transparent = true;
    frame.Canvas().Draw(60 + (i % 6) * 170, 60 + (i / 6) * 200 + (i % 2) * 40, b);
  }
  for (int i = 0; i < 4; ++i) {
    TBitmap s(97, 121);
    s.Transparent = true;
    s.Canvas().StretchDraw(Rect(0, 0, 97, 121), *LoadGamePicture(QString("img%1Shot").arg(colours[i])));
    frame.Canvas().Draw(80 + i * 150, 520, s);
  }
  const auto hit = LoadGamePicture("imgHit");
  frame.Canvas().Draw(400, 480, *hit);
  Mix(frame, Rect(700, 380, 700 + 261, 380 + 201), *LoadGamePicture("imgShelter"), 100);
  frame.Image().save(out + "/scene.png");
  return 0;
}
