// The settings dialog: its two layouts, the dash/width rule of the curve styles, combos that
// hold any text but take no typed keys, the live number settings, the file pickers, and
// closing without throwing away unsaved edits in the formula list and the values table.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>

#include "calculator/einstell.h"
#include "platform/farben.h"
#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "core/globals.h"
#include "graph/grafik.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "support/fenster_fixture.h"
#include "units/einheiten.h"

using namespace kolvex;

// Readable QStrings in failure messages.
[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class EinstellTest : public FensterTest {
 protected:
  void TearDown() override {
    TfrEinstell::setDateiDialogTestHook({});
    KolvexFarbDialog::setTestHook({});
    FensterTest::TearDown();
  }
  // A choice from the combo's list, as the user makes it.
  static void Waehlen(QComboBox* combo, const QString& text) {
    const int i = combo->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    combo->setCurrentIndex(i);
    emit combo->activated(i);
  }
};

TEST_F(EinstellTest, ZeigtJeNachGrafikknopfDieRechnerOderDieKurveneinstellung) {
  TfrEinstell* d = frEinstell;
  EXPECT_EQ(d->windowTitle(), " Einstellung");
  d->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
  frRechn->tbGrafik->setChecked(false);
  d->AnsichtAnpassen();
  EXPECT_FALSE(d->plGrafik->isVisibleTo(d));
  EXPECT_TRUE(d->plEinst->isVisibleTo(d));
  EXPECT_TRUE(d->plUnten->isVisibleTo(d));
  EXPECT_TRUE(d->plXYDiagr->isVisibleTo(d));
  const int rechnerHoehe = d->height();

  frRechn->tbGrafik->setChecked(true);
  d->AnsichtAnpassen();
  EXPECT_TRUE(d->plGrafik->isVisibleTo(d));
  EXPECT_FALSE(d->plEinst->isVisibleTo(d));
  EXPECT_TRUE(d->plUnten->isVisibleTo(d));
  EXPECT_GT(d->height(), rechnerHoehe);
  // The window is sized to its content: every curve row fits without scrolling.
  EXPECT_GE(d->ScrollBox1->viewport()->height(), d->plInhalt->sizeHint().height());
}

TEST_F(EinstellTest, NummerierteElementeSindUnterIhrenNamenZuFinden) {
  TfrEinstell* d = frEinstell;
  for (int n = 1; n <= 10; ++n) {
    const QString s = QString::number(n);
    EXPECT_EQ(d->findChild<QComboBox*>("cb" + s), d->cbPunkt(n));
    EXPECT_EQ(d->findChild<QComboBox*>("cbL" + s), d->cbLinie(n));
    EXPECT_EQ(d->findChild<QComboBox*>("cbS" + s), d->cbStaerke(n));
    EXPECT_EQ(d->findChild<FarbPanel*>("plF" + s), d->plF(n));
  }
  EXPECT_EQ(d->cb10->text(), "Circle");
  EXPECT_EQ(d->cb6->text(), "DownTriangle");
  EXPECT_EQ(d->cbL1->text(), "Solid");
  EXPECT_EQ(d->cbS1->text(), "2");
  EXPECT_EQ(d->cbVar->count(), 26);
  EXPECT_EQ(d->cbVar->text(), "x");
  EXPECT_EQ(d->cbPunkt(0), nullptr);
  EXPECT_EQ(d->plF(11), nullptr);
  EXPECT_EQ(d->tbFMin->toolTip(), "Nach dem Programmstart  das Fenster minimalisieren");
}

TEST_F(EinstellTest, GestricheltIstImmerEinsBreitUndBreiterImmerDurchgezogen) {
  TfrEinstell* d = frEinstell;
  Waehlen(d->cbL3, "Dash");
  EXPECT_EQ(d->cbS3->text(), "1");
  EXPECT_EQ(d->cbS2->text(), "2");  // other curves stay
  Waehlen(d->cbS3, "4");
  EXPECT_EQ(d->cbL3->text(), "Solid");
  EXPECT_EQ(d->cbS3->text(), "4");
  Waehlen(d->cbL3, "Solid");
  EXPECT_EQ(d->cbS3->text(), "4");
  Waehlen(d->cbS10, "1");
  Waehlen(d->cbL10, "DashDotDot");
  EXPECT_EQ(d->cbS10->text(), "1");

  d->LinienStilZuruecksetzen(0);  // out of range: nothing
  d->LinienBreiteZuruecksetzen(11);
  d->LinienBreiteZuruecksetzen(7);
  EXPECT_EQ(d->cbS7->text(), "1");
}

TEST_F(EinstellTest, StilCombosHaltenJedenTextNehmenAberKeineTastenUndESCSchliesst) {
  TfrEinstell* d = frEinstell;
  // A settings file may hold "1" or a name that is not in the list.
  d->cb4->setText("1");
  EXPECT_EQ(d->cb4->currentText(), "1");
  d->cbL4->setCurrentText("Gewellt");
  EXPECT_EQ(d->cbL4->currentText(), "Gewellt");

  d->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
  d->cb4->setFocus();
  QTest::keyClicks(d->cb4->lineEdit(), "Star");
  QTest::keyClick(d->cb4->lineEdit(), Qt::Key_Backspace);
  QTest::keyClick(d->cb4->lineEdit(), Qt::Key_Delete);
  EXPECT_EQ(d->cb4->currentText(), "1");
  // The arrow keys choose from the list, with the same effect as a choice by mouse.
  d->cbL5->setFocus();
  QTest::keyClick(d->cbL5->lineEdit(), Qt::Key_Down);
  EXPECT_EQ(d->cbL5->currentText(), "Dash");
  EXPECT_EQ(d->cbS5->currentText(), "1");
  QTest::keyClick(d->cbL5->lineEdit(), Qt::Key_Up);
  EXPECT_EQ(d->cbL5->currentText(), "Solid");
  EXPECT_TRUE(d->isVisible());
  QTest::keyClick(d->cb4->lineEdit(), Qt::Key_Escape);
  EXPECT_FALSE(d->isVisible());
}

TEST_F(EinstellTest, StileKommenUeberDieEinstellungsdateiZurueck) {
  TfrEinstell* d = frEinstell;
  HauptfensterZeigen();
  d->cb1->setText("1");
  Waehlen(d->cb2, "Star");
  Waehlen(d->cbL4, "Dot");
  Waehlen(d->cbS5, "7");
  d->UpD_PktG->stepBy(4);
  d->sbSpeichernClick();
  EXPECT_EQ(d->Tag, 1);

  Neustart();
  HauptfensterZeigen();
  d = frEinstell;
  EXPECT_EQ(d->cb1->text(), "1");
  EXPECT_EQ(d->cb2->text(), "Star");
  EXPECT_EQ(d->cbL4->text(), "Dot");
  EXPECT_EQ(d->cbS4->text(), "1");
  EXPECT_EQ(d->cbS5->text(), "7");
  EXPECT_EQ(d->cbL5->text(), "Solid");
  EXPECT_EQ(d->UpD_PktG->value(), 7);
  d->FormActivate();
  EXPECT_EQ(d->lbPkt_G->text(), "7");
}

TEST_F(EinstellTest, ZahleneinstellungenWirkenSofortUndExitHoltDieGespeichertenZurueck) {
  TfrEinstell* d = frEinstell;
  HauptfensterZeigen();
  EinstellungenSpeichern();  // precision 4 on file
  LetztesErgebnis = 1234.5678L;
  frRechn->edErgebnis->setText(" ");

  d->cbGenau->setCurrentIndex(2);
  EXPECT_EQ(Genauigkeit, 2);
  EXPECT_EQ(frRechn->edErgebnis->text(), "1234,57");
  d->cbTrenPkt->setChecked(true);
  EXPECT_TRUE(TrennPunkt);
  EXPECT_EQ(frRechn->edErgebnis->text(), "1.234,57");
  Waehlen(d->ComBTrenPkt, "-");
  EXPECT_EQ(TrennZeichen, '-');
  EXPECT_EQ(frRechn->edErgebnis->text(), "1-234,57");
  d->cbExponentenzeichen->setChecked(true);
  EXPECT_FALSE(d->plEinst_Genau->isVisibleTo(d));
  d->cbExponentenzeichen->setChecked(false);
  EXPECT_TRUE(d->plEinst_Genau->isVisibleTo(d));

  // Typed letters do not reach the precision list.
  d->cbGenau->setFocus();
  QTest::keyClick(d->cbGenau, Qt::Key_A);
  EXPECT_EQ(Genauigkeit, 2);

  d->sbExitClick();
  EXPECT_EQ(Genauigkeit, 4);
  d->FormActivate();
  EXPECT_EQ(d->cbGenau->currentText(), "4");
}

TEST_F(EinstellTest, NeuanzeigeRechnetBeiEingeschalteterUmrechnungMitDemFaktor) {
  TfrEinstell* d = frEinstell;
  HauptfensterZeigen();
  frEinheiten->sg->setColCount(3);
  frEinheiten->sg->setRowCount(3);
  frEinheiten->sg->setCells(1, 1, "km -> m");
  frEinheiten->sg->setCells(2, 1, "1000");
  frEinheiten->sg->setRow(1);
  frRechn->tbEinheiten->setChecked(true);
  LetztesErgebnis = 1.23456L;
  frRechn->edErgebnis->setText(" ");
  d->cbGenau->setCurrentIndex(2);
  EXPECT_EQ(frRechn->edErgebnis->text(), "1234,56");
  EXPECT_EQ(LetztesErgebnis, 1.23456L);

  frRechn->tbEinheiten->setChecked(false);
  d->cbGenau->setCurrentIndex(1);
  EXPECT_EQ(frRechn->edErgebnis->text(), "1,2");
}

TEST_F(EinstellTest, GrafikvariableBenenntDieBereichsfelderDerGrafik) {
  Waehlen(frEinstell->cbVar, "b");
  EXPECT_EQ(GrafikVariable, 'b');
  EXPECT_EQ(frGrafik->lbXmin->text(), "b min =");
  EXPECT_EQ(frGrafik->lbXmax->text(), "b max =");

  // The graph variable and the grouping character may also be typed.
  frEinstell->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frEinstell));
  frEinstell->cbVar->lineEdit()->selectAll();
  QTest::keyClicks(frEinstell->cbVar->lineEdit(), "T");
  EXPECT_EQ(frEinstell->cbVar->text(), "T");
  EXPECT_EQ(GrafikVariable, 'T');
  EXPECT_EQ(frGrafik->lbXmin->text(), "T min =");
  frEinstell->ComBTrenPkt->lineEdit()->selectAll();
  QTest::keyClicks(frEinstell->ComBTrenPkt->lineEdit(), "'");
  EXPECT_EQ(TrennZeichen, '\'');
  EXPECT_EQ(frEinstell->ComBTrenPkt->text(), "'");
}

TEST_F(EinstellTest, TrennzeichenUndGrafikvariableNehmenNurWasZuIhnenPasst) {
  TfrEinstell* d = frEinstell;
  HauptfensterZeigen();
  d->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
  d->cbTrenPkt->setChecked(true);
  Waehlen(d->ComBTrenPkt, "-");
  LetztesErgebnis = 1234567;
  frRechn->edErgebnis->setText(" ");
  d->cbGenau->setCurrentIndex(2);
  ASSERT_EQ(frRechn->edErgebnis->text(), "1-234-567");
  // Typed characters that would read as part of a number: the previous one stays.
  for (const char* zeichen : {"5", ",", "+", "E", "e", "0"}) {
    SCOPED_TRACE(zeichen);
    d->ComBTrenPkt->lineEdit()->selectAll();
    QTest::keyClicks(d->ComBTrenPkt->lineEdit(), zeichen);
    EXPECT_EQ(TrennZeichen, '-');
    EXPECT_EQ(d->ComBTrenPkt->text(), "-");
    EXPECT_EQ(frRechn->edErgebnis->text(), "1-234-567");
  }
  d->ComBTrenPkt->lineEdit()->selectAll();
  QTest::keyClicks(d->ComBTrenPkt->lineEdit(), "_");
  EXPECT_EQ(TrennZeichen, '_');
  EXPECT_EQ(frRechn->edErgebnis->text(), "1_234_567");
  EXPECT_TRUE(meldungen.messages().empty());
  // A character the number text cannot hold is refused with a warning, typed or pasted.
  for (const QString& zeichen : {QStringLiteral("€"), QStringLiteral("😀")}) {
    SCOPED_TRACE(zeichen.toStdString());
    meldungen.clear();
    Einfuegen(d->ComBTrenPkt->lineEdit(), zeichen);
    EXPECT_EQ(TrennZeichen, '_');
    EXPECT_EQ(d->ComBTrenPkt->text(), "_");
    EXPECT_EQ(frRechn->edErgebnis->text(), "1_234_567");
    ASSERT_EQ(meldungen.messages().size(), 1u);
    EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
    EXPECT_EQ(meldungen.messages()[0].text, "Das Zeichen „" + zeichen +
                                                "“ kann nicht als Trennzeichen dienen:\rZahlen können nur "
                                                "Zeichen aus Latin-1 (ISO 8859-1) enthalten.");
  }
  meldungen.clear();
  d->ComBTrenPkt->lineEdit()->selectAll();
  QTest::sendKeyEvent(QTest::Click, d->ComBTrenPkt->lineEdit(), Qt::Key_unknown, QStringLiteral("€"), Qt::NoModifier);
  EXPECT_EQ(d->ComBTrenPkt->text(), "_");
  EXPECT_EQ(TrennZeichen, '_');
  EXPECT_EQ(meldungen.messages().size(), 1u);
  ASSERT_TRUE(EinstellungenSpeichern());
  EXPECT_EQ(DateiLesen("einstKolvex.frb").value(6), "_");

  // The graph variable: a letter or the blank for none.
  for (const char* zeichen : {"+", "1", "(", "^", ","}) {
    SCOPED_TRACE(zeichen);
    d->cbVar->lineEdit()->selectAll();
    QTest::keyClicks(d->cbVar->lineEdit(), zeichen);
    EXPECT_EQ(GrafikVariable, 'x');
    EXPECT_EQ(d->cbVar->text(), "x");
    EXPECT_EQ(frGrafik->lbXmin->text(), "x min =");
  }
  d->cbVar->lineEdit()->selectAll();
  QTest::keyClicks(d->cbVar->lineEdit(), " ");
  EXPECT_EQ(GrafikVariable, ' ');
  d->cbVar->lineEdit()->selectAll();
  QTest::keyClicks(d->cbVar->lineEdit(), "Q");
  EXPECT_EQ(GrafikVariable, 'Q');
}

TEST_F(EinstellTest, ErgebnisseErsetzenNurSichtbarWennErgebnisseGespeichertWerden) {
  TfrEinstell* d = frEinstell;
  d->cbRes_Speich->setChecked(false);
  EXPECT_FALSE(d->cbErgeb_Var_Ersetzen->isVisibleTo(d));
  d->cbRes_Speich->setChecked(true);
  EXPECT_TRUE(d->cbErgeb_Var_Ersetzen->isVisibleTo(d));
}

// A switch that brings a hidden row back (precision behind "Exponentenzeichen", "Ergebnisse
// Ersetzen" behind "Ergebnisse Speichern") must not leave it cut off: the window was sized
// with the row hidden when it was last activated.
TEST_F(EinstellTest, WiederEingeblendeteZeilePasstOhneRollen) {
  TfrEinstell* d = frEinstell;
  d->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
  frRechn->tbGrafik->setChecked(false);
  d->cbExponentenzeichen->setChecked(true);
  d->cbRes_Speich->setChecked(false);
  QApplication::processEvents();
  d->FormActivate();
  QApplication::processEvents();
  // A window manager answers a resize a moment later.
  const auto passt = [d] { return d->ScrollBox1->viewport()->height() >= d->plInhalt->sizeHint().height(); };
  d->cbExponentenzeichen->setChecked(false);
  EXPECT_TRUE(Warten(passt))
      << d->ScrollBox1->viewport()->height() << " < " << d->plInhalt->sizeHint().height();
  d->cbRes_Speich->setChecked(true);
  EXPECT_TRUE(Warten(passt))
      << d->ScrollBox1->viewport()->height() << " < " << d->plInhalt->sizeHint().height();
}

TEST_F(EinstellTest, FormeldateiAusAnderemOrdnerBehaeltNurDenNamen) {
  DateiSchreiben("meine.txt", {"7*7\tsieben\t"});
  QString titel, name;
  TfrEinstell::setDateiDialogTestHook([&](const QString& t, const QString&, const QString& n) {
    titel = t;
    name = n;
    return QStringLiteral("/ganz/woanders/meine.txt");
  });
  frEinstell->tbEins_FormelClick();
  EXPECT_EQ(titel, "Dateiname für Formel auswählen");
  EXPECT_EQ(name, "formel.txt");
  EXPECT_EQ(FormelDatei, "meine.txt");
  EXPECT_EQ(frFormel->sg1->Cells(1, 1), "7*7");
  EXPECT_EQ(frFormel->GeladeneDatei(), Pfad("meine.txt"));

  // Cancelled: nothing changes.
  TfrEinstell::setDateiDialogTestHook([](const QString&, const QString&, const QString&) { return QString(); });
  frEinstell->tbEins_WerteClick();
  EXPECT_EQ(WerteDatei, "variable.txt");
}

TEST_F(EinstellTest, SchliessenVerwirftKeineUngespeichertenAenderungenInDenListen) {
  DateiSchreiben("formel.txt", {"a+b\tSumme\t"});
  DateiSchreiben("variable.txt", {"1", "2"});
  Neustart();
  frFormel->sg1->setCells(2, 1, "noch nicht gespeichert");
  frKonstante->sgK->setCells(1, 1, "42");
  frEinstell->show();
  frEinstell->close();
  EXPECT_EQ(frFormel->sg1->Cells(2, 1), "noch nicht gespeichert");
  EXPECT_EQ(frKonstante->sgK->Cells(1, 1), "42");

  // A file chosen and then dropped by Exit: the old name comes back and its list is read.
  EinstellungenSpeichern();
  DateiSchreiben("andere.txt", {"9-1\t\t"});
  DateiSchreiben("werte2.txt", {"5"});
  TfrEinstell::setDateiDialogTestHook([this](const QString& titel, const QString&, const QString&) {
    return titel.contains("Formel") ? Pfad("andere.txt") : Pfad("werte2.txt");
  });
  frEinstell->tbEins_FormelClick();
  frEinstell->tbEins_WerteClick();
  EXPECT_EQ(frFormel->sg1->Cells(1, 1), "9-1");
  EXPECT_EQ(frKonstante->sgK->Cells(1, 1), "5");
  frEinstell->show();
  frEinstell->sbExitClick();
  EXPECT_EQ(FormelDatei, "formel.txt");
  EXPECT_EQ(frFormel->sg1->Cells(1, 1), "a+b");
  EXPECT_EQ(frKonstante->sgK->Cells(1, 1), "1");
}

TEST_F(EinstellTest, FarbfeldWaehltDieKurvenfarbeUndMerktSie) {
  frRechn->tbGrafik->setChecked(true);
  KolvexFarbDialog::setTestHook([](KolvexFarbDialog& dialog) {
    dialog.Color = 0x00FFFF;
    return true;
  });
  QTest::mouseClick(frEinstell->plF3, Qt::LeftButton);
  EXPECT_EQ(GrafikFarben[3], 0x00FFFF);
  EXPECT_EQ(frEinstell->plF3->farbe(), 0x00FFFF);
  EXPECT_EQ(FarbArbeitsKopie()[0], "ColorA=0000FFFF");
  EXPECT_EQ(frGrafik->lbh->count(), 0);  // the empty graph draws nothing
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(EinstellTest, VorneHaltenBehaeltLageUndSichtbarkeit) {
  TfrEinstell* d = frEinstell;
  d->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
  const QRect lage = d->geometry();
  QTest::mouseClick(d->tbFormStyle, Qt::LeftButton);
  EXPECT_TRUE(d->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(d->geometry(), lage);
  QTest::mouseClick(d->tbFormStyle, Qt::LeftButton);
  EXPECT_FALSE(d->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(d->isVisible());
}

TEST_F(EinstellTest, PositioniertSichEinmalRechtsNebenDasHauptfenster) {
  frRechn->move(100, 50);
  frEinstell->EinstellPositionieren();
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(frEinstell->y(), frRechn->frameGeometry().y());
    EXPECT_EQ(frEinstell->x(), frRechn->frameGeometry().x() + frRechn->frameGeometry().width());
  }
  frEinstell->move(5, 5);
  frEinstell->EinstellPositionieren();
  EXPECT_EQ(frEinstell->pos(), QPoint(5, 5));
}

}  // namespace

namespace {
class EinstellFarbenTest : public FensterTest {};

// Shown beside the main window without being activated, the panels still show the curves'
// colours rather than black.
TEST_F(EinstellFarbenTest, FarbfelderZeigenDieKurvenfarbenSchonBeimErscheinen) {
  kolvex::GrafikFarben[1] = 255;
  kolvex::GrafikFarben[2] = 16711680;
  frEinstell->show();
  EXPECT_EQ(frEinstell->plF(1)->farbe(), 255);
  EXPECT_EQ(frEinstell->plF(2)->farbe(), 16711680);
}
}  // namespace
