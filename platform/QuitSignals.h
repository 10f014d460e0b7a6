#pragma once
// The terminal's and the system's requests to end the program (SIGTERM from
// `kill` or a log-out, SIGINT from Ctrl+C, SIGHUP when the terminal goes away)
// turned into a Qt signal on the window thread, so that the game ends the way
// Esc ends it: loops unwind and the files are saved.
//
// The C handler only writes the signal number into a socket pair (the one
// thing that is safe inside a handler); a QSocketNotifier on the other end
// emits QuitRequested from the event loop, that is inside ProcessMessages.
#include <QObject>
#include <memory>

class QSocketNotifier;

class TQuitSignals final : public QObject {
  Q_OBJECT
public:
  // Installs the handlers for SIGTERM, SIGINT and SIGHUP. Only one instance
  // may exist at a time (the handlers are process-wide). Construct on the
  // window thread after the QCoreApplication.
  explicit TQuitSignals(QObject* parent = nullptr);
  // Restores the handlers that were in place before; a signal that arrives
  // afterwards has its old effect again.
  ~TQuitSignals() override;

  // The signals handled here.
  static const int Handled[3];

signals:
  // Once per signal received, on the window thread, in the order received.
  void QuitRequested(int signalNumber);

private:
  void Drain();

  int FFds[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> FNotifier;
};
