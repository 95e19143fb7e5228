#include "platform/application.h"

#include <exception>

#include "imagefile/errors.h"
#include "platform/message_dialog.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // Only the main window's close ends the program (Form). Qt's own rule would also end it
  // when any window without a parent closes while no other such window is shown: a message
  // box shown while the main window is hidden behind the data graph, at a moment when no
  // window is active (right after a file dialog under a real window manager), was enough.
  setQuitOnLastWindowClosed(false);
}

Application::~Application() = default;

bool Application::notify(QObject* receiver, QEvent* event) {
  QString text;
  try {
    return QApplication::notify(receiver, event);
  } catch (const imagefile::SilentAbort&) {
    // The user cancelled; there is nothing to tell.
    return false;
  } catch (const std::exception& e) {
    text = QString::fromUtf8(e.what());
  } catch (...) {
    text = QStringLiteral("Unbekannter Fehler");
  }
  // Shown outside the handler, so the box's own events run on a clean stack. A failure of
  // the box itself must not start the round again.
  static bool showing = false;
  if (!showing) {
    showing = true;
    try {
      showMessage(text, MessageKind::Warning);
    } catch (...) {
    }
    showing = false;
  }
  return false;
}
