#pragma once
// Runs the whole program (RunProgram) inside the test process, headless on the
// virtual clock, with its files in a fresh folder. The test sees what a person
// at the screen and a watcher of the folder would see: windows shown and
// hidden, sounds started, files opened and written, in one timeline.
// Scripted input arrives as the desktop delivers it: clicks and keys through
// Qt's event queue, from the message hook (inside the game's loops) or from
// a window's show event (for dialogs with loops of their own).
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "display/OverlayImage.h"
#include "game/MainUnit.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Random.h"
#include "support/RecordingSoundOutput.h"
#include "sound/SoundEffects.h"

class TProgramRun : public QObject {
public:
  struct TEvent {
    std::string What;
    std::uint32_t At;
    bool operator==(const TEvent&) const = default;
  };

  TProgramRun();
  ~TProgramRun() override;

  // The folder of Scores.dat and ZuggleDart.ini for this run.
  QString Folder() const { return FTmp.path(); }
  QString File(const QString& name) const { return FTmp.filePath(name); }
  void Write(const QString& name, const QByteArray& bytes) const;
  QByteArray Read(const QString& name) const;

  // Called at every message pump of the game (the game window exists from
  // the splash's start-up loader on; nullptr before).
  std::function<void(TForm1*)> OnPump;
  // Called when the name dialog has been shown; the default confirms it with
  // Enter. Typing replaces the pre-filled name.
  std::function<void(QWidget* dialog)> OnNameDialog;
  // Texts of the message boxes shown (each is closed with Enter).
  std::vector<QString> Messages;

  // Runs the program to its end and returns its exit code.
  int Run();

  // The timeline: "splash shown", "game window shown", "name dialog shown",
  // "<file> opened", "<file> written", "sound <NAME>", "playfield presented"
  // (one entry per run of consecutive presents, with their count in Count).
  std::vector<TEvent> Events;
  std::vector<int> Presents;  // for each "playfield presented" entry, how many
  std::vector<std::string> Whats() const;
  int CountOf(const std::string& what) const;

  TForm1* Game() const;
  TVirtualClock Clock;

  // A left click at the middle of the start balloon, as soon as it is there.
  bool ClickStartBalloon(TForm1& f);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  class TLoggingOutput;
  void Note(const std::string& what);
  void DrainFolderEvents();

  QTemporaryDir FTmp;
  std::unique_ptr<TLoggingOutput> FSounds;
  std::recursive_mutex FLock;
  int FInotify = -1;
  std::string FLastRaw;
};
