// A machine with no sound at all: no sound server, no ALSA device, no CHM
// viewer. The whole program with the real sound player and the real mixer
// plays a game headless on the virtual clock, opens the settings dialog and
// presses the help button. Nothing may crash, the missing mixer is told once
// (by the settings dialog), and the terminal may get at most one line for
// each thing that is missing, never a flood.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "ProgramRun.h"
#include "ShellDriver.h"
#include "platform/MixerDevice.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/sdl/SdlSoundOutput.h"
#include "shell/HighscoreUnit.h"
#include "shell/SettingsU.h"
#include "support/ScopedEnv.h"
#include "support/StderrCapture.h"

namespace {

TEST(NoSound, AWholeGameTheSettingsAndTheHelpRunQuietlyWithoutAnySound) {
  QTemporaryDir machine;
  ASSERT_TRUE(machine.isValid());
  // No sound server: the server named does not exist (and none is started).
  // No ALSA device: an empty configuration defines none, not even "default".
  // No CHM viewer: the path holds only a browser that notes what it opens.
  QFile(machine.filePath("asound.conf")).open(QIODevice::WriteOnly);
  QDir(machine.path()).mkdir("bin");
  QDir(machine.path()).mkdir("runtime");
  QFile::setPermissions(machine.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  {
    QFile opener(machine.filePath("bin/xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\necho \"$1\" > \"%1\"\n").arg(machine.filePath("opened")).toLocal8Bit());
    opener.close();
    opener.setPermissions(opener.permissions() | QFile::ExeOwner);
  }
  const std::string server = "unix:" + machine.filePath("no-server").toStdString();
  const std::string clientConf = machine.filePath("no-client.conf").toStdString();
  const std::string alsaConf = machine.filePath("asound.conf").toStdString();
  const std::string bin = machine.filePath("bin").toStdString();
  const std::string runtimeDir = machine.filePath("runtime").toStdString();
  TScopedEnv env({{"PULSE_SERVER", server.c_str()},
                  {"PULSE_CLIENTCONFIG", clientConf.c_str()},
                  {"ALSA_CONFIG_PATH", alsaConf.c_str()},
                  {"SDL_AUDIODRIVER", nullptr},
                  {"PATH", bin.c_str()},
                  {"XDG_RUNTIME_DIR", runtimeDir.c_str()}});

  TProgramRun run;
  TStderrCapture terminal;
  // As the program's entry sets them up: the mixer first, then the player.
  SetMixerDriver(&DeviceMixerDriver());
  SetSoundOutput(&DeviceSoundOutput());

  bool settingsOpened = false, helpPressed = false, gameStarted = false, gameOver = false;
  std::uint32_t highscoreAt = 0;
  std::function<void(int)> answer;
  run.OnPump = [&](TForm1* f) {
    if (!f) return;
    if (TForm4* w = VisibleWindow<TForm4>()) {
      if (!highscoreAt) highscoreAt = timeGetTime();
      if (timeGetTime() - highscoreAt >= 300) PressKey(w, Qt::Key_Return);
      gameOver = true;
      return;
    }
    if (!f->FStartBalloon || f->FStartBalloon->FShot) return;
    if (!settingsOpened) {
      settingsOpened = true;
      // The dialog has its own loop: answered from the event queue once open.
      answer = [&answer](int tries) {
        QTimer::singleShot(0, [&answer, tries] {
          auto* d = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
          if (d && d->isVisible())
            QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
          else if (tries > 0)
            answer(tries - 1);
        });
      };
      answer(200);
      QTest::keyClick(f->windowHandle(), Qt::Key_S, Qt::ControlModifier);
    } else if (!helpPressed) {
      helpPressed = true;
      QTest::mouseClick(f->HelpBtn, Qt::LeftButton);
    } else if (!gameStarted) {
      gameStarted = run.ClickStartBalloon(*f);
    } else if (gameOver) {
      f->acQuit->trigger();
    }
  };
  const int code = run.Run();
  QStringList lines = terminal.Lines();
  // The headless test platform's own remarks (it cannot raise windows or hand
  // a page to the browser); a desktop's platform does both.
  lines.removeIf([](const QString& l) { return l.startsWith(QLatin1String("This plugin does not support")); });

  EXPECT_EQ(code, 0);
  EXPECT_TRUE(settingsOpened && helpPressed && gameStarted && gameOver);
  EXPECT_GE(run.CountOf("Scores.dat written"), 1) << "the game went on to its end";
  // The player stayed silent, and the game did not wait for sounds.
  EXPECT_FALSE(static_cast<TSdlSoundOutput&>(DeviceSoundOutput()).Open());
  // The settings dialog says once that there is no mixer, in a box; nothing else does.
  ASSERT_EQ(run.Messages.size(), 1u);
  EXPECT_TRUE(run.Messages[0].startsWith(QLatin1String("Multimedia System Error"))) << run.Messages[0].toStdString();
  // At most one line for each missing thing (server, device, viewer), none twice.
  EXPECT_LE(lines.size(), 3) << lines.join('\n').toStdString();
  EXPECT_EQ(QSet<QString>(lines.begin(), lines.end()).size(), lines.size()) << lines.join('\n').toStdString();
}

}  // namespace
