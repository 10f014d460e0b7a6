// Renders the help pages' pictures with the game's own drawing code, so that
// what the help shows is what the game shows:
//   helppics <help images dir>
// The game window is played headless on a virtual clock with a fixed seed,
// so a rerun changes no file unless the game's look changed.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <cstdio>
#include <exception>
#include <thread>

#include "display/Fonts.h"
#include "display/OverlayImage.h"
#include "display/PictureAssets.h"
#include "game/Balloon.h"
#include "game/MainUnit.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Random.h"
#include "platform/SoundOutput.h"
#include "sound/SoundEffects.h"

namespace {

QString Out;

// The pictures need no sound: a player that plays nothing.
class TSilence final : public TSoundOutput {
public:
  void Stop() override {}
  void Play(const std::string&, bool) override {}
};

void Save(const QImage& img, const QString& name) {
  if (!img.save(Out + '/' + name, "PNG")) throw std::runtime_error(("cannot write " + name).toStdString());
  std::printf("%s %dx%d\n", qPrintable(name), img.width(), img.height());
}

// A picture with its key colour (the bottom-left pixel) made see-through.
QImage Keyed(const QImage& picture) {
  QImage img = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = img.pixel(0, img.height() - 1);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == (key & 0xFFFFFF)) img.setPixel(x, y, 0);
  return img;
}

QImage Doubled(const QImage& img) { return img.scaled(img.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation); }

// The sky behind a single balloon: the playfield background cut to a size.
QImage Sky(int w, int h, int fromX, int fromY) {
  const auto bg = LoadGamePicture(QStringLiteral("imgBackGround"));
  QImage field = bg->Image().scaled(1152, 864, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return field.copy(fromX, fromY, w, h).convertToFormat(QImage::Format_RGB32);
}

// One balloon of the given kind on a piece of sky, as a round shows it.
void SaveBalloon(const QString& name, int number, std::uint8_t colour, bool bonus, bool revive, bool spiky,
                 bool shot) {
  std::map<QString, std::unique_ptr<TBitmap>> pics;
  auto pic = [&](const QString& n) -> const TBitmap* {
    auto& p = pics[n];
    if (!p) p = LoadGamePicture(n);
    return p.get();
  };
  const TImageLookup images = [&](std::uint8_t c, int i) { return pic(BalloonImageName(c, i)); };
  const TImageLookup shots = [&](std::uint8_t c, int) { return pic(ShotImageName(c)); };
  const TBadgePictures badges{pic(QStringLiteral("imgBonus")), pic(QStringLiteral("imgRevive")),
                              pic(QStringLiteral("imgSpiky"))};
  // A playfield a quarter wider than the design width: large, clear pictures.
  TBalloon b(number, colour, 2, images, shots, Rect(0, 0, 1440, 1080), 5.0, bonus, revive, spiky, badges);
  const TBitmap& face = shot ? *b.FShotImage : *b.FImages[1];
  QImage canvas = Sky(face.Width() + 24, face.Height() + 16, 300 + 40 * colour, 120);
  QPainter p(&canvas);
  p.drawImage(12, 8, Keyed(face.Image()));
  p.end();
  Save(canvas, name);
}

// What the screen shows: the window's controls and, over the playfield, the
// frame the playfield presented last (a plain repaint would show only the
// background, as after the desktop uncovers it).
QImage Screen(TForm1& form) {
  // Copied first: the grab repaints the playfield, which restores the background
  // into the overlay buffer.
  const QImage frame = form.BaseImage1->OverlayCanvas().Bitmap().Image().copy();
  QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
  QPainter p(&shot);
  p.drawImage(form.BaseImage1->pos(), frame);
  return shot;
}

// Notes that the playfield presented a frame; the overlay buffer then holds
// the whole frame until the next frame starts drawing.
class TPresentWatch final : public QObject {
public:
  bool Presented = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) Presented = true;
    return false;
  }
};

// Plays the real game window up to a round and photographs it on the way.
void SaveGameWindow() {
  TVirtualClock clock;
  TSilence sounds;
  SetClock(&clock);
  SetSoundOutput(&sounds);
  RandSeed(7);
  {
    TForm1 form;
    form.setGeometry(0, 0, 1152, 864);
    form.show();
    QCoreApplication::processEvents();
    form.FShowInstructions = false;
    form.FNoSound = true;
    form.FPlayerName = QStringLiteral("Ada");
    form.SpeedTest();
    TPresentWatch watch;
    form.BaseImage1->installEventFilter(&watch);
    enum { StartScreen, Shooting, Done } stage = StartScreen;
    int shots = 0;
    SetMessageHook([&] {
      if (stage == StartScreen && form.FStartBalloon && !form.FStartBalloon->FShot) {
        stage = Shooting;  // RedrawStartScreen pumps messages, which calls this again
        form.rgrpLevel->SetItemIndex(2);
        form.rgrpSpecial->SetItemIndex(2);
        form.RedrawStartScreen();
        Save(Screen(form).scaled(768, 576, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
             QStringLiteral("game-start.png"));
        const TRect& r = form.FStartBalloon->FHitRect;
        QTest::mouseClick(form.BaseImage1, Qt::LeftButton, Qt::NoModifier,
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        return;
      }
      const bool whole = watch.Presented;
      watch.Presented = false;
      if (stage != Shooting || !form.FRoundState.FRoundRunning) return;
      const std::uint32_t t = timeGetTime() - form.FRoundState.FRoundStart;
      // Two wrong balloons down early, so that the picture shows points falling.
      if (shots < 2 && t > 1500 + 700u * shots) {
        for (int i = 10; i >= 1; --i) {
          TBalloon& b = *form.FRoundState.FBalloons[i];
          if (b.FShot || b.FNumber == form.FRoundState.FAnswer || TForm1::IsSheltered(b, form.FRoundState.FShelterRect)) continue;
          const int x = (b.FHitRect.Left + b.FHitRect.Right) / 2, y = (b.FHitRect.Top + b.FHitRect.Bottom) / 2;
          if (form.FRoundState.FShelterRect.StrictlyContains(x, y) || !form.Playfield().StrictlyContains(x, y)) continue;
          QTest::mouseClick(form.BaseImage1, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
          break;
        }
        ++shots;
      }
      if (t > 2600 && whole) {
        const QImage shot = Screen(form);
        Save(shot.scaled(768, 576, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), QStringLiteral("game-round.png"));
        Save(form.Panel8->grab().toImage(), QStringLiteral("problem.png"));
        // The shelter with what lies around it, at the game's own size.
        const QPoint field = form.BaseImage1->pos();
        const TRect& s = form.FRoundState.FShelterRect;
        const QRect around = QRect(s.Left - 40, s.Top - 40, s.Width() + 80, s.Height() + 80)
                                 .translated(field)
                                 .intersected(QRect(field, form.BaseImage1->size()));
        Save(shot.copy(around), QStringLiteral("shelter.png"));
        stage = Done;
        form.FQuit = true;
      }
    });
    form.PlayGame();
    SetMessageHook({});
  }
  clock.Release();
  while (RunningSoundThreads() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  SetSoundOutput(nullptr);
  SetClock(nullptr);
}

void Generate() {
  QDir().mkpath(Out);
  SaveGameWindow();
  SaveBalloon(QStringLiteral("bonus.png"), 12, 1, true, false, false, false);
  SaveBalloon(QStringLiteral("revive.png"), 7, 2, false, true, false, false);
  SaveBalloon(QStringLiteral("spiky.png"), 9, 3, false, false, true, false);
  SaveBalloon(QStringLiteral("shot.png"), 5, 0, false, false, false, true);
  for (const char* glyph : {"HelpBtn", "OptionsBtn", "RestartBtn", "ExitBtn", "imgSpeaker"}) {
    const QPixmap g = LoadGlyph(QString::fromLatin1(glyph));
    Save(Doubled(g.toImage()), QString::fromLatin1(glyph) + ".png");
  }
  Save(LoadAimCursor().pixmap().toImage(), QStringLiteral("aim.png"));
  Save(Keyed(LoadGamePicture(QStringLiteral("imgHit"))->Image()), QStringLiteral("hit.png"));
  Save(LoadMainIcon().pixmap(64, 64).toImage(), QStringLiteral("icon.png"));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: helppics <help images dir>\n");
    return 2;
  }
  RegisterGameFonts();
  Out = QString::fromLocal8Bit(argv[1]);
  try {
    Generate();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "helppics: %s\n", e.what());
    return 1;
  }
  return 0;
}
