// The game and round loops: PlayGame, btnGoClick, the frame step, the speed test
// and the drawing they share (banners, clock, start screen).
#include <QApplication>

#include "display/OverlayImage.h"
#include "game/Design.h"
#include "game/MainUnit.h"
#include "game/RoundTiming.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Random.h"

void TForm1::StartKick() {
  PlaySound(seEntry);
  FShowHit = false;
  BaseImage1->SuspendBaseNotify();
  SpeedTest();
  FGameCount = 0;
}

void TForm1::Pause(int Ms) { ::Sleep(static_cast<std::uint32_t>(std::max(0, Ms))); }

void TForm1::PlayGame() {
  RestartBtn->hide();
  ProcessMessages();
  if (FQuit) return;
  if (!FRestart) {
    ExitBtn->hide();
    if (AskPlayerName) AskPlayerName();
  }
  ProcessMessages();
  FRestart = false;

  // Start screen.
  SetBarHeight(98);
  ShowRadioGroups(true);
  OptionsBtn->show();
  HelpBtn->show();
  ExitBtn->show();
  SetCaption(Label1, QStringLiteral(" %1 ").arg(QLatin1String(ProductWord1)));
  SetCaption(Label2, QStringLiteral(" %1 ").arg(QLatin1String(ProductWord2)));
  ProcessMessages();
  Pause(300);
  ++FGameCount;

  FStartBalloon = NewBalloon(10, 0, 2, 5.0, 5);
  {
    // Centred on the window's width (the playfield's) with its top at y = 20;
    // it never moves.
    TBalloon& b = *FStartBalloon;
    b.MoveBy((b.FRect.Left + Playfield().Right - b.FRect.Right) / 2 - b.FRect.Left, InPixels(20) - b.FRect.Top);
  }
  if (FGameCount == 1 && !FShelterBitmap) MakeShelterPicture(*FStartBalloon);
  ShowBanner(QStringLiteral("Pick your settings."), QStringLiteral("Click the balloon, when you are ready."));
  BaseImage1->DrawOnOverlay(FStartBalloon->FRect, *FStartBalloon->FImages[Random(3) + 1]);
  BaseImage1->PresentOverlay();
  do {
    ::Sleep(100);
    ProcessMessages();
    if (FQuit) return;
  } while (!FStartBalloon->FShot);

  PlaySound(seLargeBalloonHit);
  BaseImage1->DrawOnOverlay(FStartBalloon->FRect, *FStartBalloon->FShotImage);
  BaseImage1->PresentOverlay();
  RestartBtn->show();
  ShowRadioGroups(false);
  SetBarHeight(48);
  OptionsBtn->hide();
  HelpBtn->hide();
  ProcessMessages();
  Pause(500);
  FStartBalloon.reset();

  if (FGameCount == 1 && FShowInstructions) {
    struct Banner { const char* l1; const char* l2; };
    const Banner banners[] = {{"Watch the yellow frame", "for the problem."},
                              {"Shoot all ", "wrong balloons"},
                              {"Left click shoots,", "right click nukes."},
                              {"Watch out for", "special balloons."}};
    const int count = rgrpSpecial->ItemIndex() > 0 ? 4 : 3;
    for (int i = 0; i < count; ++i) {
      ShowBanner(QString::fromLatin1(banners[i].l1), QString::fromLatin1(banners[i].l2));
      BaseImage1->PresentOverlay();
      ProcessMessages();
      if (FQuit || FRestart) return;
      Pause(4000);
    }
  }
  ProcessMessages();
  if (FQuit || FRestart) return;

  FGameScore = 0;
  ShowBanner(QStringLiteral("Get ready for"), QStringLiteral("the first problem."));
  BaseImage1->PresentOverlay();
  Pause(1000);
  PlaySound(seStart);
  Pause(1000);

  FRound = 1;
  while (FRound <= 5) {
    ProcessMessages();
    if (!FQuit && !FRestart) {
      FRoundState.PlaceShelter(FShelterBitmap ? FShelterBitmap->Width() : 0,
                               FShelterBitmap ? FShelterBitmap->Height() : 0);
      btnGoClick();
      ProcessMessages();
      if (FQuit) return;
      if (FRestart) break;
      if (FRound < 5) {
        ShowBanner(QStringLiteral("Get ready for"), QStringLiteral("the next problem."));
        BaseImage1->PresentOverlay();
        Pause(1000);
        PlaySound(seStart);
        Pause(2000);
      } else {
        RestartBtn->hide();
        ShowBanner(QStringLiteral("Your total Score:"), QString::number(FGameScore));
        BaseImage1->PresentOverlay();
        ProcessMessages();
        if (FQuit) return;
        Pause(4000);
        if (GameOver) GameOver();
      }
    }
    ++FRound;
  }
  for (TRadioGroup* g : {rgrpLevel, rgrpSpeed, rgrpSpecial}) g->setEnabled(true);
}

void TForm1::btnGoClick() {
  TakeRoundSettings();
  TRound& r = FRoundState;
  const std::uint8_t op = r.ChooseOperation();
  MakeProblem(op);
  r.FOperation = op;
  ProcessMessages();
  if (FQuit || FRestart) return;
  SetupRound();
  Pause(2000);

  if (!FAimCursorSet) {
    QApplication::setOverrideCursor(FAimCursor);
    FAimCursorSet = true;
  }
  KeyPreview = true;
  for (int i = 1; i <= 10; ++i) {
    const TBalloon& b = *r.FBalloons[i];
    BaseImage1->DrawOnOverlay(b.FRect, *b.FImages[b.FFrame]);
  }
  BaseImage1->BlendOnOverlay(r.FShelterRect, 100, *FShelterBitmap);
  BaseImage1->PresentOverlay();
  ProcessMessages();

  r.Begin();
  while (r.FRoundRunning) {
    FrameStep(r.FFramePeriod);
    ProcessMessages();
    if (FQuit || FRestart) break;
  }
  if (!FQuit && !FRestart) {
    // The tail: balloons that went down keep falling; input does nothing now.
    const std::uint32_t t = timeGetTime() + 800;
    do {
      FrameStep(r.FFramePeriod);
      ProcessMessages();
    } while (static_cast<std::int32_t>(t - timeGetTime()) >= 0);
  }
  if (FAimCursorSet) {
    QApplication::restoreOverrideCursor();
    FAimCursorSet = false;
  }
  if (!FQuit && !FRestart) {
    if (r.FRightBalloonKept)
      RoundScored();
    else
      RoundLost();
  }
  KeyPreview = false;
  r.Abandon();
}

void TForm1::SetupRound() {
  TakeRoundSettings();
  FRoundState.Setup(FFrameTime, Playfield().Width());
  StartSoundThread();
}

void TForm1::FrameStep(int APeriod) {
  const std::uint32_t deadline = timeGetTime() + static_cast<std::uint32_t>(APeriod);
  TRound& r = FRoundState;
  r.FSoundQueue.clear();
  r.MoveBalloons();
  r.SpikyPops([this](bool NewProblem) {
    if (NewProblem) ShowProblem();
    StartSoundThread();
    if (NewProblem) PanelFlash();
  });
  DrawBalloons();
  r.MoveShelter();
  BaseImage1->BlendOnOverlay(r.FShelterRect, 100, *FShelterBitmap);
  ProcessMessages();
  if (FShowHit) {
    // Centred on the dart's point: 32 x 32 at a pixel ratio of 1.
    if (const TBitmap* hit = FHitImageInPixels ? FHitImageInPixels.get() : FHitImage) {
      const int left = FHitPoint.X - hit->Width() / 2, top = FHitPoint.Y - hit->Height() / 2;
      BaseImage1->DrawOnOverlay(Rect(left, top, left + hit->Width(), top + hit->Height()), *hit);
    }
    FShowHit = false;
  }
  r.TimeOut(timeGetTime());
  DrawClock();
  BaseImage1->PresentOverlay();
  // A signed difference (taken modulo 2^32, so the clock's wrap is harmless):
  // a late frame never sleeps.
  const std::int32_t left = static_cast<std::int32_t>(deadline - timeGetTime());
  if (left > 0) ::Sleep(static_cast<std::uint32_t>(left));
}

void TForm1::DrawBalloons() {
  for (int i = 1; i <= 10; ++i) {
    const TBalloon& b = *FRoundState.FBalloons[i];
    BaseImage1->DrawOnOverlay(b.FRect, b.FShot ? *b.FShotImage : *b.FImages[b.FFrame]);
  }
}

void TForm1::FreeBalloons() { FRoundState.FreeBalloons(); }

void TForm1::MakeShelterPicture(const TBalloon& model) {
  FShelterBitmap =
      std::make_unique<TBitmap>(Round(3.0L * model.FHitRect.Width()), Round(3.0L * model.FHitRect.Height()));
  if (const TImage* img = FindImage(QStringLiteral("imgShelter")); img && img->Graphic) {
    // Keyed on the white outside its rounded frame: the sky shows in the
    // corners, and the pane itself is mixed in whole.
    TBitmap keyed;
    keyed.Assign(*img->Graphic);
    keyed.Transparent = true;
    FShelterBitmap->Canvas().StretchDraw(Rect(0, 0, FShelterBitmap->Width(), FShelterBitmap->Height()), keyed);
    FShelterBitmap->Transparent = true;
  }
}

void TForm1::SpeedTest() {
  struct Guard {
    TForm1* f;
    ~Guard() { f->FreeBalloons(); }
  } guard{this};
  TRound& r = FRoundState;
  for (int i = 1; i <= 10; ++i) r.FBalloons[i] = NewBalloon(100, 0, 2, 5.0, 5);
  MakeShelterPicture(*r.FBalloons[1]);
  r.FShelterDX = 5;
  r.FShelterDY = 5;
  r.FShelterRect = Rect(0, 0, FShelterBitmap->Width(), FShelterBitmap->Height());
  r.FShelterStep = true;
  const std::uint32_t t0 = timeGetTime();
  for (int n = 0; n < 200; ++n) {
    r.MoveBalloons();
    DrawBalloons();
    r.MoveShelter();
    BaseImage1->BlendOnOverlay(r.FShelterRect, 100, *FShelterBitmap);
    BaseImage1->PresentOverlay();
  }
  FFrameTime = SpeedTestFrameTime(t0, timeGetTime());
  if (FrameTimeWarns(FFrameTime) && ShowMessage) ShowMessage(SlowMachineWarning());
}

void TForm1::ShowBanner(const QString& Line1, const QString& Line2) {
  if (OnBanner) OnBanner(Line1, Line2);
  const TRect field = Playfield();
  const int W = field.Width(), H = field.Height();
  // Measured at the playfield font's own size (in pixels); drawn at a size that
  // follows the playfield's width in pixels, so the banner keeps its share of
  // the width at every pixel ratio.
  TCanvas& c = BaseImage1->BaseCanvas();
  const int x1 = W / 2 - c.TextWidth(Line1) / 2;
  const int y1 = H / 2 - c.TextHeight(Line1);
  const int x2 = W / 2 - c.TextWidth(Line2) / 2;
  const int y2 = H / 2;
  BaseImage1->SetOverlayFont(c.Font);
  BaseImage1->OverlayFont().SetSize(Round(static_cast<long double>(BaseImage1Font.Size()) * W / DesignWidth));
  BaseImage1->OverlayFont().Color = WindowColor;
  BaseImage1->TextOnOverlay(x1 - 1, y1 - 1, Line1);
  BaseImage1->TextOnOverlay(x2 - 1, y2 - 1, Line2);
  BaseImage1->TextOnOverlay(x1 + 1, y1 + 1, Line1);
  BaseImage1->TextOnOverlay(x2 + 1, y2 + 1, Line2);
  BaseImage1->OverlayFont().Color = BannerColor;
  BaseImage1->TextOnOverlay(x1, y1, Line1);
  BaseImage1->TextOnOverlay(x2, y2, Line2);
}

void TForm1::DrawClock() {
  const std::uint32_t remaining = RemainingRoundTime(FRoundState.FRoundStart, timeGetTime());
  BaseImage1->SetOverlayFont(InPixels(FontDialog1Font));
  BaseImage1->TextOnOverlay(InPixels(10), InPixels(10), ClockText(remaining));
}

void TForm1::RedrawStartScreen() {
  if (!FStartBalloon) return;
  ProcessMessages();
  if (!FStartBalloon) return;  // the start balloon may have gone while messages ran
  ShowBanner(QStringLiteral("Pick your settings."), QStringLiteral("Click the balloon, when you are ready."));
  BaseImage1->DrawOnOverlay(FStartBalloon->FRect, *FStartBalloon->FImages[Random(3) + 1]);
  BaseImage1->PresentOverlay();
}

void TForm1::BaseImage1OverlayPaint() {
  BaseImage1->SetOverlayFont(InPixels(FontDialog1Font));
  BaseImage1->TextOnOverlay(Playfield().Right - InPixels(110), InPixels(10), QString::number(FRoundState.FRoundPoints));
}

void TForm1::BaseImage1Resize() {
  // A change of screen or scale lands here too: the rules, fonts, hit marker
  // and cursor follow the new size in pixels.
  FRoundState.FArea = Playfield();
  FollowPixelRatio();
  if (const TImage* bg = FindImage(QStringLiteral("imgBackGround")); bg && bg->Graphic)
    BaseImage1->BaseCanvas().StretchDraw(Playfield(), *bg->Graphic);
  BaseImage1->ResetOverlay();
}
