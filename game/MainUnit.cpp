#include "game/MainUnit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <cstdlib>

#include "display/OverlayImage.h"
#include "display/PictureAssets.h"
#include "game/Balloon.h"
#include "game/Design.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

const char* const ProductWord1 = "Zuggle";
const char* const ProductWord2 = "Dart";

namespace {

const char* const PictureNames[] = {
    "imgRed1",    "imgRed2",       "imgRed3",      "imgYellow1",  "imgYellow2",    "imgYellow3",
    "imgAqua1",   "imgAqua2",      "imgAqua3",     "imgLime1",    "imgLime2",      "imgLime3",
    "imgRedShot", "imgYellowShot", "imgAquaShot",  "imgLimeShot", "imgBonus",      "imgRevive",
    "imgSpiky",   "imgShelter",    "imgHit",       "imgBackGround"};

QString StyleColor(TColor c) { return ToQColor(c).name(); }

// A widget font from the game's face name and a design font height.
QFont DesignFont(const char* face, int designHeight, bool bold) {
  TFont f;
  f.Name = QString::fromLatin1(face);
  f.Height = TForm1::Scaled(designHeight);
  f.Bold = bold;
  return f.ToQFont();
}
}  // namespace

int TForm1::Scaled(int designPixels) { return MulDiv(designPixels, ScreenPixelsPerInch(), 120); }

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Zuggle Dart"));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(WindowColor));
  setPalette(pal);
  // The window paints nothing of its own under its children (erase-background does nothing).
  setAttribute(Qt::WA_NoSystemBackground, false);

  FontDialog1Font.Name = QStringLiteral("Comic Sans MS");
  // Drawn on the playfield's pixels, not laid out with the controls, so it
  // keeps its height on every screen.
  FontDialog1Font.Height = -33;
  FontDialog1Font.Bold = true;
  FontDialog1Font.Color = ClockColor;

  CreateControls();
  LoadPictures();

  // Window set-up: the aiming cursor, the background on the playfield, the
  // overlay text style, borderless full screen, the bar in its game state.
  FAimCursor = LoadAimCursor();
  FShowInstructions = true;
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                         : QRect(0, 0, DesignWidth, 864);
  setGeometry(screen);
  LayoutBar();  // a hidden window gets no resize event yet
  BaseImage1Resize();
  BaseImage1->SetOverlayFont(BaseImage1->Font());
  BaseImage1->OverlayFont().SetSize(28);
  BaseImage1->OverlayFont().Bold = true;
  BaseImage1->OverlayFont().Color = RGB(255, 0, 0);
  BaseImage1->OverlayBrush().Style = TBrushStyle::bsClear;
  CenterPanel8();
  ShowRadioGroups(false);
  SetBarHeight(48);
  OptionsBtn->hide();
  HelpBtn->hide();
  ExitBtn->hide();
  RestartBtn->hide();

  qApp->installEventFilter(this);
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  if (FAimCursorSet) QApplication::restoreOverrideCursor();
  FreeBalloons();
}

void TForm1::CreateControls() {
  Panel1 = new TPanel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->SetColor(clWhite);

  const QString groupStyle =
      QStringLiteral("QGroupBox { background: white; color: %1; } QRadioButton { color: %1; background: white; }")
          .arg(StyleColor(GroupColor));
  const QFont groupFont = DesignFont("Comic Sans MS", -13, true);
  auto makeGroup = [&](const char* name, const QString& caption, const QStringList& items) {
    auto* g = new TRadioGroup(caption, items, Panel1);
    g->setObjectName(QString::fromLatin1(name));
    g->setFont(groupFont);
    g->setStyleSheet(groupStyle);
    g->setFocusPolicy(Qt::NoFocus);
    return g;
  };
  rgrpLevel = makeGroup("rgrpLevel", QStringLiteral("Level"),
                        {"Easiest", "Easy", "Medium", "Harder", "Hardest"});
  rgrpSpeed = makeGroup("rgrpSpeed", QStringLiteral("Speed"), {"Slowest", "Slow", "Medium", "Fast", "Ultra"});
  rgrpSpecial = makeGroup("rgrpSpecial", QStringLiteral("Special Balloons"),
                          {"None", "Few", "Normal", "Many", "Lots"});

  acQuit = new QAction(QStringLiteral("Exit"), this);
  acQuit->setShortcut(QKeySequence(Qt::Key_Escape));
  acRestart = new QAction(QStringLiteral("Restart"), this);
  acRestart->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  acSettings = new QAction(QStringLiteral("Settings"), this);
  acSettings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  connect(acQuit, &QAction::triggered, this, [this] { acQuitExecute(); });
  connect(acRestart, &QAction::triggered, this, [this] { acRestartExecute(); });
  connect(acSettings, &QAction::triggered, this, [this] { acSettingsExecute(); });

  const QFont buttonFont = DesignFont("Comic Sans MS", -15, true);
  auto makeButton = [&](const char* name, const QString& caption) {
    auto* b = new QToolButton(Panel1);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setFont(buttonFont);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(LoadGlyph(QString::fromLatin1(name)));
    b->setIconSize(QSize(16, 16));
    b->setStyleSheet(QStringLiteral("QToolButton { color: %1; background: white; border: none; }"
                                    "QToolButton:hover { background: #eef4ff; }")
                         .arg(StyleColor(LabelColor)));
    return b;
  };
  HelpBtn = makeButton("HelpBtn", QStringLiteral("Help"));
  HelpBtn->setToolTip(QStringLiteral("Help Contents"));
  OptionsBtn = makeButton("OptionsBtn", QStringLiteral("Options"));
  RestartBtn = makeButton("RestartBtn", QStringLiteral("Restart"));
  ExitBtn = makeButton("ExitBtn", QStringLiteral("Exit"));
  connect(HelpBtn, &QToolButton::clicked, this, [this] {
    if (HelpBtnClick) HelpBtnClick();
  });
  connect(OptionsBtn, &QToolButton::clicked, acSettings, &QAction::trigger);
  connect(RestartBtn, &QToolButton::clicked, acRestart, &QAction::trigger);
  connect(ExitBtn, &QToolButton::clicked, acQuit, &QAction::trigger);

  Panel8 = new TPanel(Panel1);
  Panel8->setObjectName(QStringLiteral("Panel8"));
  Panel8->SetColor(PanelYellow);
  Panel8->BevelWidth = 3;
  const QFont labelFont = DesignFont("Comic Sans MS", -33, true);
  for (QLabel** l : {&Label1, &Label2}) {
    *l = new QLabel(Panel8);
    (*l)->setFont(labelFont);
    (*l)->setAttribute(Qt::WA_TranslucentBackground);
    QPalette p = (*l)->palette();
    p.setColor(QPalette::WindowText, ToQColor(LabelColor));
    (*l)->setPalette(p);
  }
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2->setObjectName(QStringLiteral("Label2"));
  Label1->move(3, 3);
  SetCaption(Label1, QStringLiteral(" %1 ").arg(QLatin1String(ProductWord1)));
  SetCaption(Label2, QStringLiteral(" %1 ").arg(QLatin1String(ProductWord2)));
  Label2->move(Label1->x() + Label1->width(), 3);
  SizePanel8();
  Panel8->move(Scaled(256), Scaled(47));

  BaseImage1 = new TOverlayImage(this);
  BaseImage1->setObjectName(QStringLiteral("BaseImage1"));
  BaseImage1Font.Name = QStringLiteral("Comic Sans MS");
  BaseImage1Font.Height = Scaled(-37);
  BaseImage1Font.Bold = true;
  BaseImage1Font.Color = BannerColor;
  BaseImage1->SetFont(BaseImage1Font);
  BaseImage1->OnOverlayPaint = [this](TOverlayImage*) { BaseImage1OverlayPaint(); };
  BaseImage1->OnResize = [this](TOverlayImage*) { BaseImage1Resize(); };
  BaseImage1->OnMouseDown = [this](TOverlayImage*, TMouseButton b, TShiftState s, int x, int y) {
    BaseImage1MouseDown(b, s, x, y);
  };
}

void TForm1::LoadPictures() {
  for (const char* name : PictureNames) {
    TImage img;
    img.Name = QString::fromLatin1(name);
    img.Graphic = LoadGamePicture(img.Name);
    FImages.emplace(img.Name, std::move(img));
  }
  if (const TImage* hit = FindImage(QStringLiteral("imgHit"))) FHitImage = hit->Graphic.get();
  auto pic = [this](const char* n) {
    const TImage* img = FindImage(QString::fromLatin1(n));
    return img ? img->Graphic.get() : nullptr;
  };
  FRoundState.Pictures.GetImage = [this](std::uint8_t c, int i) { return GetBalloonImage(c, i); };
  FRoundState.Pictures.GetShot = [this](std::uint8_t c, int i) { return GetShotImage(c, i); };
  FRoundState.Pictures.Badges = TBadgePictures{pic("imgBonus"), pic("imgRevive"), pic("imgSpiky")};
}

const TImage* TForm1::FindImage(const QString& name) const {
  const auto it = FImages.find(name);
  return it == FImages.end() ? nullptr : &it->second;
}

const TBitmap* TForm1::GetBalloonImage(std::uint8_t Colour, int Index) const {
  const TImage* img = FindImage(BalloonImageName(Colour, Index));
  return img ? img->Graphic.get() : nullptr;
}

const TBitmap* TForm1::GetShotImage(std::uint8_t Colour, int) const {
  const TImage* img = FindImage(ShotImageName(Colour));
  return img ? img->Graphic.get() : nullptr;
}

std::unique_ptr<TBalloon> TForm1::NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                             int Chance) const {
  return FRoundState.NewBalloon(Number, Colour, Size, Speed, Chance);
}

std::unique_ptr<TBalloon> TForm1::NewBalloon(int Number, std::uint8_t Colour, std::uint8_t Size, double Speed,
                                             bool Bonus, bool Revive, bool Spiky) const {
  return FRoundState.NewBalloon(Number, Colour, Size, Speed, Bonus, Revive, Spiky);
}

TRect TForm1::Playfield() const {
  const QSize pixels = BaseImage1->PixelSize();
  return Rect(0, 0, pixels.width(), pixels.height());
}

int TForm1::InPixels(int designPixels) const {
  const qreal r = BaseImage1->PixelRatio();
  if (r == 1) return designPixels;
  // Halves away from zero, so that a negative font height grows like a positive one.
  const int magnitude = qRound(std::abs(designPixels) * r);
  return designPixels < 0 ? -magnitude : magnitude;
}

TFont TForm1::InPixels(const TFont& designFont) const {
  TFont f = designFont;
  f.Height = InPixels(designFont.Height == 0 ? -16 : designFont.Height);
  return f;
}

void TForm1::FollowPixelRatio() {
  const qreal r = BaseImage1->PixelRatio();
  BaseImage1->SetFont(InPixels(BaseImage1Font));
  if (r == 1) {
    FHitImageInPixels.reset();
  } else if (FHitImage && (!FHitImageInPixels || FHitImageInPixels->Width() != InPixels(FHitImage->Width()))) {
    FHitImageInPixels = std::make_unique<TBitmap>(InPixels(FHitImage->Width()), InPixels(FHitImage->Height()));
    FHitImageInPixels->Canvas().StretchDraw(Rect(0, 0, FHitImageInPixels->Width(), FHitImageInPixels->Height()),
                                            *FHitImage);
    FHitImageInPixels->Transparent = FHitImage->Transparent;
  }
  if (r != FAimCursorRatio) {
    FAimCursor = LoadAimCursor(r);
    FAimCursorRatio = r;
    if (FAimCursorSet) QApplication::changeOverrideCursor(FAimCursor);
  }
}

void TForm1::TakeRoundSettings() {
  FRoundState.Settings = {rgrpLevel->ItemIndex(), rgrpSpeed->ItemIndex(), rgrpSpecial->ItemIndex()};
}

// ---- layout -----------------------------------------------------------------

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutBar();
}

void TForm1::closeEvent(QCloseEvent* event) {
  FQuit = true;
  QWidget::closeEvent(event);
}

void TForm1::SetBarHeight(int designHeight) {
  FBarDesignHeight = designHeight;
  LayoutBar();
}

void TForm1::LayoutBar() {
  if (!Panel1) return;
  const int W = width();
  const int barH = Scaled(FBarDesignHeight);
  // Controls anchored to the bar's bottom keep their distance to it; those
  // anchored to the right edge keep their distance to the window's right edge
  // (the design bar was 784 pixels wide).
  const int designBar = Scaled(98);
  const int dy = barH - designBar;
  const int right = W - Scaled(784);
  Panel1->setGeometry(0, 0, W, barH);
  rgrpLevel->setGeometry(Scaled(2), Scaled(-5), Scaled(101), Scaled(104) + dy);
  rgrpSpeed->setGeometry(Scaled(104), Scaled(-5), Scaled(97), Scaled(104) + dy);
  rgrpSpecial->setGeometry(Scaled(577) + right, Scaled(-5), Scaled(112), Scaled(104) + dy);
  HelpBtn->setGeometry(Scaled(692) + right, Scaled(0), Scaled(90), Scaled(25));
  OptionsBtn->setGeometry(Scaled(692) + right, Scaled(24), Scaled(90), Scaled(25));
  RestartBtn->setGeometry(Scaled(692) + right, Scaled(48) + dy, Scaled(90), Scaled(25));
  ExitBtn->setGeometry(Scaled(692) + right, Scaled(73) + dy, Scaled(90), Scaled(25));
  Panel8->move(Panel8->x(), Scaled(47) + dy);
  BaseImage1->setGeometry(0, barH, W, std::max(0, height() - barH));
  // The one place the playfield's size changes: the rules follow it here.
  FRoundState.FArea = Playfield();
}

void TForm1::SetCaption(QLabel* label, const QString& text) {
  label->setText(text);
  const QFontMetrics m(label->font());
  label->resize(m.horizontalAdvance(text), m.height());
  if (label == Label1 && Label2) Label2->move(Label1->x() + Label1->width(), Label2->y());
  SizePanel8();
}

void TForm1::SizePanel8() {
  if (!Label1 || !Label2 || !Panel8) return;
  // The panel wraps its labels with its bevel's width on every side.
  const int w = Label2->x() + Label2->width() + 3;
  const int h = std::max(Label1->height(), Label2->height()) + 6;
  Panel8->resize(w, h);
}

void TForm1::CenterPanel8() { Panel8->move(Panel1->width() / 2 - Panel8->width() / 2, Panel8->y()); }

void TForm1::ShowRadioGroups(bool show) {
  for (TRadioGroup* g : {rgrpLevel, rgrpSpeed, rgrpSpecial}) {
    g->setEnabled(show);
    g->setVisible(show);
  }
}

void TForm1::PanelFlash() {
  Panel8->SetColor(clRed);
  Panel8->repaint();
  ::Sleep(150);
  Panel8->SetColor(PanelYellow);
  Panel8->repaint();
}

// ---- input routing ----------------------------------------------------------

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease &&
      event->type() != QEvent::ShortcutOverride)
    return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != this) return false;
  auto* k = static_cast<QKeyEvent*>(event);
  const int key = k->key();
  const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
  if (event->type() == QEvent::ShortcutOverride) {
    // Alt alone must never reach the desktop's menu handling: the game keeps it.
    return key == Qt::Key_Alt;
  }
  if (event->type() == QEvent::KeyPress) {
    // The actions' own shortcuts (Esc, Ctrl+R, Ctrl+S) work wherever the focus is.
    const QKeySequence pressed(QKeyCombination(mods, static_cast<Qt::Key>(key)));
    for (QAction* a : {acQuit, acRestart, acSettings})
      if (a->shortcut() == pressed) {
        a->trigger();
        return true;
      }
    if (KeyPreview) {
      FormKeyDown(key, k->timestamp(), k->isAutoRepeat());
      return key == Qt::Key_Space || key == Qt::Key_Alt;
    }
    return key == Qt::Key_Alt;
  }
  // Releases count also between rounds: a key let go there must not leave the
  // next round's first press ignored.
  FormKeyUp(key, k->timestamp(), k->isAutoRepeat());
  return key == Qt::Key_Alt;
}

void TForm1::acSettingsExecute() {
  if (ShowSettingsDialog) ShowSettingsDialog();
}

// ---- sound ------------------------------------------------------------------

void TForm1::StartSoundThread() {
  if (FNoSound) return;
  ::StartSoundThread(FRoundState.FSoundQueue);
}

void TForm1::PlaySound(TSoundEvent E) {
  if (FNoSound) return;
  PlaySoundEvent(E, false);
}
