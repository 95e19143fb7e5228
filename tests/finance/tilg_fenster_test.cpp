// The loan window: schedule into the grid, row colours, sought quantity, marks and messages.
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
#include "finance/tilg_rechner.h"
#include "platform/bgr_color.h"
#include "platform/fenster_lage.h"
#include "platform/string_grid.h"
#include "finance/finanz_fenster_fixture.h"
#include "support/fenster_lage_warten.h"
#include "support/sichtbarer_text.h"

namespace {

class TilgFensterTest : public FinanzFensterTest<TfrTilgRechner, &frTilgRechner> {
 protected:
  void Berechnen() { QTest::mouseClick(f->sbBerechnen, Qt::LeftButton); }
  QColor Zellgrund(int spalte, int zeile) const {
    QColor grund, text;
    f->sg1DrawCell(spalte, zeile, grund, text);
    return grund;
  }
};

TEST_F(TilgFensterTest, ComponentsGridAndDefaults) {
  EXPECT_EQ(f->windowTitle(), QStringLiteral("Tilgungsrechner"));
  for (const char* name :
       {"edDarlehensbetrag", "cbBearbeitungsgebuhr", "edBearbeitungsgebuhr", "lbB", "lbBkeine",
        "cbDisagio", "edDisagio", "lbD", "lbDkeine", "edZinssatz", "cbZinszahlungsintervall",
        "cbZinseZahlen", "edTilgungsrate", "cbTilgungsintervall", "edTilgungsdauer",
        "cbTilgungsdauer", "edRestschuld", "lbZinseG", "lbGesamt", "rg1", "sg1", "pl0", "plESC",
        "sbBerechnen", "sbExit"})
    EXPECT_NE(f->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  Zeigen();
  EXPECT_EQ(f->rg1->itemIndex(), 3);
  EXPECT_EQ(f->cbZinszahlungsintervall->currentText(), QStringLiteral("vierteljährlich"));
  EXPECT_EQ(f->cbTilgungsintervall->currentText(), QStringLiteral("jährlich"));
  ASSERT_EQ(f->sg1->ColCount(), 7);
  EXPECT_EQ(f->sg1->RowCount(), 2);
  const char* koepfe[] = {"Jahr", "Monat", " Darlehen", " Zinsen", " Tilgung", " Gebühren+Disagio",
                          " Schulden"};
  for (int s = 0; s < 7; ++s) EXPECT_EQ(f->sg1->Cells(s, 0), QString::fromUtf8(koepfe[s]));
  EXPECT_EQ(f->sg1->colWidth(0), 30);
  EXPECT_GE(f->sg1->colWidth(1), 40);  // 40, or what its heading "Monat" needs
  EXPECT_EQ(f->sg1->colWidth(6), (f->width() - 30 - 40 - 45) / 5);
  // Without fees "keine" stands where the fields are.
  EXPECT_FALSE(f->edBearbeitungsgebuhr->isVisible());
  EXPECT_TRUE(f->lbBkeine->isVisible());
  f->cbDisagio->setChecked(true);
  EXPECT_TRUE(f->edDisagio->isVisible());
  EXPECT_TRUE(f->lbD->isVisible());
  EXPECT_FALSE(f->lbDkeine->isVisible());
}

TEST_F(TilgFensterTest, DefaultScheduleIntoTheGridColouredByYear) {
  Zeigen();
  Berechnen();
  ASSERT_EQ(f->sg1->RowCount(), 17);
  EXPECT_EQ(f->sg1->Cells(1, 1), QStringLiteral("3"));
  EXPECT_EQ(f->sg1->Cells(6, 16), QStringLiteral("1.690,12"));
  EXPECT_EQ(f->edRestschuld->text(), QStringLiteral("1.690,12"));
  EXPECT_EQ(f->edTilgungsdauer->text(), QStringLiteral("4"));
  EXPECT_EQ(f->lbZinseG->text(), QStringLiteral("1.690,12 €    Kosten: 1.690,12 €  14,08 %"));
  // Rows 1-4 are year 1, 5-8 year 2: the colour follows the year, not the row.
  const QColor ungerade = colorFromBgr(0xFFEBDF), gerade = colorFromBgr(0xFFFBFF);
  for (int z = 1; z <= 16; ++z) EXPECT_EQ(Zellgrund(3, z), ((z - 1) / 4) % 2 == 0 ? ungerade : gerade) << z;
  EXPECT_EQ(Zellgrund(0, 0), QColor(255, 255, 0));
  // A click marks a row.
  QTest::mouseClick(f->sg1->viewport(), Qt::LeftButton, {},
                    f->sg1->visualRect(f->sg1->indexOf(2, 6)).center());
  EXPECT_EQ(f->TilgMarkierteZeile, 6);
  EXPECT_EQ(Zellgrund(2, 6), colorFromBgr(0xC5FECC));
  EXPECT_EQ(Zellgrund(2, 7), gerade);
  // The next activation leaves one empty row.
  f->FormActivate();
  EXPECT_EQ(f->sg1->RowCount(), 2);
  EXPECT_EQ(f->sg1->Cells(6, 1), QString());
}

TEST_F(TilgFensterTest, ChoosingASoughtQuantityEmptiesAndColoursItsField) {
  Zeigen();
  Berechnen();
  Waehlen(1);
  EXPECT_EQ(f->edTilgungsrate->text(), QString());
  EXPECT_EQ(Grund(f->edTilgungsrate), QColor(255, 255, 0));
  EXPECT_EQ(f->edTilgungsrate->palette().color(QPalette::Text), QColor(0, 128, 0));
  EXPECT_EQ(f->edRestschuld->text(), QString());
  EXPECT_NE(Grund(f->edRestschuld), QColor(255, 255, 0));
  EXPECT_EQ(f->rg1->itemColor(1), QColor(Qt::red));
  EXPECT_EQ(f->rg1->itemColor(3), QColor(Qt::black));
  EXPECT_EQ(f->lbGesamt->text(), QStringLiteral("Gesamt:"));
  // The duration as the working value left it by the last calculation.
  EXPECT_EQ(f->edTilgungsdauer->text(), QStringLiteral("4"));
  f->edTilgungsdauer->setText(QStringLiteral("7"));
  Berechnen();
  EXPECT_EQ(f->edTilgungsrate->text(), QStringLiteral("2.000,00"));
  EXPECT_EQ(Grund(f->edTilgungsrate), QColor(255, 255, 0));  // still the sought field
  Waehlen(0);
  EXPECT_EQ(f->edTilgungsrate->text(), QStringLiteral("2.000,00"));
  EXPECT_EQ(f->edDarlehensbetrag->text(), QString());
  EXPECT_NE(Grund(f->edTilgungsrate), QColor(255, 255, 0));
}

TEST_F(TilgFensterTest, TooSmallInputsAreMarkedWithTheirMessages) {
  Zeigen();
  const QColor mark = colorFromBgr(0xCCCCFF);
  // Restschuld with duration 0: mark, no message.
  f->edTilgungsdauer->setText(QStringLiteral("0"));
  Berechnen();
  EXPECT_EQ(Grund(f->edTilgungsdauer), mark);
  EXPECT_TRUE(meldungen.messages().empty());
  // Typing in the field takes the mark away.
  f->edTilgungsdauer->setFocus();
  QTest::keyClick(f->edTilgungsdauer, Qt::Key_7);
  EXPECT_NE(Grund(f->edTilgungsdauer), mark);
  EXPECT_EQ(f->TilgDauer, 7);
  // Rate search with duration 0.
  Waehlen(1);
  f->edTilgungsdauer->setText(QStringLiteral("0"));
  Berechnen();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Tilgungsdauer ist zu klein"));
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(Grund(f->edTilgungsdauer), mark);
  // A rate below the interest lets the debt grow.
  meldungen.clear();
  Waehlen(3);
  f->edTilgungsdauer->setText(QStringLiteral("7"));
  f->edTilgungsrate->setText(QStringLiteral("500,00"));
  Berechnen();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Tilgungsrate ist zu klein"));
  EXPECT_EQ(Grund(f->edTilgungsrate), mark);
  EXPECT_EQ(f->sg1->RowCount(), 5);
  // The next calculation clears the mark.
  f->edTilgungsrate->setText(QStringLiteral("3.000,00"));
  meldungen.clear();
  Berechnen();
  EXPECT_NE(Grund(f->edTilgungsrate), mark);
  EXPECT_TRUE(meldungen.messages().empty());
}

// A schedule stopped by "Tilgungsrate ist zu klein" computed no remaining debt: the field
// is empty beside the new schedule, not the debt of the calculation before.
TEST_F(TilgFensterTest, StoppedScheduleShowsNoEarlierRemainingDebt) {
  Zeigen();
  Berechnen();
  ASSERT_EQ(f->edRestschuld->text(), QStringLiteral("1.690,12"));
  f->edTilgungsrate->selectAll();
  QTest::keyClicks(f->edTilgungsrate, QStringLiteral("100"));
  Berechnen();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Tilgungsrate ist zu klein"));
  EXPECT_EQ(Grund(f->edTilgungsrate), colorFromBgr(0xCCCCFF));
  const int letzte = f->sg1->RowCount() - 1;
  EXPECT_EQ(f->sg1->Cells(6, letzte), QStringLiteral("12.511,34"));
  EXPECT_EQ(f->edRestschuld->text(), QString());
  // A calculation refused at its start leaves no result of before either.
  meldungen.clear();
  f->edTilgungsrate->setText(QStringLiteral("3.000,00"));
  Berechnen();
  ASSERT_EQ(f->edRestschuld->text(), QStringLiteral("1.690,12"));
  f->edTilgungsdauer->setText(QStringLiteral("0"));
  Berechnen();
  EXPECT_EQ(f->edRestschuld->text(), QString());
  EXPECT_EQ(f->lbZinseG->text(), QString());
  EXPECT_EQ(f->lbGesamt->text(), QStringLiteral("Gesamt:"));
  ASSERT_EQ(f->sg1->RowCount(), 2);
  EXPECT_EQ(f->sg1->Cells(6, 1), QString());
}

// Large amounts: every result field and line shows its whole text, after the user clicked
// into the field and pressed End, at the window's least size; on a screen too small for a
// line the window is as wide as the screen allows and the line shows its start.
TEST_F(TilgFensterTest, LongResultsShowWhole) {
  Zeigen();
  f->edDarlehensbetrag->setText(QStringLiteral("999.999.999.999.999,99"));
  f->edTilgungsrate->setText(QStringLiteral("9.999.999.999.999,99"));
  f->edTilgungsdauer->setText(QStringLiteral("99"));
  f->cbZinseZahlen->setChecked(true);
  QTest::mouseClick(f->edRestschuld, Qt::LeftButton);
  QTest::keyClick(f->edRestschuld, Qt::Key_End);
  Berechnen();
  ASSERT_GT(f->edRestschuld->text().size(), 20) << f->edRestschuld->text().toStdString();
  EXPECT_TRUE(GroesseSetzenUndAbwarten(f, f->minimumSize()));
  for (QLineEdit* feld : {f->edRestschuld, f->edDarlehensbetrag, f->edTilgungsrate})
    EXPECT_TRUE(GanzSichtbar(feld)) << feld->objectName().toStdString() << ": "
                                    << SichtbarerText(feld).toStdString();
  for (QLabel* zeile : {f->lbZinseG, f->lbGesamt})
    EXPECT_TRUE(zeile->width() >= zeile->sizeHint().width() || f->width() == GroessteInnenBreite(f))
        << zeile->text().toStdString();
  // The same result again, after End, shows from its start.
  QTest::mouseClick(f->edRestschuld, Qt::LeftButton);
  QTest::keyClick(f->edRestschuld, Qt::Key_End);
  Berechnen();
  EXPECT_TRUE(GanzSichtbar(f->edRestschuld)) << SichtbarerText(f->edRestschuld).toStdString();
}

// The defaults' lines fit the window at the right edge of the screen; the long lines of large
// amounts widen it, and it moves to stay inside the free area; a debt longer than the screen
// is wide takes all of its width and shows its start; with the defaults again the window
// gives the width back (lines included: a line once long does not keep its width).
TEST_F(TilgFensterTest, AGrownWindowStaysOnTheScreenAndGivesTheWidthBack) {
  Zeigen();
  const int eigene = f->width();
  const QRect frei = f->screen()->availableGeometry();
  FensterPlatzieren(f, QPoint(frei.right(), frei.top() + 20));
  LageAbwarten(f);
  // The defaults' lines fit: the window stays as and where it is.
  const QRect vorher = f->frameGeometry();
  Berechnen();
  EXPECT_EQ(f->frameGeometry(), vorher);
  f->edDarlehensbetrag->setText(QStringLiteral("999.999.999.999.999,99"));
  f->edTilgungsrate->setText(QStringLiteral("9.999.999.999.999,99"));
  f->edTilgungsdauer->setText(QStringLiteral("99"));
  f->cbZinseZahlen->setChecked(true);
  Berechnen();
  // Across: the window is taller than a small screen's free area.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    const QRect rahmen = f->frameGeometry();
    return f->width() > eigene && rahmen.left() >= frei.left() && rahmen.right() <= frei.right();
  }, 5000)) << f->frameGeometry().x() << " + " << f->frameGeometry().width();
  f->edDarlehensbetrag->setText(QStringLiteral("1E200"));  // a short text, a long debt
  Berechnen();
  EXPECT_TRUE(QTest::qWaitFor([&] { return SpanntDieFreieBreite(f, frei) && ZeigtAnfang(f->edRestschuld); }, 5000))
      << f->frameGeometry().x() << " + " << f->frameGeometry().width() << ": "
      << SichtbarerText(f->edRestschuld).toStdString();
  f->Voreinstellungen();
  Berechnen();
  EXPECT_EQ(f->width(), eigene);
}

TEST_F(TilgFensterTest, EscDuringARateSearchKeepsTheLastPassAndComputesItsSchedule) {
  Zeigen();
  Waehlen(1);
  EscWatcher::pressAfterPolls(2);  // the third pass sees ESC
  Berechnen();
  EXPECT_EQ(f->edTilgungsrate->text(), QStringLiteral("200,00"));
  // 200 a year is less than the interest: the schedule of that rate says so.
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Tilgungsrate ist zu klein"));
  EXPECT_EQ(f->sg1->RowCount(), 5);
  EXPECT_DOUBLE_EQ(f->TilgRate, 200.0);
}

TEST_F(TilgFensterTest, ThirtyYearMonthlyScheduleFillsTheGrid) {
  Zeigen();
  f->edDarlehensbetrag->setText(QStringLiteral("200.000,00"));
  f->edZinssatz->setText(QStringLiteral("4,00"));
  f->cbZinseZahlen->setChecked(true);
  f->cbZinszahlungsintervall->setCurrentIndex(0);
  f->cbTilgungsintervall->setCurrentIndex(0);
  f->edTilgungsrate->setText(QStringLiteral("500,00"));
  f->edTilgungsdauer->setText(QStringLiteral("30"));
  Berechnen();
  ASSERT_EQ(f->sg1->RowCount(), 361);
  EXPECT_EQ(f->sg1->Cells(0, 360), QStringLiteral("30"));
  EXPECT_EQ(f->sg1->Cells(1, 360), QStringLiteral("360"));
  EXPECT_EQ(f->sg1->Cells(6, 360), QStringLiteral("20.000,00"));
  EXPECT_EQ(f->edRestschuld->text(), QStringLiteral("20.000,00"));
}

TEST_F(TilgFensterTest, MainWindowStepsAsideWhileTheCalculatorIsOpen) {
  HauptfensterZeigen();
  bool hauptSichtbar = true;
  QTimer::singleShot(0, f, [&] {
    hauptSichtbar = frRechn->isVisible();
    f->close();  // the close box stores nothing
  });
  frRechn->plTilgRClick();
  EXPECT_FALSE(hauptSichtbar);
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_FALSE(DateiDa(QStringLiteral("einstTilgR.frb")));
  frRechn->hide();
}

}  // namespace

