// The settings dialog on the real game window, headless on the virtual clock:
// its layout, what OK and Cancel do, and opening it from the start screen and
// in the middle of a round. The dialog is driven from inside its own modal
// loop with clicks and keys as the desktop delivers them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "game/GameHarness.h"
#include "SettingsDriver.h"
#include "SettingsMixer.h"
#include "shell/SettingsU.h"
#include "sound/mxTrackBars.h"

TEST(SettingsDialog, LayoutAsDescribed) {
  TSettingsMixer mixer;
  TSettingsForm f;
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Settings "));
  EXPECT_EQ(f.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_TRUE(f.font().bold());
  EXPECT_EQ(f.font().family(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(f.font().pixelSize(), 15);

  struct TPlace {
    const char* Name;
    QWidget* Parent;
    QRect Bounds;
    const char* Caption;  // nullptr: none
  };
  const TPlace places[] = {
      {"GroupBox1", &f, {32, 24, 369, 97}, "Check or uncheck the box to say what you want"},
      {"CheckBox1", f.GroupBox1, {20, 28, 337, 17}, " I want to skip the game instructions on start"},
      {"CheckBox2", f.GroupBox1, {20, 60, 329, 17}, " I want to start a new highscore list"},
      {"GroupBox2", &f, {32, 128, 369, 125}, "Sound"},
      {"VolumeBar", f.GroupBox2, {16, 28, 289, 45}, nullptr},
      {"Image1", f.GroupBox2, {316, 28, 24, 24}, nullptr},
      {"CheckBox3", f.GroupBox2, {20, 88, 293, 17}, " I want to turn off the sound"},
      {"BitBtn1", &f, {134, 260, 84, 25}, "OK"},
      {"BitBtn2", &f, {222, 260, 84, 25}, "Cancel"},
  };
  for (const TPlace& p : places) {
    SCOPED_TRACE(p.Name);
    auto* w = f.findChild<QWidget*>(QString::fromLatin1(p.Name));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), p.Parent);
    EXPECT_EQ(w->geometry(), p.Bounds);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
      EXPECT_EQ(box->text(), QString::fromLatin1(p.Caption));
      // The caption fits its box in the dialog's font, nothing cut off.
      EXPECT_LE(box->sizeHint().width(), box->width());
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
      EXPECT_EQ(group->title(), QString::fromLatin1(p.Caption));
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      EXPECT_EQ(button->text(), QString::fromLatin1(p.Caption));
      EXPECT_FALSE(button->icon().isNull());
    }
  }
  EXPECT_TRUE(f.BitBtn1->isDefault());
  EXPECT_FALSE(f.BitBtn2->isDefault());
  EXPECT_TRUE(f.VolumeBar->isEnabled());
  EXPECT_EQ(f.VolumeBar->orientation(), Qt::Horizontal);

  // The loudspeaker: its magenta background is see-through, the drawing is not.
  const QImage speaker = f.Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(speaker.size(), QSize(24, 24));
  EXPECT_EQ(qAlpha(speaker.pixel(0, 23)), 0);
  int opaque = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const QRgb p = speaker.pixel(x, y);
      opaque += qAlpha(p) != 0;
      if (qAlpha(p) != 0) {
        EXPECT_NE(p & 0xFFFFFF, 0xFF00FFu) << x << "," << y;
      }
    }
  EXPECT_GT(opaque, 24 * 24 / 6);
}

struct TDialogCase {
  const char* Name;
  bool ShowInstructions, NoSound;  // the fields before
  std::function<void(TSettingsForm&)> Act;
  bool ExpectShowInstructions, ExpectNoSound, ExpectListsEmpty;
};

TEST(SettingsDialog, OkAppliesCancelChangesNothing) {
  const TDialogCase cases[] = {
      {"OK applies both switches", true, false,
       [](TSettingsForm& f) { ClickBox(f.CheckBox1); ClickBox(f.CheckBox3); ClickButton(f.BitBtn1); }, false, true,
       false},
      {"switches shown as they are, OK untouched keeps them", false, true,
       [](TSettingsForm& f) { ClickButton(f.BitBtn1); }, false, true, false},
      {"OK with a new highscore list empties it", true, false,
       [](TSettingsForm& f) { ClickBox(f.CheckBox2); ClickButton(f.BitBtn1); }, true, false, true},
      {"Enter is OK", false, false,
       [](TSettingsForm& f) { ClickBox(f.CheckBox1); ClickBox(f.CheckBox2); PressKey(f, Qt::Key_Return); }, true,
       false, true},
      {"Space ticks the focused box", true, false,
       [](TSettingsForm& f) { PressKey(f, Qt::Key_Space); PressKey(f, Qt::Key_Return); }, false, false, false},
      {"Cancel with everything ticked changes nothing", true, false,
       [](TSettingsForm& f) {
         ClickBox(f.CheckBox1); ClickBox(f.CheckBox2); ClickBox(f.CheckBox3); ClickButton(f.BitBtn2);
       },
       true, false, false},
      {"Esc is Cancel", false, true,
       [](TSettingsForm& f) { ClickBox(f.CheckBox1); ClickBox(f.CheckBox2); PressKey(f, Qt::Key_Escape); }, false,
       true, false},
      {"closing by the caption bar is Cancel", true, true,
       [](TSettingsForm& f) { ClickBox(f.CheckBox2); ClickBox(f.CheckBox3); f.close(); }, true, true, false},
  };
  for (const TDialogCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TStartScreen h;
    TForm1& form = *h.Form;
    form.FShowInstructions = c.ShowInstructions;
    form.FNoSound = c.NoSound;
    bool opened = false;
    WhenSettingsOpen([&](TSettingsForm& f) {
      opened = true;
      EXPECT_EQ(f.CheckBox1->isChecked(), !c.ShowInstructions);
      EXPECT_FALSE(f.CheckBox2->isChecked());
      EXPECT_EQ(f.CheckBox3->isChecked(), c.NoSound);
      c.Act(f);
    });
    form.acSettings->trigger();
    ASSERT_TRUE(opened);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(form.FShowInstructions, c.ExpectShowInstructions);
    EXPECT_EQ(form.FNoSound, c.ExpectNoSound);
    if (c.ExpectListsEmpty) {
      EXPECT_TRUE(form.lbNames.isEmpty() && form.lbScores.isEmpty() && form.lbLevel.isEmpty());
    } else {
      EXPECT_EQ(form.lbNames, QStringList({"Ann", "Bo"}));
      EXPECT_EQ(form.lbScores, QStringList({"120", "80"}));
      EXPECT_EQ(form.lbLevel, QStringList({"Easy", "Hardest"}));
    }
    // OK or Cancel, the start screen is drawn again.
    EXPECT_EQ(h.CountBanner("Pick your settings."), 1);
    EXPECT_FALSE(form.FQuit);
  }
}

TEST(SettingsDialog, EachOpeningIsAFreshDialog) {
  TStartScreen h;
  std::vector<bool> newListTicked;
  for (int i = 0; i < 2; ++i) {
    h.Form->lbNames = {"Cy"};
    WhenSettingsOpen([&](TSettingsForm& f) {
      newListTicked.push_back(f.CheckBox2->isChecked());
      ClickBox(f.CheckBox2);
      ClickButton(f.BitBtn1);
    });
    h.Form->acSettings->trigger();
    EXPECT_TRUE(h.Form->lbNames.isEmpty()) << i;
  }
  EXPECT_EQ(newListTicked, std::vector<bool>({false, false}));
  EXPECT_TRUE(h.Form->findChildren<TSettingsForm*>().isEmpty());  // each one freed
}

TEST(SettingsDialog, SkippingInstructionsOnTheFirstStartScreenSkipsThemInThatGame) {
  TSettingsMixer mixer;
  TGameHarness h(3, 960, 720);
  TForm1& form = *h.Form;
  form.FShowInstructions = true;
  form.ShowSettingsDialog = [&] { ShowSettingsDialog(form); };
  bool clicked = false, opened = false;
  // On the start screen the player clicks "Options", ticks the first box, OK.
  // The click comes from the event queue, not from inside the script's step:
  // the redraw after the dialog pumps messages, and a step must not run again
  // while it is still running.
  h.Script.push_back([&] {
    if (!form.FStartBalloon || !h.SawBanner("Pick your settings.")) return false;
    WhenSettingsOpen([&](TSettingsForm& f) {
      opened = true;
      ClickBox(f.CheckBox1);
      ClickButton(f.BitBtn1);
    });
    QTimer::singleShot(0, [&] {
      clicked = true;
      QTest::mouseClick(form.OptionsBtn, Qt::LeftButton, {}, form.OptionsBtn->rect().center());
    });
    return true;
  });
  h.Script.push_back([&] {
    if (!opened) return false;
    h.ShootStartBalloon();
    return true;
  });
  h.Script.push_back([&] {
    if (!h.SawBanner("Get ready for")) return false;
    h.Key(Qt::Key_Escape);
    return true;
  });
  form.PlayGame();
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(form.FQuit);
  EXPECT_FALSE(h.SawBanner("Sorry,"));  // left before the first round
  EXPECT_FALSE(form.FShowInstructions);
  EXPECT_EQ(h.CountBanner("Pick your settings."), 2);  // once more after the dialog
  EXPECT_FALSE(h.SawBanner("Watch the yellow frame"));
  EXPECT_TRUE(h.SawBanner("Get ready for"));
}

// The child takes a minute over the dialog in the middle of a round: the round
// goes on where it was, and its 90 seconds counted the minute.
TEST(SettingsDialog, CtrlSDuringARoundLeavesTheRoundClockRunning) {
  TSettingsMixer mixer;
  TGameHarness h(7, 960, 720);
  TForm1& form = *h.Form;
  form.FShowInstructions = false;
  form.ShowSettingsDialog = [&] { ShowSettingsDialog(form); };
  h.ShootStartBalloon();
  bool opened = false, roundGoesOn = false, quitByDialogEsc = true;
  std::uint32_t roundStart = 0, openedAt = 0, closedAt = 0;
  const TRound& round = h.Round();
  h.Script.push_back([&] {
    if (!round.FRoundRunning || timeGetTime() - round.FRoundStart < 3000) return false;
    roundStart = round.FRoundStart;
    const TBalloon* first = round.FBalloons[1].get();
    WhenSettingsOpen([&](TSettingsForm& f) {
      opened = true;
      h.Clock.Advance(60000);
      PressKey(f, Qt::Key_Escape);
    });
    openedAt = timeGetTime();
    h.Key(Qt::Key_S, Qt::ControlModifier);
    closedAt = timeGetTime();
    roundGoesOn = round.FRoundRunning && round.FBalloons[1].get() == first && round.FRoundStart == roundStart;
    quitByDialogEsc = form.FQuit;
    return true;
  });
  h.Script.push_back([&] {
    if (!h.SawBanner("Sorry,")) return false;
    h.Key(Qt::Key_Escape);
    return true;
  });
  form.PlayGame();

  ASSERT_TRUE(opened);
  EXPECT_GE(closedAt - openedAt, 60000u);
  EXPECT_TRUE(roundGoesOn);
  EXPECT_FALSE(quitByDialogEsc);
  // Time ran out 90 s after the round began, dialog included: the result
  // follows after the balloons' last 800 ms, not a minute later.
  std::uint32_t timeUp = 0;
  for (const auto& b : h.Banners)
    if (b.Line1 == "Sorry,") timeUp = b.At;
  ASSERT_NE(timeUp, 0u);
  EXPECT_GE(timeUp - roundStart, 90000u);
  EXPECT_LT(timeUp - roundStart, 90000u + 5000u);
}
