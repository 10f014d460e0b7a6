#include "platform/QuitSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The write end for the handler; -1 when no instance is installed.
volatile sig_atomic_t WriteFd = -1;
struct sigaction OldActions[3];

void OnSignal(int sig) {
  const int saved = errno;
  const int fd = WriteFd;
  if (fd >= 0) {
    const unsigned char b = static_cast<unsigned char>(sig);
    // Non-blocking: when the pipe is full the program is already quitting.
    [[maybe_unused]] const ssize_t n = ::write(fd, &b, 1);
  }
  errno = saved;
}
}  // namespace

const int TQuitSignals::Handled[3] = {SIGTERM, SIGINT, SIGHUP};

TQuitSignals::TQuitSignals(QObject* parent) : QObject(parent) {
  if (WriteFd >= 0) throw std::logic_error("TQuitSignals: already installed");
  // Close-on-exec: a help viewer started later must not hold the pair open.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, FFds) != 0)
    throw std::runtime_error("TQuitSignals: socketpair failed");
  FNotifier = std::make_unique<QSocketNotifier>(FFds[1], QSocketNotifier::Read);
  connect(FNotifier.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
  WriteFd = FFds[0];
  for (int i = 0; i < 3; ++i) {
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    // Restart interrupted system calls: the game sleeps and reads files
    // while a signal may come in.
    sa.sa_flags = SA_RESTART;
    ::sigaction(Handled[i], &sa, &OldActions[i]);
  }
}

TQuitSignals::~TQuitSignals() {
  for (int i = 0; i < 3; ++i) ::sigaction(Handled[i], &OldActions[i], nullptr);
  WriteFd = -1;
  FNotifier.reset();
  ::close(FFds[0]);
  ::close(FFds[1]);
}

void TQuitSignals::Drain() {
  unsigned char buf[16];
  for (;;) {
    const ssize_t n = ::read(FFds[1], buf, sizeof buf);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) emit QuitRequested(buf[i]);
  }
}
