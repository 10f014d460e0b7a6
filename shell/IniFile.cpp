#include "shell/IniFile.h"

#include <array>

namespace {

bool IsBlankOrControl(QChar c) { return c.unicode() <= 0x20; }

QString Trimmed(QStringView s) {
  qsizetype from = 0, to = s.size();
  while (from < to && IsBlankOrControl(s[from])) ++from;
  while (to > from && IsBlankOrControl(s[to - 1])) --to;
  return s.mid(from, to - from).toString();
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF):
// text that a Windows editor saved in its ANSI code page almost never passes.
bool IsValidUtf8(const QByteArray& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n;) {
    const unsigned char b = p[i];
    int follow;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the first continuation byte
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      follow = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      follow = 2;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      follow = 3;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i <= follow) return false;
    if (p[i + 1] < lo || p[i + 1] > hi) return false;
    for (int k = 2; k <= follow; ++k)
      if ((p[i + k] & 0xC0) != 0x80) return false;
    i += follow + 1;
  }
  return true;
}

// Windows-1252 bytes 0x80..0x9F; the five unassigned ones stand for themselves,
// as the system's own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromCp1252(const QByteArray& bytes) {
  QString out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out.append(b >= 0x80 && b <= 0x9F ? QChar(kCp1252High[b - 0x80]) : QChar(b));
  }
  return out;
}

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

// Splits at CR LF, CR or LF; a last line without an end counts.
std::vector<QStringView> SplitLines(QStringView text) {
  std::vector<QStringView> lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines.push_back(text.mid(start, i - start));
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.mid(start));
  return lines;
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

QString TIniFile::DecodeText(const QByteArray& bytes) {
  if (!IsValidUtf8(bytes)) return FromCp1252(bytes);
  QByteArrayView view(bytes);
  if (view.startsWith("\xEF\xBB\xBF")) view = view.sliced(3);
  return QString::fromUtf8(view);
}

TIniFile::TIniFile(const QByteArray& bytes) {
  const QString text = DecodeText(bytes);
  TSection* current = nullptr;
  for (const QStringView raw : SplitLines(text)) {
    const QString line = Trimmed(raw);
    if (line.isEmpty() || line.startsWith(u';')) continue;
    if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
      FSections.push_back({Trimmed(QStringView(line).sliced(1, line.size() - 2)), {}});
      current = &FSections.back();
      continue;
    }
    if (!current) continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
      current->Lines.push_back({line, QString(), false});
    else
      current->Lines.push_back({Trimmed(QStringView(line).first(eq)), Trimmed(QStringView(line).sliced(eq + 1)), true});
  }
}

qsizetype TIniFile::SectionIndex(const QString& Section) const {
  for (size_t i = 0; i < FSections.size(); ++i)
    if (SameName(FSections[i].Name, Section)) return static_cast<qsizetype>(i);
  return -1;
}

qsizetype TIniFile::LineIndex(const TSection& s, const QString& Key) {
  for (size_t i = 0; i < s.Lines.size(); ++i)
    if (SameName(s.Lines[i].Key, Key)) return static_cast<qsizetype>(i);
  return -1;
}

const TIniFile::TLine* TIniFile::FindLine(const QString& Section, const QString& Key) const {
  const qsizetype s = SectionIndex(Section);
  if (s < 0) return nullptr;
  const TSection& section = FSections[static_cast<size_t>(s)];
  const qsizetype l = LineIndex(section, Key);
  return l < 0 ? nullptr : &section.Lines[static_cast<size_t>(l)];
}

QString TIniFile::ReadString(const QString& Section, const QString& Key, const QString& Default) const {
  const TLine* l = FindLine(Section, Key);
  return l ? l->Value : Default;
}

std::int32_t TIniFile::ReadInteger(const QString& Section, const QString& Key, std::int32_t Default) const {
  const TLine* l = FindLine(Section, Key);
  return l ? ParseInteger(l->Value).value_or(Default) : Default;
}

bool TIniFile::ReadBool(const QString& Section, const QString& Key, bool Default) const {
  return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

std::optional<std::int32_t> TIniFile::ParseInteger(const QString& Text) {
  QStringView s(Text);
  bool negative = false;
  if (!s.isEmpty() && (s[0] == u'+' || s[0] == u'-')) {
    negative = s[0] == u'-';
    s = s.sliced(1);
  }
  std::uint64_t magnitude = 0;
  if (s.startsWith(u'$') || s.startsWith(u"0x") || s.startsWith(u"0X")) {
    s = s.sliced(s[0] == u'$' ? 1 : 2);
    if (s.isEmpty()) return std::nullopt;
    for (const QChar c : s) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      magnitude = magnitude * 16 + static_cast<unsigned>(d);
      if (magnitude > 0xFFFFFFFFu) return std::nullopt;
    }
    // A hexadecimal value is a 32-bit pattern: $FFFFFFFF is -1.
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  if (s.isEmpty()) return std::nullopt;
  for (const QChar c : s) {
    if (c < u'0' || c > u'9') return std::nullopt;
    magnitude = magnitude * 10 + static_cast<unsigned>(c.unicode() - u'0');
    if (magnitude > 0x80000000u) return std::nullopt;
  }
  if (!negative && magnitude > 0x7FFFFFFFu) return std::nullopt;
  return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(magnitude))
                  : static_cast<std::int32_t>(magnitude);
}

void TIniFile::WriteString(const QString& Section, const QString& Key, const QString& Value) {
  QString value = Value;
  value.replace(u'\r', u' ').replace(u'\n', u' ');
  qsizetype s = SectionIndex(Section);
  if (s < 0) {
    FSections.push_back({Section, {}});
    s = static_cast<qsizetype>(FSections.size()) - 1;
  }
  TSection& section = FSections[static_cast<size_t>(s)];
  const qsizetype l = LineIndex(section, Key);
  if (l < 0)
    section.Lines.push_back({Key, value, true});
  else
    section.Lines[static_cast<size_t>(l)] = {Key, value, true};
}

void TIniFile::WriteBool(const QString& Section, const QString& Key, bool Value) {
  WriteString(Section, Key, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

QByteArray TIniFile::ToBytes() const {
  QString text;
  const QLatin1StringView crlf("\r\n");
  for (const TSection& s : FSections) {
    text += u'[' + s.Name + u']' + crlf;
    for (const TLine& l : s.Lines) {
      text += l.Key;
      if (l.HasEquals) text += u'=' + l.Value;
      text += crlf;
    }
    text += crlf;
  }
  return text.toUtf8();
}
