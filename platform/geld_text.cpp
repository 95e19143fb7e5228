#include "platform/geld_text.h"

#include "core/geld.h"

double GeldTextZuZahl(const QString& text) { return kolvex::GeldTextZuZahl(text.toStdString()); }
