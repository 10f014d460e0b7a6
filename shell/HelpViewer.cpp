#include "shell/HelpViewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

QStringList ChmViewerPrograms() { return {QStringLiteral("xchm"), QStringLiteral("kchmviewer")}; }

bool StartChmViewer(const QString& ChmFile) {
  for (const QString& name : ChmViewerPrograms()) {
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty()) continue;
    // The path goes as one argument, not through a shell: blanks and quotes
    // in the folder name need no quoting.
    if (QProcess::startDetached(program, {ChmFile})) return true;
  }
  return false;
}

bool OpenInBrowser(const QString& HtmlFile) {
  const QUrl url = QUrl::fromLocalFile(QFileInfo(HtmlFile).absoluteFilePath());
  if (QDesktopServices::openUrl(url)) return true;
  // Platform plugins without desktop services (offscreen, some minimal
  // compositors) still have the freedesktop.org opener.
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  return !opener.isEmpty() && QProcess::startDetached(opener, {url.toString()});
}
