// Measurement import: whole loads through the data graph's loader (header, data file, table
// build, value grid) against two references measured in the same run:
//   R1  the raw read floor: the data file mapped and decoded into a std::vector<double>;
//   R2  the values as texts in the project's StringGrid (decode, general float text, cell).
// Counters: Werte/s, Bytes/Wert (heap growth of the loaded table per value), x_R1 (load time
// over R1's), R2_Zeit_x and R2_Speicher_x (R2's time and memory over the load's).
//
// Fixtures are written by the bench into a temporary folder. Default: 8 channels of 200 000
// values. `--voll`: 8 x 1 000 000. `--gross`: additionally one load of a single ".R64" file of
// 100 000 000 values (800 MB), which loads or ends with the memory message.
#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "core/zahltext.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "engines/import/daten.h"
#include "import/diadem.h"
#include "import/diadem_kauswahl.h"
#include "platform/application.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_file.h"

namespace {

int64_t gWerte = 200000;  // values per channel
constexpr int kKanaele = 8;
QString gOrdner;

using Uhr = std::chrono::steady_clock;
double Sekunden(Uhr::time_point a) { return std::chrono::duration<double>(Uhr::now() - a).count(); }

// Heap in use, the large blocks the allocator maps on their own included.
size_t Heap() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// ---- Fixtures --------------------------------------------------------------------------------

const char* TypWort(kolvex::Satzart a) {
  switch (a) {
    case kolvex::Satzart::R32: return "REAL32";
    case kolvex::Satzart::R48: return "REAL48";
    default: return "REAL64";
  }
}

std::string Satz(kolvex::Satzart a, double v) {
  std::string s;
  auto le = [&s](uint64_t bits, int n) {
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(bits >> (8 * i)));
  };
  switch (a) {
    case kolvex::Satzart::R32: le(std::bit_cast<uint32_t>(static_cast<float>(v)), 4); break;
    case kolvex::Satzart::R48: {
      int ex = 0;
      const double frac = std::frexp(std::fabs(v), &ex);
      const auto f = static_cast<uint64_t>(std::ldexp(frac, 40)) & ((uint64_t{1} << 39) - 1);
      s.push_back(v == 0 ? 0 : static_cast<char>(ex - 1 + 129));
      le(f, 4);
      s.push_back(static_cast<char>(((f >> 32) & 0x7F) | (v < 0 ? 0x80 : 0)));
      break;
    }
    default: le(std::bit_cast<uint64_t>(v), 8); break;
  }
  return s;
}

// Header and data file of `kanaele` channels of `werte` values; returns the header's path.
QString Messung(const QString& basis, kolvex::Satzart art, int kanaele, int64_t werte) {
  const QString kopf = gOrdner + "/" + basis + (art == kolvex::Satzart::TDX ? ".TDM" : ".DAT");
  const QString daten = gOrdner + "/" + basis + QString::fromStdString(kolvex::DatenEndung(
                            art == kolvex::Satzart::TDX ? "TDM" : std::string(TypWort(art)).replace(0, 4, "R")));
  if (QFile::exists(kopf)) return kopf;
  QStringList z;
  if (art == kolvex::Satzart::TDX) {
    z << "<usi:tdm>";
    QString kanalListe = "<channels>#xpointer(", matrixListe = "<submatrices>#xpointer(";
    for (int k = 1; k <= kanaele; ++k) {
      kanalListe += QString("id(\"k%1\") ").arg(k);
      matrixListe += QString("id(\"s%1\") ").arg(k);
    }
    z << kanalListe + ")</channels>";
    for (int k = 1; k <= kanaele; ++k)
      z << QString("<tdm_channel id=\"k%1\">").arg(k) << QString("<name>K%1</name>").arg(k)
        << "<description>d</description>" << "<string name=\"monotony\">not monotone</string>";
    z << matrixListe + ")</submatrices>";
    for (int k = 1; k <= kanaele; ++k)
      z << QString("<submatrix id=\"s%1\">").arg(k) << QString("<number_of_rows>%1</number_of_rows>").arg(werte);
    z << "</usi:tdm>";
  } else {
    // Line 3 asks for no byte reversal: the records are little-endian.
    z << "DIAEXTENDED" << "#BEGINGLOBALHEADER" << "2,{@R:302}" << "#ENDGLOBALHEADER";
    for (int k = 1; k <= kanaele; ++k)
      z << "#BEGINCHANNELHEADER" << QString("200,K%1").arg(k) << "210,EXPLICIT" << QString("214,%1").arg(TypWort(art))
        << QString("220,%1").arg(werte) << "#ENDCHANNELHEADER";
    z << "#END";
  }
  writeTextLines(kopf, z);
  QFile f(daten);
  f.open(QIODevice::WriteOnly);
  std::string puffer;
  for (int k = 1; k <= kanaele; ++k)
    for (int64_t i = 0; i < werte; ++i) {
      puffer += Satz(art, k * 1000.0 + static_cast<double>(i) * 0.25);
      if (puffer.size() > (1 << 20)) {
        f.write(puffer.data(), static_cast<qint64>(puffer.size()));
        puffer.clear();
      }
    }
  f.write(puffer.data(), static_cast<qint64>(puffer.size()));
  return kopf;
}

QString DatenDatei(const QString& kopf, kolvex::Satzart art) {
  return TfrDiaDem::DatenDateiSuchen(TfrDiaDem::DatenDateiName(
      kopf, art == kolvex::Satzart::TDX ? "TDM" : QString(TypWort(art)).replace("REAL", "R")));
}

// ---- References --------------------------------------------------------------------------------

// R1: mapped and decoded into a vector, nothing else.
std::vector<double> R1Lesen(const QString& datei, kolvex::Satzart art) {
  QFile f(datei);
  f.open(QIODevice::ReadOnly);
  const auto groesse = static_cast<size_t>(f.size());
  const auto* p = f.map(0, f.size());
  const size_t s = kolvex::SatzGroesse(art);
  std::vector<double> v;
  v.reserve(groesse / s);
  for (size_t i = 0; i + s <= groesse; i += s) v.push_back(kolvex::SatzWert(p + i, art, false));
  return v;
}

double R1Zeit(const QString& datei, kolvex::Satzart art) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto t = Uhr::now();
    benchmark::DoNotOptimize(R1Lesen(datei, art).data());
    best = std::min(best, Sekunden(t));
  }
  return best;
}

struct R2Ergebnis {
  double zeit = 0;
  size_t bytes = 0;
};

// R2: every value as its text in a StringGrid of the same shape.
R2Ergebnis R2Messen(const QString& datei, kolvex::Satzart art, int kanaele, int64_t werte) {
  R2Ergebnis r;
  const size_t vorher = Heap();
  const auto t = Uhr::now();
  {
    const std::vector<double> v = R1Lesen(datei, art);
    StringGrid grid;
    grid.setColCount(kanaele + 1);
    grid.setRowCount(static_cast<int>(werte) + 1);
    for (int k = 0; k < kanaele; ++k)
      for (int64_t i = 0; i < werte; ++i)
        grid.setCells(k + 1, static_cast<int>(i) + 1,
                      QString::fromLatin1(kolvex::FloatText(v[static_cast<size_t>(k * werte + i)])));
    r.zeit = Sekunden(t);
    r.bytes = Heap() - vorher - v.capacity() * sizeof(double);
  }
  return r;
}

const R2Ergebnis& R2() {
  static const R2Ergebnis r = [] {
    const QString kopf = Messung("m_R64", kolvex::Satzart::R64, kKanaele, gWerte);
    return R2Messen(DatenDatei(kopf, kolvex::Satzart::R64), kolvex::Satzart::R64, kKanaele, gWerte);
  }();
  return r;
}

// ---- Loads -------------------------------------------------------------------------------------

void Leeren() {
  ValueTable leer;
  frGrafikApprox->sg1->table().moveFrom(leer);
  frGrafikApprox->sg1->tableChanged();
}

void Laden(benchmark::State& state, kolvex::Satzart art, const char* basis, int kanaele, int64_t werte,
           bool mitR2) {
  const QString kopf = Messung(basis, art, kanaele, werte);
  const double r1 = R1Zeit(DatenDatei(kopf, art), art);
  frDiaDemKAuswahl->Tag = 0;
  double summe = 0;
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Leeren();
    const size_t vorher = Heap();
    state.ResumeTiming();
    const auto t = Uhr::now();
    frDiaDem->DiaDemDateiLaden(kopf);
    summe += Sekunden(t);
    state.PauseTiming();
    bytes = Heap() - vorher;
    state.ResumeTiming();
  }
  const double werteGesamt = static_cast<double>(kanaele) * static_cast<double>(werte);
  if (frGrafikApprox->sg1->RowCount() != werte + 1 || frGrafikApprox->sg1->ColCount() != kanaele + 1)
    state.SkipWithError("the table was not loaded completely");
  const double zeit = summe / static_cast<double>(state.iterations());
  state.counters["Werte/s"] = werteGesamt / zeit;
  state.counters["Bytes/Wert"] = static_cast<double>(bytes) / werteGesamt;
  state.counters["x_R1"] = zeit / r1;
  if (mitR2) {
    state.counters["R2_Zeit_x"] = R2().zeit / zeit;
    state.counters["R2_Speicher_x"] = static_cast<double>(R2().bytes) / static_cast<double>(bytes);
  }
}

void BM_Alle_R64(benchmark::State& s) { Laden(s, kolvex::Satzart::R64, "m_R64", kKanaele, gWerte, true); }
void BM_Alle_R32(benchmark::State& s) { Laden(s, kolvex::Satzart::R32, "m_R32", kKanaele, gWerte, false); }
void BM_Alle_R48(benchmark::State& s) { Laden(s, kolvex::Satzart::R48, "m_R48", kKanaele, gWerte, false); }
void BM_Alle_tdx(benchmark::State& s) { Laden(s, kolvex::Satzart::TDX, "m_tdx", kKanaele, gWerte, false); }
void BM_Alle_40x100000(benchmark::State& s) { Laden(s, kolvex::Satzart::R64, "m40", 40, 100000, false); }

// Two of eight channels, every n-th value.
void BM_Gewaehlt(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const QString kopf = Messung("m_R64", kolvex::Satzart::R64, kKanaele, gWerte);
  const double r1 = R1Zeit(DatenDatei(kopf, kolvex::Satzart::R64), kolvex::Satzart::R64);
  TfrDiaDemKAuswahl* d = frDiaDemKAuswahl;
  TfrDiaDemKAuswahl::DateiTestHook = kopf;
  d->FormShow();
  d->sg1->setCells(3, 2, "X");
  d->sg1->setCells(3, 5, "X");
  d->edInterval->setText(QString::number(n));
  d->Tag = 1;
  double summe = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Leeren();
    state.ResumeTiming();
    const auto t = Uhr::now();
    frDiaDem->DiaDemDateiLaden(kopf);
    summe += Sekunden(t);
  }
  d->Tag = 0;
  const int64_t zeilen = (gWerte - 1) / n + 1;
  if (frGrafikApprox->sg1->RowCount() != zeilen + 1 || frGrafikApprox->sg1->ColCount() != 3)
    state.SkipWithError("the chosen channels were not loaded completely");
  const double zeit = summe / static_cast<double>(state.iterations());
  state.counters["Werte/s"] = 2.0 * static_cast<double>(zeilen) / zeit;
  state.counters["x_R1"] = zeit / r1;  // R1 of the whole file
}

// The value grid in the shown data graph: first paint of a loaded table, then the jump to
// its last row, painted.
void BM_Tabelle_Anzeige(benchmark::State& state) {
  const QString kopf = Messung("m_R64", kolvex::Satzart::R64, kKanaele, gWerte);
  frDiaDemKAuswahl->Tag = 0;
  ValueGrid* g = frGrafikApprox->sg1;
  double erstes = 0, sprung = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Leeren();
    frDiaDem->DiaDemDateiLaden(kopf);
    g->scrollToTop();
    QApplication::processEvents();
    state.ResumeTiming();
    auto t = Uhr::now();
    g->viewport()->repaint();
    erstes += Sekunden(t);
    t = Uhr::now();
    g->scrollToBottom();
    g->viewport()->repaint();
    sprung += Sekunden(t);
  }
  if (g->rowAt(g->viewport()->height() - 2) < gWerte - 60) state.SkipWithError("the jump did not reach the end");
  state.counters["Erstes_Zeichnen_ms"] = 1000 * erstes / static_cast<double>(state.iterations());
  state.counters["Sprung_ms"] = 1000 * sprung / static_cast<double>(state.iterations());
}

// One million cells read as numbers, as the curves read them.
void BM_Zellen_als_Zahlen(benchmark::State& state) {
  const QString kopf = Messung("m_R64", kolvex::Satzart::R64, kKanaele, gWerte);
  frDiaDemKAuswahl->Tag = 0;
  Leeren();
  frDiaDem->DiaDemDateiLaden(kopf);
  const ValueTable& t = frGrafikApprox->sg1->table();
  const int64_t zellen = 1000000;
  for (auto _ : state) {
    double summe = 0;
    int64_t n = 0;
    for (int c = 1; c < t.columnCount() && n < zellen; ++c)
      for (int r = 1; r < t.rowCount() && n < zellen; ++r, ++n)
        if (const auto v = t.number(c, r)) summe += *v;
    benchmark::DoNotOptimize(summe);
  }
  state.counters["Zellen/s"] = benchmark::Counter(static_cast<double>(zellen) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void Registrieren() {
  benchmark::RegisterBenchmark("Alle/R64", BM_Alle_R64)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("Alle/R32", BM_Alle_R32)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("Alle/R48", BM_Alle_R48)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("Alle/tdx", BM_Alle_tdx)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("Gewaehlt/2von8", BM_Gewaehlt)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("Alle/40x100000", BM_Alle_40x100000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("Tabelle/Anzeige", BM_Tabelle_Anzeige)->Unit(benchmark::kMillisecond)->Iterations(5);
  benchmark::RegisterBenchmark("Tabelle/1M_Zellen_als_Zahlen", BM_Zellen_als_Zahlen)->Unit(benchmark::kMillisecond);
}

// The 800 MB file: one load, its outcome printed.
void GrossLaden() {
  const int64_t werte = 100000000;
  std::fprintf(stderr, "Schreibe 800-MB-Messung ...\n");
  const QString kopf = Messung("gross", kolvex::Satzart::R64, 1, werte);
  MessageRecorder meldungen;
  frDiaDemKAuswahl->Tag = 0;
  Leeren();
  const auto t = Uhr::now();
  frDiaDem->DiaDemDateiLaden(kopf);
  std::fprintf(stderr, "800 MB: %.2f s, %d Zeilen, Heap %.0f MB, Meldungen: %zu%s\n", Sekunden(t),
               frGrafikApprox->sg1->RowCount(), static_cast<double>(Heap()) / 1e6, meldungen.messages().size(),
               meldungen.messages().empty() ? "" : (" (" + meldungen.messages()[0].text.toStdString() + ")").c_str());
  Leeren();
  QFile::remove(kopf);
  QFile::remove(DatenDatei(kopf, kolvex::Satzart::R64));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  bool gross = false;
  int n = 0;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--voll") == 0) {
      gWerte = 1000000;
    } else if (std::strcmp(argv[i], "--gross") == 0) {
      gross = true;
    } else {
      argv[n++] = argv[i];
    }
  }
  argc = n;
  benchmark::Initialize(&argc, argv);
  Application app(argc, argv);
  QTemporaryDir ordner;
  gOrdner = ordner.path();
  QDir::setCurrent(ordner.path());
  DateiPauseMs = 0;
  MessageRecorder keineDialoge;
  EinstellungenStartwerte();
  FensterErzeugen();
  frGrafikApprox->resize(1100, 750);
  frGrafikApprox->show();
  Registrieren();
  benchmark::RunSpecifiedBenchmarks();
  if (gross) GrossLaden();
  if (!keineDialoge.messages().empty())
    std::fprintf(stderr, "Meldung: %s\n", keineDialoge.messages().front().text.toUtf8().constData());
  FensterZerstoeren();
  benchmark::Shutdown();
  return 0;
}
