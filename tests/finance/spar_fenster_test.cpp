// The savings window: choosing the sought quantity, calculating by button and Enter, ESC.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "platform/radio_group.h"
#include "finance/spar_rechner.h"
#include "finance/finanz_fenster_fixture.h"
#include "platform/fenster_lage.h"
#include "support/fenster_lage_warten.h"
#include "support/nutzer_fenster.h"
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

// The first case: a result wider than the field's first width, after the user
// clicked into the field and pressed End; and every later result.
TEST_F(SparFensterTest, ResultsShowWholeWhateverTheUserDidToTheField) {
  Zeigen();
  for (const char* anfang : {"1000000000000", "2000000000000", "1000000000000"}) {
    f->edAnfangskapital->selectAll();
    QTest::keyClicks(f->edAnfangskapital, QString::fromLatin1(anfang));
    QTest::mouseClick(f->edEndkapital, Qt::LeftButton);
    QTest::keyClick(f->edEndkapital, Qt::Key_End);
    QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
    for (QLineEdit* feld : {f->edEndkapital, f->edZinseG})
      EXPECT_TRUE(GanzSichtbar(feld)) << anfang << " " << feld->objectName().toStdString() << ": "
                                      << SichtbarerText(feld).toStdString();
  }
  EXPECT_EQ(f->edEndkapital->text(), QStringLiteral("1.229.873.879.441,43 €"));
}

// The longest results of plausible inputs (twelve-digit capital, 99 % over 99 years): the
// fields are as wide as their texts at the window's least size and grow with the window; the
// interest field scrolls.
TEST_F(SparFensterTest, LongResultsFitAtTheLeastSizeAndGrowWithTheWindow) {
  Zeigen();
  f->edAnfangskapital->setText(QStringLiteral("999999999999"));
  f->edSparrate->setText(QStringLiteral("99999999"));
  f->edZinssatz->setText(QStringLiteral("99"));
  f->edAnsparzeit->setText(QStringLiteral("99"));
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  ASSERT_TRUE(f->edEndkapital->text().startsWith(QStringLiteral("386.600.598.025.958.9")))
      << f->edEndkapital->text().toStdString();
  ASSERT_GT(f->edZinseG->text().size(), 50);
  EXPECT_NE(f->edZinseG->focusPolicy(), Qt::NoFocus);
  auto alleGanz = [this](const char* wann) {
    for (QLineEdit* feld : {f->edEndkapital, f->edZinseG, f->edAnfangskapital, f->edSparrate})
      EXPECT_TRUE(GanzSichtbar(feld)) << wann << " " << feld->objectName().toStdString() << ": "
                                      << SichtbarerText(feld).toStdString();
    EXPECT_GE(f->lbAlleSparraten->width(), f->lbAlleSparraten->sizeHint().width()) << wann;
  };
  alleGanz("nach dem Rechnen");
  // The window cannot be made narrower than its results need.
  EXPECT_TRUE(GroesseSetzenUndAbwarten(f, f->minimumSize()));
  alleGanz("kleinste Groesse");
  const int breite = f->edZinseG->width();
  EXPECT_TRUE(GroesseSetzenUndAbwarten(f, QSize(f->width() + 200, f->height())));
  EXPECT_EQ(f->edZinseG->width(), breite + 200);
  EXPECT_EQ(f->edEndkapital->width(), breite + 200);
  alleGanz("breiter");
}

// A search stopped by ESC writes its value as the whole text into the narrow field.
TEST_F(SparFensterTest, EscStoppedSearchShowsItsValueWhole) {
  Zeigen();
  Waehlen(finanz::Dynamik);
  f->edSparrate->setText(QStringLiteral("0"));  // the target stays out of reach
  f->edAnsparzeit->setText(QStringLiteral("1"));
  f->edEndkapital->setText(QStringLiteral("50.000,00"));
  EscWatcher::pressAfterPolls(123456);
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  ASSERT_EQ(f->edDynamik->text(), QStringLiteral("12.345,60"));
  EXPECT_TRUE(GanzSichtbar(f->edDynamik)) << SichtbarerText(f->edDynamik).toStdString();
}

// A text wider than the screen: the window stays inside the free area, the fields show the
// start of their texts, and the interest field scrolls to its end and back to the start with
// the next result.
TEST_F(SparFensterTest, ResultsWiderThanTheScreenShowTheirStart) {
  Zeigen();
  f->edAnfangskapital->setText(QStringLiteral("1") + QString(330, QLatin1Char('0')));
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  ASSERT_GT(f->edEndkapital->text().size(), 400);
  const QRect frei = f->screen()->availableGeometry();
  EXPECT_LE(f->frameGeometry().width(), frei.width());
  for (QLineEdit* feld : {f->edEndkapital, f->edZinseG})
    EXPECT_TRUE(ZeigtAnfang(feld)) << SichtbarerText(feld).toStdString();
  QTest::mouseClick(f->edZinseG, Qt::LeftButton);
  QTest::keyClick(f->edZinseG, Qt::Key_End);
  EXPECT_TRUE(SichtbarerText(f->edZinseG).endsWith(QStringLiteral(",00 €"))) << SichtbarerText(f->edZinseG).toStdString();
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  EXPECT_TRUE(ZeigtAnfang(f->edZinseG)) << SichtbarerText(f->edZinseG).toStdString();
}

// Plans over 9999 years: the window, opened at the right edge of the screen, grows for their
// results and moves so that it stays inside the free area with "Berechnen" and "Exit". The
// result from a twelve-digit capital stands whole where the screen has room; a result longer
// than the screen is wide takes all of the free area's width and shows its start. With a
// short result again the window gives the width back, also after it was closed and opened
// again; a width the user chose by dragging stays.
TEST_F(SparFensterTest, AGrownWindowStaysOnTheScreenAndGivesTheWidthBack) {
  Zeigen();
  const int eigene = f->width();
  const QRect frei = f->screen()->availableGeometry();
  const QString zwoelf = QStringLiteral("999999999999");
  auto rechnen = [this](const QString& anfang, const char* jahre) {
    f->edAnfangskapital->setText(anfang);
    f->edAnsparzeit->setText(QString::fromLatin1(jahre));
    QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  };
  auto imBild = [&frei](const QWidget* w) {
    return frei.contains(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
  };
  // Every result shows its start; it stands whole (where that is enough) or the window spans
  // the free area. The window has moved left no further than it had to: its right edge stays
  // at the screen's.
  auto gezeigt = [&](bool ganzGenuegt) {
    const bool breit = SpanntDieFreieBreite(f, frei);
    for (QLineEdit* feld : {f->edEndkapital, f->edZinseG})
      if (!ZeigtAnfang(feld) || !(breit || (ganzGenuegt && GanzSichtbar(feld)))) return false;
    return f->width() > eigene && frei.contains(f->frameGeometry()) &&
           f->frameGeometry().right() >= frei.right() - 4;
  };
  FensterPlatzieren(f, QPoint(frei.right(), frei.top() + 20));
  LageAbwarten(f);
  rechnen(zwoelf, "9999");
  EXPECT_TRUE(QTest::qWaitFor([&] { return gezeigt(true); }, 5000))
      << f->frameGeometry().x() << " + " << f->frameGeometry().width() << ": "
      << SichtbarerText(f->edEndkapital).toStdString();
  EXPECT_TRUE(imBild(f->sbBerechnen) && imBild(f->sbExit));
  const int lang = f->width();

  rechnen(QStringLiteral("10000"), "7");
  EXPECT_EQ(f->width(), eigene);
  rechnen(QString(40, QLatin1Char('9')), "9999");
  EXPECT_TRUE(QTest::qWaitFor([&] { return gezeigt(false); }, 5000))
      << f->frameGeometry().x() << " + " << f->frameGeometry().width();
  rechnen(zwoelf, "9999");
  f->hide();
  Zeigen();
  rechnen(QStringLiteral("10000"), "7");
  EXPECT_EQ(f->width(), eigene);

  const int gezogen = (eigene + lang) / 2;
  ASSERT_TRUE(NutzerZiehtBreite(f, gezogen));
  rechnen(zwoelf, "9999");
  EXPECT_EQ(f->width(), lang);
  rechnen(QStringLiteral("10000"), "7");
  EXPECT_EQ(f->width(), gezogen);
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
