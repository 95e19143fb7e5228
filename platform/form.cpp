#include "platform/form.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <xcb/xcb.h>

#include "platform/esc_watcher.h"
#include "platform/fenster_lage.h"
#include "platform/fenster_manager.h"

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
  const bool zeigen = visible && !isVisible();
  QWidget::setVisible(visible);
  if (zeigen && isVisible()) {
    // Showing is a request too: the manager places and frames the window.
    anfrageGestellt();
    if (QWindow* fenster = windowHandle()) fenster->installEventFilter(this);
  }
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
  // The window system's news about the native window: once Qt has taken them in, the frame
  // may have changed without the window having moved (see rahmenPruefen).
  if (watched == windowHandle() && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
      !settling_.hasExpired())
    QMetaObject::invokeMethod(this, &Form::rahmenPruefen, Qt::QueuedConnection);
  return QWidget::eventFilter(watched, event);
}

void Form::rahmenPruefen() {
  // Qt learns the frame's borders from the manager piece by piece: a window pulled in with
  // borders known only in part can stand with its title bar above the screen once the rest is
  // known, and nothing of the window moves then. A changed frame is pulled in again.
  if (!isVisible() || frameUnknown_ || settling_.hasExpired()) return;
  const QMargins raender = RahmenRaender(this);
  if (raender == raender_) return;
  raender_ = raender;
  FensterImBildHalten(this);
}

void Form::anfrageGestellt() {
  if (ManagerAntworten* m = ManagerAntworten::instanz()) letzteAnfrage_ = m->fragen();
}

bool Form::wartetAufFensterManager() const {
  const ManagerAntworten* m = ManagerAntworten::instanz();
  return m && !m->beantwortet(letzteAnfrage_);
}

void Form::BreiteZurueckgeben() {
  AnordnungAnwenden(this);
  const int ziel = std::max(eigeneBreite_, minimumWidth());
  if (eigeneBreite_ < 0 || width() <= ziel) return;
  breiteZurueck_ = true;
  resize(ziel, height());
  breiteZurueck_ = false;
}

namespace {
// Pushed from `vorher` to the least size its content needs along one side (mindest), not
// resized to a size of anybody's choice.
bool AufMindestGeschoben(int vorher, int jetzt, int mindest) {
  return vorher >= 0 && vorher < mindest && jetzt == mindest;
}

bool VomInhaltGeschoben(const QWidget* w, const QResizeEvent* event) {
  return AufMindestGeschoben(event->oldSize().width(), w->width(), w->minimumWidth()) ||
         AufMindestGeschoben(event->oldSize().height(), w->height(), w->minimumHeight());
}
}  // namespace

void Form::eigeneBreiteMerken(const QResizeEvent* event) {
  const int vorher = event->oldSize().width();
  // Pushed wider for the content: not a width of its own (the first width of all is).
  const bool fuerInhalt = AufMindestGeschoben(vorher, width(), minimumWidth());
  if (width() != vorher && !fuerInhalt && !breiteZurueck_) eigeneBreite_ = width();
}

void Form::geometrieGeaendert(QEvent* event) {
  if (!isVisible()) return;
  if (!event->spontaneous()) {
    // The program moved or resized the shown window; the manager answers later. A window
    // that grew for its content stays inside the free area.
    if (!shownState_) return;
    anfrageGestellt();
    if (event->type() == QEvent::Resize && VomInhaltGeschoben(this, static_cast<QResizeEvent*>(event)))
      FensterImBildHalten(this);
    return;
  }
  // On a loaded machine the manager's answers to requests made before the frame was known
  // can arrive after the pull-in and put the frame out again (a window as large as the screen
  // with its title bar above it). For a moment after framing, an answer that puts the frame
  // outside the free area is pulled in again. What moves the window once the answers are in
  // is the user's doing and stays (without a manager that tells, every move is pulled in).
  if (settling_.hasExpired()) return;
  if (ManagerAntworten::instanz() && !wartetAufFensterManager()) return;
  const QRect rahmen = frameGeometry();
  if (!FreieFlaeche(this, rahmen).contains(rahmen)) FensterImBildHalten(this);
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
  if (event->type() == QEvent::Resize) eigeneBreiteMerken(static_cast<QResizeEvent*>(event));
  // A window manager frames a window a moment after it was shown, with borders that may
  // differ from the ones guessed: a window placed at the edge of the screen would stick out
  // by them. Once the frame is known the window is pulled in.
  if (frameUnknown_ && isVisible() && frameGeometry() != geometry()) {
    frameUnknown_ = false;
    settling_.setRemainingTime(kSettlingMs);
    raender_ = RahmenRaender(this);
    FensterImBildHalten(this);
  } else if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
    geometrieGeaendert(event);
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
