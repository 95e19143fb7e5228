#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <vector>

#include "core/tabelle.h"
#include "core/zahltext.h"
#include "datagraph/value_table.h"
#include "speicher_test.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// An empty table of cols x rows.
ValueTable Tabelle(int cols, int rows) {
  ValueTable t;
  t.setSize(cols, rows);
  return t;
}

}  // namespace

TEST(ValueTable, SizeAndCellsOutsideTheTable) {
  ValueTable t;
  EXPECT_EQ(t.columnCount(), 0);
  EXPECT_EQ(t.rowCount(), 2);
  t.setSize(3, 5);
  EXPECT_EQ(t.columnCount(), 3);
  EXPECT_EQ(t.rowCount(), 5);
  EXPECT_EQ(t.cell(2, 4), QString());
  EXPECT_FALSE(t.number(2, 4));
  // Outside: nothing read, nothing written, no crash.
  t.setCell(3, 0, QStringLiteral("x"));
  t.setCell(0, 5, QStringLiteral("x"));
  t.setCell(-1, 0, QStringLiteral("x"));
  t.setNumber(0, -1, 1);
  EXPECT_EQ(t.cell(3, 0), QString());
  EXPECT_EQ(t.cell(-1, -1), QString());
  EXPECT_FALSE(t.number(0, 5));
  t.setSize(-4, -4);
  EXPECT_EQ(t.columnCount(), 0);
  EXPECT_EQ(t.rowCount(), 0);
}

TEST(ValueTable, TextsComeBackAsTheyWereWritten) {
  ValueTable t = Tabelle(2, 40);
  struct Fall {
    const char* text;
    bool zahl;
    double wert;
  };
  const Fall faelle[] = {
      {"1,5", true, 1.5},          {"-12,25", true, -12.25},      {"300", true, 300},
      {"0", true, 0},              {"0,0001", true, 1e-4},        {"1E20", true, 1e20},
      {"1,5E-5", true, 1.5e-5},    {"1,50", true, 1.5},           {"1.5", true, 1.5},
      {" 3", true, 3},             {"1 234", true, 1234},         {"+2", true, 2},
      {"007", true, 7},            {"1E5", true, 1e5},            {"0,00001", true, 1e-5},
      {"-0", true, 0},             {",5", true, 0.5},             {"5,", true, 5},
      {"1,234567890123456789", true, 1.234567890123456789},
      {"1000000000000000", true, 1e15},
      {"abc", false, 0},           {"1,2,3", false, 0},           {"-123456789,123456789", false, 0},
      {"Zeit [µs]", false, 0},     {"NAN", false, 0},             {"inf", false, 0},
      {"0x10", false, 0},          {"1e", false, 0},              {"-", false, 0},
  };
  int r = 0;
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.text);
    const QString text = QString::fromUtf8(f.text);
    // Both ways in: the readers' UTF-8 bytes and a QString.
    t.setCell(0, r, std::string_view(f.text));
    t.setCell(1, r, text);
    for (int c = 0; c < 2; ++c) {
      EXPECT_EQ(t.cell(c, r), text);
      const auto n = t.number(c, r);
      ASSERT_EQ(n.has_value(), f.zahl);
      if (f.zahl) {
        EXPECT_EQ(*n, f.wert);
      }
    }
    ++r;
  }
}

TEST(ValueTable, PlainNumberTextCostsNoTextStorage) {
  ValueTable t = Tabelle(2, 10000);
  const size_t anfangs = t.memoryUsed();
  for (int r = 0; r < 10000; ++r) {
    t.setCell(0, r, std::string_view(kolvex::FloatText(r * 0.25L - 7)));
    t.setCell(1, r, QString::number(r));
  }
  t.trim();
  const size_t leer = t.memoryUsed();  // the numbers only: 8 bytes a cell and a store's head
  EXPECT_LE(leer, anfangs + 2 * 10000 * sizeof(double) + 64);
  EXPECT_EQ(t.cell(0, 3), QStringLiteral("-6,25"));
  EXPECT_EQ(*t.number(1, 9999), 9999);
  // One odd text gives the column its text part; the numbers stay as they were.
  t.setCell(1, 5, QStringLiteral("5,0"));
  EXPECT_GT(t.memoryUsed(), leer);
  EXPECT_EQ(t.cell(1, 5), QStringLiteral("5,0"));
  EXPECT_EQ(t.cell(1, 6), QStringLiteral("6"));
  // Header texts and the odd text cost a little, not a place in every row.
  EXPECT_LT(t.memoryUsed(), leer + 1024);
  t.setCell(0, 0, QStringLiteral("Zeit [s]"));
  EXPECT_LT(t.memoryUsed(), leer + 2048);
  EXPECT_EQ(t.cell(0, 0), QStringLiteral("Zeit [s]"));
}

TEST(ValueTable, ColumnsWithoutNumbersCostNoRows) {
  ValueTable t = Tabelle(50, 100000);
  EXPECT_LT(t.memoryUsed(), 16u * 1024);
  t.setCell(7, 0, QStringLiteral("Kopf"));
  t.setCell(8, 5, QString());
  t.setNumber(9, 5, std::numeric_limits<double>::quiet_NaN());
  t.setNumbers(10, 0, std::vector<double>(10, kNaN));
  EXPECT_LT(t.memoryUsed(), 16u * 1024);
  EXPECT_EQ(t.cell(10, 3), QString());
  // A lone number far down costs a pair, not a place in every row above it.
  t.setNumber(11, 99999, 4);
  EXPECT_LT(t.memoryUsed(), 16u * 1024);
  EXPECT_EQ(*t.number(11, 99999), 4);
  EXPECT_FALSE(t.number(11, 0));
  t.setSize(50, 200000);
  EXPECT_FALSE(t.number(11, 150000));
  EXPECT_FALSE(t.number(12, 150000));
  t.setNumbers(12, 199999, std::vector<double>{1, 2});
  EXPECT_EQ(*t.number(12, 199999), 1);
}

TEST(ValueTable, OverwritingChangesTheKindOfACell) {
  ValueTable t = Tabelle(1, 3);
  t.setCell(0, 1, QStringLiteral("Text"));
  t.setNumber(0, 1, 2.5);
  EXPECT_EQ(t.cell(0, 1), QStringLiteral("2,5"));
  t.setCell(0, 1, QStringLiteral("2,50"));
  EXPECT_EQ(t.cell(0, 1), QStringLiteral("2,50"));
  t.setCell(0, 1, QStringLiteral("7"));
  EXPECT_EQ(t.cell(0, 1), QStringLiteral("7"));
  t.setCell(0, 1, QString());
  EXPECT_EQ(t.cell(0, 1), QString());
  EXPECT_FALSE(t.number(0, 1));
  t.setNumber(0, 2, 1e300);
  EXPECT_EQ(t.cell(0, 2), QStringLiteral("1E300"));
  t.setNumber(0, 2, kNaN);
  EXPECT_FALSE(t.number(0, 2));
  EXPECT_EQ(t.cell(0, 2), QString());
}

TEST(ValueTable, BulkNumbersClipToTheTableAndReplaceTexts) {
  ValueTable t = Tabelle(2, 5);
  t.setCell(1, 2, QStringLiteral("alt"));
  const std::vector<double> werte = {10, 11, kNaN, 13, 14, 15};
  t.setNumbers(1, 1, werte);  // rows 1..4 get 10, 11, empty, 13; the rest is dropped
  EXPECT_FALSE(t.number(1, 0));
  EXPECT_EQ(*t.number(1, 1), 10);
  EXPECT_EQ(t.cell(1, 2), QStringLiteral("11"));
  EXPECT_EQ(t.cell(1, 3), QString());
  EXPECT_EQ(*t.number(1, 4), 13);
  t.setNumbers(0, -2, werte);  // starts with werte[2] in row 0
  EXPECT_FALSE(t.number(0, 0));
  EXPECT_EQ(*t.number(0, 1), 13);
  EXPECT_EQ(*t.number(0, 3), 15);
  EXPECT_FALSE(t.number(0, 4));
  t.setNumbers(0, -10, werte);  // nothing left to write
  t.setNumbers(0, 5, werte);
  t.setNumbers(2, 0, werte);
  EXPECT_EQ(*t.number(0, 3), 15);
}

TEST(ValueTable, ShrinkingDropsCellsAndGrowingAddsEmptyOnes) {
  // Column 0 holds a text in every row (a place per row), the others a few.
  ValueTable t = Tabelle(3, 400);
  for (int r = 0; r < 400; ++r) t.setCell(0, r, QStringLiteral("T%1").arg(r));
  t.setSize(3, 4);
  t.setCell(2, 3, QStringLiteral("weg"));
  t.setNumber(1, 3, 4);
  t.setCell(0, 1, QStringLiteral("bleibt"));
  t.setSize(2, 3);
  t.setSize(3, 6);
  EXPECT_EQ(t.cell(2, 3), QString());
  EXPECT_FALSE(t.number(1, 3));
  EXPECT_EQ(t.cell(0, 1), QStringLiteral("bleibt"));
  EXPECT_EQ(t.cell(0, 2), QStringLiteral("T2"));
  EXPECT_EQ(t.cell(0, 3), QString());
  EXPECT_EQ(t.cell(0, 5), QString());
}

TEST(ValueTable, ClearEmptiesEveryCellAndGivesTheMemoryBack) {
  ValueTable t = Tabelle(4, 100000);
  for (int r = 0; r < 100000; ++r) {
    t.setCell(3, r, QStringLiteral("Text %1").arg(r));
    t.setNumber(r % 3, r, r);
  }
  EXPECT_GT(t.memoryUsed(), 3u * 100000 * sizeof(double));
  t.clear();
  EXPECT_EQ(t.columnCount(), 4);
  EXPECT_EQ(t.rowCount(), 2);
  EXPECT_LT(t.memoryUsed(), 1024u);
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 2; ++r) EXPECT_EQ(t.cell(c, r), QString());
  t.setSize(4, 3);
  EXPECT_EQ(t.cell(3, 2), QString());
}

TEST(ValueTable, CopyIsIndependent) {
  ValueTable a = Tabelle(2, 3);
  a.setCell(0, 0, QStringLiteral("Nr"));
  a.setCell(1, 2, QStringLiteral("1,50"));
  ValueTable b;
  b.copyFrom(a);
  a.setCell(1, 2, QStringLiteral("x"));
  a.setSize(1, 1);
  EXPECT_EQ(b.columnCount(), 2);
  EXPECT_EQ(b.rowCount(), 3);
  EXPECT_EQ(b.cell(0, 0), QStringLiteral("Nr"));
  EXPECT_EQ(b.cell(1, 2), QStringLiteral("1,50"));
  b.copyFrom(b);
  EXPECT_EQ(b.cell(1, 2), QStringLiteral("1,50"));
}

TEST(ValueTable, RewritingTextsDoesNotGrowWithoutBound) {
  ValueTable t = Tabelle(1, 100);
  for (int r = 0; r < 100; ++r) t.setCell(0, r, QStringLiteral("Anfangstext"));
  const size_t vorher = t.memoryUsed();
  for (int i = 0; i < 200; ++i)
    for (int r = 0; r < 100; ++r) t.setCell(0, r, QStringLiteral("Neuer Text %1").arg(i % 10));
  EXPECT_LT(t.memoryUsed(), vorher + 16 * 1024);
  EXPECT_EQ(t.cell(0, 42), QStringLiteral("Neuer Text 9"));
  EXPECT_EQ(t.cell(0, 0), QStringLiteral("Neuer Text 9"));
}

// The table against the plainest store there is, one text and one number per cell, under
// random operations; the header row is kept apart from the columns and must not show it.
namespace {

struct RefZelle {
  QString text;
  std::optional<double> zahl;
};

class RefTabelle {
 public:
  std::vector<std::vector<RefZelle>> z;  // [column][row]
  int zeilen = 2;
  void groesse(int c, int r) {
    c = std::max(c, 0);
    r = std::max(r, 0);
    z.resize(static_cast<size_t>(c));
    for (auto& s : z) s.resize(static_cast<size_t>(r));
    zeilen = r;
  }
  bool drin(int c, int r) const { return c >= 0 && r >= 0 && c < static_cast<int>(z.size()) && r < zeilen; }
  void text(int c, int r, const std::string& t) {
    if (!drin(c, r)) return;
    double w = 0;
    const kolvex::ZellArt art = kolvex::ZelleLesen(t, w);
    RefZelle& x = z[static_cast<size_t>(c)][static_cast<size_t>(r)];
    x.text = QString::fromStdString(t);
    x.zahl = (art == kolvex::ZellArt::Zahl || art == kolvex::ZellArt::ZahlMitText) ? std::optional(w) : std::nullopt;
  }
  void zahl(int c, int r, double v) {
    if (!drin(c, r)) return;
    RefZelle& x = z[static_cast<size_t>(c)][static_cast<size_t>(r)];
    if (std::isnan(v)) {
      x = RefZelle{};
    } else {
      x.text = QString::fromStdString(kolvex::FloatText(v));
      x.zahl = v;
    }
  }
  std::vector<RefZelle> spalte(std::vector<double> w) const {
    std::vector<RefZelle> s(static_cast<size_t>(zeilen));
    for (size_t r = 0; r < s.size() && r < w.size(); ++r)
      if (!std::isnan(w[r])) s[r] = RefZelle{QString::fromStdString(kolvex::FloatText(w[r])), w[r]};
    return s;
  }
};

void Vergleichen(const ValueTable& t, const RefTabelle& ref, int schritt) {
  ASSERT_EQ(t.columnCount(), static_cast<int>(ref.z.size())) << schritt;
  ASSERT_EQ(t.rowCount(), ref.zeilen) << schritt;
  for (int c = 0; c < t.columnCount(); ++c) {
    for (int r = 0; r < t.rowCount(); ++r) {
      const RefZelle& x = ref.z[static_cast<size_t>(c)][static_cast<size_t>(r)];
      ASSERT_EQ(t.cell(c, r), x.text) << schritt << " " << c << "," << r;
      ASSERT_EQ(t.cellUtf8(c, r), x.text.toStdString()) << schritt;
      ASSERT_EQ(t.number(c, r), x.zahl) << schritt << " " << c << "," << r;
      ASSERT_EQ(t.isEmpty(c, r), x.text.isEmpty()) << schritt;
    }
  }
}

}  // namespace

TEST(ValueTable, RandomOperationsAgreeWithAPlainCellStore) {
  std::mt19937 zufall(20261207);
  const std::vector<std::string> texte = {"", "1,5", "1,50", "300", "-0", "abc", "K", "Zeit [s]",
                                          " 3", "1E20", "x;y", "Nr", "2,5E-7", "µm"};
  auto wuerfel = [&](int n) { return static_cast<int>(zufall() % static_cast<unsigned>(n)); };
  auto zahl = [&]() -> double {
    switch (wuerfel(4)) {
      case 0: return kNaN;
      case 1: return wuerfel(100);
      case 2: return wuerfel(1000) / 7.0;
      default: return -1e-5 * wuerfel(10);
    }
  };
  for (int lauf = 0; lauf < 24; ++lauf) {
    ValueTable t;
    RefTabelle ref;
    // Some runs are wide or tall enough for a store to keep a place per index.
    const int gross = lauf % 4 == 0 ? 100 : 8;
    for (int schritt = 0; schritt < 300; ++schritt) {
      const int c = wuerfel(static_cast<int>(ref.z.size()) + 2) - 1;
      const int r = wuerfel(ref.zeilen + 2) - 1;
      switch (wuerfel(11)) {
        case 0: {
          const int sc = wuerfel(gross), sr = wuerfel(gross);
          t.setSize(sc, sr);
          ref.groesse(sc, sr);
          break;
        }
        case 1:
        case 2:
        case 3: {
          const std::string& x = texte[static_cast<size_t>(wuerfel(static_cast<int>(texte.size())))];
          if (wuerfel(2)) {
            t.setCell(c, r, std::string_view(x));
          } else {
            t.setCell(c, r, QString::fromStdString(x));
          }
          ref.text(c, r, x);
          break;
        }
        case 4: {
          const double v = zahl();
          t.setNumber(c, r, v);
          ref.zahl(c, r, v);
          break;
        }
        case 5: {
          std::vector<double> w(static_cast<size_t>(wuerfel(ref.zeilen + 3)));
          for (double& v : w) v = zahl();
          const int von = wuerfel(ref.zeilen + 3) - 2;
          t.setNumbers(c, von, w);
          if (c >= 0 && c < static_cast<int>(ref.z.size()))
            for (size_t i = 0; i < w.size(); ++i) ref.zahl(c, von + static_cast<int>(i), w[i]);
          break;
        }
        case 6: {
          std::vector<double> w(static_cast<size_t>(wuerfel(ref.zeilen + 3)));
          for (double& v : w) v = zahl();
          if (wuerfel(3) == 0) w.clear();
          const int at = wuerfel(static_cast<int>(ref.z.size()) + 1);
          ref.z.insert(ref.z.begin() + at, ref.spalte(w));
          t.insertColumn(at, std::move(w));
          break;
        }
        case 7: {
          std::vector<double> w(static_cast<size_t>(wuerfel(ref.zeilen + 3)));
          for (double& v : w) v = zahl();
          if (c >= 0 && c < static_cast<int>(ref.z.size())) ref.z[static_cast<size_t>(c)] = ref.spalte(w);
          t.setColumn(c, std::move(w));
          break;
        }
        case 8:
          if (c >= 0 && c < static_cast<int>(ref.z.size())) ref.z.erase(ref.z.begin() + c);
          t.removeColumn(c);
          break;
        case 9: {
          std::vector<bool> behalten(static_cast<size_t>(wuerfel(ref.zeilen + 2)));
          for (size_t i = 0; i < behalten.size(); ++i) behalten[i] = wuerfel(4) != 0;
          int neu = 0;
          for (auto& s : ref.z) {
            std::vector<RefZelle> k;
            for (size_t i = 0; i < s.size() && i < behalten.size(); ++i)
              if (behalten[i]) k.push_back(s[i]);
            s = std::move(k);
          }
          for (int i = 0; i < ref.zeilen && i < static_cast<int>(behalten.size()); ++i) neu += behalten[static_cast<size_t>(i)];
          ref.zeilen = neu;
          t.keepRows(behalten);
          break;
        }
        default: {
          if (wuerfel(2)) {
            t.trim();
          } else {
            ValueTable kopie;
            kopie.copyFrom(t);
            t.clear();
            t.moveFrom(kopie);
          }
          break;
        }
      }
      Vergleichen(t, ref, schritt);
      if (HasFatalFailure()) return;
    }
  }
}

// Rows come at no cost per column, and trimming gives back what the stores grew ahead.
TEST(ValueTable, AddingRowsCostsNothingAndTrimmingGivesBackTheRoomGrownAhead) {
  ValueTable t = Tabelle(3, 1000);
  const size_t leer = t.memoryUsed();
  t.setSize(3, 2000000000);
  EXPECT_EQ(t.memoryUsed(), leer);
  for (int r = 1; r < 1500; ++r) {
    t.setNumber(1, r, r);
    t.setCell(2, r, QStringLiteral("T%1").arg(r));
  }
  t.setSize(3, 700);
  ValueTable genau;
  genau.copyFrom(t);  // a copy holds exactly its cells
  EXPECT_GT(t.memoryUsed(), genau.memoryUsed());
  t.trim();
  EXPECT_EQ(t.memoryUsed(), genau.memoryUsed());
  EXPECT_EQ(t.cell(2, 699), QStringLiteral("T699"));
  EXPECT_EQ(*t.number(1, 699), 699);
}

// A store keeps few values as (row, value) pairs and many as a value per row, switching
// with what it holds: whatever the rows are filled in, a value costs at most 36 bytes, and
// every value comes back. Against a plain map, with runs, gaps, jumps far ahead and back.
TEST(ValueTable, StoresTakeTheCheaperFormWhateverTheRowsFilled) {
  std::mt19937 zufall(4711);
  for (int lauf = 0; lauf < 40; ++lauf) {
    ValueTable t = Tabelle(2, 3000000);
    std::map<int, double> ref;
    int r = 1;
    for (int schritt = 0; schritt < 3000; ++schritt) {
      switch (zufall() % 8) {
        case 0: r += 1 + static_cast<int>(zufall() % 200000); break;  // far ahead
        case 1: r = 1 + static_cast<int>(zufall() % static_cast<unsigned>(r)); break;  // back
        case 2: r += 1 + static_cast<int>(zufall() % 4); break;  // a gap
        default: ++r; break;  // a run
      }
      if (r >= t.rowCount()) r = t.rowCount() - 1;
      const double v = static_cast<double>(zufall() % 1000) / 8;
      t.setNumber(1, r, v);
      ref[r] = v;
      ASSERT_LE(t.memoryUsed(), 36 * ref.size() + 256) << lauf << " " << schritt;
    }
    for (const auto& [zeile, wert] : ref) ASSERT_EQ(t.number(1, zeile), wert) << lauf;
    EXPECT_FALSE(t.number(1, t.rowCount() - 1) && !ref.count(t.rowCount() - 1));
    // Emptied again cell by cell, in any order.
    std::vector<int> zeilen;
    for (const auto& [zeile, wert] : ref) zeilen.push_back(zeile);
    std::shuffle(zeilen.begin(), zeilen.end(), zufall);
    for (int z : zeilen) t.setNumber(1, z, kNaN);
    for (int z : zeilen) ASSERT_FALSE(t.number(1, z));
    t.trim();
    EXPECT_LE(t.memoryUsed(), 256u);
  }
}

// keepRows either leaves the table as it was or does all of it, whichever allocation fails.
TEST(ValueTable, KeepingRowsOutOfMemoryLeavesTheTableWhole) {
  auto bauen = [] {
    ValueTable t = Tabelle(5, 400);
    for (int r = 0; r < 400; ++r) {
      t.setNumber(0, r, r);                                     // a value per row
      if (r % 50 == 3) t.setNumber(1, r, r * 0.5);              // pairs
      t.setCell(2, r, QStringLiteral("Text %1").arg(r));        // texts in every row
      if (r % 97 == 5) t.setCell(3, r, QStringLiteral("1,50")); // a few number texts
    }
    t.setCell(4, 0, QStringLiteral("Kopf"));
    return t;
  };
  std::vector<bool> behalten(400);
  for (size_t r = 0; r < behalten.size(); ++r) behalten[r] = r % 3 != 0;  // row 0 goes too
  ValueTable vorher = bauen();
  ValueTable nachher = bauen();
  nachher.keepRows(behalten);
  auto gleich = [](const ValueTable& a, const ValueTable& b) {
    if (a.columnCount() != b.columnCount() || a.rowCount() != b.rowCount()) return false;
    for (int c = 0; c < a.columnCount(); ++c)
      for (int r = 0; r < a.rowCount(); ++r)
        if (a.cell(c, r) != b.cell(c, r) || a.number(c, r) != b.number(c, r)) return false;
    return true;
  };
  for (int n = 0;; ++n) {
    ValueTable t = bauen();
    Speicher::FehlerBei(n);
    bool geworfen = false;
    try {
      t.keepRows(behalten);
    } catch (const std::bad_alloc&) {
      geworfen = true;
    }
    const bool gekommen = Speicher::FehlerAus();
    ASSERT_TRUE(gleich(t, geworfen ? vorher : nachher)) << n << (geworfen ? " geworfen" : "");
    // Still a whole table: it copies, trims and grows as any other.
    ValueTable kopie;
    kopie.copyFrom(t);
    t.trim();
    ASSERT_TRUE(gleich(t, kopie)) << n;
    t.setCell(2, t.rowCount() - 1, QStringLiteral("neu"));
    ASSERT_EQ(t.cell(2, t.rowCount() - 1), QStringLiteral("neu")) << n;
    if (!gekommen) break;
  }
}

// A header of a million fields: a column with nothing below its header costs its place in
// the column list and its header text, not a store of its own.
TEST(ValueTable, WideHeaderCostsLittlePerColumn) {
  constexpr int kSpalten = 1000000;
  ValueTable t = Tabelle(kSpalten, 2);
  for (int c = 0; c < kSpalten; ++c) t.setCell(c, 0, std::string_view("K"));
  t.setNumber(1, 1, 5);
  t.trim();
  EXPECT_LT(t.memoryUsed(), size_t{kSpalten} * 48);
  EXPECT_EQ(t.cell(999999, 0), QStringLiteral("K"));
  EXPECT_EQ(*t.number(1, 1), 5);
}
