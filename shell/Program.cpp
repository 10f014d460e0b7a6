#include "shell/Program.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <memory>

#include "display/OverlayImage.h"
#include "display/PictureAssets.h"
#include "game/MainUnit.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/QuitSignals.h"
#include "shell/DataFiles.h"
#include "shell/DummyUnit.h"
#include "shell/Help.h"
#include "shell/HighscoreUnit.h"
#include "shell/NameUnit.h"
#include "shell/SettingsU.h"

namespace {

// Posted by the game window to itself when it is first shown; its handler is
// the start kick.
constexpr QEvent::Type WM_GAMESTART = static_cast<QEvent::Type>(1028);

constexpr std::uint32_t SplashWaitMs = 700;
const QString ScoresFile = QStringLiteral("Scores.dat");
const QString SettingsFile = QStringLiteral("ZuggleDart.ini");

class TProgram final : public QObject {
public:
  TProgram();
  ~TProgram() override;
  int Run();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void StartUpLoader();
  void SetUpGameWindow(TForm1& Form);
  void StartKick();
  void WaitUntilOnScreen(QWidget& Window);
  void RequestQuit();
  static void CloseModalWindows();
  void ShowMessage(const QString& Text);

  QEventLoop FLoop;
  TForm2 FForm2;
  TForm3 FForm3;
  std::unique_ptr<TForm1> FForm1;
  TQuitSignals FSignals;
  // The application's help-file setting.
  QString FHelpFile;
  // A quit came from outside the game (a signal, a log-out): windows that
  // would wait for the player are closed at once.
  bool FQuitFromOutside = false;
  bool FGameShowHandlerSet = true;
  int FExitCode = 0;
  // Runs while the start kick waits for the game window to reach the screen.
  QEventLoop* FExposeWait = nullptr;
};

TProgram::TProgram() {
  FForm2.OnSplashStart = [this] { StartUpLoader(); };
  // Closing the main window ends the message loop, whoever closes it.
  connect(&FForm2, &TForm2::Closed, this, [this] {
    if (!FForm1 || !FForm1->FQuit) RequestQuit();
    FLoop.quit();
  });
  connect(&FSignals, &TQuitSignals::QuitRequested, this, [this](int) { RequestQuit(); });
  // A log-out: the session manager asks to save; the game saves by ending.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { RequestQuit(); });
  qApp->installEventFilter(this);
}

TProgram::~TProgram() { qApp->removeEventFilter(this); }

int TProgram::Run() {
  FForm2.show();
  FLoop.exec();
  if (FForm1) {
    FormDestroy(*FForm1);
    FForm1.reset();
  }
  return FExitCode;
}

void TProgram::StartUpLoader() {
  ProcessMessages();  // the splash is painted before the wait
  ::Sleep(SplashWaitMs);
  try {
    FForm1 = std::make_unique<TForm1>();
  } catch (const EPictureError& e) {
    // A damaged build: say so instead of ending without a word. Nothing was
    // read, so nothing is written.
    FForm2.hide();
    QMessageBox::critical(nullptr, QString::fromLatin1(ApplicationTitle),
                          QStringLiteral("The game cannot start: one of its pictures is damaged.\n\n%1")
                              .arg(QString::fromStdString(e.what())));
    FExitCode = 1;
    FForm2.close();
    return;
  }
  SetUpGameWindow(*FForm1);
  if (FQuitFromOutside) FForm1->FQuit = true;
  LoadHighscores(*FForm1, DataFilePath(ScoresFile));
  LoadSettings(*FForm1, DataFilePath(SettingsFile));
  FForm1->installEventFilter(this);
  FForm1->showFullScreen();
  FForm2.raise();  // the splash stays on top of the full-screen window
  ProcessMessages();
}

void TProgram::SetUpGameWindow(TForm1& Form) {
  FHelpFile = HelpFilePath();
  // Coming back from another program repaints the start screen (the desktop
  // may have drawn over it).
  connect(qApp, &QGuiApplication::applicationStateChanged, &Form, [&Form](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) Form.RedrawStartScreen();
  });
  Form.AskPlayerName = [this, &Form] { AskPlayerName(Form, FForm3); };
  Form.GameOver = [&Form] { GameOver(Form); };
  Form.ShowSettingsDialog = [&Form] { ShowSettingsDialog(Form); };
  Form.HelpBtnClick = [this] { HelpBtnClick(FHelpFile); };
  Form.ShowMessage = [this](const QString& text) { ShowMessage(text); };
}

void TProgram::StartKick() {
  TForm1& form = *FForm1;
  WaitUntilOnScreen(form);
  form.StartKick();
  FForm2.MakeOrdinary();
  form.raise();
  form.activateWindow();
  FForm2.hide();
  while (!form.FQuit) {
    form.PlayGame();
    ProcessMessages();
  }
  form.close();
  FForm2.close();
}

// The show message can come before the desktop has put the window on the
// screen (on X11 it is mapped asynchronously): until then the speed test's
// frames would go nowhere, measure too little and show nothing. A desktop that
// never tells gets two seconds.
void TProgram::WaitUntilOnScreen(QWidget& Window) {
  QWindow* handle = Window.windowHandle();
  if (!handle || handle->isExposed()) return;
  QEventLoop wait;
  QTimer::singleShot(2000, &wait, &QEventLoop::quit);
  handle->installEventFilter(this);
  FExposeWait = &wait;
  wait.exec();
  FExposeWait = nullptr;
  handle->removeEventFilter(this);
}

bool TProgram::eventFilter(QObject* watched, QEvent* event) {
  if (FExposeWait && event->type() == QEvent::Expose) {
    if (auto* w = qobject_cast<QWindow*>(watched); w && w->isExposed()) FExposeWait->quit();
    return false;
  }
  if (FForm1 && watched == FForm1.get()) {
    if (event->type() == QEvent::Show && FGameShowHandlerSet) {
      FGameShowHandlerSet = false;
      QCoreApplication::postEvent(FForm1.get(), new QEvent(WM_GAMESTART));
    } else if (event->type() == WM_GAMESTART) {
      StartKick();
      return true;
    }
    return false;
  }
  // After a quit from outside, a modal window that opens (the highscore
  // window at the end of a game, say) would wait for a player who has gone.
  if (FQuitFromOutside && event->type() == QEvent::Show) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->isWindow() && w->isModal()) QMetaObject::invokeMethod(this, &TProgram::CloseModalWindows, Qt::QueuedConnection);
  }
  return false;
}

void TProgram::RequestQuit() {
  FQuitFromOutside = true;
  if (FForm1) FForm1->FQuit = true;
  CloseModalWindows();
}

void TProgram::CloseModalWindows() {
  // Modal windows run message loops of their own that never look at FQuit;
  // closing them lets the game's loops see it.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() || !w->isModal()) continue;
    if (auto* d = qobject_cast<QDialog*>(w))
      d->reject();
    else
      w->close();
  }
}

void TProgram::ShowMessage(const QString& Text) {
  // Nobody would read a box after a log-out or a kill: the text goes to the
  // terminal (or the session's log) instead, and the program ends.
  if (FQuitFromOutside) {
    std::fprintf(stderr, "%s\n", qPrintable(Text));
    return;
  }
  QMessageBox box(QMessageBox::Information, QString::fromLatin1(ApplicationTitle), Text, QMessageBox::Ok,
                  FForm1.get());
  // The speed test warns while the splash is still kept on top: the box must
  // not open hidden beneath it.
  if (FForm2.isVisible()) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.exec();
}

}  // namespace

int RunProgram() {
  TProgram program;
  return program.Run();
}

void FormDestroy(TForm1& Form) {
  Form.FreeBalloons();
  Form.FStartBalloon.reset();
  Form.FShelterBitmap.reset();
  if (!SaveHighscores(Form, DataFilePath(ScoresFile))) return;
  SaveSettings(Form, DataFilePath(SettingsFile));
}
