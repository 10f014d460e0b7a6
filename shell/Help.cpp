#include "shell/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "shell/HelpViewer.h"

namespace {
// The pages as the build stores them in the executable.
const QString EmbeddedRoot = QStringLiteral(":/help");
const QString StartPage = QStringLiteral("index.html");

bool SameContent(const QString& path, const QByteArray& data) {
  QFile f(path);
  return f.size() == data.size() && f.open(QIODevice::ReadOnly) && f.readAll() == data;
}
}  // namespace

QString HelpFilePath() {
  const QString name = QString::fromLatin1(HelpFileName);
  const QString beside = QCoreApplication::applicationDirPath() + '/' + name;
  if (QFileInfo::exists(beside)) return beside;
  const QString shared = QStandardPaths::locate(QStandardPaths::AppDataLocation, name);
  return shared.isEmpty() ? beside : shared;
}

QString UnpackHelpPages(const QString& Folder) {
  const QDir out(Folder);
  if (!QDir().mkpath(Folder)) return {};
  bool any = false;
  QDirIterator it(EmbeddedRoot, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString source = it.next();
    const QString relative = source.mid(EmbeddedRoot.size() + 1);
    const QString target = out.filePath(relative);
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = in.readAll();
    any = true;
    if (SameContent(target, data)) continue;
    QDir().mkpath(QFileInfo(target).absolutePath());
    // Replaced whole, so a browser that has the page open never reads half a file.
    QSaveFile f(target);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) return {};
  }
  return any ? out.filePath(StartPage) : QString();
}

void HelpBtnClick(const QString& HelpFile) {
  if (QFileInfo::exists(HelpFile) && StartChmViewer(HelpFile)) return;
  const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  if (cache.isEmpty()) return;
  const QString page = UnpackHelpPages(cache + QStringLiteral("/help"));
  if (!page.isEmpty()) OpenInBrowser(page);
}
