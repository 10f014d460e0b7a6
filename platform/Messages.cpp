#include "platform/Messages.h"

#include <QCoreApplication>

namespace {
TMessageHook Hook;
}

void ProcessMessages() {
  if (Hook) {
    // A copy: the hook may replace itself.
    TMessageHook h = Hook;
    h();
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Deferred deletes and posted events that the first pass queued.
  QCoreApplication::sendPostedEvents();
}

void SetMessageHook(TMessageHook hook) { Hook = std::move(hook); }
