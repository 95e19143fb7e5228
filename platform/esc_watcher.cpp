#include "platform/esc_watcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace EscWatcher {
namespace {

constexpr qint64 kPumpIntervalMs = 30;

// Latches ESC and holds back the user's input while an operation runs.
class Filter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

struct State {
  bool active = false;
  bool latched = false;
  int suspended = 0;
  // The suspensions that were already there when the operation started: a calculator shown
  // modally starts its search inside the modal run's suspension, and that search is watched
  // all the same. Only a suspension made during the operation lets input through.
  int suspendedAtStart = 0;
  int pollsLeft = -1;  // test hook, < 0 off
  QElapsedTimer sincePump;
  Filter* filter = nullptr;
  QList<QPointer<QWidget>> closeRequests;
};

State& state() {
  static State s;
  return s;
}

bool Filter::eventFilter(QObject* watched, QEvent* event) {
  State& s = state();
  if (!s.active || s.suspended > s.suspendedAtStart) return false;
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Escape) s.latched = true;
      return true;
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
      return true;
    case QEvent::Close: {
      // Only the user's close requests wait; the program's own close() goes through.
      if (!event->spontaneous()) return false;
      auto* w = qobject_cast<QWidget*>(watched);
      if (!w || !w->isWindow()) return false;
      if (!s.closeRequests.contains(w)) s.closeRequests.append(w);
      event->ignore();
      return true;
    }
    default:
      return false;
  }
}

void ensureFilter() {
  State& s = state();
  if (s.filter || !QCoreApplication::instance()) return;
  s.filter = new Filter;
  s.filter->setParent(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(s.filter);
}

}  // namespace

void reset() {
  State& s = state();
  ensureFilter();
  if (!s.active) s.suspendedAtStart = s.suspended;
  s.active = true;
  s.latched = false;
  s.sincePump.invalidate();
}

bool pressed() {
  State& s = state();
  if (!s.active) return s.latched;
  if (s.pollsLeft >= 0) {
    if (s.pollsLeft == 0) s.latched = true;
    --s.pollsLeft;
  }
  if (!s.latched && (!s.sincePump.isValid() || s.sincePump.elapsed() >= kPumpIntervalMs)) {
    s.sincePump.start();
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return s.latched;
}

void finish() {
  State& s = state();
  if (!s.active) return;
  s.active = false;
  const QList<QPointer<QWidget>> requests = std::move(s.closeRequests);
  s.closeRequests.clear();
  for (const QPointer<QWidget>& w : requests)
    if (w) QMetaObject::invokeMethod(w.data(), &QWidget::close, Qt::QueuedConnection);
}

bool active() { return state().active; }

void pressAfterPolls(int n) { state().pollsLeft = n < 0 ? -1 : n; }

Operation::Operation() : outer_(active()) { reset(); }

Operation::~Operation() {
  if (!outer_) finish();
}

Suspend::Suspend() { ++state().suspended; }

Suspend::~Suspend() { --state().suspended; }

}  // namespace EscWatcher
