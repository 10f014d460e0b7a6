// The main of every test program: GoogleTest with the application object its
// tests need, headless. ZUGGLE_TEST_APP picks it: 0 QCoreApplication (no
// pictures), 1 QGuiApplication (pictures and text, with the game's fonts),
// 2 QApplication (widgets, with the game's fonts).
#include <gtest/gtest.h>

#if ZUGGLE_TEST_APP == 2
#include <QApplication>
using TTestApplication = QApplication;
#elif ZUGGLE_TEST_APP == 1
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#endif
#if ZUGGLE_TEST_APP > 0
#include "display/Fonts.h"
#endif

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  ::testing::InitGoogleTest(&argc, argv);
  TTestApplication app(argc, argv);
#if ZUGGLE_TEST_APP > 0
  RegisterGameFonts();
#endif
  return RUN_ALL_TESTS();
}
