// Data graph: loading a table of 1,000,000 and of 10,000,000 rows x 4 columns with decimal
// commas (about 30 and 300 MB) and a ragged table of a million rows (a messy export: cells
// missing, comment rows, short rows, now and then a row of dozens of fields), turning two
// columns into a drawn curve, redrawing it, redrawing the same million points with
// measurement noise, and redrawing 20 curves of 100,000 points, with every window of the
// program created as at start-up (offscreen).
//
// References in the same run: each file loaded the plain way, one QString per cell (what a
// grid of texts holds), whose time and memory the value table is compared with ("zu_Referenz":
// the load's time over the reference's); and for the drawings the same points drawn by Qt
// alone as a plain line without markers (one pixel, no antialiasing) into a picture of the
// chart's size, against which each drawing reports its ratio ("zu_Linie").
#include <QComboBox>
#include <QCoreApplication>
#include <QStackedWidget>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QToolButton>
#include <QPainter>
#include <QTemporaryDir>
#include <QVector>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "core/globals.h"
#include "core/zahltext.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "platform/application.h"
#include "platform/chart_view.h"
#include "platform/message_dialog.h"
#include "platform/text_file.h"

#include "bench/programm_bench.h"

namespace {

constexpr int kZeilen = 1000000;
QString ordnerPfad;

// Bytes the allocator hands out now.
double BelegtMB() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
}

// The table file of that many rows, written when first asked for: the four measured columns,
// or (zerklueftet) the rows of a messy export of them.
QString TabellenDatei(int zeilen, bool zerklueftet) {
  const QString pfad = QDir(ordnerPfad).filePath(QStringLiteral("%1%2.csv").arg(zerklueftet ? "z" : "t").arg(zeilen));
  if (QFile::exists(pfad)) return pfad;
  std::mt19937 zufall(11);
  std::string text = "Zeit [s];Weg [mm];Kraft [kN];Temperatur [°C]\n";
  text.reserve(32u * static_cast<size_t>(zeilen));
  for (int i = 0; i < zeilen; ++i) {
    const double t = i * 0.001;
    const std::string zeit = kolvex::FloatText(t);
    const std::string weg = kolvex::FloatText(std::round(std::sin(t) * 1e5) / 1e3);
    const std::string kraft = kolvex::FloatText(std::round((0.5 * t + std::cos(3 * t)) * 1e4) / 1e4);
    const std::string temperatur = kolvex::FloatText(20 + (i % 977) * 0.01);
    const unsigned art = zerklueftet ? zufall() % 100 : 99;
    if (art < 4) {
      text += zeit + ";;" + kraft + ";";  // cells missing
    } else if (art < 7) {
      text += zeit + ";Sensor aus;;";  // a comment
    } else if (art < 9) {
      text += zeit + ";" + weg;  // a short row
    } else if (art < 10) {
      text += zeit;  // a row of dozens of fields
      for (unsigned k = 20 + zufall() % 40; k > 0; --k) {
        text += ';';
        text += kolvex::FloatText((zufall() % 10000) * 0.01);
      }
    } else {
      text += zeit + ";" + weg + ";" + kraft + ";" + temperatur;
    }
    text += '\n';
  }
  QFile f(pfad);
  if (f.open(QIODevice::WriteOnly)) f.write(text.data(), static_cast<qint64>(text.size()));
  return pfad;
}

void Laden(const QString& datei) {
  frGrafikApprox->OpenDialog1.FileName = datei;
  frGrafikApprox->TextDateiLaden(datei);
}

// The table for the curves, loaded unless it is there.
void TabelleBereit() {
  if (frGrafikApprox->sg1->RowCount() != kZeilen + 1 || frGrafikApprox->sg1->ColCount() != 5)
    Laden(TabellenDatei(kZeilen, false));
}

// Seconds per iteration of the reference loads, by rows and kind.
std::map<std::pair<int64_t, int64_t>, double> referenzLaden;

// The reference: every line split into one QString per cell.
void BM_ReferenzQStringJeZelle(benchmark::State& state) {
  const QString datei = TabellenDatei(static_cast<int>(state.range(0)), state.range(1) != 0);
  frGrafikApprox->sg1->clearCells();
  double mb = 0;
  double sekunden = 0;
  for (auto _ : state) {
    QElapsedTimer uhr;
    uhr.start();
    const double vorher = BelegtMB();
    QStringList zeilen;
    readTextLines(datei, zeilen);
    std::vector<QVector<QString>> spalten(5);
    for (auto& s : spalten) s.reserve(zeilen.size());
    for (qsizetype r = 0; r < zeilen.size(); ++r) {
      const QStringList felder = zeilen[r].split(QLatin1Char(';'));
      spalten[0].push_back(QString::number(r));
      for (qsizetype c = 0; c < felder.size(); ++c) {
        if (static_cast<size_t>(c) + 1 >= spalten.size()) spalten.emplace_back();
        spalten[static_cast<size_t>(c) + 1].push_back(felder[c]);
      }
    }
    zeilen.clear();
    zeilen.squeeze();
    mb = BelegtMB() - vorher;
    benchmark::DoNotOptimize(spalten.data());
    sekunden += uhr.nsecsElapsed() / 1e9;
  }
  state.counters["Tabelle_MB"] = mb;
  referenzLaden[{state.range(0), state.range(1)}] = sekunden / static_cast<double>(state.iterations());
}
// rows, ragged
BENCHMARK(BM_ReferenzQStringJeZelle)->Args({kZeilen, 0})->Args({kZeilen, 1})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReferenzQStringJeZelle)->Args({10 * kZeilen, 0})->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TextDateiLaden(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const QString datei = TabellenDatei(n, state.range(1) != 0);
  double tabelleMB = 0;
  double sekunden = 0;
  // One load untimed: the first load after the references costs several times a later one
  // (on the code before the sparse columns too), which says nothing of the load.
  Laden(datei);
  for (auto _ : state) {
    frGrafikApprox->sg1->clearCells();
    const double vorher = BelegtMB();
    QElapsedTimer uhr;
    uhr.start();
    Laden(datei);
    sekunden += uhr.nsecsElapsed() / 1e9;
    tabelleMB = BelegtMB() - vorher;
  }
  if (frGrafikApprox->sg1->RowCount() != n + 1) state.SkipWithError("not every row was read");
  state.counters["Tabelle_MB"] = tabelleMB;
  state.counters["Zellen_MB"] =
      static_cast<double>(frGrafikApprox->sg1->table().memoryUsed()) / (1024.0 * 1024.0);
  const auto it = referenzLaden.find({state.range(0), state.range(1)});
  if (it != referenzLaden.end() && it->second > 0)
    state.counters["zu_Referenz"] = sekunden / static_cast<double>(state.iterations()) / it->second;
}
BENCHMARK(BM_TextDateiLaden)->Args({kZeilen, 0})->Args({kZeilen, 1})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TextDateiLaden)->Args({10 * kZeilen, 0})->Unit(benchmark::kMillisecond)->Iterations(1);

// Seconds per iteration of the reference drawings, by name, for the ratios of the later ones.
std::map<std::string, double> referenz;

void Verhaeltnis(benchmark::State& state, const std::string& name, double sekunden) {
  const auto it = referenz.find(name);
  if (it != referenz.end() && it->second > 0 && state.iterations() > 0)
    state.counters["zu_Linie"] = sekunden / static_cast<double>(state.iterations()) / it->second;
}

// The X and Y columns of a curve: time and distance (X ascending), or distance and force
// (X going back and forth: scatter data).
int XSpalte(bool sortiert) { return sortiert ? 1 : 2; }
int YSpalte(bool sortiert) { return sortiert ? 2 : 3; }
const char* Art(bool sortiert) { return sortiert ? "sortiert" : "unsortiert"; }

// Curve k (0..19) of the 20 x 100,000 points: waves of growing height over one X range.
void Welle(int k, std::vector<double>& xs, std::vector<double>& ys) {
  xs.resize(100000);
  ys.resize(100000);
  for (int i = 0; i < 100000; ++i) {
    xs[static_cast<size_t>(i)] = i * 0.01;
    ys[static_cast<size_t>(i)] = std::sin(i * 0.001 + k) * (k + 1);
  }
}

// A measured signal of a million points: the smooth columns' values with normal noise of
// standard deviation 0.5 on every measured value; the distance over time (X ascending), or
// the force over the distance (X going back and forth, both measured).
void Verrauscht(bool sortiert, std::vector<double>& xs, std::vector<double>& ys) {
  std::mt19937 zufall(5);
  std::normal_distribution<double> rauschen(0, 0.5);
  xs.resize(kZeilen);
  ys.resize(kZeilen);
  for (int i = 0; i < kZeilen; ++i) {
    const double t = i * 0.001;
    const double weg = std::sin(t) * 100, kraft = 0.5 * t + std::cos(3 * t);
    xs[static_cast<size_t>(i)] = sortiert ? t : weg + rauschen(zufall);
    ys[static_cast<size_t>(i)] = sortiert ? weg + rauschen(zufall) : kraft + rauschen(zufall);
  }
}
std::string VerrauschtName(bool sortiert) { return std::string(Art(sortiert)) + ", verrauscht"; }

// The seconds of the loop's redraws, each after a change: the bottom axis' upper limit
// switched back and forth (everything drawn anew), or with legende the legend switched.
double Neuzeichnen(benchmark::State& state, ChartView* chart, bool legende = false) {
  const double min = chart->minimum(ChartAxis::Bottom);
  const double max = chart->maximum(ChartAxis::Bottom);
  int n = 0;
  double sekunden = 0;
  for (auto _ : state) {
    QElapsedTimer uhr;
    uhr.start();
    if (legende)
      frGrafikApprox->tbLegende->click();
    else
      chart->setMinMax(ChartAxis::Bottom, min, ++n % 2 ? max * 1.001 : max);
    chart->replotNow();
    sekunden += uhr.nsecsElapsed() / 1e9;
  }
  return sekunden;
}

// The chart's series as they stand, drawn by Qt alone: every point mapped to its pixel and
// joined by a plain line, one polyline per series.
void BM_ReferenzLinie(benchmark::State& state) {
  const bool zwanzig = state.range(0) == 2;
  const bool verrauscht = state.range(0) >= 3;
  const bool sortiert = state.range(0) != 1 && state.range(0) != 4;
  std::vector<std::vector<double>> xs, ys;
  if (verrauscht) {
    xs.resize(1);
    ys.resize(1);
    Verrauscht(sortiert, xs[0], ys[0]);
  } else if (zwanzig) {
    xs.resize(20);
    ys.resize(20);
    for (int k = 0; k < 20; ++k) Welle(k, xs[static_cast<size_t>(k)], ys[static_cast<size_t>(k)]);
  } else {
    TabelleBereit();
    const ValueTable& t = frGrafikApprox->sg1->table();
    xs.emplace_back();
    ys.emplace_back();
    for (int r = 1; r < t.rowCount(); ++r) {
      xs.back().push_back(t.number(XSpalte(sortiert), r).value_or(0));
      ys.back().push_back(t.number(YSpalte(sortiert), r).value_or(0));
    }
  }
  ChartView* chart = frGrafikApprox->Chart1;
  frGrafikApprox->plSeiten->setCurrentWidget(frGrafikApprox->plChart);
  QCoreApplication::processEvents();
  const ChartRect r = chart->plotRect();
  QImage bild(chart->size(), QImage::Format_ARGB32_Premultiplied);
  double sekunden = 0;
  for (auto _ : state) {
    QElapsedTimer uhr;
    uhr.start();
    bild.fill(Qt::white);
    QPainter maler(&bild);
    maler.setPen(QPen(Qt::blue, 1));
    for (size_t k = 0; k < xs.size(); ++k) {
      double xmin = xs[k][0], xmax = xmin, ymin = ys[k][0], ymax = ymin;
      for (size_t i = 0; i < xs[k].size(); ++i) {
        xmin = std::min(xmin, xs[k][i]);
        xmax = std::max(xmax, xs[k][i]);
        ymin = std::min(ymin, ys[k][i]);
        ymax = std::max(ymax, ys[k][i]);
      }
      QPolygonF zug(static_cast<qsizetype>(xs[k].size()));
      for (size_t i = 0; i < xs[k].size(); ++i)
        zug[static_cast<qsizetype>(i)] = QPointF(chartValueToPixel(r, xmin, xmax, ymin, ymax, xs[k][i], ys[k][i]));
      maler.drawPolyline(zug);
    }
    maler.end();
    sekunden += uhr.nsecsElapsed() / 1e9;
  }
  referenz[zwanzig ? "20x100000" : verrauscht ? VerrauschtName(sortiert) : Art(sortiert)] =
      sekunden / static_cast<double>(state.iterations());
}
// 0: the million sorted points, 1: the million unsorted ones, 2: 20 x 100,000, 3 and 4: the
// million noisy points, sorted and unsorted.
BENCHMARK(BM_ReferenzLinie)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void KurveAusTabelle(bool sortiert) {
  TabelleBereit();
  frGrafikApprox->AlleKurvenLoeschen();
  frGrafikApprox->cbXKanal->setCurrentIndex(XSpalte(sortiert));
  frGrafikApprox->cbYKanal->setCurrentIndex(YSpalte(sortiert));
  frGrafikApprox->sbGrafikClick();
  frGrafikApprox->Chart1->replotNow();
}

// Columns of the million rows into a curve with the default graph settings (points and
// lines), drawn: 1 and 2 (X ascending), or with the argument 1 columns 2 and 3.
void BM_KurveEinlesen(benchmark::State& state) {
  const bool sortiert = state.range(0) == 0;
  double sekunden = 0;
  for (auto _ : state) {
    QElapsedTimer uhr;
    uhr.start();
    KurveAusTabelle(sortiert);
    sekunden += uhr.nsecsElapsed() / 1e9;
  }
  if (frGrafikApprox->Serien[0]->count() != kZeilen) state.SkipWithError("the curve is incomplete");
  if (frGrafikApprox->Serien[0]->xAscending() != sortiert) state.SkipWithError("wrong kind of curve");
  Verhaeltnis(state, Art(sortiert), sekunden);
}
BENCHMARK(BM_KurveEinlesen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// Redrawing the million-point curve: after a change of the scale (everything drawn anew),
// and after the legend was switched (the curve unchanged).
void BM_Neuzeichnen1Mio(benchmark::State& state) {
  const bool sortiert = state.range(0) == 0;
  const bool skala = state.range(1) == 0;
  KurveAusTabelle(sortiert);
  ChartView* chart = frGrafikApprox->Chart1;
  const double sekunden = Neuzeichnen(state, chart, !skala);
  state.SetLabel(std::string(Art(sortiert)) + (skala ? ", Skala, " : ", Legende, ") +
                 std::to_string(chart->width()) + "x" + std::to_string(chart->height()));
  Verhaeltnis(state, Art(sortiert), sekunden);
}
BENCHMARK(BM_Neuzeichnen1Mio)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// The million noisy points in the default graph settings (points and lines two pixels wide),
// redrawn after a change of the scale: sorted (0) or unsorted (1).
void BM_Neuzeichnen1MioVerrauscht(benchmark::State& state) {
  const bool sortiert = state.range(0) == 0;
  frGrafikApprox->AlleKurvenLoeschen();
  ChartView* chart = frGrafikApprox->Chart1;
  std::vector<double> xs, ys;
  Verrauscht(sortiert, xs, ys);
  ChartSeries* s = frGrafikApprox->Serien[0];
  s->setPoints(std::move(xs), std::move(ys));
  s->setColor(ChartView::colorFromValue(kolvex::GrafikFarben[1]));
  s->setActive(true);
  frEinstellung_Grafik->EinstellungUebernehmen();
  frGrafikApprox->plSeiten->setCurrentWidget(frGrafikApprox->plChart);
  QCoreApplication::processEvents();
  chart->setAutomatic(ChartAxis::Bottom, true);
  chart->setAutomatic(ChartAxis::Left, true);
  chart->replotNow();
  if (s->xAscending() != sortiert) state.SkipWithError("wrong kind of curve");
  const double sekunden = Neuzeichnen(state, chart);
  state.SetLabel(VerrauschtName(sortiert) + ", Skala, " + std::to_string(chart->width()) + "x" +
                 std::to_string(chart->height()));
  Verhaeltnis(state, VerrauschtName(sortiert), sekunden);
}
BENCHMARK(BM_Neuzeichnen1MioVerrauscht)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// 20 curves of 100,000 points set directly, redrawn after a change of the scale: with the
// series' own style (one-pixel lines, small markers), or with the argument 1 in the default
// graph settings (points and lines two pixels wide).
void BM_Neuzeichnen20x100000(benchmark::State& state) {
  const bool einstellung = state.range(0) == 1;
  frGrafikApprox->AlleKurvenLoeschen();
  ChartView* chart = frGrafikApprox->Chart1;
  for (int k = 0; k < 20; ++k) {
    std::vector<double> xs, ys;
    Welle(k, xs, ys);
    ChartSeries* s = frGrafikApprox->Serien[static_cast<size_t>(k)];
    s->setPoints(std::move(xs), std::move(ys));
    s->setColor(ChartView::colorFromValue(kolvex::GrafikFarben[static_cast<size_t>(k + 1)]));
    s->setActive(true);
    if (!einstellung) {
      s->setPointerVisible(true);
      s->setPointerStyle(PointerStyle::Circle);
      s->setPointerSize(3);
      s->setPointerBrush(QColor());
      s->setPointerPen(Qt::black);
      s->setLineVisible(true);
      s->setLineStyle(Qt::SolidLine);
      s->setLineWidth(1);
    }
  }
  if (einstellung) frEinstellung_Grafik->EinstellungUebernehmen();
  // The graph page, at the size a curve from the table gets.
  frGrafikApprox->plSeiten->setCurrentWidget(frGrafikApprox->plChart);
  QCoreApplication::processEvents();
  chart->setAutomatic(ChartAxis::Bottom, true);
  chart->setAutomatic(ChartAxis::Left, true);
  chart->replotNow();
  const double sekunden = Neuzeichnen(state, chart);
  state.SetLabel(std::string(einstellung ? "Einstellung" : "eigener Stil") + ", " +
                 std::to_string(chart->width()) + "x" + std::to_string(chart->height()));
  Verhaeltnis(state, "20x100000", sekunden);
}
BENCHMARK(BM_Neuzeichnen20x100000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  return ProgrammBenchmarks(argc, argv, [](const QString& ordner) {
    ordnerPfad = ordner;
    frGrafikApprox->resize(1100, 750);
    frGrafikApprox->show();
  });
}
