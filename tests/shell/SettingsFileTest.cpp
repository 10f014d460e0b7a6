// The settings file on disk: hand-edited files read by the reading rules, the
// rewrite that keeps what others wrote, and saves that fail without harm.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <string_view>
#include <sys/resource.h>

#include "game/MainUnit.h"
#include "shell/IniFile.h"
#include "shell/SettingsU.h"

using namespace std::string_view_literals;

namespace {

QByteArray Bytes(std::string_view s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

class SettingsFile : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Form.ShowMessage = [this](const QString& text) { Messages << text; };
  }

  QString Path() const { return Dir.filePath(QStringLiteral("ZuggleDart.ini")); }
  void WriteFile(const QByteArray& bytes) const {
    QFile f(Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  QByteArray ReadFile() const {
    QFile f(Path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // Every file in the folder: a save must leave no temporary file behind.
  QStringList Files() const { return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden); }
  void SetFields(const QString& name, bool showInstructions, bool noSound) {
    Form.FPlayerName = name;
    Form.FShowInstructions = showInstructions;
    Form.FNoSound = noSound;
  }

  QTemporaryDir Dir;
  TForm1 Form;
  QStringList Messages;
};

struct TReadCase {
  const char* Name;
  std::optional<std::string_view> Bytes;  // nullopt: no file at all
  std::string_view PlayerName;            // UTF-8
  bool ShowInstructions;
  bool NoSound;
};

// Defaults: "", true, false. Each case sets a field away from its default
// where the rule should take effect, so a rule that is not applied shows.
const TReadCase ReadCases[] = {
    {"no file", std::nullopt, "", true, false},
    {"empty file", "", "", true, false},
    {"as the game writes it", "[General]\r\nLastName=Anna\r\nShow Instructions=0\r\nNo Sound=1\r\n\r\n", "Anna",
     false, true},
    {"no sound 1", "[General]\nNo Sound=1\n", "", true, true},
    {"key in small letters, blanks around =", "[General]\nno sound = 1\n", "", true, true},
    {"a word is no integer", "[General]\nNo Sound=yes\nShow Instructions=no\n", "", true, false},
    {"hexadecimal 0x10", "[General]\nNo Sound=0x10\n", "", true, true},
    {"hexadecimal 0X0 is zero", "[General]\nShow Instructions=0X0\n", "", false, false},
    {"hexadecimal $1F", "[General]\nNo Sound=$1F\n", "", true, true},
    {"bare 0x", "[General]\nNo Sound=0x\nShow Instructions=0x\n", "", true, false},
    {"bare $", "[General]\nNo Sound=$\n", "", true, false},
    {"too large for 32 bits", "[General]\nNo Sound=99999999999\nShow Instructions=99999999999\n", "", true, false},
    {"one past the largest integer", "[General]\nNo Sound=2147483648\n", "", true, false},
    {"smallest integer", "[General]\nNo Sound=-2147483648\n", "", true, true},
    {"32-bit hexadecimal pattern", "[General]\nNo Sound=$FFFFFFFF\n", "", true, true},
    {"hexadecimal over 32 bits", "[General]\nNo Sound=0x100000000\n", "", true, false},
    {"signs", "[General]\nNo Sound=+1\nShow Instructions=-0\n", "", false, true},
    {"blank inside a number", "[General]\nNo Sound=1 2\n", "", true, false},
    {"decimal point", "[General]\nNo Sound=1.0\n", "", true, false},
    {"bad hexadecimal digit", "[General]\nNo Sound=0x1G\n", "", true, false},
    {"empty LastName", "[General]\nLastName=\nNo Sound=1\n", "", true, true},
    {"LastName without =", "[General]\nLastName\n", "", true, false},
    {"blanks and tabs around the name", "[General]\nLastName=  \tBen Hur \t \n", "Ben Hur", true, false},
    {"section header in other case, blanks inside", "[ gENERAL ]\nLastName=Cy\n", "Cy", true, false},
    {"keys before any section are ignored", "No Sound=1\nLastName=Ghost\n[General]\n", "", true, false},
    {"first of a repeated key wins", "[General]\nNo Sound=1\nNo Sound=0\nLastName=A\nlastname=B\n", "A", true, true},
    {"first of a repeated section wins", "[General]\nLastName=A\n[General]\nLastName=B\nNo Sound=1\n", "A", true,
     false},
    {"the key of another section", "[Other]\nNo Sound=1\n[General]\nLastName=Di\n", "Di", true, false},
    {"comment lines", "[General]\n;No Sound=1\n  ; LastName=X\nShow Instructions=0\n", "", false, false},
    {"unclosed header starts no section", "[General\nNo Sound=1\n", "", true, false},
    {"header with text after it", "[General] x\nNo Sound=1\n", "", true, false},
    {"CR line ends", "[General]\rLastName=Eve\rNo Sound=1\r", "Eve", true, true},
    {"DEL is no control character", "\t[General]\x01\r\n\x1FNo Sound\t=\t1\x7F\r\n", "", true, false},
    {"control characters at both ends", "\t[General]\x01\r\n\x1FNo Sound\t=\t1\x02\r\n", "", true, true},
    {"split at the first =", "[General]\nLastName==a=b\n", "=a=b", true, false},
    {"UTF-8 name", "[General]\nLastName=Zo\xC3\xAB \xE2\x82\xAC\n", "Zo\xC3\xAB \xE2\x82\xAC", true, false},
    {"UTF-8 byte-order mark", "\xEF\xBB\xBF[General]\r\nNo Sound=1\r\n", "", true, true},
    {"Windows-1252 name", "[General]\nLastName=Zo\xEB \x80\n", "Zo\xC3\xAB \xE2\x82\xAC", true, false},
    {"binary", "\x00\xFF\xFE[General]\x00\n\x00No Sound=1\n"sv, "", true, false},
    {"NUL inside a value is kept", "[General]\nLastName=a\x00" "b\n"sv, "a\x00" "b"sv, true, false},
};

TEST_F(SettingsFile, HandEditedFilesAreReadByTheRules) {
  for (const TReadCase& c : ReadCases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(Path());
    if (c.Bytes) WriteFile(Bytes(*c.Bytes));
    SetFields(QStringLiteral("before"), !c.ShowInstructions, !c.NoSound);
    LoadSettings(Form, Path());
    EXPECT_EQ(Form.FPlayerName, QString::fromUtf8(Bytes(c.PlayerName)));
    EXPECT_EQ(Form.FShowInstructions, c.ShowInstructions);
    EXPECT_EQ(Form.FNoSound, c.NoSound);
  }
  EXPECT_TRUE(Messages.isEmpty());
}

struct TRewriteCase {
  const char* Name;
  std::optional<std::string_view> Before;  // nullopt: no file
  std::string_view After;
};

// Saved with FPlayerName " Bob ", FShowInstructions true, FNoSound false.
const TRewriteCase RewriteCases[] = {
    {"no file: exactly the five lines", std::nullopt,
     "[General]\r\nLastName= Bob \r\nShow Instructions=1\r\nNo Sound=0\r\n\r\n"},
    {"empty file: exactly the five lines", "",
     "[General]\r\nLastName= Bob \r\nShow Instructions=1\r\nNo Sound=0\r\n\r\n"},
    {"keys keep their places, the header its spelling, others their order",
     "; written by hand\r\n[Window]\r\nLeft = 10\r\n\r\n[general]\r\nno sound = 1\r\nVolume=7\r\n"
     "lastname=Old\r\nflag\r\n[Other]\r\n;gone\r\nx=y\r\n",
     "[Window]\r\nLeft=10\r\n\r\n[general]\r\nNo Sound=0\r\nVolume=7\r\nLastName= Bob \r\nflag\r\n"
     "Show Instructions=1\r\n\r\n[Other]\r\nx=y\r\n\r\n"},
    {"section missing: appended at the end", "stray=1\n[Other]\nx=y",
     "[Other]\r\nx=y\r\n\r\n[General]\r\nLastName= Bob \r\nShow Instructions=1\r\nNo Sound=0\r\n\r\n"},
    {"repeated key: the first is set, the later one stays", "[General]\nNo Sound=1\nNo Sound=1\n",
     "[General]\r\nNo Sound=0\r\nNo Sound=1\r\nLastName= Bob \r\nShow Instructions=1\r\n\r\n"},
    {"key without value becomes a key line", "[General]\nShow Instructions\n",
     "[General]\r\nShow Instructions=1\r\nLastName= Bob \r\nNo Sound=0\r\n\r\n"},
    {"Windows-1252 file comes back as UTF-8", "[Caf\xE9]\nn\xE4me=\x80\n",
     "[Caf\xC3\xA9]\r\nn\xC3\xA4me=\xE2\x82\xAC\r\n\r\n[General]\r\nLastName= Bob \r\nShow Instructions=1\r\n"
     "No Sound=0\r\n\r\n"},
};

TEST_F(SettingsFile, SavingRewritesTheFileKeepingWhatOthersWrote) {
  for (const TRewriteCase& c : RewriteCases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(Path());
    if (c.Before) WriteFile(Bytes(*c.Before));
    SetFields(QStringLiteral(" Bob "), true, false);
    ASSERT_TRUE(SaveSettings(Form, Path()));
    EXPECT_EQ(ReadFile(), Bytes(c.After));
    // Saving what was saved changes nothing.
    ASSERT_TRUE(SaveSettings(Form, Path()));
    EXPECT_EQ(ReadFile(), Bytes(c.After));
    EXPECT_EQ(Files(), QStringList{QStringLiteral("ZuggleDart.ini")});
  }
  EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(SettingsFile, SettingsSurviveARestartWithTheNameTrimmed) {
  struct TCase {
    const char* Name;
    bool ShowInstructions, NoSound;
  };
  for (const TCase& c : {TCase{"  Anna Lee ", false, true}, TCase{"", true, false}, TCase{"Zo\xC3\xAB", true, true}}) {
    SCOPED_TRACE(c.Name);
    SetFields(QString::fromUtf8(c.Name), c.ShowInstructions, c.NoSound);
    ASSERT_TRUE(SaveSettings(Form, Path()));
    SetFields(QStringLiteral("other"), !c.ShowInstructions, !c.NoSound);
    LoadSettings(Form, Path());
    EXPECT_EQ(Form.FPlayerName, QString::fromUtf8(c.Name).trimmed());
    EXPECT_EQ(Form.FShowInstructions, c.ShowInstructions);
    EXPECT_EQ(Form.FNoSound, c.NoSound);
  }
}

// A name typed with a line break must not turn into lines of its own (a new
// section or a key that overrides a switch at the next start).
TEST_F(SettingsFile, ALineBreakInTheNameCannotAddLines) {
  SetFields(QStringLiteral("Bob\r\n[General]\nNo Sound=1\rX"), true, false);
  ASSERT_TRUE(SaveSettings(Form, Path()));
  EXPECT_EQ(ReadFile(), QByteArray("[General]\r\nLastName=Bob  [General] No Sound=1 X\r\nShow Instructions=1\r\n"
                                   "No Sound=0\r\n\r\n"));
  LoadSettings(Form, Path());
  EXPECT_FALSE(Form.FNoSound);
}

TEST_F(SettingsFile, LoadingNeverWrites) {
  WriteFile("[General]\nLastName=Kim\n");
  LoadSettings(Form, Path());
  EXPECT_EQ(ReadFile(), QByteArray("[General]\nLastName=Kim\n"));
  QFile::remove(Path());
  LoadSettings(Form, Path());
  EXPECT_FALSE(QFile::exists(Path()));
}

// A disk that fills up during the save: the old file stays whole and the
// player is told. The file size limit makes every write past 16 bytes fail.
TEST_F(SettingsFile, AFailedWriteKeepsTheOldFileAndShowsTheError) {
  const QByteArray old = "[General]\r\nLastName=Old\r\nShow Instructions=0\r\nNo Sound=1\r\n\r\n[Keep]\r\nme=1\r\n\r\n";
  WriteFile(old);
  SetFields(QStringLiteral("New"), true, false);

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 16;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved1 = SaveSettings(Form, Path());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved1);
  EXPECT_EQ(ReadFile(), old);
  EXPECT_EQ(Files(), QStringList{QStringLiteral("ZuggleDart.ini")});
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_TRUE(Messages[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(Path()))) << Messages[0].toStdString();
  EXPECT_GT(Messages[0].size(), QStringLiteral("Cannot create file \"%1\". ").arg(Path()).size());
}

TEST_F(SettingsFile, SavingWhereNoFileCanBeMadeShowsTheError) {
  struct TCase {
    const char* Name;
    QString Target;
  };
  QDir(Dir.path()).mkdir(QStringLiteral("ZuggleDart.ini"));
  for (const TCase& c : {TCase{"folder missing", Dir.filePath(QStringLiteral("no/such/ZuggleDart.ini"))},
                         TCase{"a folder in the file's place", Path()}}) {
    SCOPED_TRACE(c.Name);
    Messages.clear();
    EXPECT_FALSE(SaveSettings(Form, c.Target));
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(c.Target)));
  }
  EXPECT_TRUE(QFileInfo(Path()).isDir());
}

}  // namespace
