#pragma once
// The two embedded font families and the game's face names that map to them,
// so that text measures and looks the same on every machine.
#include <QString>

// Registers the embedded fonts with Qt once (needs a QGuiApplication).
// Safe to call again.
void RegisterGameFonts();
// The family that stands for a face name of the game: "Comic Sans MS" and
// "ComicSansMS" give Comic Neue, "Arial" (and any unknown name) Liberation Sans.
QString GameFontFamily(const QString& faceName);
