#pragma once
// The highscore table on the game window (its three hidden lists lbNames,
// lbScores, lbLevel), its file Scores.dat, the entry of a finished game and the
// highscore window. Window thread only.
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QString>
#include <cstdint>

#include "shell/HighscoreTable.h"
#include "shell/ModalForm.h"

class TForm1;

// Posted by the highscore window to itself when it is shown.
inline constexpr QEvent::Type WM_HIGHSCOREREADY = static_cast<QEvent::Type>(1026);

// The highscore window, created for each showing and freed afterwards: 503 x 560
// pixels (not scaled with the screen's pixels per inch), white, a navy frame,
// " Highscores ", and four columns of rows 25 pixels high (20 rows fit): the
// ranks "1." to "20." in grey, then names, scores and levels in navy. The
// columns take no input.
//
// It is ready ReadyDelayMs after its ready message has been handled. Enter or a
// left click (on the window, its title or its columns) closes it with mrOk once
// it is ready; before that they are ignored, so that the last clicks and keys of
// a round do not close it unseen. No other key closes it.
class TForm4 : public TModalForm {
  Q_OBJECT
public:
  static constexpr std::uint32_t ReadyDelayMs = 200;

  explicit TForm4(QWidget* Parent = nullptr);

  // Components, owned through Qt's parent chain.
  QLabel* Label1 = nullptr;
  QWidget* Panel1 = nullptr;
  QListWidget* ListBox3 = nullptr;  // ranks
  QListWidget* ListBox1 = nullptr;  // names
  QListWidget* ListBox2 = nullptr;  // scores
  QListWidget* ListBox4 = nullptr;  // levels

  // Copies the table into the name, score and level columns.
  void FillColumns(const THighscoreTable& Table);
  // Selects Row in all four columns (the rank column only where it has that
  // row); -1 selects nothing.
  void SelectRow(int Row);
  // The selected row of the name column, -1 for none.
  int SelectedRow() const;
  bool Ready() const;

protected:
  bool event(QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

private:
  bool FReadyMessageHandled = false;
  std::uint32_t FReadyMessageAt = 0;  // timeGetTime when the ready message was handled
  bool FLeftDown = false;
};

// Reads the table from the highscore file FileName into the three lists when
// the file exists; a missing file leaves them as they are, silently. A file that
// is present but cannot be read or is damaged never stops the game: the lists
// are emptied, one line on stderr says what was wrong, and the file is moved
// aside to FileName + ".damaged" (".damaged.1", ".damaged.2", ... when taken) so
// that the next save replaces nobody's scores.
void LoadHighscores(TForm1& Form, const QString& FileName);

// Writes the three lists to FileName atomically: a temporary file beside it is
// written, flushed and renamed over it, so a failed save leaves the old file
// whole. A file there that does not read as a table is first moved aside as
// LoadHighscores does. On failure shows "Cannot create file "<path>". <reason>"
// through Form.ShowMessage (stderr when it is empty) and returns false.
bool SaveHighscores(TForm1& Form, const QString& FileName);

// The end of a finished game: enters Form.FGameScore with Form.FPlayerName and
// the chosen level when it qualifies (with the highscore sound unless the sound
// is off, and the "You made the" / "highscore list!" banner for 2000 ms), sorts,
// then shows the highscore window modally with the player's row selected (the
// first row of that score and exactly that name), also when the game did not
// qualify.
void GameOver(TForm1& Form);

// Removes every row of the three lists.
void ClearHighscores(TForm1& Form);
