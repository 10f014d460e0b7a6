#pragma once
// A window shown modally the game's way: its own loop pumps the game's one
// message pump (ProcessMessages) and sleeps on the game's clock between pumps,
// so scripted input and the virtual clock of the tests reach it like the game's
// own loops, and other windows get no input meanwhile.
#include <QWidget>

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// Milliseconds the modal loop sleeps between two pumps.
inline constexpr int ModalPollMs = 10;

class TModalForm : public QWidget {
  Q_OBJECT
public:
  // A borderless window of its own (Qt owns it through Parent when given).
  explicit TModalForm(QWidget* Parent = nullptr);

  // Setting a result other than mrNone while the window is shown modally ends
  // ShowModal with that result.
  TModalResult ModalResult = mrNone;

  // Centres the window on Owner's screen (the primary screen when Owner is
  // nullptr), shows it above Owner, application-modal, and pumps messages until
  // ModalResult is set; then hides it, activates Owner's window again and
  // returns the result. Closing the window by the desktop gives mrCancel.
  // Window thread only; not re-entrant.
  TModalResult ShowModal(QWidget* Owner = nullptr);
  // Whether ShowModal is running.
  bool InModal() const { return FInModal; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  bool FInModal = false;
};
