#pragma once
// Window positions on a real X server: the window manager frames a window a moment after it
// was shown and has the last word on where it goes (on a loaded machine it may place a window
// by its own rules). Exact positions are checked where the program alone places windows
// (offscreen); on X a window only has to stand inside the free area of the screen.
#include <QGuiApplication>
#include <QRect>
#include <QTest>
#include <QWidget>

inline bool FensterManagerPlatziert() {
  return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Waits until a shown window stands still in its frame (at most two seconds; at once where
// no window manager is involved).
inline void LageAbwarten(QWidget* w) {
  if (!FensterManagerPlatziert()) return;
  QRect vorher = w->frameGeometry();
  int ruhig = 0;
  for (int i = 0; i < 100 && ruhig < 5; ++i) {
    QTest::qWait(20);
    const QRect jetzt = w->frameGeometry();
    ruhig = jetzt == vorher && jetzt != w->geometry() ? ruhig + 1 : 0;
    vorher = jetzt;
  }
}

// Shows the window and waits until it is on the screen and stands still; false when it never
// came on the screen.
inline bool ZeigenUndAbwarten(QWidget* w) {
  w->show();
  if (!QTest::qWaitForWindowExposed(w)) return false;
  LageAbwarten(w);
  return true;
}
