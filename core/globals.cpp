#include "core/globals.h"

namespace kolvex {

int32_t FehlerCode = 0;
bool FehlerFlag = false;
bool StillModus = false;

std::string ProgrammPfad;
std::string UmrechnungPfad;
std::string DiagrammPfad;
std::string DatenPfad;
std::string FormelDatei = "formel.txt";
std::string WerteDatei = "variable.txt";

int32_t Genauigkeit = 4;
long double LetztesErgebnis = 0.0L;
uint8_t ErsteAktivierung = 1;
std::string RueckgaengigText;

bool TrennPunkt = false;
char TrennZeichen = '.';
char TrennZeichenGeladen = '.';
bool ExponentAnzeige = false;

char GrafikVariable = 'x';
bool ErgebnisseSpeichern = true;
bool ErgebnisseErsetzen = true;
bool MinimiertStarten = false;
bool XYDatenKanalAuswahl = false;
bool PunkteVerbinden = true;
bool PunkteFarbe = true;
bool PunktLinie = true;
int32_t PunktGroesse = 3;

long double GrafikAb = -10.0L;
long double GrafikBis = 10.0L;
int32_t GrafikAnzahl = 100;
int32_t GrafikLeft = 0, GrafikTop = 0, GrafikWidth = 0, GrafikHeight = 0;
int32_t FormelLeft = 1, FormelTop = 0, FormelWidth = 212, FormelHeight = 579;
int32_t FormelSpalteBreite1 = 80, FormelSpalteBreite2 = 70;
int32_t FormelZeile = 0;

int32_t FarbeOben = 10941687, FarbeFunktionen = 13891817, FarbeZahlen = 15459522;

std::array<int32_t, 21> GrafikFarben = {0,       255,     16711680, 32768,   16776960, 16711935, 65280,
                                        128,     32896,   8388736,  8421376, 0,        0,        0,
                                        0,       0,       0,        0,       0,        0,        0};
std::array<std::string, 21> PunktArten;
std::array<std::string, 21> LinienArten;
std::array<std::string, 21> Staerken;

int32_t EinheitenKategorie = 0;
int32_t EinheitenZeile = 1;
bool EinheitenErsteAnzeige = true;

int32_t DatenFilterIndex = 0;
int32_t AnsatzIndex = 0;
std::string KanalX, KanalY;
std::string SkalXMin, SkalXMax, SkalYMin, SkalYMax;
std::string LogoDatei;
std::string TitelText1, TitelText2, TitelText3;
std::string LeseIntervall;
std::string KanalWahlMaske;
int32_t KurvenNummer = 0;
int32_t FarbNummer = 0;
std::array<int32_t, 21> KurvenPunkte{};
std::array<double, 21> KurveMaxX{};
std::array<double, 21> KurveMaxXY{};
std::array<std::vector<int32_t>, 21> KurvenZeilen{};
bool TermFehlerGemeldet = false;

std::vector<long double> XWerte(11, 0.0L);
std::vector<long double> YWerte(11, 0.0L);
std::vector<double> Koeff(11, 0.0);
std::array<double, 1000> KurveX{};
std::array<double, 1000> KurveY{};

}  // namespace kolvex
