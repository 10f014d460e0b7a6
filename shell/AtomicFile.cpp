#include "shell/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex HookLock;
TAtomicFaultHook Hook;

int InjectedFault(TAtomicStep step, int index) {
  std::lock_guard<std::mutex> lock(HookLock);
  return Hook ? Hook(step, index) : 0;
}

QString ErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A name beside Target that is free now; O_EXCL settles any race.
QByteArray TemporaryName(const QByteArray& target, std::mt19937_64& random) {
  static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  QByteArray name = target + ".tmp.";
  for (int i = 0; i < 8; ++i) name += Letters[random() % (sizeof Letters - 1)];
  return name;
}

// The temporary file until it is renamed: removed on every way out but success.
struct TTemporary {
  QByteArray Name;
  int Fd = -1;
  bool Renamed = false;
  ~TTemporary() {
    if (Fd >= 0) ::close(Fd);
    if (!Name.isEmpty() && !Renamed) ::unlink(Name.constData());
  }
};

}  // namespace

void SetAtomicFaultHook(TAtomicFaultHook NewHook) {
  std::lock_guard<std::mutex> lock(HookLock);
  Hook = std::move(NewHook);
}

bool WriteFileAtomically(const QString& FileName, const QByteArray& Bytes, QString& Reason) {
  auto fail = [&](int error) {
    Reason = ErrorText(error);
    return false;
  };

  // A link keeps pointing where it did: its target is the file replaced.
  QString targetName = FileName;
  if (const QFileInfo info(FileName); info.isSymLink() && info.exists()) targetName = info.canonicalFilePath();
  const QByteArray target = QFile::encodeName(targetName);

  struct stat old {};
  const bool hadFile = ::stat(target.constData(), &old) == 0;
  if (hadFile && !S_ISREG(old.st_mode)) return fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);

  TTemporary temp;
  if (const int e = InjectedFault(TAtomicStep::Open, 0)) return fail(e);
  std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; temp.Fd < 0; ++attempt) {
    const QByteArray name = TemporaryName(target, random);
    // 0666 less the umask, as any new file; an old file's bits follow below.
    temp.Fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (temp.Fd >= 0) {
      temp.Name = name;
    } else if (errno != EEXIST || attempt >= 100) {
      return fail(errno);
    }
  }
  if (hadFile) ::fchmod(temp.Fd, old.st_mode & 07777);  // best effort: the content is what matters

  int writeIndex = 0;
  for (qsizetype done = 0; done < Bytes.size();) {
    if (const int e = InjectedFault(TAtomicStep::Write, writeIndex++)) return fail(e);
    const qsizetype piece = std::min(AtomicWriteChunk, Bytes.size() - done);
    const ssize_t n = ::write(temp.Fd, Bytes.constData() + done, static_cast<size_t>(piece));
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    // A short write is no failure by itself: the next write says why it stopped
    // (ENOSPC, EFBIG) or goes on.
    done += n;
  }

  if (const int e = InjectedFault(TAtomicStep::Flush, 0)) return fail(e);
  if (::fsync(temp.Fd) != 0) return fail(errno);

  if (const int e = InjectedFault(TAtomicStep::Close, 0)) return fail(e);
  const int fd = temp.Fd;
  temp.Fd = -1;
  // Linux closes the descriptor even when close reports an error.
  if (::close(fd) != 0 && errno != EINTR) return fail(errno);

  if (const int e = InjectedFault(TAtomicStep::Rename, 0)) return fail(e);
  if (::rename(temp.Name.constData(), target.constData()) != 0) return fail(errno);
  temp.Renamed = true;

  // The rename itself reaches the disk with the folder's flush. The new file
  // is in place whatever this says, so its failure is not the save's.
  const QByteArray folder = QFile::encodeName(QFileInfo(targetName).absolutePath());
  if (const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}
