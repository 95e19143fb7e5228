#pragma once
// Tool-bar pictures of the settings dialog, the formula list and the about box, painted in
// code so that no picture files ship.
#include <QIcon>

namespace DialogSymbol {

QIcon ImVordergrund();  // window on top of the others
QIcon Minimiert();      // start minimised
QIcon FormelDatei();    // choose the formula file
QIcon WerteDatei();     // choose the values file
QIcon Einfuegen();      // insert a formula
QIcon Loeschen();       // delete a formula
QIcon Speichern();      // save
QIcon Berechnen();      // calculate
QIcon Schliessen();     // close the window
QIcon Programm();       // the program's own picture

}  // namespace DialogSymbol
