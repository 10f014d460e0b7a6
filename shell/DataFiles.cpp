#include "shell/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
QString Chosen;

QString WithSlash(const QString& folder) { return folder.endsWith('/') ? folder : folder + '/'; }

// Permission bits do not tell: root writes anywhere, ACLs and read-only
// mounts override the mode. Creating a file is the only sure test.
bool CanCreateFileIn(const QString& folder) {
  if (folder.isEmpty() || !QDir(folder).exists()) return false;
  QTemporaryFile probe(WithSlash(folder) + QStringLiteral(".ZuggleDart-probe-XXXXXX"));
  return probe.open();  // removed again when probe goes out of scope
}
}  // namespace

QString ChooseDataFolder(const QString& ExeFolder, const QString& UserFolder) {
  if (CanCreateFileIn(ExeFolder)) return WithSlash(ExeFolder);
  QDir().mkpath(UserFolder);
  return WithSlash(UserFolder);
}

QString DataFolder() {
  if (Chosen.isEmpty())
    Chosen = ChooseDataFolder(QCoreApplication::applicationDirPath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
  return Chosen;
}

QString DataFilePath(const QString& FileName) { return DataFolder() + FileName; }

void SetDataFolder(const QString& Folder) { Chosen = Folder.isEmpty() ? QString() : WithSlash(Folder); }
