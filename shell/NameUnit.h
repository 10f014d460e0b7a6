#pragma once
// The name-entry dialog: a small borderless window with one editable cell,
// pre-filled with the last name, asked before every game but a restarted one.
// It is created once at program start and reused for every game.
#include <QLineEdit>
#include <QLabel>

#include "shell/ModalForm.h"

class TColorBevel;
class TForm1;

// 360 x 113 pixels (not scaled with the screen's pixels per inch), RGB(81, 95,
// 124), with an engraved frame, the label " Enter your name: " and the name cell.
// Enter confirms, and so does a click anywhere outside the cell; Esc does
// nothing; closing by the desktop cancels. Any text is taken, the empty one
// included, with no trimming and no length limit.
class TForm3 : public TModalForm {
  Q_OBJECT
public:
  explicit TForm3(QWidget* Parent = nullptr);

  // Components, owned through Qt's parent chain.
  TColorBevel* ColorBevel1 = nullptr;  // the frame over the whole client area; clicking it confirms
  QLabel* Label1 = nullptr;            // clicks fall through to the frame beneath
  // The name cell: one editable text cell, 313 x 50, white, navy text. The only
  // control that takes the keyboard; its text is the name being edited.
  QLineEdit* StringGrid1 = nullptr;

  // The dialog is shown: the keyboard goes to the cell, whose whole text is
  // selected so that typing replaces it and an arrow key or a click keeps it.
  void FormShow();
  // A key, seen by the window before the cell: Enter confirms (and still goes
  // on to the cell). Returns false: the key is never swallowed.
  bool FormKeyPress(int Key);
  void ColorBevel1Click();

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
};

// Shows Form.FPlayerName in the cell, shows the dialog modally over Form and,
// when it was confirmed, stores the cell's text back into Form.FPlayerName
// exactly as typed; otherwise Form.FPlayerName stays as it was.
void AskPlayerName(TForm1& Form, TForm3& Form3);
