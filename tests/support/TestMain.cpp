// Every test program runs with a headless QApplication and the game's fonts.
#include <QApplication>
#include <gtest/gtest.h>

#include "display/Fonts.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  RegisterGameFonts();
  return RUN_ALL_TESTS();
}
