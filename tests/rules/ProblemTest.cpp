#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <vector>

#include "game/Problem.h"
#include "platform/Random.h"

namespace {

// The random state after Count raw draws from Seed: lets a test check how
// many numbers a rule consumed, which a seeded replay of a game depends on.
std::uint32_t StateAfterDraws(std::uint32_t Seed, int Count) {
  RandSeed(Seed);
  for (int i = 0; i < Count; ++i) Random(2);
  return CurrentRandSeed();
}

struct TRange {
  int Min = INT_MAX, Max = INT_MIN;
  void Add(int v) { Min = std::min(Min, v); Max = std::max(Max, v); }
};

struct TProblemCase {
  const char* Name;
  int Level, Op;
  int AnswerMin, AnswerMax, Operand1Min, Operand1Max, Operand2Min, Operand2Max;
  // The smallest value the larger of the two addends (factors) takes: it
  // pins the lower limit of the second addend (the product's floor).
  int LargerMin;
  int Draws = 20000;
};

// Bounds from the tables; with enough draws each bound must also be reached,
// which catches a range that is one too short as well as one too long. The
// two highest levels need more draws: an addend of 99 (199) needs the largest
// sum, the smallest first addend and no swap, about one draw in 15000 (30000).
const TProblemCase ProblemCases[] = {
    {"EasiestAddition", 0, 0, 2, 5, 1, 4, 1, 4, 1},
    {"EasiestSubtraction", 0, 1, 1, 4, 2, 5, 1, 4, 1},
    {"EasyAddition", 1, 0, 2, 10, 1, 9, 1, 9, 1},
    {"EasySubtraction", 1, 1, 1, 9, 2, 10, 1, 9, 1},
    {"MediumAddition", 2, 0, 11, 30, 0, 30, 0, 30, 7},
    {"MediumSubtraction", 2, 1, 0, 30, 11, 30, 0, 30, 7},
    {"MediumMultiplication", 2, 2, 1, 36, 1, 9, 1, 9, 1},
    {"MediumDivision", 2, 3, 1, 9, 1, 36, 1, 9, 1},
    {"HarderAddition", 3, 0, 22, 100, 1, 99, 1, 99, 13, 300000},
    {"HarderSubtraction", 3, 1, 1, 99, 22, 100, 1, 99, 13, 300000},
    {"HarderMultiplication", 3, 2, 30, 100, 2, 15, 2, 15, 6},
    {"HarderDivision", 3, 3, 2, 15, 30, 100, 2, 15, 6},
    {"HardestAddition", 4, 0, 102, 200, 1, 199, 1, 199, 52, 300000},
    {"HardestSubtraction", 4, 1, 1, 199, 102, 200, 1, 199, 52, 300000},
    {"HardestMultiplication", 4, 2, 38, 200, 2, 99, 2, 99, 7},
    {"HardestDivision", 4, 3, 2, 99, 38, 200, 2, 99, 7},
};

class ProblemRanges : public ::testing::TestWithParam<TProblemCase> {};

// Plays many rounds in a row of one class, as the game does (each problem
// checked against the one before), and checks every problem against the rules
// of its level and class.
TEST_P(ProblemRanges, EveryDrawObeysTheLevelAndReachesItsBounds) {
  const TProblemCase& c = GetParam();
  RandSeed(20240601u + c.Level * 7 + c.Op);
  TRange answer, operand1, operand2, larger;
  TProblem previous;
  bool swappedSeen = false;
  for (int i = 0; i < c.Draws; ++i) {
    const TProblem p = DrawProblem(c.Level, c.Op, previous, c.Op);
    // Evaluated only when an assertion fails.
    const auto where = [&] {
      return testing::Message() << "draw " << i << ": " << p.Operand1 << " class " << c.Op << " "
                                << p.Operand2 << " = " << p.Answer;
    };
    answer.Add(p.Answer);
    operand1.Add(p.Operand1);
    operand2.Add(p.Operand2);

    switch (c.Op) {
      case 0: ASSERT_EQ(p.Operand1 + p.Operand2, p.Answer) << where(); break;
      case 1: ASSERT_EQ(p.Operand1 - p.Operand2, p.Answer) << where(); break;
      case 2: ASSERT_EQ(p.Operand1 * p.Operand2, p.Answer) << where(); break;
      case 3:
        ASSERT_NE(p.Operand2, 0) << where();
        ASSERT_EQ(p.Operand1 % p.Operand2, 0) << "a division must come out even" << where();
        ASSERT_EQ(p.Operand1 / p.Operand2, p.Answer) << where();
        break;
    }
    // The two addends or factors: for subtraction and division the answer
    // and the right operand.
    const int partA = c.Op == 1 || c.Op == 3 ? p.Answer : p.Operand1;
    const int partB = p.Operand2;
    larger.Add(std::max(partA, partB));
    if (c.Op <= 1 && c.Level >= 3) {
      ASSERT_NE(partA % 10, 0) << "no round ten as an addend at the two highest levels" << where();
      ASSERT_NE(partB % 10, 0) << where();
    }
    if (c.Op <= 1 && c.Level <= 1) {
      ASSERT_GE(std::min(partA, partB), 1) << where();
    }
    if (c.Op >= 2 && c.Level >= 3) {
      ASSERT_GE(std::min(partA, partB), 2) << "no factor 0 or 1" << where();
    }
    if (c.Op >= 2 && c.Level == 4) {
      ASSERT_NE(partA % 10, 0) << "no round ten as a factor at Hardest" << where();
      ASSERT_NE(partB % 10, 0) << where();
    }
    // "Harder" draws its first factor from 0..10; a larger left factor means
    // the swap happened.
    if (c.Op >= 2 && partA > 10) swappedSeen = true;
    ASSERT_FALSE(p.Operand1 == previous.Operand1 && p.Operand2 == previous.Operand2)
        << "the previous problem was posed again" << where();
    previous = p;
  }
  EXPECT_EQ(answer.Min, c.AnswerMin);
  EXPECT_EQ(answer.Max, c.AnswerMax);
  EXPECT_EQ(operand1.Min, c.Operand1Min);
  EXPECT_EQ(operand1.Max, c.Operand1Max);
  EXPECT_EQ(operand2.Min, c.Operand2Min);
  EXPECT_EQ(operand2.Max, c.Operand2Max);
  EXPECT_EQ(larger.Min, c.LargerMin);
  if (c.Level == 3 && c.Op >= 2) {
    EXPECT_TRUE(swappedSeen) << "Harder factors are swapped half the time";
  }
}

INSTANTIATE_TEST_SUITE_P(AllLevelsAndClasses, ProblemRanges, ::testing::ValuesIn(ProblemCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ProblemRandomOrder, DrawsExactlyTheNumbersOfItsTable) {
  // Classes without repeat conditions consume a fixed count of numbers. The
  // stored class (3, or 0 for the multiplication) never matches, so the
  // no-repeat rule cannot add draws.
  struct {
    int Level, Op, Operation, Draws;
  } const cases[] = {
      {0, 0, 3, 2},  // sum, first addend
      {1, 0, 3, 2},
      {1, 1, 3, 2},  // the inner addition only
      {2, 0, 3, 3},  // sum, first addend, swap
      {2, 1, 3, 3},
  };
  for (const auto& c : cases) {
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
      RandSeed(seed);
      DrawProblem(c.Level, c.Op, TProblem{}, c.Operation);
      EXPECT_EQ(CurrentRandSeed(), StateAfterDraws(seed, c.Draws))
          << "level " << c.Level << " class " << c.Op << " seed " << seed;
    }
  }
}

TEST(ProblemRandomOrder, AnswerIsDrawnBeforeTheAddendAndTheSwapLast) {
  // With a known stream: the first draw sets the sum, the second the first
  // addend, the third (Medium) decides the swap.
  for (std::uint32_t seed = 1; seed <= 200; ++seed) {
    RandSeed(seed);
    const int sum = Random(20) + 11;
    const int first = Random(sum - 6);
    const bool swap = Random(2) == 1;
    RandSeed(seed);
    const TProblem p = DrawProblem(2, 0, TProblem{}, 3);
    EXPECT_EQ(p.Answer, sum);
    EXPECT_EQ(p.Operand1, swap ? sum - first : first);
    EXPECT_EQ(p.Operand2, swap ? first : sum - first);
  }
}

TEST(ProblemNoRepeat, ARepeatOfTheStoredClassIsDrawnAgain) {
  // Seed so that the first draw would pose exactly the previous problem: the
  // previous problem is what the same seed draws when no repeat applies.
  for (int level = 0; level <= 4; ++level) {
    for (int op = 0; op <= 3; ++op) {
      if (!CanDrawProblem(level, op)) continue;
      for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        const int otherClass = (op + 1) % 4;
        RandSeed(seed);
        const TProblem first = DrawProblem(level, op, TProblem{}, otherClass);

        RandSeed(seed);
        const TProblem redrawn = DrawProblem(level, op, first, op);
        EXPECT_FALSE(redrawn.Operand1 == first.Operand1 && redrawn.Operand2 == first.Operand2)
            << "level " << level << " class " << op << " seed " << seed;

        // The same operands are allowed when the stored class is another one.
        RandSeed(seed);
        EXPECT_EQ(DrawProblem(level, op, first, otherClass), first);
      }
    }
  }
}

// The inner drawing of a subtraction (an addition) or a division (a
// multiplication) checks against its own class: after a round of the inner
// class, the inverse problem is not built from that round's problem; after a
// round of another class the same random stream builds exactly that problem.
TEST(ProblemNoRepeat, InverseProblemAvoidsThePreviousRoundsProblemInside) {
  const struct {
    int Inner, Outer, OtherOperation, FirstLevel;
  } cases[] = {{0, 1, 2, 0}, {2, 3, 0, 2}};
  for (const auto& c : cases) {
    for (int level = c.FirstLevel; level <= 4; ++level) {
      for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        RandSeed(seed);
        const TProblem inner = DrawProblem(level, c.Inner, TProblem{}, c.OtherOperation);
        const TProblem fromIt{inner.Operand1, inner.Answer, inner.Operand2};
        RandSeed(seed);
        EXPECT_NE(DrawProblem(level, c.Outer, inner, c.Inner), fromIt)
            << "op " << c.Outer << " level " << level << " seed " << seed;
        RandSeed(seed);
        EXPECT_EQ(DrawProblem(level, c.Outer, inner, c.OtherOperation), fromIt)
            << "op " << c.Outer << " level " << level << " seed " << seed;
      }
    }
  }
}

TEST(ProblemNoRepeat, SubtractionRoundIsNotPosedTwice) {
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    RandSeed(seed);
    const TProblem subtraction = DrawProblem(1, 1, TProblem{}, 0);
    RandSeed(seed);
    const TProblem next = DrawProblem(1, 1, subtraction, 1);
    EXPECT_FALSE(next.Operand1 == subtraction.Operand1 && next.Operand2 == subtraction.Operand2)
        << "seed " << seed;
  }
}

TEST(ProblemClasses, ClassesMissingBelowMediumLeaveTheProblemAndTheStream) {
  const TProblem current{12, 3, 4};
  for (int level : {0, 1}) {
    for (int op : {2, 3}) {
      RandSeed(77);
      // The stored class equals Op and nothing changes: this must return, not loop.
      EXPECT_EQ(DrawProblem(level, op, current, op), current);
      EXPECT_EQ(CurrentRandSeed(), 77u);
    }
  }
  EXPECT_FALSE(CanDrawProblem(2, 4));
  EXPECT_FALSE(CanDrawProblem(2, -1));
  EXPECT_TRUE(CanDrawProblem(2, 3));
}

TEST(ProblemClasses, ChooseOperatorClassPerLevel) {
  struct {
    int Level, Classes, Draws;
  } const cases[] = {{0, 1, 0}, {1, 2, 1}, {2, 4, 1}, {3, 4, 1}, {4, 4, 1}};
  for (const auto& c : cases) {
    std::vector<int> seen(4, 0);
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
      RandSeed(seed);
      const int op = ChooseOperatorClass(c.Level);
      ASSERT_GE(op, 0);
      ASSERT_LT(op, c.Classes) << "level " << c.Level;
      ++seen[op];
      EXPECT_EQ(CurrentRandSeed(), StateAfterDraws(seed, c.Draws)) << "level " << c.Level;
    }
    for (int op = 0; op < c.Classes; ++op) EXPECT_GT(seen[op], 0) << "level " << c.Level << " class " << op;
  }
}

struct TWrongCase {
  int Level, Answer, Min, Max;
};

TEST(WrongNumbers, NeverTheAnswerAndWithinTheLevelsRange) {
  const TWrongCase cases[] = {
      {0, 5, 1, 4},   {0, 1, 2, 5},    {0, 3, 1, 5},    {1, 0, 1, 10},  {1, 7, 0, 10},
      {2, 36, 0, 35}, {2, 12, 0, 36},  {3, 50, 10, 90}, {3, 22, 0, 62}, {3, 100, 60, 99},
      {3, 1, 0, 41},  {4, 150, 70, 200}, {4, 102, 22, 182}, {4, 30, 0, 110},
  };
  for (const auto& c : cases) {
    RandSeed(4242u + c.Level * 1000 + c.Answer);
    TRange seen;
    for (int i = 0; i < 5000; ++i) {
      const int n = WrongNumber(c.Level, c.Answer);
      ASSERT_NE(n, c.Answer) << "level " << c.Level;
      if (c.Level >= 3) {
        ASSERT_TRUE(n == 0 || n >= 2) << "level " << c.Level << " gave " << n;
        ASSERT_LE(std::abs(n - c.Answer), c.Level == 3 ? 40 : 80);
      }
      seen.Add(n);
    }
    EXPECT_EQ(seen.Min, c.Min) << "level " << c.Level << " answer " << c.Answer;
    EXPECT_EQ(seen.Max, c.Max) << "level " << c.Level << " answer " << c.Answer;
  }
}

TEST(WrongNumbers, ZeroComesUpAtHarderButOneNever) {
  RandSeed(99);
  bool zero = false;
  for (int i = 0; i < 5000; ++i) {
    const int n = WrongNumber(3, 10);
    ASSERT_NE(n, 1);
    zero = zero || n == 0;
  }
  EXPECT_TRUE(zero);
}

// An answer no problem of the level has must neither hang nor throw out of the
// mouse handler that makes the balloon: the nearest number of the level serves.
TEST(WrongNumbers, ImpossibleAnswerGivesTheNearestNumberWithoutDrawing) {
  struct {
    int Level, Answer, Wrong;
  } const cases[] = {{3, 500, 100}, {3, 141, 100}, {3, -41, 0}, {4, 281, 200}, {4, -200, 0}, {4, 1000, 200}};
  for (const auto& c : cases) {
    RandSeed(5);
    EXPECT_EQ(WrongNumber(c.Level, c.Answer), c.Wrong) << c.Level << ", " << c.Answer;
    EXPECT_EQ(CurrentRandSeed(), 5u) << "no draw for " << c.Answer;
  }
  // Just within reach the number is drawn as usual.
  RandSeed(5);
  EXPECT_EQ(WrongNumber(3, 140), 100);  // 100 is the only number within 40
  EXPECT_NE(CurrentRandSeed(), 5u);
}

TEST(ProblemTexts, PanelTexts) {
  struct {
    TProblem Problem;
    int Op;
    QString Text;
  } const cases[] = {
      {{12, 7, 5}, 0, QStringLiteral(" 7 + 5 = ")},
      {{4, 7, 3}, 1, QStringLiteral(" 7 - 3 = ")},
      {{12, 3, 4}, 2, QString::fromUtf8(" 3 \u00B7 4 = ")},
      {{4, 12, 3}, 3, QStringLiteral(" 12 : 3 = ")},
      {{0, 150, 150}, 1, QStringLiteral(" 150 - 150 = ")},
  };
  for (const auto& c : cases) EXPECT_EQ(ProblemText(c.Problem, c.Op), c.Text);
  EXPECT_EQ(HiddenAnswerText(), QStringLiteral(" ??? "));
  EXPECT_EQ(AnswerText(12), QStringLiteral(" 12 "));
  EXPECT_EQ(AnswerText(0), QStringLiteral(" 0 "));
}

}  // namespace
