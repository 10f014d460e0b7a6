// Where Scores.dat and ZuggleDart.ini live: beside the executable when a file
// can be created there, else in the per-user data folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "shell/DataFiles.h"

namespace {

struct TFolderCase {
  const char* Name;
  // The executable's folder, made by the fixture: "writable", "missing",
  // "read-only" (mode 0555), or a fixed path that no one can write.
  const char* ExeFolder;
  bool BesideExecutable;
};

class DataFolderChoice : public ::testing::TestWithParam<TFolderCase> {};

TEST_P(DataFolderChoice, BesideTheExecutableOnlyWhereAFileCanBeCreated) {
  const TFolderCase& c = GetParam();
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  QString exe = tmp.filePath(QStringLiteral("bin"));
  const QString user = tmp.filePath(QStringLiteral("home/.local/share/ZuggleDart"));
  const QString kind = QString::fromLatin1(c.ExeFolder);
  if (kind == QLatin1String("writable")) {
    QDir().mkpath(exe);
  } else if (kind == QLatin1String("read-only")) {
    // Root writes into any folder whatever its mode: nothing to tell apart.
    if (::geteuid() == 0) GTEST_SKIP() << "needs an ordinary user";
    QDir().mkpath(exe);
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
  } else if (kind != QLatin1String("missing")) {
    exe = kind;
  }
  const QString chosen = ChooseDataFolder(exe, user);
  EXPECT_EQ(chosen, (c.BesideExecutable ? exe : user) + '/');
  EXPECT_TRUE(QDir(chosen).exists()) << "the per-user folder is made when missing";
  if (kind == QLatin1String("writable")) {
    EXPECT_TRUE(QDir(exe).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        << "the test file must not stay behind";
  }
  if (kind == QLatin1String("read-only"))
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);  // so it can be removed
}

INSTANTIATE_TEST_SUITE_P(
    Folders, DataFolderChoice,
    ::testing::Values(TFolderCase{"WritableFolder", "writable", true},
                      TFolderCase{"MissingFolder", "missing", false},
                      TFolderCase{"ReadOnlyFolder", "read-only", false},
                      // Not even root can create a file here.
                      TFolderCase{"ProcFileSystem", "/proc", false},
                      // An installed copy, even when root (who could write there) runs it.
                      TFolderCase{"SystemPrograms", "/usr/bin", false},
                      TFolderCase{"SystemGames", "/usr/games/", false},
                      TFolderCase{"BinLink", "/bin", false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DataFilePath, BothFilesInTheOneFolderWithTheFileNameAppended) {
  QTemporaryDir tmp;
  SetDataFolder(tmp.path());
  EXPECT_EQ(DataFilePath(QStringLiteral("Scores.dat")), tmp.path() + QStringLiteral("/Scores.dat"));
  EXPECT_EQ(DataFilePath(QStringLiteral("ZuggleDart.ini")), tmp.path() + QStringLiteral("/ZuggleDart.ini"));
  SetDataFolder(QString());
}

}  // namespace
