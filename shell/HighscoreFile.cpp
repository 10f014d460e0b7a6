#include "shell/HighscoreFile.h"

#include <QFileDevice>
#include <array>

namespace {

enum TValueTag : std::uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaString = 6,
  vaFalse = 8,
  vaTrue = 9,
  vaLString = 12,
  vaWString = 18,
  vaUTF8String = 20,
};

// The hidden lists as the game window lays them out; a writer writes exactly
// these values, readers ignore them.
struct TListLayout {
  const char* Name;
  int Left, Top, Width, Height, HelpContext, ItemHeight, TabOrder;
};
constexpr std::array<TListLayout, 3> Layouts = {{
    {"lbNames", 464, 120, 73, 97, 32, 17, 1},
    {"lbScores", 488, 168, 81, 113, 33, 17, 2},
    {"lbLevel", 520, 224, 81, 129, 34, 17, 3},
}};

const char* const Signature = "TPF0";
const char* const ClassName = "TListBox";
const char* const ItemsProperty = "Items.Strings";

// Bytes 0x80 to 0x9F of Windows-1252; every other byte is its own code point.
// The five bytes that code page leaves undefined keep their own value, as the
// desktop's converter does.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(QByteArrayView bytes) {
  QString out(bytes.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(bytes[i]);
    out[i] = QChar(b >= 0x80 && b <= 0x9F ? Cp1252High[b - 0x80] : char16_t(b));
  }
  return out;
}

// A cursor over the file's bytes; every read checks that the bytes are there.
class TRecordReader {
public:
  explicit TRecordReader(QByteArrayView data) : FData(data) {}

  qint64 Pos() const { return FPos; }

  [[noreturn]] void Fail(qint64 at, const QString& what) const { throw EScoresFileError(at, what); }

  void Need(qint64 n, const char* what) const {
    if (n > FData.size() - FPos)
      Fail(FPos, QStringLiteral("%1 needs %2 bytes, only %3 left").arg(QLatin1String(what)).arg(n).arg(FData.size() - FPos));
  }
  std::uint8_t Byte(const char* what) {
    Need(1, what);
    return static_cast<std::uint8_t>(FData[FPos++]);
  }
  std::int64_t SignedLE(int bytes, const char* what) {
    Need(bytes, what);
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t(static_cast<std::uint8_t>(FData[FPos + i])) << (8 * i);
    FPos += bytes;
    const std::uint64_t sign = std::uint64_t(1) << (8 * bytes - 1);
    return static_cast<std::int64_t>(v ^ sign) - static_cast<std::int64_t>(sign);
  }
  QByteArrayView Bytes(qint64 n, const char* what) {
    Need(n, what);
    const QByteArrayView v = FData.sliced(FPos, n);
    FPos += n;
    return v;
  }
  QByteArrayView ShortString(const char* what) {
    const std::uint8_t n = Byte(what);
    return Bytes(n, what);
  }
  // A 4-byte length that must not be negative.
  qint64 Length(const char* what) {
    const qint64 at = FPos;
    const qint64 n = SignedLE(4, what);
    if (n < 0) Fail(at, QStringLiteral("%1 has a negative length (%2)").arg(QLatin1String(what)).arg(n));
    return n;
  }

  // A text value whose tag has been read; false when the tag is not a text's.
  bool TextAfterTag(std::uint8_t tag, QString& text) {
    switch (tag) {
      case vaString: text = FromWindows1252(ShortString("a text")); return true;
      case vaLString: text = FromWindows1252(Bytes(Length("a long text"), "a long text")); return true;
      case vaUTF8String: {
        const QByteArrayView b = Bytes(Length("a UTF-8 text"), "a UTF-8 text");
        text = QString::fromUtf8(b);
        return true;
      }
      case vaWString: {
        const qint64 units = Length("a wide text");
        const QByteArrayView b = Bytes(units * 2, "a wide text");
        text.resize(units);
        for (qint64 i = 0; i < units; ++i)
          text[i] = QChar(char16_t(static_cast<std::uint8_t>(b[2 * i]) | (static_cast<std::uint8_t>(b[2 * i + 1]) << 8)));
        return true;
      }
      default: return false;
    }
  }

  // Reads one value of any kind and drops it.
  void SkipValue(int depth) {
    const qint64 at = FPos;
    const std::uint8_t tag = Byte("a value");
    QString ignored;
    switch (tag) {
      case vaInt8: Bytes(1, "an 8-bit integer"); return;
      case vaInt16: Bytes(2, "a 16-bit integer"); return;
      case vaInt32: Bytes(4, "a 32-bit integer"); return;
      case vaFalse:
      case vaTrue: return;
      case vaList:
        if (depth >= MaxValueNesting) Fail(at, QStringLiteral("lists nested more than %1 deep").arg(MaxValueNesting));
        while (Peek("a list") != vaNull) SkipValue(depth + 1);
        ++FPos;
        return;
      default:
        if (TextAfterTag(tag, ignored)) return;
        Fail(at, QStringLiteral("unknown value tag %1").arg(tag));
    }
  }

  std::uint8_t Peek(const char* what) const {
    Need(1, what);
    return static_cast<std::uint8_t>(FData[FPos]);
  }

  // One record; returns its rows (none when it has no "Items.Strings").
  QStringList Record(int index) {
    const qint64 start = FPos;
    if (Bytes(4, "the signature") != QByteArrayView(Signature))
      Fail(start, QStringLiteral("record %1 does not start with \"TPF0\"").arg(index + 1));
    ShortString("the class name");
    ShortString("the component name");
    QStringList rows;
    while (Peek("the properties") != 0) {
      const QByteArrayView name = ShortString("a property name");
      if (name == QByteArrayView(ItemsProperty)) {
        const qint64 at = FPos;
        if (Byte("the rows") != vaList) Fail(at, QStringLiteral("\"Items.Strings\" is not a list"));
        rows.clear();
        for (;;) {
          const qint64 rowAt = FPos;
          const std::uint8_t tag = Byte("a row");
          if (tag == vaNull) break;
          QString text;
          if (!TextAfterTag(tag, text)) Fail(rowAt, QStringLiteral("a row is not a text (tag %1)").arg(tag));
          rows.append(text);
        }
      } else {
        SkipValue(0);
      }
    }
    ++FPos;  // the end of the properties
    const qint64 at = FPos;
    if (Byte("the end of the child list") != 0) Fail(at, QStringLiteral("a list component cannot have children"));
    return rows;
  }

private:
  QByteArrayView FData;
  qint64 FPos = 0;
};

void AppendShortString(QByteArray& out, QByteArrayView s) {
  out.append(char(s.size()));
  out.append(s);
}

void AppendLE(QByteArray& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

void AppendIntegerProperty(QByteArray& out, const char* name, int value) {
  AppendShortString(out, name);
  AppendIntegerValue(out, value);
}

}  // namespace

EScoresFileError::EScoresFileError(qint64 Offset, const QString& What)
    : std::runtime_error((Offset >= 0 ? QStringLiteral("at byte %1: %2").arg(Offset).arg(What) : What).toStdString()),
      FOffset(Offset) {}

THighscoreTable ReadScoresFile(QByteArrayView Data) {
  TRecordReader reader(Data);
  QStringList lists[3];
  for (int i = 0; i < 3; ++i) lists[i] = reader.Record(i);
  THighscoreTable table{lists[slNames], lists[slScores], lists[slLevel]};
  if (table.Names.size() != table.Scores.size() || table.Levels.size() != table.Scores.size())
    throw EScoresFileError(-1, QStringLiteral("the lists have unequal row counts (%1 names, %2 scores, %3 levels)")
                                   .arg(table.Names.size())
                                   .arg(table.Scores.size())
                                   .arg(table.Levels.size()));
  for (int i = 0; i < table.RowCount(); ++i) {
    int v = 0;
    if (!TryParseScore(table.Scores[i], v))
      throw EScoresFileError(-1, QStringLiteral("score row %1 is not an integer: \"%2\"").arg(i + 1).arg(table.Scores[i]));
  }
  return table;
}

THighscoreTable ReadScoresFile(QIODevice& Stream) {
  const QByteArray data = Stream.read(MaxScoresFileSize + 1);
  if (const auto* file = qobject_cast<const QFileDevice*>(&Stream); file && file->error() != QFileDevice::NoError)
    throw EScoresFileError(-1, QStringLiteral("cannot be read: %1").arg(file->errorString()));
  if (data.size() > MaxScoresFileSize)
    throw EScoresFileError(-1, QStringLiteral("larger than %1 bytes: not a highscore file").arg(MaxScoresFileSize));
  return ReadScoresFile(QByteArrayView(data));
}

void AppendIntegerValue(QByteArray& Out, std::int32_t Value) {
  if (Value >= -128 && Value <= 127) {
    Out.append(char(vaInt8));
    AppendLE(Out, static_cast<std::uint32_t>(Value), 1);
  } else if (Value >= -32768 && Value <= 32767) {
    Out.append(char(vaInt16));
    AppendLE(Out, static_cast<std::uint32_t>(Value), 2);
  } else {
    Out.append(char(vaInt32));
    AppendLE(Out, static_cast<std::uint32_t>(Value), 4);
  }
}

void AppendTextValue(QByteArray& Out, const QString& Text) {
  bool ascii = true;
  for (const QChar c : Text) ascii = ascii && c.unicode() < 0x80;
  if (!ascii) {
    const QByteArray utf8 = Text.toUtf8();
    Out.append(char(vaUTF8String));
    AppendLE(Out, static_cast<std::uint32_t>(utf8.size()), 4);
    Out.append(utf8);
  } else if (Text.size() <= 255) {
    Out.append(char(vaString));
    AppendShortString(Out, Text.toLatin1());
  } else {
    Out.append(char(vaLString));
    AppendLE(Out, static_cast<std::uint32_t>(Text.size()), 4);
    Out.append(Text.toLatin1());
  }
}

QByteArray WriteListRecord(TScoresList List, const QStringList& Rows) {
  const TListLayout& l = Layouts[List];
  QByteArray out;
  out.append(Signature);
  AppendShortString(out, ClassName);
  AppendShortString(out, l.Name);
  AppendIntegerProperty(out, "Left", l.Left);
  AppendIntegerProperty(out, "Top", l.Top);
  AppendIntegerProperty(out, "Width", l.Width);
  AppendIntegerProperty(out, "Height", l.Height);
  AppendIntegerProperty(out, "HelpContext", l.HelpContext);
  AppendIntegerProperty(out, "ItemHeight", l.ItemHeight);
  if (!Rows.isEmpty()) {
    AppendShortString(out, ItemsProperty);
    out.append(char(vaList));
    for (const QString& row : Rows) AppendTextValue(out, row);
    out.append(char(vaNull));
  }
  AppendIntegerProperty(out, "TabOrder", l.TabOrder);
  AppendShortString(out, "Visible");
  out.append(char(vaFalse));
  out.append(char(0));  // end of the properties
  out.append(char(0));  // end of the (empty) child list
  return out;
}

QByteArray WriteScoresFile(const THighscoreTable& Table) {
  return WriteListRecord(slNames, Table.Names) + WriteListRecord(slScores, Table.Scores) +
         WriteListRecord(slLevel, Table.Levels);
}
