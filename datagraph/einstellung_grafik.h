#pragma once
// The data graph's settings dialog: colour, point style, line style and width of its 20
// curves, point markers, point size and the left axis's label increment, kept in
// "EinstellungGr.txx" or a named "*.ttx" copy. Every change applies at once to the series
// Series1..Series20 of the chart set in Zieldiagramm (the data graph's Chart1).
#include <QString>

#include "platform/form.h"

class ChartView;

class TfrEinstellung_Grafik : public Form {
  Q_OBJECT

 public:
  explicit TfrEinstellung_Grafik(QWidget* parent = nullptr);
  ~TfrEinstellung_Grafik() override;

  void FormCreate() override;

  // The chart whose Series1..Series20 and left axis the settings apply to; null: nothing
  // is applied. Set once at start-up after the data graph exists.
  ChartView* Zieldiagramm = nullptr;

  void EinstellungLaden(const QString& name);
  void EinstellungSpeichern(const QString& name);
  void EinstellungUebernehmen();
  void LinienZeigen(bool zeigen);
  // Width from cbS<i> (1 when empty), pen style from cbL<i>; i = 1..20.
  int Linienbreite(int i) const;
  Qt::PenStyle Linienstil(int i) const;
  void FarbenZeigen();
  void FarbeMerken(int farbe);
};

extern TfrEinstellung_Grafik* frEinstellung_Grafik;
