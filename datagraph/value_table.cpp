#include "datagraph/value_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "core/tabelle.h"
#include "core/zahltext.h"

namespace {

constexpr double kLeer = std::numeric_limits<double>::quiet_NaN();
// Indexes and counts of a store are 32 bits (rows and columns are counted in int).
constexpr size_t kHoechstIndex = std::numeric_limits<uint32_t>::max() - 1;

}  // namespace

// ---- Belegung ----------------------------------------------------------------------------------

template <class T>
size_t ValueTable::Belegung<T>::mehrPlatz(size_t noetig, size_t jetzt) {
  if (noetig > kHoechstIndex + 1) throw std::bad_alloc();
  // Half again as much: the room grown ahead stays below half of what is held.
  return std::min(std::max(noetig, jetzt + jetzt / 2), kHoechstIndex + 1);
}

template <class T>
typename ValueTable::Belegung<T>::Kopf* ValueTable::Belegung<T>::neuerBlock(bool dicht, size_t platz) {
  const size_t groesse = sizeof(Kopf) + platz * (dicht ? sizeof(T) : sizeof(Paar));
  auto* k = static_cast<Kopf*>(std::malloc(groesse));
  if (!k) throw std::bad_alloc();
  *k = Kopf{0, static_cast<uint32_t>(platz), 0, dicht ? 1u : 0u};
  return k;
}

template <class T>
void ValueTable::Belegung<T>::platzAendern(size_t platz) {
  // In place where the allocator can (a large block is remapped, not copied).
  const size_t groesse = sizeof(Kopf) + platz * (b_->dicht ? sizeof(T) : sizeof(Paar));
  auto* k = static_cast<Kopf*>(std::realloc(b_, groesse));
  if (!k) throw std::bad_alloc();
  b_ = k;
  b_->platz = static_cast<uint32_t>(platz);
}

template <class T>
size_t ValueTable::Belegung<T>::spanne() const {
  size_t bis = b_->laenge;
  if (b_->dicht)
    while (bis > 0 && istLeer(dichte()[bis - 1])) --bis;
  else if (bis > 0)
    bis = size_t{paare()[bis - 1].index} + 1;
  return bis;
}

template <class T>
typename ValueTable::Belegung<T>::Kopf* ValueTable::Belegung<T>::umgebaut(bool dicht, size_t platz) const {
  Kopf* k = neuerBlock(dicht, platz);
  if (!b_) return k;
  Belegung neu;
  neu.b_ = k;
  if (dicht && b_->dicht) {
    // Up to the last value held, which may lie before the end.
    const size_t laenge = spanne();
    std::memcpy(neu.dichte(), dichte(), laenge * sizeof(T));
    k->laenge = static_cast<uint32_t>(laenge);
  } else if (dicht) {
    T* d = neu.dichte();
    size_t laenge = 0;
    fuerJeden([&](size_t i, const T& v) {
      while (laenge < i) d[laenge++] = leerWert();
      d[laenge++] = v;
    });
    k->laenge = static_cast<uint32_t>(laenge);
  } else {
    Paar* p = neu.paare();
    size_t n = 0;
    fuerJeden([&](size_t i, const T& v) { paarSetzen(p[n++], i, v); });
    k->laenge = static_cast<uint32_t>(n);
  }
  k->anzahl = b_->anzahl;
  neu.b_ = nullptr;
  return k;
}

template <class T>
ValueTable::Belegung<T>::Belegung(const Belegung& o) {
  if (!o.b_ || o.b_->anzahl == 0) return;
  b_ = o.umgebaut(o.b_->dicht != 0, o.b_->dicht ? o.b_->laenge : o.b_->anzahl);
}

template <class T>
template <class F>
void ValueTable::Belegung<T>::fuerJeden(F f) const {
  if (!b_) return;
  if (b_->dicht) {
    const T* d = dichte();
    for (size_t i = 0; i < b_->laenge; ++i)
      if (!istLeer(d[i])) f(i, d[i]);
  } else {
    const Paar* p = paare();
    for (size_t k = 0; k < b_->laenge; ++k) f(p[k].index, paarWert(p[k]));
  }
}

template <class T>
template <class F>
void ValueTable::Belegung<T>::jedenAendern(F f) {
  if (!b_) return;
  if (b_->dicht) {
    T* d = dichte();
    for (size_t i = 0; i < b_->laenge; ++i)
      if (!istLeer(d[i])) f(d[i]);
  } else {
    Paar* p = paare();
    for (size_t k = 0; k < b_->laenge; ++k) {
      T v = paarWert(p[k]);
      f(v);
      std::memcpy(p[k].wert, &v, sizeof(T));
    }
  }
}

template <class T>
size_t ValueTable::Belegung<T>::untereGrenze(size_t i) const {
  const Paar* p = paare();
  size_t lo = 0;
  size_t hi = b_->laenge;
  while (lo < hi) {
    const size_t mitte = lo + (hi - lo) / 2;
    if (p[mitte].index < i)
      lo = mitte + 1;
    else
      hi = mitte;
  }
  return lo;
}

template <class T>
T ValueTable::Belegung<T>::suchen(size_t i) const {
  const size_t k = untereGrenze(i);
  if (k < b_->laenge && paare()[k].index == i) return paarWert(paare()[k]);
  return leerWert();
}

template <class T>
void ValueTable::Belegung<T>::setzenSonst(size_t i, const T& v) {
  if (istLeer(v)) {
    if (!b_) return;
    if (b_->dicht) {
      if (i >= b_->laenge || istLeer(dichte()[i])) return;
      dichte()[i] = leerWert();
    } else {
      const size_t k = untereGrenze(i);
      if (k >= b_->laenge || paare()[k].index != i) return;
      std::memmove(paare() + k, paare() + k + 1, (b_->laenge - k - 1) * sizeof(Paar));
      --b_->laenge;
    }
    --b_->anzahl;
    return;
  }
  if (i > kHoechstIndex) throw std::bad_alloc();
  if (!b_) {
    // The first value: dense when it is index 0 or 1 (a column's first row), else a pair.
    const bool dicht = i + 1 <= 2;
    Kopf* k = neuerBlock(dicht, dicht ? i + 1 : 1);
    b_ = k;
  }
  Kopf& k = *b_;
  if (k.dicht) {
    T* d = dichte();
    if (i < k.laenge) {
      if (istLeer(d[i])) ++k.anzahl;
      d[i] = v;
      return;
    }
    if (i + 1 > 3 * (size_t{k.anzahl} + 1)) {
      // Far beyond the last value: pairs cost less from here on.
      Kopf* neu = umgebaut(false, mehrPlatz(size_t{k.anzahl} + 1, k.anzahl));
      std::free(b_);
      b_ = neu;
      setzen(i, v);
      return;
    }
    if (i + 1 > k.platz) {
      platzAendern(mehrPlatz(i + 1, k.platz));
      d = dichte();
    }
    for (size_t j = b_->laenge; j < i; ++j) d[j] = leerWert();
    d[i] = v;
    b_->laenge = static_cast<uint32_t>(i + 1);
    ++b_->anzahl;
    return;
  }
  // Pairs: in place when the index has one, appended when it lies beyond the last.
  size_t pos = k.laenge;
  if (k.laenge > 0 && paare()[k.laenge - 1].index >= i) {
    pos = untereGrenze(i);
    if (paare()[pos].index == i) {
      paarSetzen(paare()[pos], i, v);
      return;
    }
  }
  const size_t letzter = std::max<size_t>(i, k.laenge > 0 ? paare()[k.laenge - 1].index : 0);
  if (letzter + 1 <= 2 * (size_t{k.anzahl} + 1)) {
    // Dense enough: a value per index costs at most two places per value.
    Kopf* neu = umgebaut(true, mehrPlatz(letzter + 1, letzter + 1));
    std::free(b_);
    b_ = neu;
    setzen(i, v);
    return;
  }
  if (k.laenge + 1 > k.platz) {
    platzAendern(mehrPlatz(size_t{k.laenge} + 1, k.platz));
  }
  Paar* p = paare();
  std::memmove(p + pos + 1, p + pos, (b_->laenge - pos) * sizeof(Paar));
  paarSetzen(p[pos], i, v);
  ++b_->laenge;
  ++b_->anzahl;
}

template <class T>
void ValueTable::Belegung<T>::kuerzen(size_t n) {
  if (!b_) return;
  if (b_->dicht) {
    if (b_->laenge <= n) return;
    const T* d = dichte();
    for (size_t i = n; i < b_->laenge; ++i)
      if (!istLeer(d[i])) --b_->anzahl;
    b_->laenge = static_cast<uint32_t>(n);
  } else {
    b_->laenge = static_cast<uint32_t>(untereGrenze(n));
    b_->anzahl = b_->laenge;
  }
}

template <class T>
void ValueTable::Belegung<T>::einfuegen(size_t at) {
  if (!b_) return;
  if (b_->dicht) {
    if (at >= b_->laenge) return;
    if (b_->laenge + size_t{1} > b_->platz) {
      platzAendern(mehrPlatz(size_t{b_->laenge} + 1, b_->platz));
    }
    T* d = dichte();
    std::memmove(d + at + 1, d + at, (b_->laenge - at) * sizeof(T));
    d[at] = leerWert();
    ++b_->laenge;
  } else {
    Paar* p = paare();
    if (b_->laenge > 0 && p[b_->laenge - 1].index >= kHoechstIndex) throw std::bad_alloc();
    for (size_t k = untereGrenze(at); k < b_->laenge; ++k) ++p[k].index;
  }
}

template <class T>
void ValueTable::Belegung<T>::entfernen(size_t at) {
  if (!b_) return;
  if (b_->dicht) {
    if (at >= b_->laenge) return;
    T* d = dichte();
    if (!istLeer(d[at])) --b_->anzahl;
    std::memmove(d + at, d + at + 1, (b_->laenge - at - 1) * sizeof(T));
    --b_->laenge;
  } else {
    Paar* p = paare();
    size_t k = untereGrenze(at);
    if (k < b_->laenge && p[k].index == at) {
      std::memmove(p + k, p + k + 1, (b_->laenge - k - 1) * sizeof(Paar));
      --b_->laenge;
      --b_->anzahl;
    }
    for (; k < b_->laenge; ++k) --p[k].index;
  }
}

template <class T>
void ValueTable::Belegung<T>::umnummern(const int32_t* neu, size_t n) {
  if (!b_) return;
  if (b_->dicht) {
    T* d = dichte();
    const size_t bis = std::min<size_t>(b_->laenge, n);
    size_t laenge = 0;
    size_t anzahl = 0;
    for (size_t i = 0; i < bis; ++i) {
      if (neu[i] < 0) continue;
      // The kept indexes are numbered 0, 1, 2, ... in order: each lands at or below itself.
      d[static_cast<size_t>(neu[i])] = d[i];
      laenge = static_cast<size_t>(neu[i]) + 1;
      if (!istLeer(d[i])) ++anzahl;
    }
    b_->laenge = static_cast<uint32_t>(laenge);
    b_->anzahl = static_cast<uint32_t>(anzahl);
  } else {
    Paar* p = paare();
    size_t m = 0;
    for (size_t k = 0; k < b_->laenge; ++k) {
      const size_t i = p[k].index;
      if (i >= n || neu[i] < 0) continue;
      p[m] = p[k];
      p[m].index = static_cast<uint32_t>(neu[i]);
      ++m;
    }
    b_->laenge = static_cast<uint32_t>(m);
    b_->anzahl = static_cast<uint32_t>(m);
  }
}

template <class T>
void ValueTable::Belegung<T>::trimmen() noexcept {
  if (!b_) return;
  if (b_->anzahl == 0) {
    std::free(b_);
    b_ = nullptr;
    return;
  }
  const size_t bis = spanne();
  const bool dicht = bis * sizeof(T) <= b_->anzahl * sizeof(Paar);
  const size_t platz = dicht ? bis : b_->anzahl;
  if ((b_->dicht != 0) == dicht && b_->platz == platz && (!dicht || b_->laenge == bis)) return;
  if ((b_->dicht != 0) == dicht) {
    // Smaller in place: what lies beyond the last value goes.
    b_->laenge = static_cast<uint32_t>(dicht ? bis : b_->laenge);
    try {
      platzAendern(platz);
    } catch (const std::bad_alloc&) {
      // What is held stays held, only not trimmed.
    }
    return;
  }
  try {
    Kopf* neu = umgebaut(dicht, platz);
    std::free(b_);
    b_ = neu;
  } catch (const std::bad_alloc&) {
    // What is held stays held, only not trimmed.
  }
}

template <class T>
void ValueTable::Belegung<T>::fuellen(const T* werte, size_t n, size_t ab) {
  size_t anzahl = 0;
  size_t bis = 0;
  for (size_t i = ab; i < n; ++i) {
    if (istLeer(werte[i])) continue;
    ++anzahl;
    bis = i + 1;
  }
  if (bis > kHoechstIndex + 1) throw std::bad_alloc();
  Belegung neu;
  if (anzahl > 0) {
    const bool dicht = bis * sizeof(T) <= anzahl * sizeof(Paar);
    neu.b_ = neuerBlock(dicht, dicht ? bis : anzahl);
    if (dicht) {
      T* d = neu.dichte();
      for (size_t i = 0; i < bis; ++i) d[i] = i < ab ? leerWert() : werte[i];
      neu.b_->laenge = static_cast<uint32_t>(bis);
    } else {
      Paar* p = neu.paare();
      for (size_t i = ab; i < bis; ++i)
        if (!istLeer(werte[i])) paarSetzen(p[neu.b_->laenge++], i, werte[i]);
    }
    neu.b_->anzahl = static_cast<uint32_t>(anzahl);
  }
  std::swap(b_, neu.b_);
}

template <class T>
size_t ValueTable::Belegung<T>::speicher() const {
  if (!b_) return 0;
  return sizeof(Kopf) + size_t{b_->platz} * (b_->dicht ? sizeof(T) : sizeof(Paar));
}

template class ValueTable::Belegung<double>;
template class ValueTable::Belegung<ValueTable::Stelle>;

// ---- The table -----------------------------------------------------------------------------------

ValueTable::ValueTable() { setSize(0, 2); }

void ValueTable::kuerzen(Zellen& z, size_t n) {
  z.wert.kuerzen(n);
  if (!z.texte) return;
  Texte& t = *z.texte;
  t.stellen.fuerJeden([&](size_t i, const Stelle& s) {
    if (i >= n) t.totBytes += s.laenge;
  });
  t.stellen.kuerzen(n);
}

void ValueTable::setSize(int cols, int rows) {
  cols = std::max(cols, 0);
  rows = std::max(rows, 0);
  const auto spalten = static_cast<size_t>(cols);
  const auto n = static_cast<size_t>(rows);
  // The only allocation first: more columns, reserved exactly.
  if (spalten > cols_.size()) {
    if (cols_.capacity() < spalten) cols_.reserve(spalten);
    cols_.resize(spalten);
  } else if (spalten < cols_.size()) {
    cols_.resize(spalten);
    kuerzen(kopf_, spalten);
  }
  if (n < static_cast<size_t>(rows_)) {
    for (Zellen& c : cols_) kuerzen(c, n);
    if (n == 0) kopf_ = Zellen();  // no row 0: no header
  }
  rows_ = rows;
  // Texts of dropped cells would otherwise stay in the buffers.
  auto aufraeumen = [](Zellen& z) {
    if (z.texte && z.texte->totBytes > z.texte->bytes.size() / 2) {
      try {
        compact(*z.texte);
      } catch (const std::bad_alloc&) {
      }
    }
  };
  aufraeumen(kopf_);
  for (Zellen& c : cols_) aufraeumen(c);
}

std::string_view ValueTable::textOf(const Zellen& z, size_t index) {
  if (!z.texte) return {};
  const Texte& t = *z.texte;
  const Stelle s = t.stellen.wert(index);
  return std::string_view(t.bytes.data() + s.anfang, s.laenge);
}

void ValueTable::clear() {
  for (Zellen& c : cols_) c = Zellen();
  kopf_ = Zellen();
  rows_ = 2;
}

void ValueTable::trim() {
  try {
    cols_.shrink_to_fit();
  } catch (const std::bad_alloc&) {
  }
  zellenTrimmen(kopf_);
  for (Zellen& c : cols_) zellenTrimmen(c);
}

void ValueTable::zellenTrimmen(Zellen& z) noexcept {
  z.wert.trimmen();
  if (!z.texte) return;
  Texte& t = *z.texte;
  if (t.stellen.anzahl() == 0) {
    z.texte.reset();
    return;
  }
  t.stellen.trimmen();
  try {
    if (t.totBytes > 0)
      compact(t);
    else if (t.bytes.capacity() > t.bytes.size())
      std::string(t.bytes).swap(t.bytes);  // a copy holds exactly its bytes
  } catch (const std::bad_alloc&) {
  }
}

QString ValueTable::cell(int col, int row) const {
  size_t i = 0;
  const Zellen* z = zellenVon(col, row, i);
  if (!z) return {};
  const std::string_view text = textOf(*z, i);
  if (!text.empty()) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const double v = z->wert.wert(i);
  if (std::isnan(v)) return {};
  return QString::fromLatin1(kolvex::FloatText(v));
}

std::string ValueTable::cellUtf8(int col, int row) const {
  size_t i = 0;
  const Zellen* z = zellenVon(col, row, i);
  if (!z) return {};
  const std::string_view text = textOf(*z, i);
  if (!text.empty()) return std::string(text);
  const double v = z->wert.wert(i);
  if (std::isnan(v)) return {};
  return kolvex::FloatText(v);
}

void ValueTable::zelleSetzen(Zellen& z, size_t index, std::string_view utf8) {
  double d = kLeer;
  const kolvex::ZellArt art = kolvex::ZelleLesen(utf8, d);
  if (art == kolvex::ZellArt::Text || art == kolvex::ZellArt::ZahlMitText)
    storeText(z, index, utf8);
  else
    dropText(z, index);
  z.wert.setzen(index, (art == kolvex::ZellArt::Leer || art == kolvex::ZellArt::Text) ? kLeer : d);
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
  z->wert.setzen(i, value);
  dropText(*z, i);
}

void ValueTable::setNumbers(int col, int firstRow, std::span<const double> values) {
  if (col < 0 || col >= columnCount()) return;
  for (size_t i = 0; i < values.size(); ++i) {
    const int64_t r = int64_t{firstRow} + static_cast<int64_t>(i);
    if (r >= rows_) break;
    if (r >= 0) setNumber(col, static_cast<int>(r), values[i]);
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

ValueTable::Zellen ValueTable::spalteAus(std::vector<double>&& values, size_t zeilen) {
  Zellen z;
  // Index 0 is the header store's; the column holds rows 1.. .
  z.wert.fuellen(values.data(), std::min(values.size(), zeilen), 1);
  std::vector<double>().swap(values);
  return z;
}

void ValueTable::setColumn(int col, std::vector<double>&& values) {
  if (col < 0 || col >= columnCount()) return;
  const double kopfWert = rows_ > 0 && !values.empty() ? values[0] : kLeer;
  Zellen neu = spalteAus(std::move(values), static_cast<size_t>(rows_));
  const auto c = static_cast<size_t>(col);
  if (rows_ > 0) {
    kopf_.wert.setzen(c, kopfWert);
    dropText(kopf_, c);
  }
  std::swap(cols_[c], neu);
}

void ValueTable::insertColumn(int at, std::vector<double>&& values) {
  at = std::clamp(at, 0, columnCount());
  const auto a = static_cast<size_t>(at);
  const double kopfWert = rows_ > 0 && !values.empty() ? values[0] : kLeer;
  // Everything that may fail on copies and reserved room first, then the moves that cannot.
  Zellen neu = spalteAus(std::move(values), static_cast<size_t>(rows_));
  Zellen kopf = kopf_;
  kopf.wert.einfuegen(a);
  kopf.wert.setzen(a, kopfWert);
  if (kopf.texte) kopf.texte->stellen.einfuegen(a);
  cols_.reserve(cols_.size() + 1);
  std::swap(kopf_, kopf);
  cols_.insert(cols_.begin() + at, std::move(neu));
}

void ValueTable::removeColumn(int col) {
  if (col < 0 || col >= columnCount()) return;
  const auto c = static_cast<size_t>(col);
  dropText(kopf_, c);
  kopf_.wert.entfernen(c);
  if (kopf_.texte) kopf_.texte->stellen.entfernen(c);
  cols_.erase(cols_.begin() + col);
}

bool ValueTable::isEmpty(int col, int row) const {
  size_t i = 0;
  const Zellen* z = zellenVon(col, row, i);
  if (!z) return true;
  if (!std::isnan(z->wert.wert(i))) return false;
  return textOf(*z, i).empty();
}

void ValueTable::keepRows(const std::vector<bool>& keep) {
  const auto alt = static_cast<size_t>(rows_);
  // What needs memory first: the new numbers of the rows, and the new header.
  std::vector<int32_t> neuIndex(alt, -1);
  int32_t neu = 0;
  for (size_t r = 0; r < alt && r < keep.size(); ++r)
    if (keep[r]) neuIndex[r] = neu++;
  if (static_cast<size_t>(neu) == alt) return;
  const auto n = static_cast<size_t>(neu);

  // The first row kept becomes the header row; in the columns it counts as dropped.
  Zellen kopf;
  const bool kopfNeu = n > 0 && neuIndex[0] != 0;
  if (kopfNeu) {
    const auto erste = static_cast<size_t>(std::find(neuIndex.begin(), neuIndex.end(), 0) - neuIndex.begin());
    for (size_t c = 0; c < cols_.size(); ++c) {
      const Zellen& s = cols_[c];
      kopf.wert.setzen(c, s.wert.wert(erste));
      const std::string_view text = textOf(s, erste);
      if (!text.empty()) storeText(kopf, c, text);
    }
    neuIndex[erste] = -1;
  }
  if (alt > 0) neuIndex[0] = -1;

  // From here on nothing allocates: every store is renumbered in place.
  for (Zellen& c : cols_) {
    c.wert.umnummern(neuIndex.data(), alt);
    if (!c.texte) continue;
    Texte& t = *c.texte;
    t.stellen.fuerJeden([&](size_t i, const Stelle& s) {
      if (i >= alt || neuIndex[i] < 0) t.totBytes += s.laenge;
    });
    t.stellen.umnummern(neuIndex.data(), alt);
  }
  if (kopfNeu) std::swap(kopf_, kopf);
  if (n == 0) kopf_ = Zellen();
  rows_ = neu;
  // Giving back the room of the dropped rows may fail; the table holds its rows either way.
  trim();
}

void ValueTable::moveFrom(ValueTable& other) {
  if (&other == this) return;
  swap(other);
  ValueTable leer;  // my former cells go with it
  other.swap(leer);
}

size_t ValueTable::speicherVon(const Zellen& z) {
  size_t n = z.wert.speicher();
  if (z.texte) {
    const Texte& t = *z.texte;
    n += sizeof(Texte) + t.stellen.speicher() + t.bytes.capacity();
  }
  return n;
}

size_t ValueTable::memoryUsed() const {
  size_t n = cols_.capacity() * sizeof(Zellen) + speicherVon(kopf_);
  for (const Zellen& c : cols_) n += speicherVon(c);
  return n;
}

void ValueTable::storeText(Zellen& z, size_t index, std::string_view utf8) {
  if (!z.texte) z.texte = std::make_unique<Texte>();
  Texte& t = *z.texte;
  // Offsets are 32 bits: one column's texts stay below 4 GB.
  constexpr size_t grenze = std::numeric_limits<uint32_t>::max();
  if (utf8.size() > grenze || t.bytes.size() + utf8.size() > grenze) {
    dropText(z, index);
    compact(t);
    if (utf8.size() > grenze || t.bytes.size() + utf8.size() > grenze) throw std::bad_alloc();
  }
  const Stelle neu{static_cast<uint32_t>(t.bytes.size()), static_cast<uint32_t>(utf8.size())};
  const Stelle alt = t.stellen.wert(index);
  t.bytes.append(utf8);
  try {
    t.stellen.setzen(index, neu);
  } catch (...) {
    t.bytes.resize(neu.anfang);
    throw;
  }
  t.totBytes += alt.laenge;
  if (t.totBytes > 4096 && t.totBytes > t.bytes.size() / 2) {
    try {
      compact(t);
    } catch (const std::bad_alloc&) {
      // The text is stored; the buffer only stays larger than it needs to be.
    }
  }
}

void ValueTable::dropText(Zellen& z, size_t index) {
  if (!z.texte) return;
  Texte& t = *z.texte;
  const Stelle s = t.stellen.wert(index);
  if (s.laenge == 0) return;
  t.totBytes += s.laenge;
  t.stellen.setzen(index, Stelle{});
}

void ValueTable::compact(Texte& t) {
  std::string neu;
  neu.reserve(t.bytes.size() - std::min(t.totBytes, t.bytes.size()));
  t.stellen.fuerJeden([&](size_t, const Stelle& s) { neu.append(t.bytes, s.anfang, s.laenge); });
  // Nothing allocates from here: the offsets follow the bytes, in the same order.
  uint32_t anfang = 0;
  t.stellen.jedenAendern([&](Stelle& s) {
    s.anfang = anfang;
    anfang += s.laenge;
  });
  t.bytes.swap(neu);
  t.totBytes = 0;
}
