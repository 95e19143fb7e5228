// The fast drawing's pieces against brute force: the simplification of a wide solid line,
// whose every point left out must lie within epsilon of the segment drawn between the points
// kept around it; and the coverage of a wide line, counted piece by piece on the samples
// (full pixels passed over), against counting every sample in every piece.
#include <QPointF>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/chart_view_raster.h"

namespace {

constexpr double kEpsilon = 0.2;

bool Endlich(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

double ZurStrecke(QPointF p, QPointF a, QPointF b) {
  const double vx = b.x() - a.x(), vy = b.y() - a.y();
  const double wx = p.x() - a.x(), wy = p.y() - a.y();
  const double vv = vx * vx + vy * vy;
  const double t = vv > 0 ? std::clamp((wx * vx + wy * vy) / vv, 0.0, 1.0) : 0.0;
  return std::hypot(wx - t * vx, wy - t * vy);
}

// What simplifying p gives, checked: the points kept are p's points in their order with the
// first and last of every piece between gaps among them, and the farthest any point left
// out lies from the segment drawn between the kept points around it (every point of the
// drawn polyline, so a tolerance over it holds for the line as drawn).
struct Ergebnis {
  std::vector<QPointF> behalten;
  double weitester = 0;
  std::string fehler;  // empty when the kept points are a proper choice
};

Ergebnis Pruefen(const std::vector<QPointF>& p) {
  Ergebnis e;
  e.behalten = p;
  e.behalten.resize(static_cast<size_t>(
      chart_raster::vereinfachen(e.behalten.data(), static_cast<qsizetype>(p.size()), kEpsilon)));
  const std::vector<QPointF>& k = e.behalten;
  // Which index of p each kept point is: the points are all different (random), so the
  // first one further on that is exactly equal.
  std::vector<size_t> index;
  size_t i = 0;
  for (const QPointF& q : k) {
    while (i < p.size() && !((p[i].x() == q.x() && p[i].y() == q.y()) || (!Endlich(p[i]) && !Endlich(q)))) ++i;
    if (i == p.size()) {
      e.fehler = "a kept point that is not in the line's order";
      return e;
    }
    index.push_back(i++);
  }
  if (p.size() >= 1 && (index.empty() || index.front() != 0 || index.back() != p.size() - 1)) {
    e.fehler = "first or last point left out";
    return e;
  }
  for (size_t j = 0; j < p.size(); ++j) {
    const bool grenze = !Endlich(p[j]) || (j > 0 && !Endlich(p[j - 1])) || (j + 1 < p.size() && !Endlich(p[j + 1]));
    if (grenze && !std::binary_search(index.begin(), index.end(), j)) {
      e.fehler = "a gap or the end of a piece left out at " + std::to_string(j);
      return e;
    }
  }
  for (size_t n = 0; n + 1 < index.size(); ++n)
    for (size_t j = index[n] + 1; j < index[n + 1]; ++j)
      e.weitester = std::max(e.weitester, ZurStrecke(p[j], p[index[n]], p[index[n + 1]]));
  return e;
}

// Random lines of the kinds that broke the tolerance: flat with one glitch, random walks of
// every step size, bursts of noise in a quiet line, spikes that come back to within epsilon
// of where they left, points scattered at random, and each of them with gaps and points far
// away mixed in.
std::vector<QPointF> Zufallslinie(std::mt19937& z, int art) {
  std::uniform_real_distribution<double> gleich(0, 1);
  std::normal_distribution<double> normal(0, 1);
  const int n = 3 + static_cast<int>(gleich(z) * 200);
  std::vector<QPointF> p;
  const double dx = std::pow(10.0, -3 + 3 * gleich(z));  // 0.001 .. 1 px per point
  switch (art % 6) {
    case 0: {  // flat with one glitch
      const int wo = static_cast<int>(gleich(z) * n);
      const double hoehe = (gleich(z) < 0.5 ? -1 : 1) * std::pow(10.0, -1 + 3 * gleich(z));
      const double rauschen = 0.05 * gleich(z);
      for (int i = 0; i < n; ++i) p.emplace_back(100 + i * dx, 50 + rauschen * normal(z) + (i == wo ? hoehe : 0));
      break;
    }
    case 1: {  // random walk
      const double schritt = std::pow(10.0, -2 + 3 * gleich(z));
      double x = 100, y = 100;
      for (int i = 0; i < n; ++i) {
        x += schritt * normal(z);
        y += schritt * normal(z);
        p.emplace_back(x, y);
      }
      break;
    }
    case 2: {  // a burst in a quiet, slowly rising line
      const int von = static_cast<int>(gleich(z) * n), bis = von + 1 + static_cast<int>(gleich(z) * 10);
      const double staerke = std::pow(10.0, 3 * gleich(z) - 1);
      for (int i = 0; i < n; ++i)
        p.emplace_back(i * dx, 0.01 * i + (i >= von && i < bis ? staerke * normal(z) : 0.01 * normal(z)));
      break;
    }
    case 3: {  // spikes coming back to within epsilon of the point they left
      double x = 0, y = 0;
      for (int i = 0; i < n; ++i) {
        if (gleich(z) < 0.2 && i + 2 < n) {
          const double w = 2 * M_PI * gleich(z);
          const double l = std::pow(10.0, -0.5 + 2.5 * gleich(z));
          p.emplace_back(x + l * std::cos(w), y + l * std::sin(w));
          const double r = kEpsilon * std::sqrt(gleich(z)), v = 2 * M_PI * gleich(z);
          x += r * std::cos(v);
          y += r * std::sin(v);
          p.emplace_back(x, y);
          ++i;
        } else {
          x += dx;
          y += 0.02 * normal(z);
          p.emplace_back(x, y);
        }
      }
      break;
    }
    case 4: {  // scattered in a box of a few pixels to hundreds
      const double seite = std::pow(10.0, 3 * gleich(z) - 0.5);
      for (int i = 0; i < n; ++i) p.emplace_back(seite * gleich(z), seite * gleich(z));
      break;
    }
    default: {  // a sine sampled densely, with one glitch
      const int wo = static_cast<int>(gleich(z) * n);
      const double a = 100 * gleich(z), w = 0.3 * gleich(z);
      for (int i = 0; i < n; ++i) p.emplace_back(i * dx, a * std::sin(w * i) + (i == wo ? 50 * normal(z) : 0));
      break;
    }
  }
  if (art >= 6) {  // gaps and far points in between
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (QPointF& q : p) {
      const double r = gleich(z);
      if (r < 0.03) q = QPointF(nan, q.y());
      else if (r < 0.05) q = QPointF(q.x(), (gleich(z) < 0.5 ? -1 : 1) * 1e300);
      else if (r < 0.06) q = QPointF(3e6, q.y());
    }
  }
  return p;
}

TEST(ChartVereinfachen, NoPointLeftOutLiesFartherThanEpsilonFromTheDrawnLine) {
  std::mt19937 z(20240611);
  double weitester = 0;
  int gekuerzt = 0;  // lines where something was left out at all
  const int kArten = 12;
  for (int fall = 0; fall < 24000; ++fall) {
    const std::vector<QPointF> p = Zufallslinie(z, fall % kArten);
    const Ergebnis e = Pruefen(p);
    ASSERT_TRUE(e.fehler.empty()) << e.fehler << " in case " << fall;
    if (e.weitester > weitester) {
      weitester = e.weitester;
      EXPECT_LE(e.weitester, kEpsilon + 1e-9) << "case " << fall << " (kind " << fall % kArten << ")";
    }
    if (e.behalten.size() < p.size()) ++gekuerzt;
  }
  EXPECT_LE(weitester, kEpsilon + 1e-9);
  EXPECT_GT(gekuerzt, 8000);  // the reference has something to check
}

TEST(ChartVereinfachen, SpikesThatComeBackNearTheirStartStay) {
  // Anchor, spike, the next point back within epsilon of the anchor: the spike is the one
  // point that must stay, however the way back lies.
  for (const QPointF zurueck : {QPointF(0, 0), QPointF(0.1, 0), QPointF(-0.1, 0.1), QPointF(0, -0.19), QPointF(0.001, 0.001)}) {
    for (const QPointF spitze : {QPointF(0, 40), QPointF(0.3, 0.3), QPointF(-20, 1), QPointF(0.05, -5)}) {
      std::vector<QPointF> p = {{-10, 0}, {-5, 0}, {0, 0}, spitze, zurueck, {5, 0.05}, {10, 0}};
      const Ergebnis e = Pruefen(p);
      EXPECT_TRUE(e.fehler.empty()) << e.fehler;
      EXPECT_LE(e.weitester, kEpsilon + 1e-9) << spitze.x() << "," << spitze.y();
      EXPECT_NE(std::find(e.behalten.begin(), e.behalten.end(), spitze), e.behalten.end())
          << spitze.x() << "," << spitze.y() << " back to " << zurueck.x() << "," << zurueck.y();
    }
  }
}

TEST(ChartVereinfachen, SmoothCurvesStillShrink) {
  // Smooth curves sampled densely (a wave, spirals of several densities), of odd and even
  // lengths: they must still leave most of their points out, within the tolerance.
  for (int art = 0; art < 4; ++art) {
    for (const int anzahl : {3001, 3000}) {
      std::vector<QPointF> p;
      for (int i = 0; i < anzahl; ++i) {
        const double t = i * (art == 0 ? 0.01 : 0.002 * art);
        p.push_back(art == 0 ? QPointF(i * 0.04, 30 * std::sin(t))
                             : QPointF(200 + (20 + 10 * t) * std::cos(t), 200 + (20 + 10 * t) * std::sin(t)));
      }
      const Ergebnis e = Pruefen(p);
      ASSERT_TRUE(e.fehler.empty()) << e.fehler;
      EXPECT_LT(e.behalten.size(), p.size() / 3) << "curve " << art;
      EXPECT_LE(e.weitester, kEpsilon + 1e-9) << "curve " << art;
    }
  }
}

TEST(ChartVereinfachen, CornersSpikesAndGapsStay) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<QPointF> p;
  for (int i = 0; i <= 100; ++i) p.emplace_back(i * 0.1, 0.01 * (i % 2));  // straight, jittering
  p.emplace_back(10, 5);    // round the corner at (10, 0): on the chord upwards
  p.emplace_back(10, 20);   // out ...
  p.emplace_back(10, 12);   // ... and back: the spike's tip must stay
  p.emplace_back(nan, nan);
  p.emplace_back(30, 30);
  p.emplace_back(31, 30);
  const qsizetype n = chart_raster::vereinfachen(p.data(), static_cast<qsizetype>(p.size()), 0.2);
  const std::vector<QPointF> kept(p.begin(), p.begin() + n);
  ASSERT_EQ(kept.size(), 7u);
  EXPECT_EQ(kept[0], QPointF(0, 0));
  EXPECT_EQ(kept[1], QPointF(10, 0));
  EXPECT_EQ(kept[2], QPointF(10, 20));
  EXPECT_EQ(kept[3], QPointF(10, 12));
  EXPECT_TRUE(std::isnan(kept[4].x()));
  EXPECT_EQ(kept[5], QPointF(30, 30));
  EXPECT_EQ(kept[6], QPointF(31, 30));
}

// The pieces of a solid line's outline as Qt's stroker makes them (a rectangle along each
// piece with a length, the wedge of the round join between two), and how many of them hold
// the point q.
int StueckeUm(const std::vector<QPointF>& p, double radius, QPointF q) {
  int n = 0;
  QPointF davor;
  bool hatDavor = false;
  for (size_t i = 1; i < p.size(); ++i) {
    const QPointF a = p[i - 1], b = p[i];
    const double l = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (!(l > 0)) continue;
    const QPointF u((b.x() - a.x()) / l, (b.y() - a.y()) / l);
    const double t = (q.x() - a.x()) * u.x() + (q.y() - a.y()) * u.y();
    const double s = -(q.x() - a.x()) * u.y() + (q.y() - a.y()) * u.x();
    if (t >= 0 && t <= l && std::abs(s) <= radius) ++n;
    if (hatDavor && !(davor.x() == u.x() && davor.y() == u.y())) {
      const double dx = q.x() - a.x(), dy = q.y() - a.y();
      if (dx * dx + dy * dy <= radius * radius && dx * davor.x() + dy * davor.y() >= 0 && dx * u.x() + dy * u.y() <= 0) ++n;
    }
    davor = u;
    hatDavor = true;
  }
  return n;
}

TEST(ChartAbdeckung, WideLinesCoverEachPixelByTheSamplesTheirPiecesHold) {
  // Random walks and scattered points, dense enough that most pixels are full, of widths
  // from 1.5 to 6 pixels, in a small mask: each pixel must hold the samples that the
  // outline's pieces hold, added up and at most full (a sample on a piece's very border may
  // go either way in the arithmetic, so a pixel may be one sample apart).
  std::mt19937 z(77);
  std::uniform_real_distribution<double> gleich(0, 1);
  std::normal_distribution<double> normal(0, 1);
  constexpr int k = chart_raster::Abdeckung::kProben;
  int pixel = 0, anders = 0, voll = 0;
  for (int fall = 0; fall < 60; ++fall) {
    const int breite = 24 + static_cast<int>(gleich(z) * 12), hoehe = 20 + static_cast<int>(gleich(z) * 12);
    const double stift = 1.5 + 4.5 * gleich(z);
    std::vector<QPointF> p;
    const int n = 5 + static_cast<int>(gleich(z) * 120);
    double x = breite * gleich(z), y = hoehe * gleich(z);
    const double schritt = std::pow(10.0, -1.5 + 2 * gleich(z));
    for (int i = 0; i < n; ++i) {
      if (fall % 3 == 2) {
        x = -4 + (breite + 8) * gleich(z);
        y = -4 + (hoehe + 8) * gleich(z);
      } else {
        x += schritt * normal(z);
        y += schritt * normal(z);
      }
      p.emplace_back(x, y);
    }
    chart_raster::Abdeckung m;
    m.beginnen(breite, hoehe);
    m.linie(p.data(), static_cast<qsizetype>(p.size()), stift, Qt::SolidLine);
    for (int py = 0; py < hoehe; ++py)
      for (int px = 0; px < breite; ++px) {
        int proben = 0;
        for (int sy = 0; sy < k; ++sy)
          for (int sx = 0; sx < k; ++sx)
            proben += StueckeUm(p, stift / 2, QPointF(px + (sx + 0.5) / k, py + (sy + 0.5) / k));
        const int soll = (std::min(proben, k * k) * 255 + k * k / 2) / (k * k);
        ++pixel;
        voll += soll == 255;
        if (m.wert(px, py) != soll) {
          ++anders;
          ASSERT_LE(std::abs(m.wert(px, py) - soll), 255 / (k * k) + 1) << "case " << fall << ", pixel " << px << "," << py;
        }
      }
  }
  EXPECT_LE(anders, pixel / 1000) << anders << " of " << pixel;
  EXPECT_GT(voll, pixel / 10);  // full pixels that a later piece is left out over
}

}  // namespace
