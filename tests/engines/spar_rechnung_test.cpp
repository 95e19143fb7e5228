// The savings plan engine: the plan itself and every search, without windows.
#include <gtest/gtest.h>

#include "core/geld.h"
#include "engines/finance/spar_rechnung.h"

namespace {

using namespace finanz;

TEST(SparPlan, DefaultsGiveTheKnownEndCapital) {
  SparEingaben e;
  const SparErgebnis r = SparBerechnen(e, Endkapital);
  EXPECT_EQ(r.endkapital, "26.315,30 €");
  EXPECT_EQ(r.zinsen, "3.715,30 €");
  EXPECT_EQ(r.gesamt, "");
  EXPECT_EQ(r.alleSparraten, "Alle Sparraten: 12.600,00 €  84x Sparrate");
  EXPECT_EQ(r.durchlaeufe, 1);
  EXPECT_FALSE(r.gesuchtesFeld.has_value());
}

TEST(SparPlan, PayoutModeShowsPaidInterestAndTotal) {
  SparEingaben e;
  e.zinseszinsIndex = 1;
  const SparErgebnis r = SparBerechnen(e, Endkapital);
  EXPECT_EQ(r.endkapital, "22.600,00 €");
  EXPECT_EQ(r.zinsen, "3.438,75 €");
  EXPECT_EQ(r.gesamt, "Gesamt: 26.038,75 €");
}

TEST(SparPlan, InterestPeriodsCompoundWithinTheYear) {
  SparEingaben e;
  e.zinsperiode = "monatlich";
  EXPECT_EQ(SparBerechnen(e, Endkapital).endkapital, "26.369,84 €");
  // More frequent crediting earns more; no recognised period earns nothing.
  long double vorher = 0;
  for (const char* p : {"jährlich", "halbjährlich", "vierteljährlich", "monatlich"}) {
    e.zinsperiode = p;
    const long double k = SparBerechnen(e, Endkapital).stand.K;
    EXPECT_GT(k, vorher) << p;
    vorher = k;
  }
  e.zinsperiode = "";
  const SparErgebnis r = SparBerechnen(e, Endkapital);
  EXPECT_EQ(r.endkapital, "22.600,00 €");
  EXPECT_EQ(r.zinsen, "0,00 €");
}

TEST(SparPlan, IntervalsAndPaymentModesCountTheRates) {
  struct Fall {
    const char* intervall;
    const char* art;
    long raten;
  } faelle[] = {{"monatlich", "vorschüssig", 84},       {"vierteljährlich", "vorschüssig", 28},
                {"halbjährlich", "nachschüssig", 14},   {"jährlich", "nachschüssig", 7},
                {"", "vorschüssig", 7},                 {"monatlich", "", 0}};
  for (const Fall& f : faelle) {
    SparEingaben e;
    e.sparintervall = f.intervall;
    e.einzahlungsart = f.art;
    const SparErgebnis r = SparBerechnen(e, Endkapital);
    EXPECT_EQ(r.stand.anzahlRaten, f.raten) << f.intervall << " " << f.art;
    EXPECT_EQ(r.stand.summeRaten, 150.0L * f.raten);
  }
  // Paying at the start of the interval earns more than at its end.
  SparEingaben vor, nach;
  nach.einzahlungsart = "nachschüssig";
  EXPECT_GT(SparBerechnen(vor, Endkapital).stand.K, SparBerechnen(nach, Endkapital).stand.K);
}

TEST(SparPlan, MonthsAndYearsAgree) {
  SparEingaben jahre, monate;
  jahre.ansparzeit = "2";
  monate.ansparzeit = "24";
  monate.ansparzeitEinheit = "Monate";
  EXPECT_EQ(SparBerechnen(jahre, Endkapital).endkapital,
            SparBerechnen(monate, Endkapital).endkapital);
  // 18 months: one full year and a year of six months.
  monate.ansparzeit = "18";
  EXPECT_EQ(SparBerechnen(monate, Endkapital).stand.anzahlRaten, 18);
  monate.ansparzeit = "5";
  EXPECT_EQ(SparBerechnen(monate, Endkapital).stand.anzahlRaten, 5);
}

TEST(SparPlan, LockInEarnsInterestWithoutRates) {
  SparEingaben e;
  e.sparrate = "0";
  e.ansparzeit = "0";
  e.festlegungsfrist = "2";
  // 10.000 for two years at 3 %, credited yearly: 10.609,00.
  SparErgebnis r = SparBerechnen(e, Endkapital);
  EXPECT_EQ(r.endkapital, "10.609,00 €");
  EXPECT_EQ(r.stand.anzahlRaten, 0);
  e.festlegungsfristEinheit = "Monate";
  e.festlegungsfrist = "24";
  EXPECT_EQ(SparBerechnen(e, Endkapital).endkapital, "10.609,00 €");
  // Paid out during the lock-in: 300 a year.
  e.zinseszinsIndex = 1;
  r = SparBerechnen(e, Endkapital);
  EXPECT_EQ(r.endkapital, "10.000,00 €");
  EXPECT_EQ(r.zinsen, "600,00 €");
  // Monthly crediting during the lock-in compounds every month.
  e.zinseszinsIndex = 0;
  e.zinsperiode = "monatlich";
  EXPECT_EQ(SparBerechnen(e, Endkapital).endkapital, "10.617,57 €");
}

TEST(SparPlan, DynamicRaisesTheRateAtTheChosenYears) {
  SparEingaben e;
  e.dynamikAn = true;
  e.dynamik = "10,00";
  e.ansparzeit = "3";
  // 1800, 1980, 2178 a year.
  EXPECT_EQ(SparBerechnen(e, Endkapital).stand.summeRaten, 1800.0L + 1980 + 2178);
  e.dynamikIndex = 1;  // every 2 years: 1800, 1800, 1980
  EXPECT_NEAR(static_cast<double>(SparBerechnen(e, Endkapital).stand.summeRaten), 5580.0, 1e-9);
  e.dynamikAn = false;  // the percentage alone does nothing
  EXPECT_EQ(SparBerechnen(e, Endkapital).stand.summeRaten, 5400.0L);
}

TEST(SparPlan, TinyInterestIsShownAsZero) {
  SparEingaben e;
  e.anfangskapital = "10,00";
  e.sparrate = "0";
  e.ansparzeit = "1";
  e.zinssatz = "0,5";  // 0,05 €
  SparErgebnis r = SparBerechnen(e, Endkapital);
  EXPECT_EQ(r.zinsen, "0,00 €");
  EXPECT_EQ(r.endkapital, "10,05 €");
  e.zinseszinsIndex = 1;
  r = SparBerechnen(e, Endkapital);
  EXPECT_EQ(r.zinsen, "0,00 €");
  EXPECT_EQ(r.gesamt, "Gesamt: 10,00 €");
}

// Each search finds the value that reproduces a shown, rounded end capital.
TEST(SparSuche, EverySearchReproducesTheInputs) {
  const SparEingaben basis;
  const std::string ziel = SparBerechnen(basis, Endkapital).endkapital;  // "26.315,30 €"
  struct Fall {
    int gesucht;
    const char* erwartet;
  } faelle[] = {{Anfangskapital, "10.000,00"}, {Sparrate, "150,00"}, {Zinssatz, "3,00"},
                {Ansparzeit, "7"}};
  for (const Fall& f : faelle) {
    SparEingaben e = basis;
    e.endkapital = ziel;
    const SparErgebnis r = SparBerechnen(e, f.gesucht);
    ASSERT_TRUE(r.gesuchtesFeld.has_value());
    EXPECT_EQ(*r.gesuchtesFeld, f.erwartet) << f.gesucht;
    EXPECT_FALSE(r.abgebrochen);
    EXPECT_EQ(r.endkapital, ziel) << f.gesucht;
  }
}

TEST(SparSuche, DynamicSearch) {
  SparEingaben e;
  e.dynamikAn = true;
  e.dynamik = "2,50";
  const std::string ziel = SparBerechnen(e, Endkapital).endkapital;
  e.endkapital = ziel;
  e.dynamik = "";
  const SparErgebnis r = SparBerechnen(e, Dynamik);
  EXPECT_EQ(*r.gesuchtesFeld, "2,50");
  EXPECT_EQ(r.endkapital, ziel);
}

TEST(SparSuche, InterestSearchInPayoutModeCountsThePaidInterest) {
  SparEingaben e;
  e.zinseszinsIndex = 1;
  e.endkapital = "26.038,75";  // the shown total of end capital and paid-out interest
  const SparErgebnis r = SparBerechnen(e, Zinssatz);
  EXPECT_EQ(*r.gesuchtesFeld, "3,00");
  EXPECT_EQ(r.gesamt, "Gesamt: 26.038,75 €");
}

TEST(SparSuche, SavingPeriodIsTheFirstAboveTheTarget) {
  SparEingaben e;
  e.endkapital = "5.000";  // below the initial capital
  EXPECT_EQ(*SparBerechnen(e, Ansparzeit).gesuchtesFeld, "0");
  e.endkapital = "26.315,31";  // a cent above seven years
  EXPECT_EQ(*SparBerechnen(e, Ansparzeit).gesuchtesFeld, "8");
  // Seven years end a fraction of a cent below the shown 26.315,30; that target is met.
  ASSERT_LT(SparBerechnen(SparEingaben{}, Endkapital).stand.E, 26315.299L);
  e.endkapital = "26.315,30 €";
  EXPECT_EQ(*SparBerechnen(e, Ansparzeit).gesuchtesFeld, "7");
  e.ansparzeitEinheit = "Monate";
  e.endkapital = "12.000";
  const SparErgebnis r = SparBerechnen(e, Ansparzeit);
  const int n = std::stoi(*r.gesuchtesFeld);
  e.ansparzeit = std::to_string(n);
  EXPECT_GT(SparBerechnen(e, Endkapital).stand.K, 12000);
  e.ansparzeit = std::to_string(n - 1);
  EXPECT_LE(SparBerechnen(e, Endkapital).stand.K, 12000);
}

TEST(SparSuche, EscAfterNPassesLeavesTheLastPass) {
  SparEingaben e;
  e.endkapital = "50.000,00";
  int fragen = 0;
  const SparErgebnis r = SparBerechnen(e, Ansparzeit, [&] { return ++fragen == 4; });
  EXPECT_TRUE(r.abgebrochen);
  EXPECT_EQ(r.durchlaeufe, 4);
  // Passes with 0, 1, 2 and 3 years: the fields show the fourth.
  EXPECT_EQ(*r.gesuchtesFeld, "3");
  EXPECT_EQ(r.stand.anzahlRaten, 36);
  fragen = 0;
  const SparErgebnis a = SparBerechnen(e, Anfangskapital, [&] { return ++fragen == 1; });
  EXPECT_EQ(*a.gesuchtesFeld, "1,00");  // the start value of the first pass
}

// ESC inside the second pass of a search over 2000 years: the fields show the first pass,
// whose end capital belongs to its initial capital, not the account of the second pass
// after a thousand years.
TEST(SparSuche, EscInsideAPassLeavesTheLastWholePass) {
  SparEingaben e;
  e.ansparzeit = "2000";
  e.zinssatz = "0";
  e.endkapital = "1.000.000,00";
  e.zinseszinsIndex = 1;
  int fragen = 0;  // asked at year 1000 and at the end of every pass
  const SparErgebnis r = SparBerechnen(e, Anfangskapital, [&] { return ++fragen == 3; });
  EXPECT_TRUE(r.abgebrochen);
  EXPECT_EQ(r.durchlaeufe, 2);
  EXPECT_EQ(*r.gesuchtesFeld, "1,00");
  EXPECT_EQ(r.endkapital, "3.600.001,00 €");
  EXPECT_EQ(r.gesamt, "Gesamt: 3.600.001,00 €");
  EXPECT_EQ(r.alleSparraten, "Alle Sparraten: 3.600.000,00 €  24000x Sparrate");
  // ESC inside the first pass: nothing computed; the target stays, the rest is empty.
  fragen = 0;
  const SparErgebnis n = SparBerechnen(e, Anfangskapital, [&] { return ++fragen == 1; });
  EXPECT_EQ(*n.gesuchtesFeld, "");
  EXPECT_EQ(n.endkapital, "1.000.000,00");
  EXPECT_EQ(n.zinsen, "");
  EXPECT_EQ(n.gesamt, "Gesamt:");
  EXPECT_EQ(n.alleSparraten, "Alle Sparraten:");
}

TEST(SparSuche, ATargetThatCannotBeMetEndsAfterThePassLimit) {
  // Without the dynamic switch the percentage changes nothing.
  SparEingaben e;
  e.endkapital = "30.000,00";
  const SparErgebnis r = SparBerechnen(e, Dynamik, {}, 5000);
  EXPECT_TRUE(r.abgebrochen);
  EXPECT_EQ(r.durchlaeufe, 5000);
  EXPECT_EQ(r.endkapital, "26.315,30 €");
}

TEST(SparPlan, EscEndsAPassOverAnEndlessPeriod) {
  // 50 000 years of saving (and as many locked in): ESC, asked every thousand years, ends
  // the one pass of the end capital part-way; the totals are those of the years so far.
  SparEingaben e;
  e.ansparzeit = "50000";
  e.festlegungsfrist = "50000";
  int fragen = 0;
  const SparErgebnis r = SparBerechnen(e, Endkapital, [&fragen] { return ++fragen == 2; });
  EXPECT_TRUE(r.abgebrochen);
  EXPECT_EQ(r.durchlaeufe, 1);
  EXPECT_EQ(fragen, 2);
  EXPECT_EQ(r.stand.anzahlRaten, 2 * kJahreJeAbfrage * 12);
  // The account of 2000 of 50 000 years is no end capital: no result is shown.
  EXPECT_EQ(r.endkapital, "");
  EXPECT_EQ(r.zinsen, "");
  EXPECT_EQ(r.gesamt, "");
  EXPECT_EQ(r.alleSparraten, "Alle Sparraten:");
  // In the lock-in period as well.
  e.ansparzeit = "7";
  fragen = 0;
  const SparErgebnis f = SparBerechnen(e, Endkapital, [&fragen] { return ++fragen == 1; });
  EXPECT_TRUE(f.abgebrochen);
  EXPECT_EQ(fragen, 1);
  EXPECT_EQ(f.stand.anzahlRaten, 84);
  EXPECT_EQ(f.endkapital, "");
  // Short periods are not asked inside the pass: the plan of the defaults asks once.
  fragen = 0;
  const SparErgebnis d = SparBerechnen(SparEingaben{}, Endkapital, [&fragen] { return ++fragen > 0; });
  EXPECT_FALSE(d.abgebrochen);
  EXPECT_EQ(fragen, 1);
  EXPECT_EQ(d.endkapital, "26.315,30 €");
}

}  // namespace
