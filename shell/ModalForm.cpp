#include "shell/ModalForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "platform/Clock.h"
#include "platform/Messages.h"

TModalForm::TModalForm(QWidget* Parent) : QWidget(Parent, Qt::Dialog | Qt::FramelessWindowHint) {}

TModalResult TModalForm::ShowModal(QWidget* Owner) {
  ModalResult = mrNone;
  const QScreen* screen = Owner && Owner->screen() ? Owner->screen() : QGuiApplication::primaryScreen();
  if (screen) move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
  setWindowModality(Qt::ApplicationModal);
  // A window without a Qt parent is kept above its owner by the desktop.
  if (!parentWidget() && Owner && Owner->window()->windowHandle()) {
    winId();
    windowHandle()->setTransientParent(Owner->window()->windowHandle());
  }
  FInModal = true;
  show();
  activateWindow();
  while (ModalResult == mrNone) {
    ProcessMessages();
    if (ModalResult != mrNone) break;
    if (!isVisible()) {
      ModalResult = mrCancel;
      break;
    }
    Sleep(ModalPollMs);
  }
  FInModal = false;
  hide();
  // The keys go back to the owner. A window manager would do it, but a desktop
  // without one (a kiosk session) leaves the focus nowhere.
  if (Owner && Owner->window()->isVisible()) Owner->window()->activateWindow();
  return ModalResult;
}

void TModalForm::closeEvent(QCloseEvent* event) {
  if (FInModal && ModalResult == mrNone) ModalResult = mrCancel;
  event->accept();
}
