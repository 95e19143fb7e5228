#include "platform/chart_view_raster.h"

#include <QPen>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace chart_raster {

namespace {

// Without hypot's care for overflow: between points inside the far box (kFernerRand) a length
// is at most 3e6 px. A piece reaching a point near 1e300, which the dashes meet before it is
// cut, comes out infinite, and is taken for what it is, a piece from far away (beyond
// 4 kFernerRand); one shorter than about 1e-154 px comes out 0 and is passed over, as it
// covers nothing.
inline double laenge(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

bool endlich(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

bool weit(const QPointF& p) { return std::abs(p.x()) > kFernerRand || std::abs(p.y()) > kFernerRand; }

}  // namespace

void Kacheln::beginnen(int breite, int hoehe) {
  breite_ = std::max(0, breite);
  hoehe_ = std::max(0, hoehe);
  spalten_ = (breite_ + kSeite - 1) / kSeite;
  markiert_.assign(static_cast<size_t>(spalten_) * static_cast<size_t>((hoehe_ + kSeite - 1) / kSeite), 0);
  leer_ = true;
}

void Kacheln::dazu(const Kacheln& andere) {
  if (andere.leer_ || andere.markiert_.size() != markiert_.size()) return;
  for (size_t i = 0; i < markiert_.size(); ++i) markiert_[i] |= andere.markiert_[i];
  leer_ = false;
}

std::vector<QRect> Kacheln::rechtecke() const {
  std::vector<QRect> r;
  if (leer_) return r;
  const int zeilen = spalten_ > 0 ? static_cast<int>(markiert_.size()) / spalten_ : 0;
  for (int ty = 0; ty < zeilen; ++ty) {
    const uint8_t* m = &markiert_[static_cast<size_t>(ty * spalten_)];
    for (int tx = 0; tx < spalten_;) {
      if (!m[tx]) {
        ++tx;
        continue;
      }
      int ende = tx + 1;  // one past the run
      while (ende < spalten_ && (m[ende] || (ende + 1 < spalten_ && m[ende + 1]))) ++ende;
      const int x0 = tx * kSeite, y0 = ty * kSeite;
      r.emplace_back(QPoint(x0, y0), QPoint(std::min(ende * kSeite, breite_) - 1, std::min(y0 + kSeite, hoehe_) - 1));
      tx = ende;
    }
  }
  return r;
}

void Abdeckung::beginnen(int breite, int hoehe) {
  breite = std::max(0, breite);
  hoehe = std::max(0, hoehe);
  const size_t n = static_cast<size_t>(breite) * static_cast<size_t>(hoehe) + kRand;
  if (breite != breite_ || hoehe != hoehe_ || werte_.size() != n) {
    werte_.assign(n, 0);
  } else if (x1_ >= x0_) {
    for (const QRect& r : kacheln_.rechtecke())
      for (int y = r.top(); y <= r.bottom(); ++y)
        std::fill_n(werte_.begin() + static_cast<std::ptrdiff_t>(y) * breite + r.left(), r.width(), uint8_t{0});
  }
  breite_ = breite;
  hoehe_ = hoehe;
  x0_ = y0_ = 0;
  x1_ = y1_ = -1;
  kacheln_.beginnen(breite, hoehe);
}

QRect Abdeckung::beruehrt() const {
  if (x1_ < x0_) return {};
  return QRect(QPoint(x0_, y0_), QPoint(x1_, y1_));
}

void Abdeckung::bereich(int xa, int xb, int ya, int yb) {
  if (xa > xb || ya > yb) return;
  spanne(xa, xb, ya);
  spanne(xa, xb, yb);
  kacheln_.markieren(xa, xb, ya, yb);
}

void Abdeckung::spanne(int xa, int xb, int y) {
  if (xa > xb) return;
  kacheln_.markieren(xa, xb, y, y);
  if (x1_ < x0_) {
    x0_ = xa;
    x1_ = xb;
    y0_ = y1_ = y;
  } else {
    x0_ = std::min(x0_, xa);
    x1_ = std::max(x1_, xb);
    y0_ = std::min(y0_, y);
    y1_ = std::max(y1_, y);
  }
}

// The line's pieces are convex, so each row of samples meets one in a single run. The sample
// (k, m) of the mask lies at x = (k + 0.5) / kProben, y = (m + 0.5) / kProben in pixels, and
// pieces are worked out in samples; a piece counts a sample when the sample's point lies in
// it (on its border included). A pixel's coverage is the number of
// samples its pieces counted together, at most all of them: where pieces overlap (the inner
// side of a join, a crossing, a line running back over itself) their shares add up, as in
// Qt's antialiased fill of the one outline round them all, which adds the windings of the
// parts lying on each other; inside the line a pixel is full either way.
namespace {

constexpr double kUnendlich = std::numeric_limits<double>::infinity();

// A bound of x in each row of samples: basis + schraege * row.
struct Gerade {
  double basis, schraege;
  double bei(double m) const { return basis + schraege * m; }
};

// The rows (in samples) where a * x + b * y lies within c1..c2, as bounds of x, or, where
// the line is flat, as a cut of the rows ya..yb (a tilt below 1e-9 moves it by less than a
// thousandth of a pixel across the far box).
void streifen(double a, double b, double c1, double c2, Gerade& unten, Gerade& oben, double& ya, double& yb) {
  if (std::abs(a) < 1e-9) {
    unten = {-kUnendlich, 0};
    oben = {kUnendlich, 0};
    if (b == 0) {
      if (c1 > 0 || c2 < 0) yb = -kUnendlich;
      return;
    }
    const double y1 = c1 / b, y2 = c2 / b;
    ya = std::max(ya, std::min(y1, y2));
    yb = std::min(yb, std::max(y1, y2));
    return;
  }
  const double kehr = 1 / a;
  const Gerade g1{c1 * kehr, -b * kehr}, g2{c2 * kehr, -b * kehr};
  unten = a > 0 ? g1 : g2;
  oben = a > 0 ? g2 : g1;
}

// As streifen, for a * x + b * y >= c alone.
void halbebene(double a, double b, double c, Gerade& unten, Gerade& oben, double& ya, double& yb) {
  unten = {-kUnendlich, 0};
  oben = {kUnendlich, 0};
  if (std::abs(a) >= 1e-9) {
    (a > 0 ? unten : oben) = Gerade{c / a, -b / a};
  } else if (b > 0) {
    ya = std::max(ya, c / b);
  } else if (b < 0) {
    yb = std::min(yb, c / b);
  } else if (c > 0) {
    yb = -kUnendlich;
  }
}

// From pixels to samples: the sample (k, m) lies at k, m here.
QPointF inProben(QPointF p) { return QPointF(p.x() * Abdeckung::kProben - 0.5, p.y() * Abdeckung::kProben - 0.5); }

}  // namespace

// The counts of one piece's rows, with what they need held here: a store of a byte may
// change anything as far as the compiler knows, so members would be read again after each.
struct Abdeckung::Zaehler {
  static constexpr int kP = Abdeckung::kProben;
  uint8_t* proben;
  int breite, zeilen, spalten;
  std::array<int, 4> box = {std::numeric_limits<int>::max(), -1, std::numeric_limits<int>::max(), -1};

  // The rows ma..mb of samples within ya..yb; false when there are none.
  bool reihen(double ya, double yb, int& ma, int& mb) {
    ya = std::max(ya, -1.0);
    yb = std::min(yb, zeilen + 1.0);
    if (!(ya <= yb)) return false;
    ma = std::max(0, static_cast<int>(std::ceil(ya)));
    mb = std::min(zeilen - 1, static_cast<int>(std::floor(yb)));
    if (ma > mb) return false;
    box[0] = ma / kP;
    box[1] = mb / kP;
    return true;
  }

  // Whether every pixel reaching the samples xa..xb, ya..yb is full already, so that a
  // piece within them adds nothing; a box of more than 24 pixels is not looked at.
  bool voll(double xa, double xb, double ya, double yb) const {
    auto pixel = [](double k, int n) { return static_cast<int>(std::clamp(std::floor((k + 0.5) / kP), -1.0, n + 0.0)); };
    const int pxa = std::max(0, pixel(xa, breite)), pxb = std::min(breite - 1, pixel(xb, breite));
    const int pya = std::max(0, pixel(ya, zeilen / kP)), pyb = std::min(zeilen / kP - 1, pixel(yb, zeilen / kP));
    if (pxa > pxb || pya > pyb || (pxb - pxa + 1) * (pyb - pya + 1) > 24) return false;
    for (int y = pya; y <= pyb; ++y) {
      const uint8_t* zeile = proben + static_cast<size_t>(y) * static_cast<size_t>(breite);
      for (int x = pxa; x <= pxb; ++x)
        if (zeile[x] != kP * kP) return false;
    }
    return true;
  }

  // Counts the samples k of row m with lo <= k <= hi.
  [[gnu::always_inline]] void zaehlen(int m, double lo, double hi) {
    lo = std::max(lo, -1.0);
    hi = std::min(hi, spalten + 1.0);
    if (!(lo <= hi)) return;
    // Whole numbers by truncation, which is floor from -1 on.
    const int fl = static_cast<int>(lo + 1.0) - 1;
    const int ka = std::max(0, fl + (fl < lo ? 1 : 0));
    const int kb = std::min(spalten - 1, static_cast<int>(hi + 1.0) - 1);
    if (ka > kb) return;
    uint8_t* zeile = proben + static_cast<size_t>(m / kP) * static_cast<size_t>(breite);
    const int pa = ka / kP, pb = kb / kP;
    box[2] = std::min(box[2], pa);
    box[3] = std::max(box[3], pb);
    // Counts stop at a full pixel.
    auto dazu = [](uint8_t& z, int n) { z = static_cast<uint8_t>(std::min(z + n, kP * kP)); };
    if (pa == pb) {
      dazu(zeile[pa], kb - ka + 1);
      return;
    }
    dazu(zeile[pa], kP - ka % kP);
    for (int x = pa + 1; x < pb; ++x) dazu(zeile[x], kP);
    dazu(zeile[pb], kb % kP + 1);
  }
};

Abdeckung::Zaehler Abdeckung::zaehler() const {
  return Zaehler{const_cast<uint8_t*>(proben_.data()), breite_, hoehe_ * kProben, breite_ * kProben};
}

void Abdeckung::gezaehlt(const Zaehler& z) {
  if (z.box[2] > z.box[3]) return;
  probenBox_[0] = std::min(probenBox_[0], z.box[0]);
  probenBox_[1] = std::max(probenBox_[1], z.box[1]);
  probenBox_[2] = std::min(probenBox_[2], z.box[2]);
  probenBox_[3] = std::max(probenBox_[3], z.box[3]);
}

void Abdeckung::rechteck(QPointF a, QPointF b, QPointF u, double radius) {
  // The points whose foot on the line through a and b lies between them, within radius of
  // it: a piece of the line with flat ends; the two strips across and along it.
  a = inProben(a);
  b = inProben(b);
  const double r = radius * kProben;
  const double nx = -u.y(), ny = u.x();
  const double na = nx * a.x() + ny * a.y();
  double ya = std::min(a.y(), b.y()) - r * std::abs(ny), yb = std::max(a.y(), b.y()) + r * std::abs(ny);
  Gerade u1, u2, o1, o2;
  streifen(u.x(), u.y(), u.x() * a.x() + u.y() * a.y(), u.x() * b.x() + u.y() * b.y(), u1, o1, ya, yb);
  streifen(nx, ny, na - r, na + r, u2, o2, ya, yb);
  Zaehler z = zaehler();
  const double ex = r * std::abs(nx);
  if (z.voll(std::min(a.x(), b.x()) - ex, std::max(a.x(), b.x()) + ex, ya, yb)) return;
  int ma, mb;
  if (!z.reihen(ya, yb, ma, mb)) return;
  for (int m = ma; m <= mb; ++m) z.zaehlen(m, std::max(u1.bei(m), u2.bei(m)), std::min(o1.bei(m), o2.bei(m)));
  gezaehlt(z);
}

void Abdeckung::gelenk(QPointF mitte, QPointF ein, QPointF aus, double radius) {
  // A round join: the part of the disc beyond the end of the piece coming in and before the
  // start of the piece going out, the wedge on the outer side of the turn that neither
  // piece covers. Straight on, it is empty.
  if (ein == aus) return;
  const QPointF v = inProben(mitte);
  const double r = radius * kProben;
  // The rows it reaches: from the centre to the ends of its two straight sides and, where
  // the wedge opens upwards or downwards, to the top or bottom of the disc.
  double ya = v.y(), yb = v.y();
  auto rand = [&](double ey, bool drin) {
    if (!drin) return;
    ya = std::min(ya, v.y() + r * ey);
    yb = std::max(yb, v.y() + r * ey);
  };
  for (const double s : {1.0, -1.0}) {
    const double e1x = -ein.y() * s, e1y = ein.x() * s;  // along the side across the piece coming in
    rand(e1y, aus.x() * e1x + aus.y() * e1y <= 0);
    const double e2x = -aus.y() * s, e2y = aus.x() * s;  // along the side across the piece going out
    rand(e2y, ein.x() * e2x + ein.y() * e2y >= 0);
  }
  if (ein.y() >= 0 && aus.y() <= 0) yb = v.y() + r;
  if (ein.y() <= 0 && aus.y() >= 0) ya = v.y() - r;
  Gerade u1, u2, o1, o2;
  halbebene(ein.x(), ein.y(), ein.x() * v.x() + ein.y() * v.y(), u1, o1, ya, yb);
  halbebene(-aus.x(), -aus.y(), -(aus.x() * v.x() + aus.y() * v.y()), u2, o2, ya, yb);
  Zaehler z = zaehler();
  if (z.voll(v.x() - r, v.x() + r, ya, yb)) return;
  int ma, mb;
  if (!z.reihen(ya, yb, ma, mb)) return;
  for (int m = ma; m <= mb; ++m) {
    const double d = m - v.y();
    const double hh = r * r - d * d;
    if (!(hh >= 0)) continue;
    const double h = std::sqrt(hh);
    z.zaehlen(m, std::max({u1.bei(m), u2.bei(m), v.x() - h}), std::min({o1.bei(m), o2.bei(m), v.x() + h}));
  }
  gezaehlt(z);
}

void Abdeckung::probenUebernehmen() {
  // 255 * share of the samples, rounded.
  static const auto stufe = [] {
    std::array<uint8_t, kProben * kProben + 1> s{};
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>((i * 255 + kProben * kProben / 2) / (kProben * kProben));
    return s;
  }();
  for (int y = probenBox_[0]; y <= probenBox_[1]; ++y) {
    const size_t z = static_cast<size_t>(y) * static_cast<size_t>(breite_);
    uint8_t* proben = &proben_[z];
    uint8_t* werte = &werte_[z];
    int erstes = probenBox_[3] + 1, letztes = -1;
    for (int x = probenBox_[2]; x <= probenBox_[3]; ++x) {
      if (proben[x] == 0) continue;
      werte[x] = std::max(werte[x], stufe[proben[x]]);
      proben[x] = 0;
      erstes = std::min(erstes, x);
      letztes = x;
    }
    spanne(erstes, letztes, y);
  }
  probenBox_ = {std::numeric_limits<int>::max(), -1, std::numeric_limits<int>::max(), -1};
}

namespace {

// Cuts a piece to the far box, so that a point at 1e300 cannot make the row loops long; the
// part inside the mask is the same. Each end is moved along the piece's slope, first across
// X, then across Y, so that the far end's size does not swallow the near end's digits.
bool kappen(QPointF& a, QPointF& b) {
  auto aufX = [](QPointF& p, const QPointF& q, double x) {
    p = QPointF(x, p.y() + (x - p.x()) * ((q.y() - p.y()) / (q.x() - p.x())));
  };
  auto aufY = [](QPointF& p, const QPointF& q, double y) {
    p = QPointF(p.x() + (y - p.y()) * ((q.x() - p.x()) / (q.y() - p.y())), y);
  };
  if ((a.x() < -kFernerRand && b.x() < -kFernerRand) || (a.x() > kFernerRand && b.x() > kFernerRand)) return false;
  if (a.x() < -kFernerRand) aufX(a, b, -kFernerRand);
  if (a.x() > kFernerRand) aufX(a, b, kFernerRand);
  if (b.x() < -kFernerRand) aufX(b, a, -kFernerRand);
  if (b.x() > kFernerRand) aufX(b, a, kFernerRand);
  if ((a.y() < -kFernerRand && b.y() < -kFernerRand) || (a.y() > kFernerRand && b.y() > kFernerRand)) return false;
  if (a.y() < -kFernerRand) aufY(a, b, -kFernerRand);
  if (a.y() > kFernerRand) aufY(a, b, kFernerRand);
  if (b.y() < -kFernerRand) aufY(b, a, -kFernerRand);
  if (b.y() > kFernerRand) aufY(b, a, kFernerRand);
  return endlich(a) && endlich(b);
}

}  // namespace

bool zugKappen(const QVector<QPointF>& zug, QVector<QPointF>& ziel) {
  if (std::none_of(zug.begin(), zug.end(), [](const QPointF& p) { return endlich(p) && weit(p); })) return false;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ziel.clear();
  ziel.reserve(zug.size() + 8);
  auto luecke = [&] {
    if (!ziel.isEmpty() && endlich(ziel.back())) ziel.append(QPointF(nan, nan));
  };
  for (qsizetype i = 0; i < zug.size(); ++i) {
    if (!endlich(zug[i])) {
      luecke();
      continue;
    }
    if (i == 0 || !endlich(zug[i - 1])) {
      if (!weit(zug[i])) ziel.append(zug[i]);
      continue;
    }
    QPointF a = zug[i - 1], b = zug[i];
    if (!kappen(a, b)) {
      luecke();
      continue;
    }
    // Where the piece comes in elsewhere than the line left the box, the two are not joined
    // across it.
    if (ziel.isEmpty() || !endlich(ziel.back()) || ziel.back().x() != a.x() || ziel.back().y() != a.y()) {
      luecke();
      ziel.append(a);
    }
    ziel.append(b);
  }
  return true;
}

// Walks one unbroken polyline, handing out its drawn pieces: the whole line when solid,
// else each dash with the pattern running on across the corners.
class LinienZeichner {
 public:
  LinienZeichner(Abdeckung& maske, double breite, Qt::PenStyle stil) : maske_(maske), radius_(breite / 2) {
    if (stil != Qt::SolidLine && stil != Qt::NoPen && stil != Qt::CustomDashLine) {
      const double einheit = std::max(1.0, breite);
      for (qreal v : QPen(stil).dashPattern()) muster_.push_back(v * einheit);
      double summe = 0;
      for (double v : muster_) summe += v;
      if (!(summe > 0)) muster_.clear();
    }
  }

  void zug(const QPointF* p, qsizetype n) {
    if (n < 2) return;
    if (muster_.empty()) {
      strecke(p, n);
      return;
    }
    size_t element = 0;
    double rest = muster_[0];
    bool an = true;
    strich_.clear();
    for (qsizetype i = 1; i < n; ++i) {
      QPointF a = p[i - 1];
      const QPointF b = p[i];
      double laenge = chart_raster::laenge(b.x() - a.x(), b.y() - a.y());
      if (!(laenge > 0)) continue;
      if (laenge > 4 * kFernerRand) {
        // A piece from far away: its dashes would be countless; drawn solid, it looks the
        // same where the mask is, up to the phase.
        if (an) {
          if (strich_.empty()) strich_.push_back(a);
          strich_.push_back(b);
        }
        continue;
      }
      while (laenge > 0) {
        const double schritt = std::min(rest, laenge);
        const QPointF e = a + (b - a) * (schritt / laenge);
        if (an) {
          if (strich_.empty()) strich_.push_back(a);
          strich_.push_back(e);
        }
        rest -= schritt;
        laenge -= schritt;
        a = e;
        if (rest <= 1e-12) {
          if (an) {
            strecke(strich_.data(), static_cast<qsizetype>(strich_.size()));
            strich_.clear();
          }
          element = (element + 1) % muster_.size();
          rest = muster_[element];
          an = element % 2 == 0;
        }
      }
    }
    strecke(strich_.data(), static_cast<qsizetype>(strich_.size()));
    strich_.clear();
  }

 private:
  // A stretch drawn without a break, with flat ends and round joins, as Qt's stroker builds
  // its outline: a rectangle along each piece with a length, and between two pieces the
  // wedge of the round join. Pieces are cut to the far box first; a join far outside is left
  // out, as it lies far outside the mask.
  void strecke(const QPointF* p, qsizetype n) {
    bool davor = false;  // whether the piece before ended at p[i - 1], going richtung
    QPointF richtung;
    for (qsizetype i = 1; i < n; ++i) {
      QPointF a = p[i - 1], b = p[i];
      if (a == b) continue;  // no length, no direction: the join goes to the next piece
      const bool ganz = !weit(a) && !weit(b);
      if (!ganz && !kappen(a, b)) {
        davor = false;
        continue;
      }
      const double l = laenge(b.x() - a.x(), b.y() - a.y());
      if (!(l > 0)) continue;
      const QPointF u((b.x() - a.x()) / l, (b.y() - a.y()) / l);
      if (davor && !weit(p[i - 1])) maske_.gelenk(p[i - 1], richtung, u, radius_);
      maske_.rechteck(a, b, u, radius_);
      davor = true;
      richtung = u;
    }
  }

  Abdeckung& maske_;
  double radius_;
  std::vector<double> muster_;
  std::vector<QPointF> strich_;
};

void Abdeckung::linie(const QPointF* punkte, qsizetype anzahl, double breite, Qt::PenStyle stil) {
  if (stil == Qt::NoPen || breite_ == 0 || hoehe_ == 0) return;
  if (proben_.size() != werte_.size()) proben_.assign(werte_.size(), 0);
  LinienZeichner zeichner(*this, breite, stil);
  qsizetype anfang = 0;
  for (qsizetype i = 0; i <= anzahl; ++i) {
    if (i == anzahl || !endlich(punkte[i])) {
      zeichner.zug(punkte + anfang, i - anfang);
      anfang = i + 1;
    }
  }
  probenUebernehmen();
}

namespace {

// What the chord test needs of a point seen from the anchor: its offset, its distance, and
// the two sides of its cone (the directions passing it within epsilon).
struct KegelPunkt {
  double vx, vy, d, lx, ly, rx, ry;
};

inline void kegelPunkt(double vx, double vy, double epsilon, KegelPunkt& k) {
  const double d = std::sqrt(vx * vx + vy * vy);
  const double kehr = 1 / d;
  const double ux = vx * kehr, uy = vy * kehr;
  const double s = epsilon * kehr;
  // cos of the cone's half angle; for a narrow cone the series is exact to 1e-5.
  const double c = s < 0.1 ? 1 - 0.5 * s * s : std::sqrt(1 - s * s);
  k = {vx, vy, d, ux * c - uy * s, ux * s + uy * c, ux * c + uy * s, -ux * s + uy * c};
}

// kegelPunkt for the two points at p, one in each lane of the same operations: a square
// root and a division each point, which take their time, go two at a time.
inline void kegelPunkte(const QPointF* p, double ax, double ay, double epsilon, KegelPunkt k[2]) {
#if defined(__SSE2__)
  const __m128d p0 = _mm_loadu_pd(reinterpret_cast<const double*>(p));
  const __m128d p1 = _mm_loadu_pd(reinterpret_cast<const double*>(p + 1));
  const __m128d vx = _mm_sub_pd(_mm_unpacklo_pd(p0, p1), _mm_set1_pd(ax));
  const __m128d vy = _mm_sub_pd(_mm_unpackhi_pd(p0, p1), _mm_set1_pd(ay));
  const __m128d d = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(vx, vx), _mm_mul_pd(vy, vy)));
  const __m128d kehr = _mm_div_pd(_mm_set1_pd(1), d);
  const __m128d ux = _mm_mul_pd(vx, kehr), uy = _mm_mul_pd(vy, kehr);
  const __m128d s = _mm_mul_pd(_mm_set1_pd(epsilon), kehr);
  __m128d c = _mm_sub_pd(_mm_set1_pd(1), _mm_mul_pd(_mm_mul_pd(_mm_set1_pd(0.5), s), s));
  const __m128d reihe = _mm_cmplt_pd(s, _mm_set1_pd(0.1));
  if (_mm_movemask_pd(reihe) != 3) {
    const __m128d wurzel = _mm_sqrt_pd(_mm_sub_pd(_mm_set1_pd(1), _mm_mul_pd(s, s)));
    c = _mm_or_pd(_mm_and_pd(reihe, c), _mm_andnot_pd(reihe, wurzel));
  }
  const __m128d minusUx = _mm_xor_pd(ux, _mm_set1_pd(-0.0));
  double w[7][2];
  _mm_storeu_pd(w[0], vx);
  _mm_storeu_pd(w[1], vy);
  _mm_storeu_pd(w[2], d);
  _mm_storeu_pd(w[3], _mm_sub_pd(_mm_mul_pd(ux, c), _mm_mul_pd(uy, s)));
  _mm_storeu_pd(w[4], _mm_add_pd(_mm_mul_pd(ux, s), _mm_mul_pd(uy, c)));
  _mm_storeu_pd(w[5], _mm_add_pd(_mm_mul_pd(ux, c), _mm_mul_pd(uy, s)));
  _mm_storeu_pd(w[6], _mm_add_pd(_mm_mul_pd(minusUx, s), _mm_mul_pd(uy, c)));
  for (int t = 0; t < 2; ++t) k[t] = {w[0][t], w[1][t], w[2][t], w[3][t], w[4][t], w[5][t], w[6][t]};
#else
  for (int t = 0; t < 2; ++t) kegelPunkt(p[t].x() - ax, p[t].y() - ay, epsilon, k[t]);
#endif
}

}  // namespace

// How far a run looks on past its last possible end for a later one, so that a line wandering
// about near its anchor costs a bounded number of looks per point kept.
constexpr qsizetype kVoraus = 64;

qsizetype vereinfachen(QPointF* punkte, qsizetype anzahl, double epsilon) {
  if (anzahl < 3) return anzahl;
  qsizetype neu = 0;
  qsizetype i = 0;
  while (i < anzahl) {
    // A piece of the line between gaps, in runs: from the anchor a, the next point kept is
    // the last point e found such that every point between lies within epsilon of the
    // segment from a to e. A point within epsilon of a lies within epsilon of any such
    // segment. Any other point q allows the segment's direction a cone, the directions
    // passing q within epsilon on its side of a; with the direction in every such cone and e
    // no nearer to a than q, q's foot on the line falls between a and e, so q lies within
    // epsilon of the segment itself. An e within epsilon of a is an end only while every
    // point between lies within epsilon of a as well.
    if (!endlich(punkte[i])) {
      punkte[neu++] = punkte[i++];
      continue;
    }
    QPointF a = punkte[i];
    punkte[neu++] = a;
    ++i;
    while (i < anzahl && endlich(punkte[i])) {
      qsizetype ende = i;  // the end found last; the first point has nothing between
      // Points far outside are kept as they are: their distances are beyond measuring.
      if (weit(a) || weit(punkte[i])) {
        a = punkte[i];
        punkte[neu++] = a;
        ++i;
        continue;
      }
      double linksX = 0, linksY = 0, rechtsX = 0, rechtsY = 0;
      bool kegel = false;
      double weiteste = 0;  // the largest distance from a of the points looked at
      const double ax = a.x(), ay = a.y();
      // The points go in pairs, worked out together; the second of a pair is wasted where
      // the run ends at the first.
      bool aus = false;
      for (qsizetype j = i; j < anzahl && !aus; j += 2) {
        KegelPunkt k[2];
        const int paar = j + 1 < anzahl ? 2 : 1;
        if (paar == 2)
          kegelPunkte(punkte + j, ax, ay, epsilon, k);
        else
          kegelPunkt(punkte[j].x() - ax, punkte[j].y() - ay, epsilon, k[0]);
        for (int t = 0; t < paar; ++t) {
          const qsizetype jj = j + t;
          if (!(std::abs(punkte[jj].x()) <= kFernerRand && std::abs(punkte[jj].y()) <= kFernerRand)) {  // also not finite
            aus = true;
            break;
          }
          const KegelPunkt& p = k[t];
          bool endeMoeglich;
          if (p.d <= epsilon) {
            endeMoeglich = weiteste <= epsilon;
          } else {
            // Outside the cones so far, it is no end, and the cones' common part may be
            // empty from here on: the run ends. Before the first cone both sides are 0 and
            // pass.
            if (rechtsX * p.vy - rechtsY * p.vx < 0 || p.vx * linksY - p.vy * linksX < 0) {
              aus = true;
              break;
            }
            endeMoeglich = p.d >= weiteste;
            if (!kegel) {
              linksX = p.lx, linksY = p.ly, rechtsX = p.rx, rechtsY = p.ry;
              kegel = true;
            }
            // Without branches: which side narrows is a toss-up from point to point. A side
            // compared with itself gives 0 and stays.
            const bool rechtsEnger = rechtsX * p.ry - rechtsY * p.rx > 0;
            const bool linksEnger = p.lx * linksY - p.ly * linksX > 0;
            rechtsX = rechtsEnger ? p.rx : rechtsX;
            rechtsY = rechtsEnger ? p.ry : rechtsY;
            linksX = linksEnger ? p.lx : linksX;
            linksY = linksEnger ? p.ly : linksY;
          }
          weiteste = std::max(weiteste, p.d);
          if (endeMoeglich) {
            ende = jj;
          } else if (jj - ende >= kVoraus) {
            aus = true;
            break;
          }
        }
      }
      a = punkte[ende];
      punkte[neu++] = a;
      i = ende + 1;
    }
  }
  return neu;
}

namespace {

// x * a / 255 for bytes, rounded.
inline uint32_t mal(uint32_t x, uint32_t a) {
  const uint32_t t = x * a + 128;
  return (t + (t >> 8)) >> 8;
}

// Premultiplied source-over of one pixel.
// Without branches, so that loops over a row vectorise: a = 255 leaves the source, a = 0 the
// destination, exactly.
inline uint32_t ueber(uint32_t quelle, uint32_t ziel) {
  const uint32_t rest = 255 - (quelle >> 24);
  const uint32_t rb = (ziel & 0x00ff00ffu) * rest + 0x00800080u;
  const uint32_t ag = ((ziel >> 8) & 0x00ff00ffu) * rest + 0x00800080u;
  const uint32_t rb2 = ((rb + ((rb >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
  const uint32_t ag2 = (ag + ((ag >> 8) & 0x00ff00ffu)) & 0xff00ff00u;
  return quelle + (rb2 | ag2);
}

}  // namespace

void faerben(QImage& bild, const Abdeckung& maske, const QColor& farbe) {
  const QRect r = maske.beruehrt() & QRect(0, 0, std::min(bild.width(), maske.breite()),
                                           std::min(bild.height(), maske.hoehe()));
  if (r.isEmpty()) return;
  const uint32_t a = static_cast<uint32_t>(farbe.alpha());
  const uint32_t rot = mal(static_cast<uint32_t>(farbe.red()), a);
  const uint32_t gruen = mal(static_cast<uint32_t>(farbe.green()), a);
  const uint32_t blau = mal(static_cast<uint32_t>(farbe.blue()), a);
  // The colour at every coverage, worked out once.
  uint32_t tabelle[256];
  for (uint32_t c = 0; c < 256; ++c)
    tabelle[c] = (mal(a, c) << 24) | (mal(rot, c) << 16) | (mal(gruen, c) << 8) | mal(blau, c);
  uchar* bits = bild.bits();
  const qsizetype zeilenLaenge = bild.bytesPerLine();
  for (const QRect& k : maske.kacheln().rechtecke()) {
    const QRect t = k & r;
    const int ende = t.right() + 1;
    for (int y = t.top(); y <= t.bottom(); ++y) {
      auto* zeile = reinterpret_cast<uint32_t*>(bits + y * zeilenLaenge);
      const uint8_t* werte = maske.zeile(y);
      int x = t.left();
      // A line leaves most of its tiles empty too: eight empty pixels are passed at a glance.
      for (; x + 8 <= ende; x += 8) {
        uint64_t acht;
        std::memcpy(&acht, werte + x, 8);
        if (acht == 0) continue;
        for (int i = x; i < x + 8; ++i)
          if (const uint32_t c = werte[i]) zeile[i] = ueber(tabelle[c], zeile[i]);
      }
      for (; x < ende; ++x)
        if (const uint32_t c = werte[x]) zeile[x] = ueber(tabelle[c], zeile[x]);
    }
  }
}

const QImage& Stempel::markeFuer(int wiederholungen) {
  const size_t n = static_cast<size_t>(std::max(1, wiederholungen));
  if (verstaerkt_.size() < n) verstaerkt_.resize(n);
  QImage& bild = verstaerkt_[n - 1];
  if (bild.isNull()) {
    if (n == 1) {
      bild = marke_;
    } else {
      // n copies of a pixel of alpha a leave 1 - (1 - a)^n of it, in its own colour.
      bild = marke_.copy();
      for (int y = 0; y < bild.height(); ++y) {
        auto* zeile = reinterpret_cast<uint32_t*>(bild.scanLine(y));
        for (int x = 0; x < bild.width(); ++x) {
          const uint32_t p = zeile[x];
          const uint32_t a = p >> 24;
          if (a == 0 || a == 255) continue;
          const double alt = a / 255.0;
          const double neu = 1 - std::pow(1 - alt, static_cast<double>(n));
          const double f = neu / alt;
          auto k = [&](int s) {
            return static_cast<uint32_t>(std::min(255.0, ((p >> s) & 0xffu) * f + 0.5)) << s;
          };
          zeile[x] = k(24) | k(16) | k(8) | k(0);
        }
      }
    }
  }
  return bild;
}

const uint8_t* Stempel::deckungFuer(int wiederholungen) {
  const size_t n = static_cast<size_t>(std::max(1, wiederholungen));
  if (deckung_.size() < n) deckung_.resize(n);
  std::vector<uint8_t>& d = deckung_[n - 1];
  if (d.empty()) {
    const QImage& m = markeFuer(wiederholungen);
    d.assign(static_cast<size_t>(spalten_) * static_cast<size_t>(inhalt_.height()), 0);
    for (int y = 0; y < inhalt_.height(); ++y) {
      const auto* z = reinterpret_cast<const uint32_t*>(m.constScanLine(inhalt_.top() + y)) + inhalt_.left();
      for (int x = 0; x < inhalt_.width(); ++x)
        d[static_cast<size_t>(y) * static_cast<size_t>(spalten_) + static_cast<size_t>(x)] = static_cast<uint8_t>(z[x] >> 24);
    }
  }
  return d.data();
}

void Stempel::vorbereiten(const QImage& marke) {
  if (marke.cacheKey() == markeSchluessel_) return;
  marke_ = marke.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  markeSchluessel_ = marke.cacheKey();
  verstaerkt_.clear();
  deckung_.clear();
  // The rows and columns the marker covers at all: a copy adds nothing beyond them.
  inhalt_ = QRect();
  for (int y = 0; y < marke_.height(); ++y) {
    const auto* z = reinterpret_cast<const uint32_t*>(marke_.constScanLine(y));
    for (int x = 0; x < marke_.width(); ++x)
      if (z[x] >> 24) inhalt_ |= QRect(x, y, 1, 1);
  }
  spalten_ = (inhalt_.width() + 7) / 8 * 8;
}

void Stempel::sammeln(int breite, int hoehe, const std::vector<MarkenOrt>& positionen) {
  const int mb = marke_.width();
  const int mh = marke_.height();
  // Positions whose marker reaches the picture, on a grid widened by the marker's size.
  const int gb = breite + mb;
  const int gh = hoehe + mh;
  const size_t zellen = static_cast<size_t>(gb) * static_cast<size_t>(gh);
  if (eintrag_.size() != zellen) eintrag_.assign(zellen, 0);
  orte_.clear();
  // Backwards, so that a position is listed at its last appearance.
  for (auto it = positionen.rbegin(); it != positionen.rend(); ++it) {
    const int gx = it->ecke.x() + mb - 1;
    const int gy = it->ecke.y() + mh - 1;
    if (gx < 0 || gy < 0 || gx >= gb - 1 || gy >= gh - 1) continue;
    const size_t zelle = static_cast<size_t>(gy) * static_cast<size_t>(gb) + static_cast<size_t>(gx);
    uint32_t& e = eintrag_[zelle];
    if (e == 0) {
      orte_.push_back({zelle, it->ecke, it->anzahl});
      e = static_cast<uint32_t>(orte_.size());
    } else {
      orte_[e - 1].anzahl += it->anzahl;
    }
  }
  for (const Ort& o : orte_) eintrag_[o.zelle] = 0;
}

// Beyond this many copies the edges cannot change by a shade any more.
constexpr int kGenug = 64;

void Stempel::stempeln(QImage& bild, const QImage& marke, const std::vector<MarkenOrt>& positionen) {
  if (marke.isNull() || positionen.empty()) return;
  vorbereiten(marke);
  sammeln(bild.width(), bild.height(), positionen);
  const int mb = marke_.width();
  const int mh = marke_.height();
  const int bb = bild.width();
  const int bh = bild.height();
  uchar* bits = bild.bits();
  const qsizetype zeilenLaenge = bild.bytesPerLine();
  for (auto it = orte_.rbegin(); it != orte_.rend(); ++it) {
    const QImage& m = markeFuer(std::min(it->anzahl, kGenug));
    const uchar* mbits = m.constBits();
    const qsizetype mZeile = m.bytesPerLine();
    const int px = it->p.x(), py = it->p.y();
    const int xa = std::max(0, px);
    const int xb = std::min(bb, px + mb);
    const int yb = std::min(bh, py + mh);
    for (int y = std::max(0, py); y < yb; ++y) {
      auto* ziel = reinterpret_cast<uint32_t*>(bits + y * zeilenLaenge);
      const auto* quelle = reinterpret_cast<const uint32_t*>(mbits + (y - py) * mZeile) - px;
      for (int x = xa; x < xb; ++x) ziel[x] = ueber(quelle[x], ziel[x]);
    }
  }
}

namespace {

// c + a - c * a / 255 (rounded): coverage c after a copy of coverage a on top. Also right
// where nothing changes, as a = 0 and c = 255 leave c, so that rows go in whole pieces.
inline uint8_t dazuDecken(uint8_t c, uint8_t a) {
  const uint16_t t = static_cast<uint16_t>(c * a + 128);
  return static_cast<uint8_t>(c + a - ((t + (t >> 8)) >> 8));
}

// 8 pixels at once, as a vector of eight 16-bit lanes (the products need 16 bits).
typedef uint8_t Bytes8 __attribute__((vector_size(8)));
typedef uint16_t Worte8 __attribute__((vector_size(16)));

inline void dazuDecken8(uint8_t* ziel, const uint8_t* deckung) {
  Bytes8 c8, a8;
  std::memcpy(&c8, ziel, 8);
  std::memcpy(&a8, deckung, 8);
  const Worte8 c = __builtin_convertvector(c8, Worte8);
  const Worte8 a = __builtin_convertvector(a8, Worte8);
  const Worte8 t = c * a + 128;
  const Bytes8 r = __builtin_convertvector(c + a - ((t + (t >> 8)) >> 8), Bytes8);
  std::memcpy(ziel, &r, 8);
}

}  // namespace

void Stempel::stempeln(Abdeckung& maske, const QImage& marke, const std::vector<MarkenOrt>& positionen) {
  if (marke.isNull() || positionen.empty()) return;
  vorbereiten(marke);
  sammeln(maske.breite(), maske.hoehe(), positionen);
  if (inhalt_.isEmpty()) return;
  const int mb = inhalt_.width();
  const int mh = inhalt_.height();
  const int breite = maske.breite();
  // The order does not matter here: one colour over itself gives the same whichever copy
  // comes first.
  for (const Ort& o : orte_) {
    const uint8_t* deckung = deckungFuer(std::min(o.anzahl, kGenug));
    // The corner of what the marker covers.
    const int px = o.p.x() + inhalt_.left(), py = o.p.y() + inhalt_.top();
    const int xa = std::max(0, px);
    const int xb = std::min(breite, px + mb) - 1;
    const int yb = std::min(maske.hoehe(), py + mh);
    // A marker inside the mask's width goes in pieces of 8, its padding (coverage 0)
    // running on into the next row or the mask's spare bytes; one cut at the sides pixel by
    // pixel.
    const bool ganz = px >= 0 && px + mb <= breite;
    for (int y = std::max(0, py); y < yb; ++y) {
      uint8_t* ziel = maske.zeileZumSchreiben(y);
      const uint8_t* quelle = deckung + static_cast<ptrdiff_t>(y - py) * spalten_;
      if (ganz) {
        for (int k = 0; k < spalten_; k += 8) dazuDecken8(ziel + px + k, quelle + k);
      } else {
        for (int x = xa; x <= xb; ++x) ziel[x] = dazuDecken(ziel[x], quelle[x - px]);
      }
    }
    maske.bereich(xa, xb, std::max(0, py), yb - 1);
  }
}

QColor einfarbig(const QImage& bild) {
  const QImage b = bild.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  int rot = -1, gruen = -1, blau = -1;
  uint32_t staerkste = 0;
  for (int y = 0; y < b.height(); ++y) {
    const auto* z = reinterpret_cast<const uint32_t*>(b.constScanLine(y));
    for (int x = 0; x < b.width(); ++x)
      if ((z[x] >> 24) > staerkste) {
        staerkste = z[x] >> 24;
        const double f = 255.0 / staerkste;
        rot = static_cast<int>(((z[x] >> 16) & 0xffu) * f + 0.5);
        gruen = static_cast<int>(((z[x] >> 8) & 0xffu) * f + 0.5);
        blau = static_cast<int>((z[x] & 0xffu) * f + 0.5);
      }
  }
  if (staerkste == 0) return {};
  for (int y = 0; y < b.height(); ++y) {
    const auto* z = reinterpret_cast<const uint32_t*>(b.constScanLine(y));
    for (int x = 0; x < b.width(); ++x) {
      const uint32_t a = z[x] >> 24;
      auto passt = [&](int s, int soll) {
        return std::abs(static_cast<int>((z[x] >> s) & 0xffu) - static_cast<int>(mal(static_cast<uint32_t>(soll), a))) <= 1;
      };
      if (!passt(16, rot) || !passt(8, gruen) || !passt(0, blau)) return {};
    }
  }
  return QColor(rot, gruen, blau, static_cast<int>(staerkste));
}

}  // namespace chart_raster
