#pragma once
// Tool-bar pictures of the calculator's windows, painted in code so that no picture files
// ship.
#include <QIcon>
#include <functional>

class QColor;
class QPainter;
class QRectF;

namespace DialogSymbol {

// Paints a picture drawn on a raster x raster grid at single and double size, so that it
// stays sharp on high-density screens.
QIcon Zeichnen(const std::function<void(QPainter&)>& bild, int raster = 20);
// Centred text in the given colour, DejaVu Sans at the given pixel size.
void Text(QPainter& p, const QRectF& r, const QString& t, const QColor& farbe, int pixel,
          bool fett = true);

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
