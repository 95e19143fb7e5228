// The scaling dialog: cell navigation, key filter, OK and Exit.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/globals.h"
#include "graph/skal.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"

namespace {

class SkalTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    s = frSkal;
    ASSERT_NE(s, nullptr);
  }
  // Stands in for the data graph.
  struct DatenGrafik : SkalDatenGrafik {
    bool ruft = false;
    int angewandt = 0;
    bool RuftSkalierung() const override { return ruft; }
    void SkalierungAnwenden() override { ++angewandt; }
  };
  void TearDown() override {
    if (s) s->DatenGrafik = nullptr;
    if (s) s->hide();
    FensterTest::TearDown();
  }
  void Zeigen() {
    s->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s));
    s->FormActivate();
  }
  QLineEdit* Editor() {
    for (QLineEdit* e : s->sgSkal->findChildren<QLineEdit*>())
      if (e->isVisible()) return e;
    return nullptr;
  }
  TfrSkal* s = nullptr;
};

TEST_F(SkalTest, GridLayout) {
  Zeigen();
  EXPECT_EQ(s->windowTitle(), QStringLiteral("  Skalierung"));
  EXPECT_EQ(s->sgSkal->ColCount(), 3);
  EXPECT_EQ(s->sgSkal->RowCount(), 3);
  EXPECT_EQ(s->sgSkal->Cells(1, 0), QStringLiteral(" Y - Achse"));
  EXPECT_EQ(s->sgSkal->Cells(2, 0), QStringLiteral(" X - Achse"));
  EXPECT_EQ(s->sgSkal->Cells(0, 1), QStringLiteral("Min"));
  EXPECT_EQ(s->sgSkal->Cells(0, 2), QStringLiteral("Max"));
  EXPECT_EQ(s->sgSkal->colWidth(0), 40);
  EXPECT_EQ(s->sgSkal->colWidth(1), (s->width() - 40) / 2 - 20);
  EXPECT_EQ(s->sbSpeichern->toolTip(), QStringLiteral("Skalierung übernehmen"));
}

TEST_F(SkalTest, EnterWalksMinMaxThenTheOtherAxis) {
  Zeigen();
  s->sgSkal->setCol(1);
  s->sgSkal->setRow(1);
  const std::vector<std::pair<int, int>> erwartet{{1, 2}, {2, 1}, {2, 2}, {1, 1}};
  for (const auto& [spalte, zeile] : erwartet) {
    QTest::keyClick(s->sgSkal, Qt::Key_Return);
    EXPECT_EQ(s->sgSkal->Col(), spalte);
    EXPECT_EQ(s->sgSkal->Row(), zeile);
  }
}

TEST_F(SkalTest, CellsTakeNumbersOnly) {
  Zeigen();
  s->sgSkal->setCells(1, 1, QString());
  s->sgSkal->setCol(1);
  s->sgSkal->setRow(1);
  s->sgSkal->edit(s->sgSkal->indexOf(1, 1));
  QLineEdit* e = Editor();
  ASSERT_NE(e, nullptr);
  QTest::keyClicks(e, QStringLiteral("-1a,5,x"));
  EXPECT_EQ(s->sgSkal->Cells(1, 1), QStringLiteral("-1,5"));
}

TEST_F(SkalTest, OkAndExitSetTheTag) {
  Zeigen();
  s->sbSpeichernClick();
  EXPECT_EQ(s->Tag, 1);
  EXPECT_FALSE(s->isVisible());
  Zeigen();
  s->sbExitClick();
  EXPECT_EQ(s->Tag, 0);
  Zeigen();
  s->Tag = 1;
  QTest::keyClick(s->sgSkal, Qt::Key_Escape);  // closes, Tag unchanged
  EXPECT_FALSE(s->isVisible());
  EXPECT_EQ(s->Tag, 1);
}

TEST_F(SkalTest, OkStoresTheLimitsOnlyForTheDataGraph) {
  DatenGrafik d;
  s->DatenGrafik = &d;
  Zeigen();
  s->sgSkal->setCells(1, 1, QStringLiteral("-2"));
  s->sbSpeichernClick();
  EXPECT_EQ(kolvex::SkalYMin, "");
  EXPECT_EQ(d.angewandt, 0);

  d.ruft = true;
  Zeigen();
  s->sgSkal->setCells(1, 2, QStringLiteral("8,5"));
  s->sgSkal->setCells(2, 1, QStringLiteral("0"));
  s->sgSkal->setCells(2, 2, QStringLiteral("1"));
  s->sbSpeichernClick();
  EXPECT_EQ(kolvex::SkalYMin, "-2");
  EXPECT_EQ(kolvex::SkalYMax, "8,5");
  EXPECT_EQ(kolvex::SkalXMin, "0");
  EXPECT_EQ(kolvex::SkalXMax, "1");
  EXPECT_EQ(d.angewandt, 1);
  EXPECT_TRUE(DateiDa("einstKolvex.frb"));
}

}  // namespace
