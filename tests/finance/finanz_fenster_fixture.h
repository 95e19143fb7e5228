#pragma once
// Fixture for the two calculator windows: the window under test as f, hidden again after
// each test, with the steps both windows' tests take.
#include <QLineEdit>
#include <QTest>

#include "platform/radio_group.h"
#include "support/fenster_fixture.h"

template <typename Fenster, Fenster** global>
class FinanzFensterTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    f = *global;
    ASSERT_NE(f, nullptr);
  }
  void TearDown() override {
    if (f) f->hide();
    FensterTest::TearDown();
  }
  void Zeigen() {
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    f->FormActivate();
  }
  void Waehlen(int k) { QTest::mouseClick(f->rg1->button(k), Qt::LeftButton); }
  static QColor Grund(QLineEdit* e) { return e->palette().color(QPalette::Base); }
  static QColor Schrift(QLineEdit* e) { return e->palette().color(QPalette::Text); }

  Fenster* f = nullptr;
};
