#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QCloseEvent>
#include <gtest/gtest.h>

#include "platform/esc_watcher.h"
#include "platform/form.h"
#include "support/warten.h"

namespace {
void postEsc(QWidget* target) {
  QCoreApplication::postEvent(target,
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

// Polls, as a long operation does, until the watcher has pumped everything posted so far (it
// pumps at most every 30 ms; a marker posted last has arrived): whether it latched a press.
bool pressedOncePumped() {
  struct Marker : QObject {
    bool arrived = false;
    bool event(QEvent* e) override {
      if (e->type() != QEvent::User) return QObject::event(e);
      arrived = true;
      return true;
    }
  } marker;
  QCoreApplication::postEvent(&marker, new QEvent(QEvent::User));
  const QDeadlineTimer cap(kNotbremseMs);
  bool latched = false;
  while (!latched && !marker.arrived && !cap.hasExpired()) latched = EscWatcher::pressed();
  EXPECT_TRUE(latched || marker.arrived) << "the watcher never pumped";
  return latched;
}
}  // namespace

TEST(EscWatcher, PressAfterPollsLatchesOnTheRightPoll) {
  EscWatcher::pressAfterPolls(2);
  {
    EscWatcher::Operation op;
    EXPECT_FALSE(EscWatcher::pressed());
    EXPECT_FALSE(EscWatcher::pressed());
    EXPECT_TRUE(EscWatcher::pressed());
    EXPECT_TRUE(EscWatcher::pressed());  // latched
    EscWatcher::reset();                 // a new operation: the earlier press does not count
    EXPECT_FALSE(EscWatcher::pressed());
  }
  EXPECT_FALSE(EscWatcher::active());
  EscWatcher::pressAfterPolls(0);
  EscWatcher::reset();
  EXPECT_TRUE(EscWatcher::pressed());
  EscWatcher::finish();
  // After the end the answer stays readable, and the hook was one-shot.
  EXPECT_TRUE(EscWatcher::pressed());
  EscWatcher::reset();
  EXPECT_FALSE(EscWatcher::pressed());
  EscWatcher::finish();
}

TEST(EscWatcher, RealEscKeyDuringOperationIsLatchedOtherInputSwallowed) {
  QLineEdit edit;
  edit.show();
  EscWatcher::Operation op;
  QCoreApplication::postEvent(&edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier,
                                                   QStringLiteral("a")));
  postEsc(&edit);
  EXPECT_TRUE(pressedOncePumped());
  EXPECT_EQ(edit.text(), QString());  // the user's typing waited out the operation
  QTest::keyClicks(&edit, QStringLiteral("xy"));
  EXPECT_EQ(edit.text(), QString());
}

TEST(EscWatcher, NoPressNoLatchAndInputFlowsAfterwards) {
  QLineEdit edit;
  edit.show();
  {
    EscWatcher::Operation op;
    EXPECT_FALSE(pressedOncePumped());
    {
      // A message box in the middle of an operation must be usable.
      EscWatcher::Suspend flows;
      QTest::keyClicks(&edit, QStringLiteral("ab"));
      postEsc(&edit);
      QCoreApplication::processEvents();
    }
    EXPECT_FALSE(pressedOncePumped());
  }
  QTest::keyClicks(&edit, QStringLiteral("c"));
  EXPECT_EQ(edit.text(), QStringLiteral("abc"));
}

TEST(EscWatcher, NestedOperationEndsWithTheOutermost) {
  {
    EscWatcher::Operation outer;
    { EscWatcher::Operation inner; }
    EXPECT_TRUE(EscWatcher::active());
  }
  EXPECT_FALSE(EscWatcher::active());
}

TEST(EscWatcher, UserCloseRequestWaitsForTheEndOfTheOperation) {
  Form f;
  f.show();
  {
    EscWatcher::Operation op;
    QCloseEvent userClose;
    QSpontaneKeyEvent::setSpontaneous(&userClose);
    QApplication::instance()->notify(&f, &userClose);  // as the window system does
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.isVisible());
    // The program's own close is not held back.
    Form g;
    g.show();
    EXPECT_TRUE(g.close());
    EXPECT_FALSE(g.isVisible());
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.isVisible());
}

TEST(EscWatcher, OperationStartedInsideAModalWindowIsWatched) {
  // A calculator shown modally runs its searches while the modal run lets input flow: ESC
  // must still stop them, and a second click on "Berechnen" or "Exit" must wait.
  QLineEdit edit;
  edit.show();
  EscWatcher::Suspend modalRun;
  {
    EscWatcher::Operation search;
    QCoreApplication::postEvent(&edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier,
                                                     QStringLiteral("a")));
    postEsc(&edit);
    EXPECT_TRUE(pressedOncePumped());
    EXPECT_EQ(edit.text(), QString());
    {
      // A message box in the middle of that search is usable again.
      EscWatcher::Suspend messageBox;
      QTest::keyClicks(&edit, QStringLiteral("b"));
      EXPECT_EQ(edit.text(), QStringLiteral("b"));
    }
    QTest::keyClicks(&edit, QStringLiteral("c"));
    EXPECT_EQ(edit.text(), QStringLiteral("b"));
  }
  // After the search, inside the modal run, input flows as before.
  QTest::keyClicks(&edit, QStringLiteral("d"));
  EXPECT_EQ(edit.text(), QStringLiteral("bd"));
}
