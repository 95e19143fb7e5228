#include "datagraph/einstellung_grafik.h"

TfrEinstellung_Grafik* frEinstellung_Grafik = nullptr;

TfrEinstellung_Grafik::TfrEinstellung_Grafik(QWidget* parent) : Form(parent) {
  setObjectName("frEinstellung_Grafik");
}
TfrEinstellung_Grafik::~TfrEinstellung_Grafik() = default;
void TfrEinstellung_Grafik::FormCreate() {}
void TfrEinstellung_Grafik::EinstellungLaden(const QString&) {}
void TfrEinstellung_Grafik::EinstellungSpeichern(const QString&) {}
void TfrEinstellung_Grafik::EinstellungUebernehmen() {}
void TfrEinstellung_Grafik::LinienZeigen(bool) {}
int TfrEinstellung_Grafik::Linienbreite(int) const { return 1; }
Qt::PenStyle TfrEinstellung_Grafik::Linienstil(int) const { return Qt::SolidLine; }
void TfrEinstellung_Grafik::FarbenZeigen() {}
void TfrEinstellung_Grafik::FarbeMerken(int) {}
