#pragma once
// The settings file: text of sections and key lines, held in memory, read by
// fixed rules and written back whole. Needs no window; reads and writes bytes,
// never a path, and never fails: whatever cannot be understood is no content.
//
// Reading rules (they also say what a hand-edited file may contain):
// - The bytes are UTF-8; bytes that are not valid UTF-8 are read as
//   Windows-1252. A UTF-8 byte-order mark at the start is skipped.
// - Lines end at CR LF, CR or LF. Each line is trimmed: leading and trailing
//   characters up to and including the blank (U+0000..U+0020) are removed.
//   Empty lines and lines that begin with ";" are ignored.
// - A line that begins with "[" and ends with "]" (at least two characters)
//   starts a section named by the trimmed text between the brackets. Lines
//   before the first section are ignored.
// - Inside a section a line with "=" is a key and a value, split at the first
//   "=", each trimmed; a line without "=" is a key without value.
// - Section and key names match without regard to letter case; the first
//   section and the first key of a name win. Later ones are kept as they are.
//
// Writing: every section in its order as "[" name "]", its lines in order
// ("key=value", or the key alone where the line had no "="), then one empty
// line; every line ends with CR LF; UTF-8 without byte-order mark. Comment
// lines and lines before the first section are not kept.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Why not QSettings: it neither keeps foreign content in place nor reads by the rules above.
class TIniFile {
public:
  // An empty file.
  TIniFile() = default;
  // The file's content as read by the rules above.
  explicit TIniFile(const QByteArray& bytes);

  // The value of Key in Section as written after "=" (trimmed); Default when the
  // section or key is missing. A key line without "=" has the empty value.
  QString ReadString(const QString& Section, const QString& Key, const QString& Default) const;
  // The value read as a 32-bit integer (see ParseInteger); Default when the key
  // is missing or its value is not such an integer.
  std::int32_t ReadInteger(const QString& Section, const QString& Key, std::int32_t Default) const;
  // ReadInteger with Default as 0 or 1; true for any integer other than 0.
  bool ReadBool(const QString& Section, const QString& Key, bool Default) const;

  // Sets Key in Section. The first key of that name in the section is replaced
  // in its place and takes Key's spelling; a missing key is appended to the
  // end of the section, a missing section to the end of the file. The section
  // header keeps the spelling it was found with. Line breaks in Value would
  // start new lines in the file, so each CR and LF is written as a blank.
  void WriteString(const QString& Section, const QString& Key, const QString& Value);
  // Writes "1" for true, "0" for false.
  void WriteBool(const QString& Section, const QString& Key, bool Value);

  // The whole file in the written form above.
  QByteArray ToBytes() const;

  // An integer as the settings file writes it: optional "+" or "-", then
  // either decimal digits in the signed 32-bit range, or "$", "0x" or "0X"
  // followed by hexadecimal digits of a value below 2^32 (taken as a 32-bit
  // pattern, so "$FFFFFFFF" is -1). Anything else (blanks inside, a bare "0x",
  // too many digits) is no integer.
  static std::optional<std::int32_t> ParseInteger(const QString& Text);
  // The text of the bytes: UTF-8 when they are valid UTF-8 (a leading
  // byte-order mark removed), otherwise Windows-1252.
  static QString DecodeText(const QByteArray& bytes);

private:
  struct TLine {
    QString Key;
    QString Value;
    bool HasEquals = false;  // false: a key without value, written as the key alone
  };
  struct TSection {
    QString Name;
    std::vector<TLine> Lines;
  };

  // Index of the first section or line of that name, -1 when there is none.
  qsizetype SectionIndex(const QString& Section) const;
  static qsizetype LineIndex(const TSection& s, const QString& Key);
  // The first line of Key in the first section of that name, or nullptr.
  const TLine* FindLine(const QString& Section, const QString& Key) const;

  std::vector<TSection> FSections;
};
