#pragma once
// Waiting in window tests: always for a condition, never for a time. The one time here is a
// safety cap that ends a hung test; a test passes or fails on what it waited for.
//
//   EXPECT_TRUE(Warten([&] { return knopf->isEnabled(); }));
//   FensterManagerAbgleichen();   // the window manager has answered all asked of it so far
//   EXPECT_TRUE(GemaltAbwarten(chart));
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <tuple>
#include <xcb/xcb.h>

// Only a hung test ever waits this long.
inline constexpr int kNotbremseMs = 60000;

// Runs the event loop until bedingung holds; false when it still does not after the cap.
inline bool Warten(const std::function<bool()>& bedingung) { return QTest::qWaitFor(bedingung, kNotbremseMs); }

namespace warten_detail {

// A round trip to the X window manager. The program's requests about its windows (map,
// move, resize, activate) go to the manager, which handles them in order and answers with
// events to the program. A request that every manager of the desktop standard answers
// (the frame extents of a window not yet shown: it sets a property on it) is sent after
// them; once its answer is in, so are the answers to everything asked before.
class Echo : public QAbstractNativeEventFilter {
 public:
  static Echo* Holen() {
    static Echo* echo = [] {
      auto* e = new Echo;
      if (!e->Einrichten()) {
        delete e;
        return static_cast<Echo*>(nullptr);
      }
      QCoreApplication::instance()->installNativeEventFilter(e);
      return e;
    }();
    return echo;
  }

  bool Abgleichen() {
    const int vorher = antworten_;
    xcb_client_message_event_t m;
    std::memset(&m, 0, sizeof m);
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = fenster_;
    m.type = anfrage_;
    xcb_send_event(verbindung_, 0, wurzel_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&m));
    xcb_flush(verbindung_);
    return Warten([&] { return antworten_ != vorher; });
  }

  bool nativeEventFilter(const QByteArray& typ, void* nachricht, qintptr*) override {
    if (typ != "xcb_generic_event_t") return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(nachricht);
    if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
      const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
      if (p->window == fenster_ && p->atom == antwort_) ++antworten_;
    }
    return false;
  }

 private:
  xcb_atom_t Atom(const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        verbindung_, xcb_intern_atom(verbindung_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
  }

  // False without a manager that answers the request.
  bool Einrichten() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return false;
    verbindung_ = x11->connection();
    wurzel_ = xcb_setup_roots_iterator(xcb_get_setup(verbindung_)).data->root;
    anfrage_ = Atom("_NET_REQUEST_FRAME_EXTENTS");
    antwort_ = Atom("_NET_FRAME_EXTENTS");
    bool kann = false;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        verbindung_, xcb_get_property(verbindung_, 0, wurzel_, Atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
        nullptr);
    if (r) {
      const auto* atome = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
      for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i) kann = kann || atome[i] == anfrage_;
      std::free(r);
    }
    if (!kann) return false;
    // Never shown: the manager answers for it without managing it.
    fenster_ = xcb_generate_id(verbindung_);
    const uint32_t maske = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(verbindung_, XCB_COPY_FROM_PARENT, fenster_, wurzel_, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &maske);
    xcb_flush(verbindung_);
    return true;
  }

  xcb_connection_t* verbindung_ = nullptr;
  xcb_window_t wurzel_ = 0;
  xcb_window_t fenster_ = 0;
  xcb_atom_t anfrage_ = XCB_ATOM_NONE;
  xcb_atom_t antwort_ = XCB_ATOM_NONE;
  int antworten_ = 0;
};

}  // namespace warten_detail

// Delivers what the program has posted so far and, on X, waits until the window manager has
// answered everything asked of it so far (the answers handled, as the program handles them:
// windows mapped, moved, activated). False when the manager never answered.
inline bool FensterManagerAbgleichen() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  bool beantwortet = true;
  if (QGuiApplication::platformName() == QLatin1String("xcb"))
    if (warten_detail::Echo* echo = warten_detail::Echo::Holen()) beantwortet = echo->Abgleichen();
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
