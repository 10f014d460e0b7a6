// The highscore table on the game window: its file on disk (never lost), the
// entry of a finished game, and the highscore window on the virtual clock.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "ShellDriver.h"
#include "game/GameHarness.h"
#include "shell/HighscoreFile.h"
#include "shell/HighscoreUnit.h"
#include "support/StderrCapture.h"

namespace {

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

THighscoreTable TableOf(const TForm1& f) { return {f.lbNames, f.lbScores, f.lbLevel}; }

void SetTable(TForm1& f, const THighscoreTable& t) {
  f.lbNames = t.Names;
  f.lbScores = t.Scores;
  f.lbLevel = t.Levels;
}

const THighscoreTable SomeRows{{"Ann", QString::fromUtf8("Łukasz")}, {"120", "95"}, {"Easy", "Hardest"}};

// ---- the file on disk ----

class HighscoreStore : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  TForm1 Form;
  QString Path() const { return Dir.filePath("Scores.dat"); }
};

TEST_F(HighscoreStore, SaveWritesTheFormatAndLoadReadsItBack) {
  SetTable(Form, SomeRows);
  ASSERT_TRUE(SaveHighscores(Form, Path()));
  EXPECT_EQ(FileBytes(Path()), WriteScoresFile(SomeRows));
  TForm1 next;
  LoadHighscores(next, Path());
  EXPECT_EQ(TableOf(next), SomeRows);
  // Nothing else is left beside it (no temporary file).
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList({"Scores.dat"}));
}

TEST_F(HighscoreStore, AClearedListIsSavedAsThreeRecordsWithoutRows) {
  SetTable(Form, SomeRows);
  ClearHighscores(Form);
  EXPECT_EQ(TableOf(Form), THighscoreTable{});
  ASSERT_TRUE(SaveHighscores(Form, Path()));
  const QByteArray bytes = FileBytes(Path());
  EXPECT_EQ(bytes.count("TPF0"), 3);
  EXPECT_FALSE(bytes.contains("Items.Strings"));
}

TEST_F(HighscoreStore, NoFileLeavesTheListsSilently) {
  SetTable(Form, SomeRows);
  TStderrCapture err;
  LoadHighscores(Form, Path());
  EXPECT_EQ(err.Text(), QString());
  EXPECT_EQ(TableOf(Form), SomeRows);
  EXPECT_FALSE(QFileInfo::exists(Path()));
}

// A damaged file: the game starts with an empty list, one line on stderr says
// what was wrong, the file is kept aside with every byte, and the next save
// writes a sound file without touching the kept one.
TEST_F(HighscoreStore, DamagedFileStartsEmptyAndIsKeptAside) {
  const QByteArray good = WriteScoresFile(SomeRows);
  QByteArray unequal = WriteListRecord(slNames, {"A", "B"}) + WriteListRecord(slScores, {"1"}) +
                       WriteListRecord(slLevel, {"Easy"});
  const QByteArray letters = WriteListRecord(slNames, {"A"}) + WriteListRecord(slScores, {"12a"}) +
                             WriteListRecord(slLevel, {"Easy"});
  QByteArray pastEnd = good;
  pastEnd[pastEnd.lastIndexOf("Items.Strings") + 15] = char(0x7F);  // the first level's length byte
  const struct {
    const char* name;
    QByteArray bytes;
    const char* says;
  } cases[] = {
      {"wrong signature", "TPF1" + good.mid(4), "TPF0"},
      {"cut short", good.left(good.size() - 3), "needs"},
      {"a length past the end", pastEnd, "needs"},
      {"unequal row counts", unequal, "unequal row counts"},
      {"a score that is not an integer", letters, "not an integer"},
      {"empty file", QByteArray(), "signature"},
  };
  for (const auto& c : cases) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Scores.dat");
    WriteBytes(path, c.bytes);
    TForm1& form = Form;
    SetTable(form, SomeRows);
    TStderrCapture err;
    LoadHighscores(form, path);
    const QString said = err.Text();
    EXPECT_EQ(TableOf(form), THighscoreTable{}) << c.name;
    EXPECT_EQ(said.count('\n'), 1) << c.name << ": " << said.toStdString();
    EXPECT_TRUE(said.contains(c.says)) << c.name << ": " << said.toStdString();
    EXPECT_TRUE(said.contains(QDir::toNativeSeparators(path))) << c.name;
    EXPECT_TRUE(said.contains("Scores.dat.damaged")) << c.name;
    EXPECT_FALSE(QFileInfo::exists(path)) << c.name;
    EXPECT_EQ(FileBytes(path + ".damaged"), c.bytes) << c.name;

    form.lbNames = {"Zoe"};
    form.lbScores = {"7"};
    form.lbLevel = {"Easy"};
    ASSERT_TRUE(SaveHighscores(form, path)) << c.name;
    EXPECT_EQ(ReadScoresFile(FileBytes(path)), TableOf(form)) << c.name;
    EXPECT_EQ(FileBytes(path + ".damaged"), c.bytes) << c.name;
  }
}

TEST_F(HighscoreStore, KeptCopiesAreNumberedAndNeverOverwritten) {
  WriteBytes(Path() + ".damaged", "first");
  WriteBytes(Path() + ".damaged.1", "second");
  WriteBytes(Path(), "third");
  TStderrCapture err;
  LoadHighscores(Form, Path());
  EXPECT_TRUE(err.Text().contains("Scores.dat.damaged.2"));
  EXPECT_EQ(FileBytes(Path() + ".damaged"), "first");
  EXPECT_EQ(FileBytes(Path() + ".damaged.1"), "second");
  EXPECT_EQ(FileBytes(Path() + ".damaged.2"), "third");
}

TEST_F(HighscoreStore, AFileThatCannotBeReadIsKeptAsideToo) {
  // A folder in the file's place cannot be read as a file, whoever runs the test.
  ASSERT_TRUE(QDir(Dir.path()).mkdir("Scores.dat"));
  WriteBytes(Path() + "/inside", "keep me");
  SetTable(Form, SomeRows);
  TStderrCapture err;
  LoadHighscores(Form, Path());
  EXPECT_TRUE(err.Text().contains("cannot be"));
  EXPECT_EQ(TableOf(Form), THighscoreTable{});
  EXPECT_EQ(FileBytes(Path() + ".damaged/inside"), "keep me");
  SetTable(Form, SomeRows);
  ASSERT_TRUE(SaveHighscores(Form, Path()));
  EXPECT_EQ(ReadScoresFile(FileBytes(Path())), SomeRows);
}

// A file damaged while the game ran (or one that could not be moved at start)
// is kept aside before the save replaces it.
TEST_F(HighscoreStore, SaveKeepsAsideAFileDamagedSinceTheStart) {
  SetTable(Form, SomeRows);
  ASSERT_TRUE(SaveHighscores(Form, Path()));
  LoadHighscores(Form, Path());
  WriteBytes(Path(), "garbage");
  ASSERT_TRUE(SaveHighscores(Form, Path()));
  EXPECT_EQ(FileBytes(Path() + ".damaged"), "garbage");
  EXPECT_EQ(ReadScoresFile(FileBytes(Path())), SomeRows);
  // A sound file is simply replaced.
  Form.lbNames[0] = "Eve";
  ASSERT_TRUE(SaveHighscores(Form, Path()));
  EXPECT_FALSE(QFileInfo::exists(Path() + ".damaged.1"));
  EXPECT_EQ(ReadScoresFile(FileBytes(Path())).Names[0], "Eve");
}

TEST_F(HighscoreStore, ASaveThatFailsSaysSoAndReturnsFalse) {
  QStringList shown;
  Form.ShowMessage = [&](const QString& text) { shown << text; };
  SetTable(Form, SomeRows);
  const QString path = Dir.filePath("missing/Scores.dat");
  EXPECT_FALSE(SaveHighscores(Form, path));
  ASSERT_EQ(shown.size(), 1);
  const QString prefix = QStringLiteral("Cannot create file \"%1\". ").arg(QDir::toNativeSeparators(path));
  EXPECT_TRUE(shown[0].startsWith(prefix)) << shown[0].toStdString();
  EXPECT_GT(shown[0].size(), prefix.size()) << "the system's reason follows";
  EXPECT_FALSE(QFileInfo::exists(path));
}

// ---- the entry of a finished game ----

// What the highscore window showed when it came up.
struct TWindowSeen {
  bool Shown = false;
  std::uint32_t At = 0;
  QStringList Ranks, Names, Scores, Levels;
  int Selected[4] = {-2, -2, -2, -2};  // ranks, names, scores, levels
};

int SelectedOf(const QListWidget* l) {
  const auto items = l->selectedItems();
  return items.isEmpty() ? -1 : l->row(items.first());
}

QStringList TextsOf(const QListWidget* l) {
  QStringList out;
  for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
  return out;
}

// A script step that notes the highscore window and closes it with Enter once
// it has been up for 250 ms.
std::function<bool()> CloseHighscoreWindow(TWindowSeen& seen) {
  return [&seen] {
    TForm4* w = VisibleWindow<TForm4>();
    if (!w) return false;
    if (!seen.Shown) {
      seen.Shown = true;
      seen.At = timeGetTime();
      seen.Ranks = TextsOf(w->ListBox3);
      seen.Names = TextsOf(w->ListBox1);
      seen.Scores = TextsOf(w->ListBox2);
      seen.Levels = TextsOf(w->ListBox4);
      const QListWidget* cols[4] = {w->ListBox3, w->ListBox1, w->ListBox2, w->ListBox4};
      for (int i = 0; i < 4; ++i) seen.Selected[i] = SelectedOf(cols[i]);
    }
    if (timeGetTime() - seen.At < 250) return false;
    PressKey(w, Qt::Key_Return);
    return true;
  };
}

struct GameOverCase {
  const char* name;
  THighscoreTable before;
  int score;
  const char* player;
  bool noSound;
  bool enters;
  QStringList after;  // "score name level" per row, top first
  int selected;
};

THighscoreTable Rows(std::initializer_list<std::pair<int, const char*>> rows) {
  THighscoreTable t;
  for (const auto& [score, name] : rows) {
    t.Scores << QString::number(score);
    t.Names << QString::fromUtf8(name);
    t.Levels << "Easy";
  }
  return t;
}

THighscoreTable TwentyRows() {
  THighscoreTable t;
  for (int i = 1; i <= 20; ++i) {
    t.Scores << QString::number(210 - 10 * i);
    t.Names << (i == 20 ? QStringLiteral("Mia") : QStringLiteral("R%1").arg(i));
    t.Levels << "Easy";
  }
  return t;
}

QStringList Described(const THighscoreTable& t) {
  QStringList out;
  for (int i = 0; i < t.RowCount(); ++i) out << t.Scores[i] + " " + t.Names[i] + " " + t.Levels[i];
  return out;
}

TEST(GameOver, EntersSortsAnnouncesAndShowsTheWindow) {
  QStringList twentyPlusOne = Described(TwentyRows());
  twentyPlusOne[19] = "11 Mia Medium";
  const GameOverCase cases[] = {
      {"empty table, score 0", {}, 0, "Mia", false, true, {"0 Mia Medium"}, 0},
      {"equal to row 20 does not enter; an earlier equal row of hers is selected", TwentyRows(), 10, "Mia", false,
       false, Described(TwentyRows()), 19},
      {"equal to row 20, someone else: nothing selected", TwentyRows(), 10, "Leo", false, false,
       Described(TwentyRows()), -1},
      {"one more than row 20 replaces it", TwentyRows(), 11, "Mia", false, true, twentyPlusOne, 19},
      {"equal scores: the new row goes below", Rows({{10, "A"}, {8, "B"}, {8, "C"}, {5, "D"}}), 8, "Mia", false, true,
       {"10 A Easy", "8 B Easy", "8 C Easy", "8 Mia Medium", "5 D Easy"}, 3},
      {"the non-stable example", Rows({{10, "A"}, {8, "B"}, {8, "C"}, {5, "D"}}), 9, "Mia", false, true,
       {"10 A Easy", "9 Mia Medium", "8 C Easy", "8 B Easy", "5 D Easy"}, 1},
      {"two equal rows of the player: the upper", Rows({{30, "A"}, {20, "Mia"}, {20, "B"}}), 20, "Mia", false, true,
       {"30 A Easy", "20 Mia Easy", "20 B Easy", "20 Mia Medium"}, 1},
      {"sound off: the banner still, no sound", {}, 40, "Mia", true, true, {"40 Mia Medium"}, 0},
  };
  TGameHarness h(1, 960, 720);
  h.Form->rgrpLevel->SetItemIndex(2);
  for (const GameOverCase& c : cases) {
    SetTable(*h.Form, c.before);
    h.Form->FGameScore = c.score;
    h.Form->FPlayerName = QString::fromUtf8(c.player);
    h.Form->FNoSound = c.noSound;
    h.Banners.clear();
    h.Sounds.Clear();
    TWindowSeen seen;
    h.Script.push_back(CloseHighscoreWindow(seen));
    const std::uint32_t start = timeGetTime();
    GameOver(*h.Form);

    EXPECT_EQ(Described(TableOf(*h.Form)), c.after) << c.name;
    ASSERT_TRUE(seen.Shown) << c.name;
    EXPECT_EQ(VisibleWindow<TForm4>(), nullptr) << c.name;
    EXPECT_EQ(seen.Names, TableOf(*h.Form).Names) << c.name;
    EXPECT_EQ(seen.Scores, TableOf(*h.Form).Scores) << c.name;
    EXPECT_EQ(seen.Levels, TableOf(*h.Form).Levels) << c.name;
    EXPECT_EQ(seen.Ranks.size(), 20) << c.name;
    for (int col = 0; col < 4; ++col) EXPECT_EQ(seen.Selected[col], c.selected) << c.name << " column " << col;

    const bool banner = h.SawBanner("You made the");
    EXPECT_EQ(banner, c.enters) << c.name;
    int chimes = 0;
    for (const auto& p : h.Sounds.Played()) chimes += p.Name == "CHIMES";
    EXPECT_EQ(chimes, c.enters && !c.noSound ? 1 : 0) << c.name;
    if (banner) {
      EXPECT_EQ(h.Banners.back().Line2, "highscore list!") << c.name;
      // The announcement stays 2000 ms before the window comes up.
      EXPECT_GE(seen.At - h.Banners.back().At, 2000u) << c.name;
    } else {
      EXPECT_LT(seen.At - start, 100u) << c.name;
    }
  }
}

// ---- the highscore window ----

class HighscoreWindow : public ::testing::Test {
protected:
  HighscoreWindow() {
    SetClock(&Clock);
    SetMessageHook([this] {
      for (size_t i = 0; i < Script.size();)
        if (Script[i]())
          Script.erase(Script.begin() + static_cast<long>(i));
        else
          ++i;
    });
  }
  ~HighscoreWindow() override {
    SetMessageHook({});
    SetClock(nullptr);
  }
  TVirtualClock Clock;
  std::vector<std::function<bool()>> Script;
};

TEST_F(HighscoreWindow, LayoutRanksAndTwentyRowsThatFit) {
  TForm4 w;
  THighscoreTable t;
  for (int i = 0; i < 20; ++i) {
    t.Names << QStringLiteral("Player %1").arg(i);
    t.Scores << QString::number(1000 - i);
    t.Levels << "Hardest";
  }
  w.FillColumns(t);
  w.SelectRow(19);
  EXPECT_EQ(w.size(), QSize(503, 560));
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(w.Label1->text(), " Highscores ");
  EXPECT_EQ(w.Label1->geometry(), QRect(192, 8, 124, 29));
  EXPECT_EQ(w.Panel1->geometry(), QRect(4, 40, 493, 513));
  const struct {
    QListWidget* list;
    int left, width;
    QColor text;
  } columns[] = {{w.ListBox3, 8, 41, QColor(128, 128, 128)},
                 {w.ListBox1, 64, 153, QColor(0, 0, 128)},
                 {w.ListBox2, 248, 121, QColor(0, 0, 128)},
                 {w.ListBox4, 384, 97, QColor(0, 0, 128)}};
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  for (const auto& c : columns) {
    EXPECT_EQ(c.list->geometry(), QRect(c.left, 8, c.width, 505));
    EXPECT_EQ(c.list->palette().color(QPalette::Text), c.text);
    EXPECT_EQ(c.list->count(), 20);
    EXPECT_EQ(c.list->visualItemRect(c.list->item(0)).height(), 25);
    // The twentieth row lies wholly inside the column.
    EXPECT_LE(c.list->visualItemRect(c.list->item(19)).bottom(), 504);
    EXPECT_EQ(SelectedOf(c.list), 19);
  }
  EXPECT_EQ(TextsOf(w.ListBox3).first(), "1.");
  EXPECT_EQ(TextsOf(w.ListBox3).last(), "20.");
  // The navy frame: 4 pixels inside every edge, white within.
  const QImage img = w.grab().toImage();
  for (QPoint p : {QPoint(0, 0), QPoint(3, 300), QPoint(499, 300), QPoint(250, 556), QPoint(250, 3)})
    EXPECT_EQ(img.pixelColor(p), QColor(0, 0, 128)) << p.x() << "," << p.y();
  for (QPoint p : {QPoint(4, 300), QPoint(498, 300), QPoint(250, 555), QPoint(6, 45)})
    EXPECT_EQ(img.pixelColor(p), QColor(Qt::white)) << p.x() << "," << p.y();
}

TEST_F(HighscoreWindow, EnterOrAClickCloseItOnlyOnceReady) {
  enum Kind { Key, Click };
  const struct {
    const char* name;
    Kind kind;
    Qt::Key key;
    QPoint at;
    Qt::MouseButton button;
    bool closes;
  } cases[] = {
      {"Enter", Key, Qt::Key_Return, {}, Qt::NoButton, true},
      {"keypad Enter", Key, Qt::Key_Enter, {}, Qt::NoButton, true},
      {"click on the frame", Click, Qt::Key_unknown, {2, 2}, Qt::LeftButton, true},
      {"click on the title", Click, Qt::Key_unknown, {250, 20}, Qt::LeftButton, true},
      {"click over the columns", Click, Qt::Key_unknown, {140, 300}, Qt::LeftButton, true},
      {"Esc", Key, Qt::Key_Escape, {}, Qt::NoButton, false},
      {"Space", Key, Qt::Key_Space, {}, Qt::NoButton, false},
      {"right click", Click, Qt::Key_unknown, {140, 300}, Qt::RightButton, false},
  };
  for (const auto& c : cases) {
    TForm4 w;
    std::uint32_t shownAt = 0, closedAt = 0;
    bool earlyIgnored = false, sentLate = false;
    Script.push_back([&] {
      if (!w.isVisible()) return false;
      if (!shownAt) shownAt = timeGetTime();
      const std::uint32_t since = timeGetTime() - shownAt;
      auto input = [&] {
        if (c.kind == Key)
          PressKey(&w, c.key);
        else
          ClickAt(&w, c.at, c.button);
      };
      if (since >= 150 && !earlyIgnored && !sentLate) {
        input();
        earlyIgnored = w.ModalResult == mrNone;
      } else if (since >= 250 && !sentLate) {
        input();
        sentLate = true;
        if (w.ModalResult != mrNone) closedAt = timeGetTime();
      } else if (since >= 300 && sentLate) {
        PressKey(&w, Qt::Key_Return);  // ends the cases that do not close
        return true;
      }
      return w.ModalResult != mrNone;
    });
    EXPECT_EQ(w.ShowModal(), mrOk) << c.name;
    EXPECT_TRUE(earlyIgnored) << c.name << ": input at 150 ms closed it";
    EXPECT_TRUE(sentLate) << c.name;
    EXPECT_EQ(closedAt != 0, c.closes) << c.name;
    EXPECT_FALSE(w.isVisible()) << c.name;
    Script.clear();
  }
}

}  // namespace
