#pragma once
// The hourglass until the end of a scope, on every way out (an exception or ESC included).
class QWidget;

class WaitCursor {
 public:
  // For the whole application: every window shows it.
  WaitCursor();
  // On one widget only; the widget must outlive the guard.
  explicit WaitCursor(QWidget* widget);
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  QWidget* widget_ = nullptr;
};
