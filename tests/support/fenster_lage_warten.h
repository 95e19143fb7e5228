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

// Resizes a shown window and waits until it keeps the size (or its least size, which the
// window may raise meanwhile). A window manager answers every resize a moment later, so the
// answer to an earlier one (the program growing the window) can arrive after this one and undo
// it; the size is asked for again then. False when the window never kept the size for 100 ms
// within five seconds.
inline bool GroesseSetzenUndAbwarten(QWidget* w, QSize groesse) {
  w->resize(groesse.expandedTo(w->minimumSize()));
  for (int i = 0, ruhig = 0; i < 250; ++i) {
    QTest::qWait(20);
    const QSize ziel = groesse.expandedTo(w->minimumSize());
    if (w->size() != ziel) {
      ruhig = 0;
      w->resize(ziel);
    } else if (++ruhig == 5) {
      return true;
    }
  }
  return false;
}

// Whether the window's frame spans the free area's width, within it, but for the few pixels a
// frame's borders may be off while the window manager settles.
inline bool SpanntDieFreieBreite(const QWidget* w, const QRect& frei) {
  const QRect rahmen = w->frameGeometry();
  return rahmen.left() >= frei.left() && rahmen.right() <= frei.right() && rahmen.width() >= frei.width() - 4;
}
