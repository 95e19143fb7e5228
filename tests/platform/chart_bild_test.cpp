// Long series are drawn through a picture of their own on screen. What the user sees must
// stay what QCustomPlot's drawing point by point gives (ChartView::setFastDrawing(false)),
// up to the shades of edge pixels.
#include <QImage>
#include <algorithm>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <random>

#include "platform/chart_view.h"
#include "platform/chart_view_raster.h"
#include <qcustomplot.h>

namespace {

int Abstand(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b))});
}

// Where two drawings of the same chart part: the pixels of one whose colour is not found,
// per channel and within 24, among the 3 x 3 pixels around the same place in the other (an
// edge moved by a pixel, or shaded otherwise, passes; a marker or a piece of line that one
// lacks does not), both ways; and the ink of each (darkness summed over all pixels), which
// catches a line drawn wider or fainter.
struct Unterschied {
  int fremd = 0;
  int bemalt = 0;  // pixels not white in either
  double tinte[2] = {0, 0};  // of the second picture, then of the first
  int groesster = 0;
};

Unterschied Vergleichen(const QImage& a, const QImage& b) {
  Unterschied u;
  for (int r = 0; r < 2; ++r) {
    const QImage& p = r ? a : b;
    const QImage& q = r ? b : a;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) {
        const QRgb c = p.pixel(x, y);
        u.tinte[r] += 765 - qRed(c) - qGreen(c) - qBlue(c);
        if (r == 0) {
          u.groesster = std::max(u.groesster, Abstand(c, q.pixel(x, y)));
          if (c != qRgb(255, 255, 255) || q.pixel(x, y) != qRgb(255, 255, 255)) ++u.bemalt;
        }
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= a.width() || ny >= a.height()) continue;
            const QRgb n = q.pixel(nx, ny);
            const int k[3] = {qRed(n), qGreen(n), qBlue(n)};
            for (int i = 0; i < 3; ++i) {
              lo[i] = std::min(lo[i], k[i]);
              hi[i] = std::max(hi[i], k[i]);
            }
          }
        const int k[3] = {qRed(c), qGreen(c), qBlue(c)};
        for (int i = 0; i < 3; ++i)
          if (k[i] < lo[i] - 24 || k[i] > hi[i] + 24) {
            ++u.fremd;
            break;
          }
      }
  }
  return u;
}

// The same up to antialiasing: at most 1.5 % of the painted pixels strange, ink within 3 %.
::testing::AssertionResult GleichBisAufKanten(const QImage& alt, const QImage& neu) {
  const Unterschied u = Vergleichen(alt, neu);
  const double tinte = std::abs(u.tinte[0] - u.tinte[1]) / std::max(1.0, u.tinte[0]);
  if (u.bemalt > 0 && u.fremd <= u.bemalt * 0.015 && tinte <= 0.03) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << u.fremd << " of " << u.bemalt << " painted pixels differ, ink "
                                       << tinte * 100 << " % apart";
}

class ChartBildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chart.resize(640, 420);
    chart.setLegendVisible(false);
    chart.show();
  }
  ChartSeries* Serie(int punktGroesse, int breite, Qt::PenStyle stil, PointerStyle form, QColor farbe,
                     QColor fuellung, QColor umriss) {
    ChartSeries* s = chart.addSeries(QStringLiteral("Series%1").arg(chart.seriesCount() + 1));
    s->setColor(farbe);
    s->setPointerStyle(form);
    s->setPointerVisible(punktGroesse > 0);
    s->setPointerSize(punktGroesse);
    s->setPointerBrush(fuellung);
    s->setPointerPen(umriss);
    s->setLineWidth(breite);
    s->setLineStyle(stil);
    return s;
  }
  QImage Bild() {
    chart.replotNow();
    return chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  // The drawing point by point, then the fast one (which stays on).
  std::pair<QImage, QImage> Beide() {
    chart.setFastDrawing(false);
    const QImage alt = Bild();
    chart.setFastDrawing(true);
    return {alt, Bild()};
  }
  std::vector<double> xs, ys;
  ChartView chart;
};

TEST_F(ChartBildTest, DenseSortedCurveInTheDataGraphsDefaultStyle) {
  // Points and two-pixel lines in one colour, many points per pixel column going up and
  // down, as a long measurement gives.
  ChartSeries* s = Serie(2, 2, Qt::SolidLine, PointerStyle::Circle, Qt::red, Qt::red, Qt::red);
  for (int i = 0; i < 30000; ++i) {
    xs.push_back(i * 0.001);
    ys.push_back(std::sin(i * 0.0004) + 0.3 * std::sin(i * 0.37));
  }
  s->setPoints(xs, ys);
  const auto [alt, neu] = Beide();
  EXPECT_TRUE(GleichBisAufKanten(alt, neu));
}

TEST_F(ChartBildTest, UnsortedPointsWithMarkersOfTwoColoursAndASecondCurveOnTop) {
  std::mt19937 zufall(7);
  std::normal_distribution<double> schritt(0, 1);
  ChartSeries* a = Serie(3, 3, Qt::SolidLine, PointerStyle::Star, Qt::blue, Qt::white, Qt::black);
  ChartSeries* b = Serie(2, 2, Qt::SolidLine, PointerStyle::Rectangle, Qt::darkGreen, Qt::yellow, Qt::darkGreen);
  for (ChartSeries* s : {a, b}) {
    double x = 0, y = 0;
    xs.clear();
    ys.clear();
    for (int i = 0; i < 4000; ++i) {
      x += schritt(zufall);
      y += schritt(zufall);
      xs.push_back(x);
      ys.push_back(y);
    }
    s->setPoints(xs, ys);
  }
  ASSERT_FALSE(a->xAscending());
  const auto [alt, neu] = Beide();
  EXPECT_TRUE(GleichBisAufKanten(alt, neu));
}

TEST_F(ChartBildTest, DashedWideAndThinLinesKeepTheirPattern) {
  // A smooth curve going round, without markers, so that only the line counts.
  ChartSeries* s = Serie(0, 2, Qt::DashLine, PointerStyle::Circle, Qt::darkMagenta, QColor(), QColor());
  for (int i = 0; i < 800; ++i) {
    const double t = i * 0.02;
    xs.push_back(std::sin(t) * (1 + t / 4));
    ys.push_back(std::cos(1.3 * t) * (1 + t / 4));
  }
  s->setPoints(xs, ys);
  const std::pair<Qt::PenStyle, int> stile[] = {{Qt::DashLine, 2},       {Qt::DotLine, 5},
                                                {Qt::DashDotLine, 3},    {Qt::DashDotDotLine, 2},
                                                {Qt::SolidLine, 1},      {Qt::DashLine, 1},
                                                {Qt::SolidLine, 10}};
  for (const auto& [stil, breite] : stile) {
    s->setLineStyle(stil);
    s->setLineWidth(breite);
    const auto [alt, neu] = Beide();
    EXPECT_TRUE(GleichBisAufKanten(alt, neu)) << "style " << stil << ", width " << breite;
  }
}

TEST_F(ChartBildTest, MarkersRepeatedAtOnePlaceLookAsTheirCopiesWould) {
  // 3000 points on 25 places: each marker is copied once, as strong as 120 copies.
  ChartSeries* s = Serie(3, 2, Qt::SolidLine, PointerStyle::Circle, Qt::magenta, Qt::magenta, Qt::magenta);
  s->setLineVisible(false);
  for (int i = 0; i < 3000; ++i) {
    xs.push_back((i * 7) % 5 + 0.37);
    ys.push_back((i * 3) % 5 + 0.21);
  }
  s->setPoints(xs, ys);
  chart.setMinMax(ChartAxis::Bottom, 0, 6);
  chart.setMinMax(ChartAxis::Left, 0, 6);
  const auto [alt, neu] = Beide();
  EXPECT_LE(Vergleichen(alt, neu).groesster, 4);
}

TEST_F(ChartBildTest, LinesLeavingThePlotAndPointsFarAway) {
  ChartSeries* s = Serie(2, 3, Qt::SolidLine, PointerStyle::Diamond, Qt::darkCyan, Qt::darkCyan, Qt::black);
  for (int i = 0; i < 2000; ++i) {
    xs.push_back(std::sin(i * 0.05) * 10);
    ys.push_back(std::cos(i * 0.031) * 10);
  }
  xs[500] = 1e200;  // one point far beyond everything
  ys[1500] = -1e200;
  s->setPoints(xs, ys);
  chart.setMinMax(ChartAxis::Bottom, -4, 6);
  chart.setMinMax(ChartAxis::Left, -5, 3);
  const auto [alt, neu] = Beide();
  EXPECT_TRUE(GleichBisAufKanten(alt, neu));
}

TEST_F(ChartBildTest, TheKeptPictureFollowsEveryChange) {
  ChartSeries* s = Serie(2, 2, Qt::SolidLine, PointerStyle::Circle, Qt::red, Qt::red, Qt::red);
  for (int i = 0; i < 1000; ++i) {
    xs.push_back(i);
    ys.push_back(std::sin(i * 0.02));
  }
  s->setPoints(xs, ys);
  Bild();
  // Each change is drawn fast first (the kept picture must not show), then compared with
  // the drawing point by point.
  const std::vector<std::pair<const char*, std::function<void()>>> aenderungen = {
      {"colour", [&] { s->setColor(Qt::blue); }},
      {"width", [&] { s->setLineWidth(4); }},
      {"markers", [&] { s->setPointerVisible(false); }},
      {"points", [&] { s->setPoints(ys, xs); }},
      {"axis", [&] { chart.setMinMax(ChartAxis::Left, -50, 2000); }},
      {"range", [&] { chart.setMinMax(ChartAxis::Bottom, 100, 900); }},  // same plot area
      {"size", [&] { chart.resize(500, 300); }},
      {"order", [&] {
         std::reverse(xs.begin(), xs.end());
         s->setPoints(xs, ys);
       }},
  };
  for (const auto& [name, aendern] : aenderungen) {
    aendern();
    const QImage neu = Bild();
    chart.setFastDrawing(false);
    const QImage alt = Bild();
    chart.setFastDrawing(true);
    EXPECT_TRUE(GleichBisAufKanten(alt, neu)) << name;
    Bild();  // kept again for the next change
  }
  // Hidden: gone from the picture.
  s->setActive(false);
  const QImage leer = Bild();
  chart.setFastDrawing(false);
  EXPECT_EQ(leer, Bild());
}

TEST_F(ChartBildTest, ThePictureIsKeptWhileThePlotAreaStaysAndDrawnAnewWhenItChanges) {
  // The legend lies inside the plot area: switching it leaves the series' picture as it
  // is, and so does hiding the series and showing it again (as the function graph does with
  // every curve when it adds one). A wider margin (the data graph's curve labels beside the
  // plot) changes the area.
  ChartSeries* s = Serie(2, 2, Qt::SolidLine, PointerStyle::Circle, Qt::red, Qt::red, Qt::red);
  for (int i = 0; i < 5000; ++i) {
    xs.push_back(std::sin(i * 0.01) * i);
    ys.push_back(std::cos(i * 0.013) * i);
  }
  s->setPoints(xs, ys);
  Bild();
  const int vorher = ChartView::bilderNeuGezeichnet;
  chart.setLegendVisible(true);
  const QImage mitLegende = Bild();
  chart.setLegendVisible(false);
  Bild();
  s->setActive(false);
  Bild();
  s->setActive(true);
  Bild();
  EXPECT_EQ(ChartView::bilderNeuGezeichnet, vorher);
  chart.setLegendVisible(true);
  EXPECT_EQ(Bild(), mitLegende);
  chart.setRightMargin(150);
  const QImage schmaler = Bild();
  EXPECT_EQ(ChartView::bilderNeuGezeichnet, vorher + 1);
  chart.setFastDrawing(false);
  EXPECT_TRUE(GleichBisAufKanten(Bild(), schmaler));
}

// What a red series shows in the rows above the given one, where only a glitch of the
// curve reaches: the rows with a pixel at full strength (a line two pixels wide has one in
// every row it crosses), and the pixels of more than half strength.
struct Rot {
  int zeilen = 0, pixel = 0;
};

Rot RotOberhalb(const QImage& bild, int zeile) {
  Rot r;
  for (int y = 0; y < std::min(zeile, bild.height()); ++y) {
    bool voll = false;
    for (int x = 0; x < bild.width(); ++x) {
      const QRgb c = bild.pixel(x, y);
      if (qRed(c) < 200) continue;
      if (qGreen(c) < 112 && qBlue(c) < 112) ++r.pixel;
      if (qGreen(c) < 26 && qBlue(c) < 26) voll = true;
    }
    r.zeilen += voll;
  }
  return r;
}

TEST_F(ChartBildTest, AGlitchInTheDataShowsAsItDoesPointByPoint) {
  // Quiet lines of many points per pixel with one glitch (a sample far off, the next back
  // where it left), or with a short burst of noise: the glitch's line is there on both
  // roads, over its whole height, with the data graph's markers and without, sorted (a
  // graph) and unsorted (a curve).
  //
  // Where parts of the line lie on each other (up to the glitch and down again beside it),
  // Qt's fill of the outline adds their coverage at the edge pixels, and so does the fast
  // road. What remains apart: the simplification leaves out a quiet line's zigzag of less
  // than 0.2 px, whose thousands of overlapping pieces Qt's fill adds up into a line a pixel
  // stronger than its pen, and the samples' grain at the edges. So the pixels of more than
  // half strength and the ink may fall somewhat short of Qt's, never exceed them, and no
  // pixel may be foreign.
  std::mt19937 zufall(11);
  std::normal_distribution<double> rauschen(0, 1);
  struct Fall {
    const char* name;
    std::function<double(int)> y;
    bool sortiert;
    int n = 20000;
    std::function<double(int)> x = [](int i) { return i * 0.001; };
  };
  auto flach = [&](int i) { return i == 9000 ? 5.0 : 1 + 1e-4 * rauschen(zufall); };
  auto welle = [&](int i) { return i == 12345 ? 6.0 : 1 + std::sin(i * 0.0005); };
  auto stoss = [&](int i) {
    return i >= 7000 && i < 7030 ? 1 + 2 * std::abs(rauschen(zufall)) : 1 + 1e-3 * rauschen(zufall);
  };
  // A sparse sorted recording (too few points per pixel for QCustomPlot to thin them out)
  // with a burst of 30 samples taken within a moment, every third one an outlier.
  auto zeit = [](int i) { return i < 500 ? i * 0.02 : i < 530 ? 10 + (i - 500) * 1e-6 : 10 + (i - 529) * 0.02; };
  auto salve = [&](int i) {
    return i >= 500 && i < 530 && (i - 500) % 3 == 1 ? 3 + std::abs(rauschen(zufall)) : 1 + 1e-3 * rauschen(zufall);
  };
  const Fall faelle[] = {{"flat, one glitch", flach, false}, {"flat, one glitch", flach, true},
                         {"sine, one glitch", welle, false}, {"sine, one glitch", welle, true},
                         {"burst", stoss, true},             {"burst", stoss, false},
                         {"burst of samples", salve, true, 1030, zeit}};
  ChartSeries* s = Serie(2, 2, Qt::SolidLine, PointerStyle::Circle, Qt::red, Qt::red, Qt::red);
  for (const Fall& f : faelle) {
    xs.clear();
    ys.clear();
    for (int i = 0; i < f.n; ++i) {
      xs.push_back(f.x(i));
      ys.push_back(f.y(i));
    }
    if (!f.sortiert) std::swap(xs[1], xs[2]);
    s->setPoints(xs, ys);
    ASSERT_EQ(s->xAscending(), f.sortiert);
    chart.setMinMax(ChartAxis::Left, 0, 7);
    for (const bool marken : {true, false}) {
      s->setPointerVisible(marken);
      const auto [alt, neu] = Beide();
      // Above 2.5 only the glitch reaches (the sine tops out at 2).
      const int zeile = static_cast<int>(chart.pixelOf(ChartAxis::Left, 2.5));
      const Rot vorher = RotOberhalb(alt, zeile), jetzt = RotOberhalb(neu, zeile);
      const std::string wo = std::string(f.name) + (f.sortiert ? ", sorted" : ", unsorted") +
                             (marken ? ", markers" : ", line only") + ": rows " + std::to_string(vorher.zeilen) +
                             " / " + std::to_string(jetzt.zeilen) + ", pixels " + std::to_string(vorher.pixel) +
                             " / " + std::to_string(jetzt.pixel);
      EXPECT_GT(vorher.zeilen, 40) << wo;
      EXPECT_NEAR(jetzt.zeilen, vorher.zeilen, 2) << wo;
      EXPECT_GE(jetzt.pixel, vorher.pixel * 0.6) << wo;
      EXPECT_LE(jetzt.pixel, vorher.pixel + 3) << wo;
      const Unterschied u = Vergleichen(alt, neu);
      EXPECT_LE(u.fremd, u.bemalt * 0.015) << wo;
      EXPECT_LE(u.tinte[0], u.tinte[1] * 1.03) << wo;  // [0] the fast road's ink, [1] Qt's
      EXPECT_GE(u.tinte[0], u.tinte[1] * 0.8) << wo;
    }
  }
}

TEST_F(ChartBildTest, DenseTanglesOfWideLinesAreAsDarkAsPointByPoint) {
  // A long random walk crossing itself everywhere: where lines meet and cross, what they
  // cover together is covered, as Qt's union of the whole outline covers it.
  std::mt19937 zufall(3);
  std::normal_distribution<double> schritt(0, 1);
  double x = 0, y = 0;
  for (int i = 0; i < 50000; ++i) {
    x += schritt(zufall);
    y += schritt(zufall);
    xs.push_back(x);
    ys.push_back(y);
  }
  ChartSeries* s = Serie(0, 2, Qt::SolidLine, PointerStyle::Circle, Qt::red, Qt::red, Qt::red);
  s->setPoints(xs, ys);
  for (const int breite : {2, 3}) {
    s->setLineWidth(breite);
    const auto [alt, neu] = Beide();
    EXPECT_TRUE(GleichBisAufKanten(alt, neu)) << "width " << breite;
  }
  // With the data graph's markers on top.
  s->setLineWidth(2);
  s->setPointerVisible(true);
  s->setPointerSize(2);
  const auto [alt, neu] = Beide();
  EXPECT_TRUE(GleichBisAufKanten(alt, neu)) << "with markers";
}

TEST_F(ChartBildTest, HugeValuesInsideASortedSeries) {
  // A sorted series with +-1e300 among its values: the line goes straight up and down out of
  // the plot there.
  ChartSeries* s = Serie(2, 2, Qt::SolidLine, PointerStyle::Circle, Qt::red, Qt::red, Qt::red);
  for (int i = 0; i < 3000; ++i) {
    xs.push_back(i * 0.01);
    ys.push_back(std::sin(i * 0.01));
  }
  ys[1000] = 1e300;
  ys[2000] = -1e300;
  ys[2500] = 1e300;
  ys[2501] = -1e300;
  s->setPoints(xs, ys);
  chart.setMinMax(ChartAxis::Bottom, 0, 30);
  chart.setMinMax(ChartAxis::Left, -1.5, 1.5);
  for (const bool marken : {true, false}) {
    s->setPointerVisible(marken);
    const auto [alt, neu] = Beide();
    EXPECT_TRUE(GleichBisAufKanten(alt, neu)) << (marken ? "markers" : "line only");
  }
}

// Values beyond what QCustomPlot holds as they are (ranges within +-1e250 and wider than
// 1e-280): the axes reach them, the ticks are labelled with the values, the points lie where
// their values say, and both roads draw them alike.
TEST_F(ChartBildTest, ValuesToTheEndsOfTheDoubleRange) {
  ChartSeries* s = Serie(2, 2, Qt::SolidLine, PointerStyle::Circle, Qt::red, Qt::red, Qt::red);
  struct Fall {
    double x0, x1, y0, y1;
  };
  for (const Fall f : {Fall{0, 8, 1e300, 1e308}, Fall{1e300, 1e308, 0, 8},
                       Fall{-1.7e308, 1.7e308, 1.7e308, -1e308}, Fall{1e-300, 3e-300, 0, 5e-301}}) {
    xs.clear();
    ys.clear();
    for (int i = 0; i <= 400; ++i) {
      const double t = i / 400.0;
      xs.push_back(f.x0 * (1 - t) + f.x1 * t);
      ys.push_back(f.y0 * (1 - t) + f.y1 * t);
    }
    s->setPoints(xs, ys);
    chart.setAutomatic(ChartAxis::Bottom, true);
    chart.setAutomatic(ChartAxis::Left, true);
    const ChartRect r = chart.plotRect();
    const std::string fall = QStringLiteral("%1..%2 / %3..%4").arg(f.x0).arg(f.x1).arg(f.y0).arg(f.y1).toStdString();
    EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Bottom), std::min(f.x0, f.x1)) << fall;
    EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Bottom), std::max(f.x0, f.x1)) << fall;
    EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Left), std::min(f.y0, f.y1)) << fall;
    EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), std::max(f.y0, f.y1)) << fall;
    // The first and the last point at their corners of the plot.
    EXPECT_NEAR(chart.pixelOf(ChartAxis::Bottom, xs.front()), f.x0 < f.x1 ? r.left : r.right, 1) << fall;
    EXPECT_NEAR(chart.pixelOf(ChartAxis::Bottom, xs.back()), f.x0 < f.x1 ? r.right : r.left, 1) << fall;
    EXPECT_NEAR(chart.pixelOf(ChartAxis::Left, ys.front()), f.y0 < f.y1 ? r.bottom : r.top, 1) << fall;
    // Halves, as the width of such a range may overflow; within a pixel.
    const double mitte = chart.valueAt(ChartAxis::Left, (r.top + r.bottom) / 2.0);
    EXPECT_NEAR((mitte - (f.y0 / 2 + f.y1 / 2)) / std::fabs(f.y1 / 2 - f.y0 / 2), 0, 4.0 / r.height()) << fall;
    // Every tick label reads as a value inside the axis.
    for (QCPAxis* achse : {chart.plot()->xAxis, chart.plot()->yAxis}) {
      const QVector<QString> labels = achse->tickVectorLabels();
      EXPECT_GE(labels.size(), 3) << fall;
      const bool unten = achse == chart.plot()->xAxis;
      const double lo = chart.minimum(unten ? ChartAxis::Bottom : ChartAxis::Left);
      const double hi = chart.maximum(unten ? ChartAxis::Bottom : ChartAxis::Left);
      for (const QString& l : labels) {
        bool ok = false;
        const double v = QString(l).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        EXPECT_TRUE(ok && v >= lo - (hi - lo) * 1e-9 && v <= hi + (hi - lo) * 1e-9)
            << fall << ": " << l.toStdString();
      }
    }
    const auto [alt, neu] = Beide();
    EXPECT_TRUE(GleichBisAufKanten(alt, neu)) << fall;
    // The line crosses the plot: its red is found all along the plot's width.
    int spalten = 0;
    for (int x = r.left + 2; x < r.right - 2; x += 10) {
      bool rot = false;
      for (int y = r.top; y < r.bottom && !rot; ++y) rot = qRed(neu.pixel(x, y)) > 200 && qGreen(neu.pixel(x, y)) < 80;
      spalten += rot;
    }
    EXPECT_GE(spalten, (r.width() - 4) / 10 - 1) << fall;
  }

  // Fixed at -1e308..1e308, whose width overflows: 0 lies in the middle, on the chart as in
  // the pixel rule of the windows.
  ASSERT_TRUE(chart.setMinMax(ChartAxis::Left, -1e308, 1e308));
  ASSERT_TRUE(chart.setMinMax(ChartAxis::Bottom, -1e308, 1e308));
  const ChartRect r = chart.plotRect();
  EXPECT_NEAR(chart.pixelOf(ChartAxis::Left, 0), (r.top + r.bottom) / 2.0, 1);
  EXPECT_NEAR(chart.valueAt(ChartAxis::Left, chart.pixelOf(ChartAxis::Left, 5e307)) / 5e307, 1, 1e-9);
  const QPoint mitte = chartValueToPixel(r, -1e308, 1e308, -1e308, 1e308, 0, 0);
  EXPECT_NEAR(mitte.x(), (r.left + r.right) / 2.0, 1);
  EXPECT_NEAR(mitte.y(), (r.top + r.bottom) / 2.0, 1);
  EXPECT_EQ(chartValueToPixel(r, -1e308, 1e308, -1e308, 1e308, 1e308, -1e308), QPoint(r.right, r.bottom));
  EXPECT_FALSE(chart.setMinMax(ChartAxis::Left, -std::numeric_limits<double>::infinity(), 0));

  // A logarithmic axis over more decades than a double's ratio holds shows the upper 250.
  chart.setLogarithmic(ChartAxis::Left, true);
  ASSERT_TRUE(chart.setMinMax(ChartAxis::Left, 1e-300, 1e300));
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 1e300);
  EXPECT_NEAR(std::log10(chart.minimum(ChartAxis::Left)), 50, 1e-6);
}

// ---- The drawing's own pieces ---------------------------------------------------------------

TEST(ChartRaster, WideLinesCoverWhatTheirWidthCoversWithFlatEnds) {
  chart_raster::Abdeckung m;
  m.beginnen(20, 20);
  // Two pixels wide along a pixel border: two rows fully, ending flat at x = 2 and 8.
  const QPointF gerade[] = {{2, 10}, {8, 10}};
  m.linie(gerade, 2, 2, Qt::SolidLine);
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 20; ++y)
      EXPECT_EQ(m.wert(x, y), (x >= 2 && x < 8 && (y == 9 || y == 10)) ? 255 : 0) << x << "," << y;
  // Along pixel centres: the middle row full, the rows beside it half.
  m.beginnen(20, 20);
  const QPointF mitte[] = {{2, 10.5}, {8, 10.5}};
  m.linie(mitte, 2, 2, Qt::SolidLine);
  EXPECT_EQ(m.wert(5, 10), 255);
  EXPECT_NEAR(m.wert(5, 9), 128, 1);
  EXPECT_NEAR(m.wert(5, 11), 128, 1);
  EXPECT_EQ(m.wert(5, 8), 0);
  // Dots of a five-pixel pen are five long with ten between (Qt's pattern 1, 2).
  m.beginnen(60, 20);
  const QPointF punktiert[] = {{0, 10.5}, {60, 10.5}};
  m.linie(punktiert, 2, 5, Qt::DotLine);
  for (int x = 0; x < 60; ++x) EXPECT_EQ(m.wert(x, 10), x % 15 < 5 ? 255 : 0) << x;
}

TEST(ChartRaster, FarPointsAndGapsOfALine) {
  chart_raster::Abdeckung m;
  m.beginnen(30, 30);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // From far left to far right across row 5 (a length that overflows to infinity: drawn
  // solid, as a piece from far away), a gap, then a piece in row 20.
  const QPointF zug[] = {{-1e300, 5.5}, {1e300, 5.5}, {nan, nan}, {3, 20.5}, {9, 20.5}};
  m.linie(zug, 5, 1.5, Qt::DashLine);
  for (int x = 0; x < 30; ++x) EXPECT_GT(m.wert(x, 5), 0) << x;
  EXPECT_EQ(m.wert(20, 12), 0);  // nothing joins the pieces across the gap
  EXPECT_GT(m.wert(4, 20), 0);
  EXPECT_EQ(m.beruehrt().bottom(), 21);
}

TEST(ChartRaster, MarkersAddToTheMaskAsTheirCopiesAddToAPicture) {
  // A marker with every shade of coverage and an empty edge on three sides (its copies
  // leave those alone), 10 wide where it covers (one piece of 8 pixels and a bit), stamped
  // at places cut by every side of a 40 x 30 area, next to the last row, repeated (in a row
  // and apart): the mask must hold what the copies leave in a transparent picture's alpha.
  QImage marke(13, 6, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < marke.height(); ++y)
    for (int x = 0; x < marke.width(); ++x) {
      const int a = (y == 0 || x < 2 || x == 12) ? 0 : 1 + (x * 37 + y * 91) % 255;
      marke.setPixel(x, y, qRgba(a, 0, 0, a));
    }
  const QPoint orte[] = {{-5, 3}, {30, 10}, {35, 28}, {10, -3}, {0, 0}, {27, 25}, {8, 12}, {9, 12}, {9, 12}, {8, 12}};
  std::vector<chart_raster::MarkenOrt> liste;
  chart_raster::OrteSammler sammler(liste);
  for (const QPoint& o : orte) sammler.dazu(o);
  for (int i = 0; i < 70; ++i) sammler.dazu(QPoint(20, 20));  // beyond the strongest copy
  sammler.fertig();
  ASSERT_EQ(liste.size(), 10u);  // the repeats in a row counted once

  chart_raster::Abdeckung maske;
  maske.beginnen(40, 30);
  chart_raster::Stempel stempel;
  stempel.stempeln(maske, marke, liste);
  QImage bild(40, 30, QImage::Format_ARGB32_Premultiplied);
  bild.fill(Qt::transparent);
  chart_raster::Stempel().stempeln(bild, marke, liste);
  int bemalt = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(maske.wert(x, y), qAlpha(bild.pixel(x, y))) << x << "," << y;
      if (maske.wert(x, y) > 0) {
        ++bemalt;
        EXPECT_TRUE(maske.beruehrt().contains(x, y)) << x << "," << y;
      }
    }
  EXPECT_GT(bemalt, 200);
}

TEST(ChartRaster, StartingAgainClearsEveryTileThatWasDrawnInto) {
  // Stamped markers across the tiles' borders and cut by the sides, then a wide dashed
  // line, each alone on an area that is no whole number of tiles: all they cover lies in
  // the touched tiles, and the next start leaves nothing of them.
  QImage marke(7, 7, QImage::Format_ARGB32_Premultiplied);
  marke.fill(qRgba(0, 0, 90, 90));
  std::vector<chart_raster::MarkenOrt> orte;
  chart_raster::OrteSammler sammler(orte);
  for (const QPoint& o : {QPoint(-3, 50), QPoint(28, 28), QPoint(96, 62), QPoint(60, -2)}) sammler.dazu(o);
  sammler.fertig();
  const QPointF zug[] = {{5, 5}, {90, 60}, {10, 64}, {98, 12}};
  chart_raster::Abdeckung maske;
  chart_raster::Stempel stempel;
  for (int teil = 0; teil < 2; ++teil) {
    maske.beginnen(100, 70);
    if (teil == 0)
      stempel.stempeln(maske, marke, orte);
    else
      maske.linie(zug, 4, 4, Qt::DashLine);
    const std::vector<QRect> kacheln = maske.kacheln().rechtecke();
    int bemalt = 0;
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 100; ++x) {
        if (maske.wert(x, y) == 0) continue;
        ++bemalt;
        EXPECT_TRUE(std::any_of(kacheln.begin(), kacheln.end(), [&](const QRect& r) { return r.contains(x, y); }))
            << teil << ": " << x << "," << y;
      }
    EXPECT_GT(bemalt, 100);
    for (const QRect& r : kacheln) EXPECT_TRUE(QRect(0, 0, 100, 70).contains(r)) << r.x() << "," << r.y();
  }
  maske.beginnen(100, 70);
  EXPECT_TRUE(maske.kacheln().leer());
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(maske.wert(x, y), 0) << x << "," << y;
}

}  // namespace
