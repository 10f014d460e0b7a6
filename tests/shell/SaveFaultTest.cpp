// Saves that fail at every step: the highscore list and the settings are saved
// while the file writer is made to fail at its open, at each of its writes, at
// its flush, its close and its rename. Each time the file on disk must be the
// old one byte for byte (or still absent), no temporary file may be left, the
// player must be told with the system's reason, and the next save must work.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include "game/MainUnit.h"
#include "shell/AtomicFile.h"
#include "shell/HighscoreFile.h"
#include "shell/HighscoreUnit.h"
#include "shell/SettingsU.h"

namespace {

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void PutFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

// Installs a fault hook for one scope.
struct TScopedFaultHook {
  explicit TScopedFaultHook(TAtomicFaultHook hook) { SetAtomicFaultHook(std::move(hook)); }
  ~TScopedFaultHook() { SetAtomicFaultHook({}); }
};

struct TStepSeen {
  TAtomicStep Step;
  int Index;
  bool operator==(const TStepSeen&) const = default;
};

const char* StepName(TAtomicStep s) {
  switch (s) {
    case TAtomicStep::Open: return "open";
    case TAtomicStep::Write: return "write";
    case TAtomicStep::Flush: return "flush";
    case TAtomicStep::Close: return "close";
    case TAtomicStep::Rename: return "rename";
  }
  return "?";
}

// The error each step is made to fail with: what a real system says there.
int ErrorFor(TAtomicStep s) {
  switch (s) {
    case TAtomicStep::Open: return EACCES;
    case TAtomicStep::Write: return ENOSPC;
    case TAtomicStep::Flush: return EIO;
    case TAtomicStep::Close: return EDQUOT;
    case TAtomicStep::Rename: return EROFS;
  }
  return EIO;
}

// One of the game's two files: how its content gets into the window, the
// file's name, and the save under test.
struct TSaver {
  const char* Name;
  const char* FileName;
  // Gives the window content to save; Generation 0 and 1 differ in every list
  // or key, so that old and new files differ.
  void (*Fill)(TForm1& Form, int Generation);
  bool (*Save)(TForm1& Form, const QString& FileName);
  // A file that others wrote beside the game's keys (kept by the save), or
  // empty: the game's own first save is the old file.
  const char* Foreign;
};

void FillScores(TForm1& f, int generation) {
  f.lbNames.clear();
  f.lbScores.clear();
  f.lbLevel.clear();
  // Twenty rows with long names: the file takes more than one write.
  for (int i = 0; i < 20; ++i) {
    f.lbNames << QStringLiteral("Player %1 %2 with a long name, Ünïcödé").arg(generation).arg(i);
    f.lbScores << QString::number(1000 * (generation + 1) - i);
    f.lbLevel << (generation ? QStringLiteral("Hardest") : QStringLiteral("Easy"));
  }
}

void FillSettings(TForm1& f, int generation) {
  f.FPlayerName = generation ? QStringLiteral("Noor") : QStringLiteral("Mia");
  f.FShowInstructions = generation == 0;
  f.FNoSound = generation == 1;
}

// Another program's long section: the settings file takes more than one write.
QByteArray ForeignSettings() {
  QByteArray out = "[Other program]\r\n";
  for (int i = 0; i < 120; ++i) out += "Key" + QByteArray::number(i) + "=a value someone else keeps\r\n";
  return out + "\r\n";
}

const TSaver Savers[] = {
    {"highscores", "Scores.dat", FillScores, SaveHighscores, nullptr},
    {"settings", "ZuggleDart.ini", FillSettings, SaveSettings, "foreign"},
};

class SaveFaults : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Form.ShowMessage = [this](const QString& text) { Messages << text; };
  }
  void TearDown() override { SetAtomicFaultHook({}); }

  // Every file in the folder: a failed save must leave no temporary file behind.
  static QStringList FilesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
  }
  QStringList Files() const { return FilesIn(Dir); }
  QString Prefix(const QString& path) const {
    return QStringLiteral("Cannot create file \"%1\". ").arg(QDir::toNativeSeparators(path));
  }

  QTemporaryDir Dir;
  TForm1 Form;
  QStringList Messages;
};

TEST_F(SaveFaults, EveryStepFailsWithTheOldFileWholeAndTheGameGoesOn) {
  for (const TSaver& saver : Savers) {
    for (const bool hadFile : {true, false}) {
      SCOPED_TRACE(std::string(saver.Name) + (hadFile ? ", over an old file" : ", no file before"));
      QTemporaryDir folder;  // a folder of its own: nothing but this file in it
      const QString path = folder.filePath(QString::fromLatin1(saver.FileName));

      // The old file: the game's own earlier save, over others' content.
      if (hadFile) {
        if (saver.Foreign) PutFile(path, ForeignSettings());
        saver.Fill(Form, 0);
        ASSERT_TRUE(saver.Save(Form, path));
      }
      const QByteArray old = FileBytes(path);

      // The new file, saved once without faults in a folder of its own, with
      // every step the writer takes on the way.
      QTemporaryDir scratch;
      const QString scratchPath = scratch.filePath(QString::fromLatin1(saver.FileName));
      if (hadFile) PutFile(scratchPath, old);
      saver.Fill(Form, 1);
      std::vector<TStepSeen> steps;
      {
        TScopedFaultHook hook([&](TAtomicStep s, int i) {
          steps.push_back({s, i});
          return 0;
        });
        ASSERT_TRUE(saver.Save(Form, scratchPath));
      }
      const QByteArray expected = FileBytes(scratchPath);
      ASSERT_NE(expected, old);
      ASSERT_GE(steps.size(), 5u);
      // open, the writes in order, flush, close, rename.
      EXPECT_EQ(steps.front(), (TStepSeen{TAtomicStep::Open, 0}));
      const auto writes = std::count_if(steps.begin(), steps.end(), [](auto& s) { return s.Step == TAtomicStep::Write; });
      EXPECT_GE(writes, hadFile || !saver.Foreign ? 2 : 1) << "the fixture is meant to take several writes";
      for (int i = 0; i < writes; ++i) EXPECT_EQ(steps[1 + i], (TStepSeen{TAtomicStep::Write, i}));
      EXPECT_EQ(std::vector<TStepSeen>(steps.end() - 3, steps.end()),
                (std::vector<TStepSeen>{{TAtomicStep::Flush, 0}, {TAtomicStep::Close, 0}, {TAtomicStep::Rename, 0}}));

      for (const TStepSeen& fault : steps) {
        SCOPED_TRACE(std::string("fails at ") + StepName(fault.Step) + " " + std::to_string(fault.Index));
        Messages.clear();
        const int error = ErrorFor(fault.Step);
        bool saved = true;
        {
          TScopedFaultHook hook([&](TAtomicStep s, int i) { return TStepSeen{s, i} == fault ? error : 0; });
          saved = saver.Save(Form, path);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(QFileInfo::exists(path), hadFile);
        EXPECT_TRUE(FileBytes(path) == old) << "the file on disk is a mix or cut off";
        EXPECT_EQ(FilesIn(folder), hadFile ? QStringList{QString::fromLatin1(saver.FileName)} : QStringList{})
            << "no temporary file is left behind";
        ASSERT_EQ(Messages.size(), 1);
        EXPECT_EQ(Messages[0], Prefix(path) + QString::fromLocal8Bit(std::strerror(error)));
      }

      // The game goes on: the next save works and writes the new file whole.
      Messages.clear();
      EXPECT_TRUE(saver.Save(Form, path));
      EXPECT_TRUE(Messages.isEmpty());
      EXPECT_TRUE(FileBytes(path) == expected);
      EXPECT_EQ(FilesIn(folder), QStringList{QString::fromLatin1(saver.FileName)});
    }
  }
}

// A save after failed ones reads back as what the window held: the list and
// the settings survive a restart.
TEST_F(SaveFaults, AfterAFailedSaveTheNextStartReadsTheOldContent) {
  const QString scores = Dir.filePath(QStringLiteral("Scores.dat"));
  const QString settings = Dir.filePath(QStringLiteral("ZuggleDart.ini"));
  FillScores(Form, 0);
  FillSettings(Form, 0);
  ASSERT_TRUE(SaveHighscores(Form, scores));
  ASSERT_TRUE(SaveSettings(Form, settings));
  FillScores(Form, 1);
  FillSettings(Form, 1);
  {
    TScopedFaultHook hook([](TAtomicStep s, int i) { return s == TAtomicStep::Write && i == 1 ? ENOSPC : 0; });
    EXPECT_FALSE(SaveHighscores(Form, scores));
  }
  {
    TScopedFaultHook hook([](TAtomicStep s, int) { return s == TAtomicStep::Rename ? EIO : 0; });
    EXPECT_FALSE(SaveSettings(Form, settings));
  }
  EXPECT_EQ(Messages.size(), 2);

  TForm1 next;
  LoadHighscores(next, scores);
  LoadSettings(next, settings);
  TForm1 before;
  FillScores(before, 0);
  FillSettings(before, 0);
  EXPECT_EQ(next.lbNames, before.lbNames);
  EXPECT_EQ(next.lbScores, before.lbScores);
  EXPECT_EQ(next.lbLevel, before.lbLevel);
  EXPECT_EQ(next.FPlayerName, before.FPlayerName);
  EXPECT_EQ(next.FShowInstructions, before.FShowInstructions);
  EXPECT_EQ(next.FNoSound, before.FNoSound);
}

// A real short write: under a file-size limit the system takes only part of
// the highscore file and then refuses. The cut-off file must never replace
// the old one, and the save must not be reported as done.
TEST_F(SaveFaults, AFileSizeLimitNeverPutsACutOffHighscoreFileInPlace) {
  const QString path = Dir.filePath(QStringLiteral("Scores.dat"));
  Form.lbNames = {"Ann"};
  Form.lbScores = {"10"};
  Form.lbLevel = {"Easy"};
  ASSERT_TRUE(SaveHighscores(Form, path));
  const QByteArray old = FileBytes(path);
  FillScores(Form, 1);
  ASSERT_GT(WriteScoresFile({Form.lbNames, Form.lbScores, Form.lbLevel}).size(), 3 * old.size());

  for (const rlim_t limit : {rlim_t(0), rlim_t(old.size()), rlim_t(AtomicWriteChunk + 17)}) {
    SCOPED_TRACE(limit);
    Messages.clear();
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = limit;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = SaveHighscores(Form, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_TRUE(FileBytes(path) == old);
    EXPECT_EQ(Files(), QStringList{QStringLiteral("Scores.dat")});
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages[0], Prefix(path) + QString::fromLocal8Bit(std::strerror(EFBIG)));
  }
}

// What the writer keeps of the file it replaces: a link stays a link to the
// replaced file, and the file's permission bits stay.
TEST(AtomicFile, KeepsTheLinkAndThePermissions) {
  QTemporaryDir dir;
  const QString real = dir.filePath(QStringLiteral("real.ini"));
  const QString link = dir.filePath(QStringLiteral("link.ini"));
  PutFile(real, "old");
  ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
  ASSERT_TRUE(QFile::link(real, link));

  QString reason;
  ASSERT_TRUE(WriteFileAtomically(link, "new bytes", reason)) << reason.toStdString();
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(FileBytes(real), "new bytes");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // No bytes make an empty file, not a failure.
  ASSERT_TRUE(WriteFileAtomically(real, QByteArray(), reason));
  EXPECT_EQ(QFileInfo(real).size(), 0);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

}  // namespace
