#pragma once
// Waiting in window tests: always for a condition, never for a time. The one time here is a
// safety cap that ends a hung test; a test passes or fails on what it waited for.
//
//   EXPECT_TRUE(Warten([&] { return knopf->isEnabled(); }));
//   FensterManagerAbgleichen();   // the window manager has answered all asked of it so far
//   EXPECT_TRUE(GemaltAbwarten(chart));
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <tuple>

#include "platform/fenster_manager.h"

// Only a hung test ever waits this long.
inline constexpr int kNotbremseMs = 60000;

// Runs the event loop until bedingung holds; false when it still does not after the cap.
inline bool Warten(const std::function<bool()>& bedingung) { return QTest::qWaitFor(bedingung, kNotbremseMs); }

// Delivers what the program has posted so far and, on X, waits until the window manager has
// answered everything asked of it so far (the answers handled, as the program handles them:
// windows mapped, moved, activated). False when the manager never answered.
inline bool FensterManagerAbgleichen() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  bool beantwortet = true;
  if (ManagerAntworten* manager = ManagerAntworten::instanz()) {
    const quint64 nummer = manager->fragen();
    beantwortet = Warten([&] { return manager->beantwortet(nummer); });
  }
  // Qt hands the window system's events on to the windows in a pass of their own.
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  return beantwortet;
}

// Whether a shown window has reached the screen: once the window manager has answered its
// showing, it is exposed, or it will not be.
inline bool AufDemSchirm(QWidget* w) {
  const QPointer<QWidget> fenster(w);
  return FensterManagerAbgleichen() && fenster && fenster->windowHandle() && fenster->windowHandle()->isExposed();
}

// Waits until w is the active window, or until a round trip to the window manager changes
// nothing more about it (which window is active, whether w is on the screen, where it
// stands): a manager that does not activate it. Qt asks for the activation of a window that
// is not on the screen yet only once it is, so the round that maps it is not the last.
// Whether it is active.
inline bool AktivAbwarten(QWidget* w) {
  const QPointer<QWidget> fenster(w);
  const auto zustand = [&] {
    const QWindow* h = fenster ? fenster->windowHandle() : nullptr;
    return std::make_tuple(static_cast<QWidget*>(QApplication::activeWindow()), h && h->isExposed(),
                           fenster ? fenster->frameGeometry() : QRect());
  };
  for (int runde = 0; runde < 100 && fenster && QApplication::activeWindow() != fenster; ++runde) {
    const auto vorher = zustand();
    if (!FensterManagerAbgleichen() || zustand() == vorher) break;
  }
  return fenster && QApplication::activeWindow() == fenster;
}

// Asks w and everything in it to repaint and waits until it was painted (it, or the children
// that cover it); false when it never was.
inline bool GemaltAbwarten(QWidget* w) {
  struct Zaehler : QObject {
    int gemalt = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++gemalt;
      return false;
    }
  } zaehler;
  QList<QPointer<QWidget>> teile{w};
  for (QWidget* kind : w->findChildren<QWidget*>()) teile << kind;
  for (QWidget* t : teile) {
    t->installEventFilter(&zaehler);
    t->update();
  }
  const QPointer<QWidget> fenster(w);
  const bool gemalt = Warten([&] { return !fenster || zaehler.gemalt > 0; }) && fenster;
  for (QWidget* t : teile)
    if (t) t->removeEventFilter(&zaehler);
  return gemalt;
}
