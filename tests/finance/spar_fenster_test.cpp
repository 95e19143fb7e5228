// The savings window: choosing the sought quantity, calculating by button and Enter, ESC.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "platform/radio_group.h"
#include "finance/spar_rechner.h"
#include "finance/finanz_fenster_fixture.h"
#include "support/sichtbarer_text.h"

namespace {

using SparFensterTest = FinanzFensterTest<TfrSparRechner, &frSparRechner>;

TEST_F(SparFensterTest, ComponentsAndDefaults) {
  EXPECT_EQ(f->windowTitle(), QStringLiteral(" Sparbuch-Rechner"));
  for (const char* name :
       {"edAnfangskapital", "edSparrate", "cbSparintervall", "cbEinzahlungsart", "chbDynamik",
        "plDynamik", "edDynamik", "cbDynamik", "edZinssatz", "cbZinsperiode", "cbZinseszins",
        "edAnsparzeit", "cbAnsparzeit", "edFestlegungsfrist", "cbFestlegungsfrist",
        "edEndkapital", "edZinseG", "lbGesamt", "lbAlleSparraten", "lbZinse", "rg1", "plESC",
        "sbBerechnen", "sbExit", "plFormel_Unten", "plH"})
    EXPECT_NE(f->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(f->rg1->title(), QStringLiteral(" Berechnen "));
  ASSERT_EQ(f->rg1->count(), 6);
  EXPECT_EQ(f->rg1->button(3)->text(), QStringLiteral("Zinsatz"));
  EXPECT_EQ(f->rg1->itemIndex(), 5);
  Zeigen();
  EXPECT_EQ(f->edAnfangskapital->text(), QStringLiteral("10.000,00"));
  EXPECT_EQ(f->cbZinsperiode->currentText(), QStringLiteral("jährlich"));
  EXPECT_FALSE(f->plDynamik->isVisible());
  EXPECT_FALSE(f->plESC->isVisible());
  EXPECT_EQ(f->rg1->itemColor(5), QColor(Qt::red));
  // Hints with their line breaks, shown ten seconds.
  EXPECT_TRUE(f->findChild<QLabel*>(QStringLiteral("lbAnfangskapital"))
                  ->toolTip()
                  .endsWith(QStringLiteral("Startkapital\nWenn nur regelmäßige Sparraten "
                                           "geleistet werden, setzen Sie das Anfangskapital auf 0.")));
  EXPECT_EQ(f->findChild<QLabel*>(QStringLiteral("lbSparrate"))->toolTipDuration(), 10000);
}

TEST_F(SparFensterTest, DefaultPlanByButton) {
  Zeigen();
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  EXPECT_EQ(f->edEndkapital->text(), QStringLiteral("26.315,30 €"));
  EXPECT_EQ(f->edZinseG->text(), QStringLiteral("3.715,30 €"));
  EXPECT_EQ(f->lbZinse->text(), QStringLiteral("Zinse:"));
  EXPECT_EQ(f->lbGesamt->text(), QString());
  EXPECT_EQ(f->lbAlleSparraten->text(), QStringLiteral("Alle Sparraten: 12.600,00 €  84x Sparrate"));
  EXPECT_FALSE(f->plESC->isVisible());
  // Payout mode.
  f->cbZinseszins->setCurrentIndex(1);
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  EXPECT_EQ(f->lbZinse->text(), QStringLiteral("Ausbezahlt:"));
  EXPECT_EQ(f->edEndkapital->text(), QStringLiteral("22.600,00 €"));
  EXPECT_EQ(f->edZinseG->text(), QStringLiteral("3.438,75 €"));
  EXPECT_EQ(f->lbGesamt->text(), QStringLiteral("Gesamt: 26.038,75 €"));
}

TEST_F(SparFensterTest, EnterInThePeriodFieldsCalculates) {
  Zeigen();
  for (QLineEdit* feld : {f->edAnsparzeit, f->edFestlegungsfrist}) {
    f->edEndkapital->clear();
    feld->setFocus();
    QTest::keyClick(feld, Qt::Key_Return);
    EXPECT_EQ(f->edEndkapital->text(), QStringLiteral("26.315,30 €")) << feld->objectName().toStdString();
  }
}

TEST_F(SparFensterTest, ChoosingASoughtQuantityEmptiesAndColoursItsField) {
  Zeigen();
  const QColor normal = Grund(f->edSparrate);
  Waehlen(0);
  EXPECT_EQ(f->rg1->itemIndex(), 0);
  EXPECT_EQ(f->edAnfangskapital->text(), QString());
  EXPECT_EQ(Grund(f->edAnfangskapital), QColor(255, 255, 0));
  EXPECT_EQ(Schrift(f->edAnfangskapital), QColor(0, 128, 0));
  EXPECT_EQ(f->rg1->itemColor(0), QColor(Qt::red));
  EXPECT_EQ(f->rg1->itemColor(5), QColor(Qt::black));
  // The end capital lost its yellow; the next choice undoes the first.
  EXPECT_EQ(Grund(f->edEndkapital), normal);
  Waehlen(1);
  EXPECT_EQ(f->edAnfangskapital->text(), QStringLiteral("10.000,00"));  // from the working value
  EXPECT_EQ(Grund(f->edAnfangskapital), normal);
  EXPECT_EQ(f->edSparrate->text(), QString());
  EXPECT_EQ(f->rg1->itemColor(0), QColor(Qt::black));
  // "Dynamik" ticks the switch and shows its panel.
  Waehlen(2);
  EXPECT_TRUE(f->chbDynamik->isChecked());
  EXPECT_TRUE(f->plDynamik->isVisible());
  EXPECT_EQ(f->edDynamik->text(), QString());
  Waehlen(4);
  EXPECT_EQ(f->edDynamik->text(), QStringLiteral("1,00"));
  EXPECT_EQ(f->edAnsparzeit->text(), QString());
}

TEST_F(SparFensterTest, ChoosingASoughtQuantityKeepsWhatWasJustTyped) {
  Zeigen();
  f->edAnfangskapital->selectAll();
  QTest::keyClicks(f->edAnfangskapital, QStringLiteral("5000"));
  f->edAnsparzeit->selectAll();
  QTest::keyClicks(f->edAnsparzeit, QStringLiteral("12"));
  Waehlen(1);
  EXPECT_EQ(f->edAnfangskapital->text(), QStringLiteral("5.000,00"));
  EXPECT_EQ(f->edAnsparzeit->text(), QStringLiteral("12"));
  // The field emptied for the sought quantity keeps its value for the next choice.
  Waehlen(5);
  EXPECT_EQ(f->edSparrate->text(), QStringLiteral("150,00"));
}

TEST_F(SparFensterTest, SearchFromTheShownEndCapital) {
  Zeigen();
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  Waehlen(1);
  EXPECT_EQ(f->edEndkapital->text(), QStringLiteral("26.315,30 €"));  // stays as the target
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  EXPECT_EQ(f->edSparrate->text(), QStringLiteral("150,00"));
  EXPECT_EQ(f->edEndkapital->text(), QStringLiteral("26.315,30 €"));
  EXPECT_DOUBLE_EQ(f->Sparrate, 150.0);  // read back after the calculation
}

TEST_F(SparFensterTest, TargetFieldTurnsTheDotIntoAComma) {
  Zeigen();
  f->edEndkapital->clear();
  f->edEndkapital->setFocus();
  QTest::keyClicks(f->edEndkapital, QStringLiteral("30000.5"));
  EXPECT_EQ(f->edEndkapital->text(), QStringLiteral("30000,5"));
  // Elsewhere "." stays a thousands separator: 3.5 reads 35.
  EXPECT_EQ(f->TextZuZahl(QStringLiteral("3.5")), 35.0);
  EXPECT_EQ(f->TextZuGanzzahl(QStringLiteral("1.000")), 1000);
}

TEST_F(SparFensterTest, EscAfterPassesLeavesTheLastPassInTheField) {
  Zeigen();
  Waehlen(4);
  f->edEndkapital->setText(QStringLiteral("50.000,00"));
  EscWatcher::pressAfterPolls(3);  // the fourth pass sees ESC
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  EXPECT_EQ(f->edAnsparzeit->text(), QStringLiteral("3"));
  EXPECT_FALSE(f->plESC->isVisible());
  // An ESC from before the calculation does not count.
  EscWatcher::pressAfterPolls(-1);
  f->edEndkapital->setText(QStringLiteral("50.000,00"));
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  finanz::SparEingaben e;
  e.endkapital = "50.000,00";
  EXPECT_EQ(f->edAnsparzeit->text().toStdString(),
            *finanz::SparBerechnen(e, finanz::Ansparzeit).gesuchtesFeld);
  EXPECT_GT(f->edAnsparzeit->text().toInt(), 3);
}

TEST_F(SparFensterTest, ResultsTooLongForTheirFieldsShowTheirLeadingDigits) {
  Zeigen();
  Waehlen(finanz::Ansparzeit);
  f->edSparrate->setText(QStringLiteral("0"));
  f->edEndkapital->setText(QStringLiteral("1.000.000.000.000"));
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  ASSERT_EQ(f->edEndkapital->text(), QStringLiteral("1.024.302.460.690,10 €"));
  ASSERT_EQ(f->edZinseG->text(), QStringLiteral("1.024.302.450.690,10 €"));
  for (QLineEdit* feld : {f->edEndkapital, f->edZinseG}) {
    ASSERT_TRUE(ZuBreit(feld)) << feld->objectName().toStdString();
    // Cut at the end, never at the start, which would read as another number.
    EXPECT_TRUE(SichtbarerText(feld).startsWith(QStringLiteral("1.024.3"))) << SichtbarerText(feld).toStdString();
  }
}

TEST_F(SparFensterTest, MainWindowStepsAsideWhileTheCalculatorIsOpen) {
  HauptfensterZeigen();
  bool hauptSichtbar = true;
  QTimer::singleShot(0, f, [&] {
    hauptSichtbar = frRechn->isVisible();
    f->sbExitClick();
  });
  frRechn->plSparRClick();
  EXPECT_FALSE(hauptSichtbar);
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(DateiDa(QStringLiteral("einstSR.frb")));
  frRechn->hide();
}

}  // namespace
