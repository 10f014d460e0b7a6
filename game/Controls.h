#pragma once
// Small controls the game window is built from, in the roles of the toolkit's
// panel and radio group.
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <vector>

#include "platform/Types.h"

// A panel: a filled rectangle in Color with an optional raised bevel of
// BevelWidth pixels (light top and left, dark bottom and right).
class TPanel : public QFrame {
public:
  explicit TPanel(QWidget* parent = nullptr);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  int BevelWidth = 0;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  TColor FColor = clWhite;
};

// A captioned group of radio items; ItemIndex is the chosen item (-1: none).
class TRadioGroup : public QGroupBox {
public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
  int ItemIndex() const;
  void SetItemIndex(int index);
  int ItemCount() const { return static_cast<int>(FButtons.size()); }
  QRadioButton* Item(int index) const { return FButtons.at(static_cast<size_t>(index)); }

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  QButtonGroup FGroup;
  std::vector<QRadioButton*> FButtons;  // owned by Qt's parent chain
};
