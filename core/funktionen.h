#pragma once
// The function, power and factorial passes that FunktionenAufloesen repeats, and the value
// routines behind them. Angles are in degrees unless Fenster().RadModus(); the mode is read
// on every call.
#include <cstdint>
#include <string>
#include <string_view>

namespace kolvex {

inline constexpr long double Pi = 3.14159265358979323846264338327950288L;
inline constexpr long double GradProRad = 180.0L / Pi;
inline constexpr long double UeberlaufGrenze = 1e255L;
// In silent mode a tangent beyond this counts as a pole.
inline constexpr long double TangensGrenze = 999999999.0L;
inline constexpr long double GanzzahlToleranz = 1e-18L;

// Each pass splices "(" + value + ")" where its operands are plain numbers, and returns an
// empty text after a fault (FehlerCode -1).
// Function calls; on a fault the caret of ed1 goes two characters before the name's last
// letter.
std::string FunktionenAuswerten(std::string text);
// Powers, one link of a chain per pass (2^3^2 is (2^3)^2). Clears FehlerFlag first;
// |value| > 1e255 is a fault without message.
std::string PotenzAuswerten(std::string text);
// Factorials; any factorial beyond 146 makes the whole pass fail.
std::string FakultaetAuswerten(std::string text);

// The named function at x as number text, or "Error" with FehlerFlag and FehlerCode -1.
// Throws Laufzeitfehler where the value cannot exist at all (SINH, COSH, ASINH, ATANH
// beyond the extended range or outside the domain, a degree argument too large to reduce).
void FunktionWert(std::string_view name, std::string& wert, long double x);

// The same without the text: true with the value, false (FehlerFlag, FehlerCode -1) where
// FunktionWert gives "Error". Throws as FunktionWert.
bool FunktionWertZahl(std::string_view name, long double x, long double& wert);

// b^e: 0 for b = 0 (0^0 too; a negative exponent of 0 sets FehlerCode -1), 1 for e = 0,
// square-and-multiply for integral |e| <= 2147483647, exp(e ln b) for b > 0; otherwise, and on
// overflow, FehlerCode -1 and 0.
long double Potenz(long double basis, long double exponent);
// Square-and-multiply; throws Laufzeitfehler on overflow (also of 1 / an underflowed value).
long double GanzePotenz(int32_t exponent, long double basis);
// The fractional part of |wert| + toleranz is below 2 * toleranz.
bool IstGanzzahlig(long double wert, long double toleranz);
// n!; clears FehlerFlag, raises it beyond 1e255 (147! and above). n <= 0 gives 1.
long double Fakultaet(int32_t n);
// Rounds to the nearest integer (halves to even) and clamps to the 32-bit range, so a huge
// operand stays huge instead of wrapping around.
int32_t GanzzahlBegrenzt(long double wert);

// 0: the tangent is exactly 0; 90: a pole; -1: ordinary. Degrees compare exactly, radians
// within FastGleich.
int SonderWinkel(long double x);
// |a| and |b| differ by less than 1e-14 (degrees) or 1e-12 (radians).
bool FastGleich(long double a, long double b);
// "Falsche Wert in " + label as a warning with an OK button.
void FalscherWertMeldung(std::string_view label);

}  // namespace kolvex
