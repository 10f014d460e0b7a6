#pragma once
// The game window: owns the whole game state and runs the game as nested loops
// on the window's thread (no timer-driven animation). Handlers of mouse, keys
// and actions run only inside ProcessMessages and talk to the loops through the
// flags FRoundRunning, FQuit and FRestart.
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
  // The highscore table's three parallel lists (at most 20 rows).
  QStringList lbNames, lbScores, lbLevel;

  // ---- game state, in the order of the game's design ----
  int FRoundPoints = 0;
  int FGameScore = 0;
  int FRoundHits = 0;
  std::uint8_t FOperation = 0;
  std::uint32_t FRoundStart = 0;
  std::uint32_t FRoundTime = 0;
  int FFrameTime = 0;
  int FFramePeriod = 0;
  std::array<std::unique_ptr<TBalloon>, 11> FBalloons;  // slots 1..10; 0 unused
  std::unique_ptr<TBalloon> FStartBalloon;
  int FBalloonsDown = 0;
  bool FRoundRunning = false;
  bool FQuit = false;
  bool FRestart = false;
  bool FRightBalloonKept = false;
  bool FShelterStep = false;
  bool FShowHit = false;
  int FAnswer = 0;
  int FOperand1 = 0;
  int FOperand2 = 0;
  int FGameCount = 0;
  int FShelterDX = 0, FShelterDY = 0;
  TRect FShelterRect;
  std::unique_ptr<TBitmap> FShelterBitmap;
  TPoint FHitPoint;
  TSoundArray FSoundQueue;
  double FSpeed = 0;
  int FRound = 0;
  QString FPlayerName;
  bool FShowInstructions = false;
  bool FNoSound = false;

  // A shooting key is held: a held key fires once.
  bool ShootKeyDown = false;
  // The window sees the shooting keys wherever the focus is (set during a round).
  bool KeyPreview = false;

  // ---- game driver ----
  void PlayGame();
  void btnGoClick();
  void SetupRound();
  // One frame; returns no earlier than APeriod ms after it began.
  void FrameStep(int APeriod);
  void FreeBalloons();
  void SpeedTest();
  void ShowBanner(const QString& Line1, const QString& Line2);
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
  // The window's Bonus, Revive and Spiky badges (each may be missing).
  TBadgePictures Badges() const;
  // The window's picture look-ups as balloons take them.
  TImageLookup BalloonLookup() const;
  TImageLookup ShotLookup() const;
  // Rect(0, 0, playfield width, playfield height).
  TRect Playfield() const;

  // ---- problems ----
  void MakeProblem(std::uint8_t Op);
  // The operator class for the current level.
  std::uint8_t ChooseOperation() const;
  void NewWrongBalloon(int Slot, int Chance, std::uint8_t Size);
  void RenumberBalloon(int Slot, std::uint8_t Size, bool Bonus, bool Revive, bool Spiky);

  // ---- shooting ----
  void BaseImage1MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void FormKeyDown(int Key);
  void FormKeyUp(int Key);
  bool Shoot(int X, int Y, int& HitNumber);
  bool Nuke();
  static bool IsSheltered(const TBalloon& B, const TRect& R);
  void SpecialHit(int Slot, int& Flash, int& HitNumber);

  // ---- round outcome ----
  void RoundScored();
  void RoundLost();

  // ---- sound ----
  void QueueSound(TSoundEvent E);
  // Hands the current queue to a new sound thread, unless the sound is off.
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
  void EndRoundKept();
  void EndRoundLost();
  // Ends the round kept when all wrong balloons are down or the time is up.
  void EndRoundIfDone();
  // Counts slot Slot's balloon, just gone down by a dart or a spiky pop: points,
  // counters, its size's hit sound and its special effect.
  void CountHit(int Slot, int& Flash, int& HitNumber);
  // One frame of motion for every balloon, and every balloon drawn (the shot
  // picture when down): shared by the frame step and the speed test.
  void MoveBalloons();
  void DrawBalloons();
  void MakeShelterPicture(const TBalloon& model);
  void MoveShelter();
  void RevealAnswer();
  void BlinkAnswer();

  std::map<QString, TImage> FImages;
  const TBitmap* FHitImage = nullptr;  // imgHit's picture, drawn in every frame after a hit
  QCursor FAimCursor;
  bool FAimCursorSet = false;
  int FBarDesignHeight = 98;
};

// The label texts of the start screen: the product name's two words.
extern const char* const ProductWord1;
extern const char* const ProductWord2;
