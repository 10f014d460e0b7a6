#include "shell/HighscoreTable.h"

#include <limits>
#include <utility>

QString LevelName(int ItemIndex) {
  static const char* const Names[] = {"Easiest", "Easy", "Medium", "Harder", "Hardest"};
  if (ItemIndex < 0 || ItemIndex >= 5) return QString();
  return QString::fromLatin1(Names[ItemIndex]);
}

bool TryParseScore(const QString& Text, int& Value) {
  const qsizetype n = Text.size();
  qsizetype i = 0;
  const bool negative = n > 0 && Text[0] == QLatin1Char('-');
  if (negative) ++i;
  if (i == n) return false;
  // Accumulate as a negative number: its range reaches one further than the positive one.
  long long v = 0;
  for (; i < n; ++i) {
    const char16_t c = Text[i].unicode();
    if (c < u'0' || c > u'9') return false;
    v = v * 10 - (c - u'0');
    if (v < std::numeric_limits<int>::min()) return false;
  }
  if (!negative) {
    if (-v > std::numeric_limits<int>::max()) return false;
    v = -v;
  }
  Value = static_cast<int>(v);
  return true;
}

int ScoreValue(const QString& Text) {
  int v = std::numeric_limits<int>::min();
  TryParseScore(Text, v);
  return v;
}

bool Qualifies(const THighscoreTable& Table, int GameScore) {
  const int n = Table.RowCount();
  if (n < HighscoreRows) return true;
  return ScoreValue(Table.Scores[n - 1]) < GameScore;
}

void InsertScore(THighscoreTable& Table, int GameScore, const QString& Name, const QString& Level) {
  const QString score = QString::number(GameScore);
  if (Table.RowCount() >= HighscoreRows) {
    const int last = HighscoreRows - 1;
    Table.Scores[last] = score;
    Table.Names[last] = Name;
    Table.Levels[last] = Level;
  } else {
    Table.Scores.append(score);
    Table.Names.append(Name);
    Table.Levels.append(Level);
  }
}

void SortScores(THighscoreTable& Table) {
  const int n = Table.RowCount();
  for (int i = 0; i < n; ++i) {
    for (int j = i; j < n; ++j) {
      // The texts are parsed on every comparison: at most 20 rows, no need to cache.
      if (ScoreValue(Table.Scores[j]) > ScoreValue(Table.Scores[i])) {
        Table.Scores.swapItemsAt(i, j);
        Table.Names.swapItemsAt(i, j);
        Table.Levels.swapItemsAt(i, j);
      }
    }
  }
}

int FindPlayerRow(const THighscoreTable& Table, int GameScore, const QString& Name) {
  const int n = std::min<int>(Table.RowCount(), static_cast<int>(Table.Names.size()));
  for (int i = 0; i < n; ++i) {
    int v = 0;
    if (TryParseScore(Table.Scores[i], v) && v == GameScore && Table.Names[i] == Name) return i;
  }
  return -1;
}
