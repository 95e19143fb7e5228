#pragma once
// The channel table of the current measurement header: one set for the whole program,
// overwritten by every header parse and read by the data readers, the table builder, the
// channel choice and the data graph. Pure C++ (no Qt), so that parsers and readers can be
// fuzzed alone. Texts are UTF-8; channels are numbered 1..40 (index 0 unused).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

inline constexpr int MaxKanaele = 40;
// "decreasing" monotony: an implicit channel, which has no values of its own in the data file.
inline constexpr const char* Implizit = "decreasing";

extern int32_t KanalAnzahl;                     // 0..40
extern std::array<std::string, 41> KanalName;   // at most 255 characters each
extern std::array<std::string, 41> KanalBeschreibung;
extern std::array<std::string, 41> KanalMonotonie;
// Value count of channel k at index k, as the header declares it; grows as needed (a missing
// entry counts 0). 64 bits: a header may promise more values than 32 bits hold, and the
// messages name the count the file declares. Nothing is allocated for it.
extern std::vector<int64_t> KanalWerteAnzahl;
// Start value of the j-th implicit channel (0-based here), in channel order.
extern std::vector<std::string> StartWerte;
extern bool BlockFormat;   // the ".DAT" header declares the BLOCK layout
extern int64_t TDMZeilen;  // row count of a ".TDM" measurement
// The values the all-channel readers collected, in file order; NaN is an empty cell.
extern std::vector<double> Messwerte;

int64_t WerteAnzahl(int kanal);  // 0 for a channel without a count
void WerteAnzahlSetzen(int kanal, int64_t anzahl);
// A count text of the header as a whole number (rounded; not a number reads 0), held at the
// limits of 64 bits.
int64_t AnzahlAusText(std::string_view text);
// a + b and a * b of counts (not negative), held at the largest 64-bit number: counts that
// no file can hold.
int64_t AnzahlSumme(int64_t a, int64_t b);
int64_t AnzahlProdukt(int64_t a, int64_t b);
bool IstImplizit(int kanal);
// The number of implicit channels among 1..bisKanal.
int ImpliziteBis(int bisKanal);

}  // namespace kolvex
