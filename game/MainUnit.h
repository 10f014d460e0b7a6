#pragma once
// The game window: owns the whole game state and runs the game as nested loops
// on the window's thread (no timer-driven animation). Handlers of mouse, keys
// and actions run only inside ProcessMessages and talk to the loops through the
// flags FRoundState.FRoundRunning, FQuit and FRestart.
//
// The rules of a round live in TRound (game/Round.h), which decides; the
// window keeps the game's method names (Shoot, Nuke, SpecialHit, ...) as thin
// calls into it and shows and sounds what it decided.
//
// Construction loads the embedded pictures and throws EPictureError when one
// is damaged (display/PictureAssets.h). Window thread only.
#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QStringList>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "display/Bitmap.h"
#include "display/ShiftState.h"
#include "game/Balloon.h"
#include "game/Controls.h"
#include "game/Round.h"
#include "game/ShootKeys.h"
#include "platform/Types.h"
#include "sound/SoundEffects.h"

class TOverlayImage;

// A hidden picture holder of the window (never shown): the component's name and
// its picture as stored.
struct TImage {
  QString Name;
  std::unique_ptr<TBitmap> Graphic;  // nullptr: the picture could not be loaded
};

class TForm1 : public QWidget {
  Q_OBJECT
public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // ---- components (owned through Qt's parent chain) ----
  TPanel* Panel1 = nullptr;
  TRadioGroup* rgrpLevel = nullptr;
  TRadioGroup* rgrpSpeed = nullptr;
  TRadioGroup* rgrpSpecial = nullptr;
  QToolButton* HelpBtn = nullptr;
  QToolButton* OptionsBtn = nullptr;
  QToolButton* RestartBtn = nullptr;
  QToolButton* ExitBtn = nullptr;
  TPanel* Panel8 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  TOverlayImage* BaseImage1 = nullptr;
  QAction* acQuit = nullptr;
  QAction* acRestart = nullptr;
  QAction* acSettings = nullptr;
  // Used only for its font: the clock and the round points.
  TFont FontDialog1Font;
  // The playfield's font (the banner's) as designed; BaseImage1->Font() holds
  // it in the playfield's pixels (InPixels).
  TFont BaseImage1Font;
  // The highscore table's three parallel lists (at most 20 rows).
  QStringList lbNames, lbScores, lbLevel;

  // ---- the game's state ----
  // The round: its balloons, problem, counters, shelter and rules (game/Round.h).
  // The window shows what the rules decide and never decides a round itself.
  TRound FRoundState;
  // Total score of the current game: the sum of its round scores.
  int FGameScore = 0;
  // Milliseconds one frame took in the speed test, plus 4.
  int FFrameTime = 0;
  // The balloon of the start screen; nullptr outside it. Owned.
  std::unique_ptr<TBalloon> FStartBalloon;
  // Set by Esc, the "Exit" button or closing the window: every loop unwinds.
  bool FQuit = false;
  // Set by Ctrl+R or the "Restart" button: the current game ends without a result.
  bool FRestart = false;
  // A hit marker is to be drawn at FHitPoint in the next frame.
  bool FShowHit = false;
  TPoint FHitPoint;
  // Games begun since the start kick; 1 is the first game.
  int FGameCount = 0;
  // The shelter picture, three times a large balloon's hit box; made once. Owned.
  std::unique_ptr<TBitmap> FShelterBitmap;
  // Round number within the game, 1..5 (a repeated round is played again under its number).
  int FRound = 0;
  // The settings the store keeps: player name, instructions in the first game, sound off.
  QString FPlayerName;
  bool FShowInstructions = false;
  bool FNoSound = false;

  // Which shooting key is held: a held key fires once, however the desktop
  // repeats it.
  TShootKeys ShootKeys;
  // The window sees the shooting keys wherever the focus is (set during a round).
  bool KeyPreview = false;

  // The start kick, once the window is on screen: the entry sound (unless the
  // sound is off), no hit marker, the playfield's paint notifications
  // suspended, the speed test, and the game count back to 0.
  void StartKick();

  // ---- game driver ----
  // One game from the name dialog to the highscore window; returns early on
  // FQuit or FRestart.
  void PlayGame();
  // One round (the round's settings are taken from the radio groups here).
  void btnGoClick();
  // The radio groups' settings copied into the round, then TRound::Setup for
  // this machine's frame time and the window's width, and the sound thread
  // on its queue.
  void SetupRound();
  // One frame; returns no earlier than APeriod ms after it began.
  void FrameStep(int APeriod);
  // Frees the round's balloons (empty slots are fine).
  void FreeBalloons();
  void SpeedTest();
  void ShowBanner(const QString& Line1, const QString& Line2);
  // Writes the round's remaining time at the playfield's top left (drawing
  // only: the time-out is TRound::TimeOut, which the frame step applies).
  void DrawClock();
  // Blocks the window's thread; no messages are processed.
  void Pause(int Ms);
  void RedrawStartScreen();
  void BaseImage1OverlayPaint();
  void BaseImage1Resize();

  // ---- balloons and pictures ----
  const TBitmap* GetBalloonImage(std::uint8_t Colour, int Index) const;
  const TBitmap* GetShotImage(std::uint8_t Colour, int Index) const;
  // The holder of that name, or nullptr.
  const TImage* FindImage(const QString& name) const;
  // A new balloon on the playfield with the window's look-ups and badges.
  std::unique_ptr<TBalloon> NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                       int Chance) const;
  std::unique_ptr<TBalloon> NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                       bool Bonus, bool Revive, bool Spiky) const;
  // Rect(0, 0, playfield width, playfield height), in the playfield's pixels
  // (device pixels: the game runs in them at every device pixel ratio).
  TRect Playfield() const;
  // A length or a font of the design as the playfield's pixels: multiplied by
  // the device pixel ratio its pictures are made for (unchanged at 1).
  int InPixels(int designPixels) const;
  TFont InPixels(const TFont& designFont) const;

  // ---- problems: the rules draw, the window shows ----
  // Draws a problem of class Op (TRound::MakeProblem) and shows it in Panel8.
  void MakeProblem(std::uint8_t Op);
  void NewWrongBalloon(int Slot, int Chance, std::uint8_t Size);
  void RenumberBalloon(int Slot, std::uint8_t Size, bool Bonus, bool Revive, bool Spiky);

  // ---- shooting: the rules decide (TRound), the window shows and sounds ----
  // The playfield's mouse-down: exactly [ssLeft] shoots the start balloon or a
  // dart, exactly [ssRight] fires the nuke; anything else does nothing.
  void BaseImage1MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Space fires a dart and Alt the nuke at the mouse cursor, once per hold
  // (TShootKeys). Time: the event's time stamp in ms; AutoRepeat: the desktop
  // marked the event as a repeat of a held key.
  void FormKeyDown(int Key, std::uint64_t Time = 0, bool AutoRepeat = false);
  void FormKeyUp(int Key, std::uint64_t Time = 0, bool AutoRepeat = false);
  // One dart (TRound::Shoot), then its marker, sounds, new problem and flash.
  // Does not end the round.
  TShotOutcome Shoot(int X, int Y);
  // The nuke (TRound::Nuke) and its sound; false when the right balloon went down.
  bool Nuke();
  static bool IsSheltered(const TBalloon& B, const TRect& R) { return TRound::IsSheltered(B, R); }
  // The special effect of slot Slot's balloon (TRound::SpecialHit), and the
  // new problem shown when a Bonus posed one.
  TSpecialOutcome SpecialHit(int Slot);

  // ---- round outcome ----
  void RoundScored();
  void RoundLost();

  // ---- sound ----
  // Hands the round's sound queue to a new sound thread, unless the sound is off.
  void StartSoundThread();
  // Plays one event at once, unless the sound is off.
  void PlaySound(TSoundEvent E);

  // ---- actions ----
  void acQuitExecute() { FQuit = true; }
  void acRestartExecute() { FRestart = true; }
  void acSettingsExecute();

  // Hooks to the shell's dialogs; each may be empty (then nothing is shown).
  std::function<void()> AskPlayerName;   // name entry before a game
  std::function<void()> GameOver;        // highscore entry after a game
  std::function<void()> ShowSettingsDialog;
  std::function<void()> HelpBtnClick;
  // Told every banner as it is shown (tests and accessibility read it); may be empty.
  std::function<void(const QString& Line1, const QString& Line2)> OnBanner;
  // A message box; the shell shows a real one.
  std::function<void(const QString&)> ShowMessage;

  // Design pixels (120 per inch) to screen pixels.
  static int Scaled(int designPixels);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Closing the window (by the desktop) is a quit request like Esc.
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateControls();
  void LoadPictures();
  void LayoutBar();
  void SetBarHeight(int designHeight);
  // Sets a label's text and sizes it to the text; re-sizes Panel8 to its labels.
  void SetCaption(QLabel* label, const QString& text);
  void SizePanel8();
  void CenterPanel8();
  void ShowRadioGroups(bool show);
  void PanelFlash();
  // Copies the radio groups' settings into the round (when a round starts).
  void TakeRoundSettings();
  // Shows the problem on view in Panel8 with " ??? " for the answer.
  void ShowProblem();
  // Shows what a dart at (X, Y) did: the marker, a new problem, the sound
  // thread on the round's queue and the panel flash after a Bonus.
  void ShowShot(const TShotOutcome& Shot, int X, int Y);
  // Every balloon drawn (the shot picture when down): shared by the frame
  // step and the speed test.
  void DrawBalloons();
  void MakeShelterPicture(const TBalloon& model);
  void RevealAnswer();
  void BlinkAnswer();

  // Fonts, hit marker and aiming cursor follow the playfield's pixel ratio
  // (from its resize handler).
  void FollowPixelRatio();

  std::map<QString, TImage> FImages;
  const TBitmap* FHitImage = nullptr;  // imgHit's picture, drawn in every frame after a hit
  // imgHit's picture stretched to the pixel ratio; nullptr at a ratio of 1.
  std::unique_ptr<TBitmap> FHitImageInPixels;
  QCursor FAimCursor;
  qreal FAimCursorRatio = 1;
  bool FAimCursorSet = false;
  int FBarDesignHeight = 98;
};

// The label texts of the start screen: the product name's two words.
extern const char* const ProductWord1;
extern const char* const ProductWord2;
