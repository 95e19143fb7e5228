#include "platform/wait_cursor.h"

#include <QApplication>
#include <QWidget>

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

WaitCursor::WaitCursor(QWidget* widget) : widget_(widget) { widget_->setCursor(Qt::WaitCursor); }

WaitCursor::~WaitCursor() {
  if (widget_)
    widget_->unsetCursor();
  else
    QApplication::restoreOverrideCursor();
}
