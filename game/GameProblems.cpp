// The window's side of the problems: the rules draw them (game/Round.h), the
// problem panel shows them.
#include "game/MainUnit.h"
#include "game/Problem.h"

void TForm1::MakeProblem(std::uint8_t Op) {
  FRoundState.MakeProblem(Op);
  ShowProblem();
}

void TForm1::ShowProblem() {
  SetCaption(Label1, ProblemText(FRoundState.Problem(), FRoundState.FProblemOperation));
  SetCaption(Label2, HiddenAnswerText());
  CenterPanel8();
  Panel8->repaint();
}

void TForm1::NewWrongBalloon(int Slot, int Chance, std::uint8_t Size) {
  FRoundState.NewWrongBalloon(Slot, Chance, Size);
}

void TForm1::RenumberBalloon(int Slot, std::uint8_t Size, bool Bonus, bool Revive, bool Spiky) {
  FRoundState.RenumberBalloon(Slot, Size, Bonus, Revive, Spiky);
}
