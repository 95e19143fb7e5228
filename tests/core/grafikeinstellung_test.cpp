// The data graph's settings file read from its lines: how far a short or damaged file gets,
// the exact switch text, clamped positions and the optional last line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/grafikeinstellung.h"

using namespace kolvex;

namespace {

// Prefix + number, built by appending (g++ 12 warns falsely about "P" + std::to_string).
std::string Nummeriert(const char* vorne, int i) {
  std::string t(vorne);
  t += std::to_string(i);
  return t;
}

std::vector<std::string> VolleDatei() {
  std::vector<std::string> z(6);
  for (int i = 1; i <= 20; ++i) z.push_back(std::to_string(1000 + i));
  for (int i = 1; i <= 20; ++i) z.push_back(Nummeriert("P", i));
  for (int i = 1; i <= 20; ++i) z.push_back(Nummeriert("L", i));
  for (int i = 1; i <= 20; ++i) z.push_back(std::to_string(i % 10 + 1));
  z.insert(z.end(), {"TRUE", "FALSE", "TRUE", "5", "3", "", "/pfad/"});
  return z;
}

TEST(GrafikEinstellungLesen, VolleDateiGibtAllesInDateiReihenfolge) {
  const GrafikEinstellungDaten d = GrafikEinstellungLesen(VolleDatei());
  EXPECT_EQ(d.fehlerZeile, 0);
  EXPECT_EQ(d.gelesen, GrafikEinstellungDaten::kAlle);
  EXPECT_EQ(d.farben[1], 1001);
  EXPECT_EQ(d.farben[20], 1020);
  EXPECT_EQ(d.texte[1], "P1");
  EXPECT_EQ(d.texte[21], "L1");
  EXPECT_EQ(d.texte[60], "1");
  EXPECT_EQ(d.schalter, (std::array<bool, 3>{true, false, true}));
  EXPECT_EQ(d.punktGroesse, 5);
  EXPECT_EQ(d.increment, 3);
  ASSERT_TRUE(d.diagrammPfad.has_value());
  EXPECT_EQ(*d.diagrammPfad, "/pfad/");
}

TEST(GrafikEinstellungLesen, OhneZeile93BleibtDerPfadOffenUndOhne92Auch) {
  auto z = VolleDatei();
  z.pop_back();
  EXPECT_FALSE(GrafikEinstellungLesen(z).diagrammPfad.has_value());
  z.pop_back();
  const auto d = GrafikEinstellungLesen(z);
  EXPECT_FALSE(d.diagrammPfad.has_value());
  EXPECT_EQ(d.gelesen, GrafikEinstellungDaten::kAlle);
  EXPECT_EQ(d.fehlerZeile, 0);
  z.pop_back();  // without the increment: a fault at line 91
  const auto k = GrafikEinstellungLesen(z);
  EXPECT_EQ(k.fehlerZeile, 91);
  EXPECT_TRUE(k.fehlt);
  EXPECT_EQ(k.gelesen, GrafikEinstellungDaten::kAlle - 1);
}

TEST(GrafikEinstellungLesen, FehlerHaltenAnUndNennenDieZeile) {
  auto z = VolleDatei();
  z[8] = "12 34";
  auto d = GrafikEinstellungLesen(z);
  EXPECT_EQ(d.fehlerZeile, 9);
  EXPECT_FALSE(d.fehlt);
  EXPECT_EQ(d.fehlerText, "12 34");
  EXPECT_EQ(d.gelesen, 2);
  EXPECT_EQ(d.farben[2], 1002);
  EXPECT_EQ(d.farben[3], 0);

  d = GrafikEinstellungLesen({"", "", ""});
  EXPECT_EQ(d.fehlerZeile, 4);
  EXPECT_TRUE(d.fehlt);
  EXPECT_EQ(d.gelesen, 0);
}

TEST(GrafikEinstellungLesen, SchalterNurBeiGenauTRUEPositionenBegrenzt) {
  auto z = VolleDatei();
  z[86] = "true";
  z[87] = "TRUE ";
  z[89] = "-7";
  z[90] = "2147483647";
  const auto d = GrafikEinstellungLesen(z);
  EXPECT_FALSE(d.schalter[0]);
  EXPECT_FALSE(d.schalter[1]);
  EXPECT_EQ(d.punktGroesse, 0);
  EXPECT_EQ(d.increment, 10);
}

TEST(GanzzahlAusZeile, VorzeichenLeerzeichenUndZweiunddreissigBit) {
  int32_t v = 99;
  EXPECT_TRUE(GanzzahlAusZeile(" -16777201 ", v));
  EXPECT_EQ(v, -16777201);
  EXPECT_TRUE(GanzzahlAusZeile("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_TRUE(GanzzahlAusZeile("+7", v));
  EXPECT_EQ(v, 7);
  v = 99;
  for (const char* t : {"", " ", "-", "2147483648", "99999999999999999999", "1,5", "0x10", "$FF", "1e3", "1 2"})
    EXPECT_FALSE(GanzzahlAusZeile(t, v)) << t;
  EXPECT_EQ(v, 99);
}

}  // namespace
