#include "datagraph/value_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "core/tabelle.h"
#include "core/zahltext.h"

namespace {

constexpr double kLeer = std::numeric_limits<double>::quiet_NaN();

}  // namespace

ValueTable::ValueTable() { setSize(0, 2); }

void ValueTable::setSize(int cols, int rows) {
  cols = std::max(cols, 0);
  rows = std::max(rows, 0);
  cols_.resize(static_cast<size_t>(cols));
  const auto n = static_cast<size_t>(rows);
  for (Column& c : cols_) {
    if (!c.wert.empty()) c.wert.resize(n, kLeer);
    if (rows < rows_) {
      // Texts of dropped rows would otherwise stay in the buffer.
      for (size_t r = n; r < c.alle.size(); ++r) c.totBytes += c.alle[r].laenge;
      for (auto it = c.wenige.begin(); it != c.wenige.end();) {
        if (static_cast<size_t>(it->first) >= n) {
          c.totBytes += it->second.laenge;
          it = c.wenige.erase(it);
        } else {
          ++it;
        }
      }
    }
    if (!c.alle.empty()) c.alle.resize(n);
    if (c.totBytes > c.bytes.size() / 2) compact(c);
  }
  rows_ = rows;
}

void ValueTable::setWert(Column& c, size_t row, double value) {
  if (c.wert.empty()) {
    if (std::isnan(value)) return;
    c.wert.assign(static_cast<size_t>(rows_), kLeer);
  }
  c.wert[row] = value;
}

std::string_view ValueTable::textOf(const Column& c, size_t row) {
  Stelle s;
  if (!c.alle.empty()) {
    s = c.alle[row];
  } else if (!c.wenige.empty()) {
    const auto it = c.wenige.find(static_cast<int32_t>(row));
    if (it == c.wenige.end()) return {};
    s = it->second;
  }
  return std::string_view(c.bytes.data() + s.anfang, s.laenge);
}

void ValueTable::clear() {
  for (Column& c : cols_) {
    // Swapped, not move-assigned: a moved-into string keeps its old buffer.
    Column frisch;
    std::swap(c, frisch);
  }
  rows_ = 2;
}

QString ValueTable::cell(int col, int row) const {
  if (!inside(col, row)) return {};
  const Column& c = cols_[static_cast<size_t>(col)];
  const auto r = static_cast<size_t>(row);
  const std::string_view text = textOf(c, r);
  if (!text.empty()) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const double v = c.wert.empty() ? kLeer : c.wert[r];
  if (std::isnan(v)) return {};
  return QString::fromLatin1(kolvex::FloatText(v));
}

void ValueTable::setCell(int col, int row, std::string_view utf8) {
  if (!inside(col, row)) return;
  Column& c = cols_[static_cast<size_t>(col)];
  double d = kLeer;
  const kolvex::ZellArt art = kolvex::ZelleLesen(utf8, d);
  setWert(c, static_cast<size_t>(row),
          (art == kolvex::ZellArt::Leer || art == kolvex::ZellArt::Text) ? kLeer : d);
  if (art == kolvex::ZellArt::Text || art == kolvex::ZellArt::ZahlMitText)
    storeText(c, row, utf8);
  else
    dropText(c, row);
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
  if (!inside(col, row)) return;
  Column& c = cols_[static_cast<size_t>(col)];
  setWert(c, static_cast<size_t>(row), value);
  dropText(c, row);
}

void ValueTable::setNumbers(int col, int firstRow, std::span<const double> values) {
  if (col < 0 || col >= columnCount() || firstRow >= rows_) return;
  size_t von = 0;
  if (firstRow < 0) {
    von = static_cast<size_t>(-static_cast<int64_t>(firstRow));
    if (von >= values.size()) return;
    firstRow = 0;
  }
  const size_t n = std::min(values.size() - von, static_cast<size_t>(rows_ - firstRow));
  Column& c = cols_[static_cast<size_t>(col)];
  const auto start = static_cast<size_t>(firstRow);
  const auto erster = values.begin() + static_cast<ptrdiff_t>(von);
  // An empty column gets its values only when one of them is a number.
  if (c.wert.empty() &&
      !std::all_of(erster, erster + static_cast<ptrdiff_t>(n), [](double v) { return std::isnan(v); }))
    c.wert.assign(static_cast<size_t>(rows_), kLeer);
  if (!c.wert.empty()) std::copy_n(erster, n, c.wert.begin() + static_cast<ptrdiff_t>(start));
  for (size_t r = start; r < start + n && !c.alle.empty(); ++r) {
    c.totBytes += c.alle[r].laenge;
    c.alle[r].laenge = 0;
  }
  for (auto it = c.wenige.begin(); it != c.wenige.end();) {
    const auto r = static_cast<size_t>(it->first);
    if (r >= start && r < start + n) {
      c.totBytes += it->second.laenge;
      it = c.wenige.erase(it);
    } else {
      ++it;
    }
  }
}

void ValueTable::copyFrom(const ValueTable& other) {
  if (&other == this) return;
  cols_ = other.cols_;
  rows_ = other.rows_;
}

void ValueTable::swap(ValueTable& other) noexcept {
  cols_.swap(other.cols_);
  std::swap(rows_, other.rows_);
}

void ValueTable::setColumn(int col, std::vector<double>&& values) {
  if (col < 0 || col >= columnCount()) return;
  Column frisch;
  frisch.wert = std::move(values);
  if (!frisch.wert.empty()) frisch.wert.resize(static_cast<size_t>(rows_), kLeer);
  std::swap(cols_[static_cast<size_t>(col)], frisch);
}

void ValueTable::insertColumn(int at, std::vector<double>&& values) {
  at = std::clamp(at, 0, columnCount());
  Column neu;
  neu.wert = std::move(values);
  if (!neu.wert.empty()) neu.wert.resize(static_cast<size_t>(rows_), kLeer);
  cols_.insert(cols_.begin() + at, std::move(neu));
}

void ValueTable::removeColumn(int col) {
  if (col < 0 || col >= columnCount()) return;
  cols_.erase(cols_.begin() + col);
}

bool ValueTable::isEmpty(int col, int row) const {
  if (!inside(col, row)) return true;
  const Column& c = cols_[static_cast<size_t>(col)];
  const auto r = static_cast<size_t>(row);
  if (!c.wert.empty() && !std::isnan(c.wert[r])) return false;
  return textOf(c, r).empty();
}

void ValueTable::keepRows(const std::vector<bool>& keep) {
  const auto alt = static_cast<size_t>(rows_);
  std::vector<int32_t> neuIndex(alt, -1);
  int32_t neu = 0;
  for (size_t r = 0; r < alt && r < keep.size(); ++r)
    if (keep[r]) neuIndex[r] = neu++;
  if (static_cast<size_t>(neu) == alt) return;
  const auto n = static_cast<size_t>(neu);
  for (Column& c : cols_) {
    if (!c.wert.empty()) {
      for (size_t r = 0; r < alt; ++r)
        if (neuIndex[r] >= 0) c.wert[static_cast<size_t>(neuIndex[r])] = c.wert[r];
      c.wert.resize(n);
      c.wert.shrink_to_fit();
    }
    if (!c.alle.empty()) {
      for (size_t r = 0; r < alt; ++r) {
        if (neuIndex[r] >= 0)
          c.alle[static_cast<size_t>(neuIndex[r])] = c.alle[r];
        else
          c.totBytes += c.alle[r].laenge;
      }
      c.alle.resize(n);
    }
    if (!c.wenige.empty()) {
      std::unordered_map<int32_t, Stelle> umgezogen;
      for (const auto& [r, s] : c.wenige) {
        const int32_t z = static_cast<size_t>(r) < alt ? neuIndex[static_cast<size_t>(r)] : -1;
        if (z >= 0)
          umgezogen[z] = s;
        else
          c.totBytes += s.laenge;
      }
      c.wenige = std::move(umgezogen);
    }
    if (c.totBytes > 0) compact(c);
  }
  rows_ = neu;
}

void ValueTable::moveFrom(ValueTable& other) {
  if (&other == this) return;
  swap(other);
  ValueTable leer;  // my former cells go with it
  other.swap(leer);
}

size_t ValueTable::memoryUsed() const {
  size_t n = cols_.capacity() * sizeof(Column);
  for (const Column& c : cols_) {
    n += c.wert.capacity() * sizeof(double) + c.alle.capacity() * sizeof(Stelle) +
         c.bytes.capacity() + c.wenige.bucket_count() * sizeof(void*) +
         c.wenige.size() * (sizeof(std::pair<int32_t, Stelle>) + 2 * sizeof(void*));
  }
  return n;
}

void ValueTable::storeText(Column& c, int row, std::string_view utf8) {
  dropText(c, row);
  // Offsets are 32 bits: one column's texts stay below 4 GB.
  constexpr size_t grenze = std::numeric_limits<uint32_t>::max();
  if (utf8.size() > grenze || c.bytes.size() + utf8.size() > grenze) {
    compact(c);
    if (utf8.size() > grenze || c.bytes.size() + utf8.size() > grenze) throw std::bad_alloc();
  }
  const Stelle neu{static_cast<uint32_t>(c.bytes.size()), static_cast<uint32_t>(utf8.size())};
  c.bytes.append(utf8);
  if (c.alle.empty() && c.wenige.size() >= std::max<size_t>(64, static_cast<size_t>(rows_) / 16)) {
    // Many texts: a place per row costs less than a map entry per text.
    c.alle.assign(static_cast<size_t>(rows_), Stelle{});
    for (const auto& [r, st] : c.wenige) c.alle[static_cast<size_t>(r)] = st;
    c.wenige = {};
  }
  if (!c.alle.empty())
    c.alle[static_cast<size_t>(row)] = neu;
  else
    c.wenige[row] = neu;
  if (c.totBytes > 4096 && c.totBytes > c.bytes.size() / 2) compact(c);
}

void ValueTable::dropText(Column& c, int row) {
  if (!c.alle.empty()) {
    Stelle& s = c.alle[static_cast<size_t>(row)];
    c.totBytes += s.laenge;
    s.laenge = 0;
  } else if (!c.wenige.empty()) {
    const auto it = c.wenige.find(row);
    if (it == c.wenige.end()) return;
    c.totBytes += it->second.laenge;
    c.wenige.erase(it);
  }
}

void ValueTable::compact(Column& c) {
  std::string neu;
  neu.reserve(c.bytes.size() - std::min(c.totBytes, c.bytes.size()));
  auto umziehen = [&](Stelle& s) {
    if (s.laenge == 0) return;
    const size_t a = neu.size();
    neu.append(c.bytes, s.anfang, s.laenge);
    s.anfang = static_cast<uint32_t>(a);
  };
  for (Stelle& s : c.alle) umziehen(s);
  for (auto& [r, s] : c.wenige) umziehen(s);
  c.bytes = std::move(neu);
  c.totBytes = 0;
}
