#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <functional>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <tuple>
#include <optional>
#include <random>
#include <set>
#include <vector>
#include <QWindow>

#include "calculator/einstell.h"
#include "calculator/konstante.h"
#include "core/zahltext.h"
#include "platform/bgr_color.h"
#include "core/globals.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "graph/skal.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "support/maler.h"
#include "core/tabelle.h"
#include "datagraph/kanal_liste.h"
#include "speicher_test.h"

namespace {

class DatenGrafikTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    g = frGrafikApprox;
    ASSERT_NE(g, nullptr);
    TfrGrafikApprox::SpeicherFehlerNachZeilen = -1;
  }
  void TearDown() override {
    TfrGrafikApprox::SpeichernDialogTestHook = nullptr;
    TfrGrafikApprox::OeffnenDialogTestHook = nullptr;
    TfrGrafikApprox::BildDialogTestHook = nullptr;
    TfrGrafikApprox::SpeicherFehlerNachZeilen = -1;
    TfrGrafikApprox::LadeTestHook = nullptr;
    FensterTest::TearDown();
  }

  // Writes the file and loads it as the window's activation does.
  void Laden(const QString& name, const QStringList& zeilen) {
    DateiSchreiben(name, zeilen);
    g->OpenDialog1.FileName = Pfad(name);
    g->Aktivieren();
  }
  void BytesLaden(const QString& name, const QByteArray& bytes) {
    QFile f(Pfad(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    g->OpenDialog1.FileName = Pfad(name);
    g->Aktivieren();
  }
  void Kurve(int x, int y) {
    g->cbXKanal->setCurrentIndex(x);
    g->cbYKanal->setCurrentIndex(y);
    g->sbGrafikClick();
  }
  QStringList Items(QComboBox* cb) const {
    QStringList l;
    for (int i = 0; i < cb->count(); ++i) l << cb->itemText(i);
    return l;
  }
  QStringList Zeile(int r) const {
    QStringList l;
    for (int c = 0; c < g->sg1->ColCount(); ++c) l << g->sg1->Cells(c, r);
    return l;
  }
  // Table, grid, its header and both channel boxes show the same columns.
  void TabelleGridBoxenEinig() const {
    const int spalten = g->sg1->ColCount();
    EXPECT_EQ(g->sg1->model()->columnCount(), spalten);
    EXPECT_EQ(g->sg1->horizontalHeader()->count(), spalten);
    EXPECT_EQ(g->sg1->model()->rowCount(), g->sg1->RowCount() - 1);
    QStringList kopf;
    for (int c = 0; c < spalten; ++c) kopf << g->sg1->Cells(c, 0);
    EXPECT_EQ(Items(g->cbXKanal), kopf);
    EXPECT_EQ(Items(g->cbYKanal), kopf);
  }
  QStringList Meldungen() const {
    QStringList l;
    for (const RecordedMessage& m : meldungen.messages()) l << m.text;
    return l;
  }

  TfrGrafikApprox* g = nullptr;
};

}  // namespace

// ---- Reading tables ---------------------------------------------------------------------------

TEST_F(DatenGrafikTest, TableWithPreambleFillsGridBoxesAndTitle) {
  Laden("messung.csv", {"Versuch 7", "Zeit;Weg;Kraft", "0;1,5;2", "1;2,50;3"});
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(g->sg1->ColCount(), 4);
  EXPECT_EQ(g->sg1->RowCount(), 3);
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "Zeit", "Weg", "Kraft"}));
  EXPECT_EQ(Zeile(1), (QStringList{"1", "0", "1,5", "2"}));
  EXPECT_EQ(Zeile(2), (QStringList{"2", "1", "2,50", "3"}));
  EXPECT_EQ(Items(g->cbXKanal), (QStringList{"Nr", "Zeit", "Weg", "Kraft"}));
  EXPECT_EQ(Items(g->cbYKanal), Items(g->cbXKanal));
  EXPECT_EQ(g->lbTitel->text(), QStringLiteral("3 Kanäle  2 Werte Datei: "));
  EXPECT_EQ(g->lbFName->text(), Pfad("messung.csv"));
  EXPECT_EQ(g->plSeiten->currentWidget(), g->plTabelle);
  EXPECT_FALSE(g->edAbZeile->isHidden());
  EXPECT_TRUE(g->sbGrafik->isEnabled());
  EXPECT_EQ(g->windowTitle(), QStringLiteral("  XY-Daten im Diagramm"));
  // The folder of the file is remembered.
  EXPECT_EQ(QString::fromStdString(kolvex::DatenPfad), QDir(Pfad("")).absolutePath() + "/");
}

TEST_F(DatenGrafikTest, OwnValueFileLosesNoRowAndStartRowSkipsAfterTheHeader) {
  Laden("werte.csv", {"X;a   X : Y", "1;10", "2;20", "3;30"});
  EXPECT_EQ(g->sg1->RowCount(), 4);
  EXPECT_EQ(g->sg1->Cells(2, 1), QStringLiteral("10"));
  g->edAbZeile->setText("3");
  g->sbAbZeileClick();
  EXPECT_EQ(g->sg1->RowCount(), 2);
  EXPECT_EQ(g->sg1->Cells(1, 1), QStringLiteral("3"));
  // A start row beyond the file's end: message, the grid as it was.
  g->edAbZeile->setText("5");
  g->sbAbZeileClick();
  ASSERT_EQ(Meldungen(), QStringList{"Lesefehler in Datei " + Pfad("werte.csv")});
  EXPECT_EQ(g->sg1->RowCount(), 2);
  EXPECT_EQ(g->sg1->Cells(1, 1), QStringLiteral("3"));
  EXPECT_EQ(Items(g->cbXKanal).size(), 3);
}

// A table gone (or unreadable) when it is loaded again: the system's reason under the file's
// name, and the table shown stays.
TEST_F(DatenGrafikTest, TableThatCannotBeReadIsNamedAndTheGridKept) {
  Laden("weg.csv", {"X;Y", "1;10", "2;20"});
  ASSERT_TRUE(QFile::remove(Pfad("weg.csv")));
  QFile fehlt(Pfad("weg.csv"));
  ASSERT_FALSE(fehlt.open(QIODevice::ReadOnly));
  const QString erwartet = "Datei " + Pfad("weg.csv") + " kann nicht gelesen werden.\r" + fehlt.errorString();
  auto tabelleDa = [&] {
    EXPECT_EQ(g->sg1->RowCount(), 3);
    EXPECT_EQ(g->sg1->Cells(2, 2), QStringLiteral("20"));
    EXPECT_EQ(Items(g->cbXKanal), (QStringList{"Nr", "X", "Y"}));
  };
  g->sbAbZeile->click();  // "Neu"
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(Meldungen()[0], erwartet);
  tabelleDa();
  QTest::keyClick(g->edAbZeile, Qt::Key_Return);  // the same by Enter in the start row
  EXPECT_EQ(Meldungen(), (QStringList{erwartet, erwartet}));
  // The activation steps ("Datei laden", the window shown again) say the same.
  meldungen.clear();
  g->Aktivieren();
  EXPECT_EQ(Meldungen(), QStringList{erwartet});
  tabelleDa();

  // Opened, but reading fails: the kernel refuses to read a process's memory at address 0.
  meldungen.clear();
  g->TextDateiLaden("/proc/self/mem");
  ASSERT_EQ(meldungen.messages().size(), 1u);
  const QString anfang = "Datei /proc/self/mem kann nicht gelesen werden.\r";
  EXPECT_TRUE(Meldungen()[0].startsWith(anfang)) << Meldungen()[0].toStdString();
  EXPECT_GT(Meldungen()[0].size(), anfang.size());
  tabelleDa();
}

TEST_F(DatenGrafikTest, TabTableUnderCsvNameAndFilesWithoutHeader) {
  Laden("tab.csv", {"Kopfzeile ohne Trenner", "t\ts", "1\t2", "3\t4"});
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "t", "s"}));
  EXPECT_EQ(g->sg1->RowCount(), 3);
  EXPECT_EQ(g->sg1->Cells(2, 2), QStringLiteral("4"));
  // No line to take as header: message, grid and boxes as they were.
  Laden("leer.txt", {"", "", ""});
  ASSERT_EQ(Meldungen(), QStringList{"Lesefehler Datei: " + Pfad("leer.txt")});
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "t", "s"}));
  EXPECT_EQ(Items(g->cbXKanal), (QStringList{"Nr", "t", "s"}));
  // A file that cannot be read: the system's message, the grid kept.
  meldungen.clear();
  g->OpenDialog1.FileName = Pfad("fehlt.csv");
  g->Aktivieren();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_FALSE(Meldungen().front().isEmpty());
  EXPECT_EQ(g->sg1->RowCount(), 3);
}

TEST_F(DatenGrafikTest, EmptyHeaderFieldsAndRaggedRowsKeepEveryColumn) {
  Laden("k.csv", {"A;B;;D", "1;2;3;4;5", "6;7", "", ""});
  EXPECT_EQ(g->sg1->ColCount(), 6);  // the widest row has five fields
  EXPECT_EQ(g->sg1->RowCount(), 3);  // empty lines are no rows
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "A", "B", "K3", "D", "K5"}));
  EXPECT_EQ(Items(g->cbYKanal), (QStringList{"Nr", "A", "B", "K3", "D", "K5"}));
  EXPECT_EQ(Zeile(2), (QStringList{"2", "6", "7", "", "", ""}));
}

TEST_F(DatenGrafikTest, Windows1252TableIsDecoded) {
  BytesLaden("alt.txt", QByteArray("Zeit\tWeg [\xB5m]\r\n0\t1,5\r\n1\t2\xB0\r\n"));
  EXPECT_EQ(g->sg1->Cells(2, 0), QStringLiteral("Weg [µm]"));
  EXPECT_EQ(g->sg1->Cells(2, 2), QStringLiteral("2°"));
  EXPECT_FALSE(g->sg1->table().number(2, 2));
}

TEST_F(DatenGrafikTest, EscAndLackOfMemoryKeepTheRowsReadSoFar) {
  QStringList zeilen{"X;Y"};
  for (int i = 0; i < 5000; ++i) zeilen << QString("%1;%2").arg(i).arg(i * 2);
  EscWatcher::pressAfterPolls(0);
  Laden("lang.csv", zeilen);
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(g->sg1->RowCount(), 1001);
  EXPECT_EQ(g->sg1->Cells(2, 1000), QStringLiteral("1998"));
  EXPECT_EQ(g->lbTitel->text(), QStringLiteral("2 Kanäle  1000 Werte Datei: "));
  // The room reserved for the 5000 rows went back: the table holds what a copy of it holds.
  ValueTable genau;
  genau.copyFrom(g->sg1->table());
  EXPECT_EQ(g->sg1->table().memoryUsed(), genau.memoryUsed());

  TfrGrafikApprox::SpeicherFehlerNachZeilen = 10;
  g->sbAbZeileClick();
  EXPECT_EQ(Meldungen(), QStringList{"Speicherplatz Fehler"});
  EXPECT_EQ(g->sg1->RowCount(), 11);
  EXPECT_TRUE(g->plAbbruch->isHidden());
}

TEST_F(DatenGrafikTest, LackOfMemoryInAnyStepShowsOneMessageAndKeepsTheOldTable) {
  Laden("alt.csv", {"A;B", "1;2", "3;4"});
  const QStringList boxen = Items(g->cbXKanal);
  ASSERT_EQ(boxen, (QStringList{"Nr", "A", "B"}));
  DateiSchreiben("neu.csv", {"X;Y;Z", "5;6;7"});
  g->OpenDialog1.FileName = Pfad("neu.csv");
  // From every step on: reading the file, the header, the rows (none is read), the header
  // cells, the channel boxes. The memory stays short, as with a header of fifty million fields.
  for (int schritt = 0; schritt < 5; ++schritt) {
    meldungen.clear();
    TfrGrafikApprox::SpeicherFehlerAbSchritt = schritt;
    g->sbAbZeileClick();
    TfrGrafikApprox::SpeicherFehlerAbSchritt = -1;
    EXPECT_EQ(Meldungen(), QStringList{"Speicherplatz Fehler"}) << schritt;
    EXPECT_EQ(g->sg1->ColCount(), 3) << schritt;
    EXPECT_EQ(g->sg1->RowCount(), 3) << schritt;
    EXPECT_EQ(g->sg1->Cells(1, 0), QStringLiteral("A")) << schritt;
    EXPECT_EQ(Items(g->cbXKanal), boxen) << schritt;
    EXPECT_TRUE(g->plAbbruch->isHidden()) << schritt;
    EXPECT_EQ(g->windowTitle(), QStringLiteral("  XY-Daten im Diagramm")) << schritt;
  }
  // With memory enough the new table comes.
  meldungen.clear();
  g->sbAbZeileClick();
  EXPECT_TRUE(Meldungen().isEmpty());
  EXPECT_EQ(Items(g->cbXKanal), (QStringList{"Nr", "X", "Y", "Z"}));
}

// Lack of memory while the grid's header or the channel boxes take the new table (where Qt
// allocates for every column): one message, and table, grid and both boxes agree, showing
// no table rather than half of one.
TEST_F(DatenGrafikTest, LackOfMemoryWhileTheViewsTakeTheTableLeavesThemAgreeing) {
  Laden("alt.csv", {"A;B", "1;2"});
  DateiSchreiben("neu.csv", {"X;Y;Z", "5;6;7", "8;9;10"});
  g->OpenDialog1.FileName = Pfad("neu.csv");
  auto einmal = [](std::function<void()>& hook) {
    hook = [&hook] {
      hook = nullptr;
      throw std::bad_alloc();
    };
  };
  for (auto* hook : {&ValueGrid::KopfTestHook, &KanalModell::ResetTestHook}) {
    meldungen.clear();
    einmal(*hook);
    g->sbAbZeileClick();
    ASSERT_FALSE(*hook) << "the failure did not come";
    EXPECT_EQ(Meldungen(), QStringList{"Speicherplatz Fehler"});
    TabelleGridBoxenEinig();
    EXPECT_TRUE(g->plAbbruch->isHidden());
    EXPECT_FALSE(g->plTabelle->isHidden());
  }
  // With memory enough the new table comes, in all three.
  meldungen.clear();
  g->sbAbZeileClick();
  EXPECT_TRUE(Meldungen().isEmpty());
  EXPECT_EQ(g->sg1->horizontalHeader()->count(), 4);
  EXPECT_EQ(Items(g->cbXKanal), (QStringList{"Nr", "X", "Y", "Z"}));
  EXPECT_EQ(g->sg1->Cells(3, 2), QStringLiteral("10"));
}

// Memory running out for real (an address-space limit, in a child run of this test program)
// at any step of a load, Qt's work included: one "Speicherplatz Fehler" at most, the program
// goes on, and table, grid and both boxes agree; at the higher limits the table loads. The
// sanitizer's builds reserve far more address space than such limits, so it runs in the others.
TEST_F(DatenGrafikTest, LackOfMemoryUnderARealLimitLeavesTableGridAndBoxesAgreeing) {
  const QByteArray kind = qgetenv("KOLVEX_SPEICHER_GRENZE");
  if (!kind.isEmpty()) {
    Laden("alt.csv", {"A;B", "1;2"});
    long vmKb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string z; std::getline(status, z);)
      if (z.rfind("VmSize:", 0) == 0) vmKb = std::stol(z.substr(7));
    rlimit alt{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &alt), 0);
    rlimit grenze = alt;
    grenze.rlim_cur = static_cast<rlim_t>(vmKb + kind.toLong()) * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &grenze), 0);
    g->TextDateiLaden(QString::fromLocal8Bit(qgetenv("KOLVEX_SPEICHER_DATEI")));
    setrlimit(RLIMIT_AS, &alt);
    EXPECT_LE(Meldungen().size(), 1);
    for (const QString& m : Meldungen()) EXPECT_EQ(m, QStringLiteral("Speicherplatz Fehler"));
    TabelleGridBoxenEinig();
    std::printf("Ergebnis: %d %d\n", g->sg1->ColCount(), static_cast<int>(Meldungen().size()));
    return;
  }
  if (Speicher::SpitzeMessbar()) GTEST_SKIP() << "the sanitizer's address space is beyond any limit";
  std::string breit;
  for (int c = 0; c < 1000000; ++c) breit += "K;";
  breit += "\n1;2\n";
  std::string lang = "a;b;c\n";
  for (int r = 0; r < 300000; ++r) lang += std::to_string(r) + ";" + std::to_string(r % 97) + ",5;x" + std::to_string(r % 7) + "\n";
  for (const auto& [name, text, bis] : {std::tuple{"breit.csv", breit, 96}, std::tuple{"lang.csv", lang, 64}}) {
    SCOPED_TRACE(name);
    BytesLaden(name, QByteArray::fromStdString(text));
    const int spalten = g->sg1->ColCount();
    bool fehler = false, geladen = false;
    for (int mb = 0; mb <= bis; mb += 4) {
      QProcess kind;
      QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
      umgebung.insert("KOLVEX_SPEICHER_GRENZE", QString::number(mb * 1024));
      umgebung.insert("KOLVEX_SPEICHER_DATEI", Pfad(name));
      umgebung.insert("QT_QPA_PLATFORM", "offscreen");
      kind.setProcessEnvironment(umgebung);
      kind.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=DatenGrafikTest.LackOfMemoryUnderARealLimitLeavesTableGridAndBoxesAgreeing"});
      ASSERT_TRUE(kind.waitForFinished(120000));
      const QString aus = QString::fromLocal8Bit(kind.readAllStandardOutput());
      ASSERT_EQ(kind.exitStatus(), QProcess::NormalExit) << mb << " MB\n" << aus.toStdString();
      ASSERT_EQ(kind.exitCode(), 0) << mb << " MB\n" << aus.toStdString();
      const QRegularExpressionMatch ergebnis = QRegularExpression(QStringLiteral("Ergebnis: (\\d+) (\\d+)")).match(aus);
      ASSERT_TRUE(ergebnis.hasMatch()) << aus.toStdString();
      fehler = fehler || ergebnis.captured(2) == QLatin1String("1");
      geladen = geladen || ergebnis.captured(1).toInt() == spalten;
    }
    // The limits ran from too little to enough.
    EXPECT_TRUE(fehler);
    EXPECT_TRUE(geladen);
  }
}

namespace {

// Ragged tables of some breite x 6 bytes at most.
std::vector<std::pair<std::string, std::string>> Zerklueftet(int breite) {
  auto zeilen = [](int n, const std::string& zeile) {
    std::string t;
    for (int i = 0; i < n; ++i) t += zeile + "\n";
    return t;
  };
  std::string breit;
  for (int c = 0; c < breite; ++c) breit += c ? ";1" : "1";
  breit += "\n";
  std::string kopf;
  for (int c = 0; c < breite; ++c) kopf += (c ? ";k" : "k") + std::to_string(c);
  std::string treppe = "a;b\n";
  for (int i = 1; i * i < 4 * breite; ++i) treppe += zeilen(1, std::string(static_cast<size_t>(i - 1), ';') + "7");
  const std::string trenner(static_cast<size_t>(breite), ';');
  return {
      {"breite Zeile zuerst", "a;b\n" + breit + zeilen(breite, "1;2")},
      {"breite Zeile in der Mitte", "a;b\n" + zeilen(breite / 2, "1;2") + breit + zeilen(breite / 2, "1;2")},
      {"breite Zeile zuletzt", "a;b\n" + zeilen(breite, "1;2") + breit},
      {"Kopf breiter", kopf + "\n" + zeilen(breite, "1;2")},
      {"Kopf aus Trennern", trenner + "\n1;2\n"},
      {"breite Zeile aus Trennern", "a;b\n" + trenner + "\n" + zeilen(breite, "1;2")},
      {"Kopf schmaler", "a;b\n" + zeilen(breite / 25, breit.substr(0, 100))},
      {"nur Trenner", "a;b\n" + zeilen(breite / 4, std::string(8, ';'))},
      {"viele leere Zellen", "a;b\n" + zeilen(breite / 16, "1" + std::string(30, ';') + "2")},
      {"Texte", "a;;c\n" + zeilen(breite / 4, "x;Wort;1,50;;\xC2\xB5m")},
      {"Treppe", treppe},
  };
}

}  // namespace

// Whatever its shape, a table's load needs at most 64 bytes per byte of its file above what
// the program held before: rows as wide as a header of thousands of fields or a single row
// as wide, a header narrower or wider than the rows, rows of separators only, texts.
TEST_F(DatenGrafikTest, RaggedTablesLoadWithinSixtyFourBytesPerFileByte) {
  if (!Speicher::SpitzeMessbar()) GTEST_SKIP() << "the heap's peak is measured through the address sanitizer";
  Laden("warm.csv", {"a;b", "1;x"});  // what the first load of all sets up once
  for (const auto& [form, text] : Zerklueftet(20000)) {
    SCOPED_TRACE(form);
    g->sg1->setColCount(0);
    KanalListe keine;
    g->KanalBoxenSetzen(keine);
    Speicher::SpitzeAnfangen();
    BytesLaden("zerklueftet.csv", QByteArray::fromStdString(text));
    const size_t spitze = Speicher::Spitze();
    ASSERT_TRUE(Meldungen().isEmpty());
    EXPECT_LE(spitze, 64 * text.size()) << spitze / text.size() << " bytes per byte";
    std::printf("[ Speicher ] %s: %zu bytes, peak %zu (%.1f per byte)\n", form.c_str(), text.size(), spitze,
                static_cast<double>(spitze) / static_cast<double>(text.size()));
  }
}

// The cells read stay those of a plain reader, whatever the shape: texts, numbers, kinds,
// rows, columns, the names of unnamed columns and the channel boxes.
TEST_F(DatenGrafikTest, RaggedTablesReadCellForCellAsAPlainReaderReadsThem) {
  auto formen = Zerklueftet(150);
  std::mt19937 zufall(77);
  const std::vector<std::string> zellen = {"", "", "1", "-2,5", "1,50", "1.5", " 3", "1E20", "Wort", "x y",
                                           "\xC2\xB5m", "9,9E34", "-123456789,123456789", "+0"};
  for (int n = 0; n < 12; ++n) {
    std::string text;
    const int zeilen = 1 + static_cast<int>(zufall() % 300);
    for (int z = 0; z <= zeilen; ++z) {
      const int breite = z == 0 ? 2 + static_cast<int>(zufall() % 6)
                                : (zufall() % 20 == 0 ? 1 + static_cast<int>(zufall() % 400) : static_cast<int>(zufall() % 8));
      for (int c = 0; c < breite; ++c) text += (c ? ";" : "") + zellen[zufall() % zellen.size()];
      text += "\n";
    }
    formen.emplace_back("zufällig " + std::to_string(n), text);
  }
  for (const auto& [form, text] : formen) {
    SCOPED_TRACE(form);
    // Header in line 1; every non-empty line after it a row.
    std::vector<std::vector<std::string>> soll;
    size_t breite = 0;
    for (size_t a = 0; a < text.size();) {
      const size_t e = text.find('\n', a);
      const std::string zeile = text.substr(a, e - a);
      a = e + 1;
      if (zeile.empty() && !soll.empty()) continue;
      std::vector<std::string> felder;
      for (size_t f = 0;; ++f) {
        const size_t t = zeile.find(';', f);
        felder.push_back(zeile.substr(f, t - f));
        if (t == std::string::npos) break;
        f = t;
      }
      breite = std::max(breite, felder.size());
      soll.push_back(felder);
    }
    BytesLaden("zerklueftet.csv", QByteArray::fromStdString(text));
    ASSERT_TRUE(Meldungen().isEmpty());
    const ValueTable& t = g->sg1->table();
    ASSERT_EQ(t.columnCount(), static_cast<int>(breite) + 1);
    ASSERT_EQ(t.rowCount(), static_cast<int>(soll.size()));
    for (int r = 0; r < t.rowCount(); ++r) {
      for (int c = 0; c < t.columnCount(); ++c) {
        const auto& felder = soll[static_cast<size_t>(r)];
        std::string zelle = c == 0 ? (r == 0 ? "Nr" : std::to_string(r))
                                   : (static_cast<size_t>(c) <= felder.size() ? felder[static_cast<size_t>(c) - 1] : "");
        if (r == 0 && zelle.empty()) zelle = "K" + std::to_string(c);
        ASSERT_EQ(t.cellUtf8(c, r), zelle) << c << "," << r;
        double wert = 0;
        const kolvex::ZellArt art = kolvex::ZelleLesen(zelle, wert);
        const bool zahl = art == kolvex::ZellArt::Zahl || art == kolvex::ZellArt::ZahlMitText;
        ASSERT_EQ(t.number(c, r), zahl ? std::optional(wert) : std::nullopt) << c << "," << r;
      }
    }
    QStringList kopf;
    for (int c = 0; c < t.columnCount(); ++c) kopf << t.cell(c, 0);
    EXPECT_EQ(Items(g->cbXKanal), kopf);
  }
}

TEST_F(DatenGrafikTest, DataFileNamesMapToTheirHeaders) {
  EXPECT_EQ(TfrGrafikApprox::DatenDateiName("/a/b/versuch.R48"), QStringLiteral("/a/b/versuch.DAT"));
  EXPECT_EQ(TfrGrafikApprox::DatenDateiName("/a/b.c/versuch.tdx"), QStringLiteral("/a/b.c/versuch.TDM"));
  EXPECT_EQ(TfrGrafikApprox::DatenDateiName("/a/tabelle.csv"), QStringLiteral("/a/tabelle.csv"));
  EXPECT_EQ(TfrGrafikApprox::DatenDateiName(""), QString());
  // The header on disk in other letter case is the one taken.
  DateiSchreiben("messung.dat", {"#BEGINGLOBALHEADER"});
  EXPECT_EQ(TfrGrafikApprox::DatenDateiName(Pfad("messung.r32")), Pfad("messung.dat"));
  // A measurement file goes to the import: this header names no channel and no data type,
  // so the table keeps its number column only.
  Laden("t.csv", {"X;Y", "1;2"});
  g->OpenDialog1.FileName = Pfad("messung.r32");
  g->Aktivieren();
  EXPECT_EQ(g->sg1->ColCount(), 1);
  EXPECT_EQ(g->sg1->Cells(0, 0), QStringLiteral("Nr"));
  EXPECT_TRUE(g->edAbZeile->isHidden());
}

// ---- Curves -----------------------------------------------------------------------------------

TEST_F(DatenGrafikTest, CurvesGetLabelsColoursAndRefuseDuplicatesAndTheTwentyFirst) {
  QStringList kopf{"X"};
  QStringList zeile1{"1"}, zeile2{"2"};
  for (int k = 1; k <= 21; ++k) {
    kopf << QString("Y%1").arg(k);
    zeile1 << QString::number(k);
    zeile2 << QString::number(2 * k);
  }
  Laden("viele.txt", {kopf.join('\t'), zeile1.join('\t'), zeile2.join('\t')});
  Kurve(1, 2);
  ASSERT_EQ(g->ListBox1->count(), 1);
  EXPECT_EQ(g->ListBox1->item(0)->text(), QStringLiteral("viele   X : Y1"));
  EXPECT_EQ(g->plSeiten->currentWidget(), g->plChart);
  EXPECT_EQ(g->lbDX->text(), QStringLiteral("X"));
  EXPECT_EQ(g->lbDY->text(), QStringLiteral("Y1"));
  EXPECT_EQ(kolvex::KanalX, "X");
  EXPECT_EQ(g->Serien[0]->title(), QStringLiteral("viele   X : Y1"));
  EXPECT_EQ(g->lbFarben->item(0)->text(),
            QString("%1").arg(static_cast<uint>(kolvex::GrafikFarben[1]), 8, 16, QChar('0')).toUpper());
  EXPECT_EQ(g->Serien[0]->color(), colorFromBgr(kolvex::GrafikFarben[1]));

  Kurve(1, 2);
  EXPECT_EQ(Meldungen(), QStringList{"viele   X : Y1 ist schon vorhanden"});
  EXPECT_EQ(g->ListBox1->count(), 1);

  for (int k = 2; k <= 20; ++k) {
    g->tbPlusClick();
    EXPECT_EQ(g->cbFarbe->currentIndex(), k - 1);  // the next curve takes the next colour
    Kurve(1, k + 1);
  }
  EXPECT_EQ(g->ListBox1->count(), 20);
  meldungen.clear();
  Kurve(1, 21);
  EXPECT_EQ(Meldungen(), QStringList{"Maximium 20 Formeln"});
  EXPECT_EQ(g->ListBox1->count(), 20);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(g->Serien[static_cast<size_t>(i)]->active());
}

TEST_F(DatenGrafikTest, RowsWithoutNumbersAddNoPointAndTheLargestXKeepsTheFirst) {
  Laden("l.csv", {"x;y;z", "1;10;", "abc;20;1", "5;x;2", "5;50;3", "5;60;4", "2;;5", "-3;7;6"});
  Kurve(1, 2);
  const ChartSeries* s = g->Serien[0];
  ASSERT_EQ(s->count(), 4);
  EXPECT_EQ(s->xValues(), (std::vector<double>{1, 5, 5, -3}));
  EXPECT_EQ(s->yValues(), (std::vector<double>{10, 50, 60, 7}));
  EXPECT_EQ(kolvex::KurvenZeilen[1], (std::vector<int32_t>{1, 4, 5, 7}));
  EXPECT_EQ(kolvex::KurvenPunkte[1], 4);
  EXPECT_EQ(kolvex::KurveMaxX[1], 5);
  EXPECT_EQ(kolvex::KurveMaxXY[1], 50);
  // "Nr" as Y: the row number, right-clicked on the grid's first column.
  g->tbPlusClick();
  const QRect zelle = g->sg1->visualRect(g->sg1->model()->index(0, 0));
  QTest::mouseClick(g->sg1->viewport(), Qt::RightButton, {}, zelle.center());
  EXPECT_EQ(g->cbYKanal->currentIndex(), 0);
  QTest::mouseClick(g->sg1->viewport(), Qt::LeftButton, {}, zelle.center());
  EXPECT_EQ(g->cbXKanal->currentIndex(), 0);
  g->cbXKanal->setCurrentIndex(3);
  g->sbGrafikClick();
  EXPECT_EQ(g->Serien[1]->xValues(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(g->Serien[1]->yValues(), (std::vector<double>{2, 3, 4, 5, 6, 7}));
}

TEST_F(DatenGrafikTest, CurveWithoutPointsIsListedButNotLabelled) {
  Laden("p.csv", {"a;b;c", "1;2;x", "2;3;y"});
  Kurve(1, 2);
  g->tbPlusClick();
  Kurve(1, 3);
  EXPECT_EQ(g->ListBox1->count(), 2);
  EXPECT_EQ(g->Serien[1]->count(), 0);
  const auto& texte = g->Chart1->overlayTexts();
  ASSERT_EQ(texte.size(), 1u);
  EXPECT_EQ(texte[0].text, QStringLiteral(" a : b"));
  EXPECT_EQ(texte[0].x, 2);
  EXPECT_EQ(texte[0].y, 3);
  EXPECT_EQ(texte[0].offset, QPoint(8, -8));
  g->cbMoment->click();
  EXPECT_TRUE(g->Chart1->overlayTexts().empty());
  EXPECT_EQ(g->Chart1->rightMargin(), std::max(12, static_cast<int>(std::nearbyint(2 * g->Chart1->width() / 100.0))));
}

TEST_F(DatenGrafikTest, CurveLabelsEndInsideTheChart) {
  Laden("w.csv", {"Nr;Temp max °C", "1;21,3", "2;22,6", "3;23,8", "4;22,1"});
  g->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(g));
  Kurve(1, 2);
  for (int breite : {1100, 760, 520}) {
    g->resize(breite, 560);
    QCoreApplication::processEvents();
    g->Chart1->replotNow();
    const auto& texte = g->Chart1->overlayTexts();
    ASSERT_EQ(texte.size(), 1u);
    ASSERT_EQ(texte[0].text, QStringLiteral(" Nr : Temp max °C"));
    const int links = g->WertZuPixel(texte[0].x, texte[0].y).x() + texte[0].offset.x();
    const int rechts = links + QFontMetrics(texte[0].font).horizontalAdvance(texte[0].text);
    EXPECT_LE(rechts, g->Chart1->width()) << breite;
  }
  g->hide();
}

TEST_F(DatenGrafikTest, ItAndItsDialogsOpenOnTheScreen) {
  const QRect frei = g->screen()->availableGeometry();
  // The main window in the bottom right corner is the window the user works in.
  frRechn->move(frei.bottomRight());
  frRechn->show();
  frRechn->activateWindow();
  ASSERT_TRUE(AktivAbwarten(frRechn));
  ASSERT_TRUE(LageAbwarten(frRechn));
  ASSERT_TRUE(frei.contains(frRechn->frameGeometry()));
  // Dialogs nobody placed open over it, as far into the corner as the screen lets them.
  for (Form* f : {static_cast<Form*>(frApproxim), static_cast<Form*>(frApproxim_Auswahl),
                  static_cast<Form*>(frEinstellung_Grafik)}) {
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    ASSERT_TRUE(LageAbwarten(f));
    EXPECT_TRUE(frei.contains(f->frameGeometry())) << f->objectName().toStdString();
    if (!FensterManagerPlatziert()) {
      EXPECT_EQ(f->frameGeometry().bottomRight(), frei.bottomRight()) << f->objectName().toStdString();
    }
    f->hide();
    frRechn->activateWindow();
    ASSERT_TRUE(AktivAbwarten(frRechn));
  }
  // The data graph itself, 1100 wide in its layout, is made to fit the test screen (800).
  g->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(g));
  ASSERT_TRUE(LageAbwarten(g));
  EXPECT_TRUE(frei.contains(g->frameGeometry()));
  g->hide();
}

TEST_F(DatenGrafikTest, TitleBlockListsTheCurvesInTheirColours) {
  Laden("t.csv", {"a;b;c;d;e", "1;2;3;4;5"});
  Kurve(1, 2);
  EXPECT_EQ(g->RichEdit1->document()->blockCount(), 2);
  EXPECT_EQ(g->RichEdit1->document()->firstBlock().text(), QString());
  EXPECT_EQ(g->RichEdit1->document()->lastBlock().text(), QStringLiteral("t   a : b"));
  EXPECT_EQ(g->plUnten->height(), 82);
  const QTextCharFormat f = g->RichEdit1->document()->lastBlock().begin().fragment().charFormat();
  EXPECT_TRUE(f.font().bold());
  EXPECT_TRUE(f.font().fixedPitch());
  EXPECT_EQ(f.foreground().color(), colorFromBgr(kolvex::GrafikFarben[1]));
  for (int y = 3; y <= 5; ++y) {
    g->tbPlusClick();
    Kurve(1, y);
  }
  EXPECT_EQ(g->RichEdit1->document()->blockCount(), 4);  // no empty line from 4 curves on
  EXPECT_EQ(TfrGrafikApprox::TitelHoehe(4), 82);
  EXPECT_EQ(TfrGrafikApprox::TitelHoehe(7), 102);  // 101,5 to the even 102
  EXPECT_EQ(TfrGrafikApprox::TitelHoehe(9), 130);  // 130,5 to the even 130
  EXPECT_EQ(TfrGrafikApprox::TitelHoehe(21), 304);
  g->tbTitel->click();
  EXPECT_TRUE(g->plUnten->isHidden());
  EXPECT_TRUE(g->plLinie->isHidden());
}

TEST_F(DatenGrafikTest, DeletingCurves) {
  Laden("d.csv", {"a;b;c", "1;2;3"});
  Kurve(1, 2);
  g->tbLoeschenLClick();  // the only curve
  EXPECT_EQ(g->ListBox1->count(), 0);
  EXPECT_FALSE(g->Serien[0]->active());
  EXPECT_EQ(g->Serien[0]->count(), 0);
  EXPECT_EQ(g->plSeiten->currentWidget(), g->plTabelle);
  Kurve(1, 2);
  g->tbPlusClick();
  Kurve(1, 3);
  meldungen.answerWith({MessageAnswer::No});
  g->tbLoeschenClick();
  EXPECT_EQ(g->ListBox1->count(), 2);
  g->tbLoeschenClick();
  EXPECT_EQ(Meldungen(), (QStringList{"Diagramm löschen?", "Diagramm löschen?"}));
  EXPECT_EQ(g->ListBox1->count(), 0);
  EXPECT_EQ(g->lbFarben->count(), 0);
  EXPECT_FALSE(g->Serien[1]->active());
  EXPECT_EQ(kolvex::KurvenNummer, 1);
  EXPECT_EQ(g->cbFarbe->currentIndex(), 0);
  EXPECT_TRUE(g->sbLoeschen->isHidden());
}

// ---- Curve value file -------------------------------------------------------------------------

TEST_F(DatenGrafikTest, ValueFileLinesCurvesUpBySourceRow) {
  Laden("v.csv", {"x;y1;y2", "1;10;", "2;;200", "3;30;300", "4,5;40;400"});
  Kurve(1, 2);
  g->tbPlusClick();
  Kurve(1, 3);
  int angeboten = 0;
  TfrGrafikApprox::SpeichernDialogTestHook = [&](int& filter) {
    angeboten = filter;
    filter = 1;
    return Pfad("aus");
  };
  g->tbSpeichernClick();
  EXPECT_EQ(angeboten, 1);
  EXPECT_EQ(DateiLesen("aus.csv"), (QStringList{"X;v   x : y1;v   x : y2", "1;10;", "3;30;300",
                                                 "4,5;40;400"}));
  // The text filter: TAB, and the ".txt" the name lacked.
  TfrGrafikApprox::SpeichernDialogTestHook = [&](int& filter) {
    filter = 2;
    return Pfad("aus2");
  };
  g->tbSpeichernClick();
  EXPECT_EQ(DateiLesen("aus2.txt").value(1), QStringLiteral("1\t10\t"));
  TfrGrafikApprox::SpeichernDialogTestHook = [&](int&) { return Pfad("GROSS.TXT"); };
  g->tbSpeichernClick();
  EXPECT_EQ(DateiLesen("GROSS.TXT").value(2), QStringLiteral("3\t30\t300"));
  TfrGrafikApprox::SpeichernDialogTestHook = [&](int&) { return QString(); };
  g->tbSpeichernClick();  // cancelled: nothing
  EXPECT_TRUE(meldungen.messages().empty());
  // A file that cannot be written: the file and the system's reason, no file.
  EXPECT_FALSE(g->WerteSpeichern(Pfad("fehlt/aus.csv")));
  EXPECT_EQ(Meldungen(), QStringList{"Datei " + Pfad("fehlt/aus.csv") +
                                     " konnte nicht gespeichert werden.\rNo such file or directory"});
  meldungen.clear();

  g->tbLoeschenClick();
  g->tbSpeichernClick();
  EXPECT_EQ(Meldungen(), (QStringList{"Diagramm löschen?", "Keine Werte"}));
}

// ---- Display ----------------------------------------------------------------------------------

TEST_F(DatenGrafikTest, PureDisplayRules) {
  EXPECT_EQ(TfrGrafikApprox::KurvenTeil("datei   Zeit : Weg"), QStringLiteral(" Zeit : Weg"));
  EXPECT_EQ(TfrGrafikApprox::RandWert({"d   Zeit : Weg"}, false, true), 7);  // 7,15
  EXPECT_EQ(TfrGrafikApprox::RandWert({"d   a : b", "d   Zeit : Weg"}, true, true), 2);
  EXPECT_EQ(TfrGrafikApprox::RandWert({"d   Zeit : Weg"}, false, false), 2);
  EXPECT_EQ(TfrGrafikApprox::RandWert({"dd  ab : cdefg"}, false, true), 6);  // 6,5 to even
  EXPECT_EQ(TfrGrafikApprox::RandWert({}, false, true), 0);

  const ChartRect r{10, 20, 110, 220};
  EXPECT_EQ(TfrGrafikApprox::WertZuPixelIn(r, 0, 10, 0, 100, 5, 50), QPoint(60, 120));
  EXPECT_EQ(TfrGrafikApprox::WertZuPixelIn(r, 0, 10, 0, 100, 0.05, 0), QPoint(10, 220));   // 10,5 -> 10
  EXPECT_EQ(TfrGrafikApprox::WertZuPixelIn(r, 0, 10, 0, 100, 0.15, 100), QPoint(12, 20));  // 11,5 -> 12
  EXPECT_EQ(TfrGrafikApprox::WertZuPixelIn(r, 3, 3, 5, 5, 7, 7), QPoint(10, 20));
  EXPECT_EQ(TfrGrafikApprox::WertZuPixelIn(ChartRect{10, 20, 10, 220}, 0, 10, 0, 100, 5, 50),
            QPoint(10, 20));

  EXPECT_EQ(TfrGrafikApprox::LinksGerundet(0.3, 7.6), std::make_pair(0.0, 8.0));
  EXPECT_EQ(TfrGrafikApprox::LinksGerundet(3, 4).first, 2);   // round(2,5) = 2
  EXPECT_EQ(TfrGrafikApprox::LinksGerundet(4, 5).first, 4);   // round(3,5) = 4
  EXPECT_EQ(TfrGrafikApprox::UntenGerundet(130, 870), std::make_pair(100.0, 900.0));
}

TEST_F(DatenGrafikTest, StoredScalingIgnoresTextsThatAreNoNumbers) {
  Laden("s.csv", {"x;y", "0;0", "10;100"});
  Kurve(1, 2);
  const double xMin = g->Chart1->minimum(ChartAxis::Bottom);
  const double xMax = g->Chart1->maximum(ChartAxis::Bottom);
  kolvex::SkalYMin = "-5";
  kolvex::SkalYMax = "abc";
  kolvex::SkalXMin = "";
  kolvex::SkalXMax = "3";
  ASSERT_TRUE(EinstellungenSpeichern());
  g->SkalierungAnwenden();
  EXPECT_FALSE(g->Chart1->automatic(ChartAxis::Left));
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), -5);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Left), 100);  // "abc" leaves it
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Bottom), xMin);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Bottom), 3);

  // A stored maximum not above the minimum does not count.
  kolvex::SkalYMin = "20";
  kolvex::SkalYMax = "10";
  kolvex::SkalXMax = std::to_string(static_cast<int>(xMax));
  ASSERT_TRUE(EinstellungenSpeichern());
  g->SkalierungAnwenden();
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), 20);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Left), 100);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Bottom), xMax);

  g->tbAutom_SkalClick();
  EXPECT_TRUE(g->Chart1->automatic(ChartAxis::Left));
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Left), 100);
}

TEST_F(DatenGrafikTest, ScalingDialogRoundTrip) {
  Laden("s.csv", {"x;y", "0,123;0,3", "870,4;7,6"});
  Kurve(1, 2);
  g->Tag = 1;
  QTimer::singleShot(0, [] {
    EXPECT_EQ(frSkal->sgSkal->Cells(1, 1), QStringLiteral("0,3"));
    EXPECT_EQ(frSkal->sgSkal->Cells(2, 1), QStringLiteral("0,12"));
    EXPECT_EQ(frSkal->sgSkal->Cells(2, 2), QStringLiteral("870,4"));
    frSkal->sgSkal->setCells(1, 2, QStringLiteral("9"));
    frSkal->sgSkal->setCells(2, 1, QString());
    frSkal->sbExitClick();
  });
  g->tbSkalierungClick();
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Left), 9);
  EXPECT_NEAR(g->Chart1->minimum(ChartAxis::Bottom), 0.123, 1e-12);
  g->tbSkal_RundClick();
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), 0);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Left), 8);
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Bottom), 0);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Bottom), 900);
  g->tbAutom_SkalRechtsClick();
  EXPECT_NEAR(g->Chart1->minimum(ChartAxis::Left), 0.2, 1e-12);
  EXPECT_NEAR(g->Chart1->maximum(ChartAxis::Left), 7.7, 1e-12);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Bottom), 870);
}

TEST_F(DatenGrafikTest, GridLegendAndClickReadOut) {
  Laden("c.csv", {"x;y", "0;0", "10;100"});
  Kurve(1, 2);
  EXPECT_TRUE(g->Chart1->gridVisible(ChartAxis::Left));
  g->tbGitter->click();
  EXPECT_FALSE(g->Chart1->gridVisible(ChartAxis::Left));
  EXPECT_FALSE(g->Chart1->gridVisible(ChartAxis::Bottom));
  EXPECT_FALSE(g->Chart1->legendVisible());
  EXPECT_EQ(g->Chart1->overlayTexts().size(), 1u);
  g->tbLegende->click();
  EXPECT_TRUE(g->Chart1->legendVisible());
  EXPECT_TRUE(g->Chart1->overlayTexts().empty());  // named in the legend instead
  EXPECT_EQ(g->Chart1->rightMargin(), std::max(12, static_cast<int>(std::nearbyint(2 * g->Chart1->width() / 100.0))));
  const QPoint p(static_cast<int>(g->Chart1->pixelOf(ChartAxis::Bottom, 2.345)),
                 static_cast<int>(g->Chart1->pixelOf(ChartAxis::Left, 50)));
  g->Chart1Klick(g->Serien[0], p);
  const double x = std::nearbyint(g->Chart1->valueAt(ChartAxis::Bottom, p.x()) * 100) / 100;
  EXPECT_EQ(g->lbX->text(), "X=" + QString::fromStdString(kolvex::FloatText(x)));
  EXPECT_TRUE(g->lbY->text().startsWith("Y="));
}

TEST_F(DatenGrafikTest, CloseGivesTheTableBackAndStoresTheTitleTexts) {
  QStringList zeilen{"X;Y"};
  for (int i = 0; i < 5000; ++i) zeilen << QString("%1;%2").arg(i).arg(i);
  Laden("gross.csv", zeilen);
  g->edText1->setText("Versuchsreihe 4");
  g->close();
  EXPECT_EQ(g->sg1->RowCount(), 2);
  EXPECT_EQ(g->sg1->Cells(1, 1), QString());
  EXPECT_LT(g->sg1->table().memoryUsed(), 1024u);
  EXPECT_EQ(g->cbXKanal->count(), 0);
  EXPECT_EQ(g->Tag, 0);
  EXPECT_EQ(kolvex::TitelText1, "Versuchsreihe 4");
  EXPECT_TRUE(DateiLesen("einstKolvex.frb").contains("Versuchsreihe 4"));
}

TEST_F(DatenGrafikTest, LogoLoadsAndCanBeRemoved) {
  QImage bild(40, 20, QImage::Format_RGB32);
  bild.fill(Qt::red);
  ASSERT_TRUE(bild.save(Pfad("logo.png")));
  TfrGrafikApprox::BildDialogTestHook = [this] { return Pfad("logo.png"); };
  g->Image1Click();
  EXPECT_EQ(kolvex::LogoDatei, Pfad("logo.png").toStdString());
  EXPECT_FALSE(g->Image1->pixmap().isNull());
  TfrGrafikApprox::BildDialogTestHook = [] { return QString(); };
  meldungen.answerWith({MessageAnswer::No, MessageAnswer::Yes});
  g->Image1Click();
  EXPECT_FALSE(g->Image1->pixmap().isNull());
  g->Image1Click();
  EXPECT_EQ(Meldungen(), (QStringList{"Bild löschen?", "Bild löschen?"}));
  EXPECT_TRUE(kolvex::LogoDatei.empty());
  EXPECT_TRUE(g->Image1->pixmap().isNull());
}

// A logo the picture library cannot read: its message under the file's name, as the viewer
// shows it, and the logo shown before stays, also as the stored logo file.
TEST_F(DatenGrafikTest, DamagedLogoIsToldAndTheOldOneStays) {
  QImage bild(200, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) bild.setPixel(x, y, qRgb(x, y * 2, (x * y) % 256));
  ASSERT_TRUE(bild.save(Pfad("logo.png")));
  QFile ganz(Pfad("logo.png"));
  ASSERT_TRUE(ganz.open(QIODevice::ReadOnly));
  const QByteArray bytes = ganz.readAll();
  auto schreiben = [&](const QString& name, const QByteArray& inhalt) {
    QFile f(Pfad(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
  };
  schreiben("halb.png", bytes.left(bytes.size() / 2));
  schreiben("text.jpg", "kein jpeg, nur Text\n");
  QString gewaehlt = Pfad("logo.png");
  TfrGrafikApprox::BildDialogTestHook = [&] { return gewaehlt; };
  g->Image1Click();
  ASSERT_TRUE(meldungen.messages().empty());
  const QImage vorher = g->Image1->pixmap().toImage();
  ASSERT_FALSE(vorher.isNull());

  for (const auto& [datei, text] : {std::pair<QString, QString>{"halb.png", "Read less than expected"},
                                    {"text.jpg", "Not a JPEG file: starts with 0x6b 0x65"}}) {
    meldungen.clear();
    gewaehlt = Pfad(datei);
    g->Image1Click();
    ASSERT_EQ(meldungen.messages().size(), 1u) << datei.toStdString();
    EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
    EXPECT_EQ(Meldungen()[0], "Datei " + Pfad(datei) + " kann nicht gelesen werden.\r" + text);
    EXPECT_EQ(g->Image1->pixmap().toImage(), vorher) << datei.toStdString();
    EXPECT_EQ(kolvex::LogoDatei, Pfad("logo.png").toStdString());
  }

  // A stored logo damaged since: the window's activation says so and keeps the one shown.
  meldungen.clear();
  kolvex::LogoDatei = Pfad("halb.png").toStdString();
  ASSERT_TRUE(EinstellungenSpeichern());
  Laden("tabelle.csv", {"X;Y", "1;2"});
  EXPECT_EQ(Meldungen(), QStringList{"Datei " + Pfad("halb.png") +
                                     " kann nicht gelesen werden.\rRead less than expected"});
  EXPECT_EQ(g->Image1->pixmap().toImage(), vorher);
}

// ---- From the main window ---------------------------------------------------------------------

TEST_F(DatenGrafikTest, XyDataButtonOpensTheGraphModallyWithTheChosenTable) {
  DateiSchreiben("haupt.csv", {"a;b", "1;2", "3;4"});
  HauptfensterZeigen();
  frRechn->tbWerte->click();
  ASSERT_TRUE(frKonstante->isVisible());
  // Its activation must not come in later and press the button again.
  if (!AktivAbwarten(frKonstante)) frKonstante->FormActivate();
  QString angefangen;
  TfrGrafikApprox::OeffnenDialogTestHook = [&](DateiDialogDaten& d) {
    angefangen = d.FileName;
    d.FileName = Pfad("haupt.csv");
    d.FilterIndex = 5;
    return true;
  };
  bool hauptfensterVersteckt = false;
  int zeilen = 0;
  WennDann([&] { return frGrafikApprox->Tag == 1; }, [&] {
    hauptfensterVersteckt = !frRechn->isVisible();
    zeilen = frGrafikApprox->sg1->RowCount();
    frGrafikApprox->close();
  });
  frRechn->tbDiagrammClick();
  EXPECT_EQ(angefangen, QStringLiteral("*.dat"));
  EXPECT_FALSE(frKonstante->isVisible());
  EXPECT_FALSE(frRechn->tbWerte->isChecked());
  EXPECT_TRUE(hauptfensterVersteckt);
  EXPECT_EQ(zeilen, 3);
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_EQ(kolvex::DatenFilterIndex, 5);
  EXPECT_FALSE(frGrafikApprox->isVisible());

  // Cancelled: nothing opens.
  TfrGrafikApprox::OeffnenDialogTestHook = [](DateiDialogDaten&) { return false; };
  frRechn->tbDiagrammClick();
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_FALSE(frGrafikApprox->isVisible());
}

// The finished graph as the user sees it: three curves, legend, labels, title block. The
// picture goes to $KOLVEX_GRAB_DIR when set (for looking at it).
TEST_F(DatenGrafikTest, ThreeCurvesWithLegendAndTitleBlock) {
  QStringList zeilen{"Zeit [s];Weg [mm];Kraft [N];Temperatur [°C]"};
  for (int i = 0; i <= 40; ++i) {
    const double t = i * 0.25;
    zeilen << QString("%1;%2;%3;%4")
                  .arg(QString::fromStdString(kolvex::FloatText(t)))
                  .arg(QString::fromStdString(kolvex::FloatText(std::round(20 * std::sin(t / 2) * 100) / 100)))
                  .arg(QString::fromStdString(kolvex::FloatText(std::round((3 * t + 2) * 100) / 100)))
                  .arg(QString::fromStdString(kolvex::FloatText(std::round((25 - 1.5 * t) * 100) / 100)));
  }
  QImage logo(120, 80, QImage::Format_RGB32);
  logo.fill(QColor(30, 90, 160));
  {
    QPainter p(&logo);
    p.setPen(Qt::white);
    p.setFont(QFont("Sans", 28, QFont::Bold));
    p.drawText(logo.rect(), Qt::AlignCenter, "KLX");
  }
  ASSERT_TRUE(logo.save(Pfad("logo.png")));
  kolvex::LogoDatei = Pfad("logo.png").toStdString();
  ASSERT_TRUE(EinstellungenSpeichern());
  Laden("zugversuch.csv", zeilen);
  g->show();
  ASSERT_TRUE(GroesseSetzenUndAbwarten(g, QSize(1100, 750)));
  Kurve(1, 2);
  g->tbPlusClick();
  Kurve(1, 3);
  g->tbPlusClick();
  Kurve(1, 4);
  g->tbLegende->click();
  g->edText1->setText("Zugversuch Probe 12");
  g->edText2->setText("Labor 3, Prüfer: M. Keller");
  g->edText3->setText("Werkstoff S235");
  g->Chart1->replotNow();
  const QImage bild = g->grab().toImage();
  if (!qEnvironmentVariableIsEmpty("KOLVEX_GRAB_DIR")) {
    bild.save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("datagraph_legende.png"));
    g->tbLegende->click();
    g->Chart1->replotNow();
    g->grab().save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("datagraph_beschriftet.png"));
    g->tbPlusClick();
    g->grab().save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("datagraph_tabelle.png"));
  }
  EXPECT_EQ(g->ListBox1->count(), 3);
  EXPECT_EQ(g->plUnten->height(), 82);
  EXPECT_FALSE(g->Image1->pixmap().isNull());  // the stored logo came back
  // The axis captions sit inside the plot.
  const ChartRect r = g->Chart1->lastPlotRect();
  EXPECT_GE(g->lbDX->x(), r.left);
  EXPECT_LE(g->lbDX->x() + g->lbDX->width(), r.right);
  EXPECT_LE(g->lbDX->y() + g->lbDX->height(), r.bottom);
  EXPECT_GE(g->lbDY->y(), r.top);
}

// The user's way, with the program's real file dialogs: "XY-Daten in Diagramm", the table
// chosen in the dialog, columns picked with the mouse, two curves, "Werte speichern" under
// a name typed without extension with the text filter, and "Fenster schließen".
TEST_F(DatenGrafikTest, UserPathThroughTheRealDialogs) {
  DateiSchreiben("versuch.csv", {"Zeit;Weg;Kraft", "0;0;1", "1;2,5;3", "2;5;4,5"});
  kolvex::DatenPfad = QDir(Pfad("")).absolutePath().toStdString() + "/";
  HauptfensterZeigen();

  auto dateiDialog = [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); };
  auto eintippen = [](QFileDialog* d, const QString& text) {
    auto* feld = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(feld, nullptr);
    feld->setText(text);
    QTest::keyClick(feld, Qt::Key_Return);
  };
  // Whatever happens, nothing waits forever.
  QTimer notbremse;
  notbremse.setSingleShot(true);
  bool abgebrochen = false;
  QObject::connect(&notbremse, &QTimer::timeout, [&] {
    abgebrochen = true;
    while (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  notbremse.start(20000);

  QString titel;
  WennDann([&] { return dateiDialog() != nullptr; }, [&] {
    titel = dateiDialog()->windowTitle();
    eintippen(dateiDialog(), Pfad("versuch.csv"));
  });
  WennDann([&] { return QApplication::activeModalWidget() == frGrafikApprox && g->sg1->RowCount() == 4; },
         [&] {
           QHeaderView* kopf = g->sg1->horizontalHeader();
           auto spalte = [&](int c) {
             return QPoint(kopf->sectionViewportPosition(c) + 5, kopf->height() / 2);
           };
           QTest::mouseClick(kopf->viewport(), Qt::LeftButton, {}, spalte(1));
           QTest::mouseClick(kopf->viewport(), Qt::RightButton, {}, spalte(2));
           QTest::mouseClick(g->sbGrafik, Qt::LeftButton);
           g->tbPlus->click();
           QTest::mouseClick(kopf->viewport(), Qt::RightButton, {}, spalte(3));
           QTest::mouseClick(g->sbGrafik, Qt::LeftButton);
           WennDann([&] { return dateiDialog() != nullptr; }, [&] {
             QFileDialog* d = dateiDialog();
             auto* filter = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
             ASSERT_NE(filter, nullptr);
             QTest::keyClick(filter, Qt::Key_Down);  // the second filter, as a user picks it
             eintippen(d, Pfad("kurven"));
           });
           g->tbSpeichern->click();
           g->btExit->click();
         });
  QTest::mouseClick(frRechn->tbDiagramm, Qt::LeftButton);
  notbremse.stop();

  ASSERT_FALSE(abgebrochen);
  EXPECT_EQ(titel, QStringLiteral(" Öffnen Datei für XY-Diagramm"));
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_FALSE(g->isVisible());
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(QDir(Pfad("")).entryList({"kurven*"}), QStringList{"kurven.txt"});
  EXPECT_EQ(DateiLesen("kurven.txt"),
            (QStringList{"X\tversuch   Zeit : Weg\tversuch   Zeit : Kraft", "0\t0\t1", "1\t2,5\t3",
                         "2\t5\t4,5"}));
  EXPECT_EQ(kolvex::KanalY, "Kraft");
  EXPECT_TRUE(DateiLesen("einstKolvex.frb").contains("Kraft"));
}

// A header of very many fields: the table grows with the rows actually read instead of
// reserving every line for every column at once, and is trimmed to them.
TEST_F(DatenGrafikTest, VeryWideHeaderLoadsWithoutReservingEverything) {
  QStringList kopf;
  for (int c = 0; c < 70000; ++c) kopf << QString("K%1").arg(c);
  QStringList zeilen{kopf.join(';')};
  for (int i = 0; i < 3000; ++i) zeilen << QString("%1;%2;t%1").arg(i).arg(i + 1);
  Laden("breit.csv", zeilen);
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(g->sg1->ColCount(), 70001);
  EXPECT_EQ(g->sg1->RowCount(), 3001);
  EXPECT_EQ(g->sg1->Cells(2, 3000), QStringLiteral("3000"));
  EXPECT_EQ(g->sg1->Cells(3, 3000), QStringLiteral("t2999"));
  // Only the columns holding cells have a store of their own, and none keeps room for rows
  // it did not get.
  ValueTable genau;
  genau.copyFrom(g->sg1->table());
  EXPECT_EQ(g->sg1->table().memoryUsed(), genau.memoryUsed());
  EXPECT_LT(g->sg1->table().memoryUsed(), 4u * 1024 * 1024);
}

// A hostile header: a million fields "K;" (2 MB). Each costs a few bytes in the table, the
// channel boxes and the grid, not hundreds; the boxes still list every column.
TEST_F(DatenGrafikTest, HeaderOfAMillionFieldsCostsLittlePerField) {
  constexpr int kFelder = 1000000;
  QByteArray text;
  text.reserve(2 * kFelder + 16);
  for (int i = 0; i < kFelder; ++i) text += "K;";
  text += "\n1;2\n";
  BytesLaden("feindlich.csv", text);
  EXPECT_TRUE(Meldungen().isEmpty());
  const int spalten = kFelder + 2;  // "Nr", the fields and the empty last one
  ASSERT_EQ(g->sg1->ColCount(), spalten);
  EXPECT_EQ(g->sg1->RowCount(), 2);
  EXPECT_EQ(g->sg1->Cells(kFelder + 1, 0), QStringLiteral("K1000001"));
  EXPECT_EQ(g->sg1->Cells(2, 1), QStringLiteral("2"));
  ASSERT_EQ(g->cbXKanal->count(), spalten);
  EXPECT_EQ(g->cbYKanal->count(), spalten);
  EXPECT_EQ(g->cbXKanal->itemText(0), QStringLiteral("Nr"));
  EXPECT_EQ(g->cbYKanal->itemText(kFelder), QStringLiteral("K"));
  EXPECT_EQ(g->cbXKanal->itemText(kFelder + 1), QStringLiteral("K1000001"));
  EXPECT_EQ(g->lbTitel->text(), QStringLiteral("1000001 Kanäle  1 Werte Datei: "));
  // Bytes per field: the table 32 and the header text, the boxes' one list 4 and the text.
  EXPECT_LT(g->sg1->table().memoryUsed(), size_t{spalten} * 48);
  EXPECT_EQ(g->cbXKanal->model(), g->cbYKanal->model());
  EXPECT_LT(g->Kanaele->liste().speicher(), size_t{spalten} * 8);
  // Every column at the one width.
  EXPECT_EQ(g->sg1->columnWidth(kFelder), g->sg1->columnWidth(0));
  // The boxes pick a column as before.
  g->cbYKanal->setCurrentIndex(2);
  EXPECT_EQ(g->sg1->tableModel()->yChannel(), 2);
}

TEST_F(DatenGrafikTest, ActivationStepsRunOnShowingNotOnEveryActivation) {
  DateiSchreiben("a.csv", {"X;Y", "1;2"});
  g->OpenDialog1.FileName = Pfad("a.csv");
  g->show();
  ASSERT_TRUE(QTest::qWaitFor([this] { return g->Tag == 1; }));
  EXPECT_EQ(g->sg1->Cells(2, 1), QStringLiteral("2"));
  ASSERT_TRUE(QFile::remove(Pfad("a.csv")));
  // Coming back to the window from elsewhere does not load the (now missing) file again.
  g->activateWindow();
  AktivAbwarten(g);
  QEvent aktiv(QEvent::WindowActivate);
  QApplication::sendEvent(g, &aktiv);
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(g->sg1->Cells(2, 1), QStringLiteral("2"));

  // Shown again and a table loaded at once by hand: the activation that was due once the
  // window had painted does not load a table again in the middle of that load (its events
  // let through at every step).
  g->close();
  QStringList zeilen{"X;Y"};
  for (int i = 0; i < 5000; ++i) zeilen << QString("%1;%2").arg(i).arg(i);
  DateiSchreiben("b.csv", zeilen);
  g->OpenDialog1.FileName = Pfad("b.csv");
  int anfaenge = 0;
  TfrGrafikApprox::LadeTestHook = [&](int z) {
    if (z == 0) ++anfaenge;
    QCoreApplication::processEvents();
  };
  g->show();
  g->TextDateiLaden(Pfad("b.csv"));
  EXPECT_EQ(anfaenge, 1);
  EXPECT_EQ(g->sg1->RowCount(), 5001);
}

TEST_F(DatenGrafikTest, EscWhileAddingACurveKeepsThePointsSoFar) {
  QStringList zeilen{"X;Y"};
  for (int i = 1; i <= 5000; ++i) zeilen << QString("%1;%2").arg(i).arg(i);
  Laden("esc.csv", zeilen);
  EscWatcher::pressAfterPolls(0);
  Kurve(1, 2);
  EXPECT_EQ(g->ListBox1->count(), 1);
  EXPECT_EQ(g->Serien[0]->count(), 1000);
  EXPECT_EQ(kolvex::KurvenPunkte[1], 1000);
  EXPECT_EQ(kolvex::KurveMaxX[1], 1000);
  EXPECT_TRUE(g->plAbbruch->isHidden());
}

TEST_F(DatenGrafikTest, StoredScalingIsEditedInTheScalingDialogAndApplied) {
  Laden("s.csv", {"x;y", "0;0", "10;100"});
  Kurve(1, 2);
  ASSERT_EQ(g->Tag, 1);
  QStringList angezeigt;
  QTimer::singleShot(0, [&] {
    for (int c = 1; c <= 2; ++c)
      for (int r = 1; r <= 2; ++r) angezeigt << frSkal->sgSkal->Cells(c, r);
    frSkal->sgSkal->setCells(1, 1, QStringLiteral("-1"));
    frSkal->sgSkal->setCells(2, 2, QStringLiteral("12,5"));
    frSkal->sbSpeichernClick();
  });
  g->tbSkal_speichRechtsClick();
  // Empty stored limits show the current ones.
  EXPECT_EQ(angezeigt, (QStringList{"0", "100", "0", "10"}));
  EXPECT_EQ(kolvex::SkalYMin, "-1");
  EXPECT_EQ(kolvex::SkalXMax, "12,5");
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), -1);
  EXPECT_EQ(g->Chart1->maximum(ChartAxis::Bottom), 12.5);
  EXPECT_TRUE(DateiLesen("einstKolvex.frb").contains("12,5"));
  // The left button applies them again after an automatic scaling.
  g->tbAutom_SkalClick();
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), 0);
  g->tbSkal_speich->click();
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), -1);
}

TEST_F(DatenGrafikTest, ChannelsUsedLastArePreselected) {
  kolvex::KanalX = "Zeit";
  kolvex::KanalY = "Kraft";
  ASSERT_TRUE(EinstellungenSpeichern());  // the activation reads the settings afresh
  Laden("k.csv", {"Weg;Kraft;Zeit", "1;2;3"});
  EXPECT_EQ(g->cbXKanal->currentText(), QStringLiteral("Zeit"));
  EXPECT_EQ(g->cbYKanal->currentText(), QStringLiteral("Kraft"));
  EXPECT_EQ(g->sg1->tableModel()->xChannel(), 3);
  EXPECT_EQ(g->sg1->model()->data(g->sg1->model()->index(0, 2), Qt::BackgroundRole).value<QColor>(),
            colorFromBgr(0xFFCCEA));
  EXPECT_EQ(g->sg1->model()->data(g->sg1->model()->index(0, 0), Qt::BackgroundRole).value<QColor>(),
            QColor(Qt::white));
  // Absent channels: "Nr".
  kolvex::KanalX = "Druck";
  ASSERT_TRUE(EinstellungenSpeichern());
  Laden("k.csv", {"Weg;Kraft;Zeit", "1;2;3"});
  EXPECT_EQ(g->cbXKanal->currentIndex(), 0);
}

// Another program cuts the table short while it is being read: no crash, and the rows that
// were there when the reading began are all loaded.
TEST_F(DatenGrafikTest, TableCutShortWhileLoadingLosesNothingAndDoesNotCrash) {
  QByteArray text = "X;Y\n";
  constexpr int kZeilen = 200000;
  for (int i = 0; i < kZeilen; ++i) text += QByteArray::number(i) + ';' + QByteArray::number(2 * i) + '\n';
  QFile f(Pfad("wird_gekuerzt.csv"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  f.close();
  bool gekuerzt = false;
  TfrGrafikApprox::LadeTestHook = [&](int zeilen) {
    if (zeilen > 0 && !gekuerzt) gekuerzt = QFile::resize(Pfad("wird_gekuerzt.csv"), 0);
  };
  g->OpenDialog1.FileName = Pfad("wird_gekuerzt.csv");
  g->Aktivieren();
  EXPECT_TRUE(gekuerzt);
  EXPECT_EQ(g->sg1->RowCount(), kZeilen + 1);
  EXPECT_EQ(g->sg1->Cells(2, kZeilen), QString::number(2 * (kZeilen - 1)));
  EXPECT_TRUE(Meldungen().isEmpty());
}

// A long load from the main window: the main window steps aside, and before the first byte
// of the file is read the data graph is on the screen with its bar painted and "Mit
// ESC-Taste Abbruch"; while the rows come in the bar moves under the " Lesen " caption, and
// ESC ends the load with the rows read so far. Loaded again through "Datei laden", the bar is
// on the screen before the reading too (not the file dialog's leftovers). The load is held
// where it lets the events through, to look at the window. The picture of the window in
// the middle of the load goes to $KOLVEX_GRAB_DIR when set.
TEST_F(DatenGrafikTest, LongLoadShowsItsProgressInTheShownWindowAndStopsOnEsc) {
  constexpr int kZeilen = 5000;
  QByteArray text = "Zeit;Weg\n";
  for (int i = 0; i < kZeilen; ++i) text += QByteArray::number(i) + ';' + QByteArray::number(i % 977) + '\n';
  QFile f(Pfad("lang.csv"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  f.close();
  HauptfensterZeigen();
  TfrGrafikApprox::OeffnenDialogTestHook = [&](DateiDialogDaten& d) {
    d.FileName = Pfad("lang.csv");
    return true;
  };
  Maler balken;
  g->ProgressBar1->installEventFilter(&balken);
  struct Stand {
    int zeilen;
    bool hauptfenster, gezeigt, bar, tabelle;
    int gemalt;
    QString titel, hinweis;
    int wert;
  };
  std::vector<Stand> staende;
  int gemaltVorher = 0;
  TfrGrafikApprox::LadeTestHook = [&](int zeilen) {
    auto* hinweis = g->plAbbruch->findChild<QLabel*>(QStringLiteral("lbAbbruch"));
    staende.push_back(Stand{zeilen, frRechn->isVisible(),
                            g->isVisible() && g->windowHandle() && g->windowHandle()->isExposed(),
                            g->ProgressBar1->isVisible(), g->plTabelle->isVisible(), balken.anzahl - gemaltVorher,
                            g->windowTitle(), hinweis && hinweis->isVisible() ? hinweis->text() : QString(),
                            g->ProgressBar1->value()});
    if (zeilen == 0) return;
    if (!qEnvironmentVariableIsEmpty("KOLVEX_GRAB_DIR"))
      g->grab().save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("daten_laden.png"));
    QTest::keyClick(g, Qt::Key_Escape);
  };
  auto pruefen = [&](const char* weg) {
    SCOPED_TRACE(weg);
    // Held at the start and at the first thousand rows, where ESC came.
    ASSERT_EQ(staende.size(), 2u);
    for (const Stand& st : staende) {
      EXPECT_FALSE(st.hauptfenster);
      EXPECT_TRUE(st.gezeigt);
      EXPECT_TRUE(st.bar);
      EXPECT_FALSE(st.tabelle);
      EXPECT_GT(st.gemalt, 0) << st.zeilen;
      EXPECT_EQ(st.hinweis, QStringLiteral("Mit ESC-Taste Abbruch"));
    }
    EXPECT_EQ(staende[1].zeilen, 1000);
    EXPECT_EQ(staende[1].titel, QStringLiteral(" Lesen 1000"));
    EXPECT_EQ(staende[1].wert, 1000);
    EXPECT_EQ(g->sg1->RowCount(), 1001);
    EXPECT_EQ(g->lbTitel->text(), QStringLiteral("2 Kanäle  1000 Werte Datei: "));
    EXPECT_TRUE(Meldungen().isEmpty());
    EXPECT_TRUE(g->plAbbruch->isHidden());
    EXPECT_FALSE(g->plTabelle->isHidden());
    EXPECT_EQ(g->windowTitle(), QStringLiteral("  XY-Daten im Diagramm"));
  };
  // Shown from the main window; the load done, once more through "Datei laden".
  WennDann([this] { return g->Tag == 1; }, [&] {
    pruefen("gezeigt");
    staende.clear();
    gemaltVorher = balken.anzahl;
    g->sbLadenClick();
    pruefen("Datei laden");
    g->close();
  });
  frRechn->tbDiagrammClick();
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_FALSE(g->isVisible());
}

// ---- Values near the ends of the number range -------------------------------------------------

TEST_F(DatenGrafikTest, ValuesToTheEndsOfTheNumberRangeAreDrawnAndScaled) {
  QStringList zeilen{"x;y"};
  for (int i = 0; i <= 8; ++i) zeilen << QStringLiteral("%1;1E%2").arg(i).arg(300 + i);
  Laden("gross.csv", zeilen);
  g->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(g));
  Kurve(1, 2);  // Y up to 1E308
  Kurve(2, 1);  // X up to 1E308
  EXPECT_TRUE(Meldungen().isEmpty());
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), 0);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 1e308);
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Bottom), 0);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Bottom), 1e308);
  const ChartRect r = g->Chart1->plotRect();
  for (int s = 0; s < 2; ++s)
    for (int i = 0; i < g->Serien[s]->count(); ++i) {
      const QPoint p = g->WertZuPixel(g->Serien[s]->xValue(i), g->Serien[s]->yValue(i));
      EXPECT_TRUE(p.x() >= r.left && p.x() <= r.right && p.y() >= r.top && p.y() <= r.bottom)
          << s << " " << i << ": " << p.x() << ", " << p.y();
    }
  // The scaling dialog shows the limits as numbers, and they come back as they were.
  QTimer::singleShot(0, [] {
    EXPECT_EQ(frSkal->sgSkal->Cells(1, 2), QStringLiteral("1E308"));
    EXPECT_EQ(frSkal->sgSkal->Cells(2, 2), QStringLiteral("1E308"));
    frSkal->sgSkal->setCells(1, 1, QStringLiteral("-1E308"));
    frSkal->sbExitClick();
  });
  g->tbSkalierungClick();
  EXPECT_EQ(g->Chart1->minimum(ChartAxis::Left), -1e308);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 1e308);
  g->tbSkal_RundClick();
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Left), 1e308);
  EXPECT_DOUBLE_EQ(g->Chart1->maximum(ChartAxis::Bottom), 1e308);
  EXPECT_FALSE(g->Chart1->automatic(ChartAxis::Bottom));
  g->hide();
}

TEST_F(DatenGrafikTest, StraightLineFarOutIsFittedAsAStraightLine) {
  // y = x on x = 1E200 .. 1,9E200 and on 1E300 .. 1,9E300: the sums of x² lie beyond the
  // double range; the fitted line follows the points instead of lying flat at their mean.
  for (int hoch : {200, 300}) {
    QStringList zeilen{"x;y"};
    for (int i = 0; i < 10; ++i) zeilen << QStringLiteral("1,%1E%2;1,%1E%2").arg(i).arg(hoch);
    Laden(QStringLiteral("weit%1.csv").arg(hoch), zeilen);
    Kurve(1, 2);
    frApproxim->AuswahlSetzen(0);  // y = a1 + a2*x
    g->tbInterpolation->setChecked(true);
    g->ApproximationZeichnen();
    EXPECT_TRUE(Meldungen().isEmpty()) << Meldungen().join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(g->Chart1->overlayLines().size(), 1u) << hoch;
    const QVector<QPointF>& linie = g->Chart1->overlayLines()[0].points;
    ASSERT_EQ(linie.size(), 1000) << hoch;
    for (const QPointF& p : {linie.front(), linie[500], linie.back()}) EXPECT_NEAR(p.y() / p.x(), 1, 1e-9) << hoch;
    g->tbInterpolation->setChecked(false);
    g->AlleKurvenLoeschen();
  }
}
