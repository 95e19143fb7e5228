#include "engines/finance/tilg_rechnung.h"

#include <algorithm>
#include <cmath>

#include "core/geld.h"
#include "core/zahltext.h"

namespace finanz {

const std::array<const char*, kTilgSpalten> kTilgKoepfe = {
    "Jahr", "Monat", " Darlehen", " Zinsen", " Tilgung", " Gebühren+Disagio", " Schulden"};

const std::string& TilgTabelle::Zelle(int spalte, int zeile) const {
  static const std::string leer;
  if (zeile < 0 || spalte < 0 || spalte >= kTilgSpalten ||
      zeile >= static_cast<int>(zeilen.size()))
    return leer;
  return zeilen[static_cast<size_t>(zeile)][static_cast<size_t>(spalte)];
}

void TilgTabelle::Setzen(int spalte, int zeile, std::string text) {
  if (zeile < 0 || spalte < 0 || spalte >= kTilgSpalten) return;
  if (zeile >= static_cast<int>(zeilen.size())) zeilen.resize(static_cast<size_t>(zeile) + 1);
  zeilen[static_cast<size_t>(zeile)][static_cast<size_t>(spalte)] = std::move(text);
}

void TilgTabelle::ZeilenAnzahlSetzen(int n) {
  zeilenAnzahl = n < 0 ? 0 : n;
  if (static_cast<int>(zeilen.size()) > zeilenAnzahl) zeilen.resize(static_cast<size_t>(zeilenAnzahl));
}

void TilgTabelle::Leeren() {
  for (size_t z = 1; z < zeilen.size(); ++z)
    for (std::string& zelle : zeilen[z]) zelle.clear();
}

namespace {

int PeriodeMonate(Periode p) {
  switch (p) {
    case Periode::Monatlich: return 1;
    case Periode::Vierteljaehrlich: return 3;
    case Periode::Halbjaehrlich: return 6;
    default: return 12;
  }
}

// The month from which the interest charged so far earns interest itself.
bool ZinsMonat(Periode p, int m) {
  switch (p) {
    case Periode::Monatlich: return true;
    case Periode::Vierteljaehrlich: return m == 4 || m == 7 || m == 10;
    case Periode::Halbjaehrlich: return m == 7;
    case Periode::Jaehrlich: return m == 12;
    default: return false;
  }
}

class Lauf {
 public:
  Lauf(const TilgEingaben& ein, TilgErgebnis& erg) : ein_(ein), erg_(erg) {
    erg_.darlehensbetrag = ein.darlehensbetrag;
    erg_.tilgungsrate = ein.tilgungsrate;
    erg_.tilgungsdauer = ein.tilgungsdauer;
    erg_.restschuld = ein.restschuld;
    tab_.ZeilenAnzahlSetzen(ein.zeilenAnzahl);
    for (int s = 0; s < kTilgSpalten; ++s) tab_.Setzen(s, 0, kTilgKoepfe[static_cast<size_t>(s)]);
  }

  void Berechnen(int k, const Abbruch& abbruch, long maxDurchlaeufe);
  const TilgTabelle& Tabelle() const { return tab_; }
  double L() const { return L_; }
  double T() const { return T_; }
  int N() const { return N_; }

 private:
  // The debt as column 6 shows it: with interest paid every period only the principal.
  long double Schuld() const { return ein_.zinseZahlen ? L_ - G_ : L_ - G_ + Z_; }
  long double SchuldDesLaufs() const { return ein_.zinseZahlen ? Lp_ - G_ : Lp_ - G_ + Z_; }
  double Zahl(int spalte, int zeile) const { return kolvex::GeldTextZuZahl(tab_.Zelle(spalte, zeile)); }
  bool Einrichten(int k);  // false: nothing to compute
  void Zuruecksetzen();
  // One pass; returns true when it ended the calculation (done).
  bool Durchlauf(int k);
  void GebuehrSpalteSchreiben();
  void ZeileSchreiben();
  void DarlehenSuchen(const Abbruch& abbruch, long maxDurchlaeufe);
  bool Abgebrochen() {
    if (!imLaufAbgebrochen_ && abbruch_ && *abbruch_ && (*abbruch_)()) {
      imLaufAbgebrochen_ = true;
      erg_.abgebrochen = true;
    }
    return imLaufAbgebrochen_;
  }

  const TilgEingaben& ein_;
  TilgErgebnis& erg_;
  TilgTabelle tab_;
  long double r_ = 0;
  double L_ = 0, T_ = 0;
  int N_ = 0;
  int n_ = 12, p_ = 12;
  Periode periode_ = Periode::Keine;
  long double Lp_ = 0, G_ = 0, Z_ = 0, C_ = 0, gebuehr_ = 0, disagio_ = 0;
  int row_ = 1, mc_ = 1, zahlungen_ = 0;
  bool ok_ = true;
  const Abbruch* abbruch_ = nullptr;
  bool imLaufAbgebrochen_ = false;  // ESC inside a pass: every later question answers yes
  bool geschnitten_ = false;        // ESC ended the last pass before its end
};

bool Lauf::Einrichten(int k) {
  if (k == Darlehensbetrag) {
    L_ = 0;
  }
  if (k == Tilgungsrate) {
    T_ = 0;
  } else {
    T_ = static_cast<double>(FeldTextZuZahl(erg_.tilgungsrate));
  }
  N_ = k == Tilgungsdauer ? 0 : FeldTextZuGanzzahl(erg_.tilgungsdauer);
  if (k == Restschuld && N_ < 1) {
    erg_.dauerMarkiert = true;
    erg_.fokus = TilgFeld::Tilgungsdauer;
    return false;
  }
  n_ = IntervallMonate(ein_.tilgungsintervall);
  periode_ = PeriodeAus(ein_.zinsperiode);
  p_ = PeriodeMonate(periode_);
  if (k == Tilgungsrate && N_ < 1) {
    erg_.dauerMarkiert = true;
    erg_.meldungen.push_back("Tilgungsdauer ist zu klein");
    erg_.fokus = TilgFeld::Tilgungsdauer;
    return false;
  }
  // Without a repayment the debt never falls, and a duration search would run until ESC,
  // its horizon and the schedule growing without end.
  if (k == Tilgungsdauer && T_ <= 0 && L_ > 0) {
    erg_.rateMarkiert = true;
    erg_.meldungen.push_back("Tilgungsrate ist zu klein");
    erg_.fokus = TilgFeld::Tilgungsrate;
    return false;
  }
  tab_.Leeren();
  erg_.tabelleNeu = true;
  // Fee and disagio are fixed once per calculation, so that every pass and the cost line
  // see them, whichever month writes the first row.
  gebuehr_ = ein_.gebuehrAn ? kolvex::GeldTextZuZahl(ein_.bearbeitungsgebuehr) : 0.0;
  disagio_ = ein_.disagioAn ? static_cast<long double>(kolvex::GeldTextZuZahl(erg_.darlehensbetrag)) *
                                  kolvex::GeldTextZuZahl(ein_.disagio) / 100
                            : 0.0L;
  Zuruecksetzen();
  row_ = 1;
  return true;
}

void Lauf::Zuruecksetzen() {
  G_ = 0;
  Z_ = 0;
  C_ = 0;
  mc_ = 1;
  zahlungen_ = 0;
}

void Lauf::GebuehrSpalteSchreiben() {
  tab_.Setzen(5, 1, ein_.gebuehrAn ? Geld(gebuehr_) : std::string());
  if (ein_.disagioAn) tab_.Setzen(5, 1, Geld(Zahl(5, 1) + disagio_));
}

void Lauf::ZeileSchreiben() {
  if (row_ == 1) row_ = 2;
  const int z = row_ - 1;
  tab_.Setzen(0, z, std::to_string((mc_ + 10) / 12));
  tab_.Setzen(1, z, std::to_string(mc_ - 1));
  tab_.Setzen(2, z, L_ - G_ >= 0 ? Geld(L_ - G_) : std::string());
  tab_.Setzen(3, z, Geld(Z_));
  tab_.Setzen(6, z, Geld(Schuld()));
  if (z == 1) GebuehrSpalteSchreiben();
}

bool Lauf::Durchlauf(int k) {
  const Jahresaufteilung aufteilung = JahreAufteilen(N_, ein_.dauerEinheit);
  Lp_ = L_;
  bool done = false;
  ok_ = true;
  geschnitten_ = false;
  const long double monatsZins = r_ / 12;
  for (int y = 1; y <= aufteilung.jahre; ++y) {
    // Interest added to the debt earns interest from the moment it is added, also across
    // the turn of the year.
    C_ = Z_;
    const int M = aufteilung.Monate(y);
    for (int m = 1; m <= M; ++m) {
      if (k == Tilgungsrate || k == Tilgungsdauer) {
        const double vorher = Zahl(6, row_ - 1);
        if (vorher > 0 && vorher <= T_) done = true;
      }
      if (k != Tilgungsdauer || Schuld() >= 0) ++mc_;
      if (k == Restschuld && (Schuld() < T_ || Zahl(6, row_ - 1) < 0)) {
        done = true;
        break;
      }
      if (k != Restschuld)
        row_ = 2;
      else if (m % n_ == 0 || m % p_ == 0)
        ++row_;
      if (row_ > 1) {
        tab_.ZeilenAnzahlSetzen(row_);
        if (L_ - G_ >= 0) tab_.Setzen(2, row_ - 1, Geld(L_ - G_));
      }
      if (ZinsMonat(periode_, m)) C_ = Z_;
      if (k == Restschuld && Schuld() <= T_) done = true;  // the month is still completed
      if (ein_.zinseZahlen)
        Z_ += (Lp_ - G_) * monatsZins;
      else if (Lp_ - G_ + C_ > 0)
        Z_ += (Lp_ - G_ + C_) * monatsZins;
      else
        Z_ += C_ * monatsZins;
      if (m % n_ == 0) {
        bool zahlen = true;
        if (k != Darlehensbetrag) {
          if (k == Restschuld && Schuld() <= 0) {
            done = true;
            break;
          }
          zahlen = SchuldDesLaufs() > 0;
        }
        if (zahlen) {
          G_ += T_;
          ++zahlungen_;
          if (k == Restschuld) tab_.Setzen(4, row_ - 1, Geld(T_));
        }
      }
      if (row_ == 2) GebuehrSpalteSchreiben();
      if (m % n_ == 0 || m % p_ == 0 || m == M) {
        ZeileSchreiben();
        if (Schuld() == 0 && (ein_.zinseZahlen ? k >= 1 : k >= 2)) done = true;
      }
      if (done) break;
    }
    if (k == Restschuld && y == aufteilung.jahre) done = true;
    if (done) break;
    // A duration of millions of years would write rows until memory runs out: ESC ends it.
    if (y % kJahreJeAbfrage == 0 && Abgebrochen()) {
      geschnitten_ = true;
      done = true;
      break;
    }
    if (k == Tilgungsdauer && (Schuld() <= T_ || Zahl(6, row_ - 1) < 0)) {
      done = true;
      break;
    }
    if ((k == Tilgungsdauer || (k == Restschuld && !ein_.zinseZahlen)) && Schuld() > L_) {
      erg_.rateMarkiert = true;
      erg_.meldungen.push_back("Tilgungsrate ist zu klein");
      erg_.fokus = TilgFeld::Tilgungsrate;
      done = true;
      ok_ = false;
      break;
    }
  }
  return done;
}

// The largest amount, to the cent, whose debt after the whole duration with every payment
// made is at most half a cent; found by bisection on the same pass.
void Lauf::DarlehenSuchen(const Abbruch& abbruch, long maxDurchlaeufe) {
  constexpr long double kHalberCent = 0.005L;
  constexpr long double kHoechstCent = 1e14L;  // a trillion euros
  bool stopp = false;
  auto schuldBei = [&](long double cent) {
    tab_.Leeren();
    Zuruecksetzen();
    row_ = 1;
    L_ = static_cast<double>(cent / 100);
    Durchlauf(Darlehensbetrag);
    ++erg_.durchlaeufe;
    const bool esc = imLaufAbgebrochen_ || (abbruch && abbruch());
    if (esc || erg_.durchlaeufe >= maxDurchlaeufe) {
      stopp = true;
      erg_.abgebrochen = true;
    }
    return Schuld();
  };

  long double unten = 0, oben = 0;
  bool untenGut = schuldBei(0) <= kHalberCent;
  if (untenGut && !stopp) {
    // Grow an upper bound whose debt is too large.
    oben = std::max(100.0L, std::ceil(static_cast<long double>(std::max(0.0, T_)) * 100));
    while (!stopp) {
      if (schuldBei(oben) > kHalberCent) break;
      unten = oben;
      if (oben >= kHoechstCent) break;
      oben *= 2;
    }
    while (!stopp && oben - unten > 1) {
      const long double mitte = std::floor((unten + oben) / 2);
      if (schuldBei(mitte) <= kHalberCent)
        unten = mitte;
      else
        oben = mitte;
    }
  }
  if (!stopp) schuldBei(unten);  // the pass of the result fills the scratch row
}

void Lauf::Berechnen(int k, const Abbruch& abbruch, long maxDurchlaeufe) {
  abbruch_ = &abbruch;
  r_ = static_cast<long double>(kolvex::GeldTextZuZahl(ein_.zinssatz)) / 100;
  L_ = static_cast<double>(FeldTextZuZahl(ein_.darlehensbetrag));
  // A result this calculation does not reach shows empty, never the value of an earlier
  // calculation beside this one's schedule: the remaining debt is written only from a
  // schedule that ran to its end.
  erg_.restschuld.clear();
  if (!Einrichten(k)) {
    // Nothing computed: the sought quantity and the schedule of before go too.
    if (k == Darlehensbetrag) erg_.darlehensbetrag.clear();
    if (k == Tilgungsrate) erg_.tilgungsrate.clear();
    if (k == Tilgungsdauer) erg_.tilgungsdauer.clear();
    tab_.Leeren();
    tab_.ZeilenAnzahlSetzen(2);
    erg_.tabelleNeu = true;
    return;
  }

  if (k == Darlehensbetrag) {
    DarlehenSuchen(abbruch, maxDurchlaeufe);
  } else {
    double h = 100;
    int letzteRichtung = 0;
    for (;;) {
      const bool done = Durchlauf(k);
      ++erg_.durchlaeufe;
      const bool esc = imLaufAbgebrochen_ || (abbruch && abbruch());
      if (done || k == Restschuld) break;
      if (esc || erg_.durchlaeufe >= maxDurchlaeufe) {
        erg_.abgebrochen = true;
        break;
      }
      if (k == Tilgungsrate) {
        if (T_ > 0 && Zahl(6, row_ - 1) < 0) break;
        if (Schuld() > 0) {
          if (letzteRichtung < 0) h *= 0.666;
          T_ += h;
          letzteRichtung = 1;
        } else {
          if (letzteRichtung > 0) h *= 0.1666;
          T_ -= h;
          letzteRichtung = -1;
        }
        Zuruecksetzen();
        row_ = 2;  // the next pass reads the debt this one left in the scratch row
      } else if (k == Tilgungsdauer) {
        if (!ok_) break;
        N_ += ein_.dauerEinheit == "Jahre" ? 1 : 12;  // nothing reset: the horizon grows
      }
    }
  }

  auto dauerText = [this](int zeile) {
    return ein_.dauerEinheit == "Jahre" ? tab_.Zelle(0, zeile) : tab_.Zelle(1, zeile);
  };
  if (row_ > 1) {
    if (tab_.zeilenAnzahl < row_) tab_.ZeilenAnzahlSetzen(row_);
    if (k == Darlehensbetrag) erg_.darlehensbetrag = Geld(L_);
    if (k == Tilgungsrate) erg_.tilgungsrate = Geld(T_);
    if (k == Tilgungsdauer && ok_) erg_.tilgungsdauer = dauerText(row_ - 1);
  }
  // A duration search stopped by a growing debt found no duration.
  if (k == Tilgungsdauer && !ok_) erg_.tilgungsdauer.clear();

  if (k != Restschuld) {
    // The schedule of the value found: once more with the found loan, rate and duration.
    if (!Einrichten(Restschuld)) return;
    Durchlauf(Restschuld);
  }
  if (row_ > 1) {
    const int letzte = row_ - 1;
    if (tab_.zeilenAnzahl < row_) tab_.ZeilenAnzahlSetzen(row_);
    if (ok_ && !geschnitten_) {
      erg_.tilgungsdauer = dauerText(letzte);
      erg_.restschuld = tab_.Zelle(6, letzte);
    }
  }

  if (row_ > 1) {
    const long double R = Zahl(6, row_ - 1);
    // Interest added to the debt is already in R; it is counted once.
    const long double zinsen = ein_.zinseZahlen ? Z_ : 0.0L;
    const long double kosten = G_ + zinsen + gebuehr_ + disagio_ + R - L_;
    const long double gesamt = G_ + zinsen + gebuehr_ + disagio_ + R;
    std::string z = Geld(Z_) + " €";
    if (gebuehr_ > 0) z += "    Gebühren: " + Geld(gebuehr_) + " €";
    if (disagio_ > 0) z += "    Disagio: " + Geld(disagio_) + " €";
    z += "    Kosten: " + Geld(kosten) + " €";
    if (L_ != 0) z += "  " + Geld(kosten / L_ * 100) + " %";
    erg_.zinsenZeile = z;
    erg_.gesamtZeile = "Gesamt: " + Geld(gesamt) + " €" + "    Tilgung: " + Geld(G_) + " €  (" +
                       std::to_string(zahlungen_) + "x" + Geld(T_) + ")";
    erg_.zeilenGesetzt = true;
  }
}

}  // namespace

TilgErgebnis TilgungBerechnen(const TilgEingaben& ein, int gesucht, const Abbruch& abbruch,
                              long maxDurchlaeufe) {
  TilgErgebnis erg;
  Lauf lauf(ein, erg);
  lauf.Berechnen(gesucht, abbruch, maxDurchlaeufe);
  if (erg.tabelleNeu) erg.tabelle = lauf.Tabelle();
  erg.L = lauf.L();
  erg.T = lauf.T();
  erg.N = lauf.N();
  return erg;
}

}  // namespace finanz
