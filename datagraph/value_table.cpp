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
    c.wert.resize(n, kLeer);
    if (c.hatText()) {
      if (rows < rows_) {
        // Texts of dropped rows would otherwise stay in the buffer.
        for (size_t r = n; r < c.laenge.size(); ++r) c.totBytes += c.laenge[r];
      }
      c.anfang.resize(n, 0);
      c.laenge.resize(n, 0);
      if (c.totBytes > c.bytes.size() / 2) compact(c);
    }
  }
  if (rows == 0) {
    for (Column& c : cols_) {
      c.kopf.clear();
      c.kopfText = false;
    }
  }
  rows_ = rows;
}

void ValueTable::clear() {
  for (Column& c : cols_) {
    // Swapped, not move-assigned: a moved-into string keeps its old buffer.
    Column frisch;
    frisch.wert.assign(2, kLeer);
    std::swap(c, frisch);
  }
  rows_ = 2;
}

QString ValueTable::cell(int col, int row) const {
  if (!inside(col, row)) return {};
  const Column& c = cols_[static_cast<size_t>(col)];
  const auto r = static_cast<size_t>(row);
  if (row == 0 && c.kopfText)
    return QString::fromUtf8(c.kopf.data(), static_cast<qsizetype>(c.kopf.size()));
  if (c.hatText() && c.laenge[r] > 0)
    return QString::fromUtf8(c.bytes.data() + c.anfang[r], static_cast<qsizetype>(c.laenge[r]));
  const double v = c.wert[r];
  if (std::isnan(v)) return {};
  return QString::fromLatin1(kolvex::FloatText(v));
}

void ValueTable::setCell(int col, int row, std::string_view utf8) {
  if (!inside(col, row)) return;
  Column& c = cols_[static_cast<size_t>(col)];
  double d = kLeer;
  const kolvex::ZellArt art = kolvex::ZelleLesen(utf8, d);
  c.wert[static_cast<size_t>(row)] =
      (art == kolvex::ZellArt::Leer || art == kolvex::ZellArt::Text) ? kLeer : d;
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
  c.wert[static_cast<size_t>(row)] = value;
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
  std::copy_n(values.begin() + static_cast<ptrdiff_t>(von), n, c.wert.begin() + static_cast<ptrdiff_t>(start));
  if (start == 0 && n > 0) dropText(c, 0);
  if (c.hatText()) {
    for (size_t r = start; r < start + n; ++r) {
      c.totBytes += c.laenge[r];
      c.laenge[r] = 0;
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
  frisch.wert.resize(static_cast<size_t>(rows_), kLeer);
  std::swap(cols_[static_cast<size_t>(col)], frisch);
}

void ValueTable::insertColumn(int at, std::vector<double>&& values) {
  at = std::clamp(at, 0, columnCount());
  Column neu;
  neu.wert = std::move(values);
  neu.wert.resize(static_cast<size_t>(rows_), kLeer);
  cols_.insert(cols_.begin() + at, std::move(neu));
}

bool ValueTable::isEmpty(int col, int row) const {
  if (!inside(col, row)) return true;
  const Column& c = cols_[static_cast<size_t>(col)];
  const auto r = static_cast<size_t>(row);
  if (!std::isnan(c.wert[r])) return false;
  if (row == 0) return !c.kopfText || c.kopf.empty();
  return !c.hatText() || c.laenge[r] == 0;
}

void ValueTable::removeColumn(int col) {
  if (col < 0 || col >= columnCount()) return;
  cols_.erase(cols_.begin() + col);
}

void ValueTable::keepRows(const std::vector<bool>& keep) {
  const size_t alt = static_cast<size_t>(rows_);
  size_t neu = 0;
  for (size_t r = 0; r < alt && r < keep.size(); ++r) neu += keep[r] ? 1 : 0;
  if (neu == alt) return;
  for (Column& c : cols_) {
    size_t z = 0;
    for (size_t r = 0; r < alt && r < keep.size(); ++r) {
      if (!keep[r]) continue;
      if (z != r) {
        c.wert[z] = c.wert[r];
        if (c.hatText()) {
          c.anfang[z] = c.anfang[r];
          c.laenge[z] = c.laenge[r];
        }
      }
      ++z;
    }
    if (!keep.empty() && !keep[0]) {
      // The header went: the first kept row is row 0 now and its text sits in the column.
      if (c.hatText() && neu > 0 && c.laenge[0] > 0) {
        c.kopf.assign(c.bytes, c.anfang[0], c.laenge[0]);
        c.kopfText = true;
        c.totBytes += c.laenge[0];
        c.laenge[0] = 0;
      } else {
        c.kopf.clear();
        c.kopfText = false;
      }
    }
    c.wert.resize(neu);
    c.wert.shrink_to_fit();
    if (c.hatText()) {
      c.anfang.resize(neu);
      c.laenge.resize(neu);
      compact(c);
    }
  }
  rows_ = static_cast<int>(neu);
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
    n += c.wert.capacity() * sizeof(double) + c.anfang.capacity() * sizeof(uint32_t) +
         c.laenge.capacity() * sizeof(uint32_t) + c.bytes.capacity() + c.kopf.capacity();
  }
  return n;
}

void ValueTable::storeText(Column& c, int row, std::string_view utf8) {
  if (row == 0) {
    c.kopf.assign(utf8);
    c.kopfText = true;
    return;
  }
  const auto r = static_cast<size_t>(row);
  if (!c.hatText()) {
    c.anfang.assign(static_cast<size_t>(rows_), 0);
    c.laenge.assign(static_cast<size_t>(rows_), 0);
  }
  c.totBytes += c.laenge[r];
  c.laenge[r] = 0;
  // Offsets are 32 bits: one column's texts stay below 4 GB.
  constexpr size_t grenze = std::numeric_limits<uint32_t>::max();
  if (utf8.size() > grenze || c.bytes.size() + utf8.size() > grenze) {
    compact(c);
    if (utf8.size() > grenze || c.bytes.size() + utf8.size() > grenze) throw std::bad_alloc();
  }
  c.anfang[r] = static_cast<uint32_t>(c.bytes.size());
  c.bytes.append(utf8);
  c.laenge[r] = static_cast<uint32_t>(utf8.size());
  if (c.totBytes > 4096 && c.totBytes > c.bytes.size() / 2) compact(c);
}

void ValueTable::dropText(Column& c, int row) {
  if (row == 0) {
    c.kopf.clear();
    c.kopfText = false;
    return;
  }
  if (!c.hatText()) return;
  const auto r = static_cast<size_t>(row);
  c.totBytes += c.laenge[r];
  c.laenge[r] = 0;
}

void ValueTable::compact(Column& c) {
  std::string neu;
  neu.reserve(c.bytes.size() - std::min(c.totBytes, c.bytes.size()));
  for (size_t r = 0; r < c.laenge.size(); ++r) {
    if (c.laenge[r] == 0) continue;
    const size_t a = neu.size();
    neu.append(c.bytes, c.anfang[r], c.laenge[r]);
    c.anfang[r] = static_cast<uint32_t>(a);
  }
  c.bytes = std::move(neu);
  c.totBytes = 0;
}
