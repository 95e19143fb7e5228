// The loan schedule engine: schedule rows, searches, marks and messages, without windows.
#include <gtest/gtest.h>

#include <string>

#include "core/geld.h"
#include "engines/finance/tilg_rechnung.h"

namespace {

using namespace finanz;

double Zahl(const TilgErgebnis& r, int spalte, int zeile) {
  return kolvex::GeldTextZuZahl(r.tabelle.Zelle(spalte, zeile));
}

TEST(TilgPlan, DefaultsWriteQuarterRowsAndStopWithinOneRate) {
  const TilgErgebnis r = TilgungBerechnen(TilgEingaben{}, Restschuld);
  ASSERT_TRUE(r.tabelleNeu);
  const TilgTabelle& t = r.tabelle;
  for (int s = 0; s < kTilgSpalten; ++s) EXPECT_EQ(t.Zelle(s, 0), kTilgKoepfe[s]);
  // Row 1: month 3 of year 1, no repayment, no fees.
  EXPECT_EQ(t.Zelle(0, 1), "1");
  EXPECT_EQ(t.Zelle(1, 1), "3");
  EXPECT_EQ(t.Zelle(2, 1), "12.000,00");
  EXPECT_EQ(t.Zelle(3, 1), "150,00");
  EXPECT_EQ(t.Zelle(4, 1), "");
  EXPECT_EQ(t.Zelle(5, 1), "");
  EXPECT_EQ(t.Zelle(6, 1), "12.150,00");
  // A row every quarter; the repayments in the rows of months 12, 24, ...
  ASSERT_EQ(r.tabelle.zeilenAnzahl, 17);
  for (int z = 1; z <= 16; ++z) {
    EXPECT_EQ(t.Zelle(1, z), std::to_string(3 * z));
    EXPECT_EQ(t.Zelle(0, z), std::to_string((3 * z - 1) / 12 + 1));
    EXPECT_EQ(t.Zelle(4, z), z % 4 == 0 ? "3.000,00" : "") << z;
  }
  // Year 5 starts with less than one rate owed: the schedule ends there.
  EXPECT_EQ(t.Zelle(6, 16), "1.690,12");
  EXPECT_EQ(r.restschuld, "1.690,12");
  EXPECT_EQ(r.tilgungsdauer, "4");
  EXPECT_TRUE(r.meldungen.empty());
  // Interest added to the debt is counted once in cost and total.
  EXPECT_EQ(r.zinsenZeile, "1.690,12 €    Kosten: 1.690,12 €  14,08 %");
  EXPECT_EQ(r.gesamtZeile, "Gesamt: 13.690,12 €    Tilgung: 12.000,00 €  (4x3.000,00)");
}

TEST(TilgPlan, FeeAndDisagioGoIntoRowOneAndTheInterestLine) {
  TilgEingaben e;
  e.gebuehrAn = true;
  e.bearbeitungsgebuehr = "100,00";
  e.disagioAn = true;
  e.disagio = "2,00";
  const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
  EXPECT_EQ(r.tabelle.Zelle(5, 1), "340,00");
  EXPECT_EQ(r.tabelle.Zelle(5, 2), "");
  EXPECT_EQ(r.zinsenZeile,
            "1.690,12 €    Gebühren: 100,00 €    Disagio: 240,00 €    Kosten: 2.030,12 €  16,92 %");
  EXPECT_EQ(r.gesamtZeile, "Gesamt: 14.030,12 €    Tilgung: 12.000,00 €  (4x3.000,00)");
  // Only the disagio.
  e.gebuehrAn = false;
  EXPECT_EQ(TilgungBerechnen(e, Restschuld).tabelle.Zelle(5, 1), "240,00");
}

TEST(TilgPlan, FeeReachesTheCostLineWhenRowOneIsAYearEndRow) {
  // Two months with yearly interest and repayment: the only row is written by the year end.
  TilgEingaben e;
  e.tilgungsdauer = "2";
  e.dauerEinheit = "Monate";
  e.zinsperiode = "jährlich";
  e.gebuehrAn = true;
  e.bearbeitungsgebuehr = "100,00";
  const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
  ASSERT_EQ(r.tabelle.zeilenAnzahl, 2);
  EXPECT_EQ(r.tabelle.Zelle(1, 1), "2");
  EXPECT_EQ(r.tabelle.Zelle(5, 1), "100,00");
  EXPECT_NE(r.zinsenZeile.find("    Gebühren: 100,00 €"), std::string::npos) << r.zinsenZeile;
  EXPECT_EQ(r.tilgungsdauer, "2");  // the running month number
}

TEST(TilgPlan, RowRhythms) {
  struct Fall {
    const char* tilgung;
    const char* zins;
    int zeilenProJahr;
  } faelle[] = {{"monatlich", "vierteljährlich", 12},
                {"jährlich", "monatlich", 12},
                {"halbjährlich", "jährlich", 2},
                {"vierteljährlich", "halbjährlich", 4}};
  for (const Fall& f : faelle) {
    TilgEingaben e;
    e.darlehensbetrag = "100.000,00";
    e.tilgungsrate = "100,00";
    e.tilgungsdauer = std::string("2");  // a move: g++ 12 misreports -Wrestrict on "2" here
    e.tilgungsintervall = f.tilgung;
    e.zinsperiode = f.zins;
    e.zinseZahlen = true;
    const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
    EXPECT_EQ(r.tabelle.zeilenAnzahl, 1 + 2 * f.zeilenProJahr) << f.tilgung << " " << f.zins;
    const int schritt = 12 / f.zeilenProJahr;
    for (int z = 1; z < r.tabelle.zeilenAnzahl; ++z)
      EXPECT_EQ(r.tabelle.Zelle(1, z), std::to_string(z * schritt)) << f.tilgung << " " << z;
  }
}

TEST(TilgPlan, AddedInterestEarnsInterestAcrossTheTurnOfTheYear) {
  // Monthly repayment, quarterly interest: one row per month. The first month of year 2
  // charges interest on the whole debt of the last row, interest of year 1 included.
  TilgEingaben e;
  e.darlehensbetrag = "100.000,00";
  e.zinssatz = "12,00";
  e.tilgungsrate = "2.000,00";
  e.tilgungsintervall = "monatlich";
  e.tilgungsdauer = "2";
  const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
  ASSERT_GE(r.tabelle.zeilenAnzahl, 14);
  const double schuld12 = Zahl(r, 6, 12);
  const double zins13 = Zahl(r, 3, 13) - Zahl(r, 3, 12);
  EXPECT_NEAR(zins13, schuld12 * 0.01, 0.011);
  // Within the quarter the new interest does not earn interest yet: month 14 charges on the
  // debt after month 13's payment less month 13's interest.
  const double zins14 = Zahl(r, 3, 14) - Zahl(r, 3, 13);
  EXPECT_NEAR(zins14, (Zahl(r, 6, 13) - zins13) * 0.01, 0.011);
}

TEST(TilgPlan, PaidInterestScheduleNeverOwesLessThanNothing) {
  for (const char* intervall : {"monatlich", "vierteljährlich", "jährlich"}) {
    TilgEingaben e;
    e.zinseZahlen = true;
    e.tilgungsintervall = intervall;
    e.tilgungsrate = "1.000,00";
    e.tilgungsdauer = "20";
    const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
    ASSERT_GT(r.tabelle.zeilenAnzahl, 1) << intervall;
    for (int z = 1; z < r.tabelle.zeilenAnzahl; ++z) {
      EXPECT_GE(Zahl(r, 6, z), 0) << intervall << " row " << z;
      // The debt column shows the principal only.
      EXPECT_EQ(r.tabelle.Zelle(6, z), r.tabelle.Zelle(2, z)) << intervall << " row " << z;
    }
    EXPECT_GE(kolvex::GeldTextZuZahl(r.restschuld), 0) << intervall;
    EXPECT_LE(kolvex::GeldTextZuZahl(r.restschuld), 1000) << intervall;
    EXPECT_TRUE(r.meldungen.empty());
  }
}

TEST(TilgPlan, PaidInterestCostsCountTheInterestOnce) {
  TilgEingaben e;
  e.zinseZahlen = true;
  e.tilgungsrate = "4.000,00";
  const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
  // Year 3 starts owing one rate: the schedule ends there with that rate left.
  EXPECT_EQ(r.restschuld, "4.000,00");
  const std::string zinsen = r.zinsenZeile.substr(0, r.zinsenZeile.find(" €"));
  EXPECT_NE(r.zinsenZeile.find("    Kosten: " + zinsen + " €  "), std::string::npos)
      << r.zinsenZeile;
  EXPECT_EQ(r.gesamtZeile.substr(0, 8), "Gesamt: ");
  EXPECT_NEAR(kolvex::GeldTextZuZahl(r.gesamtZeile.substr(8, r.gesamtZeile.find(" €") - 8)),
              12000 + kolvex::GeldTextZuZahl(zinsen), 0.005);
}

TEST(TilgPlan, ZeroLoanHasNoCostPercentage) {
  TilgEingaben e;
  e.darlehensbetrag = "0";
  e.tilgungsrate = "0";
  e.zinsperiode = "monatlich";
  const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
  ASSERT_EQ(r.tabelle.zeilenAnzahl, 2);
  EXPECT_EQ(r.zinsenZeile, "0,00 €    Kosten: 0,00 €");
}

// A calculation refused at its start computes nothing, and nothing of before stays: the
// fields hold the results of the calculation before (the window passes them in).
TEST(TilgPlan, DurationBelowOneMarksTheFieldAndLeavesNoEarlierResult) {
  TilgEingaben e;
  e.tilgungsdauer = "0";
  e.restschuld = "1.690,12";
  e.zeilenAnzahl = 30;
  TilgErgebnis r = TilgungBerechnen(e, Restschuld);
  EXPECT_TRUE(r.dauerMarkiert);
  EXPECT_EQ(r.fokus, TilgFeld::Tilgungsdauer);
  EXPECT_TRUE(r.meldungen.empty());
  EXPECT_EQ(r.restschuld, "");
  ASSERT_TRUE(r.tabelleNeu);
  EXPECT_EQ(r.tabelle.zeilenAnzahl, 2);
  EXPECT_EQ(r.tabelle.Zelle(6, 1), "");
  EXPECT_FALSE(r.zeilenGesetzt);
  EXPECT_EQ(r.zinsenZeile, "");
  EXPECT_EQ(r.gesamtZeile, "Gesamt:");
  e.tilgungsrate = "2.000,00";
  r = TilgungBerechnen(e, Tilgungsrate);
  EXPECT_TRUE(r.dauerMarkiert);
  ASSERT_EQ(r.meldungen.size(), 1u);
  EXPECT_EQ(r.meldungen[0], "Tilgungsdauer ist zu klein");
  EXPECT_EQ(r.tilgungsrate, "");
  EXPECT_EQ(r.restschuld, "");
  EXPECT_EQ(r.tabelle.zeilenAnzahl, 2);
}

TEST(TilgPlan, GrowingDebtStopsTheScheduleWithAMessage) {
  TilgEingaben e;
  e.tilgungsrate = "500,00";  // less than the yearly interest
  const TilgErgebnis r = TilgungBerechnen(e, Restschuld);
  EXPECT_TRUE(r.rateMarkiert);
  EXPECT_EQ(r.fokus, TilgFeld::Tilgungsrate);
  ASSERT_EQ(r.meldungen.size(), 1u);
  EXPECT_EQ(r.meldungen[0], "Tilgungsrate ist zu klein");
  EXPECT_EQ(r.tabelle.zeilenAnzahl, 5);  // year 1 only
  EXPECT_EQ(r.tilgungsdauer, "7");       // not rewritten
  EXPECT_EQ(r.restschuld, "");           // the schedule did not reach its end
  EXPECT_TRUE(r.zeilenGesetzt);
  // With interest paid the debt cannot grow.
  e.zinseZahlen = true;
  EXPECT_TRUE(TilgungBerechnen(e, Restschuld).meldungen.empty());
}

TEST(TilgSuche, LoanAmountIsTheLargestRepaidWithinTheDuration) {
  TilgEingaben e;
  e.darlehensbetrag = "";
  TilgErgebnis r = TilgungBerechnen(e, Darlehensbetrag);
  // Not a multiple of 1.000: 17.299,80 owes 2.854,57 after six years, which with a
  // year's quarterly interest grows to the last rate of 3.000,00.
  EXPECT_EQ(r.darlehensbetrag, "17.299,80");
  EXPECT_EQ(r.restschuld, "2.854,57");
  EXPECT_NEAR(2854.57 * 1.0125 * 1.0125 * 1.0125 * 1.0125, 3000, 0.05);
  EXPECT_FALSE(r.abgebrochen);
  EXPECT_LT(r.durchlaeufe, 60);
  // Without interest, and with interest paid, the loan is exactly the sum of the rates.
  e.zinssatz = "0";
  EXPECT_EQ(TilgungBerechnen(e, Darlehensbetrag).darlehensbetrag, "21.000,00");
  e.zinssatz = "5,00";
  e.zinseZahlen = true;
  r = TilgungBerechnen(e, Darlehensbetrag);
  EXPECT_EQ(r.darlehensbetrag, "21.000,00");
  EXPECT_EQ(kolvex::GeldTextZuZahl(r.restschuld), 3000);  // the last rate, not yet due
  // No repayment: nothing can be borrowed.
  e.tilgungsrate = "0";
  EXPECT_EQ(TilgungBerechnen(e, Darlehensbetrag).darlehensbetrag, "0,00");
}

TEST(TilgSuche, RepaymentSearchKeepsTheRateOfTheLastPass) {
  TilgEingaben e;
  e.tilgungsrate = "";
  const TilgErgebnis r = TilgungBerechnen(e, Tilgungsrate);
  EXPECT_EQ(r.tilgungsrate, "2.000,00");
  // The schedule is computed with the rate found: seven payments, less than one rate left.
  EXPECT_NE(r.gesamtZeile.find("(7x2.000,00)"), std::string::npos) << r.gesamtZeile;
  EXPECT_LE(kolvex::GeldTextZuZahl(r.restschuld), 2000);
  EXPECT_GT(kolvex::GeldTextZuZahl(r.restschuld), 0);
  // The search stops in the pass that ends it: the pass before it (1.900,00) left its debt
  // within one rate, which only the next pass's first month reads.
  e.tilgungsrate = "1.800,00";
  const TilgErgebnis weniger = TilgungBerechnen(e, Restschuld);
  EXPECT_GT(kolvex::GeldTextZuZahl(weniger.restschuld), 1800);
}

TEST(TilgSuche, DurationSearchInYearsAndMonths) {
  TilgEingaben e;
  e.tilgungsdauer = "";
  TilgErgebnis r = TilgungBerechnen(e, Tilgungsdauer);
  EXPECT_EQ(r.tilgungsdauer, "4");
  EXPECT_EQ(r.restschuld, "1.690,12");
  EXPECT_TRUE(r.meldungen.empty());
  e.dauerEinheit = "Monate";
  r = TilgungBerechnen(e, Tilgungsdauer);
  EXPECT_EQ(r.tilgungsdauer, "48");
  // Interest paid: the debt falls by the rate; no message.
  e.dauerEinheit = "Jahre";
  e.zinseZahlen = true;
  r = TilgungBerechnen(e, Tilgungsdauer);
  EXPECT_TRUE(r.meldungen.empty());
  EXPECT_EQ(r.tilgungsdauer, "3");
  EXPECT_EQ(r.restschuld, "3.000,00");
}

TEST(TilgSuche, DurationSearchWithATooSmallRate) {
  // The duration and remaining debt of the search before come in from the fields.
  TilgEingaben e;
  e.tilgungsdauer = "4";
  e.restschuld = "1.690,12";
  e.tilgungsrate = "500,00";
  const TilgErgebnis r = TilgungBerechnen(e, Tilgungsdauer);
  ASSERT_EQ(r.meldungen.size(), 1u);
  EXPECT_EQ(r.meldungen[0], "Tilgungsrate ist zu klein");
  EXPECT_TRUE(r.rateMarkiert);
  // The empty duration field stops the schedule at once and is marked.
  EXPECT_TRUE(r.dauerMarkiert);
  EXPECT_EQ(r.tilgungsdauer, "");
  EXPECT_EQ(r.restschuld, "");
  EXPECT_FALSE(r.zeilenGesetzt);
  EXPECT_EQ(r.zinsenZeile, "");
}

TEST(TilgSuche, EscAfterNPassesComputesTheScheduleWithTheLastPass) {
  TilgEingaben e;
  int fragen = 0;
  const TilgErgebnis r = TilgungBerechnen(e, Tilgungsrate, [&] { return ++fragen == 3; });
  EXPECT_TRUE(r.abgebrochen);
  EXPECT_EQ(r.tilgungsrate, "200,00");  // passes with 0, 100 and 200
  EXPECT_NE(r.gesamtZeile.find("x200,00)"), std::string::npos) << r.gesamtZeile;
}

TEST(TilgSuche, DurationSearchWithoutRepaymentIsRefused) {
  // No repayment and no interest: the debt would neither fall nor grow.
  TilgEingaben e;
  e.zinssatz = "0";
  e.tilgungsrate = "0";
  e.tilgungsdauer = "";
  for (bool zahlen : {false, true}) {
    e.zinseZahlen = zahlen;
    const TilgErgebnis r = TilgungBerechnen(e, Tilgungsdauer);
    ASSERT_EQ(r.meldungen.size(), 1u);
    EXPECT_EQ(r.meldungen[0], "Tilgungsrate ist zu klein");
    EXPECT_TRUE(r.rateMarkiert);
    EXPECT_EQ(r.durchlaeufe, 0);
  }
}

TEST(TilgSuche, PassLimitEndsASearchAsEscDoes) {
  const TilgErgebnis r = TilgungBerechnen(TilgEingaben{}, Tilgungsrate, {}, 5);
  EXPECT_TRUE(r.abgebrochen);
  EXPECT_EQ(r.durchlaeufe, 5);
  EXPECT_EQ(r.tilgungsrate, "400,00");
  // The schedule of that rate lets the debt grow, and says so; the limit itself is silent.
  ASSERT_EQ(r.meldungen.size(), 1u);
  EXPECT_EQ(r.meldungen[0], "Tilgungsrate ist zu klein");
  EXPECT_TRUE(r.zeilenGesetzt);
  EXPECT_EQ(r.restschuld, "");  // not the debt of the search's last pass
}

TEST(TilgPlan, EscEndsTheScheduleOfAnEndlessDuration) {
  // Interest paid, no repayment, a duration of 50 000 years: the one schedule pass would
  // write 200 000 rows (with 99999999 years, memory runs out). ESC, asked every thousand
  // simulated years, ends it.
  TilgEingaben e;
  e.zinseZahlen = true;
  e.tilgungsrate = "0";
  e.tilgungsdauer = "50000";
  int fragen = 0;
  const TilgErgebnis r = TilgungBerechnen(e, Restschuld, [&fragen] { return ++fragen >= 2; });
  EXPECT_TRUE(r.abgebrochen);
  EXPECT_EQ(fragen, 2);
  EXPECT_LE(r.tabelle.zeilenAnzahl, 2 * kJahreJeAbfrage * 4 + 2);
  EXPECT_EQ(r.tabelle.Zelle(0, r.tabelle.zeilenAnzahl - 1), std::to_string(2 * kJahreJeAbfrage));
  EXPECT_TRUE(r.zeilenGesetzt);
  EXPECT_EQ(r.restschuld, "");  // the debt after 2000 of 50 000 years is no remaining debt
  EXPECT_EQ(r.tilgungsdauer, "50000");
  // A schedule shorter than that asks once, at its end, as every pass does.
  fragen = 0;
  TilgungBerechnen(TilgEingaben{}, Restschuld, [&fragen] { return ++fragen > 100; });
  EXPECT_EQ(fragen, 1);
}

}  // namespace
