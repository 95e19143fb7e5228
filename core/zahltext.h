#pragma once
// Number text: extended values to German text and back. Never uses the process locale.
#include <cstdint>
#include <string>
#include <string_view>

namespace kolvex {

// Marks a text that is not a number.
inline constexpr long double KeineZahl = -123456789.123456789L;

// The runtime's general float text: 15 significant digits, decimal comma, trailing zeros
// dropped, fixed form for 1e-4 <= |v| < 1e15, else mantissa + "E" + exponent ("1E20",
// "1,5E-5"). Negative zero prints "0".
std::string FloatText(long double v);

std::string ZahlZuText(int n, long double x);
std::string ExponentAufloesen(std::string_view text);
std::string TausenderTrennen(std::string_view text);
bool IstZahl(std::string_view text);
std::string KommaZuPunkt(std::string_view text);
std::string PunktZuKomma(std::string_view text);
int KommaPosition(std::string_view text);
int32_t TextZuGanzzahl(std::string_view text);
long double TextZuZahl(std::string_view text);
double AufZehntelRunden(double v);
double AbZehntelRunden(double v);

// Strict scanner behind the lenient routines: blanks dropped, "," or "." as decimal point,
// optional sign, digits, one point, optional exponent; no "inf", "nan" or hex. A value
// below the smallest normal long double reads as its subnormal (or 0 below half the
// smallest one). Returns false (and leaves value alone) when the text is not a number.
bool TextZuZahlStreng(std::string_view text, long double& value);

// The runtime's strict text-to-float in the German formats the program forces at start-up,
// as the main settings file's real lines are read: blanks around the text, an optional
// sign, digits with at most one decimal comma (at least one digit), an optional exponent
// ("E" or "e", optional sign, digits). A decimal point, a thousands dot or a blank inside is
// no number, nor is a value beyond the extended range; one below the smallest normal value
// reads as its subnormal (or 0). Returns false (and leaves value alone) for no number.
bool TextZuZahlDeutsch(std::string_view text, long double& value);

// The value that ZahlZuText(0, v) reads back as: v rounded to the 15 significant digits with
// which the evaluator carries every intermediate result. NaN where that text is no number
// (v infinite or NaN).
long double Gerundet15(long double v);
// Gerundet15 for many values in a row: asks once whether the processor's rounding allows the
// shortcut.
class Runden15 {
 public:
  Runden15();
  long double operator()(long double v) const;

 private:
  bool schnell_;
};

// FloatText and TextZuZahlStreng take shortcuts for the common values and hand everything
// else to the library's converters. These are the converters alone, kept callable so that
// tests can check the shortcuts against them value for value.
namespace intern {
std::string FloatTextReferenz(long double v);
bool TextZuZahlStrengReferenz(std::string_view text, long double& value);
}  // namespace intern

}  // namespace kolvex
