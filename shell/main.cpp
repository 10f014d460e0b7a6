// Program entry: the game window and its start kick (speed test, then one game
// after another until the player quits).
#include <QApplication>
#include <QMessageBox>

#include "display/Fonts.h"
#include "display/OverlayImage.h"
#include "display/PictureAssets.h"
#include "game/MainUnit.h"
#include "platform/Messages.h"
#include "platform/Random.h"
#include "shell/SettingsU.h"
#include "sound/SoundEffects.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zuggle Dart"));
  Randomize();
  RegisterGameFonts();
  QApplication::setWindowIcon(LoadMainIcon());

  TForm1 form;
  form.ShowMessage = [&form](const QString& text) {
    QMessageBox::information(&form, QStringLiteral("Zuggle Dart"), text);
  };
  form.ShowSettingsDialog = [&form] { ::ShowSettingsDialog(form); };
  const QString settingsFile = QCoreApplication::applicationDirPath() + QStringLiteral("/ZuggleDart.ini");
  LoadSettings(form, settingsFile);
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
  SaveSettings(form, settingsFile);
  return 0;
}
