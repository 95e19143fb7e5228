#include "calculator/fenster_erzeugen.h"

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

namespace {
template <typename T>
void Erzeugen(T*& global) {
  global = new T();
  global->FormCreate();
}

template <typename T>
void Zerstoeren(T*& global) {
  T* fenster = global;
  global = nullptr;
  delete fenster;
}
}  // namespace

void FensterErzeugen() {
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
}
