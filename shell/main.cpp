// Program entry: the game window and its start kick (speed test, then one game
// after another until the player quits).
#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "display/Fonts.h"
#include "display/OverlayImage.h"
#include "display/PictureAssets.h"
#include "game/MainUnit.h"
#include "platform/Messages.h"
#include "platform/Random.h"
#include "shell/HighscoreUnit.h"
#include "shell/NameUnit.h"
#include "sound/SoundEffects.h"

namespace {
// Where the highscore file lives: beside the executable.
QString ScoresFilePath() { return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Scores.dat")); }
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zuggle Dart"));
  Randomize();
  RegisterGameFonts();
  QApplication::setWindowIcon(LoadMainIcon());

  // The name dialog lives as long as the program and is reused for every game.
  TForm3 form3;
  TForm1 form;
  form.ShowMessage = [&form](const QString& text) {
    QMessageBox::information(&form, QStringLiteral("Zuggle Dart"), text);
  };
  form.AskPlayerName = [&form, &form3] { AskPlayerName(form, form3); };
  form.GameOver = [&form] { GameOver(form); };
  const QString scoresFile = ScoresFilePath();
  LoadHighscores(form, scoresFile);
  form.show();
  ProcessMessages();

  // Start kick.
  if (!form.FNoSound) PlaySoundEvent(seEntry, false);
  form.FShowHit = false;
  form.BaseImage1->SuspendBaseNotify();
  form.SpeedTest();
  if (qEnvironmentVariableIsSet("ZUGGLE_DEBUG_SPEED")) qInfo("frame time %d", form.FFrameTime);
  form.FGameCount = 0;
  while (!form.FQuit) {
    form.PlayGame();
    ProcessMessages();
  }
  // A regular end (Esc, the Exit button, closing the window).
  SaveHighscores(form, scoresFile);
  return 0;
}
