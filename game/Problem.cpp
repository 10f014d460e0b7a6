#include "game/Problem.h"

#include <algorithm>
#include <utility>

#include "platform/Random.h"

namespace {

int ClampLevel(int Level) { return std::clamp(Level, 0, 4); }

bool MultipleOf10(int n) { return n % 10 == 0; }

void DrawAddition(int Level, TProblem& P) {
  int sum = 0, first = 0, second = 0;
  switch (Level) {
    case 0:
      sum = Random(4) + 2;
      first = Random(sum - 1) + 1;
      second = sum - first;
      break;
    case 1:
      sum = Random(9) + 2;
      first = Random(sum - 1) + 1;
      second = sum - first;
      break;
    case 2:
      sum = Random(20) + 11;
      first = Random(sum - 6);
      second = sum - first;
      break;
    case 3:
      // Round tens make the sum too easy at this level, so they are drawn away.
      do {
        sum = Random(79) + 22;
        first = Random(sum - 12);
        second = sum - first;
      } while (MultipleOf10(first) || MultipleOf10(second));
      break;
    default:
      do {
        sum = Random(99) + 102;
        first = Random(sum - 51);
        second = sum - first;
      } while (MultipleOf10(first) || MultipleOf10(second));
      break;
  }
  // The swap is drawn once, after the repeats: the repeat conditions do not
  // depend on the order of the addends.
  if (Level >= 2 && Random(2) == 1) std::swap(first, second);
  P = {sum, first, second};
}

// Only called where CanDrawProblem holds (Level 2..4).
void DrawMultiplication(int Level, TProblem& P) {
  int a = 0, b = 0;
  switch (Level) {
    case 2:
      do {
        a = Random(9) + 1;
        b = Random(9) + 1;
      } while (a * b > 36);
      break;
    case 3:
      do {
        a = Random(11);
        b = Random(16);
      } while (a * b < 30 || a * b > 100 || a == 1 || b == 1);
      if (Random(2) == 1) std::swap(a, b);
      break;
    default:
      do {
        a = Random(100);
        b = Random(100);
      } while (a * b < 37 || a * b > 200 || MultipleOf10(a) || MultipleOf10(b) || a == 1 || b == 1);
      break;
  }
  P = {a * b, a, b};
}

}  // namespace

int ChooseOperatorClass(int Level) {
  switch (ClampLevel(Level)) {
    case 0: return 0;
    case 1: return Random(2);
    default: return Random(4);
  }
}

bool CanDrawProblem(int Level, int Op) {
  if (Op == 0 || Op == 1) return true;
  if (Op == 2 || Op == 3) return ClampLevel(Level) >= 2;
  return false;
}

TProblem DrawProblem(int Level, int Op, const TProblem& Current, int Operation) {
  // Below "Medium" the game never asks for a product or a quotient. Drawing
  // nothing must not turn into an endless no-repeat loop (the unchanged
  // operands would always equal the remembered ones), so return at once.
  if (!CanDrawProblem(Level, Op)) return Current;
  Level = ClampLevel(Level);

  const int previous1 = Current.Operand1;
  const int previous2 = Current.Operand2;
  TProblem p = Current;
  do {
    switch (Op) {
      case 0:
        DrawAddition(Level, p);
        break;
      case 1:
        // The inner addition remembers the operands it finds (the previous
        // problem's on the first pass) and checks them against class 0: after
        // an addition round it will not pose the same addition inside a
        // subtraction either.
        p = DrawProblem(Level, 0, p, Operation);
        std::swap(p.Answer, p.Operand1);
        break;
      case 2:
        DrawMultiplication(Level, p);
        break;
      default:
        // Each inner multiplication remembers the draw before it, as the
        // inner drawing does for subtraction.
        do {
          p = DrawProblem(Level, 2, p, Operation);
        } while (p.Operand2 == 0);
        std::swap(p.Answer, p.Operand1);
        break;
    }
  } while (Operation == Op && p.Operand1 == previous1 && p.Operand2 == previous2);
  return p;
}

int WrongNumber(int Level, int Answer) {
  Level = ClampLevel(Level);
  if (Level <= 2) {
    // 1..5, 0..10 and 0..36 each hold at least four numbers, so one of them
    // always differs from the answer.
    int n = 0;
    do {
      switch (Level) {
        case 0: n = Random(5) + 1; break;
        case 1: n = Random(11); break;
        default: n = Random(37); break;
      }
    } while (n == Answer);
    return n;
  }

  const int spread = Level == 3 ? 40 : 80;
  const int highest = Level == 3 ? 100 : 200;
  const auto qualifies = [&](int n) { return n != Answer && (n == 0 || (n >= 2 && n <= highest)); };
  bool any = false;
  for (int n = Answer - spread; n <= Answer + spread && !any; ++n) any = qualifies(n);
  // An answer far outside the level's numbers: drawing would never end, and an
  // error would escape the mouse handler that made the balloon. The nearest
  // number the level uses serves instead.
  if (!any) return Answer > highest ? highest : 0;

  int n = 0;
  do {
    n = Answer - spread + Random(2 * spread + 1);
  } while (!qualifies(n));
  return n;
}

QString ProblemText(const TProblem& Problem, int Op) {
  static const QString signs[] = {QStringLiteral("+"), QStringLiteral("-"), QString(QChar(0x00B7)),
                                  QStringLiteral(":")};
  const QString sign = Op >= 0 && Op <= 3 ? signs[Op] : QStringLiteral("?");
  return QStringLiteral(" %1 %2 %3 = ")
      .arg(QString::number(Problem.Operand1), sign, QString::number(Problem.Operand2));
}

QString HiddenAnswerText() { return QStringLiteral(" ??? "); }

QString AnswerText(int Answer) { return QStringLiteral(" %1 ").arg(Answer); }
