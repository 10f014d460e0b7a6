// The window's side of the problems: drawing one for the current level, showing
// it in the problem panel, and the balloons with wrong numbers.
#include "game/MainUnit.h"
#include "game/Problem.h"
#include "platform/Random.h"

std::uint8_t TForm1::ChooseOperation() const { return ChooseOperatorClass(rgrpLevel->ItemIndex()); }

void TForm1::MakeProblem(std::uint8_t Op) {
  const TProblem p = DrawProblem(rgrpLevel->ItemIndex(), Op, TProblem{FAnswer, FOperand1, FOperand2}, FOperation);
  FAnswer = p.Answer;
  FOperand1 = p.Operand1;
  FOperand2 = p.Operand2;
  SetCaption(Label1, ProblemText(p, Op));
  SetCaption(Label2, HiddenAnswerText());
  CenterPanel8();
  Panel8->repaint();
}

void TForm1::NewWrongBalloon(int Slot, int Chance, std::uint8_t Size) {
  const int n = WrongNumber(rgrpLevel->ItemIndex(), FAnswer);
  FBalloons[Slot] = NewBalloon(n, static_cast<std::uint8_t>(Random(4)), Size, FSpeed, Chance);
}

void TForm1::RenumberBalloon(int Slot, std::uint8_t Size, bool Bonus, bool Revive, bool Spiky) {
  const int n = WrongNumber(rgrpLevel->ItemIndex(), FAnswer);
  FBalloons[Slot] = NewBalloon(n, static_cast<std::uint8_t>(Random(4)), Size, FSpeed, Bonus, Revive, Spiky);
}
