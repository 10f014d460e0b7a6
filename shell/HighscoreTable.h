#pragma once
// The rules of the highscore table, without any window: which game enters,
// where it goes, how the rows are ordered, and which row is the player's.
//
// The table is three parallel lists of text rows; row i of each belongs to the
// same entry and its rank is i + 1. Scores are decimal integer text. Every
// function here expects the three lists to have equal row counts (the file
// reader refuses a file where they differ).
#include <QString>
#include <QStringList>

// The table keeps the 20 best games; a loaded file may hold more rows.
inline constexpr int HighscoreRows = 20;

struct THighscoreTable {
  QStringList Names;   // player names, exactly as typed
  QStringList Scores;  // total scores as decimal integer text
  QStringList Levels;  // level names, "Easiest" .. "Hardest"
  bool operator==(const THighscoreTable&) const = default;
  // Rows of the score list (the three lists have equal counts in a sound table).
  int RowCount() const { return static_cast<int>(Scores.size()); }
};

// "Easiest", "Easy", "Medium", "Harder", "Hardest" for the level group's index
// 0 to 4; any other index (none chosen: -1) gives the empty text.
QString LevelName(int ItemIndex);

// Parses a score row: an optional minus sign and at least one decimal digit,
// nothing else (no blanks, no plus sign, no separators), within the signed
// 32-bit range. Returns false (Value untouched) for anything else.
bool TryParseScore(const QString& Text, int& Value);

// The integer value of a score row for comparisons. A row that is not an
// integer (never produced by the game, and refused when a file is read) counts
// as the lowest possible score, so it sorts last and is the first replaced.
int ScoreValue(const QString& Text);

// False when the table has 20 or more rows and its last row's score is greater
// than or equal to GameScore; true otherwise (with fewer than 20 rows every
// score enters, 0 and negative ones included).
bool Qualifies(const THighscoreTable& Table, int GameScore);

// With 20 or more rows, overwrites row 20 (index 19) of each list; otherwise
// appends. The score is written in decimal. Call only for a qualifying game.
void InsertScore(THighscoreTable& Table, int GameScore, const QString& Name, const QString& Level);

// Orders the rows by descending score with the table's exchange sort: for each
// row i from the top, every row j from i down that scores higher than row i
// changes places with it (all three lists together). This is not stable: rows of
// equal score below a new row may change their order, and that order is the
// required one (10, 8 B, 8 C, 5 with a new 9 gives 10, 9, 8 C, 8 B, 5).
void SortScores(THighscoreTable& Table);

// The first row from the top whose score equals GameScore and whose name equals
// Name exactly (letter case and blanks count); -1 when there is none.
int FindPlayerRow(const THighscoreTable& Table, int GameScore, const QString& Name);
