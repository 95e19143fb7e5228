#include "engines/finance/spar_rechnung.h"

#include <cmath>

#include "core/geld.h"
#include "core/zahltext.h"

namespace finanz {

SparStand SparDurchlauf(const SparEingaben& ein, const SparWerte& w, int gesucht,
                        const Abbruch* abbruch) {
  // A period of millions of years takes minutes; ESC ends it part-way.
  auto abgebrochen = [abbruch](int jahr) {
    return jahr % kJahreJeAbfrage == 0 && abbruch && *abbruch && (*abbruch)();
  };
  const int n = IntervallMonate(ein.sparintervall);
  const bool vorschuessig = ein.einzahlungsart == "vorschüssig";
  const bool nachschuessig = ein.einzahlungsart == "nachschüssig";
  const Periode periode = PeriodeAus(ein.zinsperiode);
  const long double monatsZins = w.r / 12;

  // The increase of a pass never carries into the next one.
  long double rate = w.R;
  long double f = 1;
  int e = 0;
  if (ein.dynamikAn) {
    f = 1 + w.d / 100;
    e = ein.dynamikIndex + 1;
  }

  SparStand s;
  s.K = w.A;
  const Jahresaufteilung spar = JahreAufteilen(w.N, ein.ansparzeitEinheit);
  for (int y = 1; y <= spar.jahre; ++y) {
    long double D = 0, Z = 0, S = 0;
    const int monate = spar.Monate(y);
    for (int m = 1; m <= monate; ++m) {
      if (vorschuessig && (m == 1 || (m - 1) % n == 0)) {
        D += rate;
        s.summeRaten += rate;
        ++s.anzahlRaten;
      }
      if (ein.zinseszinsIndex == 0) {
        switch (periode) {
          case Periode::Monatlich:
            Z += (s.K + D + Z) * monatsZins;
            break;
          case Periode::Vierteljaehrlich:
            if (m == 4 || m == 7 || m == 10) S = Z;
            Z += (s.K + D + S) * monatsZins;
            break;
          case Periode::Halbjaehrlich:
            if (m == 7) S = Z;
            Z += (s.K + D + S) * monatsZins;
            break;
          case Periode::Jaehrlich:
            Z += (s.K + D) * monatsZins;
            break;
          case Periode::Keine:
            break;
        }
      } else if (ein.zinseszinsIndex == 1) {
        s.P += (s.K + D) * monatsZins;
      }
      if (nachschuessig && m % n == 0) {
        D += rate;
        s.summeRaten += rate;
        ++s.anzahlRaten;
      }
    }
    if (e > 0 && y % e == 0) rate *= f;
    // Interest is credited once a year; the period only decides how it earns interest
    // within the year.
    s.K += D + Z;
    if (y < spar.jahre && abgebrochen(y)) {
      s.abgebrochen = true;
      break;
    }
  }

  // Lock-in: the capital only earns interest.
  const int L = s.abgebrochen ? 0 : kolvex::TextZuGanzzahl(ein.festlegungsfrist);
  if (L > 0) {
    const Jahresaufteilung fest = JahreAufteilen(L, ein.festlegungsfristEinheit);
    long double B = s.K, LZ = 0;
    for (int y = 1; y <= fest.jahre; ++y) {
      long double Zy = 0, S = 0;
      const int monate = fest.Monate(y);
      for (int m = 1; m <= monate; ++m) {
        if (ein.zinseszinsIndex == 0) {
          switch (periode) {
            case Periode::Monatlich:
              Zy += (B + Zy) * monatsZins;
              break;
            case Periode::Vierteljaehrlich:
              Zy += (B + S) * monatsZins;
              if (m == 3 || m == 6 || m == 9) S = Zy;
              break;
            case Periode::Halbjaehrlich:
              Zy += (B + S) * monatsZins;
              if (m == 6) S = Zy;
              break;
            case Periode::Jaehrlich:
              Zy += B * monatsZins;
              break;
            case Periode::Keine:
              break;
          }
        } else if (ein.zinseszinsIndex == 1) {
          LZ += B * monatsZins;
        }
      }
      B += Zy;
      LZ += Zy;
      if (y < fest.jahre && abgebrochen(y)) {
        s.abgebrochen = true;
        break;
      }
    }
    if (ein.zinseszinsIndex == 0)
      s.K += LZ;
    else
      s.P += LZ;
  }

  if (ein.zinseszinsIndex == 0) {
    s.E = s.K;
  } else {
    s.E = w.A + s.summeRaten;
    if (gesucht == Zinssatz) s.E += s.P;
  }
  return s;
}

SparErgebnis SparBerechnen(const SparEingaben& ein, int gesucht, const Abbruch& abbruch,
                           long maxDurchlaeufe) {
  SparErgebnis erg;
  const long double T0 = kolvex::GeldTextZuZahl(ein.endkapital);
  long double h = T0 > 1 ? std::nearbyint(T0 / 10 + 1) : 100;

  SparWerte w;
  w.A = gesucht == Anfangskapital ? 1 : FeldTextZuZahl(ein.anfangskapital);
  if (gesucht == Sparrate) {
    w.R = 100;
    h = 10;
  } else {
    w.R = FeldTextZuZahl(ein.sparrate);
  }
  if (gesucht == Dynamik) {
    w.d = 0;
    h = 0.1L;
  } else {
    w.d = FeldTextZuZahl(ein.dynamik);
  }
  if (gesucht == Zinssatz) {
    w.r = 0;
    h = 0.001L;
  } else {
    w.r = FeldTextZuZahl(ein.zinssatz) / 100;
  }
  w.N = gesucht == Ansparzeit ? 0 : FeldTextZuGanzzahl(ein.ansparzeit);

  int letzteRichtung = 0;  // +1 increase, -1 decrease
  SparStand s;
  // The last pass that ran to its end: ESC inside a pass leaves the account of part of the
  // period, which is no result; the fields show the whole pass before it, or nothing.
  SparWerte ganzW;
  SparStand ganzS;
  bool ganzDa = false;
  for (;;) {
    s = SparDurchlauf(ein, w, gesucht, &abbruch);
    ++erg.durchlaeufe;
    if (s.abgebrochen) {
      erg.abgebrochen = true;
      break;
    }
    ganzW = w;
    ganzS = s;
    ganzDa = true;
    const long double T =
        gesucht == Endkapital ? s.E : static_cast<long double>(kolvex::GeldTextZuZahl(ein.endkapital));
    const bool esc = abbruch && abbruch();  // once per pass, also on the last one
    // The period moves in whole steps and cannot close in on a target; a target typed from
    // a shown end capital is met when the end capital shows as that amount.
    if (std::fabs(s.E - T) < 0.001L ||
        (gesucht == Ansparzeit && (s.E > T || std::fabs(s.E - T) < 0.005L)))
      break;
    if (esc || erg.durchlaeufe >= maxDurchlaeufe) {
      erg.abgebrochen = true;
      break;
    }

    const int richtung = T > s.E ? 1 : -1;
    switch (gesucht) {
      case Anfangskapital: w.A += richtung * h; break;
      case Sparrate: w.R += richtung * h; break;
      case Dynamik: w.d += richtung * h; break;
      case Zinssatz: w.r += richtung * h; break;
      case Ansparzeit:
        if (richtung > 0) ++w.N;  // the period is never shortened
        break;
      default: break;
    }
    if (letzteRichtung == -richtung) h *= 0.6666L;
    letzteRichtung = richtung;
  }

  if (s.abgebrochen) {
    if (!ganzDa) {
      // Nothing computed: the sought quantity and the results stay empty, the target stays.
      erg.werte = w;
      erg.stand = s;
      if (gesucht != Endkapital) {
        erg.gesuchtesFeld = std::string();
        erg.endkapital = ein.endkapital;
      }
      erg.gesamt = ein.zinseszinsIndex == 1 ? "Gesamt:" : "";
      erg.alleSparraten = "Alle Sparraten:";
      return erg;
    }
    w = ganzW;
    s = ganzS;
  }
  erg.werte = w;
  erg.stand = s;
  switch (gesucht) {
    case Anfangskapital: erg.gesuchtesFeld = Geld(w.A); break;
    case Sparrate: erg.gesuchtesFeld = Geld(w.R); break;
    case Dynamik: erg.gesuchtesFeld = Geld(w.d); break;
    case Zinssatz: erg.gesuchtesFeld = Geld(w.r * 100); break;
    case Ansparzeit: erg.gesuchtesFeld = GanzGeld(w.N); break;
    default: break;
  }
  const long double eingezahlt = w.A + s.summeRaten;
  if (ein.zinseszinsIndex == 0) {
    erg.endkapital = Geld(s.K) + " €";
    long double I = s.K - eingezahlt;
    if (std::fabs(I) < 0.06L) I = 0;
    erg.zinsen = Geld(I) + " €";
    erg.gesamt.clear();
  } else {
    erg.endkapital = Geld(eingezahlt) + " €";
    long double P = s.P;
    if (std::fabs(P) < 0.06L) P = 0;
    erg.zinsen = Geld(P) + " €";
    erg.gesamt = "Gesamt: " + Geld(eingezahlt + P) + " €";
  }
  erg.alleSparraten = "Alle Sparraten: " + Geld(s.summeRaten) + " €  " +
                      std::to_string(s.anzahlRaten) + "x Sparrate";
  return erg;
}

}  // namespace finanz
