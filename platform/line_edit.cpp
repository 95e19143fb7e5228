#include "platform/line_edit.h"

#include <QLineEdit>
#include <limits>

void liftTextLimit(QLineEdit* edit) {
  if (edit) edit->setMaxLength(std::numeric_limits<int>::max());
}

void setTextFromStart(QLineEdit* edit, const QString& text) {
  // The same text again changes nothing the user sees, nor where typing goes on.
  if (!edit || edit->text() == text) return;
  edit->setText(text);
  edit->setCursorPosition(0);
}
