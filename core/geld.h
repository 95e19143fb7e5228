#pragma once
// Money text of the savings and loan calculators: "12.345,67". Kept apart from ZahlZuText,
// which rounds halves to even on the binary value; money text rounds the decimal digits, so
// the two differ at exact decimal ties (0,125 is "0,13" here).
#include <string>
#include <string_view>

namespace kolvex {

// Dots dropped (thousands separators), the comma read as the decimal point, of the rest only
// digits, "-" and the first point kept; then the strict parser. Anything that is not a
// number (also the not-a-number sentinel) gives 0. "26.315,30 €" gives 26315.3.
double GeldTextZuZahl(std::string_view text);

// Fixed-point text with thousands dots and `nachkomma` decimals (0..18) after a comma. The
// value is first written with 18 significant digits and that decimal text is then rounded
// to the decimals, halves away from zero. A value that rounds to zero has no minus sign.
// Infinite and NaN values give "INF", "-INF" and "NAN".
std::string ZahlZuGeldText(long double x, int nachkomma = 2);

}  // namespace kolvex
