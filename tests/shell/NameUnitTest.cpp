// The name-entry dialog, driven with keys and clicks as the desktop delivers
// them while the game's modal loop pumps on the virtual clock.
#include <QApplication>
#include <gtest/gtest.h>

#include "ShellDriver.h"
#include "display/ImageUt.h"
#include "game/GameHarness.h"
#include "shell/NameUnit.h"

namespace {

// One scripted step, run at one message pump while the dialog is up.
struct Step {
  enum Kind { Key, Text, Click, RightClick, Close, ExpectOpen } kind;
  Qt::Key key = Qt::Key_unknown;
  QString text;
  QPoint at;
};
Step KeyStep(Qt::Key k) { return {Step::Key, k, {}, {}}; }
Step TextStep(const char* s) { return {Step::Text, Qt::Key_unknown, QString::fromUtf8(s), {}}; }
Step ClickStep(QPoint p) { return {Step::Click, Qt::Key_unknown, {}, p}; }
Step RightClickStep(QPoint p) { return {Step::RightClick, Qt::Key_unknown, {}, p}; }
Step CloseStep() { return {Step::Close, Qt::Key_unknown, {}, {}}; }
Step ExpectOpenStep() { return {Step::ExpectOpen, Qt::Key_unknown, {}, {}}; }

struct NameCase {
  const char* name;
  const char* before;
  std::vector<Step> steps;
  const char* after;
};

// Points of the dialog: inside the cell near its left edge, on the frame, on the label.
const QPoint CellStart(28, 73), OnFrame(5, 5), OnLabel(120, 25), BelowCell(200, 106);

TEST(NameDialog, KeysClicksAndClosing) {
  const NameCase cases[] = {
      {"Enter keeps an unchanged name", "Mia", {KeyStep(Qt::Key_Return)}, "Mia"},
      {"keypad Enter confirms too", "Mia", {KeyStep(Qt::Key_Enter)}, "Mia"},
      {"typing replaces the selected name", "Mia", {TextStep("Leo"), KeyStep(Qt::Key_Return)}, "Leo"},
      {"blanks at the ends are kept", "Mia", {TextStep("  Ann  "), KeyStep(Qt::Key_Return)}, "  Ann  "},
      {"any letters", "Mia", {TextStep("Łukasz é"), KeyStep(Qt::Key_Return)}, "Łukasz é"},
      {"Esc does nothing", "Mia",
       {KeyStep(Qt::Key_Escape), ExpectOpenStep(), TextStep("x"), KeyStep(Qt::Key_Return)}, "x"},
      {"an arrow key keeps the name", "Mia", {KeyStep(Qt::Key_Right), TextStep("!"), KeyStep(Qt::Key_Return)}, "Mia!"},
      {"Home keeps the name", "Mia", {KeyStep(Qt::Key_Home), TextStep("Dr "), KeyStep(Qt::Key_Return)}, "Dr Mia"},
      {"a click in the cell keeps the name and stays open", "Mia",
       {ClickStep(CellStart), ExpectOpenStep(), TextStep("A"), KeyStep(Qt::Key_Return)}, "AMia"},
      {"a click on the frame confirms", "Mia", {TextStep("Leo"), ClickStep(OnFrame)}, "Leo"},
      {"a click on the label confirms", "Mia", {TextStep("Leo"), ClickStep(OnLabel)}, "Leo"},
      {"a click below the cell confirms", "Mia", {TextStep("Leo"), ClickStep(BelowCell)}, "Leo"},
      {"a right click does not confirm", "Mia",
       {TextStep("Leo"), RightClickStep(OnFrame), ExpectOpenStep(), KeyStep(Qt::Key_Return)}, "Leo"},
      {"closing by the desktop keeps the old name", "Mia", {TextStep("Leo"), CloseStep()}, "Mia"},
      {"an empty cell gives the empty name", "Mia", {KeyStep(Qt::Key_Backspace), KeyStep(Qt::Key_Return)}, ""},
      {"first run: the cell opens empty", "", {KeyStep(Qt::Key_Return)}, ""},
  };
  TGameHarness h(1, 960, 720);
  TForm3 dialog;
  for (const NameCase& c : cases) {
    h.Form->FPlayerName = QString::fromUtf8(c.before);
    size_t next = 0;
    QString shownText, selectedText;
    bool checkedOpen = true;
    h.Script.push_back([&]() -> bool {
      if (!dialog.isVisible()) return false;
      if (next == 0 && shownText.isNull()) {
        shownText = dialog.StringGrid1->text();
        selectedText = dialog.StringGrid1->selectedText();
      }
      if (next >= c.steps.size()) {
        ++next;  // counts the pumps after the last step
        return false;
      }
      const Step& s = c.steps[next++];
      switch (s.kind) {
        case Step::Key: PressKey(&dialog, s.key); break;
        case Step::Text: TypeText(&dialog, s.text); break;
        case Step::Click: ClickAt(&dialog, s.at); break;
        case Step::RightClick: ClickAt(&dialog, s.at, Qt::RightButton); break;
        case Step::Close: CloseByDesktop(&dialog); break;
        case Step::ExpectOpen: checkedOpen = checkedOpen && dialog.ModalResult == mrNone; break;
      }
      return false;
    });
    // Ends a case whose steps did not close the dialog, so that a failure cannot hang.
    h.Script.push_back([&] {
      if (!dialog.isVisible() || next < c.steps.size() + 3) return false;
      ADD_FAILURE() << c.name << ": still open after its steps";
      CloseByDesktop(&dialog);
      return true;
    });
    AskPlayerName(*h.Form, dialog);
    h.Script.clear();
    EXPECT_EQ(shownText, QString::fromUtf8(c.before)) << c.name;
    EXPECT_EQ(selectedText, QString::fromUtf8(c.before)) << c.name << ": the whole name is selected";
    EXPECT_TRUE(checkedOpen) << c.name;
    EXPECT_EQ(h.Form->FPlayerName, QString::fromUtf8(c.after)) << c.name;
    EXPECT_FALSE(dialog.isVisible()) << c.name;
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), h.Form->window()) << c.name << ": the keys go to the game again";
  }
}

TEST(NameDialog, Layout) {
  TForm3 dialog;
  EXPECT_EQ(dialog.size(), QSize(360, 113));
  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(81, 95, 124));
  EXPECT_EQ(dialog.ColorBevel1->geometry(), QRect(0, 0, 360, 113));
  EXPECT_EQ(dialog.ColorBevel1->Shape(), bsFrame);
  EXPECT_EQ(dialog.ColorBevel1->Style(), bsLowered);
  EXPECT_EQ(dialog.ColorBevel1->BevelWidth(), 3);
  EXPECT_EQ(dialog.ColorBevel1->BevelColor(), RGB(81, 95, 124));
  EXPECT_EQ(dialog.Label1->text(), " Enter your name: ");
  EXPECT_EQ(dialog.Label1->geometry(), QRect(24, 8, 231, 38));
  EXPECT_EQ(dialog.StringGrid1->geometry(), QRect(24, 48, 313, 50));
  EXPECT_EQ(dialog.StringGrid1->font().pixelSize(), 27);
  // No length limit worth the name.
  dialog.StringGrid1->setText(QString(100000, QLatin1Char('a')));
  EXPECT_EQ(dialog.StringGrid1->text().size(), 100000);
}

}  // namespace
