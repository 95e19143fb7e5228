#include "datagraph/value_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "core/zahltext.h"

namespace {

constexpr double kLeer = std::numeric_limits<double>::quiet_NaN();

constexpr double kZehnerPotenz[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The general float text prints 15 significant digits, no trailing zeros, no "+" and no
// leading zeros, in fixed form from 1e-4 up to below 1e15. A text of exactly that shape
// names a decimal of at most 15 digits, which survives the trip through a double (15 is
// the double's guaranteed decimal precision), so the text is that double's general text.
// The mantissa stays below 2^53 and the power of ten is exact, so one division gives the
// correctly rounded double.
template <class Ch>
bool kanonisch(const Ch* p, size_t n, double& value) {
  size_t i = 0;
  bool negativ = false;
  if (i < n && p[i] == Ch('-')) {
    negativ = true;
    ++i;
  }
  if (i >= n) return false;
  auto ziffer = [](Ch c) { return c >= Ch('0') && c <= Ch('9'); };

  uint64_t m = 0;
  int stellen = 0;
  bool ganzNull = false;
  if (p[i] == Ch('0')) {
    ganzNull = true;
    ++i;
  } else if (ziffer(p[i])) {
    while (i < n && ziffer(p[i])) {
      m = m * 10 + static_cast<uint64_t>(p[i] - Ch('0'));
      if (++stellen > 15) return false;
      ++i;
    }
  } else {
    return false;
  }

  int nachkomma = 0;
  if (i < n) {
    if (p[i] != Ch(',')) return false;
    ++i;
    if (i >= n || p[n - 1] == Ch('0')) return false;  // "5," or a trailing zero
    int fuehrendeNullen = 0;
    for (; i < n; ++i) {
      if (!ziffer(p[i])) return false;
      const auto d = static_cast<uint64_t>(p[i] - Ch('0'));
      if (m == 0 && d == 0) {
        ++fuehrendeNullen;
      } else {
        m = m * 10 + d;
        if (++stellen > 15) return false;
      }
      ++nachkomma;
    }
    if (ganzNull && fuehrendeNullen > 3) return false;  // below 1e-4: "1E-5" form
  }
  if (m == 0 && negativ) return false;  // "-0" prints as "0"
  double v = static_cast<double>(m);
  if (nachkomma > 0) v /= kZehnerPotenz[nachkomma];
  value = negativ ? -v : v;
  return true;
}

bool nurAscii(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

bool ValueTable::canonicalNumber(std::string_view text, double& value) {
  return kanonisch(text.data(), text.size(), value);
}

bool ValueTable::canonicalNumber(const char16_t* text, size_t length, double& value) {
  return kanonisch(text, length, value);
}

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
  if (c.hatText() && c.laenge[r] > 0)
    return QString::fromUtf8(c.bytes.data() + c.anfang[r], static_cast<qsizetype>(c.laenge[r]));
  const double v = c.wert[r];
  if (std::isnan(v)) return {};
  return QString::fromLatin1(kolvex::FloatText(v));
}

void ValueTable::setCell(int col, int row, std::string_view utf8) {
  if (!inside(col, row)) return;
  Column& c = cols_[static_cast<size_t>(col)];
  const auto r = static_cast<size_t>(row);
  double d = 0;
  if (utf8.empty()) {
    c.wert[r] = kLeer;
    dropText(c, row);
    return;
  }
  if (kanonisch(utf8.data(), utf8.size(), d)) {
    c.wert[r] = d;
    dropText(c, row);
    return;
  }
  long double v = 0;
  if (nurAscii(utf8) && kolvex::TextZuZahlStreng(utf8, v) && v != kolvex::KeineZahl) {
    d = static_cast<double>(v);
    c.wert[r] = d;
    if (kolvex::FloatText(d) == utf8)
      dropText(c, row);
    else
      storeText(c, row, utf8);
    return;
  }
  c.wert[r] = kLeer;
  storeText(c, row, utf8);
}

void ValueTable::setCell(int col, int row, const QString& text) {
  if (!inside(col, row)) return;
  double d = 0;
  if (!text.isEmpty() && kanonisch(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<size_t>(text.size()), d)) {
    Column& c = cols_[static_cast<size_t>(col)];
    c.wert[static_cast<size_t>(row)] = d;
    dropText(c, row);
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

size_t ValueTable::memoryUsed() const {
  size_t n = cols_.capacity() * sizeof(Column);
  for (const Column& c : cols_) {
    n += c.wert.capacity() * sizeof(double) + c.anfang.capacity() * sizeof(uint32_t) +
         c.laenge.capacity() * sizeof(uint32_t) + c.bytes.capacity();
  }
  return n;
}

void ValueTable::storeText(Column& c, int row, std::string_view utf8) {
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
