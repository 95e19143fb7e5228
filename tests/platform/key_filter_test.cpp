#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "core/tastenfilter.h"
#include "platform/key_filter.h"

namespace {
// QTest only knows ASCII keys; this types any character like a keyboard layout would.
void typeChar(QWidget* w, QChar c) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
  QApplication::sendEvent(w, &release);
}
}  // namespace

TEST(KeyFilter, FormulaFilterTranslatesPointAndSwallows) {
  QLineEdit edit;
  installKeyFilter(&edit, [](const std::string& t, char k, int caret) {
    return kolvex::FormelTasteFiltern(t, k, caret);
  });
  QTest::keyClicks(&edit, QStringLiteral("1.5+2.5.3 ^!"));
  EXPECT_EQ(edit.text(), QStringLiteral("1,5+2,53"));
  // Backspace, arrows and Ctrl shortcuts are not characters to filter.
  QTest::keyClick(&edit, Qt::Key_Backspace);
  QTest::keyClick(&edit, Qt::Key_Left);
  QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(edit.selectedText(), QStringLiteral("1,5+2,5"));
}

TEST(KeyFilter, GetsCoreTextAndCaretAndTranslatedCharIsInsertedAtCaret) {
  QLineEdit edit;
  edit.setText(QStringLiteral("π+ä"));
  edit.setCursorPosition(1);
  std::string seenText;
  int seenCaret = -1;
  char seenKey = 0;
  installKeyFilter(&edit, [&](const std::string& t, char k, int caret) {
    seenText = t;
    seenKey = k;
    seenCaret = caret;
    return k == 'x' ? '*' : k;
  });
  QTest::keyClick(&edit, 'x');
  EXPECT_EQ(seenText, std::string("\xB6+\xE4"));
  EXPECT_EQ(seenCaret, 1);
  EXPECT_EQ(edit.text(), QStringLiteral("π*+ä"));
  typeChar(&edit, QChar(0x03C0));
  EXPECT_EQ(static_cast<unsigned char>(seenKey), 0xB6);
  EXPECT_EQ(edit.text(), QStringLiteral("π*π+ä"));
  // No core byte for this one: swallowed without asking the filter.
  seenKey = 0;
  typeChar(&edit, QChar(0x20AC));
  EXPECT_EQ(seenKey, 0);
  EXPECT_EQ(edit.text(), QStringLiteral("π*π+ä"));
}

TEST(KeyFilter, ReinstallReplacesAndEmptyRemoves) {
  QLineEdit edit;
  installKeyFilter(&edit, [](const std::string&, char, int) { return '\0'; });
  installKeyFilter(&edit, [](const std::string&, char k, int) { return k == '1' ? '\0' : k; });
  QTest::keyClicks(&edit, QStringLiteral("121"));
  EXPECT_EQ(edit.text(), QStringLiteral("2"));
  installKeyFilter(&edit, nullptr);
  QTest::keyClicks(&edit, QStringLiteral("1"));
  EXPECT_EQ(edit.text(), QStringLiteral("21"));
}
