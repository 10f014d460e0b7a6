// A child's whole game through the shell, headless on the virtual clock: the
// name typed into the dialog, five rounds played, the highscore window with the
// row selected, the list saved, and found again at the next start.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "ShellDriver.h"
#include "game/GameHarness.h"
#include "shell/HighscoreFile.h"
#include "shell/HighscoreUnit.h"
#include "shell/NameUnit.h"

namespace {

TEST(WholeGame, TheNameEndsInTheListAndTheListInTheFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Scores.dat");
  // An earlier player's row, so that the new game has to sort in.
  {
    TForm1 earlier;
    earlier.lbNames = {"Leo"};
    earlier.lbScores = {"1"};
    earlier.lbLevel = {"Easy"};
    ASSERT_TRUE(SaveHighscores(earlier, path));
  }

  int score = 0;
  {
    TGameHarness h(2024, 1152, 864);
    TForm3 form3;
    TForm1& f = *h.Form;
    f.AskPlayerName = [&] { AskPlayerName(f, form3); };
    f.GameOver = [&] { GameOver(f); };
    LoadHighscores(f, path);
    f.FShowInstructions = false;
    f.FFrameTime = 9;
    f.rgrpLevel->SetItemIndex(2);
    f.rgrpSpeed->SetItemIndex(4);

    bool named = false;
    h.Script.push_back([&] {
      if (!form3.isVisible()) return false;
      TypeText(&form3, "Mia");
      PressKey(&form3, Qt::Key_Return);
      named = true;
      return true;
    });
    h.ShootStartBalloon();
    // Pops every wrong balloon it can reach, one dart per 150 ms.
    std::uint32_t lastShot = 0;
    h.Script.push_back([&] {
      if (!f.FRoundState.FRoundRunning || timeGetTime() - lastShot < 150) return false;
      for (int i = 10; i >= 1; --i) {
        if (f.FRoundState.FBalloons[i]->FNumber == f.FRoundState.FAnswer || !h.ShootBalloon(i)) continue;
        lastShot = timeGetTime();
        return false;
      }
      return false;
    });
    int selected = -2;
    QStringList shownNames;
    std::uint32_t windowAt = 0;
    h.Script.push_back([&] {
      TForm4* w = VisibleWindow<TForm4>();
      if (!w) return false;
      if (!windowAt) {
        windowAt = timeGetTime();
        selected = w->SelectedRow();
        for (int i = 0; i < w->ListBox1->count(); ++i) shownNames << w->ListBox1->item(i)->text();
      }
      if (timeGetTime() - windowAt < 250) return false;
      PressKey(w, Qt::Key_Return);
      return true;
    });
    f.PlayGame();

    ASSERT_TRUE(named);
    EXPECT_EQ(f.FPlayerName, "Mia");
    score = f.FGameScore;
    ASSERT_GT(score, 1) << "the child popped balloons";
    EXPECT_TRUE(h.SawBanner("You made the"));
    EXPECT_EQ(f.lbNames, QStringList({"Mia", "Leo"}));
    EXPECT_EQ(f.lbScores, QStringList({QString::number(score), "1"}));
    EXPECT_EQ(f.lbLevel, QStringList({"Medium", "Easy"}));
    EXPECT_EQ(shownNames, f.lbNames);
    EXPECT_EQ(selected, 0);

    // The next game asks again, with the name confirmed last.
    QString prefilled;
    h.Script.push_back([&] {
      if (!form3.isVisible()) return false;
      prefilled = form3.StringGrid1->text();
      PressKey(&form3, Qt::Key_Return);
      return true;
    });
    h.Script.push_back([&] {
      if (!f.FStartBalloon) return false;
      h.Key(Qt::Key_Escape);
      return true;
    });
    f.PlayGame();
    EXPECT_EQ(prefilled, "Mia");
    EXPECT_TRUE(f.FQuit);
    ASSERT_TRUE(SaveHighscores(f, path));
  }

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const THighscoreTable stored = ReadScoresFile(file);
  EXPECT_EQ(stored.Names, QStringList({"Mia", "Leo"}));
  EXPECT_EQ(stored.Scores, QStringList({QString::number(score), "1"}));

  // Started again: the row is there.
  TForm1 next;
  LoadHighscores(next, path);
  EXPECT_EQ(next.lbNames.first(), "Mia");
  EXPECT_EQ(next.lbScores.first(), QString::number(score));
}

}  // namespace
