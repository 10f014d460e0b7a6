// The mixer volume panel on the in-memory mixer: the conversion between channel
// values and volume plus balance (as one table), what selecting a line writes,
// the check box, notifications, reselection, the end of the device or the panel,
// loading, bounds, layout and painting.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QTest>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "sound/mxMixerVolumeControls.h"
#include "support/MemoryMixer.h"

namespace {

using TWrite = TMemoryMixer::TWrite;
using TValues = std::vector<std::uint32_t>;

// Device 0: speakers (stereo, volume 0..65535 with the case's values, uniform mute
// off) with a wave-out source (volume, mute); wave in with a single-select
// selector "Mic"/"Line" (Mic selected) and two sources with a volume each.
class MixerPanel : public ::testing::Test {
protected:
  void SetUp() override {
    SetMixerDriver(&Mem);
    SetMixerErrorDisplay([this](std::exception_ptr e) { Errors.push_back(e); });
    Mem.AddDevice("Memory Mixer");
    Speakers = Mem.AddDestination(0, mlcDstFirst + ldSpeakers, "Speakers", 2);
    Volume = Mem.AddVolume(Speakers, {30000, 45000});
    Mute = Mem.AddMute(Speakers, false);
    Wave = Mem.AddSource(Speakers, mlcSrcFirst + lsWaveOut, "Wave", 2);
    WaveVolume = Mem.AddVolume(Wave, {1000, 2000});
    Mem.AddMute(Wave, false);
    WaveIn = Mem.AddDestination(0, mlcDstFirst + ldWaveIn, "Recording", 2);
    Selector = Mem.AddList(WaveIn, mctMux, {"Mic", "Line"}, {1, 0});
    Mic = Mem.AddSource(WaveIn, mlcSrcFirst + lsMicrophone, "Mic", 2);
    MicVolume = Mem.AddVolume(Mic, {5000, 5000});
    LineIn = Mem.AddSource(WaveIn, mlcSrcFirst + lsLine, "Line", 2);
    Mem.AddVolume(LineIn, {6000, 6000});
  }
  void TearDown() override {
    Panel.reset();
    Mixer.reset();
    SetMixerErrorDisplay({});
    SetMixerDriver(nullptr);
  }

  // Opens device 0 and makes a panel for it that selects by these types.
  TmxMixerVolumeControls& Select(TMixerLineDestinationType d, TMixerLineSourceType s = lsUndefined) {
    Mixer = std::make_unique<TmxMixer>();
    Mixer->SetDeviceID(0);
    Panel = std::make_unique<TmxMixerVolumeControls>();
    Panel->SetMixer(Mixer.get());
    Panel->SetSourceType(s);
    Panel->SetDestinationType(d);
    return *Panel;
  }

  TMemoryMixer Mem;
  std::unique_ptr<TmxMixer> Mixer;
  std::unique_ptr<TmxMixerVolumeControls> Panel;
  std::vector<std::exception_ptr> Errors;
  std::uint32_t Speakers = 0, Volume = 0, Mute = 0, Wave = 0, WaveVolume = 0;
  std::uint32_t WaveIn = 0, Selector = 0, Mic = 0, MicVolume = 0, LineIn = 0;
};

constexpr int NoMove = INT_MIN;

struct TPanelCase {
  const char* Name;
  TValues Start;              // the speakers' channel values before selection
  int BalanceBefore;          // the balance bar's position before selection
  int VolumePosition;         // the volume bar after selection
  int Balance;                // the balance bar after selection
  std::vector<TValues> Writes;  // written while selecting, in order
  int MoveBalanceTo = NoMove;   // then the user moves the balance bar here
  TValues Final = {};           // the device's values at the end (Start when empty)
};

void PrintTo(const TPanelCase& c, std::ostream* os) { *os << c.Name; }

const TPanelCase PanelCases[] = {
    {"EqualChannels", {30000, 30000}, 0, 35535, 0, {}},
    // The louder value goes to both channels first (the balance bar still at 0),
    // then the balance bar's move writes the pair it expresses.
    {"RightOnly", {0, 45000}, 0, 20535, 32, {{45000, 45000}, {0, 45000}}},
    {"LeftLouderRoundsTheQuieterChannel", {45000, 30000}, 0, 20535, -11, {{45000, 45000}, {45000, 29531}}},
    {"SilenceKeepsTheBalance", {0, 0}, 10, 65535, 10, {}},
    {"BalanceRightSilencesLeft", {30000, 30000}, 0, 35535, 0, {}, 32, {0, 30000}},
    {"BalanceLeftSilencesRight", {30000, 45000}, 0, 20535, 11, {{45000, 45000}, {29531, 45000}}, -32, {45000, 0}},
    // Half of 40001 is 20000.5: the even neighbour, not the next one up.
    {"HalfwayRoundsToEven", {40001, 40001}, 0, 25534, 0, {}, 16, {20000, 40001}},
};

class MixerPanelTable : public MixerPanel, public ::testing::WithParamInterface<TPanelCase> {};

TEST_P(MixerPanelTable, ChannelValuesBecomeVolumeAndBalanceAndBack) {
  const TPanelCase& c = GetParam();
  Mem.Values(Volume) = c.Start;
  Mixer = std::make_unique<TmxMixer>();
  Mixer->SetDeviceID(0);
  Panel = std::make_unique<TmxMixerVolumeControls>();
  int applied = 0;
  Panel->OnVolumeControlChange = [&](QObject* sender) {
    EXPECT_EQ(sender, Panel.get());
    ++applied;
  };
  Panel->BalanceBar()->SetPosition(c.BalanceBefore);  // no line yet: nothing written
  Panel->SetMixer(Mixer.get());
  Panel->SetDestinationType(ldSpeakers);
  ASSERT_EQ(Panel->SelectedLine(), Mixer->SpeakersLine().get());
  EXPECT_EQ(Panel->VolumeMin(), 0);
  EXPECT_EQ(Panel->VolumeMax(), 65535);
  EXPECT_EQ(Panel->VolumePosition(), c.VolumePosition);
  EXPECT_EQ(Panel->BalanceBar()->Position(), c.Balance);
  std::vector<TWrite> expected;
  for (const TValues& w : c.Writes) expected.push_back({Volume, 2, w});
  EXPECT_EQ(Mem.Writes, expected);
  EXPECT_GE(applied, 1);
  if (c.MoveBalanceTo != NoMove) {
    Mem.Writes.clear();
    Panel->BalanceBar()->SetPosition(c.MoveBalanceTo);
    ASSERT_FALSE(Mem.Writes.empty());
    EXPECT_EQ(Mem.Writes.back().Values, c.Final);
  }
  EXPECT_EQ(Mem.Values(Volume), c.Final.empty() ? (c.Writes.empty() ? c.Start : c.Writes.back()) : c.Final);
}

INSTANTIATE_TEST_SUITE_P(Speakers, MixerPanelTable, ::testing::ValuesIn(PanelCases),
                         [](const ::testing::TestParamInfo<TPanelCase>& i) { return std::string(i.param.Name); });

TEST_F(MixerPanel, ADestinationTheDeviceLacksSelectsNothingAndWritesNothing) {
  for (TMixerLineDestinationType d : {ldHeadPhones, ldDigital}) {
    TmxMixerVolumeControls& panel = Select(d);
    EXPECT_EQ(panel.SelectedLine(), nullptr);
    EXPECT_EQ(panel.LineID(), -1);
    EXPECT_EQ(panel.CheckBox()->text(), "");
    EXPECT_EQ(panel.VolumeMin(), 0);
    EXPECT_EQ(panel.VolumeMax(), 10);
    EXPECT_EQ(panel.VolumePosition(), 0);
    EXPECT_EQ(panel.LineName(), "");
    // Moving either bar writes nothing, and still tells the owner.
    int applied = 0;
    panel.OnVolumeControlChange = [&](QObject*) { ++applied; };
    panel.SetVolumePosition(3);
    panel.BalanceBar()->SetPosition(-5);
    EXPECT_EQ(applied, 2);
  }
  // A wave-in line without a volume control is no line either.
  EXPECT_EQ(Select(ldWaveIn).SelectedLine(), nullptr);
  EXPECT_TRUE(Mem.Writes.empty());
}

TEST_F(MixerPanel, MovingTheVolumeKeepsTheBalance) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);  // 30000/45000: balance 11, written 30000/45000
  Mem.Writes.clear();
  EXPECT_EQ(panel.BalanceBar()->Position(), 11);
  // The slider of the settings dialog: position = max - volume.
  // Each channel's change is written as it is set: left round(21/32 × 60000), then right.
  panel.SetVolumePosition(panel.VolumeMax() - 60000);
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{Volume, 2, {39375, 45000}}, {Volume, 2, {39375, 60000}}}));
  panel.SetVolumePosition(panel.VolumeMax());
  EXPECT_EQ(Mem.Values(Volume), (TValues{0, 0}));
  // The same position again writes nothing.
  const std::size_t writes = Mem.Writes.size();
  panel.SetVolumePosition(panel.VolumeMax());
  EXPECT_EQ(Mem.Writes.size(), writes);
}

TEST_F(MixerPanel, SelectingTheSameTypesAgainDoesNothing) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  const int reads = Mem.Calls(TMemoryMixer::TCall::GetDetails);
  const std::size_t writes = Mem.Writes.size();
  panel.SelectLineByType(lsUndefined, ldSpeakers);
  panel.SetDestinationType(ldSpeakers);
  EXPECT_EQ(Mem.Calls(TMemoryMixer::TCall::GetDetails), reads);
  EXPECT_EQ(Mem.Writes.size(), writes);
  EXPECT_EQ(panel.LineID(), std::int32_t(Speakers));
}

TEST_F(MixerPanel, TheCheckBoxMutesALineWithAMuteSwitch) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  EXPECT_EQ(panel.CheckBox()->text(), "Mute");
  EXPECT_FALSE(panel.CheckBox()->isChecked());
  EXPECT_EQ(panel.MuteSwitch(), Mixer->SpeakersMute().get());
  EXPECT_EQ(panel.LineName(), "Speakers");
  Mem.Writes.clear();
  panel.show();
  QTest::mouseClick(panel.CheckBox(), Qt::LeftButton);
  EXPECT_TRUE(panel.CheckBox()->isChecked());
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{Mute, 1, {0xFFFFFFFF}}}));
  // Muted by another program: the box follows, nothing is written.
  Mem.Writes.clear();
  Mem.Change(Mute, {0, 0});
  EXPECT_FALSE(panel.CheckBox()->isChecked());
  Mem.Change(Mute, {1, 1});
  EXPECT_TRUE(panel.CheckBox()->isChecked());
  EXPECT_TRUE(Mem.Writes.empty());
  // A line selected while muted shows the box ticked.
  TmxMixerVolumeControls other;
  other.SetMixer(Mixer.get());
  other.SetDestinationType(ldSpeakers);
  EXPECT_TRUE(other.CheckBox()->isChecked());
}

TEST_F(MixerPanel, TheCheckBoxOfASourceWithoutMuteSwitchIsItsSelection) {
  TmxMixerVolumeControls& panel = Select(ldWaveIn, lsLine);
  ASSERT_EQ(panel.LineID(), std::int32_t(LineIn));
  EXPECT_EQ(panel.CheckBox()->text(), "Active");
  EXPECT_FALSE(panel.CheckBox()->isChecked()) << "Mic is the selected source";
  // The source keeps its destination's type.
  EXPECT_EQ(panel.DestinationType(), ldWaveIn);
  EXPECT_EQ(panel.SourceType(), lsLine);
  Mem.Writes.clear();
  panel.CheckBox()->click();
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{Selector, 1, {0, 1}}}));
  EXPECT_TRUE(Mixer->LineByID(LineIn)->Selected());
  // Another program selects the microphone: the selector's item tells the panel.
  Mem.Writes.clear();
  Mem.Change(Selector, {1, 0, 1, 0});
  EXPECT_FALSE(panel.CheckBox()->isChecked());
  EXPECT_TRUE(Mem.Writes.empty());
}

TEST_F(MixerPanel, ChangesReportedByTheMixerMoveTheBarsWithoutWriting) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  Mem.Writes.clear();
  int applied = 0;
  panel.OnVolumeControlChange = [&](QObject*) { ++applied; };
  struct TStep {
    TValues Values;
    int VolumePosition, Balance;
  };
  for (const TStep& s : {TStep{{20000, 40000}, 25535, 16}, TStep{{45000, 30000}, 20535, -11}, TStep{{0, 0}, 65535, -11}}) {
    Mem.Change(Volume, s.Values);
    EXPECT_EQ(panel.VolumePosition(), s.VolumePosition);
    EXPECT_EQ(panel.BalanceBar()->Position(), s.Balance);
  }
  EXPECT_TRUE(Mem.Writes.empty()) << "a reported change was written back";
  EXPECT_GT(applied, 0);
  // The rounding the bars made stays in the control's values until the next write.
  Mem.Change(Volume, {45000, 30000});
  EXPECT_EQ(Mixer->SpeakersVolume()->Values(), (TValues{45000, 29531}));
  EXPECT_EQ(Mem.Values(Volume), (TValues{45000, 30000}));
}

TEST_F(MixerPanel, ASelectedLineAloneDrivesThePanel) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  panel.SelectLineByID(std::int32_t(Wave));
  EXPECT_EQ(panel.LineName(), "Wave");
  EXPECT_EQ(panel.VolumePosition(), 65535 - 2000);
  Mem.Writes.clear();
  // The speakers' volume changes elsewhere: neither the panel nor the wave line follow.
  Mem.Change(Volume, {100, 200});
  EXPECT_EQ(panel.VolumePosition(), 65535 - 2000);
  EXPECT_TRUE(Mem.Writes.empty());
  EXPECT_EQ(Mixer->SpeakersVolume()->Notify(), nullptr);
  EXPECT_EQ(Mixer->LineByID(Wave)->VolumeControl()->Notify(), panel.Adapter());
  // An ID without a volume control changes nothing; −1 selects none.
  panel.SelectLineByID(std::int32_t(WaveIn));
  EXPECT_EQ(panel.LineID(), std::int32_t(Wave));
  panel.SelectLineByID(-1);
  EXPECT_EQ(panel.SelectedLine(), nullptr);
  EXPECT_EQ(panel.CheckBox()->text(), "");
  EXPECT_EQ(Mixer->LineByID(Wave)->VolumeControl()->Notify(), nullptr);
  panel.SetVolumePosition(0);
  EXPECT_TRUE(Mem.Writes.empty());
  // Without a mixer nothing is selected either.
  panel.SelectLineByID(std::int32_t(Speakers));
  EXPECT_EQ(panel.LineID(), std::int32_t(Speakers));
  panel.SetMixer(nullptr);
  EXPECT_EQ(panel.LineID(), -1);
  panel.SelectLineByID(std::int32_t(Speakers));
  EXPECT_EQ(panel.SelectedLine(), nullptr);
}

TEST_F(MixerPanel, ThePanelForgetsALineItsDeviceFreed) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  Mixer->SetDeviceID(-1);
  EXPECT_EQ(panel.SelectedLine(), nullptr);
  EXPECT_EQ(panel.MuteSwitch(), nullptr);
  EXPECT_EQ(panel.LineID(), -1);
  Mem.Writes.clear();
  panel.SetVolumePosition(100);
  panel.CheckBox()->click();
  EXPECT_TRUE(Mem.Writes.empty());
  // Reopened, the panel selects anew.
  Mixer->SetDeviceID(0);
  panel.SelectLineByType(lsUndefined, ldSpeakers);
  EXPECT_EQ(panel.SelectedLine(), Mixer->SpeakersLine().get());
}

TEST_F(MixerPanel, AFreedPanelIsToldNothingMore) {
  Select(ldSpeakers);
  std::weak_ptr<TmxVisualMixerControlAdapter> adapter = Panel->Adapter();
  Panel.reset();
  ASSERT_FALSE(adapter.expired()) << "the mixer's controls still hold the adapter";
  EXPECT_EQ(adapter.lock()->Owner, nullptr);
  const std::size_t writes = Mem.Writes.size();
  Mem.Change(Volume, {1, 2});
  Mem.Change(Mute, {1, 1});
  EXPECT_EQ(Mem.Writes.size(), writes);
  Mixer.reset();
  EXPECT_TRUE(adapter.expired());
}

TEST_F(MixerPanel, WhileLoadingTheTypesAreStoredAndLoadedSelects) {
  Mixer = std::make_unique<TmxMixer>();
  Mixer->SetDeviceID(0);
  Panel = std::make_unique<TmxMixerVolumeControls>();
  Panel->BeginLoading();
  Panel->SetMixer(Mixer.get());
  Panel->SetSourceType(lsUndefined);
  Panel->SetDestinationType(ldSpeakers);
  EXPECT_EQ(Panel->SelectedLine(), nullptr);
  EXPECT_EQ(Panel->VolumeMax(), 10);
  EXPECT_TRUE(Mem.Writes.empty());
  Panel->Loaded();
  EXPECT_EQ(Panel->SelectedLine(), Mixer->SpeakersLine().get());
  EXPECT_EQ(Panel->VolumePosition(), 65535 - 45000);
}

TEST_F(MixerPanel, AFailedWriteReachesWhoeverMovedTheBar) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  Mem.Fail(TMemoryMixer::TCall::SetDetails, mmInvalidHandle, -1);
  EXPECT_THROW(panel.SetVolumePosition(0), EMMSysError);
  EXPECT_EQ(panel.VolumePosition(), 0);
  EXPECT_TRUE(Errors.empty());
  // A user's move is shown and the panel goes on.
  panel.show();
  QTest::keyClick(panel.VolumeBar(), Qt::Key_Down);
  EXPECT_EQ(Errors.size(), 1u);
  QTest::mouseClick(panel.CheckBox(), Qt::LeftButton);
  EXPECT_EQ(Errors.size(), 2u);
}

TEST_F(MixerPanel, BoundsAndLayoutFollowTheSize) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  EXPECT_EQ(panel.size(), QSize(93, 277));
  panel.resize(10, 10);
  EXPECT_EQ(panel.size(), QSize(77, 225));
  panel.resize(157, 225);
  panel.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(panel.BalanceBar()->geometry(), QRect(18, 48, 157 - 36, 32));
  EXPECT_EQ(panel.VolumeBar()->geometry(), QRect((157 - 45 + 7) / 2, 104, 45, 225 - 140));
  EXPECT_EQ(panel.CheckBox()->pos(), QPoint((157 - 64 + 7) / 2, 225 - 27));
  panel.resize(100, 300);
  QCoreApplication::processEvents();
  EXPECT_EQ(panel.BalanceBar()->geometry(), QRect(18, 48, 64, 32));
  EXPECT_EQ(panel.VolumeBar()->geometry(), QRect(31, 104, 45, 160));
  EXPECT_EQ(panel.CheckBox()->pos(), QPoint(21, 273));
  // The children as created.
  EXPECT_EQ(panel.BalanceBar()->Min(), -32);
  EXPECT_EQ(panel.BalanceBar()->Max(), 32);
  EXPECT_EQ(panel.BalanceBar()->Frequency(), 32);
  EXPECT_EQ(panel.VolumeBar()->orientation(), Qt::Vertical);
  EXPECT_EQ(panel.VolumeBar()->Frequency(), 8192);
  EXPECT_EQ(panel.VolumeBar()->tickPosition(), QSlider::TicksBothSides);
  EXPECT_FALSE(panel.BalanceBar()->EnableSelRange());
  EXPECT_FALSE(panel.VolumeBar()->EnableSelRange());
  // The enabled state passes to the children.
  panel.setEnabled(false);
  EXPECT_FALSE(panel.BalanceBar()->isEnabled());
  EXPECT_FALSE(panel.VolumeBar()->isEnabled());
  EXPECT_FALSE(panel.CheckBox()->isEnabled());
  panel.setEnabled(true);
  EXPECT_TRUE(panel.CheckBox()->isEnabled());
}

TEST_F(MixerPanel, PaintsNameSeparatorAndFrame) {
  TmxMixerVolumeControls& panel = Select(ldSpeakers);
  panel.resize(120, 260);
  const QRgb light = panel.palette().color(QPalette::Light).rgb();
  const QRgb dark = panel.palette().color(QPalette::Dark).rgb();
  const int window = qGray(panel.palette().color(QPalette::Window).rgb());
  // Text is antialiased: count pixels clearly darker or lighter than the window.
  auto countIn = [](const QImage& img, QRect r, const std::function<bool(int)>& gray) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += gray(qGray(img.pixel(x, y)));
    return n;
  };
  auto black = [](int g) { return g < 100; };
  auto shaded = [&](int g) { return g < window - 20; };
  auto lit = [&](int g) { return g > window + 8; };
  QImage img = panel.grab().toImage();
  // The separator, both lines ending short of the right edge.
  EXPECT_EQ(img.pixel(5, 88), dark);
  EXPECT_EQ(img.pixel(120 - 6, 88), dark);
  EXPECT_NE(img.pixel(120 - 5, 88), dark);
  EXPECT_EQ(img.pixel(60, 89), light);
  // The raised frame of a single border.
  EXPECT_EQ(img.pixel(0, 100), light);
  EXPECT_EQ(img.pixel(60, 0), light);
  EXPECT_EQ(img.pixel(119, 100), dark);
  EXPECT_EQ(img.pixel(60, 259), dark);
  // The line's name at the top left.
  EXPECT_GT(countIn(img, QRect(4, 8, 60, 12), black), 10);
  panel.SetBorderStyle(bsNone);
  img = panel.grab().toImage();
  EXPECT_NE(img.pixel(0, 100), light);
  // Disabled: the texts in the highlight colour one pixel down and right, then
  // in the shadow colour.
  panel.setEnabled(false);
  img = panel.grab().toImage();
  EXPECT_EQ(countIn(img, QRect(4, 8, 60, 12), black), 0);
  EXPECT_GT(countIn(img, QRect(4, 8, 60, 12), shaded), 10);
  EXPECT_GT(countIn(img, QRect(5, 9, 60, 12), lit), 10);
}

}  // namespace
