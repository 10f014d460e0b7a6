#pragma once
// The splash window: the application's main window, the first window created
// and the only feedback while the game window is made and the machine's speed
// is measured. Borderless, always on top, centred, 439 x 189 design pixels at
// 120 pixels per inch scaled to the screen, with an engraved frame and the
// title "Zuggle Dart" in red with a light rim. Closing it ends the program.
// Window thread only.
#include <QEvent>
#include <QWidget>
#include <functional>

class QPainter;
class TColorBevel;

// Posted by the splash to itself when it is first shown; its handler is the
// start-up loader.
inline constexpr QEvent::Type WM_SPLASHSTART = static_cast<QEvent::Type>(1027);

class TForm2 final : public QWidget {
  Q_OBJECT
public:
  explicit TForm2(QWidget* parent = nullptr);

  // The start-up loader, run once when WM_SPLASHSTART is dispatched; may be
  // empty (then the message does nothing). It may pump messages and run the
  // whole game before it returns.
  std::function<void()> OnSplashStart;

  // The engraved frame over the whole client area: the window's colour, bevel
  // width 3 design pixels (1 to 4 screen pixels). Owned through Qt's parent chain.
  TColorBevel* ColorBevel1 = nullptr;

  // No longer kept above other windows (it stays visible until hidden).
  void MakeOrdinary();

  // Client size in design pixels and the scale to the screen (its pixels
  // per inch / 120).
  static constexpr int DesignWidth = 439;
  static constexpr int DesignHeight = 189;
  static double Scale();

signals:
  // The window was closed: the program is to end.
  void Closed();

protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  // The show handler is set until the first show; it removes itself so that
  // a later showing starts nothing again.
  bool FShowHandlerSet = true;
};

// Paints the splash's client area beneath its frame on P, whose coordinates
// are device pixels: the window colour and the title, for Width x Height
// device pixels at Scale device pixels per design pixel. The glyphs are
// rendered at that size (never a scaled picture), so the title is sharp at
// any scale; its boxes fall on whole device pixels.
void PaintSplash(QPainter& P, int Width, int Height, double Scale);
