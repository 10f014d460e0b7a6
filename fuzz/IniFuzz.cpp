// Feeds arbitrary bytes to the settings file's reader and rewrite, the way a
// save treats whatever lies on disk. Whatever the file, the rewrite must give
// CR LF lines of valid UTF-8, the three keys must read back as written, and a
// second save of the same settings must not change a byte.
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "shell/IniFile.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// What reading gives back for a written name: line breaks become blanks, the
// ends lose their blanks and control characters.
QString AsReadBack(QString name) {
  name.replace(u'\r', u' ').replace(u'\n', u' ');
  qsizetype from = 0, to = name.size();
  while (from < to && name[from].unicode() <= 0x20) ++from;
  while (to > from && name[to - 1].unicode() <= 0x20) --to;
  return name.mid(from, to - from);
}

void WriteSettings(TIniFile& ini, const QString& name, bool showInstructions, bool noSound) {
  ini.WriteString("General", "LastName", name);
  ini.WriteBool("General", "Show Instructions", showInstructions);
  ini.WriteBool("General", "No Sound", noSound);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses the switches and the name's length; the name comes
  // next, the file is the rest.
  const auto* bytes = reinterpret_cast<const char*>(data);
  const std::uint8_t head = size > 0 ? data[0] : 0;
  const std::size_t nameLength = size > 0 ? std::min<std::size_t>(head >> 2, size - 1) : 0;
  const QString name = QString::fromUtf8(bytes + (size > 0 ? 1 : 0), static_cast<qsizetype>(nameLength));
  const bool showInstructions = head & 1, noSound = head & 2;
  const std::size_t fileAt = size > 0 ? 1 + nameLength : 0;
  const QByteArray file = QByteArray::fromRawData(bytes + fileAt, static_cast<qsizetype>(size - fileAt));

  TIniFile ini(file);
  (void)ini.ReadString("General", "LastName", QString());
  (void)ini.ReadBool("General", "Show Instructions", true);
  (void)ini.ReadBool("General", "No Sound", false);

  WriteSettings(ini, name, showInstructions, noSound);
  const QByteArray out = ini.ToBytes();
  Check(out.endsWith("\r\n\r\n"));
  for (qsizetype i = 0; i < out.size(); ++i) {
    if (out[i] == '\r') Check(i + 1 < out.size() && out[i + 1] == '\n');
    if (out[i] == '\n') Check(i > 0 && out[i - 1] == '\r');
  }
  Check(QString::fromUtf8(out).toUtf8() == out);

  TIniFile again(out);
  Check(again.ReadString("General", "LastName", QStringLiteral("missing")) == AsReadBack(name));
  Check(again.ReadBool("General", "Show Instructions", !showInstructions) == showInstructions);
  Check(again.ReadBool("General", "No Sound", !noSound) == noSound);
  WriteSettings(again, name, showInstructions, noSound);
  Check(again.ToBytes() == out);
  return 0;
}
