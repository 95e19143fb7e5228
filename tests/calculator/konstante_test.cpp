// The values table: its values file, the row lookup, typing into a value cell and the
// buttons.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "calculator/konstante.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"

using namespace kolvex;

namespace {

class KonstanteTest : public FensterTest {
 protected:
  StringGrid* sg() { return frKonstante->sgK; }
  QString Wert(QChar buchstabe) {
    const int zeile = buchstabe.isLower() ? buchstabe.unicode() - 'a' + 1
                                          : buchstabe.unicode() - 'A' + 27;
    return sg()->Cells(1, zeile);
  }
  // Opens the in-place editor of a value cell.
  QLineEdit* Bearbeiten(int zeile) {
    frKonstante->show();
    sg()->setRow(zeile);
    sg()->setCol(1);
    sg()->edit(sg()->indexOf(1, zeile));
    return sg()->viewport()->findChild<QLineEdit*>();
  }
};

TEST_F(KonstanteTest, TabelleHat52VariablenUndDieKopfzeile) {
  ASSERT_EQ(sg()->RowCount(), 53);
  EXPECT_EQ(sg()->Cells(0, 1), " a");
  EXPECT_EQ(sg()->Cells(0, 26), " z");
  EXPECT_EQ(sg()->Cells(0, 27), " A");
  EXPECT_EQ(sg()->Cells(0, 52), " Z");
  EXPECT_EQ(frKonstante->windowTitle(), " Werte");
}

TEST_F(KonstanteTest, KurzeDateiFuelltNurIhreZeilen) {
  frKonstante->sgK->setCells(1, 4, "9");
  DateiSchreiben("v.txt", {"1", "2,5", "3*4"});
  frKonstante->WerteLaden(Pfad("v.txt"));
  EXPECT_EQ(Wert('a'), "1");
  EXPECT_EQ(Wert('b'), "2,5");
  EXPECT_EQ(Wert('c'), "3*4");
  EXPECT_EQ(Wert('d'), "9");
}

TEST_F(KonstanteTest, WerteDateiWirdBeimStartGeladenUndGrossbuchstabenFolgenAufZ) {
  QStringList z;
  for (int i = 1; i <= 52; ++i) z << QString::number(i);
  DateiSchreiben("variable.txt", z);
  Neustart();
  EXPECT_EQ(Wert('a'), "1");
  EXPECT_EQ(Wert('z'), "26");
  EXPECT_EQ(Wert('A'), "27");
  EXPECT_EQ(Wert('Z'), "52");
}

TEST_F(KonstanteTest, ZeilenUeber52WerdenIgnoriert) {
  QStringList z;
  for (int i = 1; i <= 60; ++i) z << QString::number(i);
  DateiSchreiben("v.txt", z);
  frKonstante->WerteLaden(Pfad("v.txt"));
  EXPECT_EQ(sg()->RowCount(), 53);
  EXPECT_EQ(Wert('Z'), "52");
  EXPECT_TRUE(sg()->Cells(1, 53).isEmpty());
}

TEST_F(KonstanteTest, OrdnerStattDateiWirdNichtGelesen) {
  ASSERT_TRUE(QDir().mkdir(Pfad("variable.txt")));
  Neustart();
  EXPECT_TRUE(Wert('a').isEmpty());
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(KonstanteTest, SpeichernOhneWerteDateiSchreibt52LeereZeilen) {
  frKonstante->SpeichernClick();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, "Werte speichern?");
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  const QStringList z = DateiLesen("variable.txt");
  ASSERT_EQ(z.size(), 52);
  for (const QString& zeile : z) EXPECT_TRUE(zeile.isEmpty());
}

TEST_F(KonstanteTest, SpeichernMitNeinSchreibtNichts) {
  meldungen.answerWith({MessageAnswer::No});
  frKonstante->SpeichernClick();
  EXPECT_FALSE(DateiDa("variable.txt"));
}

TEST_F(KonstanteTest, ZeilenumbruchOderTabInEinerZelleVerschiebtKeineVariable) {
  sg()->setCells(1, 1, "1\r\n2");
  sg()->setCells(1, 2, "3\t4");
  sg()->setCells(1, 3, "5");
  ASSERT_TRUE(frKonstante->WerteSpeichern(Pfad("v.txt")));
  const QStringList z = DateiLesen("v.txt");
  ASSERT_EQ(z.size(), 52);
  EXPECT_EQ(z[0], "1  2");
  EXPECT_EQ(z[1], "3 4");
  EXPECT_EQ(z[2], "5");
  sg()->clearCells();
  frKonstante->VariablenEintragen();
  frKonstante->WerteLaden(Pfad("v.txt"));
  EXPECT_EQ(Wert('c'), "5");
}

TEST_F(KonstanteTest, LeererWerteDateinameSpeichertUnterDerVorgabe) {
  WerteDatei.clear();
  frKonstante->SpeichernClick();
  EXPECT_TRUE(DateiDa("variable.txt"));
}

TEST_F(KonstanteTest, VariableSuchenWaehltDieZeileDesBuchstabens) {
  frKonstante->VariableSuchen('C');
  EXPECT_EQ(sg()->Row(), 29);
  frKonstante->VariableSuchen('b');
  EXPECT_EQ(sg()->Row(), 2);
  frKonstante->VariableSuchen('?');
  EXPECT_EQ(sg()->Row(), 2);
}

TEST_F(KonstanteTest, GetippterPunktWirdKommaUndZweiterOperatorWirdAbgewiesen) {
  QLineEdit* ed = Bearbeiten(1);
  ASSERT_NE(ed, nullptr);
  QTest::keyClicks(ed, "1.5+");
  QTest::keyClicks(ed, "*");
  EXPECT_EQ(sg()->Cells(1, 1), "1,5+");
  // The core reads the cell while it is still being typed.
  QTest::keyClicks(ed, "2");
  EXPECT_EQ(sg()->Cells(1, 1), "1,5+2");
}

TEST_F(KonstanteTest, TasteDieZweiOperatorenNebeneinanderLaesstWirdZurueckgenommen) {
  sg()->setCells(1, 1, "1+2*3");
  QLineEdit* ed = Bearbeiten(1);
  ASSERT_NE(ed, nullptr);
  ASSERT_EQ(ed->text(), "1+2*3");
  ed->setCursorPosition(3);
  QTest::keyClick(ed, Qt::Key_Backspace);
  EXPECT_EQ(sg()->Cells(1, 1), "1+2*3");
  EXPECT_EQ(ed->text(), "1+2*3");
  // A harmless edit stays.
  ed->setCursorPosition(5);
  QTest::keyClick(ed, Qt::Key_Backspace);
  QTest::keyClicks(ed, "4");
  EXPECT_EQ(sg()->Cells(1, 1), "1+2*4");
}

TEST_F(KonstanteTest, RuecknahmeStelltDenZellinhaltBeimTastendruckWiederHer) {
  // The cell is chosen while it holds "1", then written from outside (as the main window's
  // "result into the values table" does); a faulty key must bring back what the cell held
  // when the key went down, not what it held when it was chosen.
  sg()->setCells(1, 1, "1");
  frKonstante->show();
  sg()->setRow(2);
  sg()->setRow(1);
  sg()->setCol(1);
  sg()->setCells(1, 1, "1+2*3");
  QLineEdit* ed = Bearbeiten(1);
  ASSERT_NE(ed, nullptr);
  ASSERT_EQ(ed->text(), "1+2*3");
  ed->setCursorPosition(3);
  QTest::keyClick(ed, Qt::Key_Backspace);
  EXPECT_EQ(sg()->Cells(1, 1), "1+2*3");
}

TEST_F(KonstanteTest, EnterRechnetDieEingabeDesHauptfenstersNeuAus) {
  HauptfensterZeigen();
  sg()->setCells(1, 1, "2");
  frRechn->ed1->setText("a*3");
  QLineEdit* ed = Bearbeiten(1);
  ASSERT_NE(ed, nullptr);
  QTest::keyClick(ed, Qt::Key_Backspace);
  QTest::keyClicks(ed, "5");
  QTest::keyClick(ed, Qt::Key_Return);
  EXPECT_EQ(frRechn->edErgebnis->text(), "15");
}

TEST_F(KonstanteTest, EnterBeiLeeremEingabefeldTutNichts) {
  HauptfensterZeigen();
  frRechn->ed1->clear();
  frRechn->edErgebnis->setText("7");
  QTest::keyClick(sg(), Qt::Key_Return);
  EXPECT_EQ(frRechn->edErgebnis->text(), "7");
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(KonstanteTest, FensterKnopfSpiegeltSichtbarkeitUndSchliessenSpeichertNicht) {
  HauptfensterZeigen();
  frKonstante->show();
  frKonstante->activateWindow();
  (void)AktivAbwarten(frKonstante);
  EXPECT_TRUE(frRechn->tbWerte->isChecked());
  sg()->setCells(1, 1, "4");
  frKonstante->sbExitClick();
  EXPECT_FALSE(frKonstante->isVisible());
  EXPECT_FALSE(frRechn->tbWerte->isChecked());
  EXPECT_FALSE(DateiDa("variable.txt"));
}

}  // namespace
