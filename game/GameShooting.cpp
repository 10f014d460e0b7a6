// The window's side of darts, the nuke and the special balloons: input turned
// into calls of the round's rules (game/Round.h), and what they decided shown
// and sounded. All of it runs inside the round loop's message processing.
#include <QCursor>

#include "display/OverlayImage.h"
#include "game/MainUnit.h"
#include "platform/Messages.h"

void TForm1::BaseImage1MouseDown(TMouseButton, TShiftState Shift, int X, int Y) {
  if (Shift == TShiftState{ssLeft}) {
    if (FStartBalloon) {
      FStartBalloon->HitTest(X, Y, Rect(0, 0, 0, 0));
      return;
    }
    FRoundState.Dart(X, Y, [this, X, Y](const TShotOutcome& shot) { ShowShot(shot, X, Y); });
  } else if (Shift == TShiftState{ssRight}) {
    FRoundState.NukeShot([this] { PlaySound(seNuke); });
  }
}

void TForm1::FormKeyDown(int Key, std::uint64_t Time, bool AutoRepeat) {
  if (!ShootKeys.KeyDown(Key, Key == Qt::Key_Space || Key == Qt::Key_Alt, Time, AutoRepeat)) return;
  const QPoint p = BaseImage1->ScreenToClient(QCursor::pos());
  BaseImage1MouseDown(mbLeft, Key == Qt::Key_Space ? TShiftState{ssLeft} : TShiftState{ssRight}, p.x(), p.y());
  ProcessMessages();
}

void TForm1::FormKeyUp(int Key, std::uint64_t Time, bool AutoRepeat) { ShootKeys.KeyUp(Key, Time, AutoRepeat); }

TShotOutcome TForm1::Shoot(int X, int Y) {
  const TShotOutcome shot = FRoundState.Shoot(X, Y);
  ShowShot(shot, X, Y);
  return shot;
}

void TForm1::ShowShot(const TShotOutcome& Shot, int X, int Y) {
  if (Shot.Marker) {
    FShowHit = true;
    FHitPoint = {X, Y};
  }
  if (Shot.NewProblem) ShowProblem();
  StartSoundThread();
  if (Shot.NewProblem) PanelFlash();
}

bool TForm1::Nuke() {
  const bool kept = FRoundState.Nuke();
  PlaySound(seNuke);
  return kept;
}

TSpecialOutcome TForm1::SpecialHit(int Slot) {
  const TSpecialOutcome special = FRoundState.SpecialHit(Slot);
  if (special.NewProblem) ShowProblem();
  return special;
}
