#pragma once
// The program as a whole: the order in which its windows come into being, the
// start kick that hands control to the game, the loop over games, the quit
// requests from outside, and the shutdown that writes the two files.
#include <QString>

class TForm1;

// The application's title: the caption of its message boxes.
inline constexpr const char* ApplicationTitle = "Zuggle Dart";

// Runs the program on the QApplication that exists (created by main or by a
// test) and returns the exit code: 0 for every regular end, 1 when the game
// window cannot be made (a damaged picture, told in a message box). In order:
//   1. the splash TForm2 (the main window) and the name dialog TForm3 are
//      created, the splash is shown; once it is on screen it posts itself
//      WM_SPLASHSTART;
//   2. start-up loader: messages are processed once (the splash is painted),
//      700 ms blocking sleep, the game window TForm1 is created and set up,
//      LoadHighscores then LoadSettings (files from DataFilePath), the game
//      window is shown full-screen beneath the splash; once on screen it
//      posts itself WM_GAMESTART;
//   3. start kick: TForm1::StartKick (entry sound, speed test under the
//      splash), the splash steps aside and hides, then PlayGame until FQuit,
//      processing messages after each game;
//   4. the game window and the splash are closed, the loop ends, FormDestroy.
// Esc, the Exit button, the desktop closing a window, a log-out and SIGTERM,
// SIGINT or SIGHUP all end it this way; the start handlers run once per call.
// Uses the process-wide clock, message hook and sound output as installed.
int RunProgram();

// The game window's destroy handler: frees the balloons, the start balloon and
// the shelter picture, then SaveHighscores and, only when that succeeded,
// SaveSettings. A failed save has shown its message; the program ends anyway.
void FormDestroy(TForm1& Form);
