#include "platform/form.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHideEvent>
#include <QPointer>
#include <QShowEvent>

#include "platform/esc_watcher.h"
#include "platform/fenster_lage.h"

namespace {
// The form that was activated last. Activation hooks run only when another form of the
// program takes over, not when the user returns from another application or from a
// message box.
QPointer<Form> lastActiveForm;
}  // namespace

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {
  setAttribute(Qt::WA_QuitOnClose, false);  // see showEvent
}

Form::~Form() = default;

void Form::setShownState(bool visible) {
  if (shownState_ == visible) return;
  shownState_ = visible;
  emit visibilityChanged(visible);
}

void Form::showEvent(QShowEvent* event) {
  // Only the main window's close may end the program; a window that merely hides must not,
  // nor may it keep the program alive when it is visible while the main window closes. Qt
  // decides this before the close event, so the flag is set while the window is shown.
  setAttribute(Qt::WA_QuitOnClose, !hideOnClose && !modalRunning_);
  QWidget::showEvent(event);
  if (event->spontaneous()) return;  // restored from minimised
  FormShow();
  // After FormShow, which may place the window itself; before the window is mapped.
  FensterZumZeigenPlatzieren(this);
  setShownState(true);
}

void Form::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;  // minimised
  if (lastActiveForm == this) lastActiveForm = nullptr;
  setShownState(false);
  if (modalLoop_) {
    hiddenDuringModal_ = true;
    modalLoop_->quit();
  }
}

bool Form::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::WindowActivate && lastActiveForm != this) {
    lastActiveForm = this;
    FormActivate();
  }
  return handled;
}

void Form::closeEvent(QCloseEvent* event) {
  bool accept = true;
  FormClose(accept);
  if (!accept) {
    if (closingForModal_) ModalResult = mrNone;
    event->ignore();
    return;
  }
  if (modalRunning_ && ModalResult == mrNone) ModalResult = mrCancel;
  event->accept();
}

int Form::ShowModal() {
  if (modalRunning_) return ModalResult;
  QPointer<Form> self(this);
  ModalResult = mrNone;
  if (isVisible()) hide();  // the modality of a visible window cannot change
  const Qt::WindowModality oldModality = windowModality();
  setWindowModality(Qt::ApplicationModal);
  modalRunning_ = true;
  EscWatcher::Suspend inputFlows;

  QEventLoop loop;
  modalLoop_ = &loop;
  // A window ends its modal run by setting ModalResult; look at it whenever the event
  // queue has run dry.
  QMetaObject::Connection watch;
  if (auto* dispatcher = QAbstractEventDispatcher::instance())
    watch = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&loop, self] {
      if (self && self->ModalResult != mrNone) loop.quit();
    });

  show();
  raise();
  activateWindow();
  while (self && isVisible()) {
    if (ModalResult != mrNone) {
      closingForModal_ = true;
      close();
      if (!self) break;
      closingForModal_ = false;
      continue;  // refused: ModalResult is 0 again, keep running
    }
    hiddenDuringModal_ = false;
    loop.exec(QEventLoop::DialogExec);
    // A window hidden for a while (another window shown in its place) and shown again
    // before its loop returned keeps running.
    if (self && hiddenDuringModal_ && isVisible()) continue;
    if (self && isVisible() && ModalResult == mrNone) {
      // Nobody of ours stopped the loop: the program is quitting.
      ModalResult = mrCancel;
      hide();
    }
  }
  QObject::disconnect(watch);
  if (!self) return mrCancel;
  modalLoop_ = nullptr;
  modalRunning_ = false;
  setWindowModality(oldModality);
  return ModalResult;
}

void FensterObenHalten(QWidget* fenster, bool oben) {
  if (fenster->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == oben) return;
  const bool sichtbar = fenster->isVisible();
  const QRect lage = fenster->geometry();
  fenster->setWindowFlag(Qt::WindowStaysOnTopHint, oben);
  fenster->setGeometry(lage);
  if (sichtbar) fenster->show();
}
