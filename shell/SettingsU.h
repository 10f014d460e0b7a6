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
class QSlider;
class TForm1;

// The settings dialog: fixed pixel layout on white, not scaled with the screen's
// pixels per inch. Built afresh for each use, so CheckBox2 always starts clear.
// OK (the default button, Enter) closes it with QDialog::Accepted; Cancel (Esc)
// and the caption bar's close button with QDialog::Rejected.
class TSettingsForm : public QDialog {
  Q_OBJECT
public:
  explicit TSettingsForm(QWidget* parent = nullptr);

  // Components, owned through Qt's parent chain.
  QGroupBox* GroupBox1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;  // " I want to skip the game instructions on start"
  QCheckBox* CheckBox2 = nullptr;  // " I want to start a new highscore list"
  QGroupBox* GroupBox2 = nullptr;  // "Sound"
  // The speakers' master volume. It stays disabled until the mixer is connected;
  // then it acts at once while moved, and neither OK nor Cancel undoes it.
  QSlider* VolumeBar = nullptr;
  QLabel* Image1 = nullptr;        // the loudspeaker beside the slider
  QCheckBox* CheckBox3 = nullptr;  // " I want to turn off the sound"
  QPushButton* BitBtn1 = nullptr;  // OK
  QPushButton* BitBtn2 = nullptr;  // Cancel
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
void ShowSettingsDialog(TForm1& Form);
