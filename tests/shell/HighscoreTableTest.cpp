// The table's rules without any window: score texts, qualification, insertion,
// the exchange sort, and the player's row.
#include <gtest/gtest.h>

#include <climits>

#include "shell/HighscoreTable.h"

namespace {

TEST(HighscoreTable, ScoreTextsAreStrictDecimalIntegers) {
  const struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},          {"120", true, 120},          {"-5", true, -5},
      {"007", true, 7},        {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN},
      {"2147483648", false, 0}, {"-2147483649", false, 0},  {"99999999999999999999", false, 0},
      {"", false, 0},          {"-", false, 0},             {"+5", false, 0},
      {" 5", false, 0},        {"5 ", false, 0},            {"1,000", false, 0},
      {"1.5", false, 0},       {"$10", false, 0},           {"0x10", false, 0},
      {"--5", false, 0},
  };
  for (const auto& c : cases) {
    int v = 12345;
    EXPECT_EQ(TryParseScore(QString::fromLatin1(c.text), v), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : 12345) << c.text;
  }
  // Digits of other scripts are not decimal digits here.
  int v = 0;
  EXPECT_FALSE(TryParseScore(QString::fromUtf8("١٢"), v));
  EXPECT_EQ(ScoreValue("abc"), INT_MIN);
}

TEST(HighscoreTable, LevelNamesByIndex) {
  const QStringList expected = {"", "Easiest", "Easy", "Medium", "Harder", "Hardest", ""};
  for (int i = -1; i <= 5; ++i) EXPECT_EQ(LevelName(i), expected[i + 1]) << i;
}

struct Row {
  int score;
  const char* name;
};

THighscoreTable Table(std::initializer_list<Row> rows) {
  THighscoreTable t;
  for (const Row& r : rows) {
    t.Scores << QString::number(r.score);
    t.Names << QString::fromUtf8(r.name);
    t.Levels << "Easy";
  }
  return t;
}

// Twenty rows scoring 200, 190, ..., 10, named R1 to R20.
THighscoreTable FullTable() {
  THighscoreTable t;
  for (int i = 1; i <= 20; ++i) {
    t.Scores << QString::number(210 - 10 * i);
    t.Names << QStringLiteral("R%1").arg(i);
    t.Levels << "Medium";
  }
  return t;
}

// "score name" per row, top first.
QStringList Rows(const THighscoreTable& t) {
  QStringList out;
  for (int i = 0; i < t.RowCount(); ++i) out << t.Scores[i] + " " + t.Names[i];
  return out;
}

struct EntryCase {
  const char* name;
  THighscoreTable before;
  int score;
  bool qualifies;
  QStringList after;  // only the top rows that matter, or all
};

TEST(HighscoreTable, QualifyInsertAndSort) {
  QStringList fullPlusOne = Rows(FullTable());
  fullPlusOne.removeLast();            // row 20 (10) is overwritten ...
  fullPlusOne.insert(19, "11 N");      // ... and 11 sorts into the same place
  QStringList fullPlus95 = Rows(FullTable());
  fullPlus95.removeLast();
  fullPlus95.insert(11, "95 N");       // below 100 (R11), above 90 (R12)
  const EntryCase cases[] = {
      {"empty table, score 0 enters at rank 1", {}, 0, true, {"0 N"}},
      {"empty table, a negative score enters too", {}, -3, true, {"-3 N"}},
      {"fewer than 20 rows: any score enters", Table({{50, "A"}, {40, "B"}}), 1, true, {"50 A", "40 B", "1 N"}},
      {"20 rows, equal to row 20 does not enter", FullTable(), 10, false, Rows(FullTable())},
      {"20 rows, below row 20 does not enter", FullTable(), 9, false, Rows(FullTable())},
      {"20 rows, one more replaces row 20", FullTable(), 11, true, fullPlusOne},
      {"20 rows, a middle score sorts into its place", FullTable(), 95, true, fullPlus95},
      {"equal scores: the new row goes below them", Table({{10, "A"}, {8, "B"}, {8, "C"}, {5, "D"}}), 8, true,
       {"10 A", "8 B", "8 C", "8 N", "5 D"}},
      // The exchange sort is not stable: rows of equal score below the new row swap.
      {"the non-stable example", Table({{10, "A"}, {8, "B"}, {8, "C"}, {5, "D"}}), 9, true,
       {"10 A", "9 N", "8 C", "8 B", "5 D"}},
      {"a new top score", Table({{10, "A"}, {8, "B"}, {8, "C"}}), 11, true, {"11 N", "10 A", "8 C", "8 B"}},
  };
  for (const EntryCase& c : cases) {
    THighscoreTable t = c.before;
    ASSERT_EQ(Qualifies(t, c.score), c.qualifies) << c.name;
    if (c.qualifies) {
      InsertScore(t, c.score, "N", "Hardest");
      SortScores(t);
    }
    EXPECT_EQ(Rows(t), c.after) << c.name;
    // Name, score and level move together.
    const int at = static_cast<int>(Rows(t).indexOf(QStringLiteral("%1 N").arg(c.score)));
    if (c.qualifies) {
      ASSERT_GE(at, 0) << c.name;
      EXPECT_EQ(t.Levels[at], "Hardest") << c.name;
    }
    EXPECT_EQ(t.Levels.count("Hardest"), c.qualifies ? 1 : 0) << c.name;
  }
}

// A file may hold more rows than the game writes: the last row decides, row 20
// is the one overwritten, and then every row is sorted.
TEST(HighscoreTable, MoreThanTwentyRowsFromAFile) {
  THighscoreTable t = FullTable();
  t.Scores << "5" << "4";
  t.Names << "R21" << "R22";
  t.Levels << "Easy" << "Easy";
  EXPECT_FALSE(Qualifies(t, 4));
  ASSERT_TRUE(Qualifies(t, 6));
  InsertScore(t, 6, "N", "Easy");
  SortScores(t);
  EXPECT_EQ(t.RowCount(), 22);
  EXPECT_EQ(Rows(t).mid(18), QStringList({"20 R19", "6 N", "5 R21", "4 R22"}));
}

TEST(HighscoreTable, PlayersRowIsTheFirstOfThatScoreAndExactName) {
  const THighscoreTable t =
      Table({{30, "Mia"}, {20, "mia"}, {20, "Mia "}, {20, "Mia"}, {20, "Mia"}, {10, "Ann"}});
  const struct {
    const char* name;
    int score;
    const char* player;
    int row;
  } cases[] = {
      {"two equal rows: the upper", 20, "Mia", 3},
      {"letter case counts", 20, "mia", 1},
      {"a trailing blank counts", 20, "Mia ", 2},
      {"score must match too", 10, "Mia", -1},
      {"nobody of that name", 30, "Leo", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindPlayerRow(t, c.score, QString::fromUtf8(c.player)), c.row) << c.name;
}

}  // namespace
