// Feeds arbitrary bytes to the highscore file reader: it must either return a
// sound table or throw EScoresFileError, never crash, hang or read outside the
// bytes. A table it returns must survive the writer unchanged.
#include <cstddef>
#include <cstdint>

#include "shell/HighscoreFile.h"

namespace {
bool ValidUtf16(const QStringList& rows) {
  for (const QString& s : rows)
    if (!s.isValidUtf16()) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  THighscoreTable table;
  try {
    table = ReadScoresFile(bytes);
  } catch (const EScoresFileError& e) {
    if (e.Offset() < -1 || e.Offset() > static_cast<qint64>(size)) __builtin_trap();
    return 0;
  }
  if (table.Names.size() != table.Scores.size() || table.Levels.size() != table.Scores.size()) __builtin_trap();
  for (const QString& s : table.Scores) {
    int v = 0;
    if (!TryParseScore(s, v)) __builtin_trap();
  }
  // Unpaired UTF-16 halves (possible only in wide texts) cannot be kept in UTF-8.
  if (ValidUtf16(table.Names) && ValidUtf16(table.Levels)) {
    if (ReadScoresFile(WriteScoresFile(table)) != table) __builtin_trap();
  }
  return 0;
}
