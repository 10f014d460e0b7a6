#pragma once
// Input for the shell's windows as the desktop delivers it: keys and text go to
// the window's focus widget, clicks to the child under the pointer, a close
// request comes from the window system.
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

// The first visible window of type T, or nullptr.
template <class T>
T* VisibleWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return t;
  return nullptr;
}

inline void PressKey(QWidget* window, Qt::Key key) { QTest::keyClick(window->windowHandle(), key); }

// Types the text one character at a time, each with its own key press.
inline void TypeText(QWidget* window, const QString& text) {
  for (const QChar c : text)
    QTest::sendKeyEvent(QTest::Click, window->windowHandle(), static_cast<Qt::Key>(c.toUpper().unicode()),
                        QString(c), Qt::NoModifier);
}

inline void ClickAt(QWidget* window, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(window->windowHandle(), button, Qt::NoModifier, at);
}

// The desktop's close request (the title bar's close button, Alt+F4).
inline void CloseByDesktop(QWidget* window) { window->windowHandle()->close(); }
