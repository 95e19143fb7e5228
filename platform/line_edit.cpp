#include "platform/line_edit.h"

#include <QLineEdit>
#include <limits>

void liftTextLimit(QLineEdit* edit) {
  if (edit) edit->setMaxLength(std::numeric_limits<int>::max());
}
