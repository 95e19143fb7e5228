#pragma once
// The data graph's value table: the cells of a loaded table or measurement file in grid
// coordinates (row 0 the column headers, column 0 the row number "Nr"). No widget.
//
// A table of a million rows must not cost a string per cell, so the table is a column
// store. Every column with a number in it keeps one double per row (NaN: the cell holds no
// number) and, only once a cell of it holds text that is not plainly a number, a text part:
// the UTF-8 bytes of all its texts in one buffer with an offset and a length per text (per
// row once the column holds many texts). The kind of a cell follows from its two parts:
//   no number, no text   empty
//   number, no text      a number whose text is its general float text ("1,5", "1E20")
//   number and text      a number written otherwise ("1,50", "1.5", " 3"); the text is kept
//   text, no number      text that is not a number
// so a cell gives back exactly what was put in, and number text is made only on demand.
//
// A table may also be millions of columns wide with hardly a row (a hostile header), so a
// column without a cell below its header costs no more than its place in the column list,
// and the header row is kept apart, by the same rules, as one store across the columns.
#include <QString>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ValueTable {
 public:
  ValueTable();

  int rowCount() const { return rows_; }
  int columnCount() const { return static_cast<int>(cols_.size()); }
  // New cells are empty; cells outside the new size are dropped. Growing reserves exactly
  // the new size (a caller that grows step by step chooses its own steps).
  void setSize(int cols, int rows);
  // Every cell empty, 2 rows (the column count stays); the memory of the cells is given back.
  void clear();
  // Gives back what is reserved beyond the cells there are (rows grown ahead, text buffers).
  // One column at a time, so that it never needs much more than the table itself.
  void trim();

  // Reading outside the table gives "" and no number; writing outside it is ignored.
  QString cell(int col, int row) const;
  void setCell(int col, int row, const QString& text);
  // The same from UTF-8 bytes (the readers' own form; no QString is made for number text).
  void setCell(int col, int row, std::string_view utf8);
  // The cell's text as UTF-8 bytes (empty for an empty cell).
  std::string cellUtf8(int col, int row) const;
  // NaN empties the cell.
  void setNumber(int col, int row, double value);
  // The cell's value by the rules of number text (decimal comma or point, blanks ignored,
  // optional exponent; the "not a number" marker is none). Empty or not a number: none.
  std::optional<double> number(int col, int row) const {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rows_) return std::nullopt;
    const std::vector<double>& w = row == 0 ? kopf_.wert : cols_[static_cast<size_t>(col)].wert;
    if (w.empty()) return std::nullopt;
    const double v = w[static_cast<size_t>(row == 0 ? col : row)];
    if (std::isnan(v)) return std::nullopt;
    return v;
  }
  // Bulk form of setNumber for importers: values[i] goes to (col, firstRow + i); values
  // beyond the last row are dropped, NaN is an empty cell.
  void setNumbers(int col, int firstRow, std::span<const double> values);

  void copyFrom(const ValueTable& other);
  void swap(ValueTable& other) noexcept;

  // ---- Whole-column operations (importers) ------------------------------------------------
  // The column takes the vector as its numbers, without a copy: values[r] is row r (row 0
  // included), missing rows are empty, rows beyond the table are dropped. Its texts go.
  void setColumn(int col, std::vector<double>&& values);
  // A new column at `at` (0..columnCount()); the columns from there move right. It takes the
  // numbers as setColumn does (none: an empty column).
  void insertColumn(int at, std::vector<double>&& values = {});
  // Drops the column; the columns behind it move left.
  void removeColumn(int col);
  // The cell holds neither a number nor a text (no text is made to tell).
  bool isEmpty(int col, int row) const;
  // Keeps the rows whose keep[row] is true (rows beyond keep.size() go), in order.
  void keepRows(const std::vector<bool>& keep);
  // Takes over the other table's cells and size; the other is left empty (no column, 2 rows).
  void moveFrom(ValueTable& other);

  // Bytes held by the cells (for the benchmark's and tests' accounting).
  size_t memoryUsed() const;

 private:
  struct Stelle {
    uint32_t anfang = 0;
    uint32_t laenge = 0;  // 0: no text
  };
  // The texts of a column (or of the header row): the few are kept by index, once there are
  // many every index gets its place.
  struct Texte {
    std::unordered_map<int32_t, Stelle> wenige;
    std::vector<Stelle> alle;
    std::string bytes;
    size_t totBytes = 0;  // bytes of overwritten texts still in `bytes`
  };
  // A column's cells of rows 1.. by row (index 0 is not used: row 0 is the header store), or
  // the header row's cells by column. `wert` stays empty while no cell holds a number, the
  // text part absent while none holds text (a file's many empty columns cost nothing).
  struct Zellen {
    std::vector<double> wert;
    std::unique_ptr<Texte> texte;
    Zellen() = default;
    Zellen(Zellen&&) noexcept = default;
    Zellen& operator=(Zellen&&) noexcept = default;
    Zellen(const Zellen& o) : wert(o.wert), texte(o.texte ? std::make_unique<Texte>(*o.texte) : nullptr) {}
    Zellen& operator=(const Zellen& o) {
      Zellen kopie(o);
      return *this = std::move(kopie);
    }
  };

  // The cells of (col, row) and their index there; null outside the table.
  Zellen* zellenVon(int col, int row, size_t& index);
  const Zellen* zellenVon(int col, int row, size_t& index) const;
  // The header store's length is the column count, a column's the row count.
  size_t laengeVon(const Zellen& z) const;

  static std::string_view textOf(const Zellen& z, size_t index);
  static void setWert(Zellen& z, size_t index, double value, size_t laenge);
  static void storeText(Zellen& z, size_t index, std::string_view utf8, size_t laenge);
  static void dropText(Zellen& z, size_t index);
  static void compact(Texte& t);
  // Cuts the store to its first n places (texts beyond them are dropped).
  static void kuerzen(Zellen& z, size_t n);
  static void zellenTrimmen(Zellen& z);
  static size_t speicherVon(const Zellen& z);
  void zelleSetzen(Zellen& z, size_t index, std::string_view utf8, size_t laenge);
  bool inside(int col, int row) const {
    return col >= 0 && row >= 0 && col < columnCount() && row < rows_;
  }

  std::vector<Zellen> cols_;
  Zellen kopf_;  // row 0, by column
  int rows_ = 0;
};
