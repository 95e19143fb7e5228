#include "engines/units/einheiten_tabellen.h"

#include <cmath>
#include <numbers>

#include "core/zahltext.h"

namespace einheiten {
namespace {

constexpr TabellenZeile T(const char* titel) { return {titel, nullptr, 0.0}; }

constexpr TabellenZeile kLaenge[] = {
    {" mm ", " inches (Zoll)", 0.03937014},
    {" cm ", " inches", 0.39370147},
    {" m ", " feet", 3.280851},
    {" m ", " yards", 1.093616},
    {" m ", " fathoms", 0.546808},
    {" km ", " statute miles", 0.621372},
    {" km ", " nautical miles", 0.539614},
    {" km ", " admirality miles", 0.539037},
    {" deutsche Landmeile ", " km", 7.5},
    {" deutsche Seemeile ", " km", 1.852},
};

constexpr TabellenZeile kFlaeche[] = {
    {" mm² ", " square in (Zoll²)", 0.00155001},
    {" cm² ", " square in (Zoll²)", 0.15500635},
    {" m² ", " square feet (Fuß²)", 10.76398328},
    {" m² ", " square yards", 1.19599596},
    {" a ", " m²", 100},
    {" a ", " acres", 0.024711},
    {" ha ", " a", 100},
    {" ha ", " acres", 2.471063},
    {" km² ", " ha", 100},
    {" km² ", " square miles", 0.3861},
    {" geogr. Quadratmeile ", " km²", 55.06291},
    {" sq. inch ", " cm²", 6.451578},
    {" sq. foot ", " sq. inch", 144},
    {" sq. foot ", " cm²", 929.0272},
    {" sq. yard ", " sq. feet", 9},
    {" sq. yard ", " cm²", 8361.2448},
    {" acres ", " sq. poles", 160},
    {" acres ", " sq. yards", 4840},
    {" acres ", " a", 40.4684},
    {" acres ", " m²", 4046.8425},
    {" sq. mile ", " acres", 640},
    {" sq. mile ", " km²", 2.59},
    {" sq. poles ", " m²", 25.298676},
    {" circular inch ", " sq. inch", std::numbers::pi / 4},
    {" circular inch ", " cm²", 5.067057},
};

constexpr TabellenZeile kRaum[] = {
    {" cm³ ", " cubic inch (Zoll ³)", 0.061024},
    {" dm³ ", " cubic feet (Fuß ³)", 0.035315},
    {" dm³ ", " cubic inch", 61.024061},
    {" m³ ", " cubic yards", 1.307957},
    {" m³ ", " feet ³", 35.31485},
    {" m³ ", " register tons", 0.353148},
    {" l ", " imperial gallons", 0.220097},
    {" l ", " bushels", 0.027512},
    {" l ", " imperial quarters", 0.003439},
    {" hl ", " l", 100},
    {" hl ", " imperial quarters", 0.343901},
    {" cub. inch ", " cm³", 16.386979},
    {" cub. foot ", " cub. inch", 1728},
    {" cub. foot ", " dm³", 28.3167},
    {" cub. yard ", " cub. feet", 27},
    {" cub. yard ", " m³", 0.764551},
    {" reg. ton ", " cub. feet", 100},
    {" reg. ton ", " m³", 2.83167},
    {" imperial gallon ", " cubic inch", 277.26},
    {" imperial gallon ", " l", 4.543454},
    {" bushel ", " gallons", 8},
    {" bushel ", " l", 36.347632},
    {" imperial quarter ", " bushel", 8},
    {" imperial quarter ", " gallons", 64},
    {" imperial quarter ", " l", 290.781056},
    {" imperial quarter ", " hl", 2.907811},
};

// Two rows of the old table held factors that fit neither direction of their labels
// (1,599661 for km/h to mile/h, 0,68046 for lb/ft² to atm); they carry the factors their
// labels ask for.
constexpr TabellenZeile kFps[] = {
    T(" Länge"),
    {" ft ", " m", 0.3048},
    {" ft ", " yd", 1.0 / 3.0},
    {" ft ", " in", 12},
    T(" Fläche"),
    {" ft² ", " m²", 0.092903},
    {" ft² ", " in²", 144},
    T(" Volumen"),
    {" ft³ ", " m³", 0.0283169},
    {" ft³", " in³", 1728},
    {" ft³ ", " gal(UK)", 6.2282},
    {" gal(US) ", " gal(UK)", 0.83268},
    T(" Geschwindigkeit"),
    {" ft/s ", " m/s", 0.3048},
    {" knot ", " mile/h", 1.15767},
    {" knot ", " ft/s", 1.6877},
    {" km/h ", " mile/h", 0.621371},
    T(" Beschleunigung"),
    {" ft/s² ", " m/s²", 0.3048},
    T(" Masse"),
    {" lb ", " kg", 0.453592},
    {" slug ", " kg", 14.5939},
    {" slug ", " lb", 32.174},
    T(" Kraft"),
    {" lbf ", " N", 4.44822},
    {" pdl ", " N", 0.138255},
    {" pdl ", " lbf", 0.031081},
    T(" Arbeit"),
    {" ft lb ", " J", 1.35582},
    {" btu ", " kJ", 1.05506},
    {" ft lb ", " cal", 0.323832},
    {" btu ", " cal", 252},
    {" btu ", " ft lb", 778.21},
    T(" Druck"),
    {" lb/ft² ", " N/m²", 47.88},
    {" lb/in² ", " N/m²", 6894.76},
    {" atem ", " bar", 1.01325},
    {" lb/ft² ", " lb/in²", 0.0069444},
    {" lb/ft² ", " atm", 0.000472541},
    {" atm ", " in Hg", 29.92},
    {" atm ", " ft water", 33.9},
    T(" Dichte"),
    {" lb/ft³ ", " kg/m³", 16.0185},
    {" lb/gal ", " kg/m³", 99.7633},
    {" lb/ft³ ", " lb/in³", 0.000578704},
    {" lb/gal ", " lb/ft³", 6.2282},
    T(" Leistung"),
    {" ft lb/s ", " W", 1.35334},
    {" ft lb/s ", " hp", 0.0018148},
    {" HP (UK) ", " kW", 0.74547527},
    {" ft lb/s ", " btu/s", 0.00128182},
    T(" spez. Wärmekapazität"),
    {" btu/(lb deg F) ", " kJ/(kg K)", 4.1863},
    T(" Wärmeleitzahl"),
    {" btu/(ft h deg F) ", " W/(m K)", 1.7306},
    T(" spez. Wärmeübergangskoeffizient"),
    {" btu/(ft² h deg F) ", " W/(m² K)", 5.6778},
    T(" Viskosität"),
    {"Kinematisch ft²/s ", " m²/s", 0.092903},
    {"Dynamisch lb/(ft s) ", " kg/(m s)", 1.48816},
};

constexpr EingebauteTabelle kTabellen[] = {
    {"Längenmaße", kLaenge},
    {"Flächenmaße", kFlaeche},
    {"Raummaße", kRaum},
    {"Einheiten des fps- in das SI-System", kFps},
};

}  // namespace

std::span<const EingebauteTabelle> EingebauteTabellen() { return kTabellen; }

const EingebauteTabelle* EingebauteTabelleSuchen(std::string_view name) {
  for (const EingebauteTabelle& t : kTabellen)
    if (name == t.name) return &t;
  return nullptr;
}

std::string EingebauterFaktorText(double faktor, bool invers) {
  if (!invers) return kolvex::FloatText(faktor);
  if (faktor == 0 || !std::isfinite(faktor)) return {};
  const double kehrwert = static_cast<double>(1.0L / static_cast<long double>(faktor));
  return kolvex::FloatText(kehrwert);
}

}  // namespace einheiten
