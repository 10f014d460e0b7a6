#pragma once
// One round of the game as rules: the ten balloons, the problem, the counters,
// the shelter's place and motion, and what darts, the nuke, spiky balloons,
// special balloons and the clock do to them. No widget and no painting: each
// rule changes this state and returns what happened; the game window then
// shows it and sounds it (game/MainUnit.h).
//
// Random numbers come from the process-wide generator (platform/Random.h) and
// time from the process-wide clock (platform/Clock.h), in the order each rule
// states, so a seeded game on the virtual clock replays exactly.
// Game thread only. Rules run when no loop over FBalloons is in progress, so
// they may free and replace balloons.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "game/Balloon.h"
#include "game/Problem.h"
#include "platform/Types.h"
#include "sound/SoundEvents.h"

// The settings a round plays with, copied from the window's radio groups when
// the round starts (they cannot change while it runs). Each is the item index
// of its setting, 0..4. The sound switch is not among them: the settings dialog
// may change it during a round, and every sound start looks at it anew.
struct TRoundSettings {
  int Level = 0;    // 0 "Easiest" .. 4 "Hardest"
  int Speed = 0;    // 0 "Slowest" .. 4 "Ultra"
  int Special = 0;  // special balloons, 0 "None" .. 4 "Lots"
  constexpr bool operator==(const TRoundSettings&) const = default;
};

// The pictures a balloon is made from: the window's look-ups and badges.
// The pictures must outlive every balloon creation (not the balloons).
struct TBalloonPictures {
  TImageLookup GetImage;
  TImageLookup GetShot;
  TBadgePictures Badges;
};

// How a round ended.
enum class TRoundEnd : std::uint8_t {
  None,  // still running (or nothing decided by this rule)
  Kept,  // all wrong balloons down, or the time is up: the right balloon survived
  Lost,  // the right balloon went down
};

// What a Bonus or Revive balloon that just went down did.
struct TSpecialOutcome {
  // A Bonus balloon posed a new problem: show it and flash the problem panel.
  bool NewProblem = false;
  // The balloon that went down no longer counts as the right one (every
  // Revive balloon and a Bonus balloon that did not carry the answer).
  bool Spared = false;
};

// What one dart did.
struct TShotOutcome {
  bool Hit = false;           // a balloon went down
  int Slot = 0;               // its slot 1..10, 0 when none
  bool RightBalloon = false;  // the hit counts as the right balloon: the round is lost
  bool Marker = false;        // the hit marker goes to the dart's point (a hit or the shelter)
  bool NewProblem = false;    // as TSpecialOutcome::NewProblem
  TRoundEnd End = TRoundEnd::None;  // set by Dart() only
};

class TRound {
public:
  // ---- what the round is played with (set by the window) ----
  TRoundSettings Settings;
  TBalloonPictures Pictures;
  // The playfield, Rect(0, 0, width, height): where balloons are placed and
  // bounce and where the shelter turns. Kept equal to the playfield's size.
  TRect FArea;

  // ---- state; the names are the game's ----
  // Points of the balloons that went down in this round.
  int FRoundPoints = 0;
  // Balloons popped by darts or spiky balloons (nukes do not count); never decreases.
  int FRoundHits = 0;
  // Balloons down, net of those that came back or were replaced; 9 = every wrong one.
  int FBalloonsDown = 0;
  // Operator class of the round's first problem (0 + 1 - 2 · 3 :).
  std::uint8_t FOperation = 0;
  // The problem on view: FAnswer, FOperand1, FOperand2, and its operator class
  // (a Bonus balloon's new problem may have another class than FOperation).
  int FAnswer = 0;
  int FOperand1 = 0;
  int FOperand2 = 0;
  std::uint8_t FProblemOperation = 0;
  // timeGetTime() when the round began, ms.
  std::uint32_t FRoundStart = 0;
  // How long a kept round took, ms, at most RoundLength.
  std::uint32_t FRoundTime = 0;
  // Frame period of the round, ms (> 0 once Setup ran).
  int FFramePeriod = 0;
  // Balloon speed factor of the round, pixels per frame before size and scale.
  double FSpeed = 0;
  // Slots 1..10 (0 unused); sorted by size class so slot 10 is in front. Owned.
  // Empty between rounds.
  std::array<std::unique_ptr<TBalloon>, 11> FBalloons;
  // The round runs while this is set.
  bool FRoundRunning = false;
  // How the round ended: true kept, false lost (valid once FRoundRunning fell).
  bool FRightBalloonKept = false;
  // The shelter: its rectangle on the playfield, its step per move in pixels,
  // and the flag that flips every frame (it moves when it turns true).
  TRect FShelterRect;
  int FShelterDX = 0, FShelterDY = 0;
  bool FShelterStep = false;
  // Sounds the last rule called for, in order; the window hands them to a
  // sound thread (unless the sound is off).
  TSoundArray FSoundQueue;

  // ---- problems ----
  // The operator class for a new problem at the round's level.
  std::uint8_t ChooseOperation() const;
  // Draws a problem of class Op at the round's level (never the problem on
  // view again) into FAnswer, FOperand1, FOperand2; FProblemOperation := Op.
  // Where the level has no such problems nothing is drawn.
  void MakeProblem(std::uint8_t Op);
  // The problem on view.
  TProblem Problem() const { return {FAnswer, FOperand1, FOperand2}; }
  // Puts into the empty slot a balloon with a wrong number (special kind at
  // random from Chance), colour Random(4), size class Size, speed FSpeed.
  void NewWrongBalloon(int Slot, int Chance, std::uint8_t Size);
  // The same with the special kind given.
  void RenumberBalloon(int Slot, std::uint8_t Size, bool Bonus, bool Revive, bool Spiky);
  // A new balloon on FArea with Pictures (kind at random from Chance, or given).
  std::unique_ptr<TBalloon> NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                       int Chance) const;
  std::unique_ptr<TBalloon> NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                       bool Bonus, bool Revive, bool Spiky) const;

  // ---- a round's course ----
  // Places the shelter, w x h pixels, at a random place of FArea: Random over
  // the free width first, then over the free height. A range of 0 or less
  // draws nothing and places it at that edge.
  void PlaceShelter(int W, int H);
  // Sets up a new round for the speed test's FrameTime (ms per frame + 4) and
  // the game window's width in pixels: empties FSoundQueue, sets the frame
  // period and speed, makes the ten balloons (the right one in a random slot)
  // sorted by size class, and the shelter's motion. Spiky balloons queue
  // seKicher. FAnswer must be the round's answer. Pictures stretched for
  // earlier balloons on a playfield of the same size are used again.
  void Setup(int FrameTime, int WindowWidth);
  // The round begins now: FRoundRunning set, FRoundStart = timeGetTime().
  void Begin();
  // Frees every balloon (empty slots are fine).
  void FreeBalloons();
  // How many pictures balloon creation has stretched so far (each picture
  // and size once as long as the playfield keeps its size).
  int PicturesStretched() const { return FStretched.Misses(); }
  // The round is over without a result (a quit or restart, or its result was
  // shown): not running, balloons freed.
  void Abandon();
  // One frame of motion for every balloon.
  void MoveBalloons();
  // The shelter's move of one frame: flips FShelterStep and, when it turns
  // true, moves by (FShelterDX, FShelterDY); it turns back only once wholly
  // outside FArea (each edge tested on its own: left, right, top, bottom).
  void MoveShelter();

  // ---- shooting and its effects ----
  // One dart at playfield point (X, Y): FSoundQueue becomes seShoot and what
  // follows it. Inside the shelter it clinks and hits nothing; otherwise the
  // balloons are tested front to back where they will be when the dart
  // arrives (TBalloon::Lead), and the first one hit goes down and is counted.
  // Does not end the round (Dart() does).
  TShotOutcome Shoot(int X, int Y);
  // Every live balloon not sheltered goes down (speed turned straight down,
  // whole pixels), counted in FBalloonsDown and FRoundPoints but not as a hit.
  // False when the right balloon was among them. Queues no sound.
  bool Nuke();
  // B's hit box lies inside R grown by 20 pixels on every side (inclusive).
  static bool IsSheltered(const TBalloon& B, const TRect& R);
  // The effects of slot Slot's balloon, just gone down and counted, when it is
  // a Bonus balloon not carrying the answer (a new problem, the balloon
  // replaced by a live one with the new answer, other carriers renumbered) or
  // a Revive balloon (down balloons come back). Queues its sounds.
  TSpecialOutcome SpecialHit(int Slot);

  // ---- the rules that end a round: the only places that do ----
  // A left click (or space) while the round runs: Shoot, then the round is
  // lost when the right balloon went down, kept when every wrong balloon is
  // down or the time is up. Nothing while the round is not running.
  // Show runs between the dart and that decision (the window starts the sound
  // thread, shows a new problem and flashes the panel there), so that the time
  // a kept round took includes what Show did.
  TShotOutcome Dart(int X, int Y, const std::function<void(const TShotOutcome&)>& Show);
  // A right click (or Alt) while the round runs: Nuke, then AfterNuke (the
  // window plays the nuke's sound), then the round is lost when the nuke caught
  // the right balloon, kept when every wrong balloon is down. Nothing at all
  // while the round is not running; returns whether it fired.
  bool NukeShot(const std::function<void()>& AfterNuke);
  // Spiky pops of one frame: every live, non-spiky balloon touching a live
  // spiky balloon of its size class goes down and is counted like a dart hit
  // (in ascending slot order, each once). After each pop AfterPop is told
  // whether it posed a new problem (the window then starts a sound thread on
  // FSoundQueue, which is not emptied between pops, and flashes the panel).
  // Then the round is lost when the plain right balloon popped, else kept when
  // every wrong balloon is down or the time is up. Runs also in the tail of a
  // round that already ended, and may then change its end.
  void SpikyPops(const std::function<void(bool NewProblem)>& AfterPop);
  // The time-out: once RoundLength ms have passed since FRoundStart at Now,
  // the round ends kept with FRoundTime = RoundLength (also in the tail, so a
  // round lost in its last 800 ms turns kept). Returns the milliseconds left.
  std::uint32_t TimeOut(std::uint32_t Now);

private:
  // Counts slot Slot's balloon, just gone down by a dart or a spiky pop.
  TSpecialOutcome CountHit(int Slot);
  // Ends the round at Now: Kept takes the time it took (at most RoundLength).
  void End(TRoundEnd How, std::uint32_t Now);
  // Ends it kept when every wrong balloon is down or the time is up.
  void EndIfDone();

  // The balloon pictures stretched to the sizes of the balloons, shared by
  // balloons of the same colour and size in this round and the following
  // ones (and with those the speed test makes); emptied when a balloon is
  // made on a playfield of another size (and with it other balloon sizes)
  // than FStretchedFor.
  TStretchCache& StretchedForArea() const;
  mutable TStretchCache FStretched;
  mutable std::pair<int, int> FStretchedFor{-1, -1};
};
