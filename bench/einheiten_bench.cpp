// Unit conversion window: one activation (scan of the category files, rebuild of the chosen
// table) with 20 category files of 100 rows each and no pause after the file tests, against
// the plain reading of those 20 files as the reference measured in the same run.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "core/globals.h"
#include "platform/application.h"
#include "platform/message_dialog.h"
#include "platform/string_grid.h"
#include "platform/text_file.h"
#include "units/einheiten.h"

#include "bench/programm_bench.h"

namespace {

QStringList Dateien() {
  QStringList namen;
  for (int k = 1; k <= 20; ++k) namen << QStringLiteral("Kategorie %1.txt").arg(k, 2, 10, QLatin1Char('0'));
  return namen;
}

void DateienAnlegen() {
  QDir().mkpath(QStringLiteral("Umrechnung"));
  for (const QString& name : Dateien()) {
    QStringList zeilen;
    for (int r = 1; r <= 100; ++r)
      zeilen << (r % 10 == 1 ? QStringLiteral("Gruppe %1").arg(r)
                             : QStringLiteral("Einheit %1\tEinheit %1 neu\t%1,25").arg(r));
    writeTextLines(QStringLiteral("Umrechnung/") + name, zeilen);
  }
}

void BM_Aktivierung20x100(benchmark::State& state) {
  kolvex::EinheitenKategorie = 5;  // one of the file categories
  kolvex::EinheitenZeile = 50;
  for (auto _ : state) frEinheiten->FormActivate();
  if (frEinheiten->cb1->count() != 24 || frEinheiten->sg->RowCount() != 101)
    state.SkipWithError("the categories were not read completely");
}
BENCHMARK(BM_Aktivierung20x100)->Unit(benchmark::kMillisecond);

// Reference: the 20 files read as text, nothing else.
void BM_Lesen20x100(benchmark::State& state) {
  const QStringList namen = Dateien();
  for (auto _ : state)
    for (const QString& name : namen) {
      QStringList zeilen;
      readTextLines(QStringLiteral("Umrechnung/") + name, zeilen);
      benchmark::DoNotOptimize(zeilen);
    }
}
BENCHMARK(BM_Lesen20x100)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return ProgrammBenchmarks(argc, argv, [](const QString&) {
    DateienAnlegen();
    frEinheiten->show();
  });
}
