#pragma once
// A data graph stand-in for the model list and model builder tests: curves as plain point
// lists, redraw requests counted, and the one-curve drawing doing what the data graph does
// (fit through the model list while the builder's Tag is read, warning on failure).
#include <QString>
#include <QStringList>
#include <ostream>
#include <utility>
#include <vector>

#include "core/approxim.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "datagraph/approxim_datenquelle.h"
#include "platform/message_dialog.h"

// Readable QString values in failure reports.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

struct FakeKurve {
  QString name;
  std::vector<double> x, y;
};

class FakeDatenquelle : public ApproximDatenquelle {
 public:
  std::vector<FakeKurve> kurven;
  int alleGezeichnet = 0;
  std::vector<int> einzelnGezeichnet;     // curve numbers
  std::vector<int> tagBeimZeichnen;       // the builder's Tag during each one-curve drawing
  std::vector<kolvex::FitErgebnis> einzelErgebnisse;

  void Kurve(const QString& name, std::vector<std::pair<double, double>> punkte) {
    FakeKurve k;
    k.name = name;
    for (auto [x, y] : punkte) {
      k.x.push_back(x);
      k.y.push_back(y);
    }
    kurven.push_back(std::move(k));
  }

  int KurvenAnzahl() const override { return static_cast<int>(kurven.size()); }
  QString KurvenBeschriftung(int s) const override {
    return s >= 1 && s <= KurvenAnzahl() ? kurven[static_cast<size_t>(s - 1)].name : QString();
  }
  void KurvenWerte(int s, std::vector<double>& x, std::vector<double>& y) const override {
    x.clear();
    y.clear();
    if (s < 1 || s > KurvenAnzahl()) return;
    x = kurven[static_cast<size_t>(s - 1)].x;
    y = kurven[static_cast<size_t>(s - 1)].y;
  }
  void ApproximationZeichnen() override { ++alleGezeichnet; }
  void ApproximationZeichnenKurve(int s) override {
    einzelnGezeichnet.push_back(s);
    tagBeimZeichnen.push_back(frApproxim_Auswahl ? frApproxim_Auswahl->Tag : -1);
    QString fehler;
    einzelErgebnisse.push_back(frApproxim->ApproximationBerechnen(s, &fehler));
    if (!einzelErgebnisse.back().ok && !fehler.isEmpty()) showMessage(fehler, MessageKind::Warning);
  }
};
