// The main window: its life cycle (first activation, show handler, the two ways to close)
// and the calculation driver with the results log.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QToolButton>

#include "calculator/einstell.h"
#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "platform/panel_button.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "support/fenster_fixture.h"
#include "support/fenster_lage_warten.h"
#include "support/sichtbarer_text.h"
#include "units/einheiten.h"

using namespace kolvex;

namespace {

const QColor Gruen(0x00, 0x80, 0x00);
const QColor Rot(0xFF, 0x00, 0x00);

class RechnTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    HauptfensterZeigen();
  }
  // Enter in the entry field.
  void Rechnen(const QString& formel) {
    frRechn->ed1->setText(formel);
    QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  }
  QString Ergebnis() const { return frRechn->edErgebnis->text(); }
  QColor ErgebnisFarbe() const { return frRechn->edErgebnis->palette().color(QPalette::Text); }
  QStringList Protokoll() const { return DateiLesen("result.txt"); }
  QStringList Texte() const {
    QStringList t;
    for (const RecordedMessage& m : meldungen.messages()) t << m.text;
    return t;
  }
  void WertSetzen(QChar buchstabe, const QString& wert) {
    const int zeile = buchstabe.isLower() ? buchstabe.unicode() - 'a' + 1
                                          : buchstabe.unicode() - 'A' + 27;
    frKonstante->sgK->setCells(1, zeile, wert);
  }
};

class StartTest : public FensterTest {};

TEST_F(StartTest, VorDerErstenAktivierungRechnetNichts) {
  frRechn->ed1->setText("2+3");
  frRechn->Berechnen("2+3");
  EXPECT_TRUE(frRechn->edErgebnis->text().isEmpty());
  EXPECT_FALSE(DateiDa("result.txt"));
  HauptfensterZeigen();
  EXPECT_EQ(ErsteAktivierung, 0);
  // The entry as it was at the first activation is the keypad's undo text.
  EXPECT_EQ(RueckgaengigText, "2+3");
  frRechn->Berechnen("2+3");
  EXPECT_EQ(frRechn->edErgebnis->text(), "5");
}

// Every existence test pauses 100 ms. Start-up makes one for each file the windows read at
// their creation: the main settings, the values, the formulas, the fitting models and the
// data graph's settings; the colour files are looked for without one. Files there or not.
TEST_F(StartTest, DerStartPrueftFuenfDateienMitPause) {
  for (const bool mitDateien : {false, true}) {
    SCOPED_TRACE(mitDateien ? "with the files" : "without them");
    if (mitDateien) {
      ASSERT_TRUE(EinstellungenSpeichern());
      for (const char* name : {"variable.txt", "formel.txt", "approx.txx", "EinstellungGr.txx", "farben.txx"})
        DateiSchreiben(name, {});
    }
    FensterZerstoeren();
    EinstellungenStartwerte();
    DateiExistiertAufrufe = 0;
    FensterErzeugen();
    HauptfensterZeigen();
    EXPECT_EQ(DateiExistiertAufrufe, 5);
  }
}

TEST_F(StartTest, ErstellungSetztTitelFarbenUndSperrtWertEinfuegen) {
  EXPECT_EQ(frRechn->windowTitle(), " Kolvane");
  EXPECT_FALSE(frRechn->tbWert_Einf->isEnabled());
  EXPECT_EQ(FlaechenFarbe(frRechn->plOben), 10941687);
  EXPECT_EQ(FlaechenFarbe(frRechn->edErgebnis), 10941687);
  EXPECT_EQ(FlaechenFarbe(frRechn->plFunktionen), 13891817);
  EXPECT_EQ(FlaechenFarbe(frRechn->plRG), 13891817);
  EXPECT_EQ(FlaechenFarbe(frRechn->plZahlen), 15459522);
}

TEST_F(StartTest, PiInDerLetztenFormelSchaltetAufBogenmass) {
  frRechn->ed1->setText("sin(π/2)");
  HauptfensterZeigen();
  EXPECT_TRUE(frRechn->rbRad->isChecked());
}

TEST_F(StartTest, ZeigenKopiertDieEinstellungenInDenDialog) {
  ErgebnisseSpeichern = false;
  TrennPunkt = true;
  TrennZeichenGeladen = '-';
  GrafikVariable = 't';
  PunktGroesse = 7;
  HauptfensterZeigen();
  EXPECT_FALSE(frEinstell->cbRes_Speich->isChecked());
  EXPECT_TRUE(frEinstell->cbTrenPkt->isChecked());
  EXPECT_EQ(frEinstell->ComBTrenPkt->currentText(), "-");
  EXPECT_EQ(TrennZeichen, '-');
  EXPECT_EQ(frEinstell->cbVar->currentText(), "t");
  EXPECT_EQ(frEinstell->UpD_PktG->value(), 7);
}

TEST_F(RechnTest, FormelMitEnterZeigtDasErgebnisGruenUndProtokolliert) {
  frRechn->ed1->clear();
  QTest::keyClicks(frRechn->ed1, "2+3*(4-1)");
  frRechn->ZeichenEinfuegen('^');
  QTest::keyClicks(frRechn->ed1, "2");
  ASSERT_EQ(frRechn->ed1->text(), "2+3*(4-1)^2");
  QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  EXPECT_EQ(Ergebnis(), "29");
  EXPECT_EQ(ErgebnisFarbe(), Gruen);
  EXPECT_TRUE(frRechn->edErgebnis->isVisible());
  EXPECT_TRUE(frRechn->lbESC->text().isEmpty());
  EXPECT_EQ(LetztesErgebnis, 29.0L);
  EXPECT_EQ(FehlerCode, 0);
  EXPECT_EQ(Protokoll(), QStringList{"2+3*(4-1)^2 = 29"});
}

TEST_F(RechnTest, ZahlWirdMitGenauigkeitUndTrennpunktGezeigt) {
  Genauigkeit = 2;
  TrennPunkt = true;
  Rechnen("1234,567");
  EXPECT_EQ(Ergebnis(), "1.234,57");
  // Precision 0 rounds halves to the even neighbour.
  Genauigkeit = 0;
  Rechnen("2,5");
  EXPECT_EQ(Ergebnis(), "2");
  Genauigkeit = 4;
  frEinstell->cbExponentenzeichen->setChecked(true);
  Rechnen("2/3");
  EXPECT_EQ(Ergebnis(), "0,666666666666667");
}

// The longest results of 15 digits, grouped, negative, in E notation: the field shows them
// whole at the window's least size, after the user clicked into it and pressed End.
TEST_F(RechnTest, ErgebnisZeigtSichGanz) {
  Genauigkeit = 15;
  TrennPunkt = true;
  const struct {
    const char* formel;
    bool exponent;
    const char* ergebnis;
  } faelle[] = {
      {"99999999999*99999999999", false, "9.999.999.999.800.000.000.000"},
      {"-99999999999*99999999999", false, "-9.999.999.999.800.000.000.000"},
      {"-12345678901234,5", false, "-12.345.678.901.234,5"},
      {"-1/3", false, "-0,333333333333333"},
      {"-1/3/10^250/10^250", true, "-3,33333333333333E-501"},
  };
  for (const auto& fall : faelle) {
    frEinstell->cbExponentenzeichen->setChecked(fall.exponent);
    Rechnen(QString::fromLatin1(fall.formel));
    ASSERT_EQ(Ergebnis(), QString::fromLatin1(fall.ergebnis));
    QTest::mouseClick(frRechn->edErgebnis, Qt::LeftButton);
    QTest::keyClick(frRechn->edErgebnis, Qt::Key_End);
    EXPECT_TRUE(GanzSichtbar(frRechn->edErgebnis)) << fall.formel << ": " << SichtbarerText(frRechn->edErgebnis).toStdString();
    EXPECT_TRUE(GroesseSetzenUndAbwarten(frRechn, QSize(frRechn->minimumWidth(), frRechn->height())));
    EXPECT_TRUE(GanzSichtbar(frRechn->edErgebnis)) << fall.formel << " (kleinste Breite): "
                                                   << SichtbarerText(frRechn->edErgebnis).toStdString();
  }
  // A short result lets the window be narrow again.
  frEinstell->cbExponentenzeichen->setChecked(false);
  Rechnen("-99999999999*99999999999");
  const int breit = frRechn->minimumWidth();
  Rechnen("2");
  EXPECT_TRUE(GroesseSetzenUndAbwarten(frRechn, QSize(frRechn->minimumWidth(), frRechn->height())));
  EXPECT_LT(frRechn->width(), breit);
}

// A result wider than the screen: the window stays inside the free area, the field shows the
// result's start and scrolls to its end, and the next result shows from its start again.
TEST_F(RechnTest, ErgebnisBreiterAlsDerSchirmZeigtSeinenAnfang) {
  Genauigkeit = 2;
  TrennPunkt = true;
  Rechnen("10^200*10^200");
  ASSERT_GT(Ergebnis().size(), 500);
  EXPECT_LE(frRechn->frameGeometry().width(), frRechn->screen()->availableGeometry().width());
  EXPECT_TRUE(SichtbarerText(frRechn->edErgebnis).startsWith(QStringLiteral("10.000.000"))) << SichtbarerText(frRechn->edErgebnis).toStdString();
  QTest::mouseClick(frRechn->edErgebnis, Qt::LeftButton);
  QTest::keyClick(frRechn->edErgebnis, Qt::Key_End);
  EXPECT_FALSE(SichtbarerText(frRechn->edErgebnis).startsWith(QStringLiteral("10.000.000")));
  Rechnen("10^200*10^200");
  EXPECT_TRUE(SichtbarerText(frRechn->edErgebnis).startsWith(QStringLiteral("10.000.000"))) << SichtbarerText(frRechn->edErgebnis).toStdString();
}

TEST_F(RechnTest, SyntaxfehlerWarntSetztDenCaretUndProtokolliertNicht) {
  Rechnen("12+*3");
  EXPECT_EQ(Texte(), QStringList{"Formel ist Falsch!"});
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(frRechn->ed1->cursorPosition(), 3);
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_TRUE(Ergebnis().isEmpty());
  EXPECT_TRUE(frRechn->edErgebnis->isVisible());
  EXPECT_TRUE(frRechn->lbESC->text().isEmpty());
  meldungen.clear();
  Rechnen("((2)");
  EXPECT_EQ(Texte(), QStringList{"Formel ist Falsch!\rKlammer"});
  meldungen.clear();
  Rechnen("2x");
  EXPECT_EQ(Texte(), QStringList{"Formel ist Falsch!"});
  EXPECT_FALSE(DateiDa("result.txt"));
}

TEST_F(RechnTest, FehlenderWertOeffnetDieWertetabelleBeimBuchstaben) {
  Rechnen("2*q");
  EXPECT_EQ(Texte(), QStringList{"Kein Wert für q"});
  EXPECT_TRUE(frKonstante->isVisible());
  EXPECT_EQ(frKonstante->sgK->Row(), 17);
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_TRUE(Ergebnis().isEmpty());
  EXPECT_FALSE(DateiDa("result.txt"));
}

TEST_F(RechnTest, VariablenWerdenAusDerWertetabelleEingesetztAuchMitLeerzeichen) {
  WertSetzen('a', "2");
  WertSetzen('B', "3*4");
  Rechnen("2 * a + B");
  EXPECT_EQ(Ergebnis(), "16");
  // The log names the formula with its values when that option is on.
  EXPECT_EQ(Protokoll(), QStringList{"2*2+12 = 16"});
  frEinstell->cbErgeb_Var_Ersetzen->setChecked(false);
  Rechnen("a-1");
  EXPECT_EQ(Protokoll().last(), "a-1 = 1");
}

TEST_F(RechnTest, LnVonNullWirdVorDerRechnungGemeldet) {
  Rechnen("1+ln(0)");
  EXPECT_EQ(Texte(), QStringList{"Falsche Wert in ln()"});
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_TRUE(Ergebnis().isEmpty());
  EXPECT_FALSE(DateiDa("result.txt"));
}

TEST_F(RechnTest, KlammernUmVorzeichenPotenzbasisUndLogarithmusRechnenRichtig) {
  Genauigkeit = 4;
  const struct {
    const char* formel;
    const char* ergebnis;
  } faelle[] = {{"(-(2)+3)", "1"},       {"3*(-(4)+5)", "3"},      {"2*(-SIN(30)+1)", "1"},
                {"COSH(-(2)+3)", "1,5431"}, {"-(2)^(1+1)", "-4"},    {"-(2)^(2)", "-4"},
                {"-2^2", "4"},           {"2^3^2", "64"},          {"LN((-2)^(2))", "1,3863"},
                {"LN((0)!)", "0"},       {"LOG((-4)^(0))", "0"}};
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.formel);
    Rechnen(f.formel);
    EXPECT_EQ(Ergebnis(), f.ergebnis);
    EXPECT_EQ(ErgebnisFarbe(), Gruen);
  }
  EXPECT_TRUE(Texte().isEmpty()) << Texte().join(" | ").toStdString();

  Rechnen("LOG(-5)");
  EXPECT_EQ(Texte(), QStringList{"Falsche Wert in log()"});
  EXPECT_EQ(frRechn->ed1->cursorPosition(), 4);
}

TEST_F(RechnTest, LangeFormelWirdGanzGezeigtGerechnetUndProtokolliert) {
  // 100 kB, far beyond a line edit's default limit of 32 767 characters.
  const QString formel = QStringLiteral("1") + QStringLiteral("+1").repeated(50'000);
  Rechnen(formel);
  EXPECT_EQ(frRechn->ed1->text(), formel);
  EXPECT_EQ(Ergebnis(), "50001");
  ASSERT_EQ(Protokoll().size(), 1);
  EXPECT_EQ(Protokoll()[0], formel + " = 50001");
  // A result field takes a long value as well.
  frRechn->edErgebnis->setText(QString(40'000, u'9'));
  EXPECT_EQ(frRechn->edErgebnis->text().size(), 40'000);
}

TEST_F(RechnTest, DivisionDurchNullEndetRotMitError) {
  Rechnen("1/0");
  EXPECT_EQ(Texte(), QStringList{"Division durch 0"});
  EXPECT_EQ(Ergebnis(), "Error");
  EXPECT_EQ(ErgebnisFarbe(), Rot);
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_FALSE(DateiDa("result.txt"));
  // The next good result is green again.
  Rechnen("1/4");
  EXPECT_EQ(Ergebnis(), "0,25");
  EXPECT_EQ(ErgebnisFarbe(), Gruen);
}

TEST_F(RechnTest, LaufzeitfehlerDesKernsZeigtErrorUndWirdProtokolliert) {
  LetztesErgebnis = 5;
  Rechnen("atanh(2)");
  EXPECT_EQ(Ergebnis(), "Error");
  EXPECT_EQ(ErgebnisFarbe(), Rot);
  EXPECT_TRUE(frRechn->lbESC->text().isEmpty());
  EXPECT_EQ(Protokoll(), QStringList{"atanh(2) = Error"});
}

TEST_F(RechnTest, EscBeendetDieRechnungMitErrorOderDemFertigenErgebnis) {
  // Wherever ESC falls, the result is either "Error" or the finished number, never a
  // half-rewritten text or a wrong number.
  QSet<QString> gesehen;
  for (int n = 0; n < 200; ++n) {
    EscWatcher::pressAfterPolls(n);
    Rechnen("2+3*(4-1)^2+sin(30)*(1+(2*(3+(4-5))))");
    gesehen.insert(Ergebnis());
    if (Ergebnis() == "Error") {
      EXPECT_EQ(ErgebnisFarbe(), Rot);
      EXPECT_TRUE(frRechn->lbESC->text().isEmpty());
    }
  }
  EscWatcher::pressAfterPolls(-1);
  EXPECT_TRUE(gesehen.contains("Error"));
  EXPECT_TRUE(gesehen.contains("31,5"));
  EXPECT_EQ(gesehen.size(), 2) << gesehen.values().join(" | ").toStdString();
}

TEST_F(RechnTest, ErsetzenModusSchreibtDasErgebnisInsEingabefeld) {
  frRechn->tbCut->setChecked(true);
  Rechnen("2+3");
  EXPECT_EQ(frRechn->ed1->text(), "5");
  EXPECT_EQ(frRechn->ed1->cursorPosition(), 1);
  EXPECT_TRUE(Ergebnis().isEmpty());
  EXPECT_EQ(Protokoll(), QStringList{"2+3 = 5"});
}

TEST_F(RechnTest, ErsetzenModusLaesstEineFehlgeschlageneFormelStehen) {
  frRechn->tbCut->setChecked(true);
  Rechnen("atanh(2)");
  EXPECT_EQ(frRechn->ed1->text(), "atanh(2)");
  EXPECT_EQ(Ergebnis(), "Error");
  for (int n = 0; n < 60; ++n) {
    EscWatcher::pressAfterPolls(n);
    Rechnen("(1+2)*(3+4)");
    EXPECT_TRUE(frRechn->ed1->text() == "(1+2)*(3+4)" || frRechn->ed1->text() == "21")
        << frRechn->ed1->text().toStdString();
  }
  EscWatcher::pressAfterPolls(-1);
  for (const QString& zeile : Protokoll()) EXPECT_FALSE(zeile.endsWith(" = ")) << zeile.toStdString();
}

TEST_F(RechnTest, GleicheRechnungZweimalSchreibtEineZeile) {
  Rechnen("2+3");
  Rechnen("2+3");
  EXPECT_EQ(Protokoll(), QStringList{"2+3 = 5"});
  Rechnen("2+4");
  EXPECT_EQ(Protokoll(), (QStringList{"2+3 = 5", "2+4 = 6"}));
  frEinstell->cbRes_Speich->setChecked(false);
  Rechnen("2+5");
  EXPECT_EQ(Protokoll().size(), 2);
}

TEST_F(RechnTest, ProtokollOhneZeilenendeBekommtEinesVorDerNeuenZeile) {
  QFile f(Pfad("result.txt"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("1+1 = 2");
  f.close();
  Rechnen("2+3");
  EXPECT_EQ(Protokoll(), (QStringList{"1+1 = 2", "2+3 = 5"}));
}

TEST_F(RechnTest, AltesProtokollBekommtNurDieNeueZeileInSeinerKodierung) {
  const QByteArray alt("Gr\xF6\xDF" "e = 1\r\n2*\xB6 = 6,2832\r\n");
  frEinstell->cbErgeb_Var_Ersetzen->setChecked(false);
  {
    QFile f(Pfad("result.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(alt);
  }
  Rechnen("2*π");  // the same line as the last one: nothing is written
  Rechnen("π+1");
  QFile f(Pfad("result.txt"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), alt + "\xB6+1 = 4,1416\n");
}

TEST_F(RechnTest, NichtSchreibbaresProtokollWarntMitDemSystemfehler) {
  ASSERT_TRUE(QDir().mkdir(Pfad("result.txt")));
  Rechnen("2+3");
  EXPECT_EQ(Ergebnis(), "5");
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_TRUE(meldungen.messages()[0].text.startsWith("Datei " + Pfad("result.txt")));
}

TEST_F(RechnTest, BogenmassUndPiKommenAusDemHauptfenster) {
  frRechn->rbRad->setChecked(true);
  Rechnen("sin(π/2)");
  EXPECT_EQ(Ergebnis(), "1");
  frRechn->rbGrad->setChecked(true);
  Rechnen("sin(30)");
  EXPECT_EQ(Ergebnis(), "0,5");
}

TEST_F(RechnTest, EinheitenUmrechnungRechnetMitDemUngerundetenWert) {
  // "Flächenmaße", row 5: " a ---> m²", factor 100.
  EinheitenKategorie = 1;
  EinheitenZeile = 5;
  frEinheiten->show();
  frEinheiten->FormActivate();
  ASSERT_EQ(frEinheiten->sg->Cells(2, frEinheiten->sg->Row()), "100");
  frRechn->tbEinheiten->setChecked(true);
  Rechnen("2");
  EXPECT_EQ(Ergebnis(), "200");
  EXPECT_EQ(LetztesErgebnis, 2.0L);
  EXPECT_EQ(Protokoll(), QStringList{"2 a = 200 m²"});
  Genauigkeit = 2;
  Rechnen("1,23456");
  EXPECT_EQ(Ergebnis(), "123,46");
}

TEST_F(RechnTest, GerechneteFormelWirdInDerFormelListeGewaehlt) {
  frFormel->sg1->setRowCount(4);
  frFormel->sg1->setCells(1, 1, "1+1");
  frFormel->sg1->setCells(1, 2, "2+3");
  Rechnen("2+3");
  EXPECT_EQ(frFormel->sg1->Row(), 2);
}

TEST_F(RechnTest, SchliessfeldSpeichertOhneFrage) {
  frRechn->ed1->setText("7*7");
  frRechn->close();
  EXPECT_FALSE(frRechn->isVisible());
  EXPECT_TRUE(meldungen.messages().empty());
  const QStringList z = DateiLesen("einstKolvex.frb");
  ASSERT_EQ(z.size(), 92);
  EXPECT_EQ(z[91], "7*7");
}

TEST_F(RechnTest, BeendenFragtUndTutBeiNeinNichts) {
  frRechn->ed1->setText("5");
  meldungen.answerWith({MessageAnswer::No});
  frRechn->sbExitClick();
  EXPECT_EQ(Texte(), QStringList{"Programm beenden?"});
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Question);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_FALSE(DateiDa("einstKolvex.frb"));

  // The second time through the button itself, as the user clicks it.
  meldungen.clear();
  QTest::mouseClick(frRechn->sbExit, Qt::LeftButton);
  EXPECT_EQ(Texte(), QStringList{"Programm beenden?"});
  EXPECT_FALSE(frRechn->isVisible());
  EXPECT_TRUE(DateiDa("einstKolvex.frb"));
}

TEST_F(RechnTest, NichtGespeicherteEinstellungenWerdenBeimBeendenEinmalGemeldet) {
  frRechn->ed1->setText("5");
  ASSERT_TRUE(QDir().mkdir(Pfad("einstKolvex.frb")));  // cannot be written as a file
  meldungen.answerWith({MessageAnswer::Yes});
  frRechn->sbExitClick();
  ASSERT_EQ(Texte().size(), 2) << Texte().join(" | ").toStdString();
  EXPECT_EQ(Texte()[0], "Programm beenden?");
  EXPECT_TRUE(Texte()[1].startsWith("Datei " + Pfad("einstKolvex.frb") + " konnte nicht gespeichert werden."));
  EXPECT_FALSE(frRechn->isVisible());

  // Closing any other way still writes (and reports) on its own.
  HauptfensterZeigen();
  meldungen.clear();
  frRechn->close();
  EXPECT_EQ(Texte().size(), 1);
}

TEST_F(RechnTest, BeendenBietetEineNeueFormelZumSpeichernAn) {
  frRechn->ed1->setText("2*c");
  meldungen.answerWith({MessageAnswer::Yes, MessageAnswer::No});
  frRechn->sbExitClick();
  EXPECT_EQ(Texte(), (QStringList{"Neue Formel\r2*c\rspeichern?", "Programm beenden?"}));
  EXPECT_EQ(DateiLesen("formel.txt").last(), "2*c");
  EXPECT_TRUE(frRechn->isVisible());
}

TEST_F(RechnTest, GetrennteEinstellungUeberlebtDenNeustart) {
  frEinstell->cbTrenPkt->setChecked(true);
  ComboTextSetzen(frEinstell->ComBTrenPkt, " ");
  frRechn->close();
  Neustart();
  HauptfensterZeigen();
  EXPECT_TRUE(TrennPunkt);
  EXPECT_EQ(TrennZeichen, ' ');
  Rechnen("1234567");
  EXPECT_EQ(Ergebnis(), "1 234 567");
}

}  // namespace
