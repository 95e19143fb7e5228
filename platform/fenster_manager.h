#pragma once
// The window manager answers the program's requests about a window (a move, a resize, a
// showing) a moment later, in the order it got them; a window that moves after every answer is
// in was moved by the user (or by the manager's own rules). To know when the answers are in,
// the program asks after each request for something the manager answers in the same order: the
// frame extents of a window of its own that is never shown, which the manager writes into that
// window's properties. Where no manager offers this, nothing is known to be owed.
#include <QAbstractNativeEventFilter>
#include <QtGlobal>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

class ManagerAntworten : public QAbstractNativeEventFilter {
 public:
  // Null without an X window manager that offers the answer.
  static ManagerAntworten* instanz();

  // Asks after a request; the number of the answer that follows the request's answers.
  quint64 fragen();
  // Whether that answer is in and the events read with it have reached the windows.
  bool beantwortet(quint64 nummer) const { return beantwortet_ >= nummer; }

  bool nativeEventFilter(const QByteArray& typ, void* nachricht, qintptr*) override;

 private:
  ManagerAntworten() = default;
  static std::unique_ptr<ManagerAntworten> erzeugen();

  xcb_connection_t* verbindung_ = nullptr;
  std::uint32_t wurzel_ = 0;
  std::uint32_t zeuge_ = 0;
  std::uint32_t anfrage_ = 0;
  std::uint32_t umfang_ = 0;
  quint64 gefragt_ = 0;
  quint64 beantwortet_ = 0;
};
