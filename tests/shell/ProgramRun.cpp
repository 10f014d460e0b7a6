#include "ProgramRun.h"

#include <QFile>
#include <sys/inotify.h>
#include <unistd.h>

#include "shell/DataFiles.h"
#include "shell/DummyUnit.h"
#include "shell/NameUnit.h"
#include "shell/Program.h"

// Notes every start in the timeline, then records it as the recorder does.
class TProgramRun::TLoggingOutput final : public TSoundOutput {
public:
  explicit TLoggingOutput(TProgramRun& run) : FRun(run) {}
  void Stop() override { FRecorder.Stop(); }
  void Play(const std::string& name, bool wait) override {
    FRun.Note("sound " + name);
    FRecorder.Play(name, wait);
  }
  TRecordingSoundOutput FRecorder;

private:
  TProgramRun& FRun;
};

TProgramRun::TProgramRun() : FSounds(std::make_unique<TLoggingOutput>(*this)) {
  SetClock(&Clock);
  SetSoundOutput(FSounds.get());
  RandSeed(12345);
  SetDataFolder(FTmp.path());
  FInotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  inotify_add_watch(FInotify, FTmp.path().toLocal8Bit().constData(), IN_OPEN | IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO);
  OnNameDialog = [](QWidget* dialog) { QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return); };
}

TProgramRun::~TProgramRun() {
  SetMessageHook({});
  Clock.Release();
  while (RunningSoundThreads() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  SetSoundOutput(nullptr);
  SetClock(nullptr);
  SetDataFolder(QString());
  ::close(FInotify);
}

void TProgramRun::Write(const QString& name, const QByteArray& bytes) const {
  QFile f(File(name));
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

QByteArray TProgramRun::Read(const QString& name) const {
  QFile f(File(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TForm1* TProgramRun::Game() const {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = qobject_cast<TForm1*>(w)) return f;
  return nullptr;
}

int TProgramRun::Run() {
  DrainFolderEvents();  // what the test itself did to the folder
  Events.clear();
  Presents.clear();
  SetMessageHook([this] {
    DrainFolderEvents();
    if (OnPump) OnPump(Game());
  });
  qApp->installEventFilter(this);
  const int code = RunProgram();
  qApp->removeEventFilter(this);
  SetMessageHook({});
  DrainFolderEvents();
  return code;
}

void TProgramRun::Note(const std::string& what) {
  std::lock_guard lock(FLock);
  if (what == "playfield presented" && !Events.empty() && Events.back().What == what) {
    ++Presents.back();
    return;
  }
  Events.push_back({what, timeGetTime()});
  if (what == "playfield presented") Presents.push_back(1);
}

void TProgramRun::DrainFolderEvents() {
  alignas(inotify_event) char buf[4096];
  for (;;) {
    const ssize_t n = ::read(FInotify, buf, sizeof buf);
    if (n <= 0) return;
    for (ssize_t i = 0; i < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buf + i);
      const std::string name = e->len ? e->name : "";
      // Only the two files by their own names: a temporary file that is
      // renamed into place counts when it arrives under the real name.
      if (name == "Scores.dat" || name == "ZuggleDart.ini") {
        // A file can arrive whole under its name by a rename, by linking an
        // unnamed temporary file, or by a plain write that ends with a close.
        // A file created by name is noted at its creation: its own opening
        // right after and its closing with nothing noted between are part of it.
        const bool justCreated = FLastRaw == name + " created";
        if (e->mask & IN_CREATE) Note(name + " written");
        if ((e->mask & IN_OPEN) && !justCreated) Note(name + " opened");
        if (e->mask & IN_MOVED_TO) Note(name + " written");
        if ((e->mask & IN_CLOSE_WRITE) && (Events.empty() || Events.back().What != name + " written"))
          Note(name + " written");
        FLastRaw = name + ((e->mask & IN_CREATE) ? " created" : " other");
      }
      i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
}

std::vector<std::string> TProgramRun::Whats() const {
  std::vector<std::string> w;
  for (const auto& e : Events) w.push_back(e.What);
  return w;
}

int TProgramRun::CountOf(const std::string& what) const {
  int n = 0;
  for (const auto& e : Events) n += e.What == what;
  return n;
}

bool TProgramRun::ClickStartBalloon(TForm1& f) {
  if (!f.FStartBalloon || f.FStartBalloon->FShot) return false;
  const TRect& r = f.FStartBalloon->FHitRect;
  QTest::mouseClick(f.BaseImage1, Qt::LeftButton, Qt::NoModifier, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  return true;
}

bool TProgramRun::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  if (t != QEvent::Show && t != QEvent::Hide && t != QEvent::Paint) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w) return false;
  if (t == QEvent::Paint) {
    // A frame the game presents (a synchronous repaint of the playfield).
    if (auto* f = Game(); f && w == f->BaseImage1) Note("playfield presented");
    return false;
  }
  if (!w->isWindow()) return false;
  DrainFolderEvents();
  const char* what = qobject_cast<TForm2*>(w)   ? "splash"
                     : qobject_cast<TForm1*>(w) ? "game window"
                     : qobject_cast<TForm3*>(w) ? "name dialog"
                     : qobject_cast<QMessageBox*>(w) ? "message box"
                                                     : nullptr;
  if (!what) return false;
  Note(std::string(what) + (t == QEvent::Show ? " shown" : " hidden"));
  if (t == QEvent::Show && qobject_cast<TForm3*>(w)) {
    QTimer::singleShot(0, w, [this, w] { OnNameDialog(w); });
  } else if (t == QEvent::Show && qobject_cast<QMessageBox*>(w)) {
    auto* box = static_cast<QMessageBox*>(w);
    Messages.push_back(box->text());
    QTimer::singleShot(0, box, [box] { QTest::keyClick(box, Qt::Key_Return); });
  }
  return false;
}
