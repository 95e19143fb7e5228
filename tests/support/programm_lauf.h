#pragma once
// Tests that run as the program runs: inside the application's own event loop, with real
// message boxes, file dialogs and modal windows, answered the way a user answers them. Under
// scripts/run-on-x (Xvfb and a window manager, QT_QPA_PLATFORM=xcb) they meet what a desktop
// does: windows mapped a moment after show(), no active window right after a dialog closes.
//
//   ProgrammLauf lauf;
//   lauf.Ausfuehren([&] {
//     MeldungBeantworten(&text);          // armed before the box shows
//     g->sbLadenClick();                  // opens the box, returns once it is answered
//   });
//   EXPECT_FALSE(lauf.Beendet());
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "support/warten.h"

class ProgrammLauf : public QObject {
 public:
  ProgrammLauf() { qApp->installEventFilter(this); }
  ~ProgrammLauf() override { qApp->removeEventFilter(this); }

  // Runs schritte inside QApplication::exec(), as main() runs the program, and leaves the
  // loop when they are done (also when an ASSERT ended them early).
  void Ausfuehren(const std::function<void()>& schritte) {
    bool fertig = false;
    QTimer::singleShot(0, qApp, [&] {
      struct Ende {
        ~Ende() { QCoreApplication::exit(0); }
      } ende;
      schritte();
      fertig = true;
    });
    QApplication::exec();
    EXPECT_TRUE(fertig) << "the steps did not run to their end";
  }

  // Whether anything has asked the program to end so far. The request is dropped, so that
  // the steps and the tests after them go on.
  bool Beendet() const { return beendet_; }

 protected:
  bool eventFilter(QObject* ziel, QEvent* e) override {
    if (ziel == qApp && e->type() == QEvent::Quit) {
      beendet_ = true;
      return true;
    }
    return false;
  }

 private:
  bool beendet_ = false;
};

// Once a modal window of type T is up, runs antwort on it: shown, on the screen, and the
// window manager's answers to its showing are in, so that where the manager activates it, it
// is active (a user answers what has the focus). A window that never shows fails the test
// after the safety cap, and whatever modal window is up then is closed, so that no test hangs.
template <class T>
void WennModal(std::function<void(T*)> antwort) {
  auto* uhr = new QTimer;
  uhr->setInterval(20);
  const QDeadlineTimer aufgeben(kNotbremseMs);
  QObject::connect(uhr, &QTimer::timeout, [uhr, antwort, aufgeben] {
    QPointer<T> fenster = qobject_cast<T*>(QApplication::activeModalWidget());
    const bool aufDemSchirm =
        fenster && fenster->isVisible() && fenster->windowHandle() && fenster->windowHandle()->isExposed();
    if (!aufDemSchirm) {
      if (!aufgeben.hasExpired()) return;
      uhr->deleteLater();
      uhr->stop();
      ADD_FAILURE() << "expected a " << T::staticMetaObject.className() << ", none came";
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
      return;
    }
    uhr->stop();
    uhr->deleteLater();
    AktivAbwarten(fenster);
    if (!fenster) {
      ADD_FAILURE() << "the " << T::staticMetaObject.className() << " closed before it was answered";
      return;
    }
    antwort(fenster);
  });
  uhr->start();
}

// Answers the next message box with its first button ("OK", "Ja") or, with nein, "Nein";
// keeps its text and the window it belongs to.
inline void MeldungBeantworten(QString* text = nullptr, QWidget** fenster = nullptr,
                               bool nein = false) {
  WennModal<QMessageBox>([text, fenster, nein](QMessageBox* box) {
    if (text) *text = box->text();
    if (fenster) *fenster = box->parentWidget() ? box->parentWidget()->window() : nullptr;
    QAbstractButton* knopf = box->buttons().value(0);
    for (QAbstractButton* b : box->buttons())
      if (nein ? box->buttonRole(b) == QMessageBox::NoRole
               : box->buttonRole(b) != QMessageBox::NoRole)
        knopf = b;
    QTest::mouseClick(knopf, Qt::LeftButton);
  });
}

// Answers the next file dialog with the file pfad: its name goes into the name field and
// Return is pressed there (the accept button is disabled for a name outside the filter).
inline void DateiDialogBeantworten(const QString& pfad) {
  WennModal<QFileDialog>([pfad](QFileDialog* dialog) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) {
      ADD_FAILURE() << "not Qt's own file dialog";
      dialog->reject();
      return;
    }
    name->setText(pfad);
    QTest::keyClick(name, Qt::Key_Return);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "the file dialog refused " << pfad.toStdString();
      dialog->reject();
    }
  });
}

// Lets arrive what Qt and the window manager still have to deliver (a posted request to end
// the program, a late activation): what is posted is delivered, and a round trip to the
// manager comes back.
inline void Nachlaufen() { EXPECT_TRUE(FensterManagerAbgleichen()) << "the window manager did not answer"; }
