// The staging operations on the shared value table: number column, compaction, move.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <limits>

#include "datagraph/value_table.h"
#include "import/diadem.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Columns of texts (row 0 first) into a table.
ValueTable Tabelle(const std::vector<std::vector<QString>>& spalten) {
  ValueTable t;
  const int zeilen = spalten.empty() ? 0 : static_cast<int>(spalten[0].size());
  t.setSize(static_cast<int>(spalten.size()), zeilen);
  for (size_t c = 0; c < spalten.size(); ++c)
    for (size_t r = 0; r < spalten[c].size(); ++r) t.setCell(static_cast<int>(c), static_cast<int>(r), spalten[c][r]);
  return t;
}

QStringList Zeile(const ValueTable& t, int r) {
  QStringList l;
  for (int c = 0; c < t.columnCount(); ++c) l << t.cell(c, r);
  return l;
}

}  // namespace

TEST(Staging, NumberColumnThenCompaction) {
  // Columns of channels 1..3 and the unnamed one the builder leaves at the end.
  ValueTable t = Tabelle({{"A", "1", "", "3"}, {"B", "", "", "x"}, {"", "7", "8", "9"}});
  TfrDiaDem::NrSpalteEinfuegen(t);
  EXPECT_EQ(Zeile(t, 0), (QStringList{"0", "A", "B", ""}));
  EXPECT_EQ(t.number(0, 2), 2.0);
  t.setCell(0, 0, std::string_view("Nr"));
  TfrDiaDem::TabelleKomprimieren(t);
  // The unnamed column goes; with the number column no row is empty in columns 0-2.
  EXPECT_EQ(t.columnCount(), 3);
  EXPECT_EQ(t.rowCount(), 4);
  EXPECT_EQ(Zeile(t, 0), (QStringList{"Nr", "A", "B"}));
  EXPECT_EQ(Zeile(t, 3), (QStringList{"3", "3", "x"}));
}

TEST(Staging, CompactionDropsRowsEmptyInTheFirstThreeColumns) {
  ValueTable t = Tabelle({{"A", "1", "", ""},
                          {"B", "2", "", "Text"},
                          {"C", "", "", ""},
                          {"D", "4", "5", "6"}});
  TfrDiaDem::TabelleKomprimieren(t);
  // Row 2 has a value only in column 3: it goes; the text of row 3 moves up with it.
  ASSERT_EQ(t.rowCount(), 3);
  EXPECT_EQ(Zeile(t, 0), (QStringList{"A", "B", "C", "D"}));
  EXPECT_EQ(Zeile(t, 1), (QStringList{"1", "2", "", "4"}));
  EXPECT_EQ(Zeile(t, 2), (QStringList{"", "Text", "", "6"}));
  // The first three columns decide for the header row as well; the columns kept are
  // those named in the header as it was.
  ValueTable k = Tabelle({{"", "1"}, {"", "2"}, {"", "3"}, {"Z", "4"}});
  TfrDiaDem::TabelleKomprimieren(k);
  EXPECT_EQ(k.columnCount(), 1);
  ASSERT_EQ(k.rowCount(), 1);
  EXPECT_EQ(k.cell(0, 0), QStringLiteral("4"));
}

TEST(Staging, MoveClearAndColumnsWithoutCopies) {
  ValueTable quelle = Tabelle({{"Nr", "1", "2"}, {"Kraft", "1,5", "2,50"}});
  ValueTable ziel = Tabelle({{"alt", "9"}});
  TfrDiaDem::GridKopieren(quelle, ziel);
  EXPECT_EQ(Zeile(ziel, 0), (QStringList{"Nr", "Kraft"}));
  EXPECT_EQ(ziel.cell(1, 2), QStringLiteral("2,50"));  // a text kept as written
  EXPECT_EQ(quelle.columnCount(), 0);
  EXPECT_EQ(quelle.rowCount(), 2);
  TfrDiaDem::GridLoeschen(ziel);
  EXPECT_EQ(ziel.rowCount(), 2);
  EXPECT_EQ(ziel.columnCount(), 2);
  EXPECT_EQ(ziel.cell(1, 0), QString());

  // A column taken over: padded with empty cells, cut to the table, its old text gone.
  ValueTable t = Tabelle({{"x", "a", "b", "c"}});
  std::vector<double> werte = {kNaN, 1, 2};
  const double* daten = werte.data();
  t.setColumn(0, std::move(werte));
  EXPECT_EQ(Zeile(t, 1), QStringList{"1"});
  EXPECT_EQ(t.cell(0, 3), QString());
  EXPECT_EQ(t.cell(0, 0), QString());
  t.setCell(0, 0, std::string_view("Kopf"));
  EXPECT_EQ(t.cell(0, 0), QStringLiteral("Kopf"));
  (void)daten;
  t.removeColumn(0);
  EXPECT_EQ(t.columnCount(), 0);
  t.insertColumn(5);
  EXPECT_EQ(t.columnCount(), 1);
  EXPECT_EQ(t.cell(0, 1), QString());
}

TEST(Staging, ANamedNumberColumnCostsEightBytesPerRow) {
  ValueTable t;
  t.setSize(1, 100001);
  std::vector<double> werte(100001, 1.25);
  t.setColumn(0, std::move(werte));
  t.setCell(0, 0, std::string_view("Ein recht langer Kanalname"));
  EXPECT_LT(t.memoryUsed(), size_t{100001} * 8 + 1024);
  EXPECT_EQ(t.cell(0, 0), QStringLiteral("Ein recht langer Kanalname"));
  EXPECT_EQ(t.cell(0, 7), QStringLiteral("1,25"));
  // Shrinking to no rows drops the header text as well.
  t.setSize(1, 0);
  t.setSize(1, 1);
  EXPECT_EQ(t.cell(0, 0), QString());
}

TEST(Staging, CompactionMovesTextsOfFewAndOfManyCellsWithTheirRows) {
  // Column 0 has a text in every row (a place per row), column 1 one text (kept by row).
  ValueTable t;
  t.setSize(3, 200);
  for (int r = 0; r < 200; ++r) t.setCell(0, r, QStringLiteral("z%1").arg(r));
  t.setCell(1, 0, QStringLiteral("B"));
  t.setCell(1, 150, QStringLiteral("eins"));
  t.setCell(2, 0, QStringLiteral("C"));
  t.setCell(2, 151, QStringLiteral("2,5"));
  std::vector<bool> keep(200, false);
  keep[0] = keep[150] = keep[151] = true;
  t.keepRows(keep);
  ASSERT_EQ(t.rowCount(), 3);
  EXPECT_EQ(Zeile(t, 0), (QStringList{"z0", "B", "C"}));
  EXPECT_EQ(Zeile(t, 1), (QStringList{"z150", "eins", ""}));
  EXPECT_EQ(Zeile(t, 2), (QStringList{"z151", "", "2,5"}));
  EXPECT_TRUE(t.isEmpty(1, 2));
  EXPECT_FALSE(t.isEmpty(2, 2));
  EXPECT_TRUE(t.isEmpty(5, 0));
}
