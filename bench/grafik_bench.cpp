// Function graph: from FormelZeichnen to the drawn chart, with every window of the program
// created as at start-up (in an empty temporary working folder) and the graph window shown
// (offscreen platform).
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "core/berechnung.h"
#include "core/globals.h"
#include "graph/grafik.h"
#include "imagefile/qt/image_io.h"
#include "platform/application.h"
#include "platform/chart_view.h"
#include "platform/message_dialog.h"

#include "bench/programm_bench.h"

namespace {

// sin(x)*x^2+2*x in the program's formula syntax (a variable as the base of "^" stands in
// parentheses unless it opens the formula).
const QString kFormel = QStringLiteral("SIN(x)*(x)^2+2*x");

void BereichSetzen(const char* ab, const char* bis, const char* anzahl) {
  frGrafik->edAb->setText(QString::fromLatin1(ab));
  frGrafik->edBis->setText(QString::fromLatin1(bis));
  frGrafik->edAnzahl->setText(QString::fromLatin1(anzahl));
}

QStringList ZwanzigFormeln() {
  QStringList formeln;
  for (int k = 0; k < 20; ++k) formeln << (k == 0 ? kFormel : kFormel + QStringLiteral("+%1").arg(k));
  return formeln;
}

// 20 curves of 1000 points, from the first FormelZeichnen to the drawn chart.
void ZwanzigKurvenZeichnen(const QStringList& formeln) {
  BereichSetzen("-10", "10", "1000");
  frGrafik->tbPlus->setChecked(true);
  frGrafik->AllesLoeschen();
  for (const QString& f : formeln) frGrafik->FormelZeichnen(f);
  frGrafik->Chart1->replotNow();
}

void BM_Kurven20x1000(benchmark::State& state) {
  const QStringList formeln = ZwanzigFormeln();
  for (auto _ : state) ZwanzigKurvenZeichnen(formeln);
  if (frGrafik->lbh->count() != 20 || frGrafik->Series20->count() != 1000)
    state.SkipWithError("the curves were not drawn completely");
  state.counters["Punkte/s"] = benchmark::Counter(
      20000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Kurven20x1000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Drawing alone: the chart with those 20 curves, replotted.
void BM_Zeichnen20x1000(benchmark::State& state) {
  ZwanzigKurvenZeichnen(ZwanzigFormeln());
  for (auto _ : state) frGrafik->Chart1->replotNow();
}
BENCHMARK(BM_Zeichnen20x1000)->Unit(benchmark::kMillisecond);

// The points of one curve as the graph computed them before it prepared its formulas: every
// point rewritten from its text. Seconds for the 100 000 points of BM_Kurve100000.
double ReferenzTextweg() {
  kolvex::Kurvenformel k;
  k.Vorbereiten("SIN(x)*(x)^2+2*x", 'x');
  const auto anfang = std::chrono::steady_clock::now();
  long double x = -10;
  const long double schritt = 20.0L / 99999;
  long double summe = 0;
  for (int i = 0; i < 100000; ++i, x += schritt) {
    long double y = 0;
    if (k.WertAusText(x, y)) summe += y;
  }
  benchmark::DoNotOptimize(summe);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - anfang).count();
}

// One curve of 100 000 points, from FormelZeichnen to the drawn chart. vs_Textweg: its time
// against the evaluation alone of the same points by rewriting each point's text.
void BM_Kurve100000(benchmark::State& state) {
  const double referenz = ReferenzTextweg();
  BereichSetzen("-10", "10", "100000");
  frGrafik->tbPlus->setChecked(false);
  const auto anfang = std::chrono::steady_clock::now();
  for (auto _ : state) {
    frGrafik->AllesLoeschen();
    frGrafik->FormelZeichnen(kFormel);
    frGrafik->Chart1->replotNow();
  }
  const double zeit = std::chrono::duration<double>(std::chrono::steady_clock::now() - anfang).count() /
                      static_cast<double>(state.iterations());
  if (frGrafik->Series1->count() != 100000) state.SkipWithError("the curve was not drawn completely");
  state.counters["Textweg_ms"] = referenz * 1000;
  state.counters["vs_Textweg"] = zeit / referenz;
}
BENCHMARK(BM_Kurve100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Processor seconds of this process (all its threads) and of its waited-for children.
double ProzessCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
double KinderCpu() {
  rusage r{};
  getrusage(RUSAGE_CHILDREN, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// gnuplot's time for the same 20 formulas of 1000 samples into a PNG of the same size, the
// median of five runs, wall clock and processor; 0 when there is no gnuplot.
struct GnuplotZeiten {
  double wand = 0;
  double cpu = 0;
};
GnuplotZeiten GnuplotZeit(const QString& png, QSize groesse) {
  const QString gnuplot = QStandardPaths::findExecutable(QStringLiteral("gnuplot"));
  if (gnuplot.isEmpty()) return {};
  QString skript = QStringLiteral("set terminal pngcairo size %1,%2\nset output '%3'\nset samples 1000\n"
                                  "set xrange [-10:10]\nplot ")
                       .arg(groesse.width())
                       .arg(groesse.height())
                       .arg(png);
  for (int k = 0; k < 20; ++k) {
    if (k > 0) skript += QStringLiteral(", ");
    skript += k == 0 ? QStringLiteral("sin(x)*x**2+2*x") : QStringLiteral("sin(x)*x**2+2*x+%1").arg(k);
  }
  skript += QStringLiteral("\n");
  std::vector<double> zeiten, cpu;
  for (int lauf = 0; lauf < 5; ++lauf) {
    QProcess p;
    QElapsedTimer uhr;
    uhr.start();
    const double cpuVorher = KinderCpu();
    p.start(gnuplot, {});
    p.write(skript.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    zeiten.push_back(static_cast<double>(uhr.nsecsElapsed()) / 1e9);
    cpu.push_back(KinderCpu() - cpuVorher);
  }
  std::sort(zeiten.begin(), zeiten.end());
  std::sort(cpu.begin(), cpu.end());
  return {zeiten[2], cpu[2]};
}

// 20 curves of 1000 points into a PNG file: the plot as the window draws it, the chart's
// picture taken and written by the picture library. vs_gnuplot: its time against gnuplot's
// for the same formulas, samples and picture size (wall clock; vs_gnuplot_cpu the processor
// time of all threads, steadier on a loaded machine).
void BM_Kurven20x1000Png(benchmark::State& state) {
  const QString ordner = QDir::currentPath();
  const GnuplotZeiten gnuplot = GnuplotZeit(ordner + QStringLiteral("/gnuplot.png"), frGrafik->Chart1->size());
  if (gnuplot.wand == 0)
    std::fprintf(stderr, "gnuplot not found (or failed): BM_Kurven20x1000Png runs without its comparison\n");
  const QStringList formeln = ZwanzigFormeln();
  const QString datei = ordner + QStringLiteral("/kurven.png");
  const auto anfang = std::chrono::steady_clock::now();
  const double cpuAnfang = ProzessCpu();
  for (auto _ : state) {
    ZwanzigKurvenZeichnen(formeln);
    imagefile::saveImageFile(frGrafik->Chart1->grab().toImage(), datei);
  }
  const double n = static_cast<double>(state.iterations());
  const double zeit = std::chrono::duration<double>(std::chrono::steady_clock::now() - anfang).count() / n;
  const double cpu = (ProzessCpu() - cpuAnfang) / n;
  if (frGrafik->Series20->count() != 1000) state.SkipWithError("the curves were not drawn completely");
  if (gnuplot.wand > 0) {
    state.counters["gnuplot_ms"] = gnuplot.wand * 1000;
    state.counters["vs_gnuplot"] = zeit / gnuplot.wand;
    state.counters["vs_gnuplot_cpu"] = cpu / gnuplot.cpu;
  }
}
BENCHMARK(BM_Kurven20x1000Png)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  return ProgrammBenchmarks(argc, argv, [](const QString&) {
    frGrafik->resize(900, 650);
    frGrafik->show();
  });
}
