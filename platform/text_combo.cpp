#include "platform/text_combo.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

TextCombo::TextCombo(QWidget* parent) : QComboBox(parent) {
  // Editable only so that the edit part can hold a text outside the list; the user
  // never types into it.
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);
  lineEdit()->setReadOnly(true);
  lineEdit()->installEventFilter(this);
  lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
}

void TextCombo::setText(const QString& t) {
  const int i = findText(t, Qt::MatchExactly);
  if (i >= 0 && i != currentIndex()) setCurrentIndex(i);
  if (currentText() != t) setEditText(t);
}

void TextCombo::setTippenErlaubt(bool an) {
  tippen_ = an;
  lineEdit()->setReadOnly(!an);
  lineEdit()->setContextMenuPolicy(an ? Qt::DefaultContextMenu : Qt::NoContextMenu);
}

void TextCombo::keyPressEvent(QKeyEvent* event) {
  if (tippen_) {
    QComboBox::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Escape:
      emit escapePressed();
      break;
    // Choosing from the list stays possible by keyboard: the arrows step through it, F4 and
    // Alt+Down open it. Only typed characters are swallowed.
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_F4:
      if (!(event->modifiers() & Qt::ControlModifier)) {
        QComboBox::keyPressEvent(event);
        return;
      }
      break;
    default:
      break;
  }
  event->accept();
}

bool TextCombo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && !tippen_) {
    switch (event->type()) {
      case QEvent::KeyPress:
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
      case QEvent::MouseButtonPress:
        // The edit part behaves like the button of a list-only combo.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && isEnabled()) {
          showPopup();
          return true;
        }
        break;
      case QEvent::MouseButtonDblClick:
        return true;
      default:
        break;
    }
  }
  return QComboBox::eventFilter(watched, event);
}

int ListenIndex(QComboBox* combo, const QString& text) {
  if (!combo) return 0;
  for (int i = 0; i < combo->count(); ++i)
    if (combo->itemText(i) == text) return i;
  return 0;
}

void ComboTextSetzen(QComboBox* combo, const QString& text) {
  if (!combo) return;
  if (auto* t = qobject_cast<TextCombo*>(combo)) {
    t->setText(text);
    return;
  }
  if (combo->isEditable()) {
    combo->setEditText(text);
    return;
  }
  const int i = combo->findText(text);
  if (i >= 0) combo->setCurrentIndex(i);
}
