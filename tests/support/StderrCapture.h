#pragma once
// Everything written to the process's stderr (file descriptor 2) while a
// TStderrCapture lives; Text or Lines ends the capture and gives what came.
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

class TStderrCapture {
public:
  TStderrCapture() {
    FFile.open();
    std::fflush(stderr);
    FSaved = dup(2);
    dup2(FFile.handle(), 2);
  }
  ~TStderrCapture() { Restore(); }
  TStderrCapture(const TStderrCapture&) = delete;
  TStderrCapture& operator=(const TStderrCapture&) = delete;

  QString Text() {
    Restore();
    FFile.seek(0);
    return QString::fromLocal8Bit(FFile.readAll());
  }
  // The non-empty lines of Text.
  QStringList Lines() { return Text().split('\n', Qt::SkipEmptyParts); }

private:
  void Restore() {
    if (FSaved < 0) return;
    std::fflush(stderr);
    dup2(FSaved, 2);
    close(FSaved);
    FSaved = -1;
  }
  QTemporaryFile FFile;
  int FSaved = -1;
};
