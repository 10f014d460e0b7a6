// The track bar: a new bar's settings, change events by program and by the user,
// the downward vertical bar, the mouse events and the selection range.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QTest>
#include <functional>
#include <stdexcept>
#include <vector>

#include "sound/mxMMErrs.h"
#include "sound/mxMixer.h"
#include "sound/mxTrackBars.h"

namespace {

struct TChangeLog {
  std::vector<int> Positions;  // the position each change event saw
  void Attach(TmxTrackBar& bar) {
    bar.OnChange = [this](QObject* sender) { Positions.push_back(static_cast<TmxTrackBar*>(sender)->Position()); };
  }
};

TEST(TrackBar, StartsAsANewTrackBar) {
  TmxTrackBar bar;
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 10);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(bar.LineSize(), 1);
  EXPECT_EQ(bar.PageSize(), 2);
  EXPECT_EQ(bar.Frequency(), 1);
  EXPECT_EQ(bar.orientation(), Qt::Horizontal);
  EXPECT_EQ(bar.tickPosition(), QSlider::TicksBelow);
  EXPECT_FALSE(bar.EnableSelRange());
}

TEST(TrackBar, ChangesByProgramFireTheEventWhenThePositionChanges) {
  struct TStep {
    const char* Name;
    std::function<void(TmxTrackBar&)> Do;
    int Position;
    bool Fires;
  };
  const TStep steps[] = {
      {"a new position", [](TmxTrackBar& b) { b.SetPosition(5); }, 5, true},
      {"the same position", [](TmxTrackBar& b) { b.SetPosition(5); }, 5, false},
      {"a maximum below it clamps it", [](TmxTrackBar& b) { b.SetMax(3); }, 3, true},
      {"a wider range keeps it", [](TmxTrackBar& b) { b.SetRange(-100, 100); }, 3, false},
      {"a minimum above it clamps it", [](TmxTrackBar& b) { b.SetMin(50); }, 50, true},
      {"a position beyond the end stops there", [](TmxTrackBar& b) { b.SetPosition(1000); }, 100, true},
      {"a range that clamps it from above", [](TmxTrackBar& b) { b.SetRange(0, 65535); }, 100, false},
      {"a maximum raised keeps it", [](TmxTrackBar& b) { b.SetMax(65536); }, 100, false},
      {"a minimum above the maximum raises both", [](TmxTrackBar& b) { b.SetMin(70000); }, 70000, true},
  };
  TmxTrackBar bar;
  TChangeLog log;
  log.Attach(bar);
  for (const TStep& s : steps) {
    SCOPED_TRACE(s.Name);
    log.Positions.clear();
    s.Do(bar);
    EXPECT_EQ(bar.Position(), s.Position);
    EXPECT_EQ(log.Positions, s.Fires ? std::vector<int>{s.Position} : std::vector<int>{});
  }
}

TEST(TrackBar, KeysMoveAsOnATrackBarInEitherOrientation) {
  struct TKey {
    Qt::Key Key;
    int From, To;
  };
  // Range 0..10, line 1, page 2.
  const TKey keys[] = {
      {Qt::Key_Right, 5, 6}, {Qt::Key_Down, 5, 6},     {Qt::Key_Left, 5, 4}, {Qt::Key_Up, 5, 4},
      {Qt::Key_PageDown, 5, 7}, {Qt::Key_PageUp, 5, 3}, {Qt::Key_Home, 5, 0}, {Qt::Key_End, 5, 10},
      {Qt::Key_Right, 10, 10},
  };
  for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
    TmxTrackBar bar;
    bar.SetOrientation(o);
    bar.resize(o == Qt::Horizontal ? QSize(150, 45) : QSize(45, 150));
    bar.show();
    TChangeLog log;
    for (const TKey& k : keys) {
      bar.SetPosition(k.From);
      log.Attach(bar);
      log.Positions.clear();
      QTest::keyClick(&bar, k.Key);
      EXPECT_EQ(bar.Position(), k.To) << "key " << k.Key << (o == Qt::Vertical ? " vertical" : " horizontal");
      EXPECT_EQ(log.Positions, k.From == k.To ? std::vector<int>{} : std::vector<int>{k.To});
      bar.OnChange = {};
    }
  }
}

// A track bar that tells where its thumb is drawn.
class TThumbBar : public TmxTrackBar {
public:
  QPoint Thumb() {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this).center();
  }
};

TEST(TrackBar, AVerticalBarGrowsDownwards) {
  TThumbBar bar;
  bar.SetOrientation(Qt::Vertical);
  bar.resize(45, 137);
  bar.SetRange(0, 65535);
  bar.show();
  bar.SetPosition(0);
  const QPoint top = bar.Thumb();
  bar.SetPosition(65535);
  const QPoint bottom = bar.Thumb();
  EXPECT_LT(top.y(), bottom.y());
  EXPECT_LT(top.y(), bar.height() / 2);
  // A drag of the thumb downwards raises the position.
  bar.SetPosition(0);
  TChangeLog log;
  log.Attach(bar);
  QTest::mousePress(&bar, Qt::LeftButton, {}, top);
  const QPointF to(top.x(), bar.height() - 10);
  QMouseEvent move(QEvent::MouseMove, to, bar.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&bar, &move);
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(top.x(), bar.height() - 10));
  EXPECT_GT(bar.Position(), 50000);
  ASSERT_FALSE(log.Positions.empty());
  EXPECT_EQ(log.Positions.back(), bar.Position());
}

TEST(TrackBar, MouseEventsFollowTheSlidersOwnHandlingForEveryButton) {
  TmxTrackBar bar;
  bar.resize(289, 45);
  bar.show();
  struct TSeen {
    char What;
    Qt::MouseButton Button;
    Qt::KeyboardModifiers Shift;
    int X, Y, Position;
  };
  std::vector<TSeen> seen;
  bar.OnMouseDown = [&](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
    EXPECT_EQ(s, &bar);
    seen.push_back({'d', b, m, x, y, bar.Position()});
  };
  bar.OnMouseUp = [&](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
    seen.push_back({'u', b, m, x, y, bar.Position()});
  };
  // A click right of the thumb pages towards it; the release sees the new position.
  QTest::mouseClick(&bar, Qt::LeftButton, Qt::ShiftModifier, QPoint(250, 20));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].What, 'd');
  EXPECT_EQ(seen[0].Button, Qt::LeftButton);
  EXPECT_EQ(seen[0].Shift, Qt::ShiftModifier);
  EXPECT_EQ(seen[0].X, 250);
  EXPECT_EQ(seen[0].Y, 20);
  EXPECT_EQ(seen[1].What, 'u');
  EXPECT_EQ(seen[1].Position, bar.Position());
  EXPECT_GT(bar.Position(), 0);
  // Other buttons are reported too, and move nothing.
  const int at = bar.Position();
  seen.clear();
  QTest::mouseClick(&bar, Qt::RightButton, {}, QPoint(10, 20));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].What, 'u');
  EXPECT_EQ(seen[1].Button, Qt::RightButton);
  EXPECT_EQ(bar.Position(), at);
}

TEST(TrackBar, ErrorsOfTheChangeEventReachTheProgramOrTheErrorDisplay) {
  std::vector<std::exception_ptr> shown;
  SetMixerErrorDisplay([&](std::exception_ptr e) { shown.push_back(e); });
  TmxTrackBar bar;
  bar.show();
  bar.OnChange = [](QObject*) { MMCheck(mmInvalidHandle); };
  // By program: out of the setter, after the slider is done.
  EXPECT_THROW(bar.SetPosition(4), EMMSysError);
  EXPECT_EQ(bar.Position(), 4);
  EXPECT_THROW(bar.SetMax(2), EMMSysError);
  EXPECT_EQ(bar.Position(), 2);
  EXPECT_NO_THROW(bar.SetPosition(2));
  EXPECT_TRUE(shown.empty());
  // By the user: shown, and the bar goes on.
  QTest::keyClick(&bar, Qt::Key_Home);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(shown.size(), 1u);
  bar.OnChange = {};
  EXPECT_NO_THROW(bar.SetPosition(1));
  SetMixerErrorDisplay({});
}

TEST(TrackBar, TheSelectionRangeIsShownOnlyWhenEnabled) {
  TmxTrackBar bar;
  bar.resize(289, 45);
  bar.SetPosition(0);
  bar.SetSelStart(3);
  bar.SetSelEnd(8);
  bar.grab();  // the first picture is taken before the style has polished the bar
  const QImage plain = bar.grab().toImage();
  bar.SetEnableSelRange(true);
  const QImage selected = bar.grab().toImage();
  EXPECT_NE(plain, selected);
  // The band lies between the ends of the selection, in the highlight colour.
  const QRgb highlight = bar.palette().color(QPalette::Highlight).rgb();
  int inBand = 0, outside = 0;
  for (int x = 0; x < selected.width(); ++x)
    for (int y = 0; y < selected.height(); ++y)
      if (selected.pixel(x, y) == highlight) (x > 289 * 3 / 10 - 20 && x < 289 * 8 / 10 + 20 ? inBand : outside)++;
  EXPECT_GT(inBand, 100);
  EXPECT_EQ(outside, 0);
  bar.SetEnableSelRange(false);
  EXPECT_EQ(bar.grab().toImage(), plain);
}

}  // namespace

// A tick at every position: drawn one by one while they stand apart, only at
// the two ends once a wide range would crowd them into a solid band. The
// frequency itself stays as set.
TEST(TrackBar, CrowdedTicksKeepOnlyTheirEnds) {
  struct TCase {
    const char* Name;
    int Max;
    bool Crowded;
  };
  for (const TCase& c : {TCase{"0 to 10", 10, false}, TCase{"0 to 80", 80, false}, TCase{"0 to 65535", 65535, true},
                         TCase{"0 to 200", 200, true}}) {
    SCOPED_TRACE(c.Name);
    TmxTrackBar bar;
    bar.resize(289, 45);
    bar.SetMax(c.Max);
    bar.SetPosition(c.Max / 2);
    bar.grab();  // the first picture is taken before the style has polished the bar
    const QImage everyPosition = bar.grab().toImage();
    EXPECT_EQ(bar.Frequency(), 1);
    bar.SetFrequency(c.Max);
    const QImage endsOnly = bar.grab().toImage();
    EXPECT_EQ(everyPosition == endsOnly, c.Crowded);
  }
}
