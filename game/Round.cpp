#include "game/Round.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/RoundTiming.h"
#include "platform/Clock.h"
#include "platform/Random.h"

namespace {
constexpr TSoundEvent HitSound[] = {seSmallBalloonHit, seMediumBalloonHit, seLargeBalloonHit};
}  // namespace

// ---- problems -----------------------------------------------------------------

std::uint8_t TRound::ChooseOperation() const {
  return static_cast<std::uint8_t>(ChooseOperatorClass(Settings.Level));
}

void TRound::MakeProblem(std::uint8_t Op) {
  const TProblem p = DrawProblem(Settings.Level, Op, Problem(), FOperation);
  FAnswer = p.Answer;
  FOperand1 = p.Operand1;
  FOperand2 = p.Operand2;
  FProblemOperation = Op;
}

void TRound::NewWrongBalloon(int Slot, int Chance, std::uint8_t Size) {
  const int n = WrongNumber(Settings.Level, FAnswer);
  FBalloons[Slot] = NewBalloon(n, static_cast<std::uint8_t>(Random(4)), Size, FSpeed, Chance);
}

void TRound::RenumberBalloon(int Slot, std::uint8_t Size, bool Bonus, bool Revive, bool Spiky) {
  const int n = WrongNumber(Settings.Level, FAnswer);
  FBalloons[Slot] = NewBalloon(n, static_cast<std::uint8_t>(Random(4)), Size, FSpeed, Bonus, Revive, Spiky);
}

TStretchCache& TRound::StretchedForArea() const {
  // Balloon sizes follow the playfield's width: pictures stretched for
  // another size would never be asked for again.
  if (FStretchedFor != std::pair{FArea.Width(), FArea.Height()}) {
    FStretched.Clear();
    FStretchedFor = {FArea.Width(), FArea.Height()};
  }
  return FStretched;
}

std::unique_ptr<TBalloon> TRound::NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                             int Chance) const {
  return std::make_unique<TBalloon>(Number, Colour, Size, Pictures.GetImage, Pictures.GetShot, FArea, Speed, Chance,
                                    Pictures.Badges, &StretchedForArea());
}

std::unique_ptr<TBalloon> TRound::NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                             bool Bonus, bool Revive, bool Spiky) const {
  return std::make_unique<TBalloon>(Number, Colour, Size, Pictures.GetImage, Pictures.GetShot, FArea, Speed, Bonus,
                                    Revive, Spiky, Pictures.Badges, &StretchedForArea());
}

// ---- a round's course ---------------------------------------------------------

void TRound::PlaceShelter(int W, int H) {
  // Two statements: the order of the draws must not be left to the compiler.
  const int dx = Random(FArea.Width() - W);
  const int dy = Random(FArea.Height() - H);
  FShelterRect = Rect(0, 0, W, H);
  FShelterRect.Offset(dx, dy);
}

void TRound::Setup(int FrameTime, int WindowWidth) {
  FSoundQueue.clear();
  const TRoundPace pace = RoundPace(FrameTime, Settings.Speed);
  FSpeed = pace.Speed;
  FFramePeriod = pace.FramePeriod;
  const int chance = SpecialChance(Settings.Special);

  const int k = Random(10) + 1;
  {
    const std::uint8_t colour = static_cast<std::uint8_t>(Random(4));
    const std::uint8_t size = static_cast<std::uint8_t>(Random(3));
    FBalloons[k] = NewBalloon(FAnswer, colour, size, FSpeed, chance);
    if (FBalloons[k]->FSpiky) FSoundQueue.push_back(seKicher);
  }
  for (int i = 1; i <= 10; ++i) {
    if (i == k) continue;
    NewWrongBalloon(i, chance, static_cast<std::uint8_t>(Random(3)));
    if (FBalloons[i]->FSpiky) FSoundQueue.push_back(seKicher);
  }
  // Large balloons in the highest slots: drawn last, tested first.
  for (int i = 1; i <= 10; ++i)
    for (int j = i + 1; j <= 10; ++j)
      if (FBalloons[j]->FSize < FBalloons[i]->FSize) std::swap(FBalloons[i], FBalloons[j]);

  const TShelterMotion m = ShelterMotion(FSpeed, WindowWidth);
  FShelterDX = m.DX;
  FShelterDY = m.DY;
  FBalloonsDown = 0;
  FRoundPoints = 0;
  FRoundHits = 0;
}

void TRound::Begin() {
  FRoundRunning = true;
  FRoundStart = timeGetTime();
}

void TRound::FreeBalloons() {
  for (auto& b : FBalloons) b.reset();
}

void TRound::Abandon() {
  // Without this a right click on the next start screen would nuke balloons
  // that no longer exist.
  FRoundRunning = false;
  FreeBalloons();
}

void TRound::MoveBalloons() {
  for (int i = 1; i <= 10; ++i) FBalloons[i]->Move();
}

void TRound::MoveShelter() {
  FShelterStep = !FShelterStep;
  if (!FShelterStep) return;
  FShelterRect.Offset(FShelterDX, FShelterDY);
  // It turns only once it has left the playfield completely.
  if (FShelterRect.Left >= FArea.Right) FShelterDX = -FShelterDX;
  if (FShelterRect.Right <= FArea.Left) FShelterDX = -FShelterDX;
  if (FShelterRect.Bottom <= FArea.Top) FShelterDY = -FShelterDY;
  if (FShelterRect.Top >= FArea.Bottom) FShelterDY = -FShelterDY;
}

// ---- shooting and its effects -------------------------------------------------

TShotOutcome TRound::Shoot(int X, int Y) {
  FSoundQueue.assign({seShoot});
  TShotOutcome out;
  if (FShelterRect.StrictlyContains(X, Y)) {
    FSoundQueue.push_back(seShelterHit);
    out.Marker = true;
    return out;
  }
  for (int i = 10; i >= 1; --i) {
    TBalloon& b = *FBalloons[i];
    const TPoint lead = b.Lead(FFramePeriod);
    if (!b.HitTest(X - lead.X, Y - lead.Y, FShelterRect)) continue;
    // The number before the special effect, which may replace the balloon.
    const bool right = b.FNumber == FAnswer;
    const TSpecialOutcome special = CountHit(i);
    out.Hit = true;
    out.Slot = i;
    out.RightBalloon = right && !special.Spared;
    out.Marker = true;
    out.NewProblem = special.NewProblem;
    break;
  }
  return out;
}

TSpecialOutcome TRound::CountHit(int Slot) {
  const TBalloon& b = *FBalloons[Slot];
  ++FBalloonsDown;
  ++FRoundHits;
  FSoundQueue.push_back(HitSound[b.FSize]);
  FRoundPoints += b.FPoints;
  return SpecialHit(Slot);
}

bool TRound::Nuke() {
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
  return result;
}

bool TRound::IsSheltered(const TBalloon& B, const TRect& R) {
  return B.FHitRect.Left >= R.Left - 20 && B.FHitRect.Top >= R.Top - 20 && B.FHitRect.Right <= R.Right + 20 &&
         B.FHitRect.Bottom <= R.Bottom + 20;
}

TSpecialOutcome TRound::SpecialHit(int Slot) {
  TSpecialOutcome out;
  bool spikyMade = false;
  TBalloon* b = FBalloons[Slot].get();
  const std::uint8_t size = b->FSize;
  const int chance = SpecialChance(Settings.Special);
  if (b->FBonus && b->FNumber != FAnswer) {
    out.NewProblem = true;
    out.Spared = true;
    FSoundQueue.push_back(seBonus);
    MakeProblem(ChooseOperation());
    FBalloons[Slot].reset();
    FBalloons[Slot] = NewBalloon(FAnswer, static_cast<std::uint8_t>(Random(4)), size, FSpeed, chance);
    spikyMade = FBalloons[Slot]->FSpiky;
    --FBalloonsDown;
  } else if (b->FRevive) {
    out.Spared = true;
    FSoundQueue.push_back(seRevive);
    const int before = FBalloonsDown;
    if (b->FNumber == FAnswer) {
      const int number = b->FNumber;
      FBalloons[Slot].reset();
      FBalloons[Slot] = NewBalloon(number, static_cast<std::uint8_t>(Random(4)), size, FSpeed, chance);
      if (FBalloons[Slot]->FSpiky) FSoundQueue.push_back(seKicher);
      --FBalloonsDown;
    }
    // Passes until something came back: each down balloon returns with a new
    // wrong number with probability 4/10 per pass.
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
  if (out.NewProblem) {
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
  if (spikyMade) FSoundQueue.push_back(seKicher);
  return out;
}

// ---- the rules that end a round -----------------------------------------------

TShotOutcome TRound::Dart(int X, int Y, const std::function<void(const TShotOutcome&)>& Show) {
  if (!FRoundRunning) return {};
  TShotOutcome out = Shoot(X, Y);
  if (Show) Show(out);
  if (out.Hit) {
    if (out.RightBalloon)
      End(TRoundEnd::Lost, timeGetTime());
    else
      EndIfDone();
  }
  if (!FRoundRunning) out.End = FRightBalloonKept ? TRoundEnd::Kept : TRoundEnd::Lost;
  return out;
}

bool TRound::NukeShot(const std::function<void()>& AfterNuke) {
  if (!FRoundRunning) return false;
  const bool kept = Nuke();
  if (AfterNuke) AfterNuke();
  if (!kept)
    End(TRoundEnd::Lost, timeGetTime());
  else if (FBalloonsDown >= 9)
    End(TRoundEnd::Kept, timeGetTime());
  return true;
}

void TRound::SpikyPops(const std::function<void(bool NewProblem)>& AfterPop) {
  // Every slot touched by some other slot's spiky balloon, once, ascending.
  std::vector<int> popped;
  for (int i = 1; i <= 10; ++i)
    for (int j = 1; j <= 10; ++j)
      if (j != i && FBalloons[j]->FSpiky && TBalloon::SpikyTouches(*FBalloons[i], *FBalloons[j])) {
        popped.push_back(i);
        break;
      }
  bool kept = true;
  for (int i : popped) {
    TBalloon& b = *FBalloons[i];
    b.Burst();
    if (kept && b.FNumber == FAnswer && !b.FRevive) kept = false;
    const TSpecialOutcome special = CountHit(i);
    if (AfterPop) AfterPop(special.NewProblem);
  }
  if (popped.empty()) return;
  if (!kept)
    End(TRoundEnd::Lost, timeGetTime());
  else
    EndIfDone();
}

std::uint32_t TRound::TimeOut(std::uint32_t Now) {
  const std::uint32_t remaining = RemainingRoundTime(FRoundStart, Now);
  if (remaining == 0) End(TRoundEnd::Kept, Now);
  return remaining;
}

void TRound::End(TRoundEnd How, std::uint32_t Now) {
  if (How == TRoundEnd::None) return;
  FRoundRunning = false;
  FRightBalloonKept = How == TRoundEnd::Kept;
  if (How == TRoundEnd::Kept) FRoundTime = std::min<std::uint32_t>(Now - FRoundStart, RoundLength);
}

void TRound::EndIfDone() {
  const std::uint32_t now = timeGetTime();
  if (FBalloonsDown >= 9 || now - FRoundStart >= RoundLength) End(TRoundEnd::Kept, now);
}
