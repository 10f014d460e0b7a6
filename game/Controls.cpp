#include "game/Controls.h"

#include <QPainter>

#include "display/Bitmap.h"

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanel::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  update();
}

void TPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor base = ToQColor(FColor);
  p.fillRect(rect(), base);
  // A raised bevel: lighter above and left, darker below and right.
  const QColor light = base.lighter(135), dark = base.darker(150);
  for (int i = 0; i < BevelWidth; ++i) {
    const int w = width() - 1 - i, h = height() - 1 - i;
    p.setPen(light);
    p.drawLine(i, i, w, i);
    p.drawLine(i, i, i, h);
    p.setPen(dark);
    p.drawLine(i, h, w, h);
    p.drawLine(w, i, w, h);
  }
}

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
  int id = 0;
  for (const QString& text : items) {
    auto* b = new QRadioButton(text, this);
    FGroup.addButton(b, id++);
    FButtons.push_back(b);
  }
  SetItemIndex(0);
}

int TRadioGroup::ItemIndex() const { return FGroup.checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < ItemCount()) FButtons[static_cast<size_t>(index)]->setChecked(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  // Items share the space below the caption evenly, as the toolkit's radio group does.
  const QFontMetrics m(font());
  const int top = m.height();
  const int avail = std::max(1, height() - top - 2);
  const int n = std::max(1, ItemCount());
  for (int i = 0; i < ItemCount(); ++i) {
    const int y = top + avail * i / n;
    FButtons[static_cast<size_t>(i)]->setGeometry(6, y, width() - 8, avail / n);
  }
}
