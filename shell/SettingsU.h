#pragma once
// The settings: the game window's player name and its two switches kept in the
// settings file between runs, and the dialog that edits the switches and can
// empty the highscore list. Everything here runs on the window's thread.
#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TForm1;
class TmxMixer;
class TmxMixerVolumeControls;
class TmxTrackBar;

// The settings dialog: fixed pixel layout on white, not scaled with the screen's
// pixels per inch. Built afresh for each use, so CheckBox2 always starts clear.
// OK (the default button, Enter) closes it with QDialog::Accepted; Cancel (Esc)
// and the caption bar's close button with QDialog::Rejected.
//
// The "Sound" group's slider is the speakers' master volume of mixer device 0,
// final at once: it acts while it is moved, and neither OK nor Cancel undoes it.
// Building the dialog opens the device; when it cannot be opened (or its
// speakers cannot be read), the constructor raises the mixer's EMMSysError and
// no dialog exists. A device without a speakers line or without a volume
// control on it gives a slider from 0 to 10 at 10 that changes nothing.
class TSettingsForm : public QDialog {
  Q_OBJECT
public:
  explicit TSettingsForm(QWidget* parent = nullptr);
  // Lets the panel go before the mixer closes the device.
  ~TSettingsForm() override;

  // Copies the panel's range and the speakers' louder channel onto the slider.
  // Runs once the mixer is open and the panel has selected its line.
  void FormCreate(QObject* Sender);
  // The slider's change handler (user or program): moves the panel's volume
  // bar, which writes the speakers' two channels at once, balance kept.
  void VolumeBarChange(QObject* Sender);
  // The slider's mouse-up handler, any button: plays the test pop after its
  // 28 ms pause and holds the dialog until it has played, whatever the game's
  // sound switch or CheckBox3 say.
  void VolumeBarMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

  // Components, owned through Qt's parent chain.
  QGroupBox* GroupBox1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;  // " I want to skip the game instructions on start"
  QCheckBox* CheckBox2 = nullptr;  // " I want to start a new highscore list"
  QGroupBox* GroupBox2 = nullptr;  // "Sound"
  // The speakers' volume, quiet at the left: slider position = VolumeMax − the
  // panel's position (the panel's vertical bar grows downwards).
  TmxTrackBar* VolumeBar = nullptr;
  QLabel* Image1 = nullptr;        // the loudspeaker beside the slider
  QCheckBox* CheckBox3 = nullptr;  // " I want to turn off the sound"
  QPushButton* BitBtn1 = nullptr;  // OK
  QPushButton* BitBtn2 = nullptr;  // Cancel
  // Mixer device 0 (a child object) and the hidden panel bound to its speakers
  // line (a child widget at (8, 20), 157 x 225, never shown).
  TmxMixer* mxMixer1 = nullptr;
  TmxMixerVolumeControls* VolumeCtrl = nullptr;
};

// The settings file's section and keys.
extern const QString SettingsSection;      // "General"
extern const QString KeyLastName;          // "LastName"
extern const QString KeyShowInstructions;  // "Show Instructions"
extern const QString KeyNoSound;           // "No Sound"

// Fills FPlayerName (default ""), FShowInstructions (default true) and FNoSound
// (default false) from the settings file. A missing, unreadable, damaged or
// binary file gives the defaults of whatever cannot be read; nothing is
// reported and nothing is written.
void LoadSettings(TForm1& Form, const QString& FileName);

// Re-reads the file as it is on disk now, sets the three keys in its "General"
// section (in place where they are, appended where not) and replaces the file
// atomically (a temporary file beside it, flushed, then renamed over it).
// Returns false after showing "Cannot create file "<path>". <reason>" through
// Form.ShowMessage when the file cannot be read or written; the old file then
// stays as it was.
bool SaveSettings(TForm1& Form, const QString& FileName);

// The settings action: opens a fresh dialog modally over the game window with
// CheckBox1 = not FShowInstructions, CheckBox3 = FNoSound, CheckBox2 clear.
// OK applies the switches and, with CheckBox2 ticked, empties the highscore
// lists; Cancel changes nothing. Either way RedrawStartScreen follows. The
// game's loops stand still meanwhile; its clock does not.
// When the dialog cannot be built (the mixer device cannot be opened), the
// mixer's message is shown through Form.ShowMessage (the mixer's own error
// box when the window has none) and nothing else happens: no dialog, no
// change, no redraw. The error does not go further.
void ShowSettingsDialog(TForm1& Form);
