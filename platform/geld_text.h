#pragma once
// The core's money text (core/geld.h) on screen text.
#include <QString>

// Dots dropped, the comma read as the decimal point, other characters ignored; 0 for a text
// that is not a number ("26.315,30 €" gives 26315,3).
double GeldTextZuZahl(const QString& text);
