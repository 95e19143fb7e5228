// Data graph window: the fitted curves. Each curve's fit is cached with the key it was made
// with (the curve's points, the model in force, the typed coefficients in use); a redraw
// fits only what is stale, and the chart's overlay paints the cached samples on every
// paint, so neither a repaint nor a mere redraw of the window runs a fit.
#include <QCheckBox>
#include <QListWidget>
#include <QStringList>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "core/approxim.h"
#include "core/globals.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "platform/bgr_color.h"
#include "platform/einstell_bausteine.h"
#include "platform/esc_watcher.h"
#include "platform/message_dialog.h"
#include "platform/text_convert.h"
#include "platform/wait_cursor.h"

namespace {

// The highest sample is sought from here, as the classic drawing did: a curve entirely
// below it never raises the axis.
constexpr double kHoechsterStart = -999999;

// A fit that worked but whose curve has no sample with a finite value: nothing to draw.
const QString kKeinGueltigerWert =
    QStringLiteral("Die Modellkurve hat an keiner Stelle einen gültigen Wert.");

// One box for what a pass or a drawing has to say: the fit's term message (core text) and
// the failed curves, each on its own lines.
void MeldungZeigen(const std::string& meldung, const QString& fehler) {
  QStringList texte;
  if (!meldung.empty()) texte << fromCore(meldung);
  if (!fehler.isEmpty()) texte << fehler;
  if (!texte.isEmpty()) showMessage(texte.join(QLatin1Char('\r')), MessageKind::Warning);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The curves as the model list sees them

int TfrGrafikApprox::KurvenAnzahl() const { return Kurven(); }

QString TfrGrafikApprox::KurvenBeschriftung(int s) const {
  return s >= 1 && s <= Kurven() ? ListBox1->item(s - 1)->text() : QString();
}

void TfrGrafikApprox::KurvenWerte(int s, std::vector<double>& x, std::vector<double>& y) const {
  x.clear();
  y.clear();
  if (s < 1 || s > Kurven() || s > 20) return;
  const ChartSeries* serie = Serien[static_cast<size_t>(s - 1)];
  x = serie->xValues();
  y = serie->yValues();
}

// ---------------------------------------------------------------------------------------------
// Fit cache

TfrGrafikApprox::Ausgleich& TfrGrafikApprox::AusgleichVon(int s) {
  if (ausgleich_.size() != 20) ausgleich_.resize(20);
  return ausgleich_[static_cast<size_t>(std::clamp(s, 1, 20) - 1)];
}

bool TfrGrafikApprox::AusgleichSchluesselVon(int s, AusgleichSchluessel& k, QString* fehler) const {
  k = AusgleichSchluessel();
  k.punkte = Serien[static_cast<size_t>(s - 1)]->pointsRevision();
  k.modell = frApproxim ? frApproxim->ModellText() : QString();
  k.getippt = frApproxim_Auswahl && frApproxim_Auswahl->Tag == 1;
  if (k.getippt) return frApproxim_Auswahl->GetippteKoeffizienten(k.koeff, fehler);
  return true;
}

bool TfrGrafikApprox::AusgleichBerechnen(int s, const AusgleichSchluessel& k, bool fehlerCachen,
                                         QString* grund, std::string* meldung) {
  if (!frApproxim) return false;
  kolvex::FitErgebnis e;
  QString warum;
  try {
    e = frApproxim->ApproximationBerechnen(s);
    if (!e.ok) warum = TfrApproxim::FitFehlerGrund(e);
  } catch (const std::bad_alloc&) {
    e = kolvex::FitErgebnis();
    warum = QStringLiteral("Speicherplatz Fehler");
  }
  if (meldung && meldung->empty()) *meldung = e.meldung;
  if (!e.ok && !fehlerCachen) {
    if (grund) *grund = warum;
    return false;
  }
  Ausgleich& a = AusgleichVon(s);
  a.belegt = true;
  a.schluessel = k;
  a.ok = false;
  a.linie.clear();
  a.hoechster = kHoechsterStart;
  if (e.ok) {
    a.linie.reserve(kolvex::KurvenPunkteAnzahl);
    for (size_t i = 0; i < static_cast<size_t>(kolvex::KurvenPunkteAnzahl); ++i) {
      if (!e.gueltig[i]) continue;  // a failed sample is neither drawn nor the highest
      a.linie.append(QPointF(e.kurveX[i], e.kurveY[i]));
      a.hoechster = std::max(a.hoechster, e.kurveY[i]);
    }
    a.ok = !a.linie.isEmpty();
    if (!a.ok) warum = kKeinGueltigerWert;
  }
  if (!a.ok && grund) *grund = warum;
  return a.ok;
}

void TfrGrafikApprox::AusgleichLinienSetzen() {
  const int groesse = frEinstellung_Grafik ? frEinstellung_Grafik->UpD_PktG->value() : 0;
  const int halb = static_cast<int>(std::nearbyint(groesse / 2.0));
  std::vector<ChartOverlayLine> linien;
  for (int s = 1; s <= 20; ++s) {
    const Ausgleich& a = AusgleichVon(s);
    if (!a.gezeigt || !a.ok) continue;
    ChartOverlayLine l;
    l.points = a.linie;
    l.skipOutside = true;
    l.shift = QPoint(halb, halb);
    const QColor farbe = s - 1 < lbFarben->count() ? FarbeAusHex(lbFarben->item(s - 1)->text())
                                                   : QColor(Qt::black);
    const int breite = frEinstellung_Grafik ? frEinstellung_Grafik->Linienbreite(s) : 1;
    const Qt::PenStyle stil = frEinstellung_Grafik ? frEinstellung_Grafik->Linienstil(s) : Qt::SolidLine;
    l.pen = QPen(farbe, breite, stil);
    linien.push_back(std::move(l));
  }
  Chart1->setOverlayLines(std::move(linien));
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TfrGrafikApprox::ApproximationZeichnen() {
  if (OpenDialog1.FileName.isEmpty()) return;
  kolvex::TermFehlerGemeldet = false;
  if (!tbInterpolation->isChecked()) {
    for (Ausgleich& a : ausgleich_) a.gezeigt = false;
    Chart1->setOverlayLines({});
    LinienNachEinstellung();
    Chart1->refresh();
    KurvenBeschriften();
    return;
  }
  if (frEinstellung_Grafik) frEinstellung_Grafik->LinienZeigen(false);

  // Which curves are stale is known before any work: a pass with every fit cached costs
  // neither the hourglass nor the ESC watch.
  std::array<AusgleichSchluessel, 20> schluessel;
  std::array<bool, 20> frisch{};
  std::vector<int> veraltet;
  for (int s = 1; s <= 20; ++s) {
    Ausgleich& a = AusgleichVon(s);
    a.gezeigt = false;
    const ChartSeries* serie = Serien[static_cast<size_t>(s - 1)];
    if (serie->count() == 0 || !serie->active()) continue;
    if (!AusgleichSchluesselVon(s, schluessel[static_cast<size_t>(s - 1)], nullptr)) continue;
    if (a.belegt && a.schluessel == schluessel[static_cast<size_t>(s - 1)])
      frisch[static_cast<size_t>(s - 1)] = true;
    else
      veraltet.push_back(s);
  }

  // A fit that fails here is told once, after the pass; cached, it is not fitted again and
  // so not told again by a mere redraw (a resize, the grid, a repaint).
  std::string meldung;
  std::vector<TfrApproxim::FitFehlschlag> fehlschlaege;
  if (!veraltet.empty()) {
    WaitCursor sanduhr(Chart1);
    EscWatcher::Operation esc;
    for (int s : veraltet) {
      QString grund;
      if (!AusgleichBerechnen(s, schluessel[static_cast<size_t>(s - 1)], true, &grund, &meldung) &&
          !grund.isEmpty())
        fehlschlaege.push_back({KurvenBeschriftung(s), grund});
      frisch[static_cast<size_t>(s - 1)] = true;
      // ESC ends the fitting; the curves fitted so far are drawn, the rest next time.
      if (EscWatcher::pressed()) break;
    }
  }

  double hoechster = kHoechsterStart;
  bool gezeigt = false;
  for (int s = 1; s <= 20; ++s) {
    Ausgleich& a = AusgleichVon(s);
    if (!frisch[static_cast<size_t>(s - 1)] || !a.ok) continue;
    a.gezeigt = true;
    gezeigt = true;
    hoechster = std::max(hoechster, a.hoechster);
  }
  // The fitted curves stay in view: the left axis grows to the highest sample, never shrinks.
  if (gezeigt) {
    const double min = Chart1->minimum(ChartAxis::Left);
    const double max = Chart1->maximum(ChartAxis::Left);
    if (hoechster > max && hoechster > min) Chart1->setMinMax(ChartAxis::Left, min, hoechster);
  }
  AusgleichLinienSetzen();
  Chart1->refresh();
  KurvenBeschriften();
  MeldungZeigen(meldung, TfrApproxim::FitFehlerText(fehlschlaege));
}

void TfrGrafikApprox::ApproximationZeichnenKurve(int n) {
  if (n < 1 || n > 20) return;
  if (frEinstellung_Grafik) frEinstellung_Grafik->LinienZeigen(false);
  const ChartSeries* serie = Serien[static_cast<size_t>(n - 1)];
  if (serie->count() > 0 && serie->active()) {
    QString fehler;
    std::string meldung;
    AusgleichSchluessel k;
    bool ok = AusgleichSchluesselVon(n, k, &fehler);
    if (ok) {
      const Ausgleich& a = AusgleichVon(n);
      // A failure cached by a pass is fitted again here, to tell the user why.
      QString grund;
      ok = (a.belegt && a.schluessel == k && a.ok) || AusgleichBerechnen(n, k, false, &grund, &meldung);
      if (!ok && !grund.isEmpty()) fehler = TfrApproxim::FitFehlerText({{KurvenBeschriftung(n), grund}});
    }
    if (ok) AusgleichVon(n).gezeigt = true;
    MeldungZeigen(meldung, fehler);
  }
  AusgleichLinienSetzen();
  Chart1->refresh();
  KurvenBeschriften();
}

// ---------------------------------------------------------------------------------------------
// The fitting switch

void TfrGrafikApprox::tbInterpolationMausDruck(Qt::MouseButton knopf) {
  if (knopf == Qt::RightButton || knopf == Qt::MiddleButton) {
    tbInterpolation->setChecked(true);
    ApproximationZeichnen();
    if (ModellListeTestHook) {
      ModellListeTestHook();
    } else if (frApproxim) {
      frApproxim->Tag = 1;
      frApproxim->ShowModal();
    }
  } else {
    tbInterpolation->setChecked(!tbInterpolation->isChecked());
  }
  ApproximationZeichnen();
}
