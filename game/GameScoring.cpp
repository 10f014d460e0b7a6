// The end of a round: result banners, the revealed and blinking answer, the
// time bonus and the repeat of a close lost round.
#include "display/OverlayImage.h"
#include "game/Design.h"
#include "game/MainUnit.h"
#include "game/Problem.h"
#include "game/Scoring.h"
#include "platform/Messages.h"
#include "platform/Random.h"

void TForm1::RevealAnswer() {
  SetCaption(Label2, AnswerText(FRoundState.FAnswer));
  CenterPanel8();
  Panel8->repaint();
}

void TForm1::BlinkAnswer() {
  for (int i = 0; i < 4; ++i) {
    // The text takes the panel's colour and vanishes, then comes back.
    QPalette p = Label2->palette();
    p.setColor(QPalette::WindowText, ToQColor(Panel8->Color()));
    Label2->setPalette(p);
    Label2->repaint();
    Pause(400);
    p.setColor(QPalette::WindowText, ToQColor(LabelColor));
    Label2->setPalette(p);
    Label2->repaint();
    Pause(400);
  }
}

void TForm1::RoundScored() {
  const TRound& r = FRoundState;
  auto stop = [this] { return FRestart || FQuit; };
  ProcessMessages();
  if (stop()) return;
  const TScoredHeadline head = ScoredHeadline(r.FBalloonsDown, r.FRoundHits);
  ShowBanner(head.Line1, head.Line2);
  BaseImage1->PresentOverlay();
  if (head.Success) PlaySound(seSuccess);
  RevealAnswer();
  ProcessMessages();
  if (stop()) return;
  Pause(600);
  BlinkAnswer();
  const int bonus = TimeBonus(r.Settings.Speed, r.FRoundTime, head.Base);
  FGameScore += r.FRoundPoints + bonus;
  ShowBanner(QStringLiteral("Balloon points: %1").arg(r.FRoundPoints), QStringLiteral("Time bonus: %1").arg(bonus));
  BaseImage1->PresentOverlay();
  ProcessMessages();
  if (stop()) return;
  Pause(2500);
  ShowBanner(QStringLiteral("This score: "), QString::number(r.FRoundPoints + bonus));
  BaseImage1->PresentOverlay();
  ProcessMessages();
  if (stop()) return;
  Pause(3000);
}

void TForm1::RoundLost() {
  ShowBanner(QStringLiteral("Oh no!"), QStringLiteral("That was the good balloon..."));
  BaseImage1->PresentOverlay();
  Pause(600);
  PlaySound(seFailure);
  RevealAnswer();
  Pause(600);
  BlinkAnswer();
  if (RepeatLostRound(FRoundState.FRoundHits)) {
    ShowBanner(QStringLiteral("You were so close,"), QStringLiteral("repeat this round!"));
    BaseImage1->PresentOverlay();
    Pause(200);
    PlaySound(seRevive);
    Pause(4000);
    --FRound;
  }
  ProcessMessages();
}
