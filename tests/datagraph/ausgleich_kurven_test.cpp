// The fitted curves on the data graph: the fit cache (a redraw fits only what changed), the
// left axis raised to the highest sample, failed fits drawing nothing, typed coefficients,
// the fitting switch with the model list, ESC during a refit, and the pass's one message.
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QDir>
#include <QToolButton>
#include <cmath>
#include <functional>

#include "calculator/einstell.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "core/zahltext.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "platform/radio_group.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "support/fenster_fixture.h"

namespace {

class AusgleichTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    g = frGrafikApprox;
    ASSERT_NE(g, nullptr);
    g->resize(1000, 700);
    ASSERT_TRUE(ZeigenUndAbwarten(g));
  }
  void TearDown() override {
    TfrGrafikApprox::ModellListeTestHook = nullptr;
    FensterTest::TearDown();
  }

  // x = 0..10; column 2: 2x + 1, column 3: x², column 4: 0, 1, 0, 1, ... (x = 0..3 only).
  void TabelleLaden() {
    QStringList zeilen{"X;Gerade;Parabel;Zacken"};
    for (int i = 0; i <= 10; ++i)
      zeilen << QString("%1;%2;%3;%4").arg(i).arg(2 * i + 1).arg(i * i).arg(i <= 3 ? QString::number(i % 2) : QString());
    DateiSchreiben("messung.csv", zeilen);
    g->OpenDialog1.FileName = Pfad("messung.csv");
    g->Aktivieren();
  }
  // As the user adds a curve: back to the table (the colour box moves on), columns, graph.
  void Kurve(int y) {
    g->tbPlusClick();
    g->cbXKanal->setCurrentIndex(1);
    g->cbYKanal->setCurrentIndex(y);
    g->sbGrafikClick();
  }
  void Druecken(Qt::MouseButton knopf) { QTest::mousePress(g->tbInterpolation, knopf); }
  // A user model, chosen in the model list.
  void ModellWaehlen(const QString& modell) {
    frApproxim->RadioGroup1->addItem(modell);
    frApproxim->lbh->addItem(modell);
    frApproxim->AuswahlSetzen(frApproxim->RadioGroup1->count() - 1);
    frApproxim->RadioGroup1Click(frApproxim->RadioGroup1->count() - 1);
  }
  const std::vector<ChartOverlayLine>& Linien() const { return g->Chart1->overlayLines(); }
  QStringList Texte() const {
    QStringList l;
    for (const RecordedMessage& m : meldungen.messages()) l << m.text;
    return l;
  }

  TfrGrafikApprox* g = nullptr;
};

TEST_F(AusgleichTest, RedrawsFitOnlyWhatChanged) {
  TabelleLaden();
  Kurve(2);
  Kurve(3);
  frApproxim->AuswahlSetzen(0);  // y = a1 + a2*x
  const long long vorher = TfrApproxim::FitZaehler;
  Druecken(Qt::LeftButton);
  ASSERT_TRUE(g->tbInterpolation->isChecked());
  EXPECT_EQ(TfrApproxim::FitZaehler, vorher + 2);
  ASSERT_EQ(Linien().size(), 2u);
  const ChartOverlayLine& gerade = Linien()[0];
  ASSERT_EQ(gerade.points.size(), 1000);
  EXPECT_DOUBLE_EQ(gerade.points.front().x(), 0);
  EXPECT_DOUBLE_EQ(gerade.points.back().x(), 10);
  EXPECT_NEAR(gerade.points[500].y(), 2 * gerade.points[500].x() + 1, 1e-9);
  EXPECT_TRUE(gerade.skipOutside);
  EXPECT_EQ(gerade.pen.color(), g->Serien[0]->color());
  EXPECT_EQ(Linien()[1].pen.color(), g->Serien[1]->color());
  // The series' own connecting lines give way to the fitted curves.
  EXPECT_FALSE(g->Serien[0]->lineVisible());

  // Window and chart changes draw from the cache.
  ASSERT_TRUE(GroesseSetzenUndAbwarten(g, QSize(900, 650)));
  g->tbGitter->click();
  g->tbLegende->click();
  g->cbMoment->click();
  g->Chart1->replotNow();
  ASSERT_TRUE(GemaltAbwarten(g->Chart1));
  g->ApproximationZeichnen();
  EXPECT_EQ(TfrApproxim::FitZaehler, vorher + 2);
  EXPECT_EQ(Linien().size(), 2u);

  // Fitting off and on again: nothing to refit.
  Druecken(Qt::LeftButton);
  EXPECT_TRUE(Linien().empty());
  Druecken(Qt::LeftButton);
  EXPECT_EQ(Linien().size(), 2u);
  EXPECT_EQ(TfrApproxim::FitZaehler, vorher + 2);

  // A new curve fits that curve alone; another model refits all.
  Kurve(4);
  EXPECT_EQ(TfrApproxim::FitZaehler, vorher + 3);
  EXPECT_EQ(Linien().size(), 3u);
  frApproxim->AuswahlSetzen(1);
  frApproxim->RadioGroup1Click(1);
  EXPECT_EQ(TfrApproxim::FitZaehler, vorher + 6);
  EXPECT_NEAR(Linien()[1].points[700].y(), std::pow(Linien()[1].points[700].x(), 2), 1e-6);
  // Deleting the last curve fits nothing and drops its line.
  g->tbLoeschenLClick();
  EXPECT_EQ(TfrApproxim::FitZaehler, vorher + 6);
  EXPECT_EQ(Linien().size(), 2u);
  EXPECT_TRUE(Texte().isEmpty());
  // With all curves gone, no fitted curve is left on the chart.
  g->AlleKurvenLoeschen();
  EXPECT_TRUE(Linien().empty());
}

TEST_F(AusgleichTest, LeftAxisGrowsToTheHighestSampleAndNeverShrinks) {
  TabelleLaden();
  Kurve(4);  // 0, 1, 0, 1: the cubic through them overshoots 1 near x = 0,74
  frApproxim->AuswahlSetzen(2);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 1);
  Druecken(Qt::LeftButton);
  double hoechster = -1e9;
  for (const QPointF& p : Linien().at(0).points) hoechster = std::max(hoechster, p.y());
  EXPECT_GT(hoechster, 1.09);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), hoechster);
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Left), 0);

  // A wider range stays as it is.
  g->Chart1->setMinMax(ChartAxis::Left, -1, 5);
  g->ApproximationZeichnen();
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 5);
  EXPECT_DOUBLE_EQ(g->Chart1->minimum(ChartAxis::Left), -1);
}

TEST_F(AusgleichTest, CurveIsDrawnShiftedByHalfThePointSizeAndOnlyInsideThePlot) {
  TabelleLaden();
  Kurve(2);
  frEinstellung_Grafik->UpD_PktG->setValue(3);
  frEinstellung_Grafik->cbStaerke(1)->setText("3");
  frApproxim->AuswahlSetzen(0);
  Druecken(Qt::LeftButton);
  ASSERT_EQ(Linien().size(), 1u);
  EXPECT_EQ(Linien()[0].shift, QPoint(2, 2));  // 3 / 2 rounds to 2
  EXPECT_EQ(Linien()[0].pen.width(), 3);
  frEinstellung_Grafik->UpD_PktG->setValue(1);
  g->ApproximationZeichnen();
  EXPECT_EQ(Linien()[0].shift, QPoint(0, 0));  // 1 / 2 rounds to 0

  // On the screen: the line through x = 4,5 between two markers, where WertZuPixel puts it.
  frEinstellung_Grafik->UpD_PktG->setValue(4);
  g->ApproximationZeichnen();
  g->Chart1->replotNow();
  const QImage bild = g->Chart1->grab().toImage();
  const QPoint p = g->WertZuPixel(4.5, 10) + QPoint(2, 2);
  const QColor farbe = g->Serien[0]->color();
  auto nah = [&](const QPoint& q) {
    const QColor c = bild.pixelColor(q);
    return std::abs(c.red() - farbe.red()) + std::abs(c.green() - farbe.green()) +
               std::abs(c.blue() - farbe.blue()) < 60;
  };
  EXPECT_TRUE(nah(p));
  EXPECT_FALSE(nah(p + QPoint(0, 12)));
}

TEST_F(AusgleichTest, FailedFitIsToldOnceNamingTheCurveAndNotOnRedraws) {
  TabelleLaden();
  Kurve(2);
  Kurve(3);
  // The second curve lies at x = 800: fitted with e^(-x), its coefficient is about e^800,
  // too large for a double.
  g->Serien[1]->setPoints({800, 801}, {1, 1});
  frApproxim->AuswahlSetzen(0);
  Druecken(Qt::LeftButton);
  ASSERT_EQ(Linien().size(), 2u);  // first a fit that works for both
  ASSERT_TRUE(Texte().isEmpty());

  ModellWaehlen("y = a1*e^(-x)");
  // Curve 1 is drawn; curve 2 neither keeps its old line nor gets one in its colour, and
  // the user hears why, once, in German, with the curve's label.
  ASSERT_EQ(Linien().size(), 1u);
  EXPECT_EQ(Linien()[0].pen.color(), g->Serien[0]->color());
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(Texte(), QStringList{"Das Modell konnte für die Kurve „messung   X : Parabel“ nicht "
                                 "berechnet werden.\rDer Koeffizient a1 ist zu groß."});
  EXPECT_EQ(meldungen.messages().front().kind, MessageKind::Warning);
  // Its points are still there to be drawn.
  EXPECT_TRUE(g->Serien[1]->active());
  EXPECT_EQ(g->Serien[1]->count(), 2);

  // The failure is cached: redraws, repaints and display changes neither fit nor tell.
  const QRectF vorher = QPolygonF(Linien()[0].points).boundingRect();
  const long long fits = TfrApproxim::FitZaehler;
  g->ApproximationZeichnen();
  ASSERT_TRUE(GroesseSetzenUndAbwarten(g, QSize(900, 650)));
  g->tbGitter->click();
  g->Chart1->replotNow();
  ASSERT_TRUE(GemaltAbwarten(g->Chart1));
  Druecken(Qt::LeftButton);  // off
  Druecken(Qt::LeftButton);  // on again
  EXPECT_EQ(TfrApproxim::FitZaehler, fits);
  EXPECT_EQ(Texte().size(), 1);

  // Drawn on its own, the failure is told again, and what is drawn stays.
  g->ApproximationZeichnenKurve(2);
  ASSERT_EQ(Texte().size(), 2);
  EXPECT_EQ(Texte()[1], Texte()[0]);
  ASSERT_EQ(Linien().size(), 1u);
  EXPECT_EQ(QPolygonF(Linien()[0].points).boundingRect(), vorher);

  // A model that fits again: both curves drawn, nothing said.
  frApproxim->AuswahlSetzen(0);
  frApproxim->RadioGroup1Click(0);
  EXPECT_EQ(Linien().size(), 2u);
  EXPECT_EQ(Texte().size(), 2);
}

// A model with e^x on X up to 1000: its coefficient, about e^-1000, is too small for a
// double, and the curve would lack the term. The user gets
// one box for the pass, naming every curve that failed with its reason, the term message
// first in the same box; the curves' points stay on the chart.
TEST_F(AusgleichTest, OverflowingFitsAreToldInOneBoxAndThePointsStayDrawn) {
  QStringList zeilen{"X;A;B;C"};
  for (int i = 0; i <= 50; ++i)
    zeilen << QString("%1;%2;%3;%4").arg(i * 20).arg(1 + (i % 3)).arg(2 * i % 7).arg(5 - i % 2);
  DateiSchreiben("ueberlauf.csv", zeilen);
  g->OpenDialog1.FileName = Pfad("ueberlauf.csv");
  g->Aktivieren();
  Kurve(2);
  Kurve(3);
  Kurve(4);
  // The third curve lies where e^x is infinite even in extended precision: the fit leaves
  // every sum out and gives coefficients, but the curve has no finite sample.
  g->Serien[2]->setPoints({12000, 12500, 13000}, {1, 2, 3});
  frApproxim->AuswahlSetzen(0);
  Druecken(Qt::LeftButton);
  ASSERT_EQ(Linien().size(), 3u);
  meldungen.clear();

  ModellWaehlen("y = a1 + a2*e^x + a3*x^11");
  EXPECT_TRUE(Linien().empty());
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(Texte()[0], "x^11 nicht unterstützt\r"
                        "Das Modell konnte für diese Kurven nicht berechnet werden:\r"
                        "„ueberlauf   X : A“: Der Koeffizient a2 ist zu klein.\r"
                        "„ueberlauf   X : B“: Der Koeffizient a2 ist zu klein.\r"
                        "„ueberlauf   X : C“: Die Modellkurve hat an keiner Stelle einen gültigen Wert.");

  // The one-curve drawing says the same for the curve without a finite sample.
  meldungen.clear();
  g->ApproximationZeichnenKurve(3);
  EXPECT_EQ(Texte(), QStringList{"Das Modell konnte für die Kurve „ueberlauf   X : C“ nicht "
                                 "berechnet werden.\rDie Modellkurve hat an keiner Stelle einen "
                                 "gültigen Wert."});

  // On the screen: the markers of the first curve where its points are, no fitted curve
  // for it; the third curve, now where e^x fits, is drawn.
  meldungen.clear();
  g->Serien[2]->setPoints({0, 1, 2}, {1, 2, 5});
  ModellWaehlen("y = a1 + a2*e^x");
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(Texte()[0], "Das Modell konnte für diese Kurven nicht berechnet werden:\r"
                        "„ueberlauf   X : A“: Der Koeffizient a2 ist zu klein.\r"
                        "„ueberlauf   X : B“: Der Koeffizient a2 ist zu klein.");
  ASSERT_EQ(Linien().size(), 1u);
  EXPECT_EQ(Linien()[0].pen.color(), g->Serien[2]->color());
  g->Chart1->replotNow();
  const QImage bild = g->Chart1->grab().toImage();
  if (!qEnvironmentVariableIsEmpty("KOLVEX_GRAB_DIR"))
    bild.save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("datagraph_ueberlauf.png"));
  const QColor farbe = g->Serien[0]->color();
  auto nah = [&](const QPoint& q) {
    for (int dx = -2; dx <= 2; ++dx)
      for (int dy = -2; dy <= 2; ++dy) {
        const QColor c = bild.pixelColor(q + QPoint(dx, dy));
        if (std::abs(c.red() - farbe.red()) + std::abs(c.green() - farbe.green()) +
                std::abs(c.blue() - farbe.blue()) < 60)
          return true;
      }
    return false;
  };
  // Points of A that no marker of B covers.
  int getroffen = 0;
  for (int i : {7, 10, 25, 40, 50}) getroffen += nah(g->WertZuPixel(i * 20, 1 + (i % 3)));
  EXPECT_EQ(getroffen, 5);
  // A repaint says nothing more.
  ASSERT_TRUE(GemaltAbwarten(g->Chart1));
  EXPECT_EQ(meldungen.messages().size(), 1u);
}

TEST_F(AusgleichTest, TypedCoefficientsDrawWithoutAFit) {
  TabelleLaden();
  Kurve(2);
  Kurve(3);
  frApproxim->AuswahlSetzen(0);
  Druecken(Qt::LeftButton);
  TfrApproxim_Auswahl* b = frApproxim_Auswahl;
  b->AnsatzEinlesen();  // ticks "Konstante" and "x": y = a1 + a2*x
  ASSERT_EQ(b->plOben->text(), "y = a1 + a2*x");
  b->KurvenListeFuellen();
  b->cbApp->setCurrentIndex(1);  // the parabola
  b->sg->setRowCount(3);
  b->sg->setCells(1, 1, "1,5");
  b->sg->setCells(1, 2, "-2,5");
  const long long fits = TfrApproxim::FitZaehler;
  const QVector<QPointF> gerade = Linien()[0].points;
  b->sgEnter();
  EXPECT_EQ(TfrApproxim::FitZaehler, fits);
  EXPECT_EQ(b->Tag, 0);
  ASSERT_EQ(Linien().size(), 2u);
  EXPECT_EQ(Linien()[0].points, gerade);  // the other curve as it was
  for (int i : {0, 333, 999}) {
    const QPointF p = Linien()[1].points[i];
    EXPECT_NEAR(p.y(), 1.5 - 2.5 * p.x(), 1e-12);
  }
  EXPECT_EQ(b->edFormel->text(), "y = 1,5 - 2,5*x");
  // The same coefficients again: nothing new to compute, nothing counted.
  b->sgEnter();
  EXPECT_EQ(TfrApproxim::FitZaehler, fits);

  // A coefficient that is no number: one warning naming it, the curves unchanged.
  b->sg->setCells(1, 2, "zwei");
  const QVector<QPointF> getippt = Linien()[1].points;
  b->sgEnter();
  ASSERT_EQ(Texte().size(), 1);
  EXPECT_EQ(Texte()[0], "Der Koeffizient a2 ist keine Zahl: \"zwei\"");
  EXPECT_EQ(Linien()[1].points, getippt);
  b->Tag = 1;  // the same reaches the data graph's own drawing
  g->ApproximationZeichnenKurve(2);
  b->Tag = 0;
  ASSERT_EQ(Texte().size(), 2);
  EXPECT_EQ(Texte()[1], Texte()[0]);
  EXPECT_EQ(Linien()[1].points, getippt);

  // The next redraw fits the model in force again for that curve only.
  g->ApproximationZeichnen();
  EXPECT_EQ(TfrApproxim::FitZaehler, fits + 1);
  EXPECT_NEAR(Linien()[1].points[999].y(), Linien()[1].points[999].x() * 10 - 15, 1e-6);
}

TEST_F(AusgleichTest, RightPressShowsTheModelListWithFittingOn) {
  TabelleLaden();
  Kurve(3);
  frApproxim->AuswahlSetzen(0);
  int tagBeimZeigen = -1;
  int linienBeimZeigen = -1;
  // Once the list runs modally (a fit may pump events before that).
  QTimer warten;
  warten.setInterval(10);
  QObject::connect(&warten, &QTimer::timeout, [&] {
    if (!frApproxim->isModalRunning() || !frApproxim->isVisible()) return;
    warten.stop();
    tagBeimZeigen = frApproxim->Tag;
    linienBeimZeigen = static_cast<int>(Linien().size());
    // Another model chosen in the list redraws at once.
    frApproxim->RadioGroup1->button(1)->click();
    frApproxim->OKButton->click();
  });
  warten.start();
  QTimer notbremse;
  notbremse.setSingleShot(true);
  QObject::connect(&notbremse, &QTimer::timeout, [] { frApproxim->close(); });
  notbremse.start(10000);
  const long long fits = TfrApproxim::FitZaehler;
  Druecken(Qt::RightButton);
  EXPECT_TRUE(g->tbInterpolation->isChecked());
  EXPECT_EQ(tagBeimZeigen, 1);
  EXPECT_EQ(linienBeimZeigen, 1);  // drawn before the list shows
  EXPECT_EQ(kolvex::AnsatzIndex, 1);
  EXPECT_EQ(TfrApproxim::FitZaehler, fits + 2);
  EXPECT_NEAR(Linien()[0].points[400].y(), std::pow(Linien()[0].points[400].x(), 2), 1e-6);
  // The middle button does the same; a right press never switches fitting off.
  TfrGrafikApprox::ModellListeTestHook = [] {};
  Druecken(Qt::MiddleButton);
  Druecken(Qt::RightButton);
  EXPECT_TRUE(g->tbInterpolation->isChecked());

  // The hint names the right button once the mouse is over the button.
  QEvent bewegt(QEvent::Enter);
  QApplication::sendEvent(g->tbInterpolation, &bewegt);
  EXPECT_EQ(g->tbInterpolation->toolTip(), "Appromaximation\nRechtemaus: Auswahl");
}

TEST_F(AusgleichTest, NothingIsDrawnWithoutADataFile) {
  TabelleLaden();
  Kurve(2);
  g->OpenDialog1.FileName.clear();
  const long long fits = TfrApproxim::FitZaehler;
  Druecken(Qt::LeftButton);
  EXPECT_TRUE(Linien().empty());
  EXPECT_EQ(TfrApproxim::FitZaehler, fits);
}

TEST_F(AusgleichTest, EscEndsTheRefitAndTheNextRedrawFinishesIt) {
  TabelleLaden();
  Kurve(2);
  Kurve(3);
  Kurve(4);
  const long long fits = TfrApproxim::FitZaehler;
  EscWatcher::pressAfterPolls(0);
  Druecken(Qt::LeftButton);
  EXPECT_EQ(TfrApproxim::FitZaehler, fits + 1);
  EXPECT_EQ(Linien().size(), 1u);
  EscWatcher::pressAfterPolls(-1);
  g->ApproximationZeichnen();
  EXPECT_EQ(TfrApproxim::FitZaehler, fits + 3);
  EXPECT_EQ(Linien().size(), 3u);
}

TEST_F(AusgleichTest, OneMessagePerRefitAndNoneFromTheCache) {
  TabelleLaden();
  Kurve(2);
  Kurve(3);
  Druecken(Qt::LeftButton);
  ModellWaehlen("y = a1 + a2*x^11");
  EXPECT_EQ(Texte(), QStringList{"x^11 nicht unterstützt"});
  EXPECT_EQ(Linien().size(), 2u);  // the constant term still fits
  g->ApproximationZeichnen();
  g->resize(800, 600);
  EXPECT_EQ(Texte().size(), 1);
  // Negative X under a square root: "Fehler" once for both curves.
  meldungen.clear();
  g->Serien[0]->setPoints({-2, -1, 1, 2}, {1, 2, 3, 4});
  g->Serien[1]->setPoints({-2, -1, 1, 2}, {4, 1, 1, 4});
  ModellWaehlen("y = a1 + a2*Sqrt(x)");
  EXPECT_EQ(Texte(), QStringList{"Fehler"});
}

// Every button of the graph's tool bar shows a picture of its own, none a makeshift text.
TEST_F(AusgleichTest, ToolBarButtonsShowTheirOwnPictures) {
  std::vector<QImage> bilder;
  int geprueft = 0;
  for (QToolButton* tb : g->plChart->findChildren<QToolButton*>()) {
    if (!tb->objectName().startsWith("tb") && tb->objectName() != "btExit") continue;
    ++geprueft;
    EXPECT_FALSE(tb->icon().isNull()) << tb->objectName().toStdString();
    EXPECT_NE(tb->toolButtonStyle(), Qt::ToolButtonTextOnly) << tb->objectName().toStdString();
    const QImage bild = tb->icon().pixmap(20, 20).toImage();
    for (const QImage& anderes : bilder) EXPECT_NE(bild, anderes) << tb->objectName().toStdString();
    bilder.push_back(bild);
  }
  EXPECT_EQ(geprueft, 16);
}

// The graph as a user sees it with fitting on: three curves with their fitted curves,
// legend, title block. The picture goes to $KOLVEX_GRAB_DIR when set.
TEST_F(AusgleichTest, ThreeFittedCurvesWithLegendAndTitleBlock) {
  QStringList zeilen{"Zeit [s];Weg [mm];Kraft [N];Temperatur [°C]"};
  for (int i = 0; i <= 40; ++i) {
    const double t = i * 0.25;
    const double wackeln = 0.6 * std::sin(7.3 * i);
    zeilen << QString("%1;%2;%3;%4")
                  .arg(QString::fromStdString(kolvex::FloatText(t)))
                  .arg(QString::fromStdString(kolvex::FloatText(std::round((0.3 * t * t - 1.2 * t + 4 + wackeln) * 100) / 100)))
                  .arg(QString::fromStdString(kolvex::FloatText(std::round((3 * t + 2 + 2 * wackeln) * 100) / 100)))
                  .arg(QString::fromStdString(kolvex::FloatText(std::round((25 - 1.5 * t + wackeln) * 100) / 100)));
  }
  DateiSchreiben("zugversuch.csv", zeilen);
  g->OpenDialog1.FileName = Pfad("zugversuch.csv");
  g->Aktivieren();
  ASSERT_TRUE(GroesseSetzenUndAbwarten(g, QSize(1100, 750)));
  Kurve(2);
  Kurve(3);
  Kurve(4);
  g->tbLegende->click();
  g->edText1->setText("Zugversuch Probe 12");
  g->edText2->setText("Labor 3, Prüfer: M. Keller");
  g->edText3->setText("Werkstoff S235");
  frApproxim->AuswahlSetzen(1);
  Druecken(Qt::LeftButton);
  g->Chart1->replotNow();
  ASSERT_EQ(Linien().size(), 3u);
  EXPECT_TRUE(Texte().isEmpty());
  const QImage bild = g->grab().toImage();
  if (!qEnvironmentVariableIsEmpty("KOLVEX_GRAB_DIR")) {
    bild.save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("datagraph_ausgleich.png"));
    g->tbLegende->click();
    g->Chart1->replotNow();
    g->grab().save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("datagraph_ausgleich_beschriftet.png"));
  }
  // Each fitted curve shows in its colour in the middle of the plot.
  const QImage chart = g->Chart1->grab().toImage();
  for (int s = 1; s <= 3; ++s) {
    const QColor farbe = g->Serien[static_cast<size_t>(s - 1)]->color();
    const QPointF mitte = Linien()[static_cast<size_t>(s - 1)].points[500];
    const QPoint p = g->WertZuPixel(mitte.x(), mitte.y()) + Linien()[static_cast<size_t>(s - 1)].shift;
    bool gefunden = false;
    for (int dy = -1; dy <= 1 && !gefunden; ++dy) {
      const QColor c = chart.pixelColor(p + QPoint(0, dy));
      gefunden = std::abs(c.red() - farbe.red()) + std::abs(c.green() - farbe.green()) +
                     std::abs(c.blue() - farbe.blue()) < 90;
    }
    EXPECT_TRUE(gefunden) << "curve " << s;
  }
}

// The user's way: "XY-Daten in Diagramm", the table chosen in the real file dialog, two
// curves, fitting on, the model list by the right button, "Bearbeiten", a term ticked in
// the model builder, "Kopieren", "Exit", OK, and the window closed.
TEST_F(AusgleichTest, UserFitsCurvesBuildsAModelAndCopiesTheFormula) {
  DateiSchreiben("versuch.csv", {"Zeit;Weg;Kraft", "0;0,1;1", "1;2,4;3", "2;5,2;4,5", "3;7,1;6",
                                 "4;8,8;8"});
  kolvex::DatenPfad = QDir(Pfad("")).absolutePath().toStdString() + "/";
  g->hide();
  HauptfensterZeigen();

  auto modal = [] { return QApplication::activeModalWidget(); };
  QTimer notbremse;
  notbremse.setSingleShot(true);
  bool abgebrochen = false;
  QObject::connect(&notbremse, &QTimer::timeout, [&] {
    abgebrochen = true;
    while (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  notbremse.start(kNotbremseMs);

  QString kopiert, formel, modellImBaukasten;
  size_t linienMitBaukasten = 0, linienAmEnde = 0;
  const long long fitsVorher = TfrApproxim::FitZaehler;
  WennDann([&] { return qobject_cast<QFileDialog*>(modal()) != nullptr; }, [&] {
    auto* d = qobject_cast<QFileDialog*>(modal());
    auto* feld = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(feld, nullptr);
    feld->setText(Pfad("versuch.csv"));
    QTest::keyClick(feld, Qt::Key_Return);
  });
  WennDann([&] { return modal() == g && g->sg1->RowCount() == 6; }, [&] {
    QHeaderView* kopf = g->sg1->horizontalHeader();
    auto spalte = [&](int c) { return QPoint(kopf->sectionViewportPosition(c) + 5, kopf->height() / 2); };
    QTest::mouseClick(kopf->viewport(), Qt::LeftButton, {}, spalte(1));
    QTest::mouseClick(kopf->viewport(), Qt::RightButton, {}, spalte(2));
    QTest::mouseClick(g->sbGrafik, Qt::LeftButton);
    g->tbPlus->click();
    QTest::mouseClick(kopf->viewport(), Qt::RightButton, {}, spalte(3));
    QTest::mouseClick(g->sbGrafik, Qt::LeftButton);
    QTest::mouseClick(g->tbInterpolation, Qt::LeftButton);  // fitting on

    WennDann([&] { return modal() == frApproxim; }, [&] {
      QTest::mouseClick(frApproxim->sbAppromAuswahl, Qt::LeftButton);
    });
    // Once the builder is active: it lists the curves and their coefficients.
    WennDann([&] { return modal() == frApproxim_Auswahl && frApproxim_Auswahl->cbApp->count() == 2; }, [&] {
      TfrApproxim_Auswahl* b = frApproxim_Auswahl;
      QCheckBox* x2 = b->findChild<QCheckBox*>("cbX3");  // "x^2", clicked on its square
      QTest::mouseClick(x2, Qt::LeftButton, {}, QPoint(8, x2->height() / 2));
      modellImBaukasten = b->plOben->text();
      linienMitBaukasten = Linien().size();
      QTest::mouseClick(b->sbKopieren, Qt::LeftButton);
      kopiert = QGuiApplication::clipboard()->text();
      formel = b->edFormel->text();
      if (!qEnvironmentVariableIsEmpty("KOLVEX_GRAB_DIR"))
        b->grab().save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("baukasten.png"));
      QTest::mouseClick(b->sbExit, Qt::LeftButton);
    });
    WennDann([&] { return modal() == frApproxim && frApproxim->isVisible() && !frApproxim_Auswahl->isVisible(); },
           [&] { QTest::mouseClick(frApproxim->OKButton, Qt::LeftButton); });
    QTest::mouseClick(g->tbInterpolation, Qt::RightButton);  // the model list, modally
    linienAmEnde = Linien().size();
    g->btExit->click();
  });
  QTest::mouseClick(frRechn->tbDiagramm, Qt::LeftButton);
  notbremse.stop();

  ASSERT_FALSE(abgebrochen);
  EXPECT_TRUE(Texte().isEmpty()) << Texte().join(" | ").toStdString();
  EXPECT_EQ(modellImBaukasten, "y = a1 + a2*x + a3*x^2");
  EXPECT_EQ(linienMitBaukasten, 2u);
  EXPECT_EQ(linienAmEnde, 2u);
  EXPECT_EQ(kopiert, formel);
  EXPECT_TRUE(kopiert.startsWith("y = ")) << kopiert.toStdString();
  EXPECT_TRUE(kopiert.endsWith("*x^2")) << kopiert.toStdString();
  EXPECT_GE(TfrApproxim::FitZaehler - fitsVorher, 4);
  EXPECT_FALSE(g->isVisible());
}

}  // namespace
