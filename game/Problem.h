#pragma once
// The arithmetic problems of the game and the wrong numbers on the balloons.
// Pure rules: no window, no widget. Every function that draws takes its random
// numbers from the process-wide generator (platform/Random.h) in a fixed order,
// so a seeded game replays exactly; the order is part of each contract below.
// Game thread only (the generator is not shared with other threads).
#include <QString>

// One problem as posed: Operand1 <sign> Operand2 = Answer.
// Addition: Operand1 + Operand2 = Answer. Subtraction: Operand1 - Operand2 = Answer.
// Multiplication: Operand1 · Operand2 = Answer. Division: Operand1 : Operand2 = Answer.
struct TProblem {
  int Answer = 0;
  int Operand1 = 0;
  int Operand2 = 0;
  constexpr bool operator==(const TProblem&) const = default;
};

// Levels are the items of the level setting: 0 "Easiest", 1 "Easy", 2 "Medium",
// 3 "Harder", 4 "Hardest". A level outside 0..4 is taken as the nearest of them.
// Operator classes: 0 addition, 1 subtraction, 2 multiplication, 3 division.

// The operator class for a new problem at Level: 0 at "Easiest" (no draw),
// Random(2) at "Easy", Random(4) at the three higher levels.
int ChooseOperatorClass(int Level);

// False where the level has no problems of that class: multiplication and
// division below "Medium", and any Op outside 0..3.
bool CanDrawProblem(int Level, int Op);

// Draws a problem of class Op at Level, as the game window does for a new
// round or a Bonus balloon.
//   Current   the problem on view now (the window's answer and operands);
//             its operands are what a new problem must not repeat.
//   Operation the operator class stored for the current round (0..3).
// Random draws, in order:
//   addition: answer, first addend (both again while the level's repeat
//     condition holds), then at "Medium" and above Random(2), 1 swapping the
//     addends;
//   subtraction: an addition drawn by this same function for class 0 (with its
//     own no-repeat check against Operation = 0), then minuend and answer
//     exchanged;
//   multiplication: first and second factor (again while the level's repeat
//     condition holds), then at "Harder" Random(2), 1 swapping the factors;
//   division: multiplications drawn by this function for class 2 until the
//     divisor is not 0, then dividend and answer exchanged.
// No repeat: when Operation = Op and both new operands equal Current's, the
// whole drawing for Op runs again, so a round never poses the problem of the
// round before with the same class and operands.
// Where CanDrawProblem(Level, Op) is false nothing is drawn, no random number
// is used and Current is returned unchanged.
TProblem DrawProblem(int Level, int Op, const TProblem& Current, int Operation);

// A wrong number for a balloon at Level when the right answer is Answer:
//   "Easiest" Random(5) + 1, "Easy" Random(11), "Medium" Random(37),
//   "Harder"  Answer - 40 + Random(81), kept only when 0 or 2..100,
//   "Hardest" Answer - 80 + Random(161), kept only when 0 or 2..200,
// each drawn again while it equals Answer (one draw per attempt).
// Where no number can qualify (an answer that the level's problems never have,
// e.g. 500 at "Harder") nothing is drawn and the nearest number the level uses
// is returned: its highest (100 or 200) above it, 0 below it. Never throws.
int WrongNumber(int Level, int Answer);

// The problem panel's left text: " 7 + 5 = ". Signs: "+", "-", "·" (U+00B7),
// ":" for classes 0..3; an Op outside 0..3 shows "?".
QString ProblemText(const TProblem& Problem, int Op);
// The panel's right text while the answer is hidden: " ??? ".
QString HiddenAnswerText();
// The panel's right text once the answer is revealed: " 12 ".
QString AnswerText(int Answer);
