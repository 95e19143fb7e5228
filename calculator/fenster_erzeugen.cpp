#include "calculator/fenster_erzeugen.h"

#include "calculator/about.h"
#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/formel.h"
#include "calculator/kolvex.h"
#include "calculator/konstante.h"
#include "calculator/rechn.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "graph/grafik.h"
#include "import/diadem.h"
#include "import/diadem_kauswahl.h"
#include "graph/skal.h"
#include "units/einheiten.h"

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
  Erzeugen(frGrafikApprox);
  Erzeugen(frDiaDem);
  Erzeugen(frEinstellung_Grafik);
  frEinstellung_Grafik->Zieldiagramm = frGrafikApprox->Chart1;
  Erzeugen(frDiaDemKAuswahl);
  KurvenFarbenWiederherstellen();
}

void FensterZerstoeren() {
  Zerstoeren(frDiaDemKAuswahl);
  Zerstoeren(frEinstellung_Grafik);
  Zerstoeren(frDiaDem);
  Zerstoeren(frGrafikApprox);
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
