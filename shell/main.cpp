// Program entry: the game window and its start kick (speed test, then one game
// after another until the player quits).
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <memory>

#include "display/Fonts.h"
#include "display/PictureAssets.h"
#include "game/MainUnit.h"
#include "platform/Messages.h"
#include "platform/Random.h"
#include "platform/MixerDevice.h"
#include "platform/SoundOutput.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/sdl/SdlSoundOutput.h"
#include "shell/HighscoreUnit.h"
#include "shell/NameUnit.h"
#include "shell/SettingsU.h"

namespace {
// Where the game's files live: beside the executable.
QString FilePath(const char* name) { return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name)); }
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zuggle Dart"));
  Randomize();
  RegisterGameFonts();
  QApplication::setWindowIcon(LoadMainIcon());
  // The sounds go to the machine's sound device (SDL2).
  SetSoundOutput(&DeviceSoundOutput());
  // The speakers' volume goes through the desktop's mixer (ALSA).
  SetMixerDriver(&DeviceMixerDriver());

  // The name dialog lives as long as the program and is reused for every game.
  TForm3 form3;
  std::unique_ptr<TForm1> form;
  try {
    form = std::make_unique<TForm1>();
  } catch (const EPictureError& e) {
    // A damaged build: say so instead of ending without a word.
    QMessageBox::critical(nullptr, QStringLiteral("Zuggle Dart"),
                          QStringLiteral("The game cannot start: one of its pictures is damaged.\n\n%1")
                              .arg(QString::fromStdString(e.what())));
    return 1;
  }
  form->ShowMessage = [f = form.get()](const QString& text) {
    QMessageBox::information(f, QStringLiteral("Zuggle Dart"), text);
  };
  form->AskPlayerName = [f = form.get(), &form3] { AskPlayerName(*f, form3); };
  form->GameOver = [f = form.get()] { GameOver(*f); };
  form->ShowSettingsDialog = [f = form.get()] { ::ShowSettingsDialog(*f); };
  const QString scoresFile = FilePath("Scores.dat");
  const QString settingsFile = FilePath("ZuggleDart.ini");
  LoadHighscores(*form, scoresFile);
  LoadSettings(*form, settingsFile);
  form->show();
  ProcessMessages();

  form->StartKick();
  if (qEnvironmentVariableIsSet("ZUGGLE_DEBUG_SPEED")) qInfo("frame time %d", form->FFrameTime);
  while (!form->FQuit) {
    form->PlayGame();
    ProcessMessages();
  }
  // A regular end (Esc, the Exit button, closing the window); a failed
  // highscore save skips the settings.
  if (SaveHighscores(*form, scoresFile)) SaveSettings(*form, settingsFile);
  return 0;
}
