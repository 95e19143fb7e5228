// The main settings file: defaults, the group-wise reading with its stop rules, the writer
// that takes its lines from the controls, and the round trip through a restart.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <limits>

#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "core/zahltext.h"
#include "datagraph/grafik_approx.h"
#include "graph/grafik.h"
#include "platform/text_combo.h"
#include "platform/text_convert.h"
#include "support/fenster_fixture.h"

using namespace kolvex;

namespace {

// A complete file whose every value differs from its default.
QStringList VolleDatei() {
  QStringList z;
  z << "0" << "FALSE" << "FALSE" << "7" << "b" << "TRUE" << " ";  // 1-7
  for (int i = 1; i <= 10; ++i) z << QString::number(100 + i);   // 8-17
  for (int i = 1; i <= 10; ++i) z << "Cross";                    // 18-27
  for (int i = 1; i <= 10; ++i) z << "Dash";                     // 28-37
  for (int i = 1; i <= 10; ++i) z << "1";                        // 38-47
  z << "FALSE" << "FALSE" << "FALSE" << "9";                     // 48-51
  z << "-2,5" << "7,5" << "250";                                 // 52-54
  z << "FALSE" << "TRUE" << "400";                               // 55-57
  z << "10" << "20" << "300" << "200";                           // 58-61
  z << "5" << "6" << "220" << "500" << "90" << "60";             // 62-67
  z << "111" << "222" << "333";                                  // 68-70
  z << "meine.txt" << "werte.txt" << "3" << "2" << "4";          // 71-75
  z << "" << "2" << "1" << "K1" << "K2";                         // 76-80
  z << "0" << "10" << "-1" << "1" << "logo.bmp";                 // 81-85
  z << "T1" << "T2" << "T3";                                     // 86-88
  z << "TRUE" << "5" << "maske" << "2*b";                        // 89-92
  return z;
}

QStringList Erste(int n) { return VolleDatei().mid(0, n); }

class EinstellungenTest : public FensterTest {
 protected:
  void LadenAus(const QStringList& zeilen) {
    DateiSchreiben("einstKolvex.frb", zeilen);
    Neustart();
  }
};

TEST_F(EinstellungenTest, PiZeichenEinerAltenDateiInDerLetztenFormelSchaltetAufBogenmass) {
  // The pilcrow in a UTF-8 file, and the byte B6 of a Windows-1252 file (the ü makes it one).
  const QList<QByteArray> letzteZeilen = {QByteArray("sin(3*\xC2\xB6/2)"), QByteArray("sin(3*\xB6/2)+\xFC")};
  for (const QByteArray& letzte : letzteZeilen) {
    SCOPED_TRACE(letzte.toStdString());
    QByteArray inhalt = VolleDatei().mid(0, 91).join("\r\n").toUtf8() + "\r\n" + letzte + "\r\n";
    QFile f(Pfad("einstKolvex.frb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
    f.close();
    Neustart();
    EXPECT_TRUE(frRechn->ed1->text().startsWith(QStringLiteral("sin(3*π/2)")));
    frRechn->rbGrad->setChecked(true);
    HauptfensterZeigen();
    EXPECT_TRUE(frRechn->rbRad->isChecked());
  }
}

TEST_F(EinstellungenTest, UnpassendesTrennzeichenUndGrafikvariableFallenAufDieVorgabe) {
  const struct {
    const char* trenn;
    char trennErwartet;
    const char* variable;
    char variableErwartet;
  } faelle[] = {{"5", '.', "+", 'x'}, {",", '.', "1", 'x'}, {"E", '.', "(", 'x'}, {"e", '.', "^", 'x'},
                {"+", '.', "#", 'x'}, {"-", '-', "t", 't'}, {" ", ' ', " ", ' '}, {"_", '_', "Z", 'Z'},
                {"€", '.', "a", 'a'}, {"ÿ", '\xFF', "b", 'b'}};
  for (const auto& f : faelle) {
    SCOPED_TRACE(std::string(f.trenn) + " / " + f.variable);
    QStringList z = VolleDatei();
    z[6] = f.trenn;
    z[4] = f.variable;
    LadenAus(z);
    EXPECT_EQ(TrennZeichen, f.trennErwartet);
    EXPECT_EQ(TrennZeichenGeladen, f.trennErwartet);
    EXPECT_EQ(GrafikVariable, f.variableErwartet);
    // The rest of the file is read as usual.
    EXPECT_EQ(GrafikFarben[1], 101);
  }
}

TEST_F(EinstellungenTest, OhneDateiGeltenDieVorgabenUndDasErsteSpeichernSchreibt92Zeilen) {
  EXPECT_TRUE(EinstellungsDateiFehlt);
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(GrafikVariable, 'x');
  EXPECT_EQ(TrennZeichen, '.');
  EXPECT_EQ(TrennZeichenGeladen, '.');
  // Without either settings file the data graph dialog's reader, which runs later at
  // start-up and sets all 20 curve colours, decides them.
  EXPECT_EQ(GrafikFarben[1], 16711680);
  EXPECT_EQ(FarbeOben, 10941687);
  HauptfensterZeigen();
  EXPECT_EQ(frEinstell->ComBTrenPkt->currentText(), ".");

  ASSERT_TRUE(EinstellungenSpeichern());
  const QStringList z = DateiLesen("einstKolvex.frb");
  ASSERT_EQ(z.size(), 92);
  EXPECT_EQ(z[0], "0");
  EXPECT_EQ(z[1], "TRUE");
  EXPECT_EQ(z[3], "4");
  EXPECT_EQ(z[4], "x");
  EXPECT_EQ(z[6], ".");
  EXPECT_EQ(z[7], "16711680");
  // The combos keep the texts of the dialog's layout while no file was read.
  EXPECT_EQ(z[17], "Circle");
  EXPECT_EQ(z[18], "Rectangle");
  EXPECT_EQ(z[27], "Solid");
  EXPECT_EQ(z[37], "2");
  EXPECT_EQ(z[51], "-10");
  EXPECT_EQ(z[52], "10");
  EXPECT_EQ(z[53], "100");
  EXPECT_EQ(z[67], "10941687");
  EXPECT_EQ(z[70], "formel.txt");
  EXPECT_EQ(z[71], "variable.txt");
}

TEST_F(EinstellungenTest, VolleDateiKommtUeberEinenNeustartUnveraendertZurueck) {
  LadenAus(VolleDatei());
  EXPECT_FALSE(EinstellungsDateiFehlt);
  EXPECT_FALSE(ErgebnisseSpeichern);
  EXPECT_EQ(Genauigkeit, 7);
  EXPECT_EQ(GrafikVariable, 'b');
  EXPECT_TRUE(TrennPunkt);
  EXPECT_EQ(TrennZeichen, ' ');  // a single blank is a value, never trimmed away
  EXPECT_EQ(GrafikFarben[10], 110);
  EXPECT_EQ(PunktArten[3], "Cross");
  EXPECT_EQ(PunktGroesse, 9);
  EXPECT_EQ(GrafikAb, -2.5L);
  EXPECT_EQ(GrafikAnzahl, 250);
  EXPECT_TRUE(ExponentAnzeige);
  EXPECT_EQ(FormelWidth, 220);
  EXPECT_EQ(FarbeZahlen, 333);
  EXPECT_EQ(FormelDatei, "meine.txt");
  EXPECT_EQ(EinheitenZeile, 4);
  EXPECT_EQ(TitelText3, "T3");
  EXPECT_TRUE(XYDatenKanalAuswahl);
  EXPECT_EQ(KanalWahlMaske, "maske");
  // The last formula goes into the entry field and keeps the formula list from restoring
  // its row.
  EXPECT_EQ(frRechn->ed1->text(), "2*b");
  EXPECT_EQ(FormelZeile, -1);

  HauptfensterZeigen();
  EXPECT_EQ(frEinstell->ComBTrenPkt->currentText(), " ");
  EXPECT_EQ(frEinstell->cbVar->currentText(), "b");
  EXPECT_EQ(frGrafik->edAb->text(), "-2,5");
  ASSERT_TRUE(EinstellungenSpeichern());
  const QStringList geschrieben = DateiLesen("einstKolvex.frb");
  const QStringList original = VolleDatei();
  ASSERT_EQ(geschrieben.size(), 92);
  for (int i = 0; i < 92; ++i) {
    const int zeile = i + 1;
    // Window geometry is the window manager's; line 73 became -1 through line 92.
    if ((zeile >= 57 && zeile <= 67) || zeile == 73) continue;
    EXPECT_EQ(geschrieben[i], original[i]) << "line " << zeile;
  }
  EXPECT_EQ(geschrieben[72], "-1");
}

// A TAB or line break pasted into a field the file stores (a title line of the data graph,
// the formula entry) is a blank in the field and in the file, as is one in a text that comes
// from elsewhere (a channel name, a file name): every entry keeps its line through a restart,
// and the second save writes the same bytes.
TEST_F(EinstellungenTest, EingefuegteZeilenumbruecheBleibenInIhrerZeile) {
  LadenAus(VolleDatei());
  HauptfensterZeigen();
  TfrGrafikApprox* g = frGrafikApprox;
  Einfuegen(g->edText2, "Zeile1\nZeile2");
  g->edText3->clear();
  QTest::keyClicks(g->edText3, "Fuß");
  Einfuegen(frRechn->ed1, "1+\r\n1\t");
  EXPECT_EQ(g->edText2->text(), "Zeile1 Zeile2");
  EXPECT_EQ(frRechn->ed1->text(), "1+  1 ");
  KanalX = "Kanal\t1";
  LogoDatei = "logo\r\nneu.bmp";
  g->close();  // stores the title lines and writes the file
  const QByteArray erste = DateiBytes("einstKolvex.frb");
  ASSERT_EQ(DateiLesen("einstKolvex.frb").size(), 92);

  Neustart();
  EXPECT_EQ(TitelText2, "Zeile1 Zeile2");
  EXPECT_EQ(TitelText3, "Fuß");
  EXPECT_TRUE(XYDatenKanalAuswahl);
  EXPECT_EQ(LeseIntervall, "5");
  EXPECT_EQ(KanalWahlMaske, "maske");
  EXPECT_EQ(frRechn->ed1->text(), "1+  1 ");
  EXPECT_EQ(KanalX, "Kanal 1");
  EXPECT_EQ(LogoDatei, "logo  neu.bmp");
  HauptfensterZeigen();
  ASSERT_TRUE(EinstellungenSpeichern());
  EXPECT_EQ(DateiBytes("einstKolvex.frb"), erste);
}

TEST_F(EinstellungenTest, Datei61ZeilenStopptBeiZeile68UndBehaeltDieVorgabenDahinter) {
  LadenAus(Erste(61));
  EXPECT_EQ(GrafikHeight, 200);        // line 61 still read
  EXPECT_EQ(FormelLeft, 1);            // 62-67 skipped at the end test
  EXPECT_EQ(FarbeOben, 10941687);      // 68 reads as empty and stops the loader
  EXPECT_EQ(FormelDatei, "formel.txt");
  EXPECT_FALSE(XYDatenKanalAuswahl);
  EXPECT_EQ(FormelZeile, 0);
  EXPECT_TRUE(frRechn->ed1->text().isEmpty());
}

TEST_F(EinstellungenTest, Datei75ZeilenLaesstDatenGrafikUndLetzteFormelBeiDenVorgaben) {
  LadenAus(Erste(75));
  EXPECT_EQ(FormelHeight, 500);
  EXPECT_EQ(EinheitenZeile, 4);
  EXPECT_EQ(FormelZeile, 3);
  EXPECT_TRUE(KanalX.empty());
  EXPECT_FALSE(XYDatenKanalAuswahl);
  EXPECT_TRUE(frRechn->ed1->text().isEmpty());
}

// Real lines are read in the German form only: a decimal point or a blank inside is a
// conversion error like any text that is no number, and ends the reading there quietly.
TEST_F(EinstellungenTest, ErsterUmwandlungsfehlerBeendetDasLesenStill) {
  for (const char* zeile52 : {"-", "2.5", "1 000", "1.000,5", "2,5E"}) {
    SCOPED_TRACE(zeile52);
    QStringList z = VolleDatei();
    z[51] = zeile52;
    LadenAus(z);
    EXPECT_TRUE(meldungen.messages().empty());
    EXPECT_EQ(PunktGroesse, 9);  // line 51, before the fault
    EXPECT_EQ(GrafikAb, -10.0L);
    EXPECT_EQ(GrafikBis, 10.0L);
    EXPECT_EQ(GrafikAnzahl, 100);
    EXPECT_EQ(FarbeOben, 10941687);
    EXPECT_EQ(FormelDatei, "formel.txt");
    EXPECT_TRUE(frRechn->ed1->text().isEmpty());
    HauptfensterZeigen();
    EXPECT_EQ(frGrafik->edAb->text(), "-10");
    EXPECT_EQ(frGrafik->edBis->text(), "10");
  }
  QStringList z = VolleDatei();
  z[52] = "1 000";  // line 53
  LadenAus(z);
  EXPECT_EQ(GrafikAb, -2.5L);
  EXPECT_EQ(GrafikBis, 10.0L);
  EXPECT_EQ(FormelDatei, "formel.txt");

  // Blanks around a number, a sign and an exponent are the German form.
  z = VolleDatei();
  z[51] = " -2,5E1 ";
  z[52] = "+1e-3";
  LadenAus(z);
  EXPECT_EQ(GrafikAb, -25.0L);
  EXPECT_EQ(GrafikBis, 0.001L);
  EXPECT_EQ(KanalWahlMaske, "maske");
}

// Whatever a range or count edit holds that the graph takes for a number, the file gets a
// text that loads again, up to the ends of the range; the lines behind it load too.
TEST_F(EinstellungenTest, JederBereichstextDesGraphenLaedtWieder) {
  const long double groesste = std::numeric_limits<long double>::max();
  const long double kleinste = std::numeric_limits<long double>::denorm_min();
  const struct {
    QString ab, bis, anzahl;
    long double wertAb, wertBis;
    int32_t wertAnzahl;
  } faelle[] = {
      {"2.5", "1 000", " 300 ", 2.5L, 1000, 300},
      {" 1.5E3", "-0.25e-2 ", "+40", 1500, -0.0025L, 40},
      {fromCore(FloatText(-groesste)), fromCore(FloatText(groesste)), "250", Gerundet15(-groesste),
       Gerundet15(groesste), 250},
      {fromCore(FloatText(kleinste)), fromCore(FloatText(std::numeric_limits<long double>::min() / 3)), "250",
       kleinste, Gerundet15(std::numeric_limits<long double>::min() / 3), 250},
      {fromCore(ZahlZuText(0, 1e-4000L)), "+7", "250", Gerundet15(1e-4000L), 7, 250},
  };
  LadenAus(VolleDatei());
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.ab.left(40).toStdString() + " / " + f.bis.left(40).toStdString());
    HauptfensterZeigen();
    frGrafik->edAb->setText(f.ab);
    frGrafik->edBis->setText(f.bis);
    frGrafik->edAnzahl->setText(f.anzahl);
    ASSERT_TRUE(EinstellungenSpeichern());
    const QStringList z = DateiLesen("einstKolvex.frb");
    long double v = 0;
    EXPECT_TRUE(TextZuZahlDeutsch(toCore(z[51]), v)) << z[51].toStdString();
    EXPECT_TRUE(TextZuZahlDeutsch(toCore(z[52]), v)) << z[52].toStdString();
    Neustart();
    EXPECT_EQ(GrafikAb, f.wertAb);
    EXPECT_EQ(GrafikBis, f.wertBis);
    EXPECT_EQ(GrafikAnzahl, f.wertAnzahl);
    EXPECT_EQ(KanalWahlMaske, "maske");
  }
}

TEST_F(EinstellungenTest, EinHalbGetipptesMinusImGrafikbereichErreichtDieDateiNicht) {
  LadenAus(VolleDatei());
  HauptfensterZeigen();
  frGrafik->edAb->setText("-");
  frGrafik->edAnzahl->setText("");
  ASSERT_TRUE(EinstellungenSpeichern());
  const QStringList z = DateiLesen("einstKolvex.frb");
  EXPECT_EQ(z[51], "-2,5");
  EXPECT_EQ(z[53], "250");
  // So the next start still reads everything behind it.
  Neustart();
  EXPECT_EQ(GrafikAb, -2.5L);
  EXPECT_EQ(KanalWahlMaske, "maske");
}

TEST_F(EinstellungenTest, SchalterSindNurBeiGenauTRUEWahr) {
  QStringList z = VolleDatei();
  z[1] = "True";
  z[2] = "TRUE";
  z[5] = "true";
  z[55] = "";
  LadenAus(z);
  EXPECT_FALSE(ErgebnisseSpeichern);
  EXPECT_TRUE(ErgebnisseErsetzen);
  EXPECT_FALSE(TrennPunkt);
  EXPECT_FALSE(ExponentAnzeige);
}

TEST_F(EinstellungenTest, ZeichenzeilenUndStiltexte) {
  QStringList z = VolleDatei();
  z[4] = "";                         // line 5 empty: x stays
  z[6] = "";                         // line 7 empty: "." stays
  z[17] = "DownTriangleXYZ";          // cut to 12
  z[18] = "";                        // empty style -> "1"
  z[27] = "DashDotDotDot";            // cut to 10
  z[37] = "10";
  z[38] = "";
  LadenAus(z);
  EXPECT_EQ(GrafikVariable, 'x');
  EXPECT_EQ(TrennZeichen, '.');
  EXPECT_EQ(PunktArten[1], "DownTriangle");
  EXPECT_EQ(PunktArten[2], "1");
  EXPECT_EQ(LinienArten[1], "DashDotDot");
  EXPECT_EQ(Staerken[1], "10");
  EXPECT_EQ(Staerken[2], "1");
}

TEST_F(EinstellungenTest, WerteAusserhalbIhresBereichsBehaltenIhreVorgabe) {
  QStringList z = VolleDatei();
  z[3] = "20";   // precision
  z[50] = "99";  // marker size
  LadenAus(z);
  EXPECT_EQ(Genauigkeit, 4);
  EXPECT_EQ(PunktGroesse, 3);
  EXPECT_EQ(GrafikAb, -2.5L);  // reading went on
}

TEST_F(EinstellungenTest, LeereDateinamenFallenAufDieVorgabeZurueck) {
  QStringList z = VolleDatei();
  z[70] = "";
  z[71] = "";
  LadenAus(z);
  EXPECT_EQ(FormelDatei, "formel.txt");
  EXPECT_EQ(WerteDatei, "variable.txt");
}

TEST_F(EinstellungenTest, DatenordnerNurWennEsIhnGibt) {
  QDir().mkdir(Pfad("daten"));
  QStringList z = VolleDatei();
  z[75] = Pfad("weg");
  LadenAus(z);
  EXPECT_TRUE(DatenPfad.empty());
  z[75] = Pfad("daten");
  LadenAus(z);
  EXPECT_EQ(QString::fromStdString(DatenPfad), Pfad("daten"));
}

TEST_F(EinstellungenTest, KurvenfarbenAusDerDateiUeberlebenDieErzeugungAllerFenster) {
  LadenAus(VolleDatei());
  // A later window may reset the table at its creation; the loaded colours win.
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(GrafikFarben[i], 100 + i) << i;
}

TEST_F(EinstellungenTest, SchreibfehlerWarntUndLaesstDieAlteDateiStehen) {
  // A folder of the file's name cannot be replaced by a file.
  ASSERT_TRUE(QDir().mkdir(Pfad("einstKolvex.frb")));
  EXPECT_FALSE(EinstellungenSpeichern());
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_TRUE(meldungen.messages()[0].text.contains("einstKolvex.frb"));
  EXPECT_TRUE(QFileInfo(Pfad("einstKolvex.frb")).isDir());
  // And a folder is never read as the settings file.
  Neustart();
  EXPECT_TRUE(EinstellungsDateiFehlt);
}

TEST_F(EinstellungenTest, FehlendeDateiImDesktopOrdnerWarnt) {
  ASSERT_TRUE(QDir().mkdir(Pfad("Desktop")));
  ASSERT_TRUE(QDir::setCurrent(Pfad("Desktop")));
  Neustart();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text,
            "Datei " + Pfad("Desktop") + "/einstKolvex.frb nicht gefunden\r"
            "Prüfen Sie die Eigenschaften der Verknüpfung");
}

TEST_F(EinstellungenTest, AlleDateienLiegenImArbeitsordnerBeimStart) {
  EXPECT_EQ(QString::fromStdString(ProgrammPfad), QDir::currentPath() + "/");
  EXPECT_EQ(QString::fromStdString(UmrechnungPfad), QDir::currentPath() + "/Umrechnung/");
}

TEST_F(EinstellungenTest, StiltabellenErreichenDieKombisNurNachGefundenerDatei) {
  HauptfensterZeigen();
  EXPECT_EQ(frEinstell->cbPunkt(1)->currentText(), "Circle");
  LadenAus(VolleDatei());
  HauptfensterZeigen();
  EXPECT_EQ(frEinstell->cbPunkt(1)->currentText(), "Cross");
  EXPECT_EQ(frEinstell->cbLinie(5)->currentText(), "Dash");
  EXPECT_EQ(frEinstell->cbStaerke(10)->currentText(), "1");
}

}  // namespace
