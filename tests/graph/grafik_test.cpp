// The function graph window: sampling, curve list, styles, export, log axis, scaling,
// printing and the range edits.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "calculator/einstell.h"
#include "calculator/konstante.h"
#include "core/globals.h"
#include "graph/grafik.h"
#include "graph/skal.h"
#include "platform/chart_view.h"
#include "platform/message_dialog.h"
#include "platform/print_service.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "support/fenster_fixture.h"

namespace {

class GrafikTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    for (int i = 1; i <= 20; ++i) kolvex::GrafikFarben[static_cast<size_t>(i)] = 255 * i;
    kolvex::GrafikVariable = 'x';
    g = frGrafik;
    ASSERT_NE(g, nullptr);
  }

  void TearDown() override {
    TfrGrafik::SpeichernDialogTestHook = nullptr;
    PrintService::setTestOutputFile(QString());
    FensterTest::TearDown();
  }

  void Wert(char buchstabe, const QString& wert) {
    StringGrid* sg = frKonstante->sgK;
    for (int row = 1; row < sg->RowCount(); ++row) {
      if (sg->Cells(0, row).trimmed() == QString(QChar::fromLatin1(buchstabe))) {
        sg->setCells(1, row, wert);
        return;
      }
    }
    FAIL() << "no row for " << buchstabe;
  }

  void Bereich(const QString& ab, const QString& bis, const QString& anzahl) {
    g->edAb->setText(ab);
    g->edBis->setText(bis);
    g->edAnzahl->setText(anzahl);
  }

  // Draws one formula directly (the main window's syntax check runs in FormelZeichnen).
  ChartSeries* Zeichnen(const QString& formel) {
    g->FormelZeichnen(formel);
    return g->Serien[static_cast<size_t>(std::max(0, g->lbh->count() - 1))];
  }

  TfrGrafik* g = nullptr;
};

TEST_F(GrafikTest, SamplesFromStartInEqualStepsUpToTheEnd) {
  Bereich("-10", "10", "100");
  ChartSeries* s = Zeichnen("x");
  ASSERT_EQ(s->count(), 100);
  EXPECT_DOUBLE_EQ(s->xValue(0), -10.0);
  EXPECT_NEAR(s->xValue(1), -10.0 + 20.0 / 99.0, 1e-12);
  EXPECT_NEAR(s->xValue(99), 10.0, 1e-9);
  // y is computed from x's 15-digit text, so it equals x to 15 digits.
  for (int i = 0; i < s->count(); ++i) EXPECT_NEAR(s->yValue(i), s->xValue(i), 1e-12);
  EXPECT_TRUE(s->active());
  EXPECT_EQ(s->title(), QStringLiteral("x"));
  EXPECT_TRUE(g->tbLoeschen_1->isEnabled());
  EXPECT_TRUE(g->tbLegende->isChecked());
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(GrafikTest, RangeEdgeCases) {
  Bereich("5", "1", "100");  // end below start: only the start point
  ChartSeries* s = Zeichnen("x*2");
  ASSERT_EQ(s->count(), 1);
  EXPECT_DOUBLE_EQ(s->xValue(0), 5.0);
  EXPECT_DOUBLE_EQ(s->yValue(0), 10.0);

  Bereich("0", "1", "");  // an empty point count becomes 100
  s = Zeichnen("x+1");
  EXPECT_EQ(g->edAnzahl->text(), QStringLiteral("100"));
  EXPECT_EQ(s->count(), 100);

  // One point (or none) would divide by zero: two are taken and shown.
  for (const char* n : {"1", "0"}) {
    Bereich("0", "4", QString::fromLatin1(n));
    s = Zeichnen(QStringLiteral("x+%1").arg(n));
    EXPECT_EQ(g->edAnzahl->text(), QStringLiteral("2"));
    ASSERT_EQ(s->count(), 2);
    EXPECT_DOUBLE_EQ(s->xValue(1), 4.0);
  }
}

TEST_F(GrafikTest, FailedPointsAreSkipped) {
  Bereich("-1", "1", "3");
  ChartSeries* s = Zeichnen("1/x");
  ASSERT_EQ(s->count(), 2);
  EXPECT_DOUBLE_EQ(s->xValue(0), -1.0);
  EXPECT_DOUBLE_EQ(s->xValue(1), 1.0);
  EXPECT_DOUBLE_EQ(s->yValue(1), 1.0);
  EXPECT_TRUE(meldungen.messages().empty());  // silent while plotting

  Bereich("-2", "2", "5");
  s = Zeichnen("LN(x)");
  EXPECT_EQ(s->count(), 2);  // 1 and 2
}

TEST_F(GrafikTest, MissingValueStopsTheCurveWithOneMessage) {
  Bereich("-1", "1", "50");
  ChartSeries* s = Zeichnen("x^2+a");
  EXPECT_EQ(s->count(), 0);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Kein Wert für a"));

  meldungen.clear();
  Wert('a', "3");
  s = Zeichnen("x^2+a");
  ASSERT_EQ(s->count(), 50);
  EXPECT_NEAR(s->yValue(0), 4.0, 1e-12);
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(GrafikTest, GraphVariableStandsAloneOrBeforePower) {
  EXPECT_TRUE(TfrGrafik::IstVariable("2*x", 3, 'x'));
  EXPECT_TRUE(TfrGrafik::IstVariable("x^2", 1, 'x'));
  EXPECT_TRUE(TfrGrafik::IstVariable("(x)", 2, 'x'));
  EXPECT_TRUE(TfrGrafik::IstVariable("x", 1, 'x'));
  EXPECT_FALSE(TfrGrafik::IstVariable("ax", 2, 'x'));
  EXPECT_TRUE(TfrGrafik::IstVariable("ax^2", 2, 'x'));
  EXPECT_FALSE(TfrGrafik::IstVariable("x", 2, 'x'));
  EXPECT_FALSE(TfrGrafik::IstVariable("EXP(x)", 2, 'x'));

  EXPECT_EQ(g->VariableErsetzen("2*x+x^2-ax+(x)", 'x', -1.5L), "2*-1,5+-1,5^2-ax+(-1,5)");
  EXPECT_EQ(g->VariableErsetzen("x", 'x', 0.1L), "0,1");
  // The per-curve preparation gives the same numbers as substituting at every point.
  Wert('a', "2");
  Bereich("-3", "3", "7");
  ChartSeries* s = Zeichnen("x^2*a+x-(x)/a");
  ASSERT_EQ(s->count(), 7);
  for (int i = 0; i < 7; ++i) {
    const long double x = s->xValue(i);
    EXPECT_DOUBLE_EQ(s->yValue(i), static_cast<double>(2 * x * x + x - x / 2)) << i;
  }
}

TEST_F(GrafikTest, ANumberInFrontOfAFunctionIsAFailedPoint) {
  kolvex::FehlerCode = 0;
  const long double y = g->FormelWert('x', "x^2SIN()", 2);
  EXPECT_EQ(kolvex::FehlerCode, -1);
  EXPECT_EQ(y, 0);
}

TEST_F(GrafikTest, AddModeKeepsCurvesUpToTwenty) {
  Bereich("0", "1", "3");
  Zeichnen("x");
  Zeichnen("x+1");  // add mode off: replaces
  EXPECT_EQ(g->lbh->count(), 1);
  EXPECT_FALSE(g->Series2->active());

  g->tbPlus->setChecked(true);
  for (int i = 2; i <= 20; ++i) Zeichnen(QStringLiteral("x+%1").arg(i));
  ASSERT_EQ(g->lbh->count(), 20);
  for (ChartSeries* s : g->Serien) EXPECT_TRUE(s->active());

  const std::vector<double> vorher = g->Series3->yValues();
  Zeichnen("x+3");  // already there: nothing changes
  EXPECT_EQ(g->lbh->count(), 20);
  EXPECT_EQ(g->Series3->yValues(), vorher);
  EXPECT_TRUE(meldungen.messages().empty());

  Zeichnen("x+21");
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Maximium 20 Formeln"));
  EXPECT_EQ(g->lbh->count(), 20);
  EXPECT_EQ(g->Series20->title(), QStringLiteral("x+20"));

  g->tbLoeschen_1Click();
  EXPECT_EQ(g->lbh->count(), 19);
  EXPECT_FALSE(g->Series20->active());
  EXPECT_EQ(g->Series20->count(), 0);

  meldungen.answerWith({MessageAnswer::No});
  g->tbLoeschenClick();
  EXPECT_EQ(g->lbh->count(), 19);
  g->tbLoeschenClick();  // Yes
  EXPECT_EQ(g->lbh->count(), 0);
  EXPECT_FALSE(g->tbLoeschen_1->isEnabled());
  EXPECT_FALSE(g->Series1->active());
}

TEST_F(GrafikTest, RedrawKeepsTheListInAddModeAndTheLastOneOtherwise) {
  Bereich("0", "1", "3");
  g->tbPlus->setChecked(true);
  Zeichnen("x");
  Zeichnen("x*3");
  g->tbRefreshClick();
  EXPECT_EQ(g->lbh->count(), 2);
  g->tbPlus->setChecked(false);
  g->tbRefreshClick();
  ASSERT_EQ(g->lbh->count(), 1);
  EXPECT_EQ(g->lbh->item(0)->text(), QStringLiteral("x*3"));
  EXPECT_DOUBLE_EQ(g->Series1->yValue(2), 3.0);
}

TEST_F(GrafikTest, BlankGraphVariableDrawsNothing) {
  kolvex::GrafikVariable = ' ';
  ChartSeries* s = Zeichnen("2+3");
  EXPECT_EQ(g->lbh->count(), 1);
  EXPECT_EQ(s->count(), 0);
  EXPECT_FALSE(s->active());
}

TEST_F(GrafikTest, StylesComeFromTheSettingsDialog) {
  TfrEinstell* d = frEinstell;
  ASSERT_NE(d, nullptr);
  ComboTextSetzen(d->cbPunkt(1), QStringLiteral("Cross"));
  ComboTextSetzen(d->cbPunkt(2), QStringLiteral("DiagCross"));
  ComboTextSetzen(d->cbLinie(2), QStringLiteral("DashDot"));
  ComboTextSetzen(d->cbStaerke(1), QStringLiteral("4"));
  d->cbPkt_Farbe->setChecked(false);
  d->cbPkt_Linie->setChecked(true);
  d->cbPkt_Verbinden->setChecked(false);
  d->UpD_PktG->setValue(5);
  g->StilUebernehmen();
  const QColor farbe1 = ChartView::colorFromValue(kolvex::GrafikFarben[1]);
  EXPECT_EQ(g->Series1->pointerStyle(), PointerStyle::Cross);
  EXPECT_EQ(g->Series2->pointerStyle(), PointerStyle::DiagCross);
  EXPECT_EQ(g->Series2->lineStyle(), Qt::DashDotLine);
  EXPECT_EQ(g->Series1->lineWidth(), 4);
  EXPECT_EQ(g->Series1->pointerBrush(), QColor(Qt::white));
  EXPECT_EQ(g->Series1->pointerPen(), farbe1);
  EXPECT_FALSE(g->Series10->lineVisible());
  EXPECT_TRUE(g->Series11->lineVisible());  // 11..20 keep the layout's style
  EXPECT_EQ(g->Series3->pointerSize(), 5);
  EXPECT_TRUE(g->Series3->pointerVisible());

  d->UpD_PktG->setValue(0);
  d->cbPkt_Farbe->setChecked(true);
  g->StilUebernehmen();
  EXPECT_FALSE(g->Series4->pointerVisible());
  EXPECT_EQ(g->Series1->pointerBrush(), farbe1);
}

TEST_F(GrafikTest, StyleNamesMapExactly) {
  EXPECT_EQ(ChartSeries::pointerStyleFromName("Rectangle"), PointerStyle::Rectangle);
  EXPECT_EQ(ChartSeries::pointerStyleFromName("DownTriangle"), PointerStyle::DownTriangle);
  EXPECT_EQ(ChartSeries::pointerStyleFromName("SmallDot"), PointerStyle::SmallDot);
  EXPECT_EQ(ChartSeries::pointerStyleFromName("circle"), PointerStyle::Circle);  // case matters
  EXPECT_EQ(ChartSeries::pointerStyleFromName("1"), PointerStyle::Circle);
  EXPECT_EQ(ChartSeries::penStyleFromName("Dot"), Qt::DotLine);
  EXPECT_EQ(ChartSeries::penStyleFromName("DashDotDot"), Qt::DashDotDotLine);
  EXPECT_EQ(ChartSeries::penStyleFromName("dash"), Qt::SolidLine);
}

TEST_F(GrafikTest, ExportAlignsCurvesByX) {
  meldungen.clear();
  g->tbSpeichernClick();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Keine Werte"));

  Bereich("-1", "1", "3");
  g->tbPlus->setChecked(true);
  Zeichnen("x*2");
  Zeichnen("1/x");  // no point at 0
  Zeichnen("x+0,5");
  ASSERT_TRUE(g->WerteSpeichern(Pfad("werte.csv")));
  EXPECT_EQ(DateiLesen("werte.csv"),
            (QStringList{"X;x*2;1/x;x+0,5", "-1;-2;-1;-0,5", "0;0;;0,5", "1;2;1;1,5"}));

  TfrGrafik::SpeichernDialogTestHook = [this] { return Pfad("werte.TxT"); };
  g->tbSpeichernClick();
  const QStringList zeilen = DateiLesen("werte.TxT");
  ASSERT_EQ(zeilen.size(), 4);
  EXPECT_EQ(zeilen[0], QStringLiteral("X\tx*2\t1/x\tx+0,5"));
  EXPECT_EQ(zeilen[2], QStringLiteral("0\t0\t\t0,5"));

  TfrGrafik::SpeichernDialogTestHook = [] { return QString(); };  // cancelled
  g->tbSpeichernClick();
  EXPECT_FALSE(DateiDa("werte.txt"));
}

TEST_F(GrafikTest, FailedExportNamesTheFile) {
  Bereich("0", "1", "3");
  Zeichnen("x");
  ASSERT_TRUE(QDir().mkdir(Pfad("ordner.csv")));  // a folder cannot be written as a file
  EXPECT_FALSE(g->WerteSpeichern(Pfad("ordner.csv")));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_TRUE(meldungen.messages()[0].text.startsWith(
      QStringLiteral("Datei ") + Pfad("ordner.csv") + QStringLiteral(" konnte nicht gespeichert werden.\r")))
      << meldungen.messages()[0].text.toStdString();
  EXPECT_GT(meldungen.messages()[0].text.size(),
            (QStringLiteral("Datei ") + Pfad("ordner.csv") + QStringLiteral(" konnte nicht gespeichert werden.\r")).size());
}

TEST_F(GrafikTest, LogAxisNeedsNonNegativeLimits) {
  Bereich("-2", "5", "8");
  Zeichnen("x");
  g->tbLog_Lin->setChecked(true);
  g->tbLog_LinClick();
  EXPECT_FALSE(g->tbLog_Lin->isChecked());
  EXPECT_FALSE(g->Chart1->logarithmic(ChartAxis::Left));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text,
            QStringLiteral("Minimum- und Maximumwerte der logarithmischen Achse müssen >= 0 sein"));

  meldungen.clear();
  Bereich("0", "5", "6");
  Zeichnen("x^2");
  g->tbLog_Lin->setChecked(true);
  g->tbLog_LinClick();
  EXPECT_TRUE(g->Chart1->logarithmic(ChartAxis::Left));
  EXPECT_GT(g->Chart1->minimum(ChartAxis::Left), 0.0);  // a positive lower end for 0
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 25.0);
  g->tbLog_Lin->setChecked(false);
  g->tbLog_LinClick();
  EXPECT_FALSE(g->Chart1->logarithmic(ChartAxis::Left));
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Left), 0.0);

  g->tbLog_Lin->setChecked(true);
  g->tbLog_LinClick();
  Zeichnen("x+1");  // a new curve puts the axis back to linear
  EXPECT_FALSE(g->Chart1->logarithmic(ChartAxis::Left));
  EXPECT_FALSE(g->tbLog_Lin->isChecked());
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(GrafikTest, RoundingLimitsTakesHalvesToEven) {
  EXPECT_EQ(TfrGrafik::GrenzeRunden('-', -4.6L), -5);
  EXPECT_EQ(TfrGrafik::GrenzeRunden('+', 9.5L), 10);
  EXPECT_EQ(TfrGrafik::GrenzeRunden('+', 8.5L), 8);
  EXPECT_EQ(TfrGrafik::GrenzeRunden('-', -2.5L), -2);

  Bereich("-4,6", "9,5", "2");
  Zeichnen("x");
  g->tbSkal_RundClick();
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Bottom), -5.0);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Bottom), 10.0);
  EXPECT_FALSE(g->Chart1->automatic(ChartAxis::Bottom));
  g->tbAutom_SkalClick();
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Left), -4.6);
}

TEST_F(GrafikTest, ScalingDialogLimitsAreTakenWhicheverWayItCloses) {
  Bereich("0", "4", "5");
  Zeichnen("x*2");
  // Exit right away: the axes stay where they were, but fixed.
  QTimer::singleShot(0, frSkal, [] { frSkal->sbExitClick(); });
  g->tbSkalierungClick();
  EXPECT_EQ(frSkal->Tag, 0);
  EXPECT_FALSE(g->Chart1->automatic(ChartAxis::Left));
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 8.0);
  EXPECT_EQ(frSkal->sgSkal->Cells(2, 2), QStringLiteral("4"));

  // New limits; an inverted pair is refused, the other axis is still taken.
  QTimer::singleShot(0, frSkal, [] {
    frSkal->sgSkal->setCells(1, 1, QStringLiteral("-1"));
    frSkal->sgSkal->setCells(1, 2, QStringLiteral("12,5"));
    frSkal->sgSkal->setCells(2, 1, QStringLiteral("3"));
    frSkal->sgSkal->setCells(2, 2, QStringLiteral("2"));
    frSkal->sbSpeichernClick();
  });
  g->tbSkalierungClick();
  EXPECT_EQ(frSkal->Tag, 1);
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Left), -1.0);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 12.5);
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Bottom), 0.0);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Bottom), 4.0);

  // A cell that is no number ends the routine; the axis set before it stays.
  QTimer::singleShot(0, frSkal, [] {
    frSkal->sgSkal->setCells(1, 1, QStringLiteral("1"));
    frSkal->sgSkal->setCells(1, 2, QStringLiteral("2"));
    frSkal->sgSkal->setCells(2, 1, QStringLiteral("-"));
    frSkal->sbSpeichernClick();
  });
  g->tbSkalierungClick();
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 2.0);
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Bottom), 0.0);
}

TEST_F(GrafikTest, PrintsToPdfInBothOrientations) {
  // The print button is clicked on a shown window, whose chart has been laid out.
  g->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(g));
  Bereich("-5", "5", "50");
  Zeichnen("x^2");
  ASSERT_GT(g->Chart1->width(), 300);
  const QString quer = Pfad("quer.pdf");
  PrintService::setTestOutputFile(quer);
  g->tbPrintClick();
  EXPECT_EQ(PrintService::lastOrientation(), QPageLayout::Landscape);
  ASSERT_TRUE(QFile::exists(quer));
  EXPECT_GT(QFile(quer).size(), 1000);
  // The chart is a vector drawing: no picture in the file, its text as text, and small
  // (a picture of the chart at the printer's resolution was megabytes).
  {
    QFile pdf(quer);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray inhalt = pdf.readAll();
    EXPECT_FALSE(inhalt.contains("/Subtype /Image"));
    EXPECT_TRUE(inhalt.contains("/Font"));
    EXPECT_LT(inhalt.size(), 200 * 1024);
  }

  const QString hoch = Pfad("hoch.pdf");
  PrintService::setTestOutputFile(hoch);
  g->tbPrintRechtsDruck();
  EXPECT_EQ(PrintService::lastOrientation(), QPageLayout::Portrait);
  EXPECT_GT(QFile(hoch).size(), 1000);
  // Tool bar and bottom panel come back.
  EXPECT_FALSE(g->ToolBar1->isHidden());
  EXPECT_FALSE(g->plUnten->isHidden());
}

TEST_F(GrafikTest, ClickReadOut) {
  Bereich("0", "10", "11");
  Zeichnen("x");
  g->resize(600, 400);
  g->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(g));
  g->Chart1->refresh();
  const ChartRect r = g->Chart1->plotRect();
  EXPECT_EQ(r.right, r.left + r.width());
  kolvex::Genauigkeit = 2;
  g->Chart1Klick(QPoint(r.left + r.width() / 2, r.top + r.height() / 2));
  EXPECT_NEAR(static_cast<double>(g->KlickX), 5.0, 0.2);
  EXPECT_TRUE(g->lbX->text().startsWith(QStringLiteral("X = ")));

  g->WerteAnzeigen(1234.5L, -2.25L);
  EXPECT_EQ(g->lbY->text(), QStringLiteral("Y = -2,25"));
  kolvex::Genauigkeit = 0;
  g->WerteAnzeigen(2.5L, 3.5L);
  EXPECT_EQ(g->lbX->text(), QStringLiteral("X = 2"));
  EXPECT_EQ(g->lbY->text(), QStringLiteral("Y = 4"));

  // Far beyond any value: empty read-out, clicked point reset.
  ASSERT_TRUE(g->Chart1->setMinMax(ChartAxis::Bottom, 0, 1e249));
  g->Chart1Klick(QPoint(2000000000, r.top + 1));
  EXPECT_EQ(g->lbX->text(), QStringLiteral("X = "));
  EXPECT_EQ(g->lbY->text(), QStringLiteral("Y = "));
  EXPECT_EQ(g->KlickX, 0);
}

TEST_F(GrafikTest, RangeEditsKeepNumbersForTheSettingsFile) {
  g->edAb->setText(QStringLiteral("-3,5"));
  g->edAb->setText(QStringLiteral("-"));
  EXPECT_EQ(g->AbText(), QStringLiteral("-3,5"));
  g->edBis->setText(QString());
  g->edBis->setText(QStringLiteral("7"));
  g->edBis->setText(QString());
  EXPECT_EQ(g->BisText(), QStringLiteral("7"));
  g->edAnzahl->setText(QStringLiteral("250"));
  g->edAnzahl->setText(QString());
  EXPECT_EQ(g->AnzahlText(), QStringLiteral("250"));
  const QStringList zeilen = EinstellungsZeilen();
  ASSERT_GE(zeilen.size(), 54);
  EXPECT_EQ(zeilen[51], QStringLiteral("-3,5"));
  EXPECT_EQ(zeilen[52], QStringLiteral("7"));
  EXPECT_EQ(zeilen[53], QStringLiteral("250"));

  // Typing: letters are refused, a text that stops being a number is put back.
  g->edAb->setText(QStringLiteral("1"));
  g->edAb->setFocus();
  g->edAb->end(false);
  QTest::keyClicks(g->edAb, QStringLiteral("a,5,"));
  EXPECT_EQ(g->edAb->text(), QStringLiteral("1,5"));
  g->edAnzahl->setText(QString());
  QTest::keyClicks(g->edAnzahl, QStringLiteral("1x2-"));
  EXPECT_EQ(g->edAnzahl->text(), QStringLiteral("12"));
}

TEST_F(GrafikTest, EscStopsTheCurveKeepingItsPoints) {
  Bereich("0", "99", "100");
  EscWatcher::pressAfterPolls(4);
  ChartSeries* s = Zeichnen("x");
  EXPECT_GE(s->count(), 1);
  EXPECT_LT(s->count(), 100);
  // The room for the points that were not computed is given back.
  EXPECT_EQ(s->capacity(), static_cast<size_t>(s->count()));
  EscWatcher::pressAfterPolls(-1);
}

TEST_F(GrafikTest, CurvePointsTakeNoMoreRoomThanTheyNeed) {
  // Grown by doubling, 1000 points would hold room for 1024.
  Bereich("-1", "1", "1000");
  ChartSeries* s = Zeichnen("1/x");
  EXPECT_EQ(s->count(), 1000);
  EXPECT_EQ(s->capacity(), 1000u);
  Bereich("0", "2", "3");  // the point at 0 is left out
  s = Zeichnen("1/x");
  EXPECT_EQ(s->count(), 2);
  EXPECT_EQ(s->capacity(), 2u);
  g->AllesLoeschen();
  EXPECT_EQ(s->count(), 0);
  EXPECT_EQ(s->capacity(), 0u);
}

TEST_F(GrafikTest, MoreThanTenMillionPointsPerCurveAreRefused) {
  g->show();
  g->activateWindow();
  ASSERT_TRUE(AktivAbwarten(g));
  g->edAnzahl->setText(QStringLiteral("2000000"));
  g->edAnzahl->setFocus();
  g->edAnzahl->end(false);
  QTest::keyClicks(g->edAnzahl, QStringLiteral("0"));  // 20 000 000
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(meldungen.messages()[0].text,
            QStringLiteral("Zu viele Punkte: eine Kurve kann höchstens 10000000 Punkte haben."));
  EXPECT_EQ(g->edAnzahl->text(), QStringLiteral("2000000"));
  // The limit itself is taken.
  g->edAnzahl->setText(QStringLiteral("1000000"));
  g->edAnzahl->end(false);
  QTest::keyClicks(g->edAnzahl, QStringLiteral("0"));
  EXPECT_EQ(g->edAnzahl->text(), QStringLiteral("10000000"));
  EXPECT_EQ(meldungen.messages().size(), 1u);

  // A count from elsewhere (the settings file) beyond the limit, even beyond the integer
  // range: warned when drawing, the last usable count is drawn and kept.
  meldungen.clear();
  Bereich("0", "1", "50");
  g->edAnzahl->setText(QStringLiteral("2000000000"));
  ChartSeries* s = Zeichnen("x");
  EXPECT_EQ(s->count(), 50);
  EXPECT_EQ(g->edAnzahl->text(), QStringLiteral("50"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  g->edAnzahl->setText(QStringLiteral("99999999999999999999"));
  EXPECT_EQ(g->AnzahlText(), QStringLiteral("50"));
}

}  // namespace
