#include "shell/NameUnit.h"

#include <QKeyEvent>
#include <limits>

#include "display/Bitmap.h"
#include "display/ImageUt.h"
#include "game/MainUnit.h"

namespace {
constexpr TColor DialogColor = RGB(81, 95, 124);

QFont ComicFont(int characterHeight) {
  TFont f;
  f.Name = QStringLiteral("Comic Sans MS");
  f.Height = -characterHeight;
  return f.ToQFont();
}
}  // namespace

TForm3::TForm3(QWidget* Parent) : TModalForm(Parent) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Zuggle Dart"));
  setFixedSize(360, 113);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(DialogColor));
  pal.setColor(QPalette::WindowText, ToQColor(clWhite));
  setPalette(pal);
  setFont(ComicFont(27));

  // Created first, so that the label and the cell lie above it.
  ColorBevel1 = new TColorBevel(this);
  ColorBevel1->setObjectName(QStringLiteral("ColorBevel1"));
  ColorBevel1->setGeometry(0, 0, width(), height());
  ColorBevel1->SetShape(bsFrame);
  ColorBevel1->SetBevelColor(DialogColor);
  ColorBevel1->SetBevelWidth(3);
  ColorBevel1->OnClick = [this] { ColorBevel1Click(); };

  Label1 = new QLabel(QStringLiteral(" Enter your name: "), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(24, 8, 231, 38);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // A click on the label is a click on the frame beneath: it confirms.
  Label1->setAttribute(Qt::WA_TransparentForMouseEvents);

  StringGrid1 = new QLineEdit(this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setGeometry(24, 48, 313, 50);
  StringGrid1->setFont(ComicFont(27));
  StringGrid1->setMaxLength(std::numeric_limits<int>::max());
  StringGrid1->setContextMenuPolicy(Qt::NoContextMenu);
  // White cell, navy text, the cell's grid line around it.
  StringGrid1->setStyleSheet(QStringLiteral(
      "QLineEdit { background: white; color: navy; border: 1px solid rgb(128, 128, 128); padding: 0px 2px; }"));
  StringGrid1->installEventFilter(this);
  StringGrid1->setFocus();
}

void TForm3::FormShow() {
  StringGrid1->setFocus(Qt::OtherFocusReason);
  StringGrid1->selectAll();
}

bool TForm3::FormKeyPress(int Key) {
  if (Key == Qt::Key_Return || Key == Qt::Key_Enter) ModalResult = mrOk;
  return false;
}

void TForm3::ColorBevel1Click() { ModalResult = mrOk; }

bool TForm3::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == StringGrid1 && Event->type() == QEvent::KeyPress)
    return FormKeyPress(static_cast<QKeyEvent*>(Event)->key());
  return TModalForm::eventFilter(Watched, Event);
}

void TForm3::showEvent(QShowEvent* Event) {
  TModalForm::showEvent(Event);
  FormShow();
}

void TForm3::keyPressEvent(QKeyEvent* Event) {
  // Keys the cell leaves (Esc among them) end here and do nothing else; the
  // window saw them already on their way to the cell.
  if (!StringGrid1->hasFocus()) FormKeyPress(Event->key());
  Event->accept();
}

void AskPlayerName(TForm1& Form, TForm3& Form3) {
  Form3.StringGrid1->setText(Form.FPlayerName);
  if (Form3.ShowModal(&Form) == mrOk) Form.FPlayerName = Form3.StringGrid1->text();
}
