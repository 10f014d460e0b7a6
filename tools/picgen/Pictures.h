#pragma once
// The drawings of every game picture. Each function returns the finished
// pixels; the stored formats are written by main.cpp.
#include <QColor>
#include <QImage>
#include <QString>
#include <array>

struct TBalloonStyle {
  QString Name;  // "Red", "Yellow", "Aqua", "Lime": the names the game looks up
  QColor Base;   // the rubber's own colour in diffuse light
  QColor Light;  // lit side (never white: white is the key)
  QColor Dark;   // shadow side and rim
};
const std::array<TBalloonStyle, 4>& BalloonStyles();

// 150 x 188 on exact white, body centred at (75, 75) with radius ~70;
// frame 0..2 sways left, upright, right.
QImage DrawBalloon(const TBalloonStyle& style, int frame);
// 160 x 240 burst balloon; mask gets the background (255 = background).
QImage DrawShot(const TBalloonStyle& style, QImage& mask);

// 100 x 125 badges on exact white, placed for a balloon stretched to the same box.
QImage DrawBonusBadge();
QImage DrawReviveBadge();
QImage DrawSpikyBadge();

QImage DrawSky();        // 543 x 407
QImage DrawShelter();    // 190 x 200, rounded pane, corners exact white
QImage DrawHitMarker();  // 32 x 32 indexed, 16 colours, index 0 white

// Glyphs on their key colour, RGB32.
QImage DrawExitGlyph();     // 16 x 16, key (254, 230, 248)
QImage DrawHelpGlyph();     // 16 x 16, key magenta
QImage DrawOptionsGlyph();  // 16 x 16, key magenta
QImage DrawRestartGlyph();  // 16 x 16, key magenta
QImage DrawSpeakerGlyph();  // 24 x 24, key magenta
QImage DrawOkGlyph();       // 16 x 16, key magenta: the settings dialog's OK (green tick)
QImage DrawCancelGlyph();   // 16 x 16, key magenta: its Cancel (red cross)

QImage DrawAimCursor();          // 32 x 32 ARGB, alpha 0 or 255
QImage DrawIcon(int size);       // size x size ARGB

// ---- shared helpers ----
// The ARGB drawing on the key colour with hard edges: a pixel at least half
// covered keeps its own colour (never mixed with the key), others become key.
// No kept pixel equals the key.
QImage FlattenOnKey(const QImage& argb, QRgb key, QImage* mask = nullptr);
// As FlattenOnKey, but edge pixels are mixed with `edge` (the colour the glyph
// will mostly be seen on) and only pixels under a quarter covered become key.
QImage FlattenGlyph(const QImage& argb, QRgb key, QColor edge);
// A transparent ARGB canvas.
QImage NewLayer(int w, int h);
// The game's bold face for lettering (Comic Neue Bold), pixel size.
QFont LetterFont(int pixelSize);
