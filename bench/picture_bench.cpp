// Data graph picture: from the render capture of a 1000 x 700 chart with 20 curves to the
// file on disk, for every format the save dialog offers, with every window of the program
// created as at start-up (offscreen). The reference in the same run is the capture alone.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "datagraph/grafik_approx.h"
#include "gif/qt/gif_image.h"
#include "imagefile/qt/image_io.h"
#include "platform/application.h"
#include "platform/chart_view.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"

namespace {

QString ordnerPfad;

void DiagrammAufbauen() {
  TfrGrafikApprox* g = frGrafikApprox;
  QFile tabelle(QDir(ordnerPfad).filePath(QStringLiteral("diagramm.csv")));
  if (tabelle.open(QIODevice::WriteOnly)) tabelle.write("X;Y\n0;1\n1;2\n");
  tabelle.close();
  g->OpenDialog1.FileName = tabelle.fileName();
  g->resize(1100, 800);
  g->show();
  g->plSeiten->setCurrentWidget(g->plChart);
  QApplication::processEvents();
  // Window size so that the chart itself is 1000 x 700.
  for (int i = 0; i < 3; ++i) {
    const QSize fehlt = QSize(1000, 700) - g->Chart1->size();
    g->resize(g->size() + fehlt);
    QApplication::processEvents();
  }
  for (int k = 0; k < 20; ++k) {
    std::vector<double> xs(200), ys(200);
    for (int i = 0; i < 200; ++i) {
      xs[static_cast<size_t>(i)] = i * 0.05;
      ys[static_cast<size_t>(i)] = std::sin(i * 0.05 + k * 0.3) * (k + 1);
    }
    ChartSeries* s = g->Serien[static_cast<size_t>(k)];
    s->setPoints(std::move(xs), std::move(ys));
    s->setActive(true);
  }
  g->Chart1->setAutomatic(ChartAxis::Bottom, true);
  g->Chart1->setAutomatic(ChartAxis::Left, true);
  g->Chart1->replotNow();
}

void BM_Aufnahme(benchmark::State& state) {
  QSize groesse;
  for (auto _ : state) {
    const QImage bild = frGrafikApprox->DiagrammBild();
    groesse = bild.size();
    benchmark::DoNotOptimize(bild.constBits());
  }
  state.counters["Chart_B"] = frGrafikApprox->Chart1->width();
  state.counters["Chart_H"] = frGrafikApprox->Chart1->height();
  state.counters["Bild_B"] = groesse.width();
  state.counters["Bild_H"] = groesse.height();
}
BENCHMARK(BM_Aufnahme)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void Speichern(benchmark::State& state, const char* endung) {
  const QString name = QDir(ordnerPfad).filePath(QStringLiteral("diagramm.") + QLatin1String(endung));
  frGrafikApprox->SavePictureDialog1.FileName = name;
  for (auto _ : state) {
    if (!frGrafikApprox->DiagrammAusgeben(QLatin1Char('S'))) {
      state.SkipWithError("not saved");
      break;
    }
  }
  state.counters["Datei_KB"] = static_cast<double>(QFile(name).size()) / 1024.0;
}
BENCHMARK_CAPTURE(Speichern, gif, "gif")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Speichern, png, "png")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Speichern, jpg, "jpg")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Speichern, jpeg, "jpeg")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Speichern, bmp, "bmp")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Speichern, pcx, "pcx")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Speichern, wmf, "wmf")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Speichern, emf, "emf")->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  Application app(argc, argv);
  imagefile::registerFormats();
  gif::registerFormats();
  QTemporaryDir ordner;
  ordnerPfad = ordner.path();
  QDir::setCurrent(ordner.path());
  DateiPauseMs = 0;
  MessageRecorder keineDialoge;
  EinstellungenStartwerte();
  FensterErzeugen();
  DiagrammAufbauen();
  benchmark::RunSpecifiedBenchmarks();
  if (!keineDialoge.messages().empty())
    std::fprintf(stderr, "Meldung: %s\n", keineDialoge.messages().front().text.toUtf8().constData());
  FensterZerstoeren();
  benchmark::Shutdown();
  return 0;
}
