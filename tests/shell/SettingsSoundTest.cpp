// The settings dialog's "Sound" group on the in-memory mixer, headless on the
// virtual clock: the slider shows the speakers' louder channel, moves them at
// once (balance kept) while it is dragged, pops once on release whatever the
// sound switch says, and is not undone by Cancel; without device 0 the dialog
// does not open, and without a speakers volume the slider changes nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cmath>
#include <string>
#include <vector>

#include "SettingsDriver.h"
#include "SettingsMixer.h"
#include "shell/SettingsU.h"
#include "sound/mxMMErrs.h"
#include "sound/mxMixerVolumeControls.h"
#include "sound/mxTrackBars.h"

namespace {

using TValues = std::vector<std::uint32_t>;
using TWrite = TMemoryMixer::TWrite;

constexpr std::uint32_t LoudShotMs = 397;

// Mouse input through the dialog's window, as the desktop delivers it: the
// pointer's path in the bar's pixels, pressed at the first point, released at
// the last (any of them may lie outside the bar). OnPath runs after each move.
void Drag(TSettingsForm& f, Qt::MouseButton button, const std::vector<QPoint>& path,
          const std::function<void()>& OnPath = {}) {
  QWindow* w = f.windowHandle();
  auto at = [&](QPoint p) { return f.VolumeBar->mapTo(&f, p); };
  QTest::mousePress(w, button, {}, at(path.front()));
  for (std::size_t i = 1; i < path.size(); ++i) {
    QTest::mouseMove(w, at(path[i]));
    if (OnPath) OnPath();
  }
  QTest::mouseRelease(w, button, {}, at(path.back()));
}

// The left channel the panel writes for the right channel r at balance 11.
std::uint32_t AtBalance11(int r) { return std::uint32_t(std::nearbyint(r * 21.0 / 32.0)); }

std::vector<TRecordingSoundOutput::TEntry> Starts(TRecordingSoundOutput& Sounds) {
  std::vector<TRecordingSoundOutput::TEntry> starts;
  for (const auto& e : Sounds.Entries())
    if (e.Kind == TRecordingSoundOutput::TEntry::Start) starts.push_back(e);
  return starts;
}

struct TOpenCase {
  const char* Name;
  TValues Start;          // the speakers' channels before the dialog opens
  int Slider;             // where the slider stands
  std::vector<TValues> Writes;  // what opening wrote (the panel taking its line)
};

}  // namespace

TEST(SettingsSound, OpeningShowsTheLouderChannelAndWritesOnlyThePanelsSelection) {
  const TOpenCase cases[] = {
      {"right louder", {30000, 45000}, 45000, {{45000, 45000}, {29531, 45000}}},
      {"left louder", {45000, 30000}, 45000, {{45000, 45000}, {45000, 29531}}},
      {"balanced", {30000, 30000}, 30000, {}},
      {"silent", {0, 0}, 0, {}},
      {"full", {65535, 65535}, 65535, {}},
  };
  for (const TOpenCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TStartScreen h(TSettingsMixer::SpeakersWithVolume, c.Start);
    bool opened = false;
    WhenSettingsOpen([&](TSettingsForm& f) {
      opened = true;
      TmxTrackBar& bar = *f.VolumeBar;
      EXPECT_EQ(bar.Min(), 0);
      EXPECT_EQ(bar.Max(), 65535);
      EXPECT_EQ(bar.Position(), c.Slider);
      EXPECT_TRUE(bar.isEnabled());
      std::vector<TWrite> expected;
      for (const TValues& v : c.Writes) expected.push_back({h.Mixer.Volume, 2, v});
      EXPECT_EQ(h.Mixer.Mem.Writes, expected);
      // The slider as a new track bar apart from its range.
      EXPECT_EQ(bar.orientation(), Qt::Horizontal);
      EXPECT_FALSE(bar.EnableSelRange());
      EXPECT_EQ(bar.LineSize(), 1);
      EXPECT_EQ(bar.PageSize(), 2);
      EXPECT_EQ(bar.Frequency(), 1);
      // The panel that does the work stays out of sight, on the speakers.
      TmxMixerVolumeControls& panel = *f.VolumeCtrl;
      EXPECT_EQ(panel.parentWidget(), &f);
      EXPECT_FALSE(panel.isVisible());
      EXPECT_EQ(panel.geometry(), QRect(8, 20, 157, 225));
      EXPECT_EQ(panel.BorderStyle(), bsNone);
      EXPECT_EQ(panel.Mixer(), f.mxMixer1);
      EXPECT_EQ(f.mxMixer1->DeviceID(), 0);
      EXPECT_EQ(panel.SelectedLine(), f.mxMixer1->SpeakersLine().get());
      EXPECT_EQ(panel.VolumeMax() - panel.VolumePosition(), c.Slider);
      PressKey(f, Qt::Key_Escape);
    });
    h.Form->acSettings->trigger();
    ASSERT_TRUE(opened);
    EXPECT_EQ(h.Mixer.Mem.Writes.size(), c.Writes.size()) << "closing wrote to the mixer";
    EXPECT_EQ(h.Mixer.Mem.OpenHandles(), 0) << "the dialog left the device open";
    EXPECT_TRUE(Starts(h.Sounds).empty());
  }
}

struct TMoveCase {
  const char* Name;
  std::function<void(TSettingsForm&)> Move;
  TValues Channels;  // after the move (and after the dialog has closed)
  bool Pops;         // a mouse release over the slider
  Qt::Key Close;     // Return: OK; Escape: Cancel
};

TEST(SettingsSound, TheSliderMovesTheSpeakersAtOnceAndNeitherOkNorCancelUndoesIt) {
  // A thumb dragged beyond the bar's left end, the pointer leaving the bar.
  auto farLeft = [](TSettingsForm& f) {
    const QPoint c = ThumbCentre(*f.VolumeBar);
    Drag(f, Qt::LeftButton, {c, c - QPoint(60, 0), c - QPoint(200, 0), QPoint(-40, c.y())});
  };
  auto key = [](Qt::Key k) {
    return [k](TSettingsForm& f) {
      f.VolumeBar->setFocus();
      PressKey(f, k);
    };
  };
  const TMoveCase cases[] = {
      {"dragged to the far left, Cancel", farLeft, {0, 0}, true, Qt::Key_Escape},
      {"dragged to the far left, OK", farLeft, {0, 0}, true, Qt::Key_Return},
      {"End, the quieter channel keeps its share", key(Qt::Key_End), {AtBalance11(65535), 65535}, false,
       Qt::Key_Escape},
      {"Home", key(Qt::Key_Home), {0, 0}, false, Qt::Key_Escape},
      {"one step to the left", key(Qt::Key_Left), {AtBalance11(44999), 44999}, false, Qt::Key_Return},
  };
  for (const TMoveCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TStartScreen h;
    h.Sounds.SetLength("LOUDSHOT", LoudShotMs);
    bool opened = false;
    WhenSettingsOpen([&](TSettingsForm& f) {
      opened = true;
      h.Mixer.Mem.Writes.clear();
      c.Move(f);
      EXPECT_EQ(h.Mixer.Channels(), c.Channels);
      ASSERT_FALSE(h.Mixer.Mem.Writes.empty());
      EXPECT_EQ(h.Mixer.Mem.Writes.back(), (TWrite{h.Mixer.Volume, 2, c.Channels}));
      PressKey(f, c.Close);
    });
    h.Form->acSettings->trigger();
    ASSERT_TRUE(opened);
    EXPECT_EQ(h.Mixer.Channels(), c.Channels);
    EXPECT_EQ(Starts(h.Sounds).size(), c.Pops ? 1u : 0u);
    EXPECT_TRUE(h.Mixer.Errors.empty());
  }
}

TEST(SettingsSound, TheSpeakersFollowTheThumbWhileItIsDragged) {
  TStartScreen h;
  bool opened = false;
  WhenSettingsOpen([&](TSettingsForm& f) {
    opened = true;
    h.Mixer.Mem.Writes.clear();
    const QPoint c = ThumbCentre(*f.VolumeBar);
    std::vector<TValues> seen;
    Drag(f, Qt::LeftButton, {c, c + QPoint(20, 0), c + QPoint(40, 0), c - QPoint(30, 0)}, [&] {
      const int p = f.VolumeBar->Position();
      seen.push_back(h.Mixer.Channels());
      EXPECT_EQ(h.Mixer.Channels(), (TValues{AtBalance11(p), std::uint32_t(p)})) << "at " << p;
    });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_LT(45000u, seen[0][1]);
    EXPECT_LT(seen[0][1], seen[1][1]);
    EXPECT_LT(seen[2][1], 45000u);
    PressKey(f, Qt::Key_Escape);
  });
  h.Form->acSettings->trigger();
  ASSERT_TRUE(opened);
}

// The release pops at the volume just set: after its 28 ms pause, with the
// dialog held until the pop has played, once per release, with the game's sound
// off and the dialog's own "turn off the sound" ticked.
TEST(SettingsSound, ReleasingTheSliderPopsOnceWithTheGamesSoundOff) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    SCOPED_TRACE(button == Qt::LeftButton ? "left button" : "right button");
    TStartScreen h;
    h.Sounds.SetLength("LOUDSHOT", LoudShotMs);
    h.Form->FNoSound = true;
    bool opened = false;
    std::uint32_t releasedAt = 0, backAt = 0;
    TValues channelsAtPop;
    WhenSettingsOpen([&](TSettingsForm& f) {
      opened = true;
      EXPECT_TRUE(f.CheckBox3->isChecked());
      const QPoint c = ThumbCentre(*f.VolumeBar);
      QWindow* w = f.windowHandle();
      QTest::mousePress(w, button, {}, f.VolumeBar->mapTo(&f, c));
      h.Sounds.Clear();
      releasedAt = timeGetTime();
      QTest::mouseRelease(w, button, {}, f.VolumeBar->mapTo(&f, c));
      backAt = timeGetTime();
      channelsAtPop = h.Mixer.Channels();
      PressKey(f, Qt::Key_Return);
    });
    h.Form->acSettings->trigger();
    ASSERT_TRUE(opened);
    const auto starts = Starts(h.Sounds);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Name, "LOUDSHOT");
    EXPECT_TRUE(starts[0].Wait);
    EXPECT_EQ(starts[0].Time, releasedAt + 28);
    EXPECT_GE(backAt, releasedAt + 28 + LoudShotMs) << "the dialog went on before the pop had played";
    EXPECT_EQ(channelsAtPop, (TValues{29531, 45000}));
    EXPECT_TRUE(h.Form->FNoSound);
  }
}

TEST(SettingsSound, AnotherProgramsChangeIsNotShownButTheNextMoveWritesTheSlidersValue) {
  TStartScreen h;
  bool opened = false;
  WhenSettingsOpen([&](TSettingsForm& f) {
    opened = true;
    h.Mixer.Mem.Change(h.Mixer.Volume, {10000, 10000});
    QCoreApplication::processEvents();
    EXPECT_EQ(f.VolumeCtrl->VolumeMax() - f.VolumeCtrl->VolumePosition(), 10000);
    EXPECT_EQ(f.VolumeBar->Position(), 45000);
    EXPECT_EQ(h.Mixer.Channels(), (TValues{10000, 10000}));
    f.VolumeBar->setFocus();
    PressKey(f, Qt::Key_Left);
    // The panel now holds the other program's balance.
    EXPECT_EQ(h.Mixer.Channels(), (TValues{44999, 44999}));
    PressKey(f, Qt::Key_Escape);
  });
  h.Form->acSettings->trigger();
  ASSERT_TRUE(opened);
}

struct TNoDeviceCase {
  const char* Name;
  TSettingsMixer::TShape Shape;
  TMemoryMixer::TCall Fail;  // with FailCode; ignored when FailCode is 0
  TMMResult FailCode;
  bool WindowShowsMessages;  // else the mixer's own error box
  QString Message;
};

TEST(SettingsSound, WithoutDeviceZeroTheMixersMessageShowsAndNoDialogOpens) {
  const auto text = [](TMMResult code) {
    try {
      std::rethrow_exception(MMErrorFor(code));
    } catch (const EMMSysError& e) {
      return e.Message().replace(QChar('\r'), QChar('\n'));
    }
  };
  const TNoDeviceCase cases[] = {
      {"no device", TSettingsMixer::NoDevice, {}, 0, true,
       QStringLiteral("Multimedia System Error:\nDevice ID out of range")},
      {"no device, no window box", TSettingsMixer::NoDevice, {}, 0, false,
       QStringLiteral("Multimedia System Error:\rDevice ID out of range")},
      {"device in use", TSettingsMixer::SpeakersWithVolume, TMemoryMixer::TCall::Open, mmAllocated, true,
       text(mmAllocated)},
      {"lines cannot be read", TSettingsMixer::SpeakersWithVolume, TMemoryMixer::TCall::Destination, mmNoMem,
       true, text(mmNoMem)},
  };
  for (const TNoDeviceCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TStartScreen h(c.Shape);
    if (c.FailCode != 0) h.Mixer.Mem.Fail(c.Fail, c.FailCode, -1);
    TForm1& form = *h.Form;
    form.FShowInstructions = false;
    form.FNoSound = true;
    QStringList shown;
    if (c.WindowShowsMessages)
      form.ShowMessage = [&](const QString& m) { shown << m; };
    else
      form.ShowMessage = nullptr;
    bool opened = false;
    QObject watch;
    WhenSettingsOpen(
        [&](TSettingsForm& f) {
          opened = true;
          f.reject();
        },
        &watch);
    form.acSettings->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(form.findChildren<TSettingsForm*>().isEmpty());
    if (c.WindowShowsMessages) {
      EXPECT_EQ(shown, QStringList{c.Message});
      EXPECT_TRUE(h.Mixer.Errors.empty());
    } else {
      ASSERT_EQ(h.Mixer.Errors.size(), 1u);
      try {
        std::rethrow_exception(h.Mixer.Errors[0]);
      } catch (const EMMSysError& e) {
        EXPECT_EQ(e.Message(), c.Message);
      }
    }
    // Nothing changed, nothing redrawn, the device let go.
    EXPECT_FALSE(form.FShowInstructions);
    EXPECT_TRUE(form.FNoSound);
    EXPECT_EQ(form.lbNames, QStringList({"Ann", "Bo"}));
    EXPECT_EQ(h.CountBanner("Pick your settings."), 0);
    EXPECT_FALSE(form.FQuit);
    EXPECT_EQ(h.Mixer.Mem.OpenHandles(), 0);
    EXPECT_TRUE(h.Mixer.Mem.Writes.empty());
  }
}

TEST(SettingsSound, WithoutASpeakersVolumeTheSliderShowsZeroToTenAtTenAndChangesNothing) {
  for (TSettingsMixer::TShape shape : {TSettingsMixer::NoSpeakers, TSettingsMixer::SpeakersWithoutVolume}) {
    SCOPED_TRACE(shape == TSettingsMixer::NoSpeakers ? "no speakers line" : "speakers without a volume");
    TStartScreen h(shape);
    h.Sounds.SetLength("LOUDSHOT", LoudShotMs);
    QStringList shown;
    h.Form->ShowMessage = [&](const QString& m) { shown << m; };
    bool opened = false;
    WhenSettingsOpen([&](TSettingsForm& f) {
      opened = true;
      TmxTrackBar& bar = *f.VolumeBar;
      EXPECT_EQ(f.VolumeCtrl->SelectedLine(), nullptr);
      EXPECT_EQ(bar.Min(), 0);
      EXPECT_EQ(bar.Max(), 10);
      EXPECT_EQ(bar.Position(), 10);
      bar.setFocus();
      PressKey(f, Qt::Key_Home);
      EXPECT_EQ(bar.Position(), 0);
      const QPoint c = ThumbCentre(bar);
      Drag(f, Qt::LeftButton, {c, c + QPoint(100, 0)});
      EXPECT_GT(bar.Position(), 0);
      PressKey(f, Qt::Key_Return);
    });
    h.Form->acSettings->trigger();
    ASSERT_TRUE(opened) << shown.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(h.Mixer.Mem.Writes.empty());
    EXPECT_TRUE(h.Mixer.Errors.empty());
    // The pop still plays.
    const auto starts = Starts(h.Sounds);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Name, "LOUDSHOT");
  }
}
