#pragma once
// A panel that edits one mixer line: a balance bar, a vertical volume bar and a
// check box ("Mute", or "Active" for a line without a mute switch), with the
// line's name painted above. Bound to a TmxMixer, it chooses its line by
// destination type and source type, turns the line's two channel values into one
// volume and a balance and back, and writes a change of either bar to the line's
// volume control at once.
//
// Values: the volume bar is vertical, so its position grows downwards; the volume
// it shows is VolumeMax() − VolumePosition(). The balance runs from −32 (left
// only) through 0 to 32 (right only). For channel values left l and right r with
// m = max(l, r): volume m, balance round((r − l) / m × 32) (kept when m is 0);
// back: v and b give the louder channel v and the other round((1 − |b| / 32) × v),
// rounding halves to the even neighbour.
//
// The selected line and its mute switch are objects of the mixer's open device:
// when the device frees them (closed, reopened, freed) the panel forgets its line
// and keeps its bars as they are. Errors of the mixer calls the panel makes pass
// to whoever moved the bar or ticked the box (ShowMixerError for a user).
// Window thread only. The panel need not be shown for any of this.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "sound/mxMixer.h"
#include "sound/mxTrackBars.h"

class QCheckBox;

enum TBorderStyle : std::uint8_t { bsNone, bsSingle };

class TmxMixerVolumeControls : public QWidget, public ImxVisualMixerControl {
public:
  // Never narrower or lower than this; smaller requests are raised to it.
  static constexpr int MinWidth = 77;
  static constexpr int MinHeight = 225;

  // No mixer and no line (line ID −1); 93 × 277 with its three children.
  explicit TmxMixerVolumeControls(QWidget* Parent = nullptr);
  // Detaches its adapter first, so that mixer objects that still hold it tell
  // nobody, then frees its children.
  ~TmxMixerVolumeControls() override;

  // The mixer to use (not owned); none selects no line. A freed mixer reads as none.
  TmxMixer* Mixer() const { return FMixer; }
  void SetMixer(TmxMixer* Value);
  TMixerLineSourceType SourceType() const { return FSourceType; }
  TMixerLineDestinationType DestinationType() const { return FDestinationType; }
  // A new type selects the line by type (with the other present one).
  void SetSourceType(TMixerLineSourceType Value);
  void SetDestinationType(TMixerLineDestinationType Value);
  // Single (the start): a raised frame around the panel.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Runs after a change of either bar (whether or not a line is selected).
  TmxTrackBar::TNotifyEvent OnVolumeControlChange;

  // As while loading from a stored layout: until Loaded(), setting the mixer
  // selects nothing and the types are only stored; Loaded() then selects the line
  // by the stored types (the mixer is by then open and read).
  void BeginLoading() { FLoading = true; }
  void Loaded();

  // The volume bar's range and position (see Values above); writing the position
  // moves the bar and so writes the volume.
  int VolumeMax() const;
  int VolumeMin() const;
  int VolumePosition() const;
  void SetVolumePosition(int Value);

  // Selects by destination type d and source type s: the destination of type d
  // (or, for s other than lsUndefined, its first source of type s), if it has a
  // volume control. Nothing when d and s are the present types and a line is
  // selected.
  void SelectLineByType(TMixerLineSourceType SourceType, TMixerLineDestinationType DestinationType);
  // Selects the line with that ID if it has a volume control: takes its bounds
  // and values, attaches itself to its volume control and its mute switch (or,
  // for a source without one, to its item of the destination's selector) and
  // takes its types. −1 selects no line. Otherwise nothing changes.
  void SelectLineByID(std::int32_t ID);
  // The selected line, its mute switch and its ID; none and −1 when none.
  TmxMixerLine* SelectedLine() const { return FLine; }
  TmxMixerSwitch* MuteSwitch() const { return FMuteSwitch; }
  std::int32_t LineID() const { return FLineID; }
  // The name painted at the top.
  const QString& LineName() const { return FLineName; }

  // Takes over a control's values: a fader's into the bars, a switch's or a
  // list's into the check box. Also what the mixer reports through the adapter.
  void UpdateFromControl(TmxMixerLineControl& Control);
  // Writes the bars' volume and balance to the line's volume control, then runs
  // OnVolumeControlChange.
  void ApplyToControl();

  // The children, for the settings dialog and for tests.
  TmxTrackBar* BalanceBar() const { return FBalanceBar; }
  TmxTrackBar* VolumeBar() const { return FVolumeBar; }
  QCheckBox* CheckBox() const { return FCheckBox; }
  const std::shared_ptr<TmxVisualMixerControlAdapter>& Adapter() const { return FAdapter; }

  // ImxVisualMixerControl, passed on to the adapter.
  void ControlChanged(TmxMixerLineControl& Control) override;
  void ControlDestroyed(TmxMixerLineControl& Control) override;

protected:
  void resizeEvent(QResizeEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

private:
  void CheckBoxClick();
  void SetChecked(bool Value);
  // Takes the adapter off the selected line's controls and forgets the line.
  void ForgetLine();
  void Forgotten(TmxMixerLineControl& Control);

  QPointer<TmxMixer> FMixer;
  TmxMixerLine* FLine = nullptr;
  TmxMixerSwitch* FMuteSwitch = nullptr;
  std::int32_t FLineID = -1;
  std::shared_ptr<TmxVisualMixerControlAdapter> FAdapter;
  TmxTrackBar* FBalanceBar;  // owned as a Qt child
  TmxTrackBar* FVolumeBar;   // owned as a Qt child
  QCheckBox* FCheckBox;      // owned as a Qt child
  QString FLineName;
  TBorderStyle FBorderStyle = bsSingle;
  TMixerLineSourceType FSourceType = lsUndefined;
  TMixerLineDestinationType FDestinationType = ldUndefined;
  bool FLoading = false;
  int FCheckingByProgram = 0;
  std::exception_ptr FCheckError;
};
