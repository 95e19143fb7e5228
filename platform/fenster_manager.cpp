#include "platform/fenster_manager.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  xcb_atom_t a = XCB_ATOM_NONE;
  if (r) a = r->atom;
  std::free(r);
  return a;
}
}  // namespace

ManagerAntworten* ManagerAntworten::instanz() {
  static const std::unique_ptr<ManagerAntworten> einzige = erzeugen();
  return einzige.get();
}

quint64 ManagerAntworten::fragen() {
  xcb_client_message_event_t frage;
  std::memset(&frage, 0, sizeof frage);
  frage.response_type = XCB_CLIENT_MESSAGE;
  frage.format = 32;
  frage.window = zeuge_;
  frage.type = anfrage_;
  xcb_send_event(verbindung_, 0, wurzel_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&frage));
  xcb_flush(verbindung_);
  return ++gefragt_;
}

bool ManagerAntworten::nativeEventFilter(const QByteArray& typ, void* nachricht, qintptr*) {
  if (typ != "xcb_generic_event_t") return false;
  const auto* e = static_cast<const xcb_generic_event_t*>(nachricht);
  if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  const auto* p = static_cast<const xcb_property_notify_event_t*>(nachricht);
  if (p->window != zeuge_ || p->atom != umfang_) return false;
  // Counted once the events read with it have reached the windows: the geometry the
  // manager sent before this answer is queued for delivery, and goes first.
  QMetaObject::invokeMethod(
      qApp, [this] { beantwortet_ = std::min(beantwortet_ + 1, gefragt_); }, Qt::QueuedConnection);
  return false;
}

std::unique_ptr<ManagerAntworten> ManagerAntworten::erzeugen() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return nullptr;
  const xcb_screen_t* schirm = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!schirm) return nullptr;
  const xcb_atom_t anfrage = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
  const xcb_atom_t umfang = atom(c, "_NET_FRAME_EXTENTS");
  const xcb_atom_t unterstuetzt = atom(c, "_NET_SUPPORTED");
  // Only a manager that says it answers is asked.
  bool bietet = false;
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, schirm->root, unterstuetzt, XCB_ATOM_ATOM, 0, 4096), nullptr);
  if (r && r->format == 32) {
    const auto* atome = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
    const int n = xcb_get_property_value_length(r) / 4;
    for (int i = 0; i < n && !bietet; ++i) bietet = atome[i] == anfrage;
  }
  std::free(r);
  if (!bietet || anfrage == XCB_ATOM_NONE || umfang == XCB_ATOM_NONE) return nullptr;

  std::unique_ptr<ManagerAntworten> m(new ManagerAntworten);
  m->verbindung_ = c;
  m->wurzel_ = schirm->root;
  m->anfrage_ = anfrage;
  m->umfang_ = umfang;
  m->zeuge_ = xcb_generate_id(c);
  const uint32_t maske = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, m->zeuge_, schirm->root, -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &maske);
  xcb_flush(c);
  qApp->installNativeEventFilter(m.get());
  return m;
}
