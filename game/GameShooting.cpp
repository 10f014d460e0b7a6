// Darts, the nuke, the shelter and the special balloons' effects. All of it runs
// inside the round loop's message processing, when no loop over FBalloons is in
// progress, so balloons may be freed and replaced here.
#include <QCursor>

#include "display/OverlayImage.h"
#include "game/MainUnit.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Random.h"

void TForm1::BaseImage1MouseDown(TMouseButton, TShiftState Shift, int X, int Y) {
  if (Shift == TShiftState{ssLeft}) {
    if (FStartBalloon) {
      FStartBalloon->HitTest(X, Y, Rect(0, 0, 0, 0));
      return;
    }
    int hitNumber = 0;
    if (FRoundRunning && Shoot(X, Y, hitNumber)) {
      if (hitNumber == FAnswer)
        EndRoundLost();
      else
        EndRoundIfDone();
    }
  } else if (Shift == TShiftState{ssRight} && FRoundRunning) {
    if (!Nuke())
      EndRoundLost();
    else if (FBalloonsDown >= 9)
      EndRoundKept();
  }
}

void TForm1::FormKeyDown(int Key) {
  if (ShootKeyDown) return;
  if (Key != Qt::Key_Space && Key != Qt::Key_Alt) return;
  ShootKeyDown = true;
  const QPoint p = BaseImage1->mapFromGlobal(QCursor::pos());
  BaseImage1MouseDown(mbLeft, Key == Qt::Key_Space ? TShiftState{ssLeft} : TShiftState{ssRight}, p.x(), p.y());
  ProcessMessages();
}

void TForm1::FormKeyUp(int) { ShootKeyDown = false; }

bool TForm1::Shoot(int X, int Y, int& HitNumber) {
  FSoundQueue.clear();
  QueueSound(seShoot);
  bool result = false;
  int flash = 0;
  if (FShelterRect.StrictlyContains(X, Y)) {
    QueueSound(seShelterHit);
    FShowHit = true;
    FHitPoint = {X, Y};
  } else {
    for (int i = 10; i >= 1; --i) {
      TBalloon& b = *FBalloons[i];
      // Test the balloon where it will be when the dart arrives.
      const long double t = 40 - 10 * b.FSize;
      const int dx = Round(t * b.FVX / FFramePeriod);
      const int dy = Round(t * b.FVY / FFramePeriod);
      if (!b.HitTest(X - dx, Y - dy, FShelterRect)) continue;
      HitNumber = b.FNumber;
      CountHit(i, flash, HitNumber);
      FShowHit = true;
      FHitPoint = {X, Y};
      result = true;
      break;
    }
  }
  StartSoundThread();
  if (flash != 0) PanelFlash();
  return result;
}

void TForm1::CountHit(int Slot, int& Flash, int& HitNumber) {
  static constexpr TSoundEvent HitSound[] = {seSmallBalloonHit, seMediumBalloonHit, seLargeBalloonHit};
  const TBalloon& b = *FBalloons[Slot];
  ++FBalloonsDown;
  ++FRoundHits;
  QueueSound(HitSound[b.FSize]);
  FRoundPoints += b.FPoints;
  SpecialHit(Slot, Flash, HitNumber);
}

bool TForm1::Nuke() {
  bool result = true;
  for (int i = 1; i <= 10; ++i) {
    TBalloon& b = *FBalloons[i];
    if (b.FShot || IsSheltered(b, FShelterRect)) continue;
    b.Burst();
    const long double vx = b.FVX, vy = b.FVY;
    b.FVY = static_cast<float>(Round(std::sqrt(vx * vx + vy * vy)));
    b.FVX = 0;
    ++FBalloonsDown;
    FRoundPoints += b.FPoints;
    if (b.FNumber == FAnswer) result = false;
  }
  PlaySound(seNuke);
  return result;
}

bool TForm1::IsSheltered(const TBalloon& B, const TRect& R) {
  return B.FHitRect.Left >= R.Left - 20 && B.FHitRect.Top >= R.Top - 20 && B.FHitRect.Right <= R.Right + 20 &&
         B.FHitRect.Bottom <= R.Bottom + 20;
}

void TForm1::SpecialHit(int Slot, int& Flash, int& HitNumber) {
  Flash = 0;
  bool spikyMade = false;
  TBalloon* b = FBalloons[Slot].get();
  const std::uint8_t size = b->FSize;
  const int chance = SpecialChance(rgrpSpecial->ItemIndex());
  if (b->FBonus && b->FNumber != FAnswer) {
    Flash = Slot;
    QueueSound(seBonus);
    MakeProblem(ChooseOperation());
    FBalloons[Slot].reset();
    FBalloons[Slot] = NewBalloon(FAnswer, static_cast<std::uint8_t>(Random(4)), size, FSpeed, chance);
    spikyMade = FBalloons[Slot]->FSpiky;
    HitNumber = FAnswer + 1;
    --FBalloonsDown;
  } else if (b->FRevive) {
    QueueSound(seRevive);
    HitNumber = FAnswer + 1;
    const int before = FBalloonsDown;
    if (b->FNumber == FAnswer) {
      const int number = b->FNumber;
      FBalloons[Slot].reset();
      FBalloons[Slot] = NewBalloon(number, static_cast<std::uint8_t>(Random(4)), size, FSpeed, chance);
      if (FBalloons[Slot]->FSpiky) QueueSound(seKicher);
      --FBalloonsDown;
    }
    do {
      spikyMade = false;
      for (int i = 1; i <= 10; ++i) {
        if (!FBalloons[i]->FShot || Random(10) >= 4) continue;
        const std::uint8_t oldSize = FBalloons[i]->FSize;
        FBalloons[i].reset();
        NewWrongBalloon(i, chance, oldSize);
        --FBalloonsDown;
        if (FBalloons[i]->FSpiky) spikyMade = true;
      }
    } while (before != 10 && FBalloonsDown >= before);
  }
  if (Flash != 0) {
    // Exactly one live balloon carries the new answer: renumber the others.
    for (int i = 1; i <= 10; ++i) {
      if (i == Slot) continue;
      TBalloon& o = *FBalloons[i];
      if (o.FShot || o.FNumber != FAnswer) continue;
      const std::uint8_t s = o.FSize;
      const bool bonus = o.FBonus, revive = o.FRevive, spiky = o.FSpiky;
      FBalloons[i].reset();
      RenumberBalloon(i, s, bonus, revive, spiky);
      if (FBalloons[i]->FSpiky) spikyMade = true;
    }
  }
  if (spikyMade) QueueSound(seKicher);
}
