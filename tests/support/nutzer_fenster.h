#pragma once
// What the user does to a window with the mouse, as the program sees it: the window system
// moves or resizes the window without the program having asked. The request goes to the
// native window, past the widget, so none of the program's own placing takes part; on X the
// window manager carries it out and tells the program, as after a drag.
#include <QPoint>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Drags the window to the width breite (its height stays); false when it never got it.
inline bool NutzerZiehtBreite(QWidget* w, int breite) {
  w->windowHandle()->resize(breite, w->height());
  return QTest::qWaitFor([w, breite] { return w->width() == breite; }, 5000);
}

// Drags the window's frame to ecke; true once the window has moved away from where it stood
// (to ecke, or wherever the program put it then), false when it never moved.
inline bool NutzerVerschiebt(QWidget* w, QPoint ecke) {
  const QPoint vorher = w->frameGeometry().topLeft();
  w->windowHandle()->setFramePosition(ecke);
  return QTest::qWaitFor([w, vorher] { return w->frameGeometry().topLeft() != vorher; }, 5000);
}
