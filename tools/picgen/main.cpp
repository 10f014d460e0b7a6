// Draws every picture of the game and writes it in its stored format:
//   picgen <assets dir>
// Output is deterministic, so rerunning it changes no file unless a drawing
// changed.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

#include "FileWriters.h"
#include "JpegWriter.h"
#include "Pictures.h"

namespace {

// The icon's small size is seen on window frames and task bars, where the
// alpha channel of a 24-bit icon is only a mask: keep half-covered pixels.
TIconPicture IconPicture(int size) { return {DrawIcon(size), 24}; }

void Generate(const QString& assets) {
  const QString pics = assets + "/pictures/";
  for (const auto& dir : {"pictures", "cursors", "icons"}) QDir(assets).mkpath(dir);

  for (const auto& st : BalloonStyles()) {
    for (int f = 0; f < 3; ++f) WriteBmp24(pics + "img" + st.Name + QString::number(f + 1) + ".bmp", DrawBalloon(st, f));
    QImage mask;
    const QImage shot = DrawShot(st, mask);
    WriteKeyedJpeg(pics + "img" + st.Name + "Shot.jpg", shot, mask);
  }
  WriteBmp24(pics + "imgBonus.bmp", DrawBonusBadge());
  WriteBmp24(pics + "imgRevive.bmp", DrawReviveBadge());
  WriteBmp24(pics + "imgSpiky.bmp", DrawSpikyBadge());
  WriteJpeg(pics + "imgBackGround.jpg", DrawSky(), 92);
  WriteBmp24(pics + "imgShelter.bmp", DrawShelter());
  WriteBmpIndexed(pics + "imgHit.bmp", DrawHitMarker(), 4);

  WriteBmp24(pics + "ExitBtn.bmp", DrawExitGlyph());
  WriteBmpIndexed(pics + "HelpBtn.bmp", ToIndexed(DrawHelpGlyph(), 256), 8);
  WriteBmpIndexed(pics + "OptionsBtn.bmp", ToIndexed(DrawOptionsGlyph(), 256), 8);
  WriteBmpIndexed(pics + "RestartBtn.bmp", ToIndexed(DrawRestartGlyph(), 256), 8);
  WriteBmpIndexed(pics + "imgSpeaker.bmp", ToIndexed(DrawSpeakerGlyph(), 256), 8);
  WriteBmpIndexed(pics + "BitBtn1.bmp", ToIndexed(DrawOkGlyph(), 256), 8);
  WriteBmpIndexed(pics + "BitBtn2.bmp", ToIndexed(DrawCancelGlyph(), 256), 8);

  WriteCursor(assets + "/cursors/AIM.cur", {DrawAimCursor(), 8}, 16, 16);
  WriteIcon(assets + "/icons/MAINICON.ico", {IconPicture(32)});
  for (int size : {48, 64, 128, 256})
    DrawIcon(size).save(assets + "/icons/ZuggleDart-" + QString::number(size) + ".png");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: picgen <assets dir>\n");
    return 2;
  }
  try {
    Generate(QString::fromLocal8Bit(argv[1]));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "picgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
