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

// A copy installed by a package manager lives in the system's program folders.
// Root can write there, but a game run once by root must not leave its files
// among the system's programs, where the next update or removal would lose them.
bool IsSystemProgramFolder(const QString& folder) {
  const QString canonical = QDir(folder).canonicalPath();
  const QString path = canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
  for (const char* prefix : {"/usr", "/bin", "/sbin", "/app"}) {
    const QString p = QString::fromLatin1(prefix);
    if (path == p || path.startsWith(p + '/')) return true;
  }
  return false;
}
}  // namespace

QString ChooseDataFolder(const QString& ExeFolder, const QString& UserFolder) {
  if (!IsSystemProgramFolder(ExeFolder) && CanCreateFileIn(ExeFolder)) return WithSlash(ExeFolder);
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
