#include <QApplication>
#include <QWidget>

#include "display/Fonts.h"
#include "platform/Random.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Randomize();
  RegisterGameFonts();
  QWidget w;
  w.show();
  return app.exec();
}
