// The model list: built-in and stored models, styling, deleting, OK/ESC, the fits it runs
// for the data graph and the builder, and the way to the builder and back.
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "approxim_fake_datenquelle.h"
#include "core/globals.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "platform/radio_group.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"

namespace {

class ApproximTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    a = frApproxim;
    ASSERT_NE(a, nullptr);
    a->Datenquelle = &quelle;
  }
  void TearDown() override {
    if (frApproxim) frApproxim->Datenquelle = nullptr;
    FensterTest::TearDown();
  }
  void NeuMitDatei(const QStringList& zeilen) {
    DateiSchreiben(QStringLiteral("approx.txx"), zeilen);
    Neustart();
    a = frApproxim;
    a->Datenquelle = &quelle;
  }
  QStringList Eingebaute(const QStringList& danach = {}) {
    return TfrApproxim::EingebauteAnsaetze + danach;
  }
  QString Stil(int i) const { return a->RadioGroup1->button(i)->styleSheet(); }

  TfrApproxim* a = nullptr;
  FakeDatenquelle quelle;
};

TEST_F(ApproximTest, BuiltInModelsAndComponents) {
  EXPECT_EQ(a->windowTitle(), QStringLiteral(" Approximation"));
  EXPECT_EQ(a->RadioGroup1->title(), QStringLiteral(" Approximationsansätze "));
  const QStringList soll = {
      "y = a1 + a2*x",
      "y = a1 + a2*x + a3*x^2",
      "y = a1 + a2*x + a3*x^2 + a4*x^3",
      "y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*x^4",
      "y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*x^4 + a6*x^5",
      "y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*Sqrt(x)",
      "y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*Sqrt(x) + a6*e^(-x)",
  };
  EXPECT_EQ(a->RadioGroup1->items(), soll);
  ASSERT_EQ(a->lbh->count(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(a->lbh->item(i)->text(), soll[i]);
  EXPECT_TRUE(a->lbh->isHidden());
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 1);
  EXPECT_EQ(a->sbAppromAuswahl->text(), QStringLiteral("Bearbeiten"));
  EXPECT_EQ(a->sbLoschen->text(), QStringLiteral("Löschen"));
  EXPECT_EQ(a->OKButton->text(), QStringLiteral("OK"));
  EXPECT_FALSE(DateiDa(QStringLiteral("approx.txx")));  // a missing file stays missing
}

TEST_F(ApproximTest, ModelFileFromLineEightOn) {
  // The first seven lines stand for the built-ins, whatever they say.
  NeuMitDatei({"eins", "zwei", "drei", "vier", "fünf", "sechs", "sieben"});
  EXPECT_EQ(a->RadioGroup1->items(), Eingebaute());

  NeuMitDatei({"1", "2", "3", "4", "5", "6", "7", "y = a1*Ln(x)", "", "   ",
               "y = a1 + a2*e^x", QString(300, QLatin1Char('x'))});
  const QStringList soll = Eingebaute({"y = a1*Ln(x)", "y = a1 + a2*e^x", QString(255, QLatin1Char('x'))});
  EXPECT_EQ(a->RadioGroup1->items(), soll);  // blank lines are no models
  QStringList inLbh;
  for (int i = 0; i < a->lbh->count(); ++i) inLbh << a->lbh->item(i)->text();
  EXPECT_EQ(inLbh, soll);

  // Written back: every item, built-ins first, UTF-8 with LF.
  a->AnsaetzeSpeichern();
  EXPECT_EQ(DateiLesen(QStringLiteral("approx.txx")), soll);
  QFile f(Pfad(QStringLiteral("approx.txx")));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray roh = f.readAll();
  EXPECT_FALSE(roh.contains('\r'));
  EXPECT_TRUE(roh.startsWith("y = a1 + a2*x\n"));
}

TEST_F(ApproximTest, StylesHintAndDeleteButtonFollowTheChoice) {
  NeuMitDatei(Eingebaute({"y = a1*Ln(x)"}));
  a->AuswahlSetzen(5);
  EXPECT_EQ(a->RadioGroup1->toolTip(), QStringLiteral("80°C"));
  EXPECT_TRUE(Stil(5).contains("font-size: 12pt")) << Stil(5).toStdString();
  EXPECT_TRUE(Stil(5).contains("rgb(128, 255, 128)"));
  EXPECT_TRUE(Stil(5).contains("color: red"));
  EXPECT_TRUE(Stil(1).contains("color: blue"));
  EXPECT_TRUE(Stil(1).contains("font-size: 10pt"));
  EXPECT_TRUE(Stil(1).contains("font-weight: bold"));
  EXPECT_TRUE(Stil(6).contains("palette(button)"));
  EXPECT_TRUE(Stil(7).contains("rgb(180, 180, 180)"));  // a user model
  EXPECT_FALSE(a->sbLoschen->isEnabled());

  a->AuswahlSetzen(1);
  EXPECT_EQ(a->RadioGroup1->toolTip(), QStringLiteral("40°C"));
  EXPECT_TRUE(Stil(5).contains("font-size: 10pt"));
  a->AuswahlSetzen(7);
  EXPECT_EQ(a->RadioGroup1->toolTip(), QString());
  EXPECT_TRUE(a->sbLoschen->isEnabled());
  EXPECT_EQ(a->windowTitle(), QStringLiteral(" Approximation y = a1*Ln(x)"));
  EXPECT_EQ(quelle.alleGezeichnet, 0);  // the data graph's activation draws by itself

  // AnsatzIndex from an older settings file may point beyond the list.
  a->AuswahlSetzen(11);
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 7);
  a->AuswahlSetzen(-4);
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 0);
}

TEST_F(ApproximTest, UserChoiceSetsCaptionAndRedraws) {
  a->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(a));
  QRadioButton* knopf = a->RadioGroup1->button(3);
  QTest::mouseClick(knopf, Qt::LeftButton, {}, QPoint(6, knopf->height() / 2));
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 3);
  EXPECT_EQ(a->windowTitle(), QStringLiteral(" Approximation y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*x^4"));
  EXPECT_EQ(quelle.alleGezeichnet, 1);
  EXPECT_TRUE(Stil(3).contains("font-size: 12pt"));
  EXPECT_EQ(a->ModellText(), a->RadioGroup1->item(3));
  a->hide();
}

TEST_F(ApproximTest, DeletingAUserModelAsksAndRewritesTheFile) {
  NeuMitDatei(Eingebaute({"y = a1*Ln(x)", "y = a1*e^x"}));
  a->AuswahlSetzen(7);
  meldungen.answerWith({MessageAnswer::No});
  a->sbLoschen->click();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Funktion \ry = a1*Ln(x)\rlöschen?"));
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(a->RadioGroup1->count(), 9);

  meldungen.clear();
  a->sbLoschen->click();  // Yes
  EXPECT_EQ(a->RadioGroup1->items(), Eingebaute({"y = a1*e^x"}));
  EXPECT_EQ(a->lbh->count(), 8);
  EXPECT_EQ(a->lbh->item(7)->text(), QStringLiteral("y = a1*e^x"));
  EXPECT_EQ(DateiLesen(QStringLiteral("approx.txx")), Eingebaute({"y = a1*e^x"}));
  EXPECT_EQ(quelle.alleGezeichnet, 1);
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 7);  // the next model takes the place

  // Deleting the last user model leaves the last built-in chosen and the button disabled.
  a->sbLoschen->click();
  EXPECT_EQ(a->RadioGroup1->items(), Eingebaute());
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 6);
  EXPECT_FALSE(a->sbLoschen->isEnabled());
  meldungen.clear();
  a->sbLoschenClick();  // a built-in is never deleted
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(a->RadioGroup1->count(), 7);
}

TEST_F(ApproximTest, OkStoresTheChoiceEscOnOkSetsTag99) {
  a->AuswahlSetzen(4);
  a->OKButton->click();
  EXPECT_EQ(kolvex::AnsatzIndex, 4);
  EXPECT_TRUE(DateiDa(QStringLiteral("einstKolvex.frb")));
  EXPECT_FALSE(a->isVisible());

  a->Tag = 1;
  a->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(a));
  a->FormActivate();
  EXPECT_TRUE(a->OKButton->hasFocus() || !a->isActiveWindow());
  QTest::keyClick(a->OKButton, Qt::Key_Escape);
  EXPECT_EQ(a->Tag, 99);
  EXPECT_FALSE(a->isVisible());
  EXPECT_EQ(kolvex::AnsatzIndex, 4);
}

// ---- Fits for the data graph ------------------------------------------------------------

TEST_F(ApproximTest, FitOfACurveFillsTheGlobals) {
  quelle.Kurve("k1", {{0, 1}, {1, 3}, {2, 5}});
  quelle.Kurve("k2", {{4, 0}, {2, 1}, {0, 2}});
  a->AuswahlSetzen(0);
  const long long fits = TfrApproxim::FitZaehler;
  QString fehler = QStringLiteral("alt");
  kolvex::FitErgebnis e = a->ApproximationBerechnen(2, &fehler);
  ASSERT_TRUE(e.ok);
  EXPECT_TRUE(fehler.isEmpty());
  EXPECT_EQ(TfrApproxim::FitZaehler, fits + 1);
  EXPECT_NEAR(kolvex::Koeff[1], 2, 1e-14);
  EXPECT_NEAR(kolvex::Koeff[2], -0.5, 1e-14);
  EXPECT_EQ(kolvex::Koeff.size(), 11u);
  EXPECT_EQ(kolvex::XWerte.size(), 11u);
  EXPECT_EQ(kolvex::XWerte[1], 4);
  EXPECT_EQ(kolvex::YWerte[3], 2);
  EXPECT_EQ(kolvex::KurveX[0], 4);  // first point, not the smallest X
  EXPECT_DOUBLE_EQ(kolvex::KurveX[999], 0);
  EXPECT_NEAR(kolvex::KurveY[999], 2, 1e-13);

  // The builder's model text, while it has one, is the model in force.
  frApproxim_Auswahl->plOben->setText(QStringLiteral("y = a1"));
  EXPECT_EQ(a->ModellText(), QStringLiteral("y = a1"));
  e = a->ApproximationBerechnen(1);
  ASSERT_EQ(e.koeff.size(), 1u);
  EXPECT_NEAR(e.koeff[0], 3, 1e-14);
  frApproxim_Auswahl->plOben->setText(QString());
  EXPECT_EQ(a->ModellText(), QStringLiteral("y = a1 + a2*x"));
}

TEST_F(ApproximTest, TypedCoefficientsAreReadNotFitted) {
  quelle.Kurve("k1", {{0, 1}, {1, 3}});
  a->AuswahlSetzen(0);
  TfrApproxim_Auswahl* b = frApproxim_Auswahl;
  b->sg->setRowCount(3);
  b->sg->setCells(1, 1, QStringLiteral("1.000,0000"));  // as "Abrunden" writes 1000
  b->sg->setCells(1, 2, QStringLiteral("-2,5"));
  b->Tag = 1;
  const long long fits = TfrApproxim::FitZaehler;
  kolvex::FitErgebnis e = a->ApproximationBerechnen(1);
  EXPECT_EQ(TfrApproxim::FitZaehler, fits);
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(e.koeff, (std::vector<double>{1000, -2.5}));
  EXPECT_EQ(kolvex::Koeff[1], 1000);
  EXPECT_DOUBLE_EQ(kolvex::KurveY[999], 1000 - 2.5);

  // A cell that is not a number: no curve, and a sentence that names it.
  b->sg->setCells(1, 2, QStringLiteral("zwei"));
  const double vorher = kolvex::KurveY[500];
  QString fehler;
  e = a->ApproximationBerechnen(1, &fehler);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(fehler, QStringLiteral("Der Koeffizient a2 ist keine Zahl: \"zwei\""));
  EXPECT_EQ(kolvex::KurveY[500], vorher);
  b->Tag = 0;
}

TEST_F(ApproximTest, FailedFitLeavesTheCurveGlobalsAndExplains) {
  quelle.Kurve("gut", {{0, 0}, {1, 1}});
  quelle.Kurve("schlecht", {{800, 1}, {801, 1}});
  a->AuswahlSetzen(0);
  ASSERT_TRUE(a->ApproximationBerechnen(1).ok);
  const auto kurveY = kolvex::KurveY;
  frApproxim_Auswahl->plOben->setText(QStringLiteral("y = a1*e^(-x)"));
  QString fehler;
  const kolvex::FitErgebnis e = a->ApproximationBerechnen(2, &fehler);
  frApproxim_Auswahl->plOben->setText(QString());
  EXPECT_FALSE(e.ok);
  for (bool g : e.gueltig) EXPECT_FALSE(g);
  EXPECT_EQ(kolvex::KurveY, kurveY);
  EXPECT_EQ(fehler, QStringLiteral("Das Modell konnte für die Kurve „schlecht“ nicht berechnet "
                                   "werden.\rDer Koeffizient a1 ist zu groß."));
  EXPECT_TRUE(meldungen.messages().empty());  // nothing is shown by the fit itself
}

TEST_F(ApproximTest, MessagesOnePerPassAndReturnedNotShown) {
  quelle.Kurve("k1", {{-1, 1}, {4, 3}});
  NeuMitDatei(Eingebaute({"y = a1*x^11 + a2*Sqrt(x)"}));
  a->AuswahlSetzen(7);
  kolvex::TermFehlerGemeldet = false;
  kolvex::FitErgebnis e = a->ApproximationBerechnen(1);
  EXPECT_EQ(QString::fromLatin1(e.meldung.c_str()), QStringLiteral("x^11 nicht unterstützt"));
  e = a->ApproximationBerechnen(1);
  EXPECT_TRUE(e.meldung.empty());
  EXPECT_TRUE(meldungen.messages().empty());
  kolvex::TermFehlerGemeldet = false;
}

// ---- To the builder and back ------------------------------------------------------------

TEST_F(ApproximTest, BearbeitenHidesTheListUntilTheBuilderCloses) {
  quelle.Kurve("k1", {{0, 1}, {1, 3}, {2, 5}, {3, 7}});
  a->AuswahlSetzen(5);
  TfrApproxim_Auswahl* b = frApproxim_Auswahl;
  bool imBaukasten = false, danach = false;
  QTimer::singleShot(0, a, [&] {
    QTimer::singleShot(0, b, [&] {
      imBaukasten = true;
      EXPECT_TRUE(b->isVisible());
      EXPECT_FALSE(a->isVisible());
      EXPECT_TRUE(a->isModalRunning());
      EXPECT_FALSE(b->cbApproximZeigen->isChecked());
      EXPECT_EQ(b->plOben->text(), a->RadioGroup1->item(5));
      EXPECT_EQ(a->ModellText(), b->plOben->text());
      // Ticked, the list comes back beside the builder, which stays usable.
      b->cbApproximZeigen->click();
      EXPECT_TRUE(a->isVisible());
      EXPECT_EQ(a->windowModality(), Qt::NonModal);
      b->cbApproximZeigen->click();
      EXPECT_FALSE(a->isVisible());
      b->sbExit->click();
    });
    a->sbAppromAuswahl->click();
    danach = true;
    EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(a->isModalRunning());
    EXPECT_EQ(a->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(b->plOben->text().isEmpty());
    EXPECT_TRUE(b->cbApproximZeigen->isChecked());
    EXPECT_EQ(a->windowTitle(), QStringLiteral(" Approximation ") + a->RadioGroup1->item(5));
    a->OKButton->click();
  });
  EXPECT_EQ(a->ShowModal(), mrOk);
  EXPECT_TRUE(imBaukasten);
  EXPECT_TRUE(danach);
  EXPECT_EQ(kolvex::AnsatzIndex, 5);
  EXPECT_TRUE(DateiDa(QStringLiteral("approx.txx")));  // written when the builder closed
  EXPECT_GE(quelle.alleGezeichnet, 1);
}

}  // namespace
