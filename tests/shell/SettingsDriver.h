#pragma once
// Driving the settings dialog from inside its own modal loop, with clicks and
// keys as the desktop delivers them, over a game window on its start screen.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <functional>

#include "SettingsMixer.h"
#include "game/GameHarness.h"
#include "shell/SettingsU.h"
#include "sound/mxTrackBars.h"

// Runs Action on the settings dialog as soon as it is open and modal. Tries for
// a while, then gives up (the test's own check that Action ran then fails).
// A test that expects no dialog passes a Context of its own: when it goes, the
// tries still pending go with it and cannot act on a later test's dialog.
inline void WhenSettingsOpen(std::function<void(TSettingsForm&)> Action, QObject* Context = nullptr,
                             int triesLeft = 200) {
  QObject* context = Context ? Context : qApp;
  QTimer::singleShot(0, context, [Action, Context, triesLeft] {
    auto* form = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
    if (form && form->isVisible())
      Action(*form);
    else if (triesLeft > 0)
      WhenSettingsOpen(Action, Context, triesLeft - 1);
  });
}

inline void ClickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2)); }
inline void ClickButton(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); }
// A key goes to the widget that has the keyboard focus in the dialog.
inline void PressKey(TSettingsForm& f, Qt::Key key) {
  QWidget* target = f.focusWidget() ? f.focusWidget() : &f;
  QTest::keyClick(target, key);
}

// The thumb's middle in the bar's own pixels, as the style draws it.
inline QPoint ThumbCentre(TmxTrackBar& bar) {
  QStyleOptionSlider o;
  o.initFrom(&bar);
  o.orientation = bar.orientation();
  o.minimum = bar.minimum();
  o.maximum = bar.maximum();
  o.sliderPosition = bar.sliderPosition();
  o.sliderValue = bar.value();
  o.singleStep = bar.singleStep();
  o.pageStep = bar.pageStep();
  o.tickPosition = bar.tickPosition();
  o.tickInterval = bar.tickInterval();
  o.upsideDown = bar.invertedAppearance();
  o.subControls = QStyle::SC_SliderHandle;
  return bar.style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderHandle, &bar).center();
}

// A game window on its start screen: RedrawStartScreen shows its banner again.
// The dialog's slider opens the in-memory mixer's device 0 (Shape).
struct TStartScreen : TGameHarness {
  explicit TStartScreen(TSettingsMixer::TShape Shape = TSettingsMixer::SpeakersWithVolume,
                        std::vector<std::uint32_t> Start = {30000, 45000})
      : TGameHarness(5, 960, 720), Mixer(Shape, std::move(Start)) {
    Form->FStartBalloon = Form->NewBalloon(10, 0, 2, 5.0, 5);
    Form->lbNames = {"Ann", "Bo"};
    Form->lbScores = {"120", "80"};
    Form->lbLevel = {"Easy", "Hardest"};
    Form->ShowSettingsDialog = [this] { ShowSettingsDialog(*Form); };
  }
  TSettingsMixer Mixer;
};
