#include "shell/HelpViewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

QStringList ChmViewerPrograms() { return {QStringLiteral("xchm"), QStringLiteral("kchmviewer")}; }

namespace {
// Starts Program on its own; its chatter does not go to the game's terminal.
bool StartDetached(const QString& Program, const QStringList& Arguments) {
  QProcess p;
  p.setProgram(Program);
  // One argument each, not through a shell: blanks and quotes in a folder
  // name need no quoting.
  p.setArguments(Arguments);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.setStandardErrorFile(QProcess::nullDevice());
  return p.startDetached();
}
}  // namespace

bool StartChmViewer(const QString& ChmFile) {
  for (const QString& name : ChmViewerPrograms()) {
    const QString program = QStandardPaths::findExecutable(name);
    if (!program.isEmpty() && StartDetached(program, {ChmFile})) return true;
  }
  return false;
}

bool OpenInBrowser(const QString& HtmlFile) {
  const QUrl url = QUrl::fromLocalFile(QFileInfo(HtmlFile).absoluteFilePath());
  if (QDesktopServices::openUrl(url)) return true;
  // Platform plugins without desktop services (offscreen, some minimal
  // compositors) still have the freedesktop.org opener.
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  return !opener.isEmpty() && StartDetached(opener, {url.toString()});
}
