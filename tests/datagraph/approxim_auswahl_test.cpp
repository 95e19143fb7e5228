// The model builder: term boxes and the texts built from them, the coefficient grid, typed
// coefficients, adding to the model list, copying, deleting and closing.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "approxim_fake_datenquelle.h"
#include "core/globals.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "platform/radio_group.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "support/sichtbarer_text.h"

namespace {

class AuswahlTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    b = frApproxim_Auswahl;
    ASSERT_NE(b, nullptr);
    frApproxim->Datenquelle = &quelle;
    kolvex::TermFehlerGemeldet = false;
  }
  void TearDown() override {
    if (b && b->isVisible()) b->hide();
    if (frApproxim) frApproxim->Datenquelle = nullptr;
    kolvex::TermFehlerGemeldet = false;
    FensterTest::TearDown();
  }
  QCheckBox* Box(const char* name) { return b->findChild<QCheckBox*>(QString::fromLatin1(name)); }
  // Shown as the model list shows it (modeless here), with its activation.
  void Zeigen() {
    b->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(b));
    b->FormActivate();
  }
  void Klick(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }
  double Zahl(const QString& text) {
    double v = 0;
    EXPECT_TRUE(kolvex::KoeffizientLesen(text.toStdString(), v)) << text.toStdString();
    return v;
  }

  TfrApproxim_Auswahl* b = nullptr;
  FakeDatenquelle quelle;
};

TEST_F(AuswahlTest, TheTwentySixBoxesByNameAndCaption) {
  EXPECT_EQ(b->windowTitle(), QStringLiteral(" Approximation Auswahl"));
  const std::vector<std::pair<const char*, const char*>> soll = {
      {"cbX1", "Konstante"}, {"cbX2", "x"},        {"cbX3", "x^2"},         {"cbX4", "x^3"},
      {"cbX5", "x^4"},       {"cbX6", "x^5"},      {"cbX7", "x^6"},         {"cbX8", "x^7"},
      {"cbX9", "x^8"},       {"cbX10", "x^9"},     {"cbX11", "x^10"},       {"cbRF1", "1/x"},
      {"cbRF2", "1/(x^2)"},  {"cbRF3", "1/(x^3)"}, {"cbRF4", "1/(x^4)"},    {"cbRF5", "1/(x^5)"},
      {"cbEF1", "e^x"},      {"cbEF2", "e^(x^2)"}, {"cbEF3", "e^(-x)"},     {"cbEF4", "e^(-x^2)"},
      {"cbEF5", "10^x"},     {"cbEF6", "10^(x^2)"}, {"cbWF1", "Sqrt(x)"},   {"cbWF2", "x^(1/3)"},
      {"cbLF1", "Ln(x)"},    {"cbLF2", "Log(x)"}};
  ASSERT_EQ(b->TermBoxen().size(), soll.size());
  for (size_t i = 0; i < soll.size(); ++i) {
    QCheckBox* box = Box(soll[i].first);
    ASSERT_NE(box, nullptr) << soll[i].first;
    EXPECT_EQ(box->text(), QString::fromLatin1(soll[i].second));
    EXPECT_EQ(b->TermBoxen()[i], box);  // the walking order of the model text
    // Every caption is a basis name of the engine (the constant stands for "C").
    if (i > 0) {
      EXPECT_NE(kolvex::BasisNummer(soll[i].second), 0) << soll[i].second;
    }
  }
  EXPECT_EQ(b->gbPF->title(), QStringLiteral(" Polynomiale-Funktionen "));
  EXPECT_EQ(b->gbRF->title(), QStringLiteral(" Rationale-Funktionen "));
  EXPECT_EQ(b->gbEF->title(), QStringLiteral(" Exponential-Funktionen "));
  EXPECT_EQ(b->gbWF->title(), QStringLiteral(" Wurzel-Funktionen "));
  EXPECT_EQ(b->gbLF->title(), QStringLiteral(" Logarithmische-Funktionen "));
  EXPECT_EQ(b->sg->Cells(0, 0), QStringLiteral(" Nr"));
  EXPECT_EQ(b->sg->Cells(1, 0), QStringLiteral(" Koeffizienten"));
  EXPECT_EQ(b->sg->colWidth(0), 32);
  EXPECT_EQ(b->cbAbrunden->toolTip(), QStringLiteral("Koeffiziente abrunden"));
  EXPECT_TRUE(b->cbApproximZeigen->isChecked());
  EXPECT_EQ(b->sbKopieren->toolTip(), QStringLiteral("Formel kopieren in Zwischenablge"));
  EXPECT_EQ(b->sbLoschen->toolTip(), QStringLiteral("Auswahl löschen"));
  EXPECT_EQ(b->sbNeueFktPlus->text(), QStringLiteral("Übernehmen"));
  EXPECT_EQ(b->sbNeueFktPlus->toolTip(), QStringLiteral("Approximationsansatz übernehmen"));
  EXPECT_EQ(b->sbExit->toolTip(), QStringLiteral("Fenster schließen"));
}

TEST_F(AuswahlTest, TickingBuildsTheModelFitsAndRedraws) {
  quelle.Kurve("Messung   t : s", {{0, 1}, {1, 6}, {2, 17}, {3, 34}});  // 1 + 2x + 3x^2
  Zeigen();
  EXPECT_EQ(b->cbApp->count(), 1);
  EXPECT_EQ(b->cbApp->currentText(), QStringLiteral("Messung   t : s"));
  EXPECT_EQ(b->plOben->text(), QStringLiteral("y = "));
  EXPECT_TRUE(b->edFormel->text().isEmpty());

  Klick(Box("cbX1"));
  Klick(Box("cbX2"));
  Klick(Box("cbX3"));
  EXPECT_EQ(b->plOben->text(), QStringLiteral("y = a1 + a2*x + a3*x^2"));
  EXPECT_EQ(b->sg->RowCount(), 4);
  EXPECT_EQ(b->sg->Cells(0, 3), QStringLiteral("a3"));
  EXPECT_NEAR(Zahl(b->sg->Cells(1, 1)), 1, 1e-12);
  EXPECT_NEAR(Zahl(b->sg->Cells(1, 2)), 2, 1e-12);
  EXPECT_NEAR(Zahl(b->sg->Cells(1, 3)), 3, 1e-12);
  // The mouse release draws and shows the new coefficients in the formula.
  EXPECT_EQ(quelle.alleGezeichnet, 3);
  EXPECT_EQ(b->edFormel->text(), QStringLiteral("y = ") + b->sg->Cells(1, 1) + " + " +
                                     b->sg->Cells(1, 2) + "*x + " + b->sg->Cells(1, 3) + "*x^2");
  EXPECT_EQ(frApproxim->ModellText(), b->plOben->text());

  // By keyboard there is no mouse release: no redraw, the formula keeps its values.
  Box("cbX4")->setFocus();
  QTest::keyClick(Box("cbX4"), Qt::Key_Space);
  EXPECT_TRUE(Box("cbX4")->isChecked());
  EXPECT_EQ(b->plOben->text(), QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3"));
  EXPECT_EQ(quelle.alleGezeichnet, 3);
}

TEST_F(AuswahlTest, LnAndLogExcludeEachOther) {
  Zeigen();
  Klick(Box("cbLF1"));
  Klick(Box("cbLF2"));
  EXPECT_FALSE(Box("cbLF1")->isChecked());
  EXPECT_TRUE(Box("cbLF2")->isChecked());
  EXPECT_EQ(b->plOben->text(), QStringLiteral("y = a1*Log(x)"));
  Klick(Box("cbLF1"));
  EXPECT_FALSE(Box("cbLF2")->isChecked());
  EXPECT_EQ(b->plOben->text(), QStringLiteral("y = a1*Ln(x)"));
}

TEST_F(AuswahlTest, AnEleventhTermIsRefusedOnce) {
  quelle.Kurve("k", {{1, 1}, {2, 2}, {3, 3}});
  Zeigen();
  for (int i = 1; i <= 10; ++i) Box(("cbX" + std::to_string(i)).c_str())->setChecked(true);
  b->FormelAufbauen(2);
  meldungen.clear();
  const long long fits = TfrApproxim::FitZaehler;
  Klick(Box("cbEF1"));
  EXPECT_FALSE(Box("cbEF1")->isChecked());
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Max. 10 Funktion"));
  EXPECT_EQ(TfrApproxim::FitZaehler, fits + 1);  // one rebuild with a fit, no re-entry
  EXPECT_TRUE(b->plOben->text().endsWith(QStringLiteral(" + a10*x^9")));
  EXPECT_EQ(b->sg->RowCount(), 11);
  EXPECT_EQ(b->sg->Cells(0, 10), QStringLiteral("a10"));
}

TEST_F(AuswahlTest, ALongFormulaShowsItsStart) {
  quelle.Kurve("k", {{1, 2}, {2, 3}, {3, 5}, {4, 4}, {5, 7}, {6, 8}});
  Zeigen();
  for (const char* name : {"cbX1", "cbX2", "cbX3", "cbRF1", "cbEF3", "cbWF1"}) Klick(Box(name));
  b->FormelAufbauen(2);
  ASSERT_TRUE(ZuBreit(b->edFormel)) << b->edFormel->text().toStdString();
  EXPECT_TRUE(SichtbarerText(b->edFormel).startsWith(QStringLiteral("y = ")))
      << SichtbarerText(b->edFormel).toStdString();
}

TEST_F(AuswahlTest, NegativeCoefficientsShowAsMinus) {
  Box("cbX1")->setChecked(true);
  Box("cbX2")->setChecked(true);
  b->sg->setRowCount(3);
  b->sg->setCells(1, 1, QStringLiteral("1,5"));
  b->sg->setCells(1, 2, QStringLiteral("-2,5"));
  b->FormelAufbauen(2);
  EXPECT_EQ(b->edFormel->text(), QStringLiteral("y = 1,5 - 2,5*x"));
  b->sg->setCells(1, 2, QStringLiteral("-1,000E-06"));
  b->FormelAufbauen(2);
  EXPECT_EQ(b->edFormel->text(), QStringLiteral("y = 1,5 - 1,000E-06*x"));
}

TEST_F(AuswahlTest, ReadingModelsBackTicksTheirBoxes) {
  TfrApproxim* a = frApproxim;
  // The built-ins come back as they are, except that the builder's order puts e^(-x)
  // before Sqrt(x).
  for (int i = 0; i < 6; ++i) {
    a->AuswahlSetzen(i);
    b->AnsatzEinlesen();
    EXPECT_EQ(b->plOben->text(), a->RadioGroup1->item(i));
  }
  a->AuswahlSetzen(6);
  b->AnsatzEinlesen();
  EXPECT_EQ(b->plOben->text(), QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*e^(-x) + a6*Sqrt(x)"));

  const auto lesen = [&](const QString& modell) {
    a->RadioGroup1->addItem(modell);
    a->lbh->addItem(modell);
    a->AuswahlSetzen(a->RadioGroup1->count() - 1);
    b->AnsatzEinlesen();
    std::vector<QString> an;
    for (QCheckBox* box : b->TermBoxen())
      if (box->isChecked()) an.push_back(box->objectName());
    return an;
  };
  EXPECT_EQ(lesen("y = a1 + a2*x + a3*Sqrt(x)"), (std::vector<QString>{"cbX1", "cbX2", "cbWF1"}));
  EXPECT_EQ(lesen("y = A1 + A2 * Ln(x)"), (std::vector<QString>{"cbX1", "cbLF1"}));
  // Coefficients out of order lose their terms; sin(x) has no box.
  EXPECT_EQ(lesen("y = a1 + a3*x + a3*x^2"), (std::vector<QString>{"cbX1", "cbX3"}));
  EXPECT_EQ(lesen("y = a1*sin(x) + a2*1/(x^5)"), (std::vector<QString>{"cbRF5"}));
  EXPECT_TRUE(lesen("kein Modell").empty());
}

TEST_F(AuswahlTest, AddingModelsToTheList) {
  TfrApproxim* a = frApproxim;
  Zeigen();
  b->sbNeueFktPlus->click();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Ansatzfunktion auswählen"));

  for (const char* n : {"cbX1", "cbX2", "cbX3", "cbX4", "cbX5"}) Box(n)->setChecked(true);
  b->FormelAufbauen(2);
  meldungen.clear();
  b->sbNeueFktPlus->click();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Funktion ist schon vorhanden (Nr.4)"));

  // Five new ones fill the list to 12.
  const char* neue[] = {"cbEF1", "cbEF2", "cbEF3", "cbEF4", "cbEF5"};
  for (const char* n : neue) {
    Box(n)->setChecked(true);
    b->FormelAufbauen(2);
    b->sbNeueFktPlus->click();
  }
  ASSERT_EQ(a->RadioGroup1->count(), 12);
  EXPECT_EQ(a->lbh->count(), 12);
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 11);
  EXPECT_EQ(a->RadioGroup1->item(7), QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*x^4 + a6*e^x"));

  // Full: with a built-in chosen, the first user model is offered for replacement.
  a->AuswahlSetzen(2);
  Box("cbEF1")->setChecked(false);
  Box("cbEF6")->setChecked(true);
  b->FormelAufbauen(2);
  const QString m = b->plOben->text();
  const QString alt = a->RadioGroup1->item(7);
  meldungen.clear();
  meldungen.answerWith({MessageAnswer::Yes});
  b->sbNeueFktPlus->click();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text,
            QStringLiteral("Funktion \r") + alt + QStringLiteral("\rdurch \r") + m + QStringLiteral("\rersetzen?"));
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(a->RadioGroup1->count(), 12);
  EXPECT_EQ(a->RadioGroup1->item(7), m);
  EXPECT_EQ(a->lbh->item(7)->text(), m);
  EXPECT_EQ(a->RadioGroup1->itemIndex(), 7);
}

TEST_F(AuswahlTest, ChoosingACurveListsItsCoefficients) {
  quelle.Kurve("eins", {{0, 1}, {1, 2}, {2, 3}});
  quelle.Kurve("zwei", {{0, 10}, {1, 7}, {2, 4}});
  Zeigen();
  Klick(Box("cbX1"));
  Klick(Box("cbX2"));
  EXPECT_NEAR(Zahl(b->sg->Cells(1, 2)), 1, 1e-12);
  ASSERT_EQ(b->cbApp->count(), 2);
  b->cbAppChange(1);
  EXPECT_NEAR(Zahl(b->sg->Cells(1, 1)), 10, 1e-12);
  EXPECT_NEAR(Zahl(b->sg->Cells(1, 2)), -3, 1e-12);
}

TEST_F(AuswahlTest, EnterDrawsWithTheTypedCoefficients) {
  quelle.Kurve("eins", {{0, 1}, {1, 2}, {2, 3}});
  Zeigen();
  Klick(Box("cbX1"));
  Klick(Box("cbX2"));
  b->sg->setCells(1, 1, QStringLiteral("4"));
  b->sg->setCells(1, 2, QStringLiteral("-0,5"));
  const long long fits = TfrApproxim::FitZaehler;
  b->sg->setFocus();
  QTest::keyClick(b->sg, Qt::Key_Return);
  ASSERT_EQ(quelle.einzelnGezeichnet, std::vector<int>{1});
  EXPECT_EQ(quelle.tagBeimZeichnen, std::vector<int>{1});
  EXPECT_EQ(b->Tag, 0);
  EXPECT_EQ(TfrApproxim::FitZaehler, fits);
  EXPECT_EQ(quelle.einzelErgebnisse[0].koeff, (std::vector<double>{4, -0.5}));
  EXPECT_EQ(b->edFormel->text(), QStringLiteral("y = 4 - 0,5*x"));

  // A cell that is not a number is named, and nothing is drawn.
  b->sg->setCells(1, 2, QStringLiteral("x7"));
  meldungen.clear();
  b->sgEnter();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Der Koeffizient a2 ist keine Zahl: \"x7\""));
  EXPECT_EQ(quelle.einzelnGezeichnet.size(), 1u);
}

TEST_F(AuswahlTest, RoundedCoefficientsCanBeDrawnAgain) {
  quelle.Kurve("eins", {{0, 1000}, {1, 1000.0005}, {2, 1000.001}});
  Zeigen();
  Klick(Box("cbX1"));
  Klick(Box("cbX2"));
  b->cbAbrunden->click();
  EXPECT_EQ(b->sg->Cells(1, 1), QStringLiteral("1.000,0000"));
  EXPECT_EQ(b->sg->Cells(1, 2), QStringLiteral("5,000E-04"));
  // The grouped text is read back as 1000 for the drawing.
  ASSERT_EQ(quelle.einzelErgebnisse.size(), 1u);
  ASSERT_TRUE(quelle.einzelErgebnisse[0].ok);
  EXPECT_EQ(quelle.einzelErgebnisse[0].koeff, (std::vector<double>{1000, 0.0005}));
  EXPECT_EQ(b->edFormel->text(), QStringLiteral("y = 1.000,0000 + 5,000E-04*x"));
  EXPECT_TRUE(meldungen.messages().empty());

  // Unticked again: the general form.
  b->cbAbrunden->click();
  EXPECT_NEAR(Zahl(b->sg->Cells(1, 1)), 1000, 1e-9);
  EXPECT_FALSE(b->sg->Cells(1, 1).contains(QLatin1Char('.')));
}

TEST_F(AuswahlTest, FailedFitInTheListingWarnsAndKeepsTheGrid) {
  quelle.Kurve("weit", {{800, 1}, {801, 1}});
  Zeigen();
  b->sg->setCells(0, 1, QStringLiteral("a1"));
  b->sg->setCells(1, 1, QStringLiteral("7"));
  Box("cbEF3")->setChecked(true);
  meldungen.clear();
  b->FormelAufbauen(1);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text,
            QStringLiteral("Das Modell konnte für die Kurve „weit“ nicht berechnet werden.\rDer "
                           "Koeffizient a1 ist zu groß."));
  EXPECT_EQ(b->sg->Cells(1, 1), QStringLiteral("7"));
  meldungen.clear();
  EXPECT_FALSE(b->cbAppChange(0));
  EXPECT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(b->sg->Cells(1, 1), QStringLiteral("7"));
}

TEST_F(AuswahlTest, NegativeRootFehlerOncePerPass) {
  quelle.Kurve("k", {{-4, 1}, {1, 2}, {4, 3}});
  Zeigen();
  meldungen.clear();
  Klick(Box("cbWF1"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Fehler"));
  Klick(Box("cbX1"));
  EXPECT_EQ(meldungen.messages().size(), 1u);  // until the data graph's next pass
}

TEST_F(AuswahlTest, CopyTurnsTheFormulaRedForAMoment) {
  Box("cbX1")->setChecked(true);
  b->sg->setCells(1, 1, QStringLiteral("2,5"));
  b->FormelAufbauen(2);
  b->sbKopieren->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("y = 2,5"));
  EXPECT_EQ(b->edFormel->palette().color(QPalette::Text), QColor(Qt::red));
  EXPECT_TRUE(Warten([&] { return b->edFormel->palette().color(QPalette::Text) == QColor(Qt::blue); }));
}

TEST_F(AuswahlTest, DeleteAsksThenClearsBoxesAndFirstRow) {
  Zeigen();
  Klick(Box("cbX1"));
  Klick(Box("cbRF2"));
  meldungen.clear();
  meldungen.answerWith({MessageAnswer::No});
  b->sbLoschen->click();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Auswahl löschen?"));
  EXPECT_TRUE(Box("cbRF2")->isChecked());

  b->sbLoschen->click();  // Yes
  for (QCheckBox* box : b->TermBoxen()) EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
  EXPECT_EQ(b->plOben->text(), QStringLiteral("y = "));
  EXPECT_TRUE(b->edFormel->text().isEmpty());
  EXPECT_TRUE(b->sg->Cells(0, 1).isEmpty());
  EXPECT_TRUE(b->sg->Cells(1, 1).isEmpty());
  EXPECT_EQ(b->sg->RowCount(), 2);
}

TEST_F(AuswahlTest, ClosingHandsTheModelBackToTheList) {
  Zeigen();
  Klick(Box("cbX2"));
  const int vorher = quelle.alleGezeichnet;
  b->sbExit->click();
  EXPECT_FALSE(b->isVisible());
  EXPECT_TRUE(b->plOben->text().isEmpty());
  EXPECT_EQ(frApproxim->ModellText(), frApproxim->RadioGroup1->item(1));
  EXPECT_EQ(DateiLesen(QStringLiteral("approx.txx")), TfrApproxim::EingebauteAnsaetze);
  EXPECT_TRUE(b->cbApproximZeigen->isChecked());
  EXPECT_EQ(quelle.alleGezeichnet, vorher + 1);
}

TEST_F(AuswahlTest, ListBoxHidesAndShowsTheModelList) {
  frApproxim->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frApproxim));
  Zeigen();
  b->cbApproximZeigen->click();
  EXPECT_FALSE(frApproxim->isVisible());
  b->cbApproximZeigen->click();
  EXPECT_TRUE(frApproxim->isVisible());
  frApproxim->hide();
  // Not hidden by the box: ticking it does not pop the list up.
  b->cbApproximZeigen->click();
  b->cbApproximZeigen->click();
  EXPECT_FALSE(frApproxim->isVisible());
}

}  // namespace

namespace {

// The coefficient side takes what the term boxes leave: the window keeps the size it is given
// and its buttons stay inside it.
TEST_F(AuswahlTest, KeepsItsSizeAndTheButtonsInside) {
  Zeigen();
  for (int breite : {780, 900, 700}) {
    EXPECT_TRUE(GroesseSetzenUndAbwarten(b, QSize(breite, 560)));
    EXPECT_EQ(b->width(), breite);
    const QRect innen = b->rect();
    EXPECT_TRUE(innen.contains(b->plRechts->geometry())) << breite;
    for (QPushButton* k : {b->sbKopieren, b->sbLoschen, b->sbNeueFktPlus, b->sbExit})
      EXPECT_LE(k->mapTo(b, QPoint(k->width(), 0)).x(), breite) << breite;
    EXPECT_LE(b->sg->width(), b->plRechts->width());
  }
}

}  // namespace
