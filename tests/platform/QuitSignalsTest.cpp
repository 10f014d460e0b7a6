#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <vector>

#include "platform/QuitSignals.h"

namespace {
// Delivers what the notifier has seen; a signal raised in this thread is
// handled before raise() returns, the notifier fires on the next pass.
void PumpFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

volatile sig_atomic_t OldHandlerSaw = 0;
void OldHandler(int sig) { OldHandlerSaw = sig; }
}  // namespace

// Each signal that ends a program from outside arrives as one QuitRequested
// with its number, in order, and only from the event loop.
TEST(QuitSignals, TermIntAndHupArriveInTheEventLoopInOrder) {
  TQuitSignals quit;
  std::vector<int> seen;
  QObject::connect(&quit, &TQuitSignals::QuitRequested, [&](int sig) { seen.push_back(sig); });
  ASSERT_EQ(std::raise(SIGTERM), 0);
  ASSERT_EQ(std::raise(SIGINT), 0);
  ASSERT_EQ(std::raise(SIGHUP), 0);
  EXPECT_TRUE(seen.empty()) << "the C handler must not run Qt code";
  PumpFor(200);
  EXPECT_EQ(seen, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

// After the program's run the handlers that were there before are back, so a
// later signal has its old effect (here: a test handler instead of death).
TEST(QuitSignals, RestoresThePreviousHandlers) {
  struct sigaction mine = {}, before = {};
  mine.sa_handler = OldHandler;
  sigemptyset(&mine.sa_mask);
  ASSERT_EQ(sigaction(SIGTERM, &mine, &before), 0);
  {
    TQuitSignals quit;
    int count = 0;
    QObject::connect(&quit, &TQuitSignals::QuitRequested, [&](int) { ++count; });
    std::raise(SIGTERM);
    PumpFor(100);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(OldHandlerSaw, 0);
  }
  std::raise(SIGTERM);
  EXPECT_EQ(OldHandlerSaw, SIGTERM);
  sigaction(SIGTERM, &before, nullptr);
}

TEST(QuitSignals, OnlyOneInstanceAtATime) {
  TQuitSignals first;
  EXPECT_THROW(TQuitSignals second, std::logic_error);
}
