#pragma once
// The game's pictures, aiming cursor and icon, embedded as Qt resources
// (":/pictures/...", ":/cursors/AIM.cur", ":/icons/...") and looked up by the
// names of the components that hold them. Call from the GUI thread only
// (cursors, icons and pixmaps need the QGuiApplication).
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

#include "display/Bitmap.h"

// An embedded picture, the cursor or the icon exists but cannot be read (a
// damaged build). The one error type of this unit, whatever the stored format;
// what() names the picture and the fault.
class EPictureError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The picture of the named component ("imgRed1", "imgLimeShot", "imgBonus",
// "imgBackGround", "imgShelter", "imgHit", and the glyphs "ExitBtn",
// "HelpBtn", "OptionsBtn", "RestartBtn", "imgSpeaker", and the settings
// dialog's "BitBtn1" (OK) and "BitBtn2" (Cancel)): a new bitmap owned by
// the caller, with PixelFormat the stored depth (pf24bit for JPEGs and 24-bit
// bitmaps, pf8bit, pf4bit) and Transparent set as on the component.
// nullptr when the name denotes no picture. Throws EPictureError when the
// stored picture is damaged.
std::unique_ptr<TBitmap> LoadGamePicture(const QString& name);

// The names LoadGamePicture knows, game pictures first, then the glyphs.
QStringList GamePictureNames();

// A button glyph ("ExitBtn", "HelpBtn", "OptionsBtn", "RestartBtn",
// "imgSpeaker", "BitBtn1", "BitBtn2") with its key colour masked out, for Qt
// buttons and labels.
// Null pixmap when the name denotes no glyph.
QPixmap LoadGlyph(const QString& name);

// The aiming cursor "AIM": 32 x 32, hot spot (16, 16), masked pixels transparent.
// Throws EPictureError when the stored cursor is missing or damaged.
//
// For a screen with a device pixel ratio other than 1 the cursor is made at
// the ratio's size: the picture scaled to Round(32 * ratio) pixels (pixel for
// pixel at whole ratios, smoothly otherwise) and marked with the ratio, so it
// looks as large as at a ratio of 1. The hot spot is the first pixel of the
// scaled hot spot pixel: in the picture's pixels on X11, whose cursors take
// it so, in logical pixels (16, 16) elsewhere.
QCursor LoadAimCursor(qreal ratio = 1);

// The program icon: the 32 x 32 picture of MAINICON.ico plus the 48, 64, 128
// and 256 pixel renderings for the desktop. Empty icon if none is stored.
QIcon LoadMainIcon();
