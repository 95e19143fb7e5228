#pragma once
// Window positions on a real X server: the window manager frames a window a moment after it
// was shown and has the last word on where it goes (on a loaded machine it may place a window
// by its own rules). Exact positions are checked where the program alone places windows
// (offscreen); on X a window only has to stand inside the free area of the screen.
#include <QGuiApplication>
#include <QRect>
#include <QTest>
#include <QWidget>

#include "support/warten.h"

inline bool FensterManagerPlatziert() {
  return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Waits until a shown window stands where it will stay: a round trip to the window manager
// changes nothing more, so that every answer to what the program asked (framing and placing
// the window, the program's pulling its frame into the screen) has arrived and been handled.
// False when it never came to rest.
inline bool LageAbwarten(QWidget* w) {
  for (int runde = 0; runde < 100; ++runde) {
    const QRect rahmen = w->frameGeometry(), innen = w->geometry();
    if (!FensterManagerAbgleichen()) return false;
    if (w->frameGeometry() == rahmen && w->geometry() == innen) return true;
  }
  return false;
}

// Shows the window and waits until it is on the screen and stands still; false when it never
// came on the screen or to rest.
inline bool ZeigenUndAbwarten(QWidget* w) {
  w->show();
  if (!QTest::qWaitForWindowExposed(w, kNotbremseMs)) return false;
  return LageAbwarten(w);
}

// Resizes a shown window and waits until it keeps the size (or its least size, which the
// window may raise meanwhile). A window manager answers every resize a moment later, so the
// answer to an earlier one (the program growing the window) can arrive after this one and undo
// it; the size is asked for again then, until a round trip to the manager leaves it as asked.
// False when it never kept it.
inline bool GroesseSetzenUndAbwarten(QWidget* w, QSize groesse) {
  for (int runde = 0; runde < 100; ++runde) {
    const QSize ziel = groesse.expandedTo(w->minimumSize());
    if (w->size() != ziel) w->resize(ziel);
    if (!FensterManagerAbgleichen()) return false;
    if (w->size() == ziel && ziel == groesse.expandedTo(w->minimumSize())) return true;
  }
  return false;
}

// Whether the window's frame spans the free area's width, within it, but for the few pixels a
// frame's borders may be off while the window manager settles.
inline bool SpanntDieFreieBreite(const QWidget* w, const QRect& frei) {
  const QRect rahmen = w->frameGeometry();
  return rahmen.left() >= frei.left() && rahmen.right() <= frei.right() && rahmen.width() >= frei.width() - 4;
}
