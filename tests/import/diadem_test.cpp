// The import in the running program: a measurement loaded by the data graph, its messages,
// and the channel choice dialog on both roads to the data graph.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <QToolButton>

#include "calculator/einstell.h"
#include "core/globals.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "import/diadem.h"
#include "import/diadem_kauswahl.h"
#include "engines/import/kanal_tabelle.h"
#include "engines/messdaten.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "support/sichtbarer_text.h"

using messdaten::Kanal;

namespace {

// Runs the action once the window's modal run has begun.
void WennModal(Form* f, std::function<void()> aktion) {
  auto* t = new QTimer(f);
  t->setInterval(5);
  QObject::connect(t, &QTimer::timeout, f, [t, f, aktion = std::move(aktion)] {
    if (!f->isModalRunning()) return;
    t->stop();
    t->deleteLater();
    aktion();
  });
  t->start();
}

QStringList Liste(const std::vector<std::string>& z) {
  QStringList l;
  for (const std::string& s : z) l << QString::fromStdString(s);
  return l;
}

class ImportTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    g = frGrafikApprox;
    d = frDiaDemKAuswahl;
    ASSERT_TRUE(g && d && frDiaDem);
    TfrDiaDem::Optionen = {};
    TfrDiaDem::EscAbMs = 0;
    TfrDiaDemKAuswahl::DateiTestHook.clear();
  }
  void TearDown() override {
    TfrDiaDem::EscAbMs = 100;
    TfrDiaDem::Optionen = {};
    TfrDiaDemKAuswahl::DateiTestHook.clear();
    TfrGrafikApprox::OeffnenDialogTestHook = nullptr;
    FensterTest::TearDown();
  }

  void Bytes(const QString& name, const std::string& bytes) {
    QFile f(Pfad(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
  void Kopf(const QString& name, const std::vector<std::string>& zeilen) { DateiSchreiben(name, Liste(zeilen)); }
  void Laden(const QString& name) {
    g->OpenDialog1.FileName = Pfad(name);
    g->Aktivieren();
  }
  QStringList Zeile(int r) const {
    QStringList l;
    for (int c = 0; c < g->sg1->ColCount(); ++c) l << g->sg1->Cells(c, r);
    return l;
  }
  QStringList Items(QComboBox* cb) const {
    QStringList l;
    for (int i = 0; i < cb->count(); ++i) l << cb->itemText(i);
    return l;
  }
  QStringList Meldungen() const {
    QStringList l;
    for (const RecordedMessage& m : meldungen.messages()) l << m.text;
    return l;
  }
  // A measurement of an implicit time channel and two explicit ones, 3 values each.
  void Messung(const QString& basis = "messung") {
    Kopf(basis + ".DAT", messdaten::DatKopf({{"Zeit", 3, true, "0,5"}, {"Kraft", 3, false, "", "in N"}, {"Weg", 3}}));
    Bytes(basis + ".R64", messdaten::R64({1.5, 2, 3, 10, 20, 1e20}, true));
  }

  TfrGrafikApprox* g = nullptr;
  TfrDiaDemKAuswahl* d = nullptr;
};

}  // namespace

// ---- Loading through the data graph --------------------------------------------------------------

TEST_F(ImportTest, DatMeasurementFillsGridBoxesCommentsAndTitle) {
  Messung();
  Laden("messung.R64");  // a data file opens its header
  EXPECT_TRUE(Meldungen().isEmpty()) << Meldungen().join("|").toStdString();
  EXPECT_EQ(g->lbFName->text(), Pfad("messung.DAT"));
  ASSERT_EQ(g->sg1->ColCount(), 4);
  ASSERT_EQ(g->sg1->RowCount(), 4);
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "Zeit", "Kraft", "Weg"}));
  EXPECT_EQ(Zeile(1), (QStringList{"1", "0,5", "1,5", "10"}));
  EXPECT_EQ(Zeile(3), (QStringList{"3", "0,5", "3", "1E20"}));
  EXPECT_EQ(g->sg1->table().number(2, 1), 1.5);
  EXPECT_EQ(Items(g->cbXKanal), (QStringList{"Nr", "Zeit", "Kraft", "Weg"}));
  EXPECT_EQ(g->lbTitel->text(), QStringLiteral("3 Kanäle  3 Werte Datei: "));
  EXPECT_FALSE(g->cbKommentar->isHidden());
  EXPECT_EQ(g->sgK->Cells(0, 1), QStringLiteral(" 1"));
  EXPECT_EQ(g->sgK->Cells(1, 1), QStringLiteral("Versuch 3"));
  EXPECT_EQ(frDiaDem->Memo2, std::vector<std::string>{"Pruefstand"});
  EXPECT_TRUE(g->plAbbruch->isHidden());
  EXPECT_EQ(g->windowTitle(), QStringLiteral(" XY-Daten im Diagramm"));
  // The channel boxes' item i is grid column i.
  g->cbXKanal->setCurrentIndex(2);
  EXPECT_EQ(g->sg1->Cells(g->cbXKanal->currentIndex(), 0), QStringLiteral("Kraft"));
}

TEST_F(ImportTest, TdmMeasurementWithImplicitChannel) {
  const std::vector<std::string> kopf = {
      "<usi:tdm>",
      "<registercomments>#xpointer(id(\"c1\"))</registercomments>",
      "<tdm_comment id=\"c1\">",
      "<name>k</name>",
      "<text>Pr&uuml;fung &amp; Lauf</text>",
      "<channels>#xpointer(id(\"a\") id(\"b\") id(\"t\"))</channels>",
      "<tdm_channel id=\"a\">", "<name>A</name>", "<description>x</description>",
      "<string name=\"monotony\">increasing</string>",
      "<tdm_channel id=\"b\">", "<name>B</name>", "<description>y</description>",
      "<string name=\"monotony\">not monotone</string>",
      "<tdm_channel id=\"t\">", "<name>T</name>", "<description>z</description>",
      "<string name=\"monotony\">decreasing</string>",
      "<submatrices>#xpointer(id(\"s1\") id(\"s2\") id(\"s3\"))</submatrices>",
      "<submatrix id=\"s1\">", "<number_of_rows>2</number_of_rows>",
      "<submatrix id=\"s2\">", "<number_of_rows>2</number_of_rows>",
      "<submatrix id=\"s3\">", "<number_of_rows>2</number_of_rows>",
      "</usi:tdm>"};
  Kopf("lauf.TDM", kopf);
  Bytes("lauf.tdx", messdaten::R64({1, 2, 3, 4, 0.25}));
  Laden("lauf.TDX");
  EXPECT_TRUE(Meldungen().isEmpty()) << Meldungen().join("|").toStdString();
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "A", "B", "T"}));
  EXPECT_EQ(Zeile(1), (QStringList{"1", "1", "3", "0,25"}));
  EXPECT_EQ(Zeile(2), (QStringList{"2", "2", "4", "0,25"}));
  EXPECT_EQ(g->sgK->Cells(1, 1), QStringLiteral("Prüfung + Lauf"));
}

TEST_F(ImportTest, NoDataFileOrNoReaderLeavesTheHeaderRowOnly) {
  Messung();
  Laden("messung.DAT");
  ASSERT_EQ(g->sg1->RowCount(), 4);
  // A second header without its data file: its names, none of the old values.
  Kopf("zweite.DAT", messdaten::DatKopf({{"P", 3}, {"Q", 3}}));
  meldungen.clear();
  Laden("zweite.DAT");
  EXPECT_EQ(Meldungen(), QStringList{"Datei " + Pfad("zweite.R64") + " nicht gefunden"});
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  EXPECT_EQ(g->sg1->RowCount(), 1);
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "P", "Q"}));
  // Without code 214 the ".R64" file is looked for and no reader runs.
  std::vector<std::string> ohneTyp = messdaten::DatKopf({{"P", 3}});
  std::erase_if(ohneTyp, [](const std::string& z) { return z.starts_with("214"); });
  Kopf("ohne.DAT", ohneTyp);
  Bytes("ohne.R64", messdaten::R64({1, 2, 3}, true));
  meldungen.clear();
  Laden("ohne.DAT");
  EXPECT_TRUE(Meldungen().isEmpty());
  EXPECT_EQ(g->sg1->RowCount(), 1);
}

TEST_F(ImportTest, DataFileInOtherLetterCaseIsFound) {
  Messung();
  QFile::rename(Pfad("messung.R64"), Pfad("messung.r64"));
  Laden("messung.DAT");
  EXPECT_TRUE(Meldungen().isEmpty());
  EXPECT_EQ(g->sg1->RowCount(), 4);
}

// The message names the count the header declares, also beyond 32 bits.
TEST_F(ImportTest, IncompleteFileNamesTheDeclaredCount) {
  const int64_t riesig = int64_t{1} << 40;
  Kopf("riesig.DAT", messdaten::DatKopf({{"A", riesig}, {"B", riesig}}, "REAL32"));
  std::string bytes;
  for (int i = 1; i <= 100; ++i) bytes += messdaten::R32({static_cast<float>(i)});
  Bytes("riesig.R32", bytes);
  Laden("riesig.DAT");
  EXPECT_EQ(Meldungen(), QStringList{"Datei " + Pfad("riesig.R32") +
                                     " ist unvollständig: 100 von 2199023255552 Werten gelesen."});
  EXPECT_EQ(g->sg1->RowCount(), 101);
}

TEST_F(ImportTest, ShortUnreadableAndMissingFiles) {
  Kopf("kurz.DAT", messdaten::DatKopf({{"A", 4}, {"B", 4}}, "REAL32"));
  Bytes("kurz.R32", messdaten::R32({1, 2, 3}) + "\x01");
  Laden("kurz.DAT");
  EXPECT_EQ(Meldungen(), QStringList{"Datei " + Pfad("kurz.R32") + " ist unvollständig: 3 von 8 Werten gelesen."});
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  EXPECT_EQ(g->sg1->RowCount(), 4);
  EXPECT_EQ(Zeile(3), (QStringList{"3", "3", ""}));

  // A data "file" that cannot be read: the message with the system's reason, no values.
  Kopf("ordner.DAT", messdaten::DatKopf({{"A", 2}}, "REAL32"));
  ASSERT_TRUE(QDir(Pfad("")).mkdir("ordner.R32"));
  meldungen.clear();
  Laden("ordner.DAT");
  ASSERT_EQ(Meldungen().size(), 1);
  EXPECT_TRUE(Meldungen()[0].startsWith("Datei " + Pfad("ordner.R32") + " kann nicht gelesen werden.\r"));
  EXPECT_GT(Meldungen()[0].size(), ("Datei " + Pfad("ordner.R32") + " kann nicht gelesen werden.\r").size());
  EXPECT_EQ(g->sg1->RowCount(), 1);

  // A header that cannot be read loads nothing: the table stays as it was.
  ASSERT_TRUE(QDir(Pfad("")).mkdir("kopf.DAT"));
  Laden("kurz.DAT");
  meldungen.clear();
  Laden("kopf.DAT");
  ASSERT_EQ(Meldungen().size(), 1);
  EXPECT_TRUE(Meldungen()[0].startsWith("Datei " + Pfad("kopf.DAT") + " kann nicht gelesen werden."));
  EXPECT_EQ(g->sg1->RowCount(), 4);

  // A missing header: its message, then the data file's.
  meldungen.clear();
  Laden("fehlt.DAT");
  EXPECT_EQ(Meldungen(), (QStringList{Pfad("fehlt.DAT") + " nicht gefunden", "Datei " + Pfad("fehlt.R64") + " nicht gefunden"}));
}

TEST_F(ImportTest, MemoryFailureKeepsWhatWasReadAndRestoresTheWindow) {
  Kopf("gross.DAT", messdaten::DatKopf({{"A", 10}}, "REAL48"));
  Bytes("gross.R48", messdaten::R48({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  TfrDiaDem::Optionen.block = 1;
  TfrDiaDem::Optionen.speicherFehlerNach = 4;
  Laden("gross.DAT");
  EXPECT_EQ(Meldungen(), QStringList{"Speicher-Fehler.\rEinstellung: XY-Daten von DiaDem mit Kanalauswahl. "
                                     "Lesen jede 10 oder 100 Wert."});
  EXPECT_EQ(g->sg1->RowCount(), 5);
  EXPECT_EQ(g->sg1->Cells(1, 4), QStringLiteral("4"));
  EXPECT_TRUE(g->plAbbruch->isHidden());
  EXPECT_FALSE(g->plTabelle->isHidden());
  EXPECT_EQ(g->windowTitle(), QStringLiteral(" XY-Daten im Diagramm"));
}

TEST_F(ImportTest, MemoryFailureWhileReadingChosenChannelsKeepsTheirRows) {
  Messung();
  TfrDiaDemKAuswahl::DateiTestHook = Pfad("messung.DAT");
  d->FormShow();
  d->sg1->setCells(3, 2, "X");
  d->sg1->setCells(3, 3, "X");
  d->Tag = 1;
  TfrDiaDem::Optionen.block = 1;
  TfrDiaDem::Optionen.speicherFehlerNach = 4;
  Laden("messung.DAT");
  ASSERT_EQ(Meldungen().size(), 1);
  EXPECT_TRUE(Meldungen()[0].startsWith("Speicher-Fehler."));
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "Kraft", "Weg"}));
  EXPECT_EQ(Zeile(1), (QStringList{"1", "1,5", "10"}));
  EXPECT_EQ(g->sg1->RowCount(), 4);
  EXPECT_EQ(Zeile(3), (QStringList{"3", "3", ""}));
  EXPECT_TRUE(g->plAbbruch->isHidden());
  d->Tag = 0;
}

TEST_F(ImportTest, EscStopsTheReadingAndKeepsTheValuesRead) {
  Kopf("lang.DAT", messdaten::DatKopf({{"A", 100}}, "REAL32"));
  std::string bytes;
  for (int i = 1; i <= 100; ++i) bytes += messdaten::R32({static_cast<float>(i)});
  Bytes("lang.R32", bytes);
  TfrDiaDem::Optionen.block = 1;
  EscWatcher::pressAfterPolls(9);
  Laden("lang.DAT");
  EXPECT_TRUE(Meldungen().isEmpty());  // stopped by the user: no "unvollständig"
  EXPECT_EQ(g->sg1->RowCount(), 11);
}

TEST_F(ImportTest, GarbageHeadersLoadWithoutHarm) {
  std::string muell;
  for (int i = 0; i < 4000; ++i) muell.push_back(static_cast<char>((i * 7919) % 256));
  Bytes("muell.DAT", muell);
  Bytes("muell.TDM", "<channels>id(\"\") id(\"x\")\n<x\n" + muell);
  Bytes("muell.R64", muell);
  Bytes("muell.tdx", muell);
  Laden("muell.DAT");
  Laden("muell.TDM");
  EXPECT_GE(g->sg1->RowCount(), 1);
}

// ---- The channel choice ----------------------------------------------------------------------------

namespace {

QString Wahl(TfrDiaDemKAuswahl* d, int r) { return d->sg1->Cells(3, r); }

}  // namespace

TEST_F(ImportTest, ChoiceListsChannelsAndAppliesTheSavedMask) {
  Kopf("m.DAT", messdaten::DatKopf({{"T", 3, true}, {"A", 3, false, "", "erste"}, {"B", 3}}, "REAL64", true));
  kolvex::KanalWahlMaske = "X-XXXX";  // longer than the grid's rows
  kolvex::LeseIntervall = "2";
  TfrDiaDemKAuswahl::DateiTestHook = Pfad("m.DAT");
  d->FormShow();
  EXPECT_TRUE(Meldungen().isEmpty());  // no "Block-Format" box
  EXPECT_EQ(d->windowTitle(), QStringLiteral(" DiaDem .DAT BLOCK   Kanal Auswahl"));
  EXPECT_EQ(d->sg1->RowCount(), 4);
  EXPECT_EQ(d->sg1->Cells(3, 0), QStringLiteral("Wahl"));
  EXPECT_EQ(d->sg1->Cells(1, 2), QStringLiteral("A"));
  EXPECT_EQ(d->sg1->Cells(2, 2), QStringLiteral("erste"));
  EXPECT_EQ(Wahl(d, 1), QStringLiteral("K"));
  EXPECT_EQ(Wahl(d, 2), QStringLiteral("X"));
  EXPECT_EQ(Wahl(d, 3), QString());
  EXPECT_EQ(d->lbKZahl->text(), QStringLiteral("Anzahl Kanäle: 3"));
  EXPECT_EQ(d->lbWZahl->text(), QStringLiteral("Anzahl Werte: 3"));
  EXPECT_EQ(d->LeseGesamt, 3);
  EXPECT_EQ(d->edInterval->text(), QStringLiteral("2"));
  EXPECT_EQ(d->AnzahlGewaehlt(), 1);

  // The CHANNEL caption; a text table lists its grid's columns, "Nr" first.
  Kopf("c.DAT", messdaten::DatKopf({{"A", 3}}));
  TfrDiaDemKAuswahl::DateiTestHook = Pfad("c.DAT");
  d->FormShow();
  EXPECT_EQ(d->windowTitle(), QStringLiteral(" DiaDem .DAT CHANEL  Kanal Auswahl"));
  DateiSchreiben("t.xyz", {"u\tv", "1\t2", "3\t4"});
  TfrDiaDemKAuswahl::DateiTestHook = Pfad("t.xyz");
  d->FormShow();
  EXPECT_EQ(d->windowTitle(), QStringLiteral(" XYZ  Kanal Auswahl"));
  EXPECT_EQ(d->sg1->Cells(1, 1), QStringLiteral("Nr"));
  EXPECT_EQ(d->sg1->Cells(1, 3), QStringLiteral("v"));
  EXPECT_EQ(d->lbKZahl->text(), QStringLiteral("Anzahl Kanäle: 3"));
  EXPECT_EQ(d->lbWZahl->text(), QStringLiteral("Anzahl Werte: 3"));
}

TEST_F(ImportTest, ChoiceShowsTheWholeIntervalAndFitsTheScreen) {
  Kopf("m.DAT", messdaten::DatKopf({{"A", 5000}, {"B", 5000}}));
  kolvex::LeseIntervall = "1000";
  TfrDiaDemKAuswahl::DateiTestHook = Pfad("m.DAT");
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  EXPECT_EQ(SichtbarerText(d->edInterval), QStringLiteral("1000"));
  // 870 high, on a test screen of 800: cut to the screen, with its buttons on it.
  const QRect frei = d->screen()->availableGeometry();
  EXPECT_TRUE(frei.contains(d->frameGeometry()));
  EXPECT_TRUE(d->rect().contains(d->sbWeiter->mapTo(d, d->sbWeiter->rect().bottomRight())));
  d->hide();
}

TEST_F(ImportTest, ChoiceClicksIntervalAndButtons) {
  Kopf("m.DAT", {"x", "200,T", "210,IMPLICIT", "220,50", "200,A", "220,50", "250,-2", "251,8,5", "200,B",
                 "220,50", "214,REAL64", "x"});
  kolvex::KanalWahlMaske.clear();
  TfrDiaDemKAuswahl::DateiTestHook = Pfad("m.DAT");
  d->show();
  d->FormShow();
  // The "Wahl" header: all selectable rows, then none; "K" stays.
  d->sg1KopfKlick(3);
  EXPECT_EQ(d->AnzahlGewaehlt(), 2);
  EXPECT_EQ(Wahl(d, 1), QStringLiteral("K"));
  d->sg1KopfKlick(3);
  EXPECT_EQ(d->AnzahlGewaehlt(), 0);
  d->sg1KopfKlick(1);
  EXPECT_EQ(d->AnzahlGewaehlt(), 0);
  // A real press on the header section goes the same way.
  QTest::mouseClick(d->sg1->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(d->sg1->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
  EXPECT_EQ(d->AnzahlGewaehlt(), 2);
  d->sg1KopfKlick(3);

  // A click on a choice cell toggles it and shows the channel's details.
  d->sg1Click(3, 2);
  EXPECT_EQ(Wahl(d, 2), QStringLiteral("X"));
  EXPECT_FALSE(d->plKanal->isHidden());
  EXPECT_EQ(d->lbKanal->text(), QStringLiteral("A  "));
  EXPECT_EQ(d->lbKanalMin->text(), QStringLiteral("-2"));
  EXPECT_EQ(d->lbKanalMax->text(), QStringLiteral("8,5"));
  d->sg1Click(3, 1);  // "K" cannot be chosen
  EXPECT_EQ(Wahl(d, 1), QStringLiteral("K"));

  // Interval bounds.
  for (auto [ein, aus] : {std::pair{"0", "1"}, {"abc", "1"}, {"500", "50"}, {"7", "7"}}) {
    d->edInterval->setText(ein);
    d->IntervallPruefen();
    EXPECT_EQ(d->edInterval->text(), QString(aus)) << ein;
  }

  // "Weiter" without a choice stays; with one it stores the mask and the interval.
  d->sg1Click(3, 2);
  d->Tag = 0;
  d->sbWeiterClick();
  EXPECT_EQ(Meldungen(), QStringList{"Kanäle auswählen"});
  EXPECT_TRUE(d->isVisible());
  d->sg1Click(3, 3);
  d->edInterval->setText("abc");
  d->sbWeiterClick();
  EXPECT_EQ(d->Tag, 1);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(kolvex::KanalWahlMaske, "-X");
  const QStringList datei = DateiLesen("einstKolvex.frb");
  ASSERT_GE(datei.size(), 91);
  EXPECT_EQ(datei[89], QStringLiteral("1"));
  EXPECT_EQ(datei[90], QStringLiteral("-X"));
  d->show();
  d->sbExitClick();
  EXPECT_EQ(d->Tag, 0);
  EXPECT_FALSE(d->isVisible());
}

TEST_F(ImportTest, IntervalLineIsReadAtStartAndWrittenFromTheEdit) {
  EinstellungenSpeichern();
  QStringList z = DateiLesen("einstKolvex.frb");
  ASSERT_EQ(z.size(), 92);
  z[89] = "10";
  z[90] = "XX-";
  DateiSchreiben("einstKolvex.frb", z);
  Neustart();
  ASSERT_NE(frDiaDemKAuswahl, nullptr);
  EXPECT_EQ(frDiaDemKAuswahl->edInterval->text(), QStringLiteral("10"));
  frDiaDemKAuswahl->edInterval->setText("25");
  EinstellungenSpeichern();
  EXPECT_EQ(DateiLesen("einstKolvex.frb")[89], QStringLiteral("25"));
  EXPECT_EQ(DateiLesen("einstKolvex.frb")[90], QStringLiteral("XX-"));
}

TEST_F(ImportTest, LoadThroughTheChoiceIntoTheGrid) {
  Kopf("m.DAT", messdaten::DatKopf({{"T", 10, true}, {"A", 10}, {"B", 10}}));
  std::string bytes;
  for (int i = 0; i < 20; ++i) bytes += messdaten::R64({i == 13 ? 999999999999999.0 : i * 1.0}, true);
  Bytes("m.R64", bytes);
  kolvex::XYDatenKanalAuswahl = true;
  kolvex::KanalWahlMaske = "-X";
  TfrGrafikApprox::OeffnenDialogTestHook = [this](DateiDialogDaten& dd) {
    dd.FileName = Pfad("m.R64");
    return true;
  };
  bool gesehen = false;
  WennModal(d, [&] {
    gesehen = d->isVisible() && !g->isVisible();
    d->edInterval->setText("3");
    d->sbWeiterClick();
  });
  g->show();
  g->sbLadenClick();
  EXPECT_TRUE(gesehen);
  EXPECT_EQ(d->Tag, 1);
  EXPECT_TRUE(g->isVisible());
  EXPECT_TRUE(Meldungen().isEmpty()) << Meldungen().join("|").toStdString();
  ASSERT_EQ(g->sg1->ColCount(), 2);
  ASSERT_EQ(g->sg1->RowCount(), 5);
  EXPECT_EQ(Zeile(0), (QStringList{"Nr", "B"}));
  EXPECT_EQ(Zeile(1), (QStringList{"1  (1)", "10"}));
  EXPECT_EQ(Zeile(2), (QStringList{"2  (4)", ""}));  // the marker: empty, the row stays
  EXPECT_EQ(Zeile(4), (QStringList{"4  (10)", "19"}));
  EXPECT_EQ(Items(g->cbXKanal), (QStringList{"Nr", "B"}));
  EXPECT_TRUE(g->sbGrafik->isEnabled());

  // Exit leaves the table; switching the choice off reads every channel again.
  Messung("zwei");
  TfrGrafikApprox::OeffnenDialogTestHook = [this](DateiDialogDaten& dd) {
    dd.FileName = Pfad("zwei.DAT");
    return true;
  };
  WennModal(d, [&] { d->sbExitClick(); });
  kolvex::XYDatenKanalAuswahl = true;
  g->sbLadenClick();
  EXPECT_EQ(d->Tag, 0);
  EXPECT_EQ(g->sg1->ColCount(), 2);
  kolvex::XYDatenKanalAuswahl = false;
  g->sbLadenClick();
  EXPECT_EQ(g->sg1->ColCount(), 4);
  g->hide();
}

TEST_F(ImportTest, MainWindowRoadAsksForTheChoiceWhenSwitchedOn) {
  Messung();
  HauptfensterZeigen();  // its show handler copies the settings into the dialog
  frEinstell->cbXYDatenKAuswahl->setChecked(true);
  TfrGrafikApprox::OeffnenDialogTestHook = [this](DateiDialogDaten& dd) {
    dd.FileName = Pfad("messung.R64");
    return true;
  };
  d->Tag = 1;
  d->plKanal->show();
  int choice = 0;
  bool panelHidden = false;
  WennModal(d, [&] {
    ++choice;
    panelHidden = d->plKanal->isHidden();
    d->sbExitClick();
  });
  frRechn->tbDiagrammClick();
  EXPECT_EQ(choice, 1);
  EXPECT_TRUE(panelHidden);
  EXPECT_FALSE(g->isVisible());  // Exit: the data graph is not shown
  EXPECT_TRUE(frRechn->isVisible());
  // A ".CSV" never asks.
  DateiSchreiben("t.csv", {"a;b", "1;2"});
  TfrGrafikApprox::OeffnenDialogTestHook = [this](DateiDialogDaten& dd) {
    dd.FileName = Pfad("t.csv");
    return true;
  };
  WennModal(g, [&] { g->close(); });
  frRechn->tbDiagrammClick();
  EXPECT_EQ(choice, 1);
}
