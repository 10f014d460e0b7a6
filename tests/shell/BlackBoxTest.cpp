// The real program from outside, as a person at a desktop meets it: a copy of
// the executable in an empty folder, started on a virtual X server (Xvfb),
// driven with real key presses (xdotool), ended, and the files it left read
// byte for byte.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int NobodyId = 65534;

// ---- the files as the game writes them -------------------------------------

// A short string: length byte and bytes.
QByteArray Short(const QByteArray& s) { return char(s.size()) + s; }

// An integer value with the smallest tag that holds it (2, 3 or 4).
QByteArray Int(int v) {
  QByteArray b;
  if (v >= -128 && v <= 127) return QByteArray("\x02") + char(v);
  if (v >= -32768 && v <= 32767) {
    b = QByteArray("\x03");
    b += char(v & 0xFF);
    b += char((v >> 8) & 0xFF);
    return b;
  }
  b = QByteArray("\x04");
  for (int i = 0; i < 4; ++i) b += char((v >> (8 * i)) & 0xFF);
  return b;
}

// One list's record of Scores.dat: the hidden list box with its placement
// values, its rows (left out when there are none), tab order, invisible.
QByteArray Record(const QByteArray& name, int left, int top, int width, int height, int help, int tab,
                  const QList<QByteArray>& rows) {
  QByteArray r = "TPF0" + Short("TListBox") + Short(name);
  r += Short("Left") + Int(left) + Short("Top") + Int(top) + Short("Width") + Int(width) + Short("Height") +
       Int(height) + Short("HelpContext") + Int(help) + Short("ItemHeight") + Int(17);
  if (!rows.isEmpty()) {
    r += Short("Items.Strings") + '\x01';
    for (const QByteArray& row : rows) r += '\x06' + Short(row);
    r += '\x00';
  }
  r += Short("TabOrder") + Int(tab) + Short("Visible") + '\x08';
  r += QByteArray(2, '\0');
  return r;
}

QByteArray ScoresFile(const QList<QByteArray>& names, const QList<QByteArray>& scores, const QList<QByteArray>& levels) {
  return Record("lbNames", 464, 120, 73, 97, 32, 1, names) + Record("lbScores", 488, 168, 81, 113, 33, 2, scores) +
         Record("lbLevel", 520, 224, 81, 129, 34, 3, levels);
}

QByteArray Ini(const QByteArray& name, bool instructions, bool noSound) {
  return "[General]\r\nLastName=" + name + "\r\nShow Instructions=" + (instructions ? "1" : "0") +
         "\r\nNo Sound=" + (noSound ? "1" : "0") + "\r\n\r\n";
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Bytes as hex pairs, so that a difference reads as an offset.
std::string Hex(const QByteArray& b) { return b.toHex(' ').toStdString(); }

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(bytes);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QThread::msleep(50);
  }
  return true;
}

// ---- the desktop: a virtual X server and a hand on its keyboard -------------

class TXServer {
public:
  TXServer() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    // Xvfb picks a free display and writes its number into the pipe; the write
    // end is inherited by the server (no close-on-exec). Without -noreset the
    // server resets when its last client leaves (a program that ended, an
    // xdotool call), and a client that connects during the reset is refused.
    FServer.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QString::number(fds[1]), QStringLiteral("-screen"),
                                         QStringLiteral("0"), QStringLiteral("1152x864x24"), QStringLiteral("-ac"),
                                         QStringLiteral("-noreset"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ::close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    QByteArray number;
    while (::poll(&p, 1, 10000) > 0) {
      char c;
      if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    ::close(fds[0]);
    if (!number.isEmpty()) Display = ':' + QString::fromLatin1(number);
  }
  ~TXServer() {
    FServer.terminate();
    FServer.waitForFinished(5000);
  }
  QString Display;  // empty: no server

  // Runs xdotool on this display and returns its output.
  QString XDo(const QStringList& args) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), Display);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
  }
  struct TWindow {
    QString Id, Name;
    int Width = 0, Height = 0;
  };
  std::vector<TWindow> VisibleWindows() const {
    std::vector<TWindow> list;
    for (const QString& id : XDo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QString()})
                                 .split('\n', Qt::SkipEmptyParts)) {
      TWindow w{id, XDo({QStringLiteral("getwindowname"), id}).trimmed()};
      for (const QString& line : XDo({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id}).split('\n')) {
        if (line.startsWith(QStringLiteral("WIDTH="))) w.Width = line.mid(6).toInt();
        if (line.startsWith(QStringLiteral("HEIGHT="))) w.Height = line.mid(7).toInt();
      }
      list.push_back(w);
    }
    return list;
  }
  // The visible window of this size (and name, when given), or an empty id.
  QString WindowOfSize(int w, int h, const QString& name = QString()) const {
    for (const TWindow& win : VisibleWindows())
      if (win.Width == w && win.Height == h && (name.isNull() || win.Name == name)) return win.Id;
    return {};
  }
  // Key presses as the keyboard delivers them, after the keyboard focus was
  // given to Window (there is no window manager to give it).
  void Keys(const QString& Window, const QStringList& keys) const {
    XDo(QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync"), Window, QStringLiteral("key"),
                    QStringLiteral("--delay"), QStringLiteral("60")} +
        keys);
  }

private:
  QProcess FServer;
};

// ---- the program in a folder of its own --------------------------------------

class BlackBox : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) << "Xvfb (package xvfb) is needed";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) << "xdotool is needed";
    ASSERT_TRUE(FTmp.isValid());
    ASSERT_FALSE(FX.Display.isEmpty()) << "Xvfb did not start";
    // Reachable by the unprivileged user that a read-only test runs as.
    QFile::setPermissions(FTmp.path(), QFileDevice::Permissions(0x7755));
    QDir(FTmp.path()).mkpath(QStringLiteral("game"));
    for (const char* d : {"home/.local/share", "home/.cache", "home/.config", "run"}) QDir(FTmp.path()).mkpath(d);
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZUGGLE_EXECUTABLE), Game(QStringLiteral("ZuggleDart"))));
  }
  void TearDown() override {
    if (FProgram.state() != QProcess::NotRunning) {
      FProgram.kill();
      FProgram.waitForFinished(5000);
    }
    QFile::setPermissions(Game(QString()), QFileDevice::Permissions(0x7700));
  }

  QString Game(const QString& name) const { return FTmp.filePath(QStringLiteral("game/") + name); }
  QString UserData(const QString& name) const {
    return FTmp.filePath(QStringLiteral("home/.local/share/ZuggleDart/") + name);
  }

  // Starts the copy in its folder, as an unprivileged user when asked (root
  // writes into read-only folders, a person does not).
  void Start(bool asNobody = false) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), FX.Display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("HOME"), FTmp.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), FTmp.filePath(QStringLiteral("home/.local/share")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), FTmp.filePath(QStringLiteral("home/.cache")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), FTmp.filePath(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), FTmp.filePath(QStringLiteral("run")));
    QFile::setPermissions(FTmp.filePath(QStringLiteral("run")), QFileDevice::Permissions(0x7700));
    if (asNobody && ::geteuid() == 0) {
      for (const char* d : {"home", "home/.local", "home/.local/share", "home/.cache", "home/.config", "run"})
        ASSERT_EQ(::chown(FTmp.filePath(QString::fromLatin1(d)).toLocal8Bit().constData(), NobodyId, NobodyId), 0);
      FProgram.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0) ::_exit(126);
      });
    }
    FProgram.setProcessEnvironment(env);
    FProgram.setWorkingDirectory(Game(QString()));
    FProgram.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProgram.start(Game(QStringLiteral("ZuggleDart")), QStringList());
    ASSERT_TRUE(FProgram.waitForStarted(10000));
  }

  // The name dialog (360 x 113, shown before every new game) once it is up.
  // On a busy machine the speed test may warn about jerky movement first: any
  // other small window is that message box, and Enter closes it.
  QString WaitForNameDialog() {
    QString id;
    EXPECT_TRUE(WaitUntil(
        [&] {
          for (const TXServer::TWindow& w : FX.VisibleWindows()) {
            if (w.Width == 360 && w.Height == 113) return !(id = w.Id).isEmpty();
            const bool splash = w.Width < 500 && w.Height < 250 && w.Width * 189 / 439 - w.Height <= 1 &&
                                w.Height - w.Width * 189 / 439 <= 1;
            if (w.Width < 1152 && !splash) {
              std::fprintf(stderr, "closing a message box of %dx%d\n", w.Width, w.Height);
              FX.Keys(w.Id, {QStringLiteral("Return")});
            }
          }
          return FProgram.state() == QProcess::NotRunning;
        },
        60000))
        << "no name dialog";
    return id;
  }

  // Confirms the name dialog with the given keys, lets the start screen come
  // up, and quits with Esc.
  void PlayToStartScreenAndQuit(const QStringList& nameKeys) {
    const QString dialog = WaitForNameDialog();
    ASSERT_FALSE(dialog.isEmpty());
    FX.Keys(dialog, nameKeys + QStringList{QStringLiteral("Return")});
    ASSERT_TRUE(WaitUntil([&] { return FX.WindowOfSize(360, 113).isEmpty(); }, 10000)) << "the dialog stayed";
    QThread::msleep(1500);  // the start screen with its balloon
    EXPECT_EQ(FProgram.state(), QProcess::Running) << "ended before Esc";
    const QString game = FX.WindowOfSize(1152, 864, QStringLiteral("Zuggle Dart"));
    ASSERT_FALSE(game.isEmpty()) << "no game window";
    FX.Keys(game, {QStringLiteral("Escape")});
  }

  void ExpectRegularEnd() {
    ASSERT_TRUE(FProgram.waitForFinished(20000)) << "still running";
    EXPECT_EQ(FProgram.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(FProgram.exitCode(), 0);
  }

  QStringList GameFolder() const { return QDir(Game(QString())).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

  QTemporaryDir FTmp;
  TXServer FX;
  QProcess FProgram;
};

TEST_F(BlackBox, FirstStartInAnEmptyFolderLeavesBothFilesBesideTheExecutable) {
  Start();
  PlayToStartScreenAndQuit({});
  ExpectRegularEnd();
  EXPECT_EQ(GameFolder(), (QStringList{"Scores.dat", "ZuggleDart", "ZuggleDart.ini"}));
  EXPECT_EQ(Hex(ReadFile(Game("Scores.dat"))), Hex(ScoresFile({}, {}, {})));
  EXPECT_EQ(ReadFile(Game("ZuggleDart.ini")), Ini("", true, false));
  EXPECT_FALSE(QFile::exists(UserData("Scores.dat")));
}

// Hand-made files are read: the name from the ini is in the name dialog (End
// and one more letter keep it), the switches and the table survive the run.
TEST_F(BlackBox, HandMadeFilesAreReadAndWrittenBack) {
  const QByteArray scores = ScoresFile({"Ada", "Ben"}, {"120", "95"}, {"Easy", "Medium"});
  WriteFile(Game("Scores.dat"), scores);
  WriteFile(Game("ZuggleDart.ini"), Ini("Ada", false, true));
  Start();
  PlayToStartScreenAndQuit({QStringLiteral("End"), QStringLiteral("x")});
  ExpectRegularEnd();
  EXPECT_EQ(ReadFile(Game("ZuggleDart.ini")), Ini("Adax", false, true));
  EXPECT_EQ(Hex(ReadFile(Game("Scores.dat"))), Hex(scores));
}

// An installed copy: the executable's folder cannot be written, so both files
// live in the per-user data folder, and nothing is left beside the executable.
TEST_F(BlackBox, ReadOnlyFolderUsesThePerUserDataFolder) {
  QFile::setPermissions(Game("ZuggleDart"), QFileDevice::Permissions(0x7755));
  QFile::setPermissions(Game(QString()), QFileDevice::Permissions(0x5555));
  Start(/*asNobody=*/true);
  PlayToStartScreenAndQuit({QStringLiteral("Z"), QStringLiteral("o"), QStringLiteral("e")});
  ExpectRegularEnd();
  EXPECT_EQ(GameFolder(), QStringList{"ZuggleDart"});
  EXPECT_EQ(ReadFile(UserData("ZuggleDart.ini")), Ini("Zoe", true, false));
  EXPECT_EQ(Hex(ReadFile(UserData("Scores.dat"))), Hex(ScoresFile({}, {}, {})));
}

// kill and Ctrl+C in the terminal end the game like Esc: both files saved,
// exit code 0, also while a dialog waits for the player.
TEST_F(BlackBox, SigtermAndSigintEndTheProgramAndSave) {
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    QFile::remove(Game("Scores.dat"));
    QFile::remove(Game("ZuggleDart.ini"));
    Start();
    ASSERT_FALSE(WaitForNameDialog().isEmpty());
    ASSERT_EQ(::kill(static_cast<pid_t>(FProgram.processId()), sig), 0);
    ExpectRegularEnd();
    EXPECT_EQ(Hex(ReadFile(Game("Scores.dat"))), Hex(ScoresFile({}, {}, {})));
    EXPECT_EQ(ReadFile(Game("ZuggleDart.ini")), Ini("", true, false));
  }
}

}  // namespace
