#pragma once
// The data graph's value table: the cells of a loaded table or measurement file in grid
// coordinates (row 0 the column headers, column 0 the row number "Nr"). No widget.
//
// A table of a million rows must not cost a string per cell, so the table is a column
// store. A column keeps the numbers of its cells (NaN: the cell holds no number) and, only
// once a cell of it holds text that is not plainly a number, a text part: the UTF-8 bytes of
// all its texts in one buffer with an offset and a length per text. The kind of a cell
// follows from its two parts:
//   no number, no text   empty
//   number, no text      a number whose text is its general float text ("1,5", "1E20")
//   number and text      a number written otherwise ("1,50", "1.5", " 3"); the text is kept
//   text, no number      text that is not a number
// so a cell gives back exactly what was put in, and number text is made only on demand.
//
// What a table costs follows the cells it holds, whatever its shape: a ragged file may give a
// column its only number in its last row, or a single row of twenty thousand fields, so
// neither the numbers nor the text places of a column are kept for every row. Each is a
// Belegung: while few, (row, value) pairs in row order; once they fill at least half of the
// rows up to the last one, one value per row. A value so costs at most 36 bytes (3 places of
// 8 bytes while dense, room grown ahead by half; 12-byte pairs below that), a store 16 bytes
// more, a column 16 bytes in the column list, the texts their bytes: some 70 bytes for a cell
// that takes at least 2 bytes of its file (a character and a separator or line end), and
// adding rows costs nothing per column. The header row is kept apart, by the same rules, as
// one store across the columns. With the channel list and the grid's header on top, a text
// table's load needs at most 64 bytes per byte of its file (docs/architecture.md).
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class ValueTable {
 public:
  ValueTable();

  int rowCount() const { return rows_; }
  int columnCount() const { return static_cast<int>(cols_.size()); }
  // New cells are empty; cells outside the new size are dropped. Adding rows costs nothing
  // per column; adding columns reserves exactly the new count.
  void setSize(int cols, int rows);
  // Every cell empty, 2 rows (the column count stays); the memory of the cells is given back.
  void clear();
  // Gives back what is reserved beyond the cells there are (room grown ahead, overwritten
  // texts), each store in the cheaper of its two forms. One store at a time, so that it never
  // needs much more than the table itself; a store that finds no memory for it stays as it is.
  void trim();

  // Reading outside the table gives "" and no number; writing outside it is ignored.
  QString cell(int col, int row) const;
  void setCell(int col, int row, const QString& text);
  // The same from UTF-8 bytes (the readers' own form; no QString is made for number text).
  void setCell(int col, int row, std::string_view utf8) {
    size_t i = 0;
    if (Zellen* z = zellenVon(col, row, i)) zelleSetzen(*z, i, utf8);
  }
  // The cell's text as UTF-8 bytes (empty for an empty cell).
  std::string cellUtf8(int col, int row) const;
  // NaN empties the cell.
  void setNumber(int col, int row, double value);
  // The cell's value by the rules of number text (decimal comma or point, blanks ignored,
  // optional exponent; the "not a number" marker is none). Empty or not a number: none.
  std::optional<double> number(int col, int row) const {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rows_) return std::nullopt;
    const double v = row == 0 ? kopf_.wert.wert(static_cast<size_t>(col))
                              : cols_[static_cast<size_t>(col)].wert.wert(static_cast<size_t>(row));
    if (std::isnan(v)) return std::nullopt;
    return v;
  }
  // Bulk form of setNumber for importers: values[i] goes to (col, firstRow + i); values
  // beyond the last row are dropped, NaN is an empty cell.
  void setNumbers(int col, int firstRow, std::span<const double> values);

  void copyFrom(const ValueTable& other);
  void swap(ValueTable& other) noexcept;

  // ---- Whole-column operations (importers) ------------------------------------------------
  // The column takes the values as its numbers: values[r] is row r (row 0 included),
  // missing rows are empty, rows beyond the table are dropped. Its texts go.
  void setColumn(int col, std::vector<double>&& values);
  // A new column at `at` (0..columnCount()); the columns from there move right. It takes the
  // numbers as setColumn does (none: an empty column).
  void insertColumn(int at, std::vector<double>&& values = {});
  // Drops the column; the columns behind it move left.
  void removeColumn(int col);
  // The cell holds neither a number nor a text (no text is made to tell).
  bool isEmpty(int col, int row) const;
  // Keeps the rows whose keep[row] is true (rows beyond keep.size() go), in order. When
  // memory runs out, std::bad_alloc leaves the table as it was.
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

  // Values of type T (double: NaN empty; Stelle: length 0 empty) by index, the empty ones
  // not kept. One block: a head, then either (index, value) pairs in index order ("few") or
  // one value per index from 0 up to the last one held ("dense"). A store goes dense once
  // that costs at most 2 places per value, and back to pairs when a value far beyond the
  // last would make it more than 3, so that a store switches only after its count has grown
  // by half, and every switch costs in proportion to the values it holds.
  template <class T>
  class Belegung {
   public:
    Belegung() = default;
    ~Belegung() { std::free(b_); }
    Belegung(const Belegung& o);
    Belegung(Belegung&& o) noexcept : b_(o.b_) { o.b_ = nullptr; }
    Belegung& operator=(Belegung o) noexcept {
      std::swap(b_, o.b_);
      return *this;
    }

    T wert(size_t i) const {
      if (!b_) return T{leerWert()};
      if (b_->dicht) return i < b_->laenge ? dichte()[i] : leerWert();
      return suchen(i);
    }
    // An empty value removes the index's value; removing never allocates. A dense store's
    // values are set, and appended while there is room, here at once.
    void setzen(size_t i, const T& v) {
      if (b_ && b_->dicht && i <= b_->laenge && i < b_->platz && !istLeer(v)) {
        T& w = dichte()[i];
        if (i == b_->laenge) {
          ++b_->laenge;
          ++b_->anzahl;
        } else if (istLeer(w)) {
          ++b_->anzahl;
        }
        w = v;
        return;
      }
      setzenSonst(i, v);
    }
    size_t anzahl() const { return b_ ? b_->anzahl : 0; }
    // Drops the values of indexes from n on (never allocates).
    void kuerzen(size_t n);
    // Index `at` and those behind it move one up (at stays empty); may allocate first.
    void einfuegen(size_t at);
    // Drops index `at`; those behind it move one down (never allocates).
    void entfernen(size_t at);
    // neu[i] is the new index of index i (< 0: dropped), rising, never above i; indexes from
    // n on are dropped. In place, never allocates.
    void umnummern(const int32_t* neu, size_t n);
    // The cheaper form, without room ahead; on lack of memory it stays as it was.
    void trimmen() noexcept;
    // Holds werte[i] at index i for i from `ab` on, in the cheaper form, sized exactly.
    void fuellen(const T* werte, size_t n, size_t ab);
    size_t speicher() const;
    // f(index, value) for every value held, in index order.
    template <class F>
    void fuerJeden(F f) const;
    // f(value&) for every value held, in index order; f must keep it a value (not empty).
    template <class F>
    void jedenAendern(F f);

    static bool istLeer(const T& v) {
      if constexpr (std::is_same_v<T, double>)
        return std::isnan(v);
      else
        return v.laenge == 0;
    }
    static T leerWert() {
      if constexpr (std::is_same_v<T, double>)
        return std::numeric_limits<double>::quiet_NaN();
      else
        return T{};
    }

   private:
    struct Kopf {
      uint32_t laenge;   // dense: the indexes covered; few: the pairs
      uint32_t platz;    // room, in values or pairs
      uint32_t anzahl;   // values held (not empty)
      uint32_t dicht;
    };
    struct Paar {
      uint32_t index;
      unsigned char wert[sizeof(T)];  // 12-byte pairs: no padding to the value's alignment
    };
    static_assert(sizeof(Kopf) % alignof(T) == 0);
    T* dichte() const { return reinterpret_cast<T*>(reinterpret_cast<char*>(b_) + sizeof(Kopf)); }
    Paar* paare() const { return reinterpret_cast<Paar*>(reinterpret_cast<char*>(b_) + sizeof(Kopf)); }
    static T paarWert(const Paar& p) {
      T v;
      std::memcpy(&v, p.wert, sizeof(T));
      return v;
    }
    static void paarSetzen(Paar& p, size_t index, const T& v) {
      p.index = static_cast<uint32_t>(index);
      std::memcpy(p.wert, &v, sizeof(T));
    }
    T suchen(size_t i) const;
    void setzenSonst(size_t i, const T& v);
    // The first pair whose index is at least i.
    size_t untereGrenze(size_t i) const;
    static Kopf* neuerBlock(bool dicht, size_t platz);
    // A fresh block of the form with room for `platz`, holding the values held now.
    Kopf* umgebaut(bool dicht, size_t platz) const;
    static size_t mehrPlatz(size_t noetig, size_t jetzt);
    // Room for `platz` values or pairs, in the store's form (the block may move).
    void platzAendern(size_t platz);
    // One past the last index that holds a value (0 for none); b_ is not null.
    size_t spanne() const;

    Kopf* b_ = nullptr;
  };

  // The texts of a column (or of the header row).
  struct Texte {
    Belegung<Stelle> stellen;
    std::string bytes;
    size_t totBytes = 0;  // bytes of overwritten texts still in `bytes`
  };
  // A column's cells of rows 1.. by row (index 0 is not used: row 0 is the header store), or
  // the header row's cells by column. The text part is absent while no cell holds text.
  struct Zellen {
    Belegung<double> wert;
    std::unique_ptr<Texte> texte;
    Zellen() = default;
    Zellen(Zellen&&) noexcept = default;
    Zellen& operator=(Zellen&&) noexcept = default;
    Zellen(const Zellen& o) : wert(o.wert), texte(o.texte ? std::make_unique<Texte>(*o.texte) : nullptr) {}
  };

  // The cells of (col, row) and their index there; null outside the table. Here, not in the
  // source file: a load passes every cell through it.
  Zellen* zellenVon(int col, int row, size_t& index) {
    if (!inside(col, row)) return nullptr;
    index = static_cast<size_t>(row == 0 ? col : row);
    return row == 0 ? &kopf_ : &cols_[static_cast<size_t>(col)];
  }
  const Zellen* zellenVon(int col, int row, size_t& index) const {
    return const_cast<ValueTable*>(this)->zellenVon(col, row, index);
  }

  static std::string_view textOf(const Zellen& z, size_t index);
  static void storeText(Zellen& z, size_t index, std::string_view utf8);
  static void dropText(Zellen& z, size_t index);
  static void compact(Texte& t);
  static void kuerzen(Zellen& z, size_t n);
  static void zellenTrimmen(Zellen& z) noexcept;
  static size_t speicherVon(const Zellen& z);
  static Zellen spalteAus(std::vector<double>&& values, size_t zeilen);
  void zelleSetzen(Zellen& z, size_t index, std::string_view utf8);
  bool inside(int col, int row) const {
    return col >= 0 && row >= 0 && col < columnCount() && row < rows_;
  }

  std::vector<Zellen> cols_;
  Zellen kopf_;  // row 0, by column
  int rows_ = 0;
};
