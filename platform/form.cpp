#include "platform/form.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPointer>
#include <QShowEvent>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <xcb/xcb.h>

#include "platform/esc_watcher.h"
#include "platform/fenster_lage.h"

namespace {
// The form that was activated last. Activation hooks run only when another form of the
// program takes over, not when the user returns from another application or from a
// message box.
QPointer<Form> lastActiveForm;

// Under an X window manager a shown window is mapped by the manager, a moment after show().
// A window withdrawn before the manager has mapped it and shown again at once can stay
// unmapped for good while Qt takes it for shown: a modal window that nobody sees and that
// blocks every other one. So a window goes only once the manager has mapped it (or after half
// a second, for a window the manager keeps off the screen). The X server is asked directly:
// waiting in Qt's event loop would run timers and queued calls in the middle of a hide().
bool mappedOnScreen(xcb_connection_t* connection, xcb_window_t window) {
  xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, window), nullptr);
  const bool viewable = !reply || reply->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(reply);
  return viewable;
}

void waitUntilMapped(QWidget* widget) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  QWindow* window = widget->windowHandle();
  if (!x11 || !x11->connection() || !window || !window->handle() || widget->isMinimized())
    return;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const QDeadlineTimer deadline(500);
  while (!mappedOnScreen(x11->connection(), id) && !deadline.hasExpired())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
}  // namespace

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {
  // Qt's quitting on the last window is off (Application); the flag only keeps the windows
  // out of its bookkeeping.
  setAttribute(Qt::WA_QuitOnClose, false);
}

Form::~Form() = default;

Form* Form::lastActive() {
  return lastActiveForm && lastActiveForm->isVisible() ? lastActiveForm.data() : nullptr;
}

namespace {
// How long after framing the window manager's late answers are watched for.
constexpr int kSettlingMs = 1500;
}  // namespace

void Form::setShownState(bool visible) {
  if (shownState_ == visible) return;
  shownState_ = visible;
  emit visibilityChanged(visible);
}

void Form::setVisible(bool visible) {
  if (!visible && isVisible()) waitUntilMapped(this);
  QWidget::setVisible(visible);
}

void Form::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;  // restored from minimised
  FormShow();
  // After FormShow, which may place the window itself; before the window is mapped.
  FensterZumZeigenPlatzieren(this);
  frameUnknown_ = frameGeometry() == geometry() && !windowFlags().testFlag(Qt::FramelessWindowHint);
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
  // A window manager frames a window a moment after it was shown, with borders that may
  // differ from the ones guessed: a window placed at the edge of the screen would stick out
  // by them. Once the frame is known the window is pulled in.
  if (frameUnknown_ && isVisible() && frameGeometry() != geometry()) {
    frameUnknown_ = false;
    settling_.setRemainingTime(kSettlingMs);
    FensterImBildHalten(this);
  } else if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible() &&
             !settling_.hasExpired()) {
    // On a loaded machine the manager's answers to requests made before the frame was known
    // can arrive after the pull-in and put the frame out again (a window as large as the
    // screen with its title bar above it). For a moment after framing, a frame outside the
    // free area is pulled in again; a frame inside is left where it is.
    const QRect rahmen = frameGeometry();
    if (!FreieFlaeche(this, rahmen).contains(rahmen)) FensterImBildHalten(this);
  }
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
  // The main window's close ends the program. Queued, as Qt's own quitting was: quitting
  // closes every window, and this one has not finished closing yet.
  if (!hideOnClose && !modalRunning_)
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
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
