// The highscore file byte for byte: the stored examples, every value tag both
// ways, hand-made files, and damaged files that must be refused, never crash.
#include <QBuffer>
#include <gtest/gtest.h>

#include <climits>

#include "shell/HighscoreFile.h"

namespace {

// Bytes from readable text: hex bytes and 'quoted text', separated by
// blanks, as the format's examples are written.
QByteArray Bytes(const char* text) {
  QByteArray out;
  const QByteArray d(text);
  for (qsizetype i = 0; i < d.size();) {
    if (d[i] == ' ') {
      ++i;
    } else if (d[i] == '\'') {
      const qsizetype end = d.indexOf('\'', i + 1);
      out.append(d.mid(i + 1, end - i - 1));
      i = end + 1;
    } else {
      out.append(char(d.mid(i, 2).toInt(nullptr, 16)));
      i += 2;
    }
  }
  return out;
}

std::string Hex(const QByteArray& b) { return b.toHex(' ').toStdString(); }

// The scores column of a two-row table (120 and 95).
const char* const ScoresRecordOf120And95 =
    "54 50 46 30 08 'TListBox' 08 'lbScores' 04 'Left' 03 E8 01 03 'Top' 03 A8 00 05 'Width' 02 51 "
    "06 'Height' 02 71 0B 'HelpContext' 02 21 0A 'ItemHeight' 02 11 "
    "0D 'Items.Strings' 01 06 03 '120' 06 02 '95' 00 08 'TabOrder' 02 02 07 'Visible' 08 00 00";
// The names column of an empty table: no "Items.Strings" at all.
const char* const EmptyNamesRecord =
    "54 50 46 30 08 'TListBox' 07 'lbNames' 04 'Left' 03 D0 01 03 'Top' 02 78 05 'Width' 02 49 "
    "06 'Height' 02 61 0B 'HelpContext' 02 20 0A 'ItemHeight' 02 11 08 'TabOrder' 02 01 07 'Visible' 08 00 00";

TEST(ScoresFile, StoredExamplesByteForByte) {
  const QByteArray scores = Bytes(ScoresRecordOf120And95);
  ASSERT_EQ(scores.size(), 128);
  EXPECT_EQ(Hex(WriteListRecord(slScores, {"120", "95"})), Hex(scores));
  const QByteArray names = Bytes(EmptyNamesRecord);
  ASSERT_EQ(names.size(), 101);
  EXPECT_EQ(Hex(WriteListRecord(slNames, {})), Hex(names));
}

TEST(ScoresFile, AFileIsTheThreeRecordsInOrderWithNothingAfter) {
  const THighscoreTable table{{"Ann", "Bob"}, {"120", "95"}, {"Easy", "Hardest"}};
  const QByteArray file = WriteScoresFile(table);
  EXPECT_EQ(file, WriteListRecord(slNames, table.Names) + WriteListRecord(slScores, table.Scores) +
                      WriteListRecord(slLevel, table.Levels));
  EXPECT_TRUE(file.contains(Bytes(ScoresRecordOf120And95)));
  EXPECT_EQ(ReadScoresFile(file), table);
}

TEST(ScoresFile, ClearedTableIsThreeRecordsWithoutRows) {
  const QByteArray file = WriteScoresFile({});
  EXPECT_TRUE(file.startsWith(Bytes(EmptyNamesRecord)));
  EXPECT_FALSE(file.contains("Items.Strings"));
  EXPECT_EQ(file.count("TPF0"), 3);
  EXPECT_EQ(ReadScoresFile(file), THighscoreTable{});
}

TEST(ScoresFile, IntegerTakesTheSmallestTag) {
  const struct {
    std::int32_t value;
    const char* bytes;
  } cases[] = {
      {0, "02 00"},           {127, "02 7F"},          {-128, "02 80"},          {128, "03 80 00"},
      {-129, "03 7F FF"},     {32767, "03 FF 7F"},     {-32768, "03 00 80"},     {32768, "04 00 80 00 00"},
      {-32769, "04 FF 7F FF FF"}, {INT_MAX, "04 FF FF FF 7F"}, {INT_MIN, "04 00 00 00 80"},
  };
  for (const auto& c : cases) {
    QByteArray out;
    AppendIntegerValue(out, c.value);
    EXPECT_EQ(Hex(out), Hex(Bytes(c.bytes))) << c.value;
  }
}

TEST(ScoresFile, TextTagFollowsContentAndLength) {
  const QString long255(255, QLatin1Char('a')), long256(256, QLatin1Char('a'));
  const struct {
    const char* name;
    QString text;
    QByteArray bytes;
  } cases[] = {
      {"short ASCII", "Ann", Bytes("06 03 'Ann'")},
      {"empty", "", Bytes("06 00")},
      {"delete is still 7-bit", QString(QChar(0x7F)), Bytes("06 01 7F")},
      {"255 bytes", long255, Bytes("06 FF") + long255.toLatin1()},
      {"256 bytes take the long tag", long256, Bytes("0C 00 01 00 00") + long256.toLatin1()},
      {"e acute", QString::fromUtf8("é"), Bytes("14 02 00 00 00 C3 A9")},
      {"L stroke", QString::fromUtf8("Łu"), Bytes("14 03 00 00 00 C5 81 'u'")},
      {"Latin-1 letter is not 7-bit", QString(QChar(0xFC)), Bytes("14 02 00 00 00 C3 BC")},
  };
  for (const auto& c : cases) {
    QByteArray out;
    AppendTextValue(out, c.text);
    EXPECT_EQ(Hex(out), Hex(c.bytes)) << c.name;
  }
}

// Each name alone in a table: the tag it is written with, and it reads back unchanged.
TEST(ScoresFile, RoundTripPerTextTag) {
  const struct {
    const char* name;
    QString player;
    std::uint8_t tag;
  } cases[] = {
      {"plain", "Ann", 6},
      {"blanks kept", "  Ann  ", 6},
      {"300-byte name", QString(300, QLatin1Char('x')), 12},
      {"e acute", QString::fromUtf8("Renée"), 20},
      {"L stroke", QString::fromUtf8("Łukasz"), 20},
      {"outside the BMP", QString::fromUtf8("Mia 🎈"), 20},
      {"empty name", "", 6},
  };
  for (const auto& c : cases) {
    const QByteArray record = WriteListRecord(slNames, {c.player});
    const qsizetype items = record.indexOf("Items.Strings");
    ASSERT_GE(items, 0) << c.name;
    EXPECT_EQ(std::uint8_t(record[items + 13]), 1) << c.name;  // the list
    EXPECT_EQ(std::uint8_t(record[items + 14]), c.tag) << c.name;
    const THighscoreTable table{{c.player}, {"42"}, {"Medium"}};
    EXPECT_EQ(ReadScoresFile(WriteScoresFile(table)), table) << c.name;
  }
}

// Builds records the way another writer might: any tags, any extra properties.
struct TRecordBuilder {
  QByteArray Out;
  explicit TRecordBuilder(const char* component) {
    Out = Bytes("54 50 46 30 08 'TListBox'");
    Out.append(char(qstrlen(component)));
    Out.append(component);
  }
  TRecordBuilder& Property(const char* name, const QByteArray& value) {
    Out.append(char(qstrlen(name)));
    Out.append(name);
    Out.append(value);
    return *this;
  }
  TRecordBuilder& Rows(const QByteArray& values) { return Property("Items.Strings", Bytes("01") + values + Bytes("00")); }
  QByteArray End() const { return Out + Bytes("00 00"); }
};

QByteArray Le32(std::int32_t v) {
  QByteArray b;
  for (int i = 0; i < 4; ++i) b.append(char((std::uint32_t(v) >> (8 * i)) & 0xFF));
  return b;
}

QByteArray Utf16Value(const QString& s) {
  QByteArray b = Bytes("12") + Le32(s.size());
  for (const QChar c : s) {
    b.append(char(c.unicode() & 0xFF));
    b.append(char(c.unicode() >> 8));
  }
  return b;
}

QByteArray Utf8Value(const QString& s) {
  const QByteArray u = s.toUtf8();
  return Bytes("14") + Le32(u.size()) + u;
}

TEST(ScoresFile, HandMadeFileWithEveryTagReads) {
  const QByteArray names =
      TRecordBuilder("lbNames")
          .Property("Visible", Bytes("09"))                                 // true
          .Property("Tag", Bytes("04 01 02 03 04"))                         // 32-bit integer
          .Property("Font.Style", Bytes("01 02 05 01 06 01 'x' 00 08 00"))  // nested lists of any values
          .Property("Hint", Bytes("0C 03 00 00 00 'abc'"))
          .Property("Caption", Utf16Value("dropped"))
          .Rows(Utf16Value(QString::fromUtf8("Zoë")) + Utf8Value(QString::fromUtf8("Łukasz")) +
                Bytes("0C 03 00 00 00 'Bob'"))
          .End();
  const QByteArray scores = TRecordBuilder("lbScores").Rows(Bytes("06 02 '90' 06 02 '80' 06 01 '7'")).End();
  // A different component name: records count by their place in the file.
  const QByteArray levels =
      TRecordBuilder("SomethingElse").Rows(Bytes("06 04 'Easy' 06 06 'Harder' 06 06 'Medium'")).End();
  const THighscoreTable table = ReadScoresFile(names + scores + levels);
  EXPECT_EQ(table.Names, QStringList({QString::fromUtf8("Zoë"), QString::fromUtf8("Łukasz"), "Bob"}));
  EXPECT_EQ(table.Scores, QStringList({"90", "80", "7"}));
  EXPECT_EQ(table.Levels, QStringList({"Easy", "Harder", "Medium"}));
}

TEST(ScoresFile, SingleByteTextsAreWindows1252) {
  const QByteArray names = TRecordBuilder("lbNames").Rows(Bytes("06 04 52 E9 6E 80 0C 02 00 00 00 8A 9F")).End();
  const QByteArray scores = TRecordBuilder("lbScores").Rows(Bytes("06 01 '1' 06 01 '2'")).End();
  const QByteArray levels = TRecordBuilder("lbLevel").Rows(Bytes("06 00 06 00")).End();
  const THighscoreTable table = ReadScoresFile(names + scores + levels);
  EXPECT_EQ(table.Names, QStringList({QString::fromUtf8("Rén€"), QString::fromUtf8("ŠŸ")}));
}

TEST(ScoresFile, MoreThanTwentyRowsAreReadWhole) {
  THighscoreTable table;
  for (int i = 0; i < 23; ++i) {
    table.Names << QStringLiteral("P%1").arg(i);
    table.Scores << QString::number(1000 - i);
    table.Levels << "Easy";
  }
  EXPECT_EQ(ReadScoresFile(WriteScoresFile(table)), table);
}

TEST(ScoresFile, BytesAfterTheThirdRecordAreIgnored) {
  const THighscoreTable table{{"Ann"}, {"5"}, {"Easy"}};
  EXPECT_EQ(ReadScoresFile(WriteScoresFile(table) + "trailing"), table);
}

TEST(ScoresFile, ReadsFromAStream) {
  const THighscoreTable table{{"Ann"}, {"-5"}, {"Easy"}};
  QByteArray data = WriteScoresFile(table);
  QBuffer buffer(&data);
  ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
  EXPECT_EQ(ReadScoresFile(buffer), table);
}

// Every shortened copy of a sound file is refused, at the point where it ends.
TEST(ScoresFile, EveryCutShortFileIsRefused) {
  const QByteArray file = WriteScoresFile({{"Ann", QString::fromUtf8("Łukasz")}, {"120", "95"}, {"Easy", "Hardest"}});
  for (qsizetype n = 0; n < file.size(); ++n) {
    try {
      ReadScoresFile(QByteArrayView(file).first(n));
      ADD_FAILURE() << "a file cut to " << n << " bytes was read";
    } catch (const EScoresFileError& e) {
      EXPECT_LE(e.Offset(), n) << n;
      EXPECT_GE(e.Offset(), 0) << n;
    }
  }
}

struct DamageCase {
  const char* name;
  QByteArray file;
  const char* says;  // part of the message
  qint64 offset;     // where, -1 when not at one byte
};

QByteArray Valid(const QByteArray& names, const QByteArray& scores, const QByteArray& levels) {
  return TRecordBuilder("lbNames").Rows(names).End() + TRecordBuilder("lbScores").Rows(scores).End() +
         TRecordBuilder("lbLevel").Rows(levels).End();
}

TEST(ScoresFile, DamagedFilesAreRefusedWithWhatAndWhere) {
  const QByteArray one = Bytes("06 03 'Ann'"), score = Bytes("06 02 '10'"), level = Bytes("06 04 'Easy'");
  const QByteArray good = Valid(one, score, level);
  const qint64 second = TRecordBuilder("lbNames").Rows(one).End().size();
  QByteArray nested;
  for (int i = 0; i < 40; ++i) nested.append(char(1));
  const qint64 headerSize = Bytes("54 50 46 30 08 'TListBox' 07 'lbNames'").size();
  const DamageCase cases[] = {
      {"empty file", QByteArray(), "the signature", 0},
      {"wrong signature", Bytes("54 50 46 31") + good.mid(4), "TPF0", 0},
      {"second record's signature", good.left(second) + "XXXX" + good.mid(second + 4), "record 2", second},
      {"length runs past the end", Valid(Bytes("0C 00 10 00 00 'Ann'"), score, level), "long text", headerSize + 20},
      {"negative length", Valid(Bytes("14 FF FF FF FF"), score, level), "negative", headerSize + 16},
      {"short string past the end", good.left(headerSize + 16) + Bytes("40 'abc'"), "a text", headerSize + 17},
      {"unknown tag", TRecordBuilder("lbNames").Property("Tag", Bytes("05 00")).End(), "unknown value tag 5",
       headerSize + 4},
      {"rows not a list", TRecordBuilder("lbNames").Property("Items.Strings", Bytes("06 01 'x'")).End(),
       "not a list", headerSize + 14},
      {"a row that is not a text", Valid(Bytes("02 07"), score, level), "not a text", headerSize + 15},
      {"a list with children", good.left(good.size() - 1) + Bytes("01"), "children", good.size() - 1},
      {"lists nested too deep", TRecordBuilder("lbNames").Property("Tag", nested).End(), "nested", -2},
      {"unequal row counts", Valid(one + one, score, level), "unequal row counts", -1},
      {"score with letters", Valid(one, Bytes("06 03 '12a'"), level), "score row 1", -1},
      {"score with a blank", Valid(one, Bytes("06 03 ' 12'"), level), "not an integer", -1},
      {"score with a plus", Valid(one, Bytes("06 02 '+5'"), level), "not an integer", -1},
      {"empty score", Valid(one, Bytes("06 00"), level), "not an integer", -1},
      {"score beyond 32 bits", Valid(one, Bytes("06 0A '2147483648'"), level), "not an integer", -1},
  };
  for (const DamageCase& c : cases) {
    try {
      ReadScoresFile(c.file);
      ADD_FAILURE() << c.name << ": read";
    } catch (const EScoresFileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
      if (c.offset != -2) {
        EXPECT_EQ(e.Offset(), c.offset) << c.name << ": " << e.what();
      }
      if (c.offset >= 0) {
        EXPECT_NE(std::string(e.what()).find("at byte " + std::to_string(c.offset)), std::string::npos) << c.name;
      }
    }
  }
}

}  // namespace
