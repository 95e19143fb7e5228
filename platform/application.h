#pragma once
// The application object: any exception that escapes an event handler is shown as a warning
// through the message dialog, and the program goes on. Closing windows never ends the program
// by itself; the main window's close does (Form::hideOnClose).
#include <QApplication>

class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);
  ~Application() override;

  bool notify(QObject* receiver, QEvent* event) override;
};
