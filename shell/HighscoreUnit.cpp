#include "shell/HighscoreUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <cstdio>

#include "display/Bitmap.h"
#include "display/OverlayImage.h"
#include "game/MainUnit.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "shell/HighscoreFile.h"

namespace {

constexpr TColor clNavy = RGB(0, 0, 128);
constexpr int FramePenWidth = 8;
constexpr int RowHeight = 25;

QFont BoldComic(int characterHeight) {
  TFont f;
  f.Name = QStringLiteral("Comic Sans MS");
  f.Height = -characterHeight;
  f.Bold = true;
  return f.ToQFont();
}

// Tries FileName.damaged, then FileName.damaged.1, .2, ...: an earlier damaged
// file is never overwritten. Returns the new name, or an empty text with the
// reason in Error.
QString KeepDamagedFile(const QString& FileName, QString& Error) {
  for (int n = 0; n < 10000; ++n) {
    const QString target = FileName + QStringLiteral(".damaged") + (n ? QStringLiteral(".%1").arg(n) : QString());
    const QFileInfo info(target);
    if (info.exists() || info.isSymLink()) continue;
    if (QDir().rename(FileName, target)) return target;
    Error = QStringLiteral("it could not be renamed to \"%1\"").arg(QDir::toNativeSeparators(target));
    return QString();
  }
  Error = QStringLiteral("too many damaged copies are kept already");
  return QString();
}

// The table in FileName; throws EScoresFileError when it cannot be opened or read.
THighscoreTable ReadTableFrom(const QString& FileName) {
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EScoresFileError(-1, QStringLiteral("cannot be opened: %1").arg(file.errorString()));
  return ReadScoresFile(file);
}

void Report(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  std::fflush(stderr);
}

bool SaveFailed(TForm1& Form, const QString& FileName, const QString& reason) {
  const QString text =
      QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(FileName), reason);
  if (Form.ShowMessage)
    Form.ShowMessage(text);
  else
    Report(text);
  return false;
}

QListWidget* MakeColumn(QWidget* parent, const char* name, int left, int width, TColor color) {
  auto* l = new QListWidget(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(left, 8, width, 505);
  l->setFrameShape(QFrame::NoFrame);
  l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  l->setFocusPolicy(Qt::NoFocus);
  l->setSelectionMode(QAbstractItemView::SingleSelection);
  l->setEditTriggers(QAbstractItemView::NoEditTriggers);
  l->setUniformItemSizes(true);
  l->setTextElideMode(Qt::ElideNone);  // a long name is cut at the column's edge
  l->setFont(BoldComic(17));
  l->setAttribute(Qt::WA_TransparentForMouseEvents);
  QPalette pal = l->palette();
  // The selected row looks the same whether or not the window has the focus.
  const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
  const QColor highlightText = pal.color(QPalette::Active, QPalette::HighlightedText);
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(g, QPalette::Base, Qt::white);
    pal.setColor(g, QPalette::Text, ToQColor(color));
    pal.setColor(g, QPalette::Highlight, highlight);
    pal.setColor(g, QPalette::HighlightedText, highlightText);
  }
  l->setPalette(pal);
  return l;
}

void SetRows(QListWidget* list, const QStringList& rows) {
  list->clear();
  for (const QString& text : rows) {
    auto* item = new QListWidgetItem(text, list);
    item->setSizeHint(QSize(list->width(), RowHeight));
  }
}

}  // namespace

// ---- the highscore window ----

TForm4::TForm4(QWidget* Parent) : TModalForm(Parent) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("Highscores"));
  setFixedSize(503, 560);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, ToQColor(clNavy));
  setPalette(pal);
  setFont(BoldComic(27));
  // The window itself takes the keys: its columns take no input.
  setFocusPolicy(Qt::StrongFocus);

  Label1 = new QLabel(QStringLiteral(" Highscores "), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(192, 8, 124, 29);
  Label1->setFont(BoldComic(20));
  Label1->setAttribute(Qt::WA_TransparentForMouseEvents);

  // Clicks over the panel and its columns reach the window.
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(4, 40, 493, 513);
  Panel1->setAttribute(Qt::WA_TransparentForMouseEvents);

  ListBox3 = MakeColumn(Panel1, "ListBox3", 8, 41, clGray);
  ListBox1 = MakeColumn(Panel1, "ListBox1", 64, 153, clNavy);
  ListBox2 = MakeColumn(Panel1, "ListBox2", 248, 121, clNavy);
  ListBox4 = MakeColumn(Panel1, "ListBox4", 384, 97, clNavy);
  QStringList ranks;
  for (int i = 1; i <= HighscoreRows; ++i) ranks << QStringLiteral("%1.").arg(i);
  SetRows(ListBox3, ranks);
}

void TForm4::FillColumns(const THighscoreTable& Table) {
  SetRows(ListBox1, Table.Names);
  SetRows(ListBox2, Table.Scores);
  SetRows(ListBox4, Table.Levels);
}

void TForm4::SelectRow(int Row) {
  for (QListWidget* l : {ListBox3, ListBox1, ListBox2, ListBox4}) {
    l->clearSelection();
    if (Row >= 0 && Row < l->count()) l->setCurrentRow(Row);
  }
}

int TForm4::SelectedRow() const {
  const QList<QListWidgetItem*> items = ListBox1->selectedItems();
  return items.isEmpty() ? -1 : ListBox1->row(items.first());
}

bool TForm4::Ready() const { return FReadyMessageHandled && timeGetTime() - FReadyMessageAt >= ReadyDelayMs; }

bool TForm4::event(QEvent* Event) {
  if (Event->type() == WM_HIGHSCOREREADY) {
    // Ready once ReadyDelayMs have passed from here. The window keeps pumping
    // meanwhile, so input that arrives in between is seen and ignored rather
    // than queued up to close the window the moment it is ready.
    FReadyMessageHandled = true;
    FReadyMessageAt = timeGetTime();
    return true;
  }
  return TModalForm::event(Event);
}

void TForm4::showEvent(QShowEvent* Event) {
  TModalForm::showEvent(Event);
  setFocus(Qt::OtherFocusReason);
  QCoreApplication::postEvent(this, new QEvent(WM_HIGHSCOREREADY));
}

void TForm4::keyPressEvent(QKeyEvent* Event) {
  if ((Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) && Ready()) ModalResult = mrOk;
  Event->accept();
}

void TForm4::mousePressEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton) FLeftDown = true;
}

void TForm4::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() != Qt::LeftButton) return;
  const bool click = FLeftDown && rect().contains(Event->position().toPoint());
  FLeftDown = false;
  if (click && Ready()) ModalResult = mrOk;
}

void TForm4::paintEvent(QPaintEvent*) {
  // The frame's pen is centred on the client rectangle's edges: its inner half
  // shows, FramePenWidth / 2 pixels on every side.
  QPainter p(this);
  const int w = width(), h = height(), t = FramePenWidth / 2;
  const QColor navy = ToQColor(clNavy);
  p.fillRect(0, 0, w, t, navy);
  p.fillRect(0, h - t, w, t, navy);
  p.fillRect(0, 0, t, h, navy);
  p.fillRect(w - t, 0, t, h, navy);
}

// ---- the table on the game window ----

void LoadHighscores(TForm1& Form, const QString& FileName) {
  const QFileInfo info(FileName);
  if (!info.exists() && !info.isSymLink()) return;
  try {
    const THighscoreTable table = ReadTableFrom(FileName);
    Form.lbNames = table.Names;
    Form.lbScores = table.Scores;
    Form.lbLevel = table.Levels;
  } catch (const EScoresFileError& e) {
    ClearHighscores(Form);
    QString error;
    const QString kept = KeepDamagedFile(FileName, error);
    Report(QStringLiteral("%1: %2. The game starts with an empty highscore list; %3.")
               .arg(QDir::toNativeSeparators(FileName), QString::fromStdString(e.what()),
                    kept.isEmpty() ? QStringLiteral("the damaged file stays where it is (%1) and is kept aside "
                                                    "before the list is saved")
                                         .arg(error)
                                   : QStringLiteral("the damaged file is kept as \"%1\"")
                                         .arg(QDir::toNativeSeparators(kept))));
  }
}

bool SaveHighscores(TForm1& Form, const QString& FileName) {
  const QFileInfo info(FileName);
  if (info.exists()) {
    // Damaged after the start, or not movable when it was loaded: keep it before
    // replacing it, so that no row it may still hold is destroyed.
    bool damaged = false;
    try {
      ReadTableFrom(FileName);
    } catch (const EScoresFileError&) {
      damaged = true;
    }
    QString error;
    if (damaged && KeepDamagedFile(FileName, error).isEmpty())
      return SaveFailed(Form, FileName, QStringLiteral("The damaged file there is kept: %1.").arg(error));
  }
  const QByteArray bytes = WriteScoresFile({Form.lbNames, Form.lbScores, Form.lbLevel});
  QSaveFile file(FileName);
  // Unbuffered, so that write() reports a short write (a full disk, a file
  // size limit): through Qt's buffer the rest would be dropped at commit
  // without an error, and a cut file would replace the good one.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return SaveFailed(Form, FileName, file.errorString());
  if (file.write(bytes) != bytes.size()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return SaveFailed(Form, FileName, reason);
  }
  if (!file.commit()) return SaveFailed(Form, FileName, file.errorString());
  return true;
}

void GameOver(TForm1& Form) {
  const QString level = LevelName(Form.rgrpLevel->ItemIndex());
  if (Qualifies({Form.lbNames, Form.lbScores, Form.lbLevel}, Form.FGameScore)) {
    Form.PlaySound(seHighscore);
    Form.ShowBanner(QStringLiteral("You made the"), QStringLiteral("highscore list!"));
    Form.BaseImage1->PresentOverlay();
    Form.Pause(2000);
    ProcessMessages();
    THighscoreTable table{Form.lbNames, Form.lbScores, Form.lbLevel};
    InsertScore(table, Form.FGameScore, Form.FPlayerName, level);
    SortScores(table);
    Form.lbNames = table.Names;
    Form.lbScores = table.Scores;
    Form.lbLevel = table.Levels;
  }
  // The table in memory is final; it reaches the file at the program's end.
  const THighscoreTable table{Form.lbNames, Form.lbScores, Form.lbLevel};
  TForm4 form4(&Form);
  form4.FillColumns(table);
  form4.SelectRow(FindPlayerRow(table, Form.FGameScore, Form.FPlayerName));
  form4.ShowModal(&Form);
  ProcessMessages();
}

void ClearHighscores(TForm1& Form) {
  Form.lbNames.clear();
  Form.lbScores.clear();
  Form.lbLevel.clear();
}
