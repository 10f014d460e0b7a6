// The program as a whole, run in the test process on the virtual clock: the
// order of its steps as seen from outside, its ends, and what it leaves in its
// folder.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <numeric>

#include "ProgramRun.h"
#include "shell/HighscoreUnit.h"
#include "shell/SettingsU.h"

namespace {

// The timeline without the playfield's ordinary repaints; the run of 200 and
// more frames presented in a row is the speed test.
std::vector<TProgramRun::TEvent> Timeline(const TProgramRun& run) {
  std::vector<TProgramRun::TEvent> out;
  size_t present = 0;
  for (const auto& e : run.Events) {
    if (e.What != "playfield presented") {
      out.push_back(e);
      continue;
    }
    if (run.Presents[present++] >= 200) out.push_back({"speed test", e.At});
  }
  return out;
}

std::vector<std::string> Names(const std::vector<TProgramRun::TEvent>& events) {
  std::vector<std::string> w;
  for (const auto& e : events) w.push_back(e.What);
  return w;
}

std::uint32_t TimeOf(const std::vector<TProgramRun::TEvent>& events, const std::string& what) {
  for (const auto& e : events)
    if (e.What == what) return e.At;
  ADD_FAILURE() << what << " never happened";
  return 0;
}

// Files as the game itself writes them, so that a run starts from files it reads.
void WriteFiles(TProgramRun& run, const QString& name, bool instructions) {
  TForm1 form;
  form.lbNames = {QStringLiteral("Mia")};
  form.lbScores = {QStringLiteral("120")};
  form.lbLevel = {QStringLiteral("Easy")};
  form.FPlayerName = name;
  form.FShowInstructions = instructions;
  ASSERT_TRUE(SaveHighscores(form, run.File(QStringLiteral("Scores.dat"))));
  ASSERT_TRUE(SaveSettings(form, run.File(QStringLiteral("ZuggleDart.ini"))));
}

// Start-up and shutdown in their order, with Esc on the first start screen:
// the splash alone for 700 ms, then the files read (scores first), the game
// window beneath the splash, the entry sound, the speed test under the
// splash, the splash gone, the first game's name dialog; at the end the
// scores written before the settings.
TEST(Program, StepsInTheirOrderFromSplashToSavedFiles) {
  TProgramRun run;
  WriteFiles(run, QStringLiteral("Ada"), false);
  bool escaped = false;
  run.OnPump = [&](TForm1* f) {
    if (f && !escaped && f->FStartBalloon) {
      QTest::keyClick(f, Qt::Key_Escape);
      escaped = true;
    }
  };
  EXPECT_EQ(run.Run(), 0);
  const auto timeline = Timeline(run);
  const std::vector<std::string> start = {
      "splash shown",      "Scores.dat opened", "ZuggleDart.ini opened", "game window shown", "sound ENTRY",
      "speed test",        "splash hidden",     "name dialog shown",     "name dialog hidden"};
  const std::vector<std::string> names = Names(timeline);
  ASSERT_GE(names.size(), start.size());
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + static_cast<long>(start.size())), start);
  EXPECT_EQ(TimeOf(timeline, "game window shown") - TimeOf(timeline, "splash shown"), 700u)
      << "the splash alone for 700 ms, and nothing else waits before the game window";

  // Shutdown: the game window goes, then the scores and then the settings are
  // written (the settings file may be read first to keep foreign lines).
  std::vector<std::string> end;
  for (auto it = std::find(names.begin(), names.end(), "game window hidden"); it != names.end(); ++it)
    if (it->find(" written") != std::string::npos || *it == "game window hidden") end.push_back(*it);
  EXPECT_EQ(end, (std::vector<std::string>{"game window hidden", "Scores.dat written", "ZuggleDart.ini written"}));
  EXPECT_EQ(run.CountOf("sound ENTRY"), 1);
  EXPECT_TRUE(run.Read(QStringLiteral("ZuggleDart.ini")).contains("LastName=Ada\r\n"));
}

// A second showing of the game window (the desktop restoring it) starts
// nothing again: one entry sound, one speed test, one splash.
TEST(Program, StartHandlersRunOncePerRun) {
  TProgramRun run;
  int shownAgain = 0;
  run.OnPump = [&](TForm1* f) {
    if (!f || !f->FStartBalloon) return;
    if (shownAgain < 2) {
      ++shownAgain;
      f->hide();
      f->showFullScreen();
      return;
    }
    f->acQuit->trigger();
  };
  EXPECT_EQ(run.Run(), 0);
  const auto names = Names(Timeline(run));
  EXPECT_EQ(std::count(names.begin(), names.end(), "speed test"), 1);
  EXPECT_EQ(run.CountOf("sound ENTRY"), 1);
  EXPECT_EQ(run.CountOf("splash shown"), 1);
  EXPECT_EQ(run.CountOf("game window shown"), 3);
}

// kill (SIGTERM) in the middle of a round ends the program the regular way:
// both files are written, with the name typed for this game.
TEST(Program, SigtermDuringARoundSavesBothFiles) {
  TProgramRun run;
  WriteFiles(run, QStringLiteral("Ada"), false);
  run.OnNameDialog = [](QWidget* d) {
    QTest::keyClicks(d->focusWidget(), QStringLiteral("Zoe"));
    QTest::keyClick(d->focusWidget(), Qt::Key_Return);
  };
  bool killed = false;
  std::uint32_t roundTime = 0;
  run.OnPump = [&](TForm1* f) {
    if (!f) return;
    run.ClickStartBalloon(*f);
    if (f->FRoundState.FRoundRunning && !killed && timeGetTime() - f->FRoundState.FRoundStart > 3000) {
      killed = true;
      roundTime = timeGetTime() - f->FRoundState.FRoundStart;
      ::kill(::getpid(), SIGTERM);
    }
  };
  EXPECT_EQ(run.Run(), 0);
  ASSERT_TRUE(killed) << "never reached a round";
  EXPECT_LT(roundTime, 90000u);
  EXPECT_EQ(run.Read(QStringLiteral("ZuggleDart.ini")),
            QByteArray("[General]\r\nLastName=Zoe\r\nShow Instructions=0\r\nNo Sound=0\r\n\r\n"));
  EXPECT_EQ(run.CountOf("Scores.dat written"), 1);
  EXPECT_TRUE(run.Messages.empty());
}

// A quit from outside while a dialog with its own loop is open (here the name
// dialog) closes the dialog as the desktop would (the name stays as it was)
// and ends the program.
TEST(Program, SignalWhileTheNameDialogIsOpenEndsTheProgram) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    TProgramRun run;
    WriteFiles(run, QStringLiteral("Ada"), true);
    run.OnNameDialog = [sig](QWidget* d) {
      QTest::keyClicks(d->focusWidget(), QStringLiteral("Zoe"));
      ::kill(::getpid(), sig);
    };
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.CountOf("name dialog hidden"), 1);
    EXPECT_TRUE(run.Read(QStringLiteral("ZuggleDart.ini")).contains("LastName=Ada\r\n"));
  }
}

// A signal before the game window exists (during the splash) still lets the
// start-up finish, plays no game and writes back what was read.
TEST(Program, SignalDuringTheSplashEndsWithoutAGame) {
  TProgramRun run;
  WriteFiles(run, QStringLiteral("Ada"), true);
  const QByteArray ini = run.Read(QStringLiteral("ZuggleDart.ini"));
  bool sent = false;
  run.OnPump = [&](TForm1* f) {
    if (!f && !sent) {
      sent = true;
      ::kill(::getpid(), SIGTERM);
    }
  };
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(run.CountOf("name dialog shown"), 0);
  EXPECT_EQ(run.Read(QStringLiteral("ZuggleDart.ini")), ini);
}

// The desktop closing the game window is a quit like Esc.
TEST(Program, ClosingTheGameWindowSavesBothFiles) {
  TProgramRun run;
  run.OnPump = [&](TForm1* f) {
    if (f && f->FStartBalloon) f->close();
  };
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(run.CountOf("Scores.dat written"), 1);
  EXPECT_EQ(run.CountOf("ZuggleDart.ini written"), 1);
}

// Files of at most Bytes bytes for this process, as on a disk that is full:
// a longer write fails (with EFBIG instead of the default signal).
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &FOld);
    rlimit r = FOld;
    r.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &r);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }

private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
};

// The three empty records of Scores.dat need 303 bytes, the settings file 60:
// with room for 200 bytes only the highscore save fails.
constexpr rlim_t RoomForSettingsOnly = 200;

// When Scores.dat cannot be written the player is told, the settings file is
// not even tried (though it would fit), and the program still ends normally.
TEST(Program, FailedHighscoreSaveShowsTheMessageAndWritesNoSettings) {
  TProgramRun run;
  std::unique_ptr<TFileSizeLimit> limit;
  run.OnPump = [&](TForm1* f) {
    if (f && f->FStartBalloon && !limit) {
      limit = std::make_unique<TFileSizeLimit>(RoomForSettingsOnly);
      f->acQuit->trigger();
    }
  };
  EXPECT_EQ(run.Run(), 0);
  limit.reset();
  ASSERT_EQ(run.Messages.size(), 1u);
  EXPECT_TRUE(run.Messages[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(run.File("Scores.dat"))))
      << run.Messages[0].toStdString();
  EXPECT_EQ(run.CountOf("ZuggleDart.ini opened"), 0) << "the settings file must not be touched";
  EXPECT_FALSE(QFileInfo::exists(run.File(QStringLiteral("ZuggleDart.ini"))));
  EXPECT_FALSE(QFileInfo::exists(run.File(QStringLiteral("Scores.dat"))));
}

// The same after a quit from outside: nobody reads a message box then, so the
// text goes to the terminal and nothing waits.
TEST(Program, FailedSaveAfterSigtermWaitsForNobody) {
  TProgramRun run;
  std::unique_ptr<TFileSizeLimit> limit;
  run.OnPump = [&](TForm1* f) {
    if (f && f->FStartBalloon && !limit) {
      limit = std::make_unique<TFileSizeLimit>(RoomForSettingsOnly);
      ::kill(::getpid(), SIGTERM);
    }
  };
  EXPECT_EQ(run.Run(), 0);
  limit.reset();
  EXPECT_TRUE(run.Messages.empty());
  EXPECT_FALSE(QFileInfo::exists(run.File(QStringLiteral("ZuggleDart.ini"))));
}

// Coming back from another program repaints the start screen.
TEST(Program, ActivationRedrawsTheStartScreen) {
  TProgramRun run;
  bool done = false;
  run.OnPump = [&](TForm1* f) {
    if (!f || !f->FStartBalloon || done) return;
    done = true;  // the redraw pumps messages itself
    auto presents = [&] { return std::accumulate(run.Presents.begin(), run.Presents.end(), 0); };
    const int before = presents();
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_GT(presents(), before) << "no frame presented after the activation";
    f->acQuit->trigger();
  };
  EXPECT_EQ(run.Run(), 0);
  EXPECT_TRUE(done);
}

// The Help button on the start screen: with no CHM viewer and no compiled
// help beside the program, the pages open in the browser (here a stand-in
// that notes its argument) and the game goes on to a regular end.
TEST(Program, HelpButtonOpensThePagesAndTheGameGoesOn) {
  TProgramRun run;
  QTemporaryDir bin;
  QFile opener(bin.filePath(QStringLiteral("xdg-open")));
  ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
  opener.write(QStringLiteral("#!/bin/sh\necho \"$1\" > \"%1\"\n").arg(bin.filePath("opened")).toLocal8Bit());
  opener.close();
  opener.setPermissions(opener.permissions() | QFile::ExeOwner);
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", bin.path().toLocal8Bit());
  bool clicked = false;
  QElapsedTimer sinceClick;  // real time: the browser is a process of its own
  run.OnPump = [&](TForm1* f) {
    if (!f || !f->FStartBalloon) return;
    if (!clicked) {
      clicked = true;
      ASSERT_TRUE(f->HelpBtn->isVisible());
      QTest::mouseClick(f->HelpBtn, Qt::LeftButton);
      sinceClick.start();
    } else if (QFileInfo::exists(bin.filePath("opened")) || sinceClick.elapsed() > 5000) {
      f->acQuit->trigger();
    }
  };
  const int code = run.Run();
  qputenv("PATH", oldPath);
  EXPECT_EQ(code, 0);
  QFile opened(bin.filePath(QStringLiteral("opened")));
  ASSERT_TRUE(opened.open(QIODevice::ReadOnly)) << "the browser was not asked";
  EXPECT_TRUE(opened.readAll().trimmed().endsWith("/help/index.html"));
  EXPECT_TRUE(run.Messages.empty());
  EXPECT_EQ(run.CountOf("ZuggleDart.ini written"), 1);
}

}  // namespace
