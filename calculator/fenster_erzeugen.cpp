#include "calculator/fenster_erzeugen.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>
#include <type_traits>

#include "calculator/about.h"
#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/formel.h"
#include "calculator/kolvex.h"
#include "calculator/konstante.h"
#include "calculator/rechn.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "datagraph/diagramme.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "finance/spar_rechner.h"
#include "finance/tilg_rechner.h"
#include "graph/grafik.h"
#include "graph/skal.h"
#include "import/diadem.h"
#include "import/diadem_kauswahl.h"
#include "units/einheiten.h"
#include "units/einheiten_edit.h"
#include "core/globals.h"
#include "platform/line_edit.h"
#include "platform/text_combo.h"

namespace {

// The calculator's windows as the function graph sees them.
class GrafikAnschluss : public GrafikUmgebung {
 public:
  bool FormelPruefen(const QString& formel) override { return !frRechn || frRechn->FormelPruefen(formel); }
  void GrafikGeschlossen() override {
    if (frRechn) {
      frRechn->tbGrafik->setChecked(false);
      frRechn->tbEinheiten->setEnabled(!frRechn->tbCut->isChecked());
    }
    if (frEinstell) frEinstell->AnsichtAnpassen();
  }
  void FormelListeZeigen(bool an) override {
    Zeigen(frFormel, an, frRechn ? frRechn->tbFormel : nullptr);
  }
  void EinstellungZeigen(bool an) override {
    Zeigen(frEinstell, an, frRechn ? frRechn->tbEinstellung : nullptr);
  }
  KurvenStil Stil(int n) override {
    TfrEinstell* d = frEinstell;
    if (!d) return KurvenStil::Geladen(n);
    return {d->cbPunkt(n)->text(), d->cbLinie(n)->text(), d->cbStaerke(n)->text(), d->cbPkt_Farbe->isChecked(),
            d->cbPkt_Linie->isChecked(), d->cbPkt_Verbinden->isChecked(), d->UpD_PktG->value()};
  }
  bool ExponentAnzeige() override {
    return frEinstell ? frEinstell->cbExponentenzeichen->isChecked() : kolvex::ExponentAnzeige;
  }

 private:
  // Shows or closes the window; the main window's button for it follows.
  static void Zeigen(Form* fenster, bool an, QToolButton* knopf) {
    if (fenster) {
      if (an)
        fenster->show();
      else
        fenster->close();
    }
    if (knopf) knopf->setChecked(an);
  }
};

// The main window as the unit window sees it.
class EinheitenAnschluss : public EinheitenUmgebung {
 public:
  QWidget* Hauptfenster() override { return frRechn; }
  bool ErgebnisNeuBerechnen() override {
    if (!frRechn) return false;
    frRechn->edErgebnis->clear();
    const QString formel = frRechn->ed1->text();
    if (formel.isEmpty()) return false;
    frRechn->Berechnen(formel);
    return true;
  }
  void EinheitenGeschlossen() override {
    if (frRechn && frRechn->tbEinheiten) frRechn->tbEinheiten->setChecked(false);
  }
};

// The measurement import as the data graph sees it.
class MessdatenAnschluss : public MessdatenQuelle {
 public:
  void NeueDatei() override {
    if (frDiaDemKAuswahl) frDiaDemKAuswahl->Tag = 0;
  }
  bool KanaeleWaehlen() override { return !frDiaDemKAuswahl || frDiaDemKAuswahl->KanaeleWaehlen(); }
  void Laden(const QString& name) override {
    if (frDiaDem) frDiaDem->DiaDemDateiLaden(name);
  }
};

GrafikAnschluss grafikAnschluss;
EinheitenAnschluss einheitenAnschluss;
MessdatenAnschluss messdatenAnschluss;

// The calls the windows make of each other where the caller sits below the called.
void Verbinden() {
  frGrafik->Umgebung = &grafikAnschluss;
  // The graph's formula list and settings buttons mirror their windows.
  QObject::connect(frFormel, &Form::visibilityChanged, frGrafik->tbFormel, &QToolButton::setChecked);
  QObject::connect(frEinstell, &Form::visibilityChanged, frGrafik->tbEinstell, &QToolButton::setChecked);
  frEinheiten->Umgebung = &einheitenAnschluss;
  frGrafikApprox->Messdaten = &messdatenAnschluss;
}

template <typename T>
void Erzeugen(T*& global) {
  global = new T();
  global->FormCreate();
  // What the fields hold goes into files written a line per entry (settings, calculator
  // inputs, models): a pasted line break or TAB becomes a blank as it comes in.
  if constexpr (std::is_base_of_v<QWidget, T>) keepFieldsSingleLine(global);
}

template <typename T>
void Zerstoeren(T*& global) {
  T* fenster = global;
  global = nullptr;
  delete fenster;
}
}  // namespace

void FensterErzeugen() {
  EinstellungsdateiInstallieren();
  Erzeugen(frRechn);
  Erzeugen(frEinstell);
  Erzeugen(frKolvex);
  Erzeugen(frKonstante);
  Erzeugen(frFormel);
  Erzeugen(frAbout);
  Erzeugen(frGrafik);
  Erzeugen(frSkal);
  Erzeugen(frEinheiten);
  Erzeugen(frEinheiten_Edit);
  Erzeugen(frApproxim);
  Erzeugen(frApproxim_Auswahl);
  Erzeugen(frGrafikApprox);
  Erzeugen(frDiagramme);
  Erzeugen(frDiaDem);
  Erzeugen(frEinstellung_Grafik);
  Erzeugen(frDiaDemKAuswahl);
  Erzeugen(frSparRechner);
  Erzeugen(frTilgRechner);
  frEinstellung_Grafik->Zieldiagramm = frGrafikApprox->Chart1;
  Verbinden();
  KurvenFarbenWiederherstellen();
}

void FensterZerstoeren() {
  Zerstoeren(frTilgRechner);
  Zerstoeren(frSparRechner);
  Zerstoeren(frDiaDemKAuswahl);
  Zerstoeren(frEinstellung_Grafik);
  Zerstoeren(frDiaDem);
  Zerstoeren(frDiagramme);
  Zerstoeren(frGrafikApprox);
  Zerstoeren(frApproxim_Auswahl);
  Zerstoeren(frApproxim);
  Zerstoeren(frEinheiten_Edit);
  Zerstoeren(frEinheiten);
  Zerstoeren(frSkal);
  Zerstoeren(frGrafik);
  Zerstoeren(frAbout);
  Zerstoeren(frFormel);
  Zerstoeren(frKonstante);
  Zerstoeren(frKolvex);
  Zerstoeren(frEinstell);
  Zerstoeren(frRechn);
  EinstellungsdateiInstallieren(false);
}
