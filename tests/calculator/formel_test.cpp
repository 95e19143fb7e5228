// The formula list: its file (formula TAB comment TAB), insert, delete and save with their
// questions, the offer at program exit, the row chosen last time, and grid clicks.
#include <QApplication>
#include <QLineEdit>
#include <QToolButton>

#include "calculator/einstellungen.h"
#include "calculator/formel.h"
#include "core/globals.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"

using namespace kolvex;

// Readable QStrings in failure messages.
[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class FormelTest : public FensterTest {
 protected:
  void MitListe(const QStringList& zeilen) {
    DateiSchreiben("formel.txt", zeilen);
    Neustart();
  }
  StringGrid* sg() const { return frFormel->sg1; }
  QLineEdit* ed1() const { return frRechn->ed1; }
};

TEST_F(FormelTest, LaedtFormelUndKommentarUndUeberspringtLeereZeilen) {
  MitListe({"a+b\tSumme\t", "   ", "", "2*c\t\t", "x^2", "\t", "r*r*¶\tKreis \tRest"});
  EXPECT_EQ(frFormel->windowTitle(), " Formel");
  EXPECT_EQ(sg()->Cells(1, 0), "  Formel");
  EXPECT_EQ(sg()->Cells(2, 0), " Kommentar");
  EXPECT_EQ(sg()->Cells(0, 1), "1");
  EXPECT_EQ(sg()->Cells(1, 1), "a+b");
  EXPECT_EQ(sg()->Cells(2, 1), "Summe");
  EXPECT_EQ(sg()->Cells(0, 2), "2");
  EXPECT_EQ(sg()->Cells(1, 2), "2*c");
  EXPECT_EQ(sg()->Cells(1, 3), "x^2");  // no TAB: a formula without comment
  EXPECT_EQ(sg()->Cells(2, 3), "");
  EXPECT_EQ(sg()->Cells(1, 4), "");  // a lone TAB is a row without formula
  EXPECT_EQ(sg()->Cells(0, 4), "4");
  EXPECT_EQ(sg()->Cells(1, 5), "r*r*π");  // the pi byte of an old file
  EXPECT_EQ(sg()->Cells(2, 5), "Kreis ");
  EXPECT_EQ(sg()->RowCount(), 7);
  EXPECT_EQ(frFormel->FormelSuchen(QStringLiteral("2*c")), 2);
  EXPECT_EQ(frFormel->FormelSuchen(QStringLiteral("2*c ")), 0);
  EXPECT_EQ(frFormel->FormelSuchen(std::string("r*r*\xB6")), 5);

  frFormel->FormelnLaden(Pfad("fehlt.txt"));
  EXPECT_EQ(sg()->RowCount(), 2);
  EXPECT_EQ(sg()->Cells(1, 1), "");
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(FormelTest, SpeichernMachtZeilenumbruecheUndTabsZuLeerzeichen) {
  MitListe({"a+b\tSumme\t"});
  sg()->setCells(1, 1, "a+\r\nb");
  sg()->setCells(2, 1, "mit\tTab");
  sg()->setRowCount(4);
  sg()->setCells(2, 2, "Kommentar ohne Formel");
  sg()->setCells(1, 3, "c");
  ASSERT_TRUE(frFormel->FormelnSpeichern(Pfad("formel.txt")));
  EXPECT_EQ(DateiLesen("formel.txt"), (QStringList{"a+  b\tmit Tab\t", "c\t\t"}));
  frFormel->FormelnLaden(Pfad("formel.txt"));
  EXPECT_EQ(sg()->Cells(1, 1), "a+  b");
  EXPECT_EQ(sg()->Cells(1, 2), "c");
  EXPECT_EQ(sg()->RowCount(), 4);
}

TEST_F(FormelTest, EinfuegenNimmtDieErsteLeereZeileUndMeldetVorhandene) {
  MitListe({"a+b\tSumme\t", "2*c\t\t"});
  ed1()->setText("a+b");
  frFormel->sbForm_EinfClick();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, "Formel\ra+b\rist schon vorhanden");
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  EXPECT_EQ(sg()->Row(), 1);
  EXPECT_EQ(sg()->RowCount(), 4);

  ed1()->setText("   ");
  frFormel->sbForm_EinfClick();
  ASSERT_EQ(meldungen.messages().size(), 2u);
  EXPECT_EQ(meldungen.messages()[1].text, "Keine Formel in Eingabefenster");

  ed1()->setText("x*y");
  frFormel->sbForm_EinfClick();
  EXPECT_EQ(sg()->Cells(0, 3), "3");
  EXPECT_EQ(sg()->Cells(1, 3), "x*y");
  EXPECT_EQ(sg()->Row(), 3);
  EXPECT_EQ(DateiLesen("formel.txt"), (QStringList{"a+b\tSumme\t", "2*c\t\t", "x*y\t\t"}));

  // The grid grows when no empty row is left.
  ed1()->setText("z/2");
  frFormel->sbForm_EinfClick();
  EXPECT_EQ(sg()->Cells(1, 4), "z/2");
  EXPECT_EQ(sg()->RowCount(), 5);
  EXPECT_EQ(meldungen.messages().size(), 2u);
}

TEST_F(FormelTest, LoeschenFragtUndNummeriertNeu) {
  MitListe({"a\t\t", "b*2\tzwei\t", "c\t\t"});
  ed1()->setText("b*2");
  sg()->setRow(2);
  meldungen.answerWith({MessageAnswer::No});
  frFormel->sbFormel_LoeschenClick();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, "Formel Nr.2\rb*2\rlöschen?");
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(sg()->Cells(1, 2), "b*2");

  frFormel->sbFormel_LoeschenClick();  // Yes
  EXPECT_EQ(ed1()->text(), "");
  EXPECT_EQ(sg()->Cells(0, 2), "2");
  EXPECT_EQ(sg()->Cells(1, 2), "c");
  EXPECT_EQ(sg()->RowCount(), 4);
  EXPECT_EQ(DateiLesen("formel.txt"), (QStringList{"a\t\t", "c\t\t"}));
}

TEST_F(FormelTest, SpeichernKnopfFragtUndSchreibtAuchDieEinstellungen) {
  MitListe({"a\t\t"});
  sg()->setCells(2, 1, "neu");
  meldungen.answerWith({MessageAnswer::No});
  frFormel->sbFormel_SpeichernClick();
  EXPECT_EQ(meldungen.messages()[0].text, "Formel speichern?");
  EXPECT_EQ(DateiLesen("formel.txt"), QStringList{"a\t\t"});
  EXPECT_FALSE(DateiDa("einstKolvex.frb"));
  frFormel->sbFormel_SpeichernClick();
  EXPECT_EQ(DateiLesen("formel.txt"), QStringList{"a\tneu\t"});
  EXPECT_TRUE(DateiDa("einstKolvex.frb"));
}

TEST_F(FormelTest, BeimBeendenWirdEineNeueFormelAngeboten) {
  MitListe({"a+b\tSumme\t"});
  const QString datei = Pfad("formel.txt");

  ed1()->setText("2*c");
  meldungen.answerWith({MessageAnswer::No});
  frFormel->NeueFormelSpeichern(datei);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, "Neue Formel\r2*c\rspeichern?");
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  EXPECT_EQ(DateiLesen("formel.txt"), QStringList{"a+b\tSumme\t"});

  frFormel->NeueFormelSpeichern(datei);  // Yes
  EXPECT_EQ(DateiLesen("formel.txt"), (QStringList{"a+b\tSumme\t", "2*c"}));
  meldungen.clear();

  // Already listed, or nothing in the entry field: no question and no write.
  ASSERT_TRUE(QFile::remove(datei));
  ed1()->setText("a+b");
  frFormel->NeueFormelSpeichern(datei);
  ed1()->setText("  ");
  frFormel->NeueFormelSpeichern(datei);
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_FALSE(DateiDa("formel.txt"));
}

TEST_F(FormelTest, DieZuletztGewaehlteZeileKommtZurueck) {
  DateiSchreiben("formel.txt", {"a\t\t", "b*b\t\t", "c\t\t"});
  HauptfensterZeigen();
  FormelZeile = 2;
  EinstellungenSpeichern();
  // A settings file without the last formula keeps the row (a full file sets it to -1).
  QStringList z = DateiLesen("einstKolvex.frb");
  ASSERT_EQ(z.size(), 92);
  DateiSchreiben("einstKolvex.frb", z.mid(0, 75));
  Neustart();
  EXPECT_EQ(FormelZeile, 2);
  EXPECT_EQ(sg()->Row(), 2);
  EXPECT_EQ(ed1()->text(), "b*b");
}

TEST_F(FormelTest, KlickInDieListeHoltDieFormelInsEingabefeld) {
  MitListe({"a+b\t\t", "c*3\t\t"});
  HauptfensterZeigen();
  frFormel->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frFormel));
  frRechn->edErgebnis->setText("7");
  const QRect zelle = sg()->visualRect(sg()->indexOf(1, 2));
  QTest::mouseClick(sg()->viewport(), Qt::LeftButton, {}, zelle.center());
  EXPECT_EQ(FormelZeile, 2);
  EXPECT_EQ(ed1()->text(), "c*3");
  EXPECT_EQ(frRechn->edErgebnis->text(), "7");  // the entry now matches the row

  ed1()->setText("anders");
  QTest::mouseClick(sg()->viewport(), Qt::LeftButton, {}, sg()->visualRect(sg()->indexOf(1, 3)).center());
  EXPECT_EQ(ed1()->text(), "anders");  // an empty row leaves the entry alone
  EXPECT_EQ(frRechn->edErgebnis->text(), "");

  sg()->setRow(1);
  frFormel->sg1Enter();
  EXPECT_EQ(ed1()->text(), "a+b");
}

// A second click on the chosen row and typing at once: the first letter is not lost.
TEST_F(FormelTest, TippenGleichNachDemKlickAufDieGewaehlteZelleVerliertNichts) {
  MitListe({"a+b\t\t"});
  HauptfensterZeigen();
  frFormel->show();
  frFormel->activateWindow();
  ASSERT_TRUE(AktivAbwarten(frFormel));
  const QPoint zelle = sg()->visualRect(sg()->indexOf(1, 2)).center();
  QTest::mouseClick(sg()->viewport(), Qt::LeftButton, {}, zelle);
  QTest::mouseClick(sg()->viewport(), Qt::LeftButton, {}, zelle);
  for (char c : std::string("SIN(x)")) QTest::keyClick(QApplication::focusWidget(), c);
  EXPECT_EQ(sg()->Cells(1, 2), "SIN(x)");
}

// Enter calculates the row's formula also while its cell is being edited.
TEST_F(FormelTest, EnterImZelleneditorRechnetSofort) {
  MitListe({"1+1\t\t"});
  HauptfensterZeigen();
  frFormel->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frFormel));
  const QModelIndex zelle = sg()->indexOf(1, 1);
  sg()->setCurrentIndex(zelle);
  sg()->edit(zelle);
  auto* editor = qobject_cast<QLineEdit*>(sg()->indexWidget(zelle));
  if (!editor) editor = sg()->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "2*3");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(ed1()->text(), "2*3");
  EXPECT_EQ(frRechn->edErgebnis->text(), "6");
}

}  // namespace
