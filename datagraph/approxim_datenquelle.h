#pragma once
// What the model list (TfrApproxim) and the model builder (TfrApproxim_Auswahl) need from
// the data graph window: its curves and its drawing of fitted curves. The data graph
// implements this and installs it once at start-up:
//
//   frApproxim->Datenquelle = &meineDatenquelle;   // null again before it goes away
//
// Without one there are no curves (fits see no points) and redraw requests do nothing.
//
// The fitting itself stays with the model list: for every curve it draws, the data graph
// calls frApproxim->ApproximationBerechnen(s), which returns the coefficients and the 1000
// samples with their validity (core/approxim.h), and fills the fit globals. The model in
// force for its fit cache is frApproxim->ModellText(), and frApproxim_Auswahl->Tag == 1
// means that the coefficients typed in the builder's grid are used instead of a fit.
#include <QString>
#include <vector>

class ApproximDatenquelle {
 public:
  virtual ~ApproximDatenquelle() = default;

  // Number of curves (the entries of the data graph's ListBox1).
  virtual int KurvenAnzahl() const = 0;
  // The label of curve s (1-based), the ListBox1 entry; "" when there is no such curve.
  virtual QString KurvenBeschriftung(int s) const = 0;
  // The points of curve s (1-based, series s - 1 of Chart1) in the series' own point order
  // (the order they were added in, never sorted by X); empty when there is no such curve.
  virtual void KurvenWerte(int s, std::vector<double>& x, std::vector<double>& y) const = 0;

  // TfrGrafikApprox.ApproximationZeichnen: the fitted curves of all curves are drawn anew
  // (or, with fitting off, the chart is only refreshed). Called after every change of the
  // model in force. The data graph clears TermFehlerGemeldet, refits what its cache holds
  // stale and shows the pass's one message after the pass (FitErgebnis::meldung and the
  // curves whose fit failed, TfrApproxim::FitFehlerText).
  virtual void ApproximationZeichnen() = 0;
  // TfrGrafikApprox.ApproximationZeichnenKurve(s): only curve s's fitted curve, at once.
  // The builder calls it while its Tag is 1, with typed coefficients it has checked; the
  // data graph calls frApproxim->ApproximationBerechnen(s) during this call and, when the
  // result is not ok, shows why as a warning naming the curve (TfrApproxim::FitFehlerText).
  virtual void ApproximationZeichnenKurve(int s) = 0;
};
