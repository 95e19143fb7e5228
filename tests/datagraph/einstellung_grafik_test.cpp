// The data graph's settings dialog: its 93-line file (round trip, short and damaged files),
// applying the settings to a chart's Series1..Series20, the colour choice with its own
// custom-colour list, and the buttons.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <memory>

#include "calculator/einstell.h"
#include "core/globals.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "platform/chart_view.h"
#include "platform/text_combo.h"
#include "support/fenster_fixture.h"

using kolvex::DiagrammPfad;
using kolvex::GrafikFarben;

[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class EinstellungGrafikTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    d = frEinstellung_Grafik;
    ASSERT_NE(d, nullptr);
    // Each test chooses its own chart; the data graph's stays untouched.
    d->Zieldiagramm = nullptr;
  }
  void TearDown() override {
    // A restart inside the test made the windows anew.
    if (frEinstellung_Grafik && frGrafikApprox) frEinstellung_Grafik->Zieldiagramm = frGrafikApprox->Chart1;
    KolvexFarbDialog::setTestHook({});
    TfrEinstellung_Grafik::SpeichernDialogTestHook = {};
    TfrEinstellung_Grafik::LadenDialogTestHook = {};
    FensterTest::TearDown();
  }

  // A chart as the data graph has it: Series1..Series20, each with a point and its own
  // colour, plus a series of another name that the settings must leave alone.
  ChartView* Diagramm() {
    if (!chart_) {
      chart_ = std::make_unique<ChartView>();
      // Out of order on purpose: the series are found by name, not by position.
      for (int i = 20; i >= 1; --i) {
        ChartSeries* s = chart_->addSeries(QStringLiteral("Series") + QString::number(i));
        s->setColor(QColor(10 * i, 0, 0));
        s->addXY(i, i);
      }
      chart_->addSeries(QStringLiteral("Fit1"));
    }
    return chart_.get();
  }
  ChartSeries* Serie(const QString& name) {
    for (int k = 0; k < Diagramm()->seriesCount(); ++k)
      if (Diagramm()->series(k)->objectName() == name) return Diagramm()->series(k);
    return nullptr;
  }
  ChartSeries* Serie(int i) { return Serie(QStringLiteral("Series") + QString::number(i)); }

  QString Standard() const { return Pfad("EinstellungGr.txx"); }

  TfrEinstellung_Grafik* d = nullptr;

 private:
  std::unique_ptr<ChartView> chart_;
};

// ---- The file --------------------------------------------------------------------------------

TEST_F(EinstellungGrafikTest, OhneDateiSchreibtSieDieVorgabenDesLayouts) {
  DiagrammPfad = "/bilder/";
  const QStringList z = d->EinstellungsZeilen();
  ASSERT_EQ(z.size(), 93);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(z[i], "");
  EXPECT_EQ(z[6], "16711680");
  EXPECT_EQ(z[7], "255");
  EXPECT_EQ(z[15], "8421376");
  EXPECT_EQ(z[16], "15762555");
  EXPECT_EQ(z[25], "19351");
  EXPECT_EQ(z[26], "Circle");
  EXPECT_EQ(z[34], "DiagCross");
  EXPECT_EQ(z[35], "Circle");  // curve 10
  EXPECT_EQ(z[45], "Circle");
  EXPECT_EQ(z[46], "Solid");
  EXPECT_EQ(z[66], "2");
  EXPECT_EQ(z[85], "2");
  EXPECT_EQ(z.mid(86, 5), QStringList({"TRUE", "TRUE", "TRUE", "2", "1"}));
  EXPECT_EQ(z[91], "");
  EXPECT_EQ(z[92], "/bilder/");
  EXPECT_EQ(d->windowTitle(), "Einstellung");
  EXPECT_EQ(d->lbIncY1->text(), "0,1");
}

TEST_F(EinstellungGrafikTest, DateiKommtUnveraendertZurueckAuchMitFremdenTexten) {
  GrafikFarben[4] = 123456;
  GrafikFarben[20] = -16777201;  // a system colour of an old file
  d->cbPunkt(3)->setText("Star");
  d->cbPunkt(12)->setText("Square");   // not a style: kept as it stands
  d->cbLinie(5)->setText("Dot");
  d->cbStaerke(7)->setText("9");
  d->cbStaerke(8)->setText("");
  d->cbStaerke(9)->setText("dick");
  d->cbPkt_Farbe->setChecked(false);
  d->UpD_PktG->setValue(11);
  d->UpD_IncY1->setValue(7);
  DiagrammPfad = "/home/nutzer/Bilder/Größe/";
  const QStringList vorher = d->EinstellungsZeilen();
  d->EinstellungSpeichern(Pfad("eigen.ttx"));
  EXPECT_EQ(DateiLesen("eigen.ttx"), vorher);

  // Everything elsewhere, then the file back.
  Neustart();
  d = frEinstellung_Grafik;
  DiagrammPfad = "/anders/";
  EXPECT_EQ(d->cbPunkt(3)->text(), "Triangle");
  d->EinstellungLaden(Pfad("eigen.ttx"));
  EXPECT_EQ(d->EinstellungsZeilen(), vorher);
  EXPECT_EQ(GrafikFarben[4], 123456);
  EXPECT_EQ(GrafikFarben[20], -16777201);
  EXPECT_EQ(DiagrammPfad, "/home/nutzer/Bilder/Größe/");
  EXPECT_EQ(d->lbPkt_G->text(), "11");
  EXPECT_EQ(d->lbIncY1->text(), "0,7");
  EXPECT_EQ(d->plF(4)->farbe(), 123456);
  EXPECT_TRUE(meldungen.messages().empty());
}

// A TAB or line break in a text of the file (a folder's name may hold one) is written as a
// blank: the file keeps its 93 lines through a restart, and the next save writes the same
// bytes.
TEST_F(EinstellungGrafikTest, ZeilenumbruchImBildordnerBleibtInSeinerZeile) {
  DiagrammPfad = "/home/nutzer/Neuer\nOrdner/";
  d->cbPunkt(12)->setText("Square\t2");
  ASSERT_TRUE(d->EinstellungSchreiben(Pfad("eigen.ttx")));
  const QByteArray erste = DateiBytes("eigen.ttx");
  EXPECT_EQ(DateiLesen("eigen.ttx").size(), 93);
  Neustart();
  d = frEinstellung_Grafik;
  d->EinstellungLaden(Pfad("eigen.ttx"));
  EXPECT_EQ(DiagrammPfad, "/home/nutzer/Neuer Ordner/");
  EXPECT_EQ(d->cbPunkt(12)->text(), "Square 2");
  ASSERT_TRUE(d->EinstellungSchreiben(Pfad("eigen.ttx")));
  EXPECT_EQ(DateiBytes("eigen.ttx"), erste);
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(EinstellungGrafikTest, BeimStartLiestSieEinstellungGrTxx) {
  QStringList z = d->EinstellungsZeilen();
  z[6] = "42";        // colour 1
  z[27] = "Diamond";  // cb2
  z[88] = "FALSE";    // Punkt Linie
  DateiSchreiben("EinstellungGr.txx", z);
  Neustart();
  EXPECT_EQ(GrafikFarben[1], 42);
  EXPECT_EQ(frEinstellung_Grafik->cb2->text(), "Diamond");
  EXPECT_FALSE(frEinstellung_Grafik->cbPkt_Linie->isChecked());
  EXPECT_TRUE(frEinstellung_Grafik->cbPkt_Farbe->isChecked());
}

TEST_F(EinstellungGrafikTest, ZweiundneunzigZeilenLassenDenBildordnerStehen) {
  QStringList z = d->EinstellungsZeilen();
  z[90] = "4";
  z.removeLast();
  ASSERT_EQ(z.size(), 92);
  DateiSchreiben("alt.ttx", z);
  DiagrammPfad = "/bleibt/";
  d->EinstellungLaden(Pfad("alt.ttx"));
  EXPECT_EQ(DiagrammPfad, "/bleibt/");
  EXPECT_EQ(d->UpD_IncY1->value(), 4);
  // Without line 92 as well: still complete.
  z.removeLast();
  z[90] = "5";
  DateiSchreiben("alt.ttx", z);
  d->EinstellungLaden(Pfad("alt.ttx"));
  EXPECT_EQ(d->UpD_IncY1->value(), 5);
  EXPECT_EQ(DiagrammPfad, "/bleibt/");
  EXPECT_TRUE(meldungen.messages().empty());
  // An empty line 93 is a folder too (none).
  z << "" << "";
  DateiSchreiben("alt.ttx", z);
  d->EinstellungLaden(Pfad("alt.ttx"));
  EXPECT_EQ(DiagrammPfad, "");
}

TEST_F(EinstellungGrafikTest, FehlendeDateiSetztNurDieFarbenZurueck) {
  GrafikFarben[2] = 7;
  d->cbPunkt(2)->setText("Star");
  d->UpD_PktG->setValue(9);
  d->EinstellungLaden(Pfad("gibtsnicht.ttx"));
  EXPECT_EQ(GrafikFarben[2], 255);
  EXPECT_EQ(d->plF(2)->farbe(), 255);
  EXPECT_EQ(d->cbPunkt(2)->text(), "Star");
  EXPECT_EQ(d->UpD_PktG->value(), 9);
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(EinstellungGrafikTest, KaputteDateiWarntMitNameUndZeileUndBehaeltDasGelesene) {
  QStringList z = d->EinstellungsZeilen();
  z[6] = "1";
  z[7] = "2";
  z[8] = "3";
  z[9] = "rot";  // line 10: colour 4
  z[26] = "Star";
  DateiSchreiben("kaputt.ttx", z);
  d->EinstellungLaden(Pfad("kaputt.ttx"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  const RecordedMessage& m = meldungen.messages()[0];
  EXPECT_EQ(m.kind, MessageKind::Warning);
  EXPECT_TRUE(m.text.contains(Pfad("kaputt.ttx"))) << m.text.toStdString();
  EXPECT_TRUE(m.text.contains("Zeile 10")) << m.text.toStdString();
  EXPECT_TRUE(m.text.contains("\"rot\"")) << m.text.toStdString();
  EXPECT_EQ(GrafikFarben[3], 3);
  EXPECT_EQ(GrafikFarben[4], 16776960);  // the default stays from there on
  EXPECT_EQ(d->plF(3)->farbe(), 3);
  EXPECT_EQ(d->cbPunkt(1)->text(), "Circle");  // not reached

  // A file that ends early: what it holds is taken, the rest stays as it was.
  meldungen.clear();
  d->cbPunkt(20)->setText("Star");
  d->cpPkt_Verbinden->setChecked(true);
  z = d->EinstellungsZeilen().mid(0, 40);
  z[26] = "Diamond";
  DateiSchreiben("kurz.ttx", z);
  d->EinstellungLaden(Pfad("kurz.ttx"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_TRUE(meldungen.messages()[0].text.contains("Zeile 41")) << meldungen.messages()[0].text.toStdString();
  EXPECT_EQ(d->cbPunkt(1)->text(), "Diamond");
  EXPECT_EQ(d->cbPunkt(20)->text(), "Star");
  EXPECT_TRUE(d->cpPkt_Verbinden->isChecked());

  // A number beyond 32 bits is no number either; an empty file ends before its first line.
  meldungen.clear();
  z = d->EinstellungsZeilen();
  z[89] = "99999999999";
  DateiSchreiben("gross.ttx", z);
  d->EinstellungLaden(Pfad("gross.ttx"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_TRUE(meldungen.messages()[0].text.contains("Zeile 90"));
  // A stray file of other content: the warning quotes only the start of its line.
  meldungen.clear();
  z[6] = QString(5000, QChar(u'x'));
  DateiSchreiben("fremd.ttx", z);
  d->EinstellungLaden(Pfad("fremd.ttx"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_LT(meldungen.messages()[0].text.size(), 300);
  meldungen.clear();
  DateiSchreiben("leer.ttx", {});
  d->EinstellungLaden(Pfad("leer.ttx"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_TRUE(meldungen.messages()[0].text.contains("Zeile 1:"));
}

TEST_F(EinstellungGrafikTest, DateiInAnsiUndMitCRLFWirdGelesen) {
  QStringList z = d->EinstellungsZeilen();
  z[92] = "C:\\Bilder\\Größe\\";
  QFile f(Pfad("ansi.ttx"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  for (const QString& zeile : z) f.write(zeile.toLatin1() + "\r\n");
  f.close();
  d->EinstellungLaden(Pfad("ansi.ttx"));
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(DiagrammPfad, "C:\\Bilder\\Größe\\");
}

TEST_F(EinstellungGrafikTest, UnschreibbareDateiWarntUndSpeichernSchliesstDannNicht) {
  QDir().mkdir(Pfad("EinstellungGr.txx"));  // a folder where the file should go
  d->show();
  meldungen.answerWith({MessageAnswer::Yes});
  d->sbSpeichern->click();
  ASSERT_EQ(meldungen.messages().size(), 2u);
  EXPECT_EQ(meldungen.messages()[1].kind, MessageKind::Warning);
  EXPECT_TRUE(d->isVisible());
  d->hide();
}

// ---- Applying to the chart -------------------------------------------------------------------

TEST_F(EinstellungGrafikTest, UebernehmenSetztDieZwanzigSerienUndLaesstAndereInRuhe) {
  ChartView* chart = Diagramm();
  ChartSeries* fit = Serie("Fit1");
  const int fitGroesse = fit->pointerSize();
  d->Zieldiagramm = chart;
  QSignalSpy increment(d, &TfrEinstellung_Grafik::IncrementYGeaendert);
  d->cbPunkt(2)->setText("Rectangle");
  d->cbPunkt(12)->setText("Square");
  d->cbPunkt(19)->setText("DiagCross");
  d->cbLinie(4)->setText("DashDotDot");
  d->cbLinie(6)->setText("Zickzack");
  d->cbStaerke(1)->setText("7");
  d->cbStaerke(2)->setText("abc");
  d->cbStaerke(3)->setText("");
  d->cbStaerke(5)->setText("100000");
  d->cbPkt_Farbe->setChecked(false);
  d->UpD_PktG->setValue(6);
  d->UpD_IncY1->setValue(3);
  d->EinstellungUebernehmen();

  EXPECT_TRUE(meldungen.messages().empty());  // odd widths draw quietly
  ASSERT_EQ(increment.count(), 1);
  EXPECT_DOUBLE_EQ(increment[0][0].toDouble(), 0.3);
  EXPECT_DOUBLE_EQ(d->IncrementY(), 0.3);
  EXPECT_DOUBLE_EQ(Diagramm()->leftIncrement(), 0.3);
  EXPECT_EQ(d->lbIncY1->text(), "0,3");
  EXPECT_EQ(Serie(1)->pointerStyle(), PointerStyle::Circle);
  EXPECT_EQ(Serie(2)->pointerStyle(), PointerStyle::Rectangle);
  EXPECT_EQ(Serie(8)->pointerStyle(), PointerStyle::Cross);
  EXPECT_EQ(Serie(12)->pointerStyle(), PointerStyle::Circle);
  EXPECT_EQ(Serie(19)->pointerStyle(), PointerStyle::DiagCross);
  EXPECT_EQ(Serie(4)->lineStyle(), Qt::DashDotDotLine);
  EXPECT_EQ(Serie(6)->lineStyle(), Qt::SolidLine);
  EXPECT_EQ(Serie(1)->lineWidth(), 7);
  EXPECT_EQ(Serie(2)->lineWidth(), 1);
  EXPECT_EQ(Serie(3)->lineWidth(), 1);
  EXPECT_EQ(Serie(4)->lineWidth(), 2);
  EXPECT_LE(Serie(5)->lineWidth(), 100);
  EXPECT_EQ(d->Linienbreite(2), 1);
  EXPECT_EQ(d->Linienbreite(1), 7);
  EXPECT_EQ(d->Linienbreite(21), 1);
  EXPECT_EQ(d->Linienstil(4), Qt::DashDotDotLine);
  for (int i = 1; i <= 20; ++i) {
    ChartSeries* s = Serie(i);
    SCOPED_TRACE(i);
    // Fill white (box unticked), outline in the colour the curve was drawn in.
    EXPECT_EQ(s->pointerBrush(), QColor(Qt::white));
    EXPECT_EQ(s->pointerPen(), QColor(10 * i, 0, 0));
    EXPECT_TRUE(s->pointerVisible());
    EXPECT_EQ(s->pointerSize(), 6);
    EXPECT_TRUE(s->lineVisible());
  }
  EXPECT_EQ(fit->pointerSize(), fitGroesse);
  EXPECT_EQ(fit->lineWidth(), 1);

  // The other way round, and the markers hidden.
  d->cbPkt_Farbe->setChecked(true);
  d->cbPkt_Linie->setChecked(false);
  d->cpPkt_Verbinden->setChecked(false);
  d->UpD_PktG->setValue(0);
  d->EinstellungUebernehmen();
  for (int i = 1; i <= 20; ++i) {
    ChartSeries* s = Serie(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(s->pointerBrush(), QColor(10 * i, 0, 0));
    EXPECT_EQ(s->pointerPen(), QColor(Qt::black));
    EXPECT_FALSE(s->pointerVisible());
    EXPECT_FALSE(s->lineVisible());
  }
  EXPECT_TRUE(fit->lineVisible());
  d->LinienZeigen(true);
  EXPECT_TRUE(Serie(13)->lineVisible());
  d->Zieldiagramm = nullptr;
}

TEST_F(EinstellungGrafikTest, OhneDiagrammWirdNichtsAngewandt) {
  QSignalSpy increment(d, &TfrEinstellung_Grafik::IncrementYGeaendert);
  d->UpD_IncY1->setValue(10);
  d->EinstellungUebernehmen();
  d->LinienZeigen(false);
  EXPECT_EQ(increment.count(), 0);
  EXPECT_EQ(d->lbIncY1->text(), "1");
  // A chart without the numbered series is left alone as well.
  ChartView leer;
  leer.addSeries("Serie1");
  d->Zieldiagramm = &leer;
  d->EinstellungUebernehmen();
  EXPECT_EQ(leer.series(0)->pointerSize(), 3);
  d->Zieldiagramm = nullptr;
}

TEST_F(EinstellungGrafikTest, PunktgroesseNullVerstecktUndSchliessenOhneSpeichernStelltHer) {
  d->UpD_PktG->setValue(4);
  d->EinstellungSpeichern(Standard());
  d->Zieldiagramm = Diagramm();
  d->show();
  d->UpD_PktG->setValue(1);
  d->UpD_PktG->stepBy(-1);  // a click on the down arrow
  EXPECT_EQ(d->lbPkt_G->text(), "0");
  EXPECT_FALSE(Serie(7)->pointerVisible());
  QTest::mouseClick(d->cbPkt_Linie, Qt::LeftButton);
  EXPECT_EQ(Serie(7)->pointerPen(), QColor(Qt::black));

  d->sbExit->click();
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(d->UpD_PktG->value(), 4);
  EXPECT_TRUE(d->cbPkt_Linie->isChecked());
  EXPECT_TRUE(Serie(7)->pointerVisible());
  EXPECT_EQ(Serie(7)->pointerSize(), 4);
  EXPECT_EQ(Serie(7)->pointerPen(), QColor(70, 0, 0));
  d->Zieldiagramm = nullptr;
}

TEST_F(EinstellungGrafikTest, ComboWahlUndIncrementKlickWendenSofortAn) {
  d->Zieldiagramm = Diagramm();
  d->show();
  d->cbLinie(9)->setCurrentIndex(2);  // "Dot"
  emit d->cbLinie(9)->activated(2);
  EXPECT_EQ(Serie(9)->lineStyle(), Qt::DotLine);
  QSignalSpy increment(d, &TfrEinstellung_Grafik::IncrementYGeaendert);
  d->UpD_IncY1->stepBy(1);
  ASSERT_EQ(increment.count(), 1);
  EXPECT_DOUBLE_EQ(increment[0][0].toDouble(), 0.2);
  EXPECT_EQ(d->lbIncY1->text(), "0,2");
  d->hide();
  d->Zieldiagramm = nullptr;
}

// ---- Colours ---------------------------------------------------------------------------------

TEST_F(EinstellungGrafikTest, EigeneFarbenKommenAusFarbenTxxOderAusDenKurvenfarben) {
  const QStringList memo = d->MemoZeilen();
  ASSERT_EQ(memo.size(), 16);
  EXPECT_EQ(memo[0], "ColorA=00FF0000");   // curve 1
  EXPECT_EQ(memo[15], "ColorP=006000BF");  // curve 16
  EXPECT_EQ(d->ColorDialog1.CustomColors[1], 255u);
  EXPECT_TRUE(d->Memo1->isHidden());

  QStringList datei;
  for (int i = 0; i < 16; ++i) datei << FarbZeile(i, static_cast<uint32_t>(0x010101 * i));
  datei.removeAt(3);  // a damaged file: D missing
  DateiSchreiben("farben.txx", datei);
  Neustart();
  const QStringList neu = frEinstellung_Grafik->MemoZeilen();
  ASSERT_EQ(neu.size(), 16);
  EXPECT_EQ(neu[2], "ColorC=00020202");
  EXPECT_EQ(neu[3], "ColorD=00000000");
  EXPECT_EQ(frEinstellung_Grafik->ColorDialog1.CustomColors[15], 0x0F0F0Fu);
}

TEST_F(EinstellungGrafikTest, FarbeMerkenSchiebtAlleUmEinsUndVerliertDieSechzehnte) {
  QStringList vorher = d->MemoZeilen();
  d->FarbeMerken(0x123456);
  QStringList nachher = d->MemoZeilen();
  ASSERT_EQ(nachher.size(), 16);
  EXPECT_EQ(nachher[0], "ColorA=00123456");
  for (int i = 1; i < 16; ++i) {
    EXPECT_EQ(nachher[i].left(6), QStringLiteral("Color") + QChar(u'A' + i));
    EXPECT_EQ(nachher[i].mid(6), vorher[i - 1].mid(6));
  }
  EXPECT_FALSE(nachher.join(' ').contains(vorher[15].mid(7)));  // 006000BF is gone
  EXPECT_EQ(d->ColorDialog1.CustomColors[0], 0x123456u);
  EXPECT_EQ(d->ColorDialog1.CustomColors[1], 16711680u);

  // The same colour again is not looked for: it is simply pushed in once more.
  d->FarbeMerken(0x123456);
  nachher = d->MemoZeilen();
  EXPECT_EQ(nachher[0], "ColorA=00123456");
  EXPECT_EQ(nachher[1], "ColorB=00123456");
}

TEST_F(EinstellungGrafikTest, FarbwahlSpeichertSilberAlsC0C0C1UndWendetAn) {
  d->Zieldiagramm = Diagramm();
  int geoeffnet = 0;
  std::array<uint32_t, 16> gesehen{};
  KolvexFarbDialog::setTestHook([&](KolvexFarbDialog& dialog) {
    ++geoeffnet;
    gesehen = dialog.CustomColors;
    EXPECT_EQ(dialog.Color, GrafikFarben[5]);  // starts at the curve's colour
    dialog.Color = 0xC0C0C0;
    return true;
  });
  QSignalSpy increment(d, &TfrEinstellung_Grafik::IncrementYGeaendert);
  QTest::mouseClick(d->plF(5), Qt::LeftButton);
  EXPECT_EQ(geoeffnet, 1);
  EXPECT_EQ(gesehen[0], 16711680u);  // this dialog's own list, not the calculator's
  EXPECT_EQ(GrafikFarben[5], 0xC0C0C1);
  EXPECT_EQ(d->plF(5)->farbe(), 0xC0C0C1);
  EXPECT_EQ(d->ColorDialog1.Color, 0xC0C0C1);
  EXPECT_EQ(d->MemoZeilen()[0], "ColorA=00C0C0C1");
  EXPECT_EQ(increment.count(), 1);
  // farben.txx holds the list as the dialog closed, before the new colour moved in.
  const QStringList datei = DateiLesen("farben.txx");
  ASSERT_EQ(datei.size(), 16);
  EXPECT_EQ(datei[0], "ColorA=00FF0000");

  // Cancel: nothing changes, but the file is written and the settings applied.
  QFile::remove(Pfad("farben.txx"));
  KolvexFarbDialog::setTestHook([](KolvexFarbDialog& dialog) {
    dialog.Color = 0x00FF00;
    return false;
  });
  d->FarbPanelClick(6);
  EXPECT_EQ(GrafikFarben[6], 65280);
  EXPECT_EQ(d->MemoZeilen()[0], "ColorA=00C0C0C1");
  EXPECT_TRUE(DateiDa("farben.txx"));
  EXPECT_EQ(increment.count(), 2);
  d->Zieldiagramm = nullptr;
}

// ---- Buttons and keys ------------------------------------------------------------------------

TEST_F(EinstellungGrafikTest, SpeichernFragtUndSchliesstNurNachJa) {
  d->show();
  d->cbPunkt(1)->setText("Star");
  meldungen.answerWith({MessageAnswer::No});
  d->sbSpeichern->click();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, "Einstellung speichern?");
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_FALSE(DateiDa("EinstellungGr.txx"));
  EXPECT_TRUE(d->isVisible());

  d->sbSpeichern->click();  // Yes
  EXPECT_FALSE(d->isVisible());
  ASSERT_TRUE(DateiDa("EinstellungGr.txx"));
  EXPECT_EQ(DateiLesen("EinstellungGr.txx")[26], "Star");
  EXPECT_EQ(d->cbPunkt(1)->text(), "Star");

  QEvent bewegung(QEvent::Enter);
  d->sbSpeichern->setToolTip("");
  QApplication::sendEvent(d->sbSpeichern, &bewegung);
  EXPECT_EQ(d->sbSpeichern->toolTip(), "Einstellung speichern in EinstellungGr.txx");
}

TEST_F(EinstellungGrafikTest, SpeichernUnterUndLadenGehenUeberDieDateiDialoge) {
  QString ordner;
  TfrEinstellung_Grafik::SpeichernDialogTestHook = [&](const QString& o) {
    ordner = o;
    return Pfad("kopie.ttx");
  };
  d->cbLinie(20)->setText("Dash");
  d->sbSpeichern_als->click();
  EXPECT_EQ(ordner, QString::fromStdString(kolvex::ProgrammPfad));
  ASSERT_TRUE(DateiDa("kopie.ttx"));
  EXPECT_EQ(DateiLesen("kopie.ttx")[65], "Dash");

  d->cbLinie(20)->setText("Solid");
  d->Zieldiagramm = Diagramm();
  TfrEinstellung_Grafik::LadenDialogTestHook = [](const QString&) { return QString(); };
  d->sbLaden->click();  // cancelled
  EXPECT_EQ(d->cbLinie(20)->text(), "Solid");
  TfrEinstellung_Grafik::LadenDialogTestHook = [&](const QString&) { return Pfad("kopie.ttx"); };
  d->sbLaden->click();
  EXPECT_EQ(d->cbLinie(20)->text(), "Dash");
  EXPECT_EQ(Serie(20)->lineStyle(), Qt::DashLine);  // applied at once
  d->Zieldiagramm = nullptr;

  // "Einstellung laden" asks and reads the standard file (which is missing: colours only).
  GrafikFarben[1] = 5;
  meldungen.answerWith({MessageAnswer::No, MessageAnswer::Yes});
  d->sbLadenStand->click();
  EXPECT_EQ(GrafikFarben[1], 5);
  d->sbLadenStand->click();
  EXPECT_EQ(meldungen.messages()[1].text, "Einstellung laden?");
  EXPECT_EQ(GrafikFarben[1], 16711680);
}

TEST_F(EinstellungGrafikTest, ESCSchliesstTastenSindVerschluckt) {
  d->show();
  QTest::keyClicks(d->cbPunkt(4), "Rect");
  EXPECT_EQ(d->cbPunkt(4)->text(), "Star");
  QTest::keyClick(d->cbPunkt(4), Qt::Key_Escape);
  EXPECT_FALSE(d->isVisible());

  d->show();
  QTest::keyClick(d->cbPkt_Farbe, Qt::Key_A);
  EXPECT_TRUE(d->cbPkt_Farbe->isChecked());
  EXPECT_TRUE(d->isVisible());
  QTest::keyClick(d->cbPkt_Farbe, Qt::Key_Escape);
  EXPECT_FALSE(d->isVisible());
}

TEST_F(EinstellungGrafikTest, KnoepfeStehenMittigMitZwanzigPixelAbstand) {
  d->resize(700, d->sizeHint().height());
  d->show();
  QApplication::processEvents();
  const QList<QPushButton*> k = {d->sbSpeichern_als, d->sbLaden, d->sbLadenStand, d->sbSpeichern, d->sbExit};
  for (int i = 1; i < k.size(); ++i) EXPECT_EQ(k[i]->x() - (k[i - 1]->x() + k[i - 1]->width()), 20);
  const int links = k.first()->x();
  const int rechts = d->Panel1->width() - (k.last()->x() + k.last()->width());
  EXPECT_LE(std::abs(links - rechts), 1);
  // Every numbered control is there under its name.
  for (const char* name : {"plF20", "cb20", "cbL20", "cbS20", "cpPkt_Verbinden", "UpD_PktG", "lbPkt_G",
                           "UpD_IncY1", "lbIncY1", "Memo1", "Panel1"})
    EXPECT_NE(d->findChild<QWidget*>(name), nullptr) << name;
  if (qEnvironmentVariableIsSet("KOLVEX_GRAB")) {
    d->resize(d->sizeHint());
    QApplication::processEvents();
    d->grab().save(qEnvironmentVariable("KOLVEX_GRAB"));
  }
  d->hide();
}

}  // namespace
