#include "datagraph/value_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "core/tabelle.h"
#include "core/zahltext.h"

namespace {

constexpr double kLeer = std::numeric_limits<double>::quiet_NaN();

// Grows a vector to n entries, reserving exactly n: the library's own growth would reserve
// up to twice the size, and a table of 30 million rows would keep the rest for good.
template <class T>
void wachsen(std::vector<T>& v, size_t n, const T& neu) {
  if (v.size() >= n) return;
  if (v.capacity() < n) v.reserve(n);
  v.resize(n, neu);
}

}  // namespace

ValueTable::ValueTable() { setSize(0, 2); }

size_t ValueTable::laengeVon(const Zellen& z) const {
  return &z == &kopf_ ? cols_.size() : static_cast<size_t>(rows_);
}

ValueTable::Zellen* ValueTable::zellenVon(int col, int row, size_t& index) {
  if (!inside(col, row)) return nullptr;
  index = static_cast<size_t>(row == 0 ? col : row);
  return row == 0 ? &kopf_ : &cols_[static_cast<size_t>(col)];
}

const ValueTable::Zellen* ValueTable::zellenVon(int col, int row, size_t& index) const {
  return const_cast<ValueTable*>(this)->zellenVon(col, row, index);
}

void ValueTable::kuerzen(Zellen& z, size_t n) {
  if (z.wert.size() > n) z.wert.resize(n);
  if (!z.texte) return;
  Texte& t = *z.texte;
  for (size_t i = n; i < t.alle.size(); ++i) t.totBytes += t.alle[i].laenge;
  if (t.alle.size() > n) t.alle.resize(n);
  for (auto it = t.wenige.begin(); it != t.wenige.end();) {
    if (static_cast<size_t>(it->first) >= n) {
      t.totBytes += it->second.laenge;
      it = t.wenige.erase(it);
    } else {
      ++it;
    }
  }
}

void ValueTable::setSize(int cols, int rows) {
  cols = std::max(cols, 0);
  rows = std::max(rows, 0);
  const auto altSpalten = cols_.size();
  const auto altZeilen = static_cast<size_t>(rows_);
  const auto n = static_cast<size_t>(rows);
  const auto spalten = static_cast<size_t>(cols);

  // Shrinking gives nothing back to the allocator, so it cannot fail.
  if (spalten < altSpalten) {
    cols_.resize(spalten);
    kuerzen(kopf_, spalten);
  }
  if (n < altZeilen) {
    for (Zellen& c : cols_) kuerzen(c, n);
    if (n == 0) kopf_ = Zellen();  // no row 0: no header
  }
  const size_t festSpalten = std::min(spalten, altSpalten);
  const size_t festZeilen = std::min(n, altZeilen);
  try {
    if (spalten > altSpalten) {
      wachsen(cols_, spalten, Zellen());
      if (!kopf_.wert.empty()) wachsen(kopf_.wert, spalten, kLeer);
      if (kopf_.texte && !kopf_.texte->alle.empty()) wachsen(kopf_.texte->alle, spalten, Stelle{});
    }
    if (n > altZeilen) {
      for (Zellen& c : cols_) {
        if (!c.wert.empty()) wachsen(c.wert, n, kLeer);
        if (c.texte && !c.texte->alle.empty()) wachsen(c.texte->alle, n, Stelle{});
      }
    }
  } catch (...) {
    // Back to what the shrinking left, so that every store fits the size again.
    cols_.resize(festSpalten);
    kuerzen(kopf_, festSpalten);
    for (Zellen& c : cols_) kuerzen(c, festZeilen);
    rows_ = static_cast<int>(festZeilen);
    throw;
  }
  rows_ = rows;
  // Texts of dropped cells would otherwise stay in the buffers.
  auto aufraeumen = [](Zellen& z) {
    if (z.texte && z.texte->totBytes > z.texte->bytes.size() / 2) compact(*z.texte);
  };
  if (spalten < altSpalten) aufraeumen(kopf_);
  if (n < altZeilen) std::for_each(cols_.begin(), cols_.end(), aufraeumen);
}

void ValueTable::setWert(Zellen& z, size_t index, double value, size_t laenge) {
  if (z.wert.empty()) {
    if (std::isnan(value)) return;
    z.wert.assign(laenge, kLeer);
  }
  z.wert[index] = value;
}

std::string_view ValueTable::textOf(const Zellen& z, size_t index) {
  if (!z.texte) return {};
  const Texte& t = *z.texte;
  Stelle s;
  if (!t.alle.empty()) {
    s = t.alle[index];
  } else if (!t.wenige.empty()) {
    const auto it = t.wenige.find(static_cast<int32_t>(index));
    if (it == t.wenige.end()) return {};
    s = it->second;
  }
  return std::string_view(t.bytes.data() + s.anfang, s.laenge);
}

void ValueTable::clear() {
  for (Zellen& c : cols_) {
    // Swapped, not move-assigned: a moved-into vector keeps its old buffer.
    Zellen frisch;
    std::swap(c, frisch);
  }
  Zellen frisch;
  std::swap(kopf_, frisch);
  rows_ = 2;
}

void ValueTable::trim() {
  cols_.shrink_to_fit();
  zellenTrimmen(kopf_);
  for (Zellen& c : cols_) zellenTrimmen(c);
}

void ValueTable::zellenTrimmen(Zellen& z) {
  z.wert.shrink_to_fit();
  if (!z.texte) return;
  Texte& t = *z.texte;
  t.alle.shrink_to_fit();
  if (t.totBytes > 0)
    compact(t);
  else if (t.bytes.capacity() > t.bytes.size())
    std::string(t.bytes).swap(t.bytes);  // a copy holds exactly its bytes
}

QString ValueTable::cell(int col, int row) const {
  size_t i = 0;
  const Zellen* z = zellenVon(col, row, i);
  if (!z) return {};
  const std::string_view text = textOf(*z, i);
  if (!text.empty()) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const double v = z->wert.empty() ? kLeer : z->wert[i];
  if (std::isnan(v)) return {};
  return QString::fromLatin1(kolvex::FloatText(v));
}

std::string ValueTable::cellUtf8(int col, int row) const {
  size_t i = 0;
  const Zellen* z = zellenVon(col, row, i);
  if (!z) return {};
  const std::string_view text = textOf(*z, i);
  if (!text.empty()) return std::string(text);
  const double v = z->wert.empty() ? kLeer : z->wert[i];
  if (std::isnan(v)) return {};
  return kolvex::FloatText(v);
}

void ValueTable::zelleSetzen(Zellen& z, size_t index, std::string_view utf8, size_t laenge) {
  double d = kLeer;
  const kolvex::ZellArt art = kolvex::ZelleLesen(utf8, d);
  if (art == kolvex::ZellArt::Zahl && !z.wert.empty()) {
    // The common case of a loaded table, kept short.
    z.wert[index] = d;
    if (z.texte) dropText(z, index);
    return;
  }
  setWert(z, index, (art == kolvex::ZellArt::Leer || art == kolvex::ZellArt::Text) ? kLeer : d, laenge);
  if (art == kolvex::ZellArt::Text || art == kolvex::ZellArt::ZahlMitText)
    storeText(z, index, utf8, laenge);
  else
    dropText(z, index);
}

void ValueTable::setCell(int col, int row, std::string_view utf8) {
  if (!inside(col, row)) return;
  if (row == 0)
    zelleSetzen(kopf_, static_cast<size_t>(col), utf8, cols_.size());
  else
    zelleSetzen(cols_[static_cast<size_t>(col)], static_cast<size_t>(row), utf8, static_cast<size_t>(rows_));
}

void ValueTable::setCell(int col, int row, const QString& text) {
  if (!inside(col, row)) return;
  double d = 0;
  if (!text.isEmpty() && kolvex::KanonischeZahl(reinterpret_cast<const char16_t*>(text.utf16()),
                                                static_cast<size_t>(text.size()), d)) {
    setNumber(col, row, d);
    return;
  }
  const QByteArray bytes = text.toUtf8();
  setCell(col, row, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void ValueTable::setNumber(int col, int row, double value) {
  size_t i = 0;
  Zellen* z = zellenVon(col, row, i);
  if (!z) return;
  setWert(*z, i, value, laengeVon(*z));
  dropText(*z, i);
}

void ValueTable::setNumbers(int col, int firstRow, std::span<const double> values) {
  if (col < 0 || col >= columnCount() || firstRow >= rows_) return;
  size_t von = 0;
  if (firstRow < 0) {
    von = static_cast<size_t>(-static_cast<int64_t>(firstRow));
    if (von >= values.size()) return;
    firstRow = 0;
  }
  if (firstRow == 0 && von < values.size()) {
    // Row 0 is the header store's.
    setNumber(col, 0, values[von]);
    ++von;
    firstRow = 1;
    if (von >= values.size() || firstRow >= rows_) return;
  }
  const size_t n = std::min(values.size() - von, static_cast<size_t>(rows_ - firstRow));
  Zellen& c = cols_[static_cast<size_t>(col)];
  const auto start = static_cast<size_t>(firstRow);
  const auto erster = values.begin() + static_cast<ptrdiff_t>(von);
  // An empty column gets its values only when one of them is a number.
  if (c.wert.empty() &&
      !std::all_of(erster, erster + static_cast<ptrdiff_t>(n), [](double v) { return std::isnan(v); }))
    c.wert.assign(static_cast<size_t>(rows_), kLeer);
  if (!c.wert.empty()) std::copy_n(erster, n, c.wert.begin() + static_cast<ptrdiff_t>(start));
  if (!c.texte) return;
  Texte& t = *c.texte;
  for (size_t r = start; r < start + n && !t.alle.empty(); ++r) {
    t.totBytes += t.alle[r].laenge;
    t.alle[r].laenge = 0;
  }
  for (auto it = t.wenige.begin(); it != t.wenige.end();) {
    const auto r = static_cast<size_t>(it->first);
    if (r >= start && r < start + n) {
      t.totBytes += it->second.laenge;
      it = t.wenige.erase(it);
    } else {
      ++it;
    }
  }
}

void ValueTable::copyFrom(const ValueTable& other) {
  if (&other == this) return;
  std::vector<Zellen> spalten = other.cols_;
  Zellen kopf = other.kopf_;
  cols_ = std::move(spalten);
  kopf_ = std::move(kopf);
  rows_ = other.rows_;
}

void ValueTable::swap(ValueTable& other) noexcept {
  cols_.swap(other.cols_);
  std::swap(kopf_, other.kopf_);
  std::swap(rows_, other.rows_);
}

void ValueTable::setColumn(int col, std::vector<double>&& values) {
  if (col < 0 || col >= columnCount()) return;
  Zellen frisch;
  frisch.wert = std::move(values);
  if (frisch.wert.size() > static_cast<size_t>(rows_)) frisch.wert.resize(static_cast<size_t>(rows_));
  if (!frisch.wert.empty()) wachsen(frisch.wert, static_cast<size_t>(rows_), kLeer);
  if (rows_ > 0) {
    setWert(kopf_, static_cast<size_t>(col), frisch.wert.empty() ? kLeer : frisch.wert[0], cols_.size());
    dropText(kopf_, static_cast<size_t>(col));
  }
  std::swap(cols_[static_cast<size_t>(col)], frisch);
}

void ValueTable::insertColumn(int at, std::vector<double>&& values) {
  at = std::clamp(at, 0, columnCount());
  const auto a = static_cast<size_t>(at);
  Zellen neu;
  neu.wert = std::move(values);
  if (neu.wert.size() > static_cast<size_t>(rows_)) neu.wert.resize(static_cast<size_t>(rows_));
  if (!neu.wert.empty()) wachsen(neu.wert, static_cast<size_t>(rows_), kLeer);
  const double kopfWert = neu.wert.empty() ? kLeer : neu.wert[0];

  // Everything that may fail first, then the moves that cannot.
  cols_.reserve(cols_.size() + 1);
  const size_t spalten = cols_.size() + 1;
  std::vector<double> kopfWerte;
  if (!kopf_.wert.empty()) {
    kopf_.wert.reserve(spalten);
  } else if (rows_ > 0 && !std::isnan(kopfWert)) {
    kopfWerte.assign(spalten, kLeer);
  }
  std::unordered_map<int32_t, Stelle> verschoben;
  if (kopf_.texte) {
    Texte& t = *kopf_.texte;
    if (!t.alle.empty()) t.alle.reserve(spalten);
    for (const auto& [i, s] : t.wenige) verschoben.emplace(i >= at ? i + 1 : i, s);
  }

  if (!kopf_.wert.empty()) {
    kopf_.wert.insert(kopf_.wert.begin() + at, kopfWert);
  } else if (!kopfWerte.empty()) {
    kopfWerte[a] = kopfWert;
    kopf_.wert = std::move(kopfWerte);
  }
  if (kopf_.texte) {
    Texte& t = *kopf_.texte;
    if (!t.alle.empty()) t.alle.insert(t.alle.begin() + at, Stelle{});
    t.wenige.swap(verschoben);
  }
  cols_.insert(cols_.begin() + at, std::move(neu));
}

void ValueTable::removeColumn(int col) {
  if (col < 0 || col >= columnCount()) return;
  if (kopf_.texte) {
    Texte& t = *kopf_.texte;
    std::unordered_map<int32_t, Stelle> verschoben;
    for (const auto& [i, s] : t.wenige) {
      if (i == col)
        t.totBytes += s.laenge;
      else
        verschoben.emplace(i > col ? i - 1 : i, s);
    }
    t.wenige.swap(verschoben);
    if (!t.alle.empty()) {
      t.totBytes += t.alle[static_cast<size_t>(col)].laenge;
      t.alle.erase(t.alle.begin() + col);
    }
  }
  if (!kopf_.wert.empty()) kopf_.wert.erase(kopf_.wert.begin() + col);
  cols_.erase(cols_.begin() + col);
}

bool ValueTable::isEmpty(int col, int row) const {
  size_t i = 0;
  const Zellen* z = zellenVon(col, row, i);
  if (!z) return true;
  if (!z->wert.empty() && !std::isnan(z->wert[i])) return false;
  return textOf(*z, i).empty();
}

void ValueTable::keepRows(const std::vector<bool>& keep) {
  const auto alt = static_cast<size_t>(rows_);
  std::vector<int32_t> neuIndex(alt, -1);
  int32_t neu = 0;
  for (size_t r = 0; r < alt && r < keep.size(); ++r)
    if (keep[r]) neuIndex[r] = neu++;
  if (static_cast<size_t>(neu) == alt) return;
  const auto n = static_cast<size_t>(neu);

  // The first row kept becomes the header row.
  Zellen kopf;
  bool kopfNeu = false;
  if (alt > 0 && neuIndex[0] != 0) {
    kopfNeu = true;
    const auto erste = static_cast<size_t>(std::find(neuIndex.begin(), neuIndex.end(), 0) - neuIndex.begin());
    for (size_t c = 0; erste < alt && c < cols_.size(); ++c) {
      const Zellen& s = cols_[c];
      if (!s.wert.empty()) setWert(kopf, c, s.wert[erste], cols_.size());
      const std::string_view text = textOf(s, erste);
      if (!text.empty()) storeText(kopf, c, text, cols_.size());
    }
  }

  for (Zellen& c : cols_) {
    // Index 0 of a column is not used: the rows going to 0 (the header) count as dropped.
    if (!c.wert.empty()) {
      for (size_t r = 1; r < alt; ++r)
        if (neuIndex[r] > 0) c.wert[static_cast<size_t>(neuIndex[r])] = c.wert[r];
      c.wert.resize(n);
      c.wert.shrink_to_fit();
    }
    if (!c.texte) continue;
    Texte& t = *c.texte;
    if (!t.alle.empty()) {
      for (size_t r = 1; r < alt; ++r) {
        if (neuIndex[r] > 0)
          t.alle[static_cast<size_t>(neuIndex[r])] = t.alle[r];
        else
          t.totBytes += t.alle[r].laenge;
      }
      if (n > 0) t.alle[0] = Stelle{};
      t.alle.resize(n);
    }
    if (!t.wenige.empty()) {
      std::unordered_map<int32_t, Stelle> umgezogen;
      for (const auto& [r, s] : t.wenige) {
        const int32_t z = r > 0 && static_cast<size_t>(r) < alt ? neuIndex[static_cast<size_t>(r)] : -1;
        if (z > 0)
          umgezogen[z] = s;
        else
          t.totBytes += s.laenge;
      }
      t.wenige = std::move(umgezogen);
    }
    if (t.totBytes > 0) compact(t);
  }
  if (kopfNeu) kopf_ = std::move(kopf);
  if (n == 0) kopf_ = Zellen();
  rows_ = neu;
}

void ValueTable::moveFrom(ValueTable& other) {
  if (&other == this) return;
  swap(other);
  ValueTable leer;  // my former cells go with it
  other.swap(leer);
}

size_t ValueTable::speicherVon(const Zellen& z) {
  size_t n = z.wert.capacity() * sizeof(double);
  if (z.texte) {
    const Texte& t = *z.texte;
    n += sizeof(Texte) + t.alle.capacity() * sizeof(Stelle) + t.bytes.capacity() +
         t.wenige.bucket_count() * sizeof(void*) +
         t.wenige.size() * (sizeof(std::pair<int32_t, Stelle>) + 2 * sizeof(void*));
  }
  return n;
}

size_t ValueTable::memoryUsed() const {
  size_t n = cols_.capacity() * sizeof(Zellen) + speicherVon(kopf_);
  for (const Zellen& c : cols_) n += speicherVon(c);
  return n;
}

void ValueTable::storeText(Zellen& z, size_t index, std::string_view utf8, size_t laenge) {
  if (!z.texte) z.texte = std::make_unique<Texte>();
  Texte& t = *z.texte;
  dropText(z, index);
  // Offsets are 32 bits: one column's texts stay below 4 GB.
  constexpr size_t grenze = std::numeric_limits<uint32_t>::max();
  if (utf8.size() > grenze || t.bytes.size() + utf8.size() > grenze) {
    compact(t);
    if (utf8.size() > grenze || t.bytes.size() + utf8.size() > grenze) throw std::bad_alloc();
  }
  const Stelle neu{static_cast<uint32_t>(t.bytes.size()), static_cast<uint32_t>(utf8.size())};
  if (t.alle.empty() && t.wenige.size() >= std::max<size_t>(64, laenge / 16)) {
    // Many texts: a place per index costs less than a map entry per text.
    std::vector<Stelle> alle(laenge, Stelle{});
    for (const auto& [r, st] : t.wenige) alle[static_cast<size_t>(r)] = st;
    t.alle = std::move(alle);
    t.wenige = {};
  }
  t.bytes.append(utf8);
  if (!t.alle.empty())
    t.alle[index] = neu;
  else
    t.wenige[static_cast<int32_t>(index)] = neu;
  if (t.totBytes > 4096 && t.totBytes > t.bytes.size() / 2) compact(t);
}

void ValueTable::dropText(Zellen& z, size_t index) {
  if (!z.texte) return;
  Texte& t = *z.texte;
  if (!t.alle.empty()) {
    Stelle& s = t.alle[index];
    t.totBytes += s.laenge;
    s.laenge = 0;
  } else if (!t.wenige.empty()) {
    const auto it = t.wenige.find(static_cast<int32_t>(index));
    if (it == t.wenige.end()) return;
    t.totBytes += it->second.laenge;
    t.wenige.erase(it);
  }
}

void ValueTable::compact(Texte& t) {
  std::string neu;
  neu.reserve(t.bytes.size() - std::min(t.totBytes, t.bytes.size()));
  auto umziehen = [&](Stelle& s) {
    if (s.laenge == 0) return;
    const size_t a = neu.size();
    neu.append(t.bytes, s.anfang, s.laenge);
    s.anfang = static_cast<uint32_t>(a);
  };
  for (Stelle& s : t.alle) umziehen(s);
  for (auto& [r, s] : t.wenige) umziehen(s);
  t.bytes = std::move(neu);
  t.totBytes = 0;
}
