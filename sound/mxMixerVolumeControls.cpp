#include "sound/mxMixerVolumeControls.h"

#include <QCheckBox>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/Types.h"

namespace {

int ToBarValue(std::uint32_t v) { return int(std::min<std::uint32_t>(v, INT_MAX)); }

}  // namespace

TmxMixerVolumeControls::TmxMixerVolumeControls(QWidget* Parent)
    : QWidget(Parent),
      FAdapter(std::make_shared<TmxVisualMixerControlAdapter>()),
      FBalanceBar(new TmxTrackBar(this)),
      FVolumeBar(new TmxTrackBar(this)),
      FCheckBox(new QCheckBox(this)) {
  FAdapter->Owner = this;
  FAdapter->OnControlChange = [](QObject* owner, TmxMixerLineControl& control) {
    static_cast<TmxMixerVolumeControls*>(owner)->UpdateFromControl(control);
  };
  FAdapter->OnControlDestroy = [this](TmxMixerLineControl& control) { Forgotten(control); };

  FBalanceBar->setGeometry(18, 48, 53, 32);
  FBalanceBar->SetRange(-32, 32);
  FBalanceBar->SetFrequency(32);
  FBalanceBar->setTickPosition(QSlider::TicksBelow);
  FVolumeBar->setGeometry(25, 104, 45, 137);
  FVolumeBar->SetOrientation(Qt::Vertical);
  FVolumeBar->SetFrequency(8192);
  FVolumeBar->SetPosition(0);
  FVolumeBar->setTickPosition(QSlider::TicksBothSides);
  FCheckBox->setGeometry(8, 250, 64, 17);
  setTabOrder(FBalanceBar, FVolumeBar);
  setTabOrder(FVolumeBar, FCheckBox);

  FBalanceBar->OnChange = [this](QObject*) { ApplyToControl(); };
  FVolumeBar->OnChange = [this](QObject*) { ApplyToControl(); };
  // A box ticked by program runs the click as well, as a user's click does.
  connect(FCheckBox, &QCheckBox::toggled, this, [this] {
    try {
      CheckBoxClick();
    } catch (...) {
      if (FCheckingByProgram == 0) ShowMixerError(std::current_exception());
      else if (!FCheckError) FCheckError = std::current_exception();
    }
  });

  setMinimumSize(MinWidth, MinHeight);
  resize(93, 277);
}

TmxMixerVolumeControls::~TmxMixerVolumeControls() { FAdapter->Detach(); }

void TmxMixerVolumeControls::SetMixer(TmxMixer* Value) {
  if (Value == FMixer) return;
  if (!FLoading) ForgetLine();  // the old mixer's controls let go of the adapter
  FMixer = Value;
  if (Value == nullptr) SelectLineByID(-1);
}

void TmxMixerVolumeControls::SetSourceType(TMixerLineSourceType Value) {
  if (Value != FSourceType) SelectLineByType(Value, FDestinationType);
}

void TmxMixerVolumeControls::SetDestinationType(TMixerLineDestinationType Value) {
  if (Value != FDestinationType) SelectLineByType(FSourceType, Value);
}

void TmxMixerVolumeControls::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  update();
}

void TmxMixerVolumeControls::Loaded() {
  FLoading = false;
  SelectLineByType(FSourceType, FDestinationType);
}

int TmxMixerVolumeControls::VolumeMax() const { return FVolumeBar->Max(); }
int TmxMixerVolumeControls::VolumeMin() const { return FVolumeBar->Min(); }
int TmxMixerVolumeControls::VolumePosition() const { return FVolumeBar->Position(); }
void TmxMixerVolumeControls::SetVolumePosition(int Value) { FVolumeBar->SetPosition(Value); }

void TmxMixerVolumeControls::SelectLineByType(TMixerLineSourceType SourceType,
                                              TMixerLineDestinationType DestinationType) {
  if (DestinationType == FDestinationType && SourceType == FSourceType && FLine != nullptr) return;
  ForgetLine();
  FDestinationType = DestinationType;
  FSourceType = SourceType;
  if (FMixer && !FLoading) {
    TmxLineRef line = FMixer->DestinationByType(DestinationType);
    if (line && SourceType != lsUndefined) line = static_cast<TmxMixerDestination&>(*line).SourceByType(SourceType);
    if (line && line->VolumeControl()) {
      FLine = line.get();
      FLineName = line->Name();
      SelectLineByID(std::int32_t(line->ID()));
    }
  }
  update();
}

void TmxMixerVolumeControls::SelectLineByID(std::int32_t ID) {
  if (FLoading) {
    FLineID = ID;
    return;
  }
  if (ID == -1) {
    ForgetLine();
    FLineID = -1;
    FCheckBox->setText(QString());
    update();
    return;
  }
  if (!FMixer) return;
  const TmxLineRef line = FMixer->LineByID(std::uint32_t(ID));
  if (!line || !line->VolumeControl()) return;
  // Another line's controls must not drive this panel any more.
  ForgetLine();
  FLine = line.get();
  FLineName = line->Name();
  FLineID = ID;
  TmxMixerLineControl& volume = *line->VolumeControl();
  volume.SetNotify(FAdapter);
  FVolumeBar->SetMax(ToBarValue(volume.Info().Maximum));
  FVolumeBar->SetMin(ToBarValue(volume.Info().Minimum));
  UpdateFromControl(volume);
  const TmxSwitchRef mute = line->MuteControl();
  if (mute) {
    mute->SetNotify(FAdapter);
  } else if (const TmxDestinationRef destination = line->OwnerDestination()) {
    const TmxListControlRef selector = destination->SelectorControl();
    if (selector && line->SourceIndex() < selector->ItemCount()) selector->SetItemNotify(line->SourceIndex(), FAdapter);
  }
  FMuteSwitch = mute.get();
  if (FMuteSwitch != nullptr) {
    SetChecked(FMuteSwitch->IsOn());
    FCheckBox->setText(QStringLiteral("Mute"));
  } else {
    SetChecked(line->Active());
    FCheckBox->setText(QStringLiteral("Active"));
  }
  // A source keeps the type of its destination, so that selecting it again by
  // the same types finds it selected.
  const TmxDestinationRef owner = line->OwnerDestination();
  FDestinationType = owner ? owner->DestinationType() : line->DestinationType();
  FSourceType = line->SourceType();
  update();
}

void TmxMixerVolumeControls::ForgetLine() {
  // The adapter leaves every control of the mixer it was attached to.
  if (FMixer) {
    FMixer->VisitControls([this](TmxMixerLineControl& c) {
      if (c.Notify() == FAdapter) c.SetNotify(nullptr);
      if (auto* list = dynamic_cast<TmxMixerListControl*>(&c))
        for (int i = 0; i < list->ItemCount(); ++i)
          if (list->ItemNotify(i) == FAdapter) list->SetItemNotify(i, nullptr);
      return true;
    });
  }
  FLine = nullptr;
  FMuteSwitch = nullptr;
  FLineName.clear();
}

void TmxMixerVolumeControls::Forgotten(TmxMixerLineControl&) {
  // A control goes only when its device frees all its objects (closed, reopened
  // or freed): the line goes with it, and nothing of the mixer may be touched now.
  FLine = nullptr;
  FMuteSwitch = nullptr;
  FLineID = -1;
  FLineName.clear();
  update();
}

void TmxMixerVolumeControls::UpdateFromControl(TmxMixerLineControl& Control) {
  if (dynamic_cast<TmxMixerFader*>(&Control) != nullptr) {
    const std::uint32_t left = Control.ValueAt(0, 0);
    const std::uint32_t right = Control.ValueAt(1, 0);
    const std::uint32_t m = std::max(left, right);
    FVolumeBar->SetPosition(FVolumeBar->Max() - ToBarValue(m));
    if (m != 0) {
      const long double balance = (static_cast<long double>(right) - left) / m * FBalanceBar->Max();
      FBalanceBar->SetPosition(Round(balance));
    }
  } else if (dynamic_cast<TmxMixerSwitch*>(&Control) != nullptr) {
    if (FLine == nullptr) return;
    const bool active = FLine->Active();
    SetChecked(FMuteSwitch != nullptr ? !active : active);
  } else if (auto* list = dynamic_cast<TmxMixerListControl*>(&Control)) {
    if (FLine == nullptr || FLine->SourceIndex() < 0 || FLine->SourceIndex() >= list->ItemCount()) return;
    SetChecked(list->ItemSet(FLine->SourceIndex()) != 0);
  }
}

void TmxMixerVolumeControls::ApplyToControl() {
  if (FLine != nullptr) {
    const int v = FVolumeBar->Max() - FVolumeBar->Position();
    const int b = FBalanceBar->Position();
    const int x = Round((1 - std::abs(b) / static_cast<long double>(FBalanceBar->Max())) * v);
    const std::uint32_t left = std::uint32_t(b > 0 ? x : v);
    const std::uint32_t right = std::uint32_t(b > 0 ? v : x);
    const TmxControlRef volume = FLine->VolumeControl();
    volume->SetValueAt(0, 0, left);
    volume->SetValueAt(1, 0, right);
  }
  if (const TmxTrackBar::TNotifyEvent handler = OnVolumeControlChange) handler(this);
}

void TmxMixerVolumeControls::CheckBoxClick() {
  if (FLine == nullptr) return;
  if (FMuteSwitch != nullptr) FMuteSwitch->SetOn(FCheckBox->isChecked());
  else FLine->SetActive(FCheckBox->isChecked());
}

void TmxMixerVolumeControls::SetChecked(bool Value) {
  ++FCheckingByProgram;
  FCheckBox->setChecked(Value);
  --FCheckingByProgram;
  if (FCheckingByProgram == 0 && FCheckError) std::rethrow_exception(std::exchange(FCheckError, nullptr));
}

void TmxMixerVolumeControls::ControlChanged(TmxMixerLineControl& Control) { FAdapter->ControlChanged(Control); }
void TmxMixerVolumeControls::ControlDestroyed(TmxMixerLineControl& Control) { FAdapter->ControlDestroyed(Control); }

void TmxMixerVolumeControls::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  const int w = width(), h = height();
  FBalanceBar->setGeometry(FBalanceBar->x(), FBalanceBar->y(), w - 2 * FBalanceBar->x(), FBalanceBar->height());
  FVolumeBar->setGeometry((w - FVolumeBar->width() + 7) / 2, FVolumeBar->y(), FVolumeBar->width(), h - 140);
  FCheckBox->move((w - FCheckBox->width() + 7) / 2, h - 27);
}

void TmxMixerVolumeControls::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor highlight = palette().color(QPalette::Light);
  const QColor shadow = palette().color(QPalette::Dark);
  const int w = width(), h = height();
  // Each text from its point to (w − 2, h − 2), cut with an ellipsis at the end.
  auto text = [&](int x, int y, const QString& s) {
    const QRect box(QPoint(x, y), QPoint(w - 3, h - 3));
    const QString shown = p.fontMetrics().elidedText(s, Qt::ElideRight, box.width());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    if (!isEnabled()) {
      p.setPen(highlight);
      p.drawText(box.translated(1, 1), flags, shown);
      p.setPen(shadow);
    } else {
      p.setPen(palette().color(QPalette::WindowText));
    }
    p.drawText(box, flags, shown);
  };
  text(4, 8, FLineName);
  const QString balance = QStringLiteral("Balance");
  text((w - p.fontMetrics().horizontalAdvance(balance)) / 2, 32, balance);
  text(11, 50, QStringLiteral("L"));
  text(w - 18, 50, QStringLiteral("R"));
  if (FBorderStyle == bsSingle) {
    p.setPen(highlight);
    p.drawLine(0, 0, w - 1, 0);
    p.drawLine(0, 0, 0, h - 1);
    p.setPen(shadow);
    p.drawLine(w - 1, 0, w - 1, h - 1);
    p.drawLine(0, h - 1, w - 1, h - 1);
  }
  // The separator between the balance and the volume (a line ends before its end point).
  p.setPen(shadow);
  p.drawLine(5, 88, w - 6, 88);
  p.setPen(highlight);
  p.drawLine(5, 89, w - 6, 89);
}
