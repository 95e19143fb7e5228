#pragma once
// The program's shared state. The core's own globals come first; the settings variables
// that the main settings file loads and writes follow, because the core, both graphs and
// several windows read them. Texts of formulas are core text (Latin-1 bytes, 0xB6 = pi);
// paths and file names are UTF-8.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kolvex {

// ---- Evaluation status -------------------------------------------------------------------
extern int32_t FehlerCode;   // 0 = sound so far, -1 = failed
extern bool FehlerFlag;      // raised by the step that met the current fault
extern bool StillModus;      // no message boxes (set while plotting)

// ---- Program folder and files ------------------------------------------------------------
extern std::string ProgrammPfad;    // working directory at start-up + "/"
extern std::string UmrechnungPfad;  // ProgrammPfad + "Umrechnung/"
extern std::string DiagrammPfad;    // folder of the last picture saved or opened
extern std::string DatenPfad;       // folder of the last XY data file
extern std::string FormelDatei;     // formula file name (default "formel.txt")
extern std::string WerteDatei;      // values file name (default "variable.txt")

// ---- Results -----------------------------------------------------------------------------
extern int32_t Genauigkeit;        // decimals of shown results 0..15 (default 4)
extern long double LetztesErgebnis;
extern uint8_t ErsteAktivierung;   // 1 until the main window's first activation ends
extern std::string RueckgaengigText;  // entry text at the first activation (keypad undo)

// ---- Number display ----------------------------------------------------------------------
extern bool TrennPunkt;              // thousands grouping on
extern char TrennZeichen;            // grouping character in use (' ', '.', '-')
extern char TrennZeichenGeladen;     // grouping character read from the settings file
extern bool ExponentAnzeige;         // results in shortest form with exponent

// ---- Settings dialog ---------------------------------------------------------------------
extern char GrafikVariable;          // variable of the function graph, ' ' = none
extern bool ErgebnisseSpeichern;     // append results to "result.txt"
extern bool ErgebnisseErsetzen;      // log the formula with its variables replaced
extern bool MinimiertStarten;
extern bool XYDatenKanalAuswahl;     // measurement files go through the channel choice
extern bool PunkteVerbinden;
extern bool PunkteFarbe;
extern bool PunktLinie;
extern int32_t PunktGroesse;

// ---- Function graph range and window geometry --------------------------------------------
extern long double GrafikAb;
extern long double GrafikBis;
extern int32_t GrafikAnzahl;
extern int32_t GrafikLeft, GrafikTop, GrafikWidth, GrafikHeight;
extern int32_t FormelLeft, FormelTop, FormelWidth, FormelHeight;
extern int32_t FormelSpalteBreite1, FormelSpalteBreite2;
extern int32_t FormelZeile;

// ---- Main window panel colours (framework colour values, red in the low byte) ------------
extern int32_t FarbeOben, FarbeFunktionen, FarbeZahlen;

// ---- Curve styles, indexed 1..20 (index 0 unused) ----------------------------------------
extern std::array<int32_t, 21> GrafikFarben;
extern std::array<std::string, 21> PunktArten;   // at most 12 characters
extern std::array<std::string, 21> LinienArten;  // at most 10 characters
extern std::array<std::string, 21> Staerken;     // at most 2 characters

// ---- Unit conversion ---------------------------------------------------------------------
extern int32_t EinheitenKategorie;
extern int32_t EinheitenZeile;
extern bool EinheitenErsteAnzeige;

// ---- Data graph and import state ---------------------------------------------------------
extern int32_t DatenFilterIndex;
extern int32_t AnsatzIndex;
extern std::string KanalX, KanalY;
extern std::string SkalXMin, SkalXMax, SkalYMin, SkalYMax;
extern std::string LogoDatei;
extern std::string TitelText1, TitelText2, TitelText3;
extern std::string LeseIntervall;
extern std::string KanalWahlMaske;
extern int32_t KurvenNummer;
extern int32_t FarbNummer;
extern std::array<int32_t, 21> KurvenPunkte;
extern std::array<double, 21> KurveMaxX;
extern std::array<double, 21> KurveMaxXY;
// The table row (1-based) each point of a curve came from, per curve 1..20.
extern std::array<std::vector<int32_t>, 21> KurvenZeilen;
extern bool TermFehlerGemeldet;

// ---- The last curve fit (core/approxim.h) ------------------------------------------------
// Points of the curve being fitted, 1..n used (index 0 unused), reallocated by each fit.
extern std::vector<long double> XWerte;
extern std::vector<long double> YWerte;
// Coefficients a1..a10 at 1..10 (index 0 unused), fitted or typed.
extern std::vector<double> Koeff;
// The 1000 samples of the fitted curve; only valid samples are written, failed ones and a
// failed fit leave what was there.
extern std::array<double, 1000> KurveX;
extern std::array<double, 1000> KurveY;

}  // namespace kolvex
