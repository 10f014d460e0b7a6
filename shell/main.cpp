// Program entry: the application with its title, fonts, icon, random generator,
// sound device and mixer, then the program's run (shell/Program.h).
#include <QApplication>

#include "display/Fonts.h"
#include "display/PictureAssets.h"
#include "platform/MixerDevice.h"
#include "platform/Random.h"
#include "platform/SoundOutput.h"
#include "platform/HeapPolicy.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/sdl/SdlSoundOutput.h"
#include "shell/Program.h"

int main(int argc, char** argv) {
  // Before anything is allocated: the balloons' pictures of one round reuse
  // the memory of the last one's.
  KeepPictureMemoryForReuse();
  QApplication app(argc, argv);
  // The name without a blank names the per-user folders (~/.local/share/ZuggleDart,
  // ~/.cache/ZuggleDart); windows carry the title "Zuggle Dart" themselves.
  QApplication::setApplicationName(QStringLiteral("ZuggleDart"));
  // The program ends when its run ends, not when a window happens to be the
  // last one visible (the splash hides while the game runs).
  QApplication::setQuitOnLastWindowClosed(false);
  Randomize();
  RegisterGameFonts();
  QApplication::setWindowIcon(LoadMainIcon());
  // The sounds go to the machine's sound device (SDL2).
  SetSoundOutput(&DeviceSoundOutput());
  // The speakers' volume goes through the desktop's mixer (ALSA).
  SetMixerDriver(&DeviceMixerDriver());
  return RunProgram();
}
