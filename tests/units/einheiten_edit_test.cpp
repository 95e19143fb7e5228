// The category editor: filling, keys, saving.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "calculator/rechn.h"
#include "core/globals.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "support/sichtbarer_text.h"
#include "units/einheiten.h"
#include "units/einheiten_edit.h"

using namespace kolvex;

class EinheitenEditTest : public FensterTest {
 protected:
  void Kategorie(const QString& datei, const QString& inhalt) {
    QDir().mkpath(Pfad("Umrechnung"));
    QFile f(Pfad("Umrechnung/" + datei));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(inhalt.toUtf8());
  }
  QByteArray Inhalt(const QString& datei) const { return DateiBytes("Umrechnung/" + datei); }
  void Waehlen(const QString& kategorie) {
    frEinheiten->KategorienEinlesen();
    const int i = frEinheiten->cb1->findText(kategorie);
    ASSERT_GE(i, 0) << kategorie.toStdString();
    frEinheiten->cb1->setCurrentIndex(i);
    frEinheiten->cb1Click();
  }
  StringGrid* sge() const { return frEinheiten_Edit->sge; }
  QStringList Zeile(int r) const {
    return {sge()->Cells(0, r), sge()->Cells(1, r), sge()->Cells(2, r), sge()->Cells(3, r)};
  }
  // Opens the in-place editor of a cell and types into it.
  void Tippen(int col, int row, const QString& text) {
    frEinheiten_Edit->show();
    const QModelIndex i = sge()->indexOf(col, row);
    sge()->setCurrentIndex(i);
    sge()->edit(i);
    auto* edit = qobject_cast<QLineEdit*>(sge()->indexWidget(i));
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, text);
  }
};

// A long category name shows its beginning in the name field, also when the editor opens
// again on the name the user typed there last.
TEST_F(EinheitenEditTest, LangerNameZeigtSeinenAnfang) {
  const QString name =
      QStringLiteral("Sehr lange eigene Kategorie mit einem Namen, der nicht ins Feld passt");
  Kategorie(name + QStringLiteral(".txt"), QStringLiteral("a\tb\t2\n"));
  Waehlen(name);
  frEinheiten_Edit->show();
  frEinheiten->EditorFuellen();
  QLineEdit* ed = frEinheiten_Edit->Edit1;
  ASSERT_TRUE(ZuBreit(ed));
  EXPECT_TRUE(SichtbarerText(ed).startsWith(QStringLiteral("Sehr lange"))) << SichtbarerText(ed).toStdString();
  ed->end(false);
  frEinheiten->EditorFuellen();
  EXPECT_TRUE(SichtbarerText(ed).startsWith(QStringLiteral("Sehr lange"))) << SichtbarerText(ed).toStdString();
  frEinheiten_Edit->hide();
}

TEST_F(EinheitenEditTest, SpeichernHinweisNenntDieDatei) {
  EXPECT_EQ(frEinheiten_Edit->windowTitle(), " Einheiten editieren");
  frEinheiten_Edit->Edit1->setText("Zeit");
  frEinheiten_Edit->show();
  EXPECT_EQ(frEinheiten_Edit->sbSpeichern->toolTip(), "Speichern in Zeit.txt und Fenster schließen");
}

TEST_F(EinheitenEditTest, EingebauteTabelleFuelltDenEditor) {
  Waehlen("Einheiten des fps- in das SI-System");
  EinheitenZeile = 6;
  frEinheiten->EditorFuellen();
  EXPECT_EQ(sge()->RowCount(), 62);
  EXPECT_EQ(Zeile(1), QStringList({"1", "Länge", "", ""}));
  EXPECT_EQ(Zeile(2), QStringList({"2", "ft", "m", "0,3048"}));
  EXPECT_EQ(Zeile(60), QStringList({"60", "Dynamisch lb/(ft s)", "kg/(m s)", "1,48816"}));
  EXPECT_EQ(Zeile(61), QStringList({"", "", "", ""}));
  EXPECT_EQ(frEinheiten_Edit->Edit1->text(), "Einheiten des fps- in das SI-System");
  EXPECT_EQ(sge()->Row(), 6);
  // With Invers the pairs come reversed with their shown reciprocals.
  frEinheiten->cbInvers->click();
  frEinheiten->EditorFuellen();
  EXPECT_EQ(Zeile(1), QStringList({"1", "Länge", "", ""}));
  EXPECT_EQ(Zeile(2), QStringList({"2", "m", "ft", "3,28083989501312"}));
  // A shorter table after a longer one leaves no old rows behind.
  frEinheiten->cbInvers->click();
  Waehlen("Längenmaße");
  frEinheiten->EditorFuellen();
  EXPECT_EQ(sge()->RowCount(), 12);
  EXPECT_EQ(Zeile(11), QStringList({"", "", "", ""}));
}

TEST_F(EinheitenEditTest, NamenMitStrichUndSpitzenUeberstehenOeffnenUndSpeichern) {
  const QString inhalt = QStringLiteral("Kehr-Werte\n1/m-1\tcm<->mm\t2,5\n x \t y \t 3 \n");
  Kategorie("Sonder.txt", inhalt);
  Waehlen("Sonder");
  frEinheiten->EditorFuellen();
  EXPECT_EQ(Zeile(1), QStringList({"1", "Kehr-Werte", "", ""}));
  EXPECT_EQ(Zeile(2), QStringList({"2", "1/m-1", "cm<->mm", "2,5"}));
  EXPECT_EQ(Zeile(3), QStringList({"3", " x ", " y ", "3"}));
  ASSERT_TRUE(frEinheiten_Edit->DateiSchreiben(Pfad("Umrechnung/Sonder.txt")));
  EXPECT_EQ(Inhalt("Sonder.txt"), QByteArray("Kehr-Werte\t\t\n1/m-1\tcm<->mm\t2,5\n x \t y \t3\n"));
  // Under Invers the pairs are handed over as shown: swapped, with the reciprocal.
  frEinheiten->cbInvers->click();
  frEinheiten->EditorFuellen();
  EXPECT_EQ(Zeile(1), QStringList({"1", "Kehr-Werte", "", ""}));
  EXPECT_EQ(Zeile(2), QStringList({"2", "cm<->mm", "1/m-1", "0,4"}));
}

// A TAB or line break pasted into a cell, through its editor or straight into the grid, is a
// blank there and in the file: each row stays one line of three fields through a restart,
// and the second save writes the same bytes.
TEST_F(EinheitenEditTest, EingefuegteTabsUndUmbruecheBleibenInIhrerZelle) {
  Kategorie("Eigen.txt", QStringLiteral("m\tcm\t100\n"));
  Waehlen("Eigen");
  frEinheiten->EditorFuellen();
  Tippen(1, 1, "");
  auto* edit = qobject_cast<QLineEdit*>(sge()->indexWidget(sge()->indexOf(1, 1)));
  ASSERT_NE(edit, nullptr);
  Einfuegen(edit, "a\tb");
  EXPECT_EQ(edit->text(), "a b");
  sge()->setCells(2, 1, "nach a\tb");
  sge()->setCells(3, 1, "1,5");
  sge()->setRowCount(3);
  sge()->setCells(1, 2, "x\ny");
  sge()->setCells(2, 2, "z\r\nw");
  sge()->setCells(3, 2, "2");
  ASSERT_TRUE(frEinheiten_Edit->DateiSchreiben(Pfad("Umrechnung/Eigen.txt")));
  const QByteArray erste = Inhalt("Eigen.txt");
  EXPECT_EQ(erste, QByteArray("a b\tnach a b\t1,5\nx y\tz  w\t2\n"));

  Neustart();
  Waehlen("Eigen");
  frEinheiten->EditorFuellen();
  EXPECT_EQ(sge()->RowCount(), 4);
  EXPECT_EQ(Zeile(1), QStringList({"1", "a b", "nach a b", "1,5"}));
  EXPECT_EQ(Zeile(2), QStringList({"2", "x y", "z  w", "2"}));
  ASSERT_TRUE(frEinheiten_Edit->DateiSchreiben(Pfad("Umrechnung/Eigen.txt")));
  EXPECT_EQ(Inhalt("Eigen.txt"), erste);
}

TEST_F(EinheitenEditTest, FaktorspalteNimmtNurZahlen) {
  frEinheiten->EditorFuellen();
  Tippen(3, 1, "1.5,3a-7");
  EXPECT_EQ(sge()->Cells(3, 1), "1,53-7");
  Tippen(1, 1, "m.s-1");
  EXPECT_EQ(sge()->Cells(1, 1), "m.s-1");
  // Typing on the grid itself opens the cell's editor with the same filter.
  sge()->setCurrentIndex(sge()->indexOf(3, 2));
  QTest::keyClick(sge(), '.');
  EXPECT_EQ(sge()->Cells(3, 2), ",");
  sge()->setCurrentIndex(sge()->indexOf(3, 3));
  QTest::keyClick(sge(), 'x');
  EXPECT_EQ(sge()->Cells(3, 3), "");
}

TEST_F(EinheitenEditTest, EnterGehtWeiterUndHaengtNurAnGefuellteZeilenAn) {
  Waehlen("Längenmaße");
  frEinheiten->EditorFuellen();
  frEinheiten_Edit->show();
  sge()->setCurrentIndex(sge()->indexOf(1, 10));
  QTest::keyClick(sge(), Qt::Key_Return);
  EXPECT_EQ(sge()->Col(), 2);
  QTest::keyClick(sge(), Qt::Key_Return);
  QTest::keyClick(sge(), Qt::Key_Return);
  EXPECT_EQ(sge()->Row(), 11);
  EXPECT_EQ(sge()->Col(), 1);
  // The empty last row: Enter in its factor cell stays in it.
  sge()->setCurrentIndex(sge()->indexOf(3, 11));
  QTest::keyClick(sge(), Qt::Key_Return);
  EXPECT_EQ(sge()->RowCount(), 12);
  EXPECT_EQ(sge()->Row(), 11);
  EXPECT_EQ(sge()->Col(), 1);
  // Filled through the in-place editor, Enter there appends a row.
  Tippen(3, 11, "2");
  auto* edit = qobject_cast<QLineEdit*>(sge()->indexWidget(sge()->indexOf(3, 11)));
  ASSERT_NE(edit, nullptr);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(sge()->RowCount(), 13);
  EXPECT_EQ(sge()->Row(), 12);
  EXPECT_EQ(sge()->Col(), 1);
  EXPECT_EQ(sge()->Cells(3, 11), "2");
  EXPECT_EQ(sge()->Cells(0, 12), "");
}

TEST_F(EinheitenEditTest, SpeichernFragtUndSchreibtOhneLeereZeilen) {
  frEinheiten_Edit->show();
  frEinheiten_Edit->Edit1->setText("Zeit");
  sge()->setRowCount(6);
  const QStringList z1{"", "h", "min", "60"}, z2{"", "  ", " ", ""}, z3{"", "Tage", "", ""},
      z4{"", "", "", ""}, z5{"", "d", "h", "24"};
  int r = 1;
  for (const QStringList& z : {z1, z2, z3, z4, z5}) {
    for (int c = 1; c <= 3; ++c) sge()->setCells(c, r, z[c]);
    ++r;
  }
  sge()->setCurrentIndex(sge()->indexOf(1, 5));
  meldungen.answerWith({MessageAnswer::No});
  frEinheiten_Edit->sbSpeichernClick();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, "Zeit speichern?");
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_FALSE(QDir(Pfad("Umrechnung")).exists());
  EXPECT_TRUE(frEinheiten_Edit->isVisible());

  // Yes: the folder is made, the file written, the category listed and chosen.
  frEinheiten_Edit->sbSpeichernClick();
  EXPECT_EQ(meldungen.messages().size(), 2u);
  EXPECT_EQ(Inhalt("Zeit.txt"), QByteArray("h\tmin\t60\nTage\t\t\nd\th\t24\n"));
  EXPECT_FALSE(frEinheiten_Edit->isVisible());
  EXPECT_EQ(EinheitenZeile, 5);
  EXPECT_EQ(frEinheiten->cb1->itemText(EinheitenKategorie), "Zeit");

  // A second save asks to overwrite.
  frEinheiten_Edit->show();
  meldungen.answerWith({MessageAnswer::No});
  frEinheiten_Edit->sbSpeichernClick();
  EXPECT_EQ(meldungen.messages().back().text, "Zeit.txt überschreiben?");
}

TEST_F(EinheitenEditTest, SpeichernUeberschreibtDieDateiUnterIhremNamen) {
  Kategorie("Druck.TXT", QStringLiteral("bar\tPa\t100000\n"));
  Waehlen("Druck");
  frEinheiten->EditorFuellen();
  sge()->setCells(3, 1, "1E5");
  frEinheiten_Edit->sbSpeichernClick();
  ASSERT_FALSE(meldungen.messages().empty());
  EXPECT_EQ(meldungen.messages().back().text, "Druck.txt überschreiben?");
  EXPECT_EQ(Inhalt("Druck.TXT"), QByteArray("bar\tPa\t1E5\n"));
  EXPECT_FALSE(QFile::exists(Pfad("Umrechnung/Druck.txt")));
}

TEST_F(EinheitenEditTest, SpeichernOhnePaareEntferntDieKategorie) {
  Kategorie("Alt.txt", QStringLiteral("a\tb\t2\n"));
  Waehlen("Alt");
  frEinheiten->EditorFuellen();
  sge()->setCells(2, 1, "");
  sge()->setCells(3, 1, "");
  frEinheiten_Edit->sbSpeichernClick();
  EXPECT_EQ(frEinheiten->cb1->findText("Alt"), -1);
  EXPECT_EQ(EinheitenKategorie, 0);
}

TEST_F(EinheitenEditTest, FehlgeschlagenesSpeichernMeldetUndBleibtOffen) {
  QDir().mkpath(Pfad("Umrechnung/Kaputt.txt"));  // a folder where the file should go
  frEinheiten_Edit->show();
  frEinheiten_Edit->Edit1->setText("Kaputt");
  sge()->setCells(1, 1, "a");
  frEinheiten_Edit->sbSpeichernClick();
  ASSERT_EQ(meldungen.messages().size(), 2u);
  EXPECT_EQ(meldungen.messages()[0].text, "Kaputt.txt überschreiben?");
  const QString pfad = QString::fromStdString(UmrechnungPfad) + "Kaputt.txt";
  EXPECT_TRUE(meldungen.messages()[1].text.startsWith("Datei " + pfad + " konnte nicht gespeichert werden.\r"));
  EXPECT_GT(meldungen.messages()[1].text.size(), ("Datei " + pfad + " konnte nicht gespeichert werden.\r").size());
  EXPECT_TRUE(frEinheiten_Edit->isVisible());
  EXPECT_TRUE(QFileInfo(pfad).isDir());
}

TEST_F(EinheitenEditTest, OrdnerNichtAnlegbarBrichtStillAb) {
  ASSERT_TRUE(writeTextLines(Pfad("Umrechnung"), {"kein Ordner"}));
  frEinheiten_Edit->show();
  frEinheiten_Edit->Edit1->setText("Zeit");
  sge()->setCells(1, 1, "a");
  frEinheiten_Edit->sbSpeichernClick();
  EXPECT_EQ(meldungen.messages().size(), 1u);  // only the question
  EXPECT_TRUE(frEinheiten_Edit->isVisible());
}

TEST_F(EinheitenEditTest, EditierenVersteckt_ZeigtModalUndDanachWiederBeideFenster) {
  HauptfensterZeigen();
  frRechn->tbEinheiten->click();
  ASSERT_TRUE(frEinheiten->isVisible());
  bool gesehen = false;
  QTimer::singleShot(0, [&] {
    gesehen = frEinheiten_Edit->isVisible() && frEinheiten_Edit->isModalRunning() && !frRechn->isVisible() &&
              !frEinheiten->isVisible();
    frEinheiten_Edit->sbExit->click();
  });
  frEinheiten->sbEdit->click();
  EXPECT_TRUE(gesehen);
  EXPECT_FALSE(frEinheiten_Edit->isVisible());
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_TRUE(frEinheiten->isVisible());
  EXPECT_TRUE(frRechn->tbEinheiten->isChecked());
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(EinheitenEditTest, GespeicherteKategorieErscheintNachDemEditor) {
  HauptfensterZeigen();
  frRechn->tbEinheiten->click();
  QTimer::singleShot(0, [&] {
    frEinheiten_Edit->Edit1->setText("Neu");
    sge()->setCells(1, 1, "h");
    sge()->setCells(2, 1, "min");
    sge()->setCells(3, 1, "60");
    frEinheiten_Edit->sbSpeichern->click();
  });
  frEinheiten->sbEdit->click();
  EXPECT_TRUE(Warten([] { return frEinheiten->cb1->currentText() == "Neu"; }));
  EXPECT_EQ(frEinheiten->sg->Cells(1, 1), " h ---> min");
  EXPECT_EQ(frEinheiten->sg->Cells(2, 1), "60");
}

TEST_F(EinheitenEditTest, UngueltigeNamenWerdenVorDemSchreibenAbgewiesen) {
  // ".." as a name would give the file "...txt"; "../x" a file beside the unit folder.
  struct Fall {
    QString name, meldung;
  };
  const Fall faelle[] = {
      {"", "Ungültiger Name: Der Name der Kategorie ist leer."},
      {"   ", "Ungültiger Name: Der Name der Kategorie ist leer."},
      {"a/b", "Ungültiger Name: \"a/b\" darf kein \"/\" enthalten."},
      {"../x", "Ungültiger Name: \"../x\" darf kein \"/\" enthalten."},
      {"a\\b", "Ungültiger Name: \"a\\b\" darf kein \"\\\" enthalten."},
      {".", "Ungültiger Name: \".\" ist kein Dateiname."},
      {"..", "Ungültiger Name: \"..\" ist kein Dateiname."},
  };
  frEinheiten_Edit->show();
  sge()->setCells(1, 1, "h");
  sge()->setCells(2, 1, "min");
  sge()->setCells(3, 1, "60");
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name.toStdString());
    meldungen.clear();
    frEinheiten_Edit->Edit1->setText(f.name);
    frEinheiten_Edit->sbSpeichernClick();
    ASSERT_EQ(meldungen.messages().size(), 1u);  // no question to save
    EXPECT_EQ(meldungen.messages()[0].text, f.meldung);
    EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
    EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(frEinheiten_Edit->isVisible());
  }
  EXPECT_FALSE(QDir(Pfad("Umrechnung")).exists());
  EXPECT_FALSE(QFile::exists(Pfad("x.txt")));
  EXPECT_FALSE(QFile::exists(Pfad("Umrechnung/.txt")));

  // Dots and blanks inside a name are a plain file name.
  meldungen.clear();
  frEinheiten_Edit->Edit1->setText("m.s ..");
  frEinheiten_Edit->sbSpeichernClick();
  ASSERT_FALSE(meldungen.messages().empty());
  EXPECT_EQ(meldungen.messages()[0].text, "m.s .. speichern?");
  EXPECT_EQ(Inhalt("m.s ...txt"), QByteArray("h\tmin\t60\n"));
}
