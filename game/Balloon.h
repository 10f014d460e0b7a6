#pragma once
// One balloon of the playfield: number, size class, colour and special kind,
// its pre-rendered pictures, its floating motion (lift, drag, bouncing) and the
// dart test. Everything here runs on the game's thread and draws from the one
// process-wide random generator, in a fixed order, so a seed replays a game.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "display/Bitmap.h"
#include "display/StretchCache.h"
#include "platform/Types.h"

// Finds a picture of the game window by balloon colour (0..3) and index.
// Returns the picture as stored (drawn with its own Transparent flag), or
// nullptr when the window holds no picture of that name. The balloon only
// reads the picture while it is being created and keeps no pointer to it.
// An empty function counts as "no picture".
using TImageLookup = std::function<const TBitmap*(std::uint8_t Colour, int Index)>;

// The window's badge pictures, drawn onto special balloons. Any may be
// nullptr (that badge is then left out). Read only during creation.
struct TBadgePictures {
  const TBitmap* Bonus = nullptr;
  const TBitmap* Revive = nullptr;
  const TBitmap* Spiky = nullptr;
};

// Name of a balloon picture holder: "img" + colour name + Index in decimal,
// e.g. "imgAqua2". Colour names: 0 "Red", 1 "Yellow", 2 "Aqua", 3 "Lime".
// Any other colour gives an empty name, which names no holder.
QString BalloonImageName(std::uint8_t Colour, int Index);
// Name of a shot picture holder: "img" + colour name + "Shot", e.g. "imgLimeShot";
// empty for a colour outside 0..3.
QString ShotImageName(std::uint8_t Colour);
// Special-balloon chance of the "Special Balloons" setting n (0 "None" ..
// 4 "Lots"): n * (n + 1), that is 0, 2, 6, 12, 20.
int SpecialChance(int ItemIndex);

class TBalloon final {
public:
  // A balloon whose special kind is drawn at random: Bonus when Random(80) <
  // Chance, Spiky when Random(1500) < Chance, and a drawn Bonus becomes Revive
  // when a further Random(20) < 8. Chance 0 never gives a special balloon.
  // The rest is the second constructor.
  TBalloon(int ANumber, std::uint8_t Colour, std::uint8_t Size, const TImageLookup& GetImage,
           const TImageLookup& GetShot, const TRect& Area, double Speed, int Chance,
           const TBadgePictures& Badges, TStretchCache* Stretched = nullptr);
  // A balloon of the given special kind (Bonus and Revive must not both be set).
  //   ANumber: the number painted on it. Colour: 0..3 (red, yellow, aqua, lime).
  //   Size: size class 0 small, 1 medium, 2 large.
  //   GetImage(Colour, 1..3): the three animation pictures; GetShot(Colour, 0):
  //   the shot picture. Area: the playfield, which must be wider and taller
  //   than the balloon picture (smaller ones place it at the area's corner).
  //   Speed: the round's speed factor in pixels per frame, before size and scale.
  //   Stretched: where the pictures stretched to the balloon's size are taken
  //   from and kept, so that balloons of one colour and size stretch them
  //   once (nullptr: stretched for this balloon alone). Its pictures must be
  //   the ones GetImage, GetShot and Badges answer.
  // Places the balloon at random wholly inside Area, renders every picture at
  // the playfield's scale and starts it in a random direction.
  TBalloon(int ANumber, std::uint8_t Colour, std::uint8_t Size, const TImageLookup& GetImage,
           const TImageLookup& GetShot, const TRect& Area, double Speed, bool Bonus, bool Revive,
           bool Spiky, const TBadgePictures& Badges, TStretchCache* Stretched = nullptr);

  // One frame of motion and animation. Live balloons float up against a
  // little drag and turn back only once their hit box has left Area entirely;
  // balloons that are down fall with gravity FScale and never turn.
  void Move();
  // A new random velocity with the given signs (each +1 or -1; y grows
  // downwards). Upwards the speed is 0.8 * FSpeed; downwards it is 1.6 * FSpeed
  // with a horizontal part below FSpeed. Neither part comes out 0. A balloon
  // without speed (FSpeed <= 0) or a zero HSign gets no velocity at all.
  void NewDirection(int HSign, int VSign);
  // A dart at playfield point (X, Y). Hits when the balloon is live, the point
  // lies strictly inside FHitRect and not strictly inside Exclude (an empty
  // Exclude excludes nothing). A hit bursts the balloon and returns true.
  bool HitTest(int X, int Y, const TRect& Exclude);
  // The balloon goes down for good.
  void Burst() { FShot = true; }
  // Moves the picture, the hit box and the exact position by (DX, DY) pixels
  // together; velocity and animation stay. Used to place a balloon (the start
  // screen's balloon, a test's prepared round).
  void MoveBy(int DX, int DY);
  // How far the balloon moves while a dart flies to it, whole pixels:
  // (Round(t * FVX / FramePeriod), Round(t * FVY / FramePeriod)) with the
  // flight time t = DartFlightTime() ms and FramePeriod ms per frame (> 0).
  // A dart aimed at point P hits where the balloon will be, so the dart test
  // looks at P - Lead; to hit point Q of the balloon, aim at Q + Lead.
  TPoint Lead(int FramePeriod) const;
  // The dart's flight time to this balloon in milliseconds: 40 - 10 * FSize
  // (40 small, 30 medium, 20 large).
  int DartFlightTime() const { return 40 - 10 * FSize; }

  // Whether spiky balloon B pops A in this frame: both live, A not spiky
  // itself, the same size class, and hit boxes that overlap in at least one
  // pixel (boxes that only share an edge do not touch). B's spikiness is the
  // caller's to check.
  static bool SpikyTouches(const TBalloon& A, const TBalloon& B);
  // 1 when X >= 0, otherwise -1.
  static int SignOf(float X) { return X >= 0 ? 1 : -1; }

  // Where the balloon picture is drawn on the playfield, w x h.
  TRect FRect;
  // The part a dart hits: FRect inset by i = Round(5 * FScale) on the left, top
  // and right and by h div 5 + i at the bottom (string and knot miss).
  TRect FHitRect;
  // The playfield given at creation: limits of placement and bouncing.
  TRect FArea;
  // The three animation pictures, w x h, keyed on their white bottom-left
  // pixel; slots 1..3 (0 unused) so that FImages[FFrame] is the one shown. Owned.
  std::array<std::unique_ptr<TBitmap>, 4> FImages;
  // The balloon when down, w x h, transparent, its points painted on. Owned.
  std::unique_ptr<TBitmap> FShotImage;
  // Animation picture in use, 1..3.
  int FFrame = 1;
  // 0 red, 1 yellow, 2 aqua, 3 lime.
  std::uint8_t FColour = 0;
  int FNumber = 0;
  // Points earned when it goes down: 10, 8, 6 by size class, +25 Bonus, +5 Spiky.
  int FPoints = 0;
  // Size class: 0 small, 1 medium, 2 large.
  std::uint8_t FSize = 0;
  // Velocity in pixels per frame; y grows downwards.
  float FVX = 0, FVY = 0;
  // Exact position of FRect's top-left corner; FRect follows it rounded.
  float FX = 0, FY = 0;
  // This balloon's speed in pixels per frame.
  float FSpeed = 0;
  // Playfield width / DesignWidth.
  float FScale = 0;
  // Down: shot, popped or nuked. It then falls and shows FShotImage.
  bool FShot = false;
  // Frames per animation step (5), and the frame counter (0 at first, then 1..5).
  int FAnimDelay = 5;
  int FAnimTick = 0;
  bool FBonus = false;
  bool FSpiky = false;
  bool FRevive = false;

private:
  struct TKind {
    bool Bonus = false, Revive = false, Spiky = false;
  };
  static TKind DrawKind(int Chance);
  TBalloon(int ANumber, std::uint8_t Colour, std::uint8_t Size, const TImageLookup& GetImage,
           const TImageLookup& GetShot, const TRect& Area, double Speed, TKind Kind,
           const TBadgePictures& Badges, TStretchCache* Stretched);
  void RenderPictures(const TImageLookup& GetImage, const TImageLookup& GetShot,
                      const TBadgePictures& Badges, TStretchCache& Stretched, int w, int h);
};
