#include "platform/key_filter.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "platform/text_convert.h"

namespace {

// One per line edit, child of it, so it dies with the edit.
class KeyFilterObject : public QObject {
 public:
  KeyFilterObject(QLineEdit* edit, KeyFilterFn fn) : QObject(edit), edit_(edit), fn_(std::move(fn)) {}
  void setFilter(KeyFilterFn fn) { fn_ = std::move(fn); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != edit_ || !fn_) return false;
    if (event->type() == QEvent::KeyPress) return onKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::InputMethod)
      return onInputMethod(static_cast<QInputMethodEvent*>(event));
    return false;
  }

 private:
  static bool isTyped(const QString& text) {
    if (text.size() != 1) return false;
    const char16_t u = text.at(0).unicode();
    return u >= 0x20 && u != 0x7F && !(u >= 0x80 && u < 0xA0);
  }

  // Runs the filter on one typed character and inserts what it returns.
  void typeChar(QChar typed) {
    if (edit_->isReadOnly()) return;
    const char16_t u = typed.unicode();
    if (u > 0xFF && u != 0x03C0) return;  // no core byte for it
    const int caret = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
    const char out = fn_(toCore(edit_->text()), toCoreChar(typed), caret);
    if (out == '\0') return;
    edit_->insert(QString(fromCoreChar(out)));
  }

  bool onKey(QKeyEvent* key) {
    const Qt::KeyboardModifiers mods = key->modifiers();
    const QString text = key->text();
    // Ctrl+Alt is AltGr on some systems and types a character; Ctrl or Alt alone is a
    // shortcut.
    const bool altGr = (mods & Qt::ControlModifier) && (mods & Qt::AltModifier);
    if (!altGr && (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
      return false;
    if (!isTyped(text)) {
      // Keys without a printable character (arrows, Backspace, Return, F-keys ...) pass;
      // a dead key or input-method sequence of several characters is swallowed.
      return text.size() > 1;
    }
    typeChar(text.at(0));
    return true;
  }

  bool onInputMethod(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) return false;
    if (commit.size() == 1 && isTyped(commit)) typeChar(commit.at(0));
    // The composing preedit is dropped with the event; the edit keeps its text.
    return true;
  }

  QLineEdit* edit_;
  KeyFilterFn fn_;
};

}  // namespace

void installKeyFilter(QLineEdit* edit, KeyFilterFn filter) {
  if (!edit) return;
  KeyFilterObject* existing = nullptr;
  for (QObject* child : edit->children())
    if (auto* k = dynamic_cast<KeyFilterObject*>(child)) existing = k;
  if (!filter) {
    if (existing) {
      edit->removeEventFilter(existing);
      delete existing;
    }
    return;
  }
  if (existing) {
    existing->setFilter(std::move(filter));
    return;
  }
  auto* obj = new KeyFilterObject(edit, std::move(filter));
  edit->installEventFilter(obj);
}
