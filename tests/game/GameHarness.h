#pragma once
// Plays the real game window headless on the virtual clock. Scripted input is
// delivered from the message hook, that is at the points where the game pumps
// messages, as a child's clicks and keys would arrive.
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "display/OverlayImage.h"
#include "game/MainUnit.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Random.h"
#include "support/RecordingSoundOutput.h"
#include "sound/SoundEffects.h"
#include <thread>

class TGameHarness {
public:
  explicit TGameHarness(std::uint32_t seed = 1, int width = 1152, int height = 864) {
    SetClock(&Clock);
    SetSoundOutput(&Sounds);
    RandSeed(seed);
    Form = std::make_unique<TForm1>();
    Form->setGeometry(0, 0, width, height);
    Form->show();
    Form->OnBanner = [this](const QString& a, const QString& b) {
      Banners.push_back({a, b, timeGetTime()});
    };
    SetMessageHook([this] { Pump(); });
    QCoreApplication::processEvents();
  }
  ~TGameHarness() {
    SetMessageHook({});
    Form.reset();
    // Sound threads sleep on the virtual clock: let them run out before it goes.
    Clock.Release();
    while (RunningSoundThreads() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    SetSoundOutput(nullptr);
    SetClock(nullptr);
  }

  struct TBannerSeen {
    QString Line1, Line2;
    std::uint32_t At;
  };

  TVirtualClock Clock;
  TRecordingSoundOutput Sounds;
  std::unique_ptr<TForm1> Form;
  std::vector<TBannerSeen> Banners;
  // Called at every message pump; return true when done (it is then removed).
  std::vector<std::function<bool()>> Script;

  // A left or right click on the playfield's pixel (x, y), with modifiers,
  // as the desktop delivers it: the window system reports the device pixel
  // under the pointer, Qt hands the window its logical position (with a
  // fraction at ratios like 1.25), and the playfield converts it back.
  void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWindow* window = Form->windowHandle();
    const qreal r = window->devicePixelRatio();
    const QPoint origin = Form->BaseImage1->mapTo(Form.get(), QPoint());
    const QPointF device(x + qRound(origin.x() * r), y + qRound(origin.y() * r));
    const QPointF local = device / r;
    const QPointF global = window->mapToGlobal(local);
    // Timestamps as QTest keeps them, so that two clicks never make a double click.
    ++QTest::lastMouseTimestamp;
    qt_handleMouseEvent(window, local, global, button, button, QEvent::MouseButtonPress, mods,
                        QTest::lastMouseTimestamp);
    qt_handleMouseEvent(window, local, global, Qt::NoButton, button, QEvent::MouseButtonRelease, mods,
                        QTest::lastMouseTimestamp);
    QTest::lastMouseTimestamp += QTest::mouseDoubleClickInterval;
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Form.get(), static_cast<Qt::Key>(key), mods); }
  // Clicks the start balloon's middle once it is on the start screen.
  void ShootStartBalloon() {
    Script.push_back([this] {
      if (!Form->FStartBalloon || Form->FStartBalloon->FShot) return false;
      const TRect& r = Form->FStartBalloon->FHitRect;
      Click((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
      return true;
    });
  }
  // Clicks on slot i's balloon where it will be when the dart arrives, unless
  // that point is off the playfield, in the shelter or covered by a balloon in
  // front. Returns whether it clicked.
  bool ShootBalloon(int i) {
    const TRound& r = Round();
    const TBalloon& b = *r.FBalloons[i];
    if (b.FShot) return false;
    // The game's own lead: aim where the balloon's middle will be.
    const TPoint lead = b.Lead(r.FFramePeriod);
    const int x = (b.FHitRect.Left + b.FHitRect.Right) / 2 + lead.X;
    const int y = (b.FHitRect.Top + b.FHitRect.Bottom) / 2 + lead.Y;
    if (!Form->Playfield().StrictlyContains(x, y) || r.FShelterRect.StrictlyContains(x, y)) return false;
    if (TRound::IsSheltered(b, r.FShelterRect)) return false;
    for (int j = i + 1; j <= 10; ++j)
      if (!r.FBalloons[j]->FShot && r.FBalloons[j]->FHitRect.StrictlyContains(x, y)) return false;
    Click(x, y);
    return true;
  }
  // The round's state and rules inside the window.
  TRound& Round() { return Form->FRoundState; }
  bool SawBanner(const QString& line1) const {
    for (const auto& b : Banners)
      if (b.Line1 == line1) return true;
    return false;
  }
  int CountBanner(const QString& line1) const {
    int n = 0;
    for (const auto& b : Banners) n += b.Line1 == line1;
    return n;
  }

private:
  void Pump() {
    // Copy: a step may add further steps.
    for (size_t i = 0; i < Script.size();) {
      auto step = Script[i];
      if (step())
        Script.erase(Script.begin() + static_cast<long>(i));
      else
        ++i;
    }
  }
};
