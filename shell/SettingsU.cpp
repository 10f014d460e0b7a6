#include "shell/SettingsU.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <optional>

#include "display/Bitmap.h"
#include "display/PictureAssets.h"
#include "game/MainUnit.h"
#include "shell/AtomicFile.h"
#include "shell/HighscoreUnit.h"
#include "shell/IniFile.h"
#include "sound/SoundEffects.h"
#include "sound/mxMixer.h"
#include "sound/mxMixerVolumeControls.h"
#include "sound/mxTrackBars.h"

const QString SettingsSection = QStringLiteral("General");
const QString KeyLastName = QStringLiteral("LastName");
const QString KeyShowInstructions = QStringLiteral("Show Instructions");
const QString KeyNoSound = QStringLiteral("No Sound");

namespace {

// The dialog's outer size is 447 x 326 on a classic dialog frame (3-pixel
// edges, 22-pixel caption); Qt sizes the client area, the window manager adds
// its own frame.
constexpr int ClientWidth = 447 - 2 * 3;
constexpr int ClientHeight = 326 - 2 * 3 - 22;

// Group captions in the caption blue of the desktop's themed dialogs, which
// draw captions in their own colour: a near-white caption font colour would
// vanish on this white dialog.
const QColor GroupCaptionColor(0, 70, 213);

QString CannotCreate(const QString& FileName, const QString& reason) {
  return QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, reason);
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& caption, QRect bounds) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(bounds);
  // The group's caption colour is not meant for the captions of the boxes in it.
  QPalette pal = box->palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  box->setPalette(pal);
  return box;
}

QGroupBox* NewGroupBox(QWidget* parent, const char* name, const QString& caption, QRect bounds) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(QString::fromLatin1(name));
  group->setGeometry(bounds);
  QPalette pal = group->palette();
  pal.setColor(QPalette::WindowText, GroupCaptionColor);
  group->setPalette(pal);
  return group;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption, const char* glyph,
                       QRect bounds) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(bounds);
  button->setIcon(LoadGlyph(QString::fromLatin1(glyph)));
  button->setIconSize(QSize(16, 16));
  return button;
}

}  // namespace

TSettingsForm::TSettingsForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("SettingsForm"));
  setWindowTitle(QStringLiteral("Settings "));
  setFixedSize(ClientWidth, ClientHeight);
  TFont font;
  font.Name = QStringLiteral("Arial");
  font.Height = -15;
  font.Bold = true;
  QFont dialogFont = font.ToQFont();
  // Hinted like the desktop's own dialog text: crisper at this small size, and
  // the captions then fit the boxes they were laid out for.
  dialogFont.setHintingPreference(QFont::PreferFullHinting);
  setFont(dialogFont);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::Button, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  pal.setColor(QPalette::ButtonText, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);

  // The mixer opens device 0 first; a failure here leaves the constructor
  // before anything else exists (Qt frees the children made so far).
  mxMixer1 = new TmxMixer(this);
  mxMixer1->setObjectName(QStringLiteral("mxMixer1"));
  mxMixer1->SetDeviceID(0);

  GroupBox1 = NewGroupBox(this, "GroupBox1", QStringLiteral("Check or uncheck the box to say what you want"),
                          QRect(32, 24, 369, 97));
  CheckBox1 = NewCheckBox(GroupBox1, "CheckBox1", QStringLiteral(" I want to skip the game instructions on start"),
                          QRect(20, 28, 337, 17));
  CheckBox2 = NewCheckBox(GroupBox1, "CheckBox2", QStringLiteral(" I want to start a new highscore list"),
                          QRect(20, 60, 329, 17));

  GroupBox2 = NewGroupBox(this, "GroupBox2", QStringLiteral("Sound"), QRect(32, 128, 369, 125));
  // A new track bar's defaults (0 to 10, line 1, page 2, a tick at every
  // position) until FormCreate gives it the volume range.
  VolumeBar = new TmxTrackBar(GroupBox2);
  VolumeBar->setObjectName(QStringLiteral("VolumeBar"));
  VolumeBar->setGeometry(16, 28, 289, 45);
  VolumeBar->SetEnableSelRange(false);
  Image1 = new QLabel(GroupBox2);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(316, 28, 24, 24);
  Image1->setPixmap(LoadGlyph(QStringLiteral("imgSpeaker")));
  CheckBox3 = NewCheckBox(GroupBox2, "CheckBox3", QStringLiteral(" I want to turn off the sound"),
                          QRect(20, 88, 293, 17));

  BitBtn1 = NewButton(this, "BitBtn1", QStringLiteral("OK"), "BitBtn1", QRect(134, 260, 84, 25));
  BitBtn1->setDefault(true);
  BitBtn2 = NewButton(this, "BitBtn2", QStringLiteral("Cancel"), "BitBtn2", QRect(222, 260, 84, 25));
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(CheckBox1, CheckBox2);
  setTabOrder(CheckBox2, VolumeBar);
  setTabOrder(VolumeBar, CheckBox3);
  setTabOrder(CheckBox3, BitBtn1);
  setTabOrder(BitBtn1, BitBtn2);
  CheckBox1->setFocus();

  // The invisible panel does the mixer's arithmetic; the slider only mirrors its
  // volume bar. Its line is chosen once everything is in place, as when a
  // stored form has finished loading.
  VolumeCtrl = new TmxMixerVolumeControls(this);
  VolumeCtrl->setObjectName(QStringLiteral("VolumeCtrl"));
  VolumeCtrl->BeginLoading();
  VolumeCtrl->setGeometry(8, 20, 157, 225);
  VolumeCtrl->hide();
  VolumeCtrl->SetBorderStyle(bsNone);
  VolumeCtrl->SetMixer(mxMixer1);
  VolumeCtrl->SetSourceType(lsUndefined);
  VolumeCtrl->SetDestinationType(ldSpeakers);
  VolumeBar->OnChange = [this](QObject* Sender) { VolumeBarChange(Sender); };
  VolumeBar->OnMouseUp = [this](QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    VolumeBarMouseUp(Sender, Button, Shift, X, Y);
  };
  VolumeCtrl->Loaded();
  FormCreate(this);

  // Centred on the screen (the game window covers it, so also over the game).
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    move(screen->geometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));
}

TSettingsForm::~TSettingsForm() {
  // The panel is attached to controls of the mixer's device: it goes first.
  delete VolumeCtrl;
  VolumeCtrl = nullptr;
}

void TSettingsForm::FormCreate(QObject* /*Sender*/) {
  // The bar is new (0 of 0 to 10), so neither bound moves it; only the position
  // does, and its change hands the panel the position the panel already has:
  // opening writes nothing of its own.
  VolumeBar->SetMax(VolumeCtrl->VolumeMax());
  VolumeBar->SetMin(VolumeCtrl->VolumeMin());
  VolumeBar->SetPosition(VolumeCtrl->VolumeMax() - VolumeCtrl->VolumePosition());
}

void TSettingsForm::VolumeBarChange(QObject* /*Sender*/) {
  VolumeCtrl->SetVolumePosition(VolumeCtrl->VolumeMin() + VolumeCtrl->VolumeMax() - VolumeBar->Position());
}

void TSettingsForm::VolumeBarMouseUp(QObject* /*Sender*/, Qt::MouseButton /*Button*/,
                                     Qt::KeyboardModifiers /*Shift*/, int /*X*/, int /*Y*/) {
  // A test of the volume just set, so it plays even with the game's sound off.
  PlaySoundEvent(seLargeBalloonHit, true);
}

void LoadSettings(TForm1& Form, const QString& FileName) {
  QFile file(FileName);
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  const TIniFile ini(bytes);
  Form.FPlayerName = ini.ReadString(SettingsSection, KeyLastName, QString());
  Form.FShowInstructions = ini.ReadBool(SettingsSection, KeyShowInstructions, true);
  Form.FNoSound = ini.ReadBool(SettingsSection, KeyNoSound, false);
}

bool SaveSettings(TForm1& Form, const QString& FileName) {
  auto fail = [&](const QString& reason) {
    if (Form.ShowMessage) Form.ShowMessage(CannotCreate(FileName, reason));
    return false;
  };
  QByteArray present;
  {
    QFile file(FileName);
    // What cannot be read cannot be kept: rather than drop other programs'
    // content, leave the file alone.
    if (file.exists()) {
      if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
      present = file.readAll();
      if (file.error() != QFileDevice::NoError) return fail(file.errorString());
    }
  }
  TIniFile ini(present);
  ini.WriteString(SettingsSection, KeyLastName, Form.FPlayerName);
  ini.WriteBool(SettingsSection, KeyShowInstructions, Form.FShowInstructions);
  ini.WriteBool(SettingsSection, KeyNoSound, Form.FNoSound);

  QString reason;
  if (!WriteFileAtomically(FileName, ini.ToBytes(), reason)) return fail(reason);
  return true;
}

void ShowSettingsDialog(TForm1& Form) {
  std::optional<TSettingsForm> built;
  try {
    built.emplace(&Form);
  } catch (const EMMSysError& e) {
    // Runs inside the action's Qt handler: the error ends here, shown.
    if (Form.ShowMessage) {
      // The mixer's texts break their line with a carriage return.
      Form.ShowMessage(e.Message().replace(QChar('\r'), QChar('\n')));
    } else {
      ShowMixerError(std::current_exception());
    }
    return;
  }
  TSettingsForm& dialog = *built;
  dialog.CheckBox1->setChecked(!Form.FShowInstructions);
  dialog.CheckBox3->setChecked(Form.FNoSound);
  dialog.CheckBox2->setChecked(false);
  // During a round the aiming cursor stands over the whole program; a child
  // aims at the dialog's boxes with the ordinary arrow.
  QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = dialog.exec();
  QGuiApplication::restoreOverrideCursor();
  if (result == QDialog::Accepted) {
    Form.FShowInstructions = !dialog.CheckBox1->isChecked();
    Form.FNoSound = dialog.CheckBox3->isChecked();
    if (dialog.CheckBox2->isChecked()) ClearHighscores(Form);
  }
  Form.RedrawStartScreen();
}
