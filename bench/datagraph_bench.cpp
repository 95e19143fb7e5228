// Data graph: loading a table of 1,000,000 rows x 4 columns with decimal commas (about
// 30 MB), turning two of its columns into a drawn curve, and replotting 20 curves of
// 100,000 points, with every window of the program created as at start-up (offscreen).
//
// The reference in the same run: the same file loaded the plain way, one QString per cell
// (what a grid of texts holds), whose time and memory the value table is compared with.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QVector>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "core/zahltext.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "platform/application.h"
#include "platform/chart_view.h"
#include "platform/message_dialog.h"
#include "platform/text_file.h"

namespace {

constexpr int kZeilen = 1000000;
QString tabellenDatei;

// Bytes the allocator hands out now.
double BelegtMB() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
}

void TabelleSchreiben(const QString& pfad) {
  std::string text = "Zeit [s];Weg [mm];Kraft [kN];Temperatur [°C]\n";
  text.reserve(32u * kZeilen);
  for (int i = 0; i < kZeilen; ++i) {
    const double t = i * 0.001;
    text += kolvex::FloatText(t);
    text += ';';
    text += kolvex::FloatText(std::round(std::sin(t) * 1e5) / 1e3);
    text += ';';
    text += kolvex::FloatText(std::round((0.5 * t + std::cos(3 * t)) * 1e4) / 1e4);
    text += ';';
    text += kolvex::FloatText(20 + (i % 977) * 0.01);
    text += '\n';
  }
  QFile f(pfad);
  if (f.open(QIODevice::WriteOnly)) f.write(text.data(), static_cast<qint64>(text.size()));
}

void Laden() {
  frGrafikApprox->OpenDialog1.FileName = tabellenDatei;
  frGrafikApprox->TextDateiLaden(tabellenDatei);
}

void BM_TextDateiLaden(benchmark::State& state) {
  double tabelleMB = 0;
  for (auto _ : state) {
    frGrafikApprox->sg1->clearCells();
    const double vorher = BelegtMB();
    Laden();
    tabelleMB = BelegtMB() - vorher;
  }
  if (frGrafikApprox->sg1->RowCount() != kZeilen + 1) state.SkipWithError("not every row was read");
  state.counters["Tabelle_MB"] = tabelleMB;
  state.counters["Zellen_MB"] =
      static_cast<double>(frGrafikApprox->sg1->table().memoryUsed()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_TextDateiLaden)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reference: every line split into one QString per cell.
void BM_ReferenzQStringJeZelle(benchmark::State& state) {
  frGrafikApprox->sg1->clearCells();
  double mb = 0;
  for (auto _ : state) {
    const double vorher = BelegtMB();
    QStringList zeilen;
    readTextLines(tabellenDatei, zeilen);
    std::vector<QVector<QString>> spalten(5);
    for (auto& s : spalten) s.reserve(zeilen.size());
    for (qsizetype r = 0; r < zeilen.size(); ++r) {
      const QStringList felder = zeilen[r].split(QLatin1Char(';'));
      spalten[0].push_back(QString::number(r));
      for (qsizetype c = 0; c < felder.size() && c < 4; ++c) spalten[static_cast<size_t>(c) + 1].push_back(felder[c]);
    }
    zeilen.clear();
    zeilen.squeeze();
    mb = BelegtMB() - vorher;
    benchmark::DoNotOptimize(spalten.data());
  }
  state.counters["Tabelle_MB"] = mb;
}
BENCHMARK(BM_ReferenzQStringJeZelle)->Unit(benchmark::kMillisecond)->Iterations(3);

// Columns 1 and 2 of the million rows into a curve, drawn.
void BM_KurveEinlesen(benchmark::State& state) {
  Laden();
  for (auto _ : state) {
    frGrafikApprox->AlleKurvenLoeschen();
    frGrafikApprox->cbXKanal->setCurrentIndex(1);
    frGrafikApprox->cbYKanal->setCurrentIndex(2);
    frGrafikApprox->sbGrafikClick();
    frGrafikApprox->Chart1->replotNow();
  }
  if (frGrafikApprox->Serien[0]->count() != kZeilen) state.SkipWithError("the curve is incomplete");
}
BENCHMARK(BM_KurveEinlesen)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Neuzeichnen20x100000(benchmark::State& state) {
  frGrafikApprox->AlleKurvenLoeschen();
  frGrafikApprox->sg1->clearCells();
  ChartView* chart = frGrafikApprox->Chart1;
  for (int k = 0; k < 20; ++k) {
    std::vector<double> xs(100000), ys(100000);
    for (int i = 0; i < 100000; ++i) {
      xs[static_cast<size_t>(i)] = i * 0.01;
      ys[static_cast<size_t>(i)] = std::sin(i * 0.001 + k) * (k + 1);
    }
    ChartSeries* s = frGrafikApprox->Serien[static_cast<size_t>(k)];
    s->setPoints(std::move(xs), std::move(ys));
    s->setActive(true);
  }
  chart->setAutomatic(ChartAxis::Bottom, true);
  chart->setAutomatic(ChartAxis::Left, true);
  chart->replotNow();
  for (auto _ : state) chart->replotNow();
}
BENCHMARK(BM_Neuzeichnen20x100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  Application app(argc, argv);
  QTemporaryDir ordner;
  QDir::setCurrent(ordner.path());
  TfrKolvex::DateiPauseMs = 0;
  MessageRecorder keineDialoge;
  EinstellungenStartwerte();
  FensterErzeugen();
  tabellenDatei = QDir(ordner.path()).filePath(QStringLiteral("gross.csv"));
  TabelleSchreiben(tabellenDatei);
  frGrafikApprox->resize(1100, 750);
  frGrafikApprox->show();
  benchmark::RunSpecifiedBenchmarks();
  if (!keineDialoge.messages().empty())
    std::fprintf(stderr, "Meldung: %s\n", keineDialoge.messages().front().text.toUtf8().constData());
  FensterZerstoeren();
  benchmark::Shutdown();
  return 0;
}
