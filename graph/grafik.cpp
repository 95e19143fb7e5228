#include "graph/grafik.h"

#include <QLineEdit>

#include "platform/chart_view.h"

TfrGrafik* frGrafik = nullptr;

TfrGrafik::TfrGrafik(QWidget* parent) : Form(parent) { LayoutErzeugen(); }

TfrGrafik::~TfrGrafik() {
  if (frGrafik == this) frGrafik = nullptr;
}

void TfrGrafik::FormCreate() {}
void TfrGrafik::FormActivate() {}
void TfrGrafik::FormClose(bool&) {}
void TfrGrafik::FormelZeichnen(const QString&) {}
void TfrGrafik::KurveBerechnen(QChar, const QString&) {}
long double TfrGrafik::FormelWert(QChar, const QString&, long double) { return 0; }
std::string TfrGrafik::KonstantenErsetzen(const std::string& f) { return f; }
std::string TfrGrafik::VariableErsetzen(const std::string& f, char, long double) { return f; }
bool TfrGrafik::IstVariable(const std::string&, int, char) { return false; }
bool TfrGrafik::FormelVorhanden(const QString&) const { return false; }
void TfrGrafik::StilUebernehmen() {}
void TfrGrafik::WerteAnzeigen(long double, long double) {}
void TfrGrafik::AllesLoeschen() {}
long double TfrGrafik::GrenzeRunden(QChar, long double w) { return w; }
void TfrGrafik::LogPruefen() {}
void TfrGrafik::Drucken() {}
bool TfrGrafik::WerteSpeichern(const QString&) { return false; }
void TfrGrafik::tbRefreshClick() {}
void TfrGrafik::tbLoeschenClick() {}
void TfrGrafik::tbLoeschen_1Click() {}
void TfrGrafik::tbSkalierungClick() {}
void TfrGrafik::tbSkal_RundClick() {}
void TfrGrafik::tbAutom_SkalClick() {}
void TfrGrafik::tbGitterClick() {}
void TfrGrafik::tbLegendeClick() {}
void TfrGrafik::tbLog_LinClick() {}
void TfrGrafik::tbSpeichernClick() {}
void TfrGrafik::tbFormelClick() {}
void TfrGrafik::tbEinstellClick() {}
void TfrGrafik::tbFormStyleClick() {}
void TfrGrafik::tbPrintClick() {}
void TfrGrafik::tbPrintRechtsDruck() {}
void TfrGrafik::Chart1Klick(const QPoint&) {}
QString TfrGrafik::AbText() const { return edAb->text(); }
QString TfrGrafik::BisText() const { return edBis->text(); }
QString TfrGrafik::AnzahlText() const { return edAnzahl->text(); }
bool TfrGrafik::eventFilter(QObject* w, QEvent* e) { return Form::eventFilter(w, e); }
