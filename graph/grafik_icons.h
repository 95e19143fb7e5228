#pragma once
// Tool-bar symbols of the graph windows, painted in code so that no picture files ship.
#include <QIcon>

namespace GrafikSymbol {

enum class Symbol { Plus, Formel, Skalierung, Automatisch, Runden, Gitter, Legende, Logarithmisch,
                    LoeschenLetzte, LoeschenAlles, Drucken, Einstellung, Vorne, Speichern,
                    Schliessen, Neuzeichnen, Approximation, SkalierungSpeichern, Titel, Bild };

QIcon icon(Symbol symbol);

}  // namespace GrafikSymbol
