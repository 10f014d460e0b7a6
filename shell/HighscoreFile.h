#pragma once
// The highscore file Scores.dat: three component records, one after the other
// with nothing between them, for the lists lbNames, lbScores and lbLevel, in that
// order. Reader and writer work on bytes or a stream, never on a path; the one
// error type says what is wrong and where. No windows here.
//
// A record: "TPF0", the class name "TListBox" and the component name as short
// strings (a length byte, then the bytes), then properties (a short-string name
// and one value each) up to a 0 byte, then a 0 byte that closes the (empty)
// child list. All integers are little-endian. A value is a tag byte and its data:
//   0 end of a list   1 list (values up to and including a 0)
//   2/3/4 signed integer of 1/2/4 bytes      6 text: length byte, bytes
//   8 false   9 true  12 text: 4-byte length, bytes
//   18 text: 4-byte count of 16-bit units, UTF-16LE     20 text: 4-byte length, UTF-8
// Only "Items.Strings" (a list of texts, the rows) is taken from a record; every
// other property is read and dropped. Records are assigned by their position,
// not by their component name.
#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>

#include "shell/HighscoreTable.h"

// What is wrong with a highscore file and where. Offset is the byte offset of
// the fault in the file, or -1 when the fault is not at one byte (a row that is
// not an integer, unequal row counts, a stream that cannot be read).
class EScoresFileError : public std::runtime_error {
public:
  EScoresFileError(qint64 Offset, const QString& What);
  qint64 Offset() const { return FOffset; }

private:
  qint64 FOffset;
};

// The three lists in the order they are stored.
enum TScoresList : std::uint8_t { slNames, slScores, slLevel };

// A larger file is refused without reading it: twenty rows take about 2 KB.
inline constexpr qint64 MaxScoresFileSize = 16 * 1024 * 1024;
// Lists nested deeper than this inside a value are refused (the game never nests).
inline constexpr int MaxValueNesting = 32;

// Reads a whole highscore file. Accepts every tag above and any number of rows.
// Texts in tags 6 and 12 are Windows-1252 (bytes 0-127 are ASCII), tag 18 is
// UTF-16LE and tag 20 UTF-8 (an invalid sequence becomes U+FFFD). Bytes after
// the third record are ignored. Throws EScoresFileError for anything else: a
// wrong signature, data cut short, a length that runs past the end, an unknown
// tag, rows that are not texts, lists of unequal row counts, a score row that is
// not an integer (see TryParseScore).
THighscoreTable ReadScoresFile(QByteArrayView Data);
// The same, reading the stream to its end first (at most MaxScoresFileSize
// bytes); a read error of the stream throws EScoresFileError with Offset -1.
THighscoreTable ReadScoresFile(QIODevice& Stream);

// The file for a table, byte for byte: the three records in order. Each record
// carries the placement properties of its hidden list ("Left", "Top", "Width",
// "Height", "HelpContext", "ItemHeight"), then "Items.Strings" (left out when
// the list has no rows), "TabOrder" and "Visible" (false). Rows are written as
// they are; the caller keeps the lists of equal length.
QByteArray WriteScoresFile(const THighscoreTable& Table);
// One record of the file, for the given list with the given rows.
QByteArray WriteListRecord(TScoresList List, const QStringList& Rows);

// Value encoders of the writer. An integer takes the smallest of tags 2, 3, 4
// that holds it. A text with any character outside 7-bit ASCII takes tag 20 and
// its UTF-8 bytes; otherwise tag 6 when it is at most 255 bytes long, else tag 12.
void AppendIntegerValue(QByteArray& Out, std::int32_t Value);
void AppendTextValue(QByteArray& Out, const QString& Text);
