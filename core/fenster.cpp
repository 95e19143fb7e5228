#include "core/fenster.h"

namespace kolvex {
namespace {
KernFenster ruhigesFenster;
KernFenster* aktuellesFenster = &ruhigesFenster;
}  // namespace

void KernFensterSetzen(KernFenster* fenster) {
  aktuellesFenster = fenster ? fenster : &ruhigesFenster;
}

KernFenster& Fenster() { return *aktuellesFenster; }

}  // namespace kolvex
