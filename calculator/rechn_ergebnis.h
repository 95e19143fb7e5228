#pragma once
// The result field as a number, shared by the keypad and the tool bar.
#include <QString>

// The shown result without its grouping characters (a leading minus stays; the exponent
// form is never grouped), so that it reads back as the number it shows.
QString ErgebnisOhneTrennzeichen(const QString& gezeigt);
// The shown result is a number (grouping characters allowed).
bool ErgebnisIstZahl(const QString& gezeigt);
