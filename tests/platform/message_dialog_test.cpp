#include <QMessageBox>
#include <QObject>
#include <QTest>
#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/message_dialog.h"

TEST(MessageDialog, RecordsTextKindAndButtonsExactly) {
  MessageRecorder rec;
  const QString text = QStringLiteral("Kein Wert für a\rBitte eingeben");
  EXPECT_EQ(showMessage(text, MessageKind::Warning), MessageAnswer::Ok);
  EXPECT_EQ(showMessage(QStringLiteral("Programm beenden?"), MessageKind::Question,
                        MessageButtons::YesNo),
            MessageAnswer::Yes);
  ASSERT_EQ(rec.messages().size(), 2u);
  EXPECT_EQ(rec.messages()[0].text, text);
  EXPECT_EQ(rec.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(rec.messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(rec.messages()[1].kind, MessageKind::Question);
  EXPECT_EQ(rec.messages()[1].buttons, MessageButtons::YesNo);
  rec.clear();
  EXPECT_TRUE(rec.messages().empty());
}

TEST(MessageDialog, ScriptedAnswersInOrderThenDefaults) {
  MessageRecorder rec;
  rec.answerWith({MessageAnswer::No, MessageAnswer::Yes});
  const QString q = QStringLiteral("Frage?");
  EXPECT_EQ(showMessage(q, MessageKind::Question, MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(showMessage(q, MessageKind::Question, MessageButtons::YesNo), MessageAnswer::Yes);
  EXPECT_EQ(showMessage(q, MessageKind::Question, MessageButtons::YesNo), MessageAnswer::Yes);
  // An OK box can only answer Ok, whatever the script says.
  rec.answerWith({MessageAnswer::No});
  EXPECT_EQ(showMessage(q, MessageKind::Information), MessageAnswer::Ok);
}

TEST(MessageDialog, InnermostRecorderRecords) {
  MessageRecorder outer;
  {
    MessageRecorder inner;
    showMessage(QStringLiteral("innen"), MessageKind::Information);
    EXPECT_EQ(inner.messages().size(), 1u);
  }
  showMessage(QStringLiteral("außen"), MessageKind::Information);
  ASSERT_EQ(outer.messages().size(), 1u);
  EXPECT_EQ(outer.messages()[0].text, QStringLiteral("außen"));
}

namespace {
class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("Datei kaputt");
    return QObject::event(e);
  }
};
}  // namespace

TEST(Application, ExceptionFromEventHandlerBecomesWarningAndProgramGoesOn) {
  MessageRecorder rec;
  Thrower t;
  QEvent e(QEvent::User);
  QCoreApplication::sendEvent(&t, &e);
  QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  ASSERT_EQ(rec.messages().size(), 2u);
  EXPECT_EQ(rec.messages()[0].text, QStringLiteral("Datei kaputt"));
  EXPECT_EQ(rec.messages()[0].kind, MessageKind::Warning);
}

TEST(MessageDialog, BoxIsWideEnoughForItsTitle) {
  const struct {
    MessageKind kind;
    MessageButtons buttons;
    const char* titel;
  } faelle[] = {{MessageKind::Warning, MessageButtons::Ok, "Warnung"},
                {MessageKind::Information, MessageButtons::Ok, "Information"},
                {MessageKind::Question, MessageButtons::YesNo, "Frage"}};
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.titel);
    std::unique_ptr<QMessageBox> box(createMessageBox(QStringLiteral("x"), f.kind, f.buttons));
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    EXPECT_EQ(box->windowTitle(), QString::fromLatin1(f.titel));
    EXPECT_GE(box->width(), messageBoxMinimumWidth(box->windowTitle()));
    EXPECT_GE(messageBoxMinimumWidth(box->windowTitle()),
              box->fontMetrics().horizontalAdvance(box->windowTitle()) + 150);
    // The buttons as before.
    EXPECT_EQ(box->buttons().size(), f.buttons == MessageButtons::Ok ? 1 : 2);
  }
}
