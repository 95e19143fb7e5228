// The conversion window: tables, category files, the scan and the calculation driver.
#include <QCheckBox>
#include <QComboBox>
#include <QStyle>
#include <QFrame>
#include <QScrollArea>
#include <QAbstractItemView>
#include <QStyleOptionComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include "calculator/rechn.h"
#include "core/globals.h"
#include "core/zahltext.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "support/fenster_fixture.h"
#include "units/einheiten.h"

using namespace kolvex;

namespace {
const QString kFps = QStringLiteral("Einheiten des fps- in das SI-System");
}

class EinheitenTest : public FensterTest {
 protected:
  // A category file, written as raw bytes (so Windows-1252 and CR LF can be tested).
  void Kategorie(const QString& datei, const QByteArray& inhalt) {
    QDir().mkpath(Pfad("Umrechnung"));
    QFile f(Pfad("Umrechnung/" + datei));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
  }
  void Kategorie(const QString& datei, const QString& inhalt) { Kategorie(datei, inhalt.toUtf8()); }

  QStringList Kategorien() const {
    QStringList l;
    for (int i = 0; i < frEinheiten->cb1->count(); ++i) l << frEinheiten->cb1->itemText(i);
    return l;
  }
  void Waehlen(const QString& kategorie) {
    const int i = frEinheiten->cb1->findText(kategorie);
    ASSERT_GE(i, 0) << kategorie.toStdString();
    frEinheiten->cb1->setCurrentIndex(i);
    frEinheiten->cb1Click();
  }
  QString Zelle(int col, int row) const { return frEinheiten->sg->Cells(col, row); }
  int Zeilen() const { return frEinheiten->sg->RowCount(); }

  // The main window shown and active, the unit button down and the unit window activated.
  void Umrechnen(const QString& kategorie, int zeile) {
    HauptfensterZeigen();
    frEinheiten->KategorienEinlesen();
    EinheitenKategorie = static_cast<int32_t>(Kategorien().indexOf(kategorie));
    ASSERT_GE(EinheitenKategorie, 0);
    EinheitenZeile = zeile;
    frRechn->tbEinheiten->click();
    ASSERT_TRUE(frEinheiten->isVisible());
    frEinheiten->activateWindow();
    if (!AktivAbwarten(frEinheiten)) frEinheiten->FormActivate();
    ASSERT_EQ(frEinheiten->cb1->currentText(), kategorie);
  }
  void Rechnen(const QString& formel) {
    frRechn->ed1->setText(formel);
    frRechn->Berechnen(formel);
  }
  QString Ergebnis() const { return frRechn->edErgebnis->text(); }
};

// ---- Tables --------------------------------------------------------------------------------

TEST_F(EinheitenTest, FensterUndKategorienInSortierterFolge) {
  EXPECT_EQ(frEinheiten->windowTitle(), " Einheiten - Umrechnung");
  EXPECT_EQ(Kategorien(), QStringList({kFps, "Flächenmaße", "Längenmaße", "Raummaße"}));
  EXPECT_FALSE(frEinheiten->sg->editing());
}

TEST_F(EinheitenTest, TabellenMitNummernDieTitelUeberspringen) {
  const QList<QPair<QString, int>> tabellen = {{"Längenmaße", 11}, {"Flächenmaße", 26}, {"Raummaße", 27}, {kFps, 61}};
  for (const auto& [name, zeilen] : tabellen) {
    Waehlen(name);
    EXPECT_EQ(Zeilen(), zeilen) << name.toStdString();
  }
  // fps: row 1 a title, row 2 pair 1, row 6 pair 4 after the title in row 5.
  EXPECT_EQ(Zelle(1, 1), " Länge");
  EXPECT_EQ(Zelle(0, 1), "");
  EXPECT_EQ(Zelle(2, 1), "");
  EXPECT_EQ(Zelle(0, 2), "1");
  EXPECT_EQ(Zelle(0, 5), "");
  EXPECT_EQ(Zelle(0, 6), "4");
  EXPECT_EQ(Zelle(0, 60), "45");
  EXPECT_EQ(Zelle(1, 10), " ft³---> in³");
  EXPECT_EQ(Zelle(2, 17), "0,621371");
  EXPECT_EQ(Zelle(2, 39), "0,000472541");
}

TEST_F(EinheitenTest, InversRechnetVomGespeichertenFaktor) {
  Waehlen("Längenmaße");
  frEinheiten->cbInvers->click();
  EXPECT_EQ(Zelle(1, 9), " deutsche Landmeile <--- km");
  EXPECT_EQ(Zelle(2, 9), "0,133333333333333");
  frEinheiten->cbInvers->click();
  EXPECT_EQ(Zelle(1, 9), " deutsche Landmeile ---> km");
  EXPECT_EQ(Zelle(2, 9), "7,5");
  Waehlen(kFps);
  frEinheiten->cbInvers->click();
  EXPECT_EQ(Zelle(2, 3), "3");
  EXPECT_EQ(Zelle(2, 1), "");
  EXPECT_EQ(Zelle(0, 6), "4");
}

TEST_F(EinheitenTest, WerkzeugknopfZeigtDasFensterAktivUndGefuellt) {
  // The tool button alone, without any help: window managers that don't hand the focus to a
  // newly shown window left the window empty and undocked, and results unconverted.
  HauptfensterZeigen();
  ASSERT_TRUE(AktivAbwarten(frRechn));
  EinheitenKategorie = 2;  // "Längenmaße"
  EinheitenZeile = 3;
  frRechn->tbEinheiten->click();
  ASSERT_TRUE(frEinheiten->isVisible());
  EXPECT_TRUE(AktivAbwarten(frEinheiten));
  EXPECT_EQ(frEinheiten->cb1->currentText(), "Längenmaße");
  EXPECT_EQ(Zeilen(), 11);
  EXPECT_EQ(frEinheiten->sg->Row(), 3);
  frRechn->tbEinheiten->click();
  EXPECT_FALSE(frEinheiten->isVisible());
}

TEST_F(EinheitenTest, ZeileWirdAufKuerzereTabelleBegrenzt) {
  Umrechnen(kFps, 60);
  EXPECT_EQ(frEinheiten->sg->Row(), 60);
  Waehlen("Längenmaße");
  EXPECT_EQ(EinheitenZeile, 10);
  EXPECT_EQ(EinheitenKategorie, 2);
  frEinheiten->FormActivate();
  EXPECT_EQ(frEinheiten->sg->Row(), 10);
}

TEST_F(EinheitenTest, KategorieAusserhalbDerListeZeigtEineLeereZeile) {
  EinheitenKategorie = 17;
  frEinheiten->FormActivate();
  EXPECT_EQ(frEinheiten->cb1->currentIndex(), -1);
  EXPECT_EQ(Zeilen(), 2);
  EXPECT_EQ(Zelle(1, 1), "");
  EXPECT_EQ(EinheitenZeile, 1);
}

TEST_F(EinheitenTest, ErsteAktivierungLegtDasFensterUnterDasHauptfenster) {
  HauptfensterZeigen();
  frRechn->move(40, 30);
  EinheitenErsteAnzeige = true;
  frEinheiten->FormActivate();
  EXPECT_FALSE(EinheitenErsteAnzeige);
  EXPECT_EQ(frEinheiten->x(), frRechn->frameGeometry().left());
  EXPECT_EQ(frEinheiten->y(), frRechn->frameGeometry().bottom() + 1);
  // As wide as the main window, unless that is narrower than the category box's row.
  EXPECT_EQ(frEinheiten->width(), std::max(frRechn->width(), frEinheiten->minimumWidth()));
  // Later activations keep where the user put it.
  frEinheiten->move(300, 5);
  frEinheiten->FormActivate();
  EXPECT_EQ(frEinheiten->pos(), QPoint(300, 5));
}

TEST_F(EinheitenTest, ErsteAktivierungBleibtAufDemBildschirm) {
  // The main window low on the screen: directly below it the window would be out of reach.
  HauptfensterZeigen();
  const QRect frei = frRechn->screen()->availableGeometry();
  frRechn->move(40, frei.bottom() - frRechn->frameGeometry().height() - 20);
  EinheitenErsteAnzeige = true;
  frEinheiten->FormActivate();
  EXPECT_EQ(frEinheiten->x(), frRechn->frameGeometry().left());
  EXPECT_LE(frEinheiten->frameGeometry().bottom(), frei.bottom());
  EXPECT_GE(frEinheiten->y(), frei.top());
}

// The category box shows the longest built-in name whole, also in a window made as narrow
// as it goes; its list shows a longer name of a category file whole. The window still fits
// a screen of 1024 x 768.
TEST_F(EinheitenTest, KategorieKastenZeigtDenNamenGanz) {
  const QString lang = QStringLiteral("Zoll und andere Einheiten mit einem Namen, der in keinen Kasten passt");
  Kategorie(lang + QStringLiteral(".txt"), QStringLiteral("a\tb\t2\n"));
  HauptfensterZeigen();
  EinheitenKategorie = 0;
  ASSERT_TRUE(ZeigenUndAbwarten(frEinheiten));
  // The activation reads the category files.
  frEinheiten->activateWindow();
  if (!AktivAbwarten(frEinheiten)) frEinheiten->FormActivate();
  ASSERT_EQ(frEinheiten->cb1->currentText(), kFps);
  QComboBox* cb = frEinheiten->cb1;
  for (int breite : {frEinheiten->width(), 100}) {
    EXPECT_TRUE(GroesseSetzenUndAbwarten(frEinheiten, QSize(breite, frEinheiten->height())));
    QStyleOptionComboBox opt;
    opt.initFrom(cb);
    opt.currentText = cb->currentText();
    const QRect feld =
        cb->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, cb);
    EXPECT_GE(feld.width() - 2, cb->fontMetrics().horizontalAdvance(kFps)) << breite;
    // The whole row shows: nothing of it hides behind the scroll box's edge.
    EXPECT_LE(frEinheiten->plTop->geometry().right(), frEinheiten->ScrollBox1->viewport()->width()) << breite;
  }
  EXPECT_LE(frEinheiten->frameGeometry().width(), 1024);
  ASSERT_GE(cb->findText(lang), 0);
  cb->showPopup();
  EXPECT_GE(cb->view()->viewport()->width(), cb->view()->fontMetrics().horizontalAdvance(lang));
  cb->hidePopup();
  frEinheiten->hide();
}

// The factor column is as wide as its longest factor where the window has room
// (0,333333333333333 needs more than 80 px), and never narrower than 80; the other columns
// keep their widths, and what is left of a wide window stays empty.
TEST_F(EinheitenTest, DieFaktorspalteIstSoBreitWieIhreLaengsteZahl) {
  HauptfensterZeigen();
  EinheitenKategorie = 0;
  ASSERT_TRUE(ZeigenUndAbwarten(frEinheiten));
  frEinheiten->FormActivate();
  StringGrid* sg = frEinheiten->sg;
  QStyleOptionViewItem option;
  option.initFrom(sg);
  option.font = sg->font();
  option.features = QStyleOptionViewItem::HasDisplay;
  auto faktorenGanz = [&](const char* wann) {
    for (int r = 1; r < sg->RowCount(); ++r) {
      const QModelIndex i = sg->indexOf(2, r);
      EXPECT_LE(sg->itemDelegate()->sizeHint(option, i).width(), sg->visualRect(i).width())
          << wann << ": " << Zelle(2, r).toStdString();
    }
  };
  for (const bool invers : {false, true}) {
    frEinheiten->cbInvers->setChecked(invers);
    frEinheiten->cbInversClick();
    ASSERT_TRUE(GroesseSetzenUndAbwarten(frEinheiten, QSize(600, 300)));
    EXPECT_EQ(sg->colWidth(0), 26);
    EXPECT_EQ(sg->colWidth(1), 190);
    EXPECT_GT(sg->colWidth(2), 80);
    EXPECT_LT(26 + 190 + sg->colWidth(2), sg->width() - 50);
    faktorenGanz(invers ? "invers" : "breit");
    // At its least width the window has no room for more: the column fills what is left.
    ASSERT_TRUE(GroesseSetzenUndAbwarten(frEinheiten, QSize(frEinheiten->minimumWidth(), 300)));
    EXPECT_EQ(sg->colWidth(2), std::max(80, sg->viewport()->width() - sg->colWidth(1)));
  }
  frEinheiten->hide();
}

// ---- Category files ------------------------------------------------------------------------

TEST_F(EinheitenTest, DateiErsetztDieEingebauteTabelle) {
  Kategorie("Raummaße.txt", QStringLiteral("ft\tm\t0,3048\r\nLänge\r\nin\tcm\t2,54\r\n"));
  frEinheiten->FormActivate();
  Waehlen("Raummaße");
  EXPECT_EQ(Zeilen(), 4);
  EXPECT_EQ(Zelle(1, 1), " ft ---> m");
  EXPECT_EQ(Zelle(2, 1), "0,3048");
  EXPECT_EQ(Zelle(1, 2), " Länge");
  EXPECT_EQ(Zelle(0, 2), "");
  EXPECT_EQ(Zelle(0, 3), "2");
  frEinheiten->cbInvers->click();
  EXPECT_EQ(Zelle(1, 1), " ft <--- m");
  EXPECT_EQ(Zelle(2, 1), "3,28083989501312");
  EXPECT_EQ(frEinheiten->DateiLaden("Raummaße"), 2);
  EXPECT_EQ(frEinheiten->DateiLaden("Gibt es nicht"), 0);
  EXPECT_EQ(Zeilen(), 4);  // a missing file leaves the grid alone
}

TEST_F(EinheitenTest, Windows1252UndUtf8GebenDieselbenZeilen) {
  Kategorie("Alt.txt", QByteArray("L\xe4nge\r\nm\xb2\tcm\xb2\t10000\r\nFu\xdf\tm\t0,3048"));
  Kategorie("Neu.txt", QStringLiteral("Länge\nm²\tcm²\t10000\nFuß\tm\t0,3048\n"));
  frEinheiten->FormActivate();
  Waehlen("Alt");
  QStringList alt;
  for (int r = 1; r < Zeilen(); ++r) alt << Zelle(0, r) + "|" + Zelle(1, r) + "|" + Zelle(2, r);
  Waehlen("Neu");
  QStringList neu;
  for (int r = 1; r < Zeilen(); ++r) neu << Zelle(0, r) + "|" + Zelle(1, r) + "|" + Zelle(2, r);
  EXPECT_EQ(alt, neu);
  EXPECT_EQ(neu, QStringList({"| Länge|", "1| m² ---> cm²|10000", "2| Fuß ---> m|0,3048"}));
}

TEST_F(EinheitenTest, LeereDateiUndLeereLetzteZeile) {
  Kategorie("Leer.txt", QByteArray());
  Kategorie("Zwei.txt", QByteArray("a\tb\t1\n\n"));
  frEinheiten->FormActivate();
  EXPECT_FALSE(Kategorien().contains("Leer"));
  Waehlen("Zwei");
  EXPECT_EQ(Zeilen(), 3);
  EXPECT_EQ(Zelle(1, 2), " ");
  EXPECT_EQ(frEinheiten->DateiLaden("Leer"), 0);
  EXPECT_EQ(Zeilen(), 2);
  EXPECT_EQ(Zelle(1, 1), " ");
}

TEST_F(EinheitenTest, SucheSortiertEinUndEntferntKategorienOhnePaare) {
  Kategorie("Zeit.txt", QStringLiteral("h\tmin\t60"));
  Kategorie("abc.txt", QStringLiteral("a\tb\t2"));
  Kategorie("flüssig.txt", QStringLiteral("l\tml\t1000"));
  Kategorie("Nur Titel.txt", QStringLiteral("Länge\nFläche\n"));
  Kategorie("Flächenmaße.txt", QStringLiteral("Fläche\n"));
  Kategorie("notiz.csv", QStringLiteral("a\tb\t2"));
  QDir().mkpath(Pfad("Umrechnung/Ordner.txt"));
  frEinheiten->FormActivate();
  EXPECT_EQ(Kategorien(), QStringList({"abc", kFps, "flüssig", "Längenmaße", "Raummaße", "Zeit"}));
  // A second scan changes nothing.
  frEinheiten->FormActivate();
  EXPECT_EQ(Kategorien().size(), 6);
  // A listed category whose file now has no pairs goes; one whose file was deleted stays
  // and shows an empty table.
  Kategorie("abc.txt", QStringLiteral("nur Titel\n"));
  QFile::remove(Pfad("Umrechnung/Zeit.txt"));
  frEinheiten->FormActivate();
  EXPECT_EQ(Kategorien(), QStringList({kFps, "flüssig", "Längenmaße", "Raummaße", "Zeit"}));
  Waehlen("Zeit");
  EXPECT_EQ(Zeilen(), 2);
  EXPECT_EQ(Zelle(1, 1), "");
}

TEST_F(EinheitenTest, DateiMitGrossgeschriebenerEndung) {
  Kategorie("Druck.TXT", QStringLiteral("bar\tPa\t100000"));
  frEinheiten->FormActivate();
  ASSERT_TRUE(Kategorien().contains("Druck"));
  Waehlen("Druck");
  EXPECT_EQ(Zeilen(), 2);
  EXPECT_EQ(Zelle(1, 1), " bar ---> Pa");
  EXPECT_EQ(Zelle(2, 1), "100000");
}

// ---- Calculation -------------------------------------------------------------------------

TEST_F(EinheitenTest, ZeilenwahlRechnetUmUndProtokolliertDieEinheiten) {
  Umrechnen("Längenmaße", 1);
  frRechn->ed1->setText("2");
  QTest::keyClick(frEinheiten->sg, Qt::Key_Down);  // row 2: cm ---> inches
  EXPECT_EQ(frEinheiten->sg->Row(), 2);
  EXPECT_EQ(EinheitenZeile, 2);
  EXPECT_EQ(Ergebnis(), QString::fromStdString(ZahlZuText(Genauigkeit, 2 * 0.39370147L)));
  EXPECT_EQ(LetztesErgebnis, 2.0L);
  // A mouse click on row 9.
  frEinheiten->sg->scrollTo(frEinheiten->sg->indexOf(1, 9));
  const QRect zelle = frEinheiten->sg->visualRect(frEinheiten->sg->indexOf(1, 9));
  QTest::mouseClick(frEinheiten->sg->viewport(), Qt::LeftButton, {}, zelle.center());
  EXPECT_EQ(EinheitenZeile, 9);
  EXPECT_EQ(Ergebnis(), "15");
  EXPECT_EQ(DateiLesen("result.txt").last(), "2 deutsche Landmeile = 15 km");
  // With Invers: factor 1/7,5 and the units the other way round.
  frEinheiten->cbInvers->click();
  Rechnen("15");
  EXPECT_EQ(Ergebnis(), "2");
  EXPECT_EQ(DateiLesen("result.txt").last(), "15 km = 2 deutsche Landmeile");
}

TEST_F(EinheitenTest, TitelzeileLaesstDasErgebnisUnveraendert) {
  Umrechnen(kFps, 2);
  Rechnen("3");
  EXPECT_EQ(Ergebnis(), QString::fromStdString(ZahlZuText(Genauigkeit, 3 * 0.3048L)));
  frEinheiten->sg->setRow(1);
  EXPECT_EQ(Ergebnis(), "3");
}

TEST_F(EinheitenTest, LeeresEingabefeldLeertNurDasErgebnis) {
  Umrechnen("Längenmaße", 1);
  frRechn->ed1->clear();
  frRechn->edErgebnis->setText("42");
  frEinheiten->sg->setRow(3);
  EXPECT_EQ(Ergebnis(), "");
  EXPECT_EQ(EinheitenZeile, 1);
}

TEST_F(EinheitenTest, NeuaufbauOhneZeilenwechselRechnetNicht) {
  Umrechnen("Längenmaße", 4);
  frRechn->ed1->setText("2");
  frRechn->edErgebnis->setText("unberührt");
  frEinheiten->cbInversClick();
  frEinheiten->FormActivate();
  Waehlen("Raummaße");
  EXPECT_EQ(Ergebnis(), "unberührt");
  EXPECT_EQ(frEinheiten->sg->Row(), 4);
  // Restoring a different stored row is a change of row.
  EinheitenZeile = 6;
  frEinheiten->FormActivate();
  EXPECT_NE(Ergebnis(), "unberührt");
}

TEST_F(EinheitenTest, KlickAufDieGewaehlteZeileRechnetNeu) {
  // After a change of category the chosen row stays and the result is still the one of the
  // old factor; clicking that row, as a user does to apply it, must compute again.
  Umrechnen("Längenmaße", 3);  // m ---> feet
  Rechnen("2");
  EXPECT_EQ(Ergebnis(), QString::fromStdString(ZahlZuText(Genauigkeit, 2 * 3.280851L)));
  Waehlen("Raummaße");
  ASSERT_EQ(frEinheiten->sg->Row(), 3);
  const long double faktor = std::stold(Zelle(2, 3).replace(',', '.').toStdString());
  const int protokoll = DateiLesen("result.txt").size();
  const QRect zelle = frEinheiten->sg->visualRect(frEinheiten->sg->indexOf(1, 3));
  QTest::mouseClick(frEinheiten->sg->viewport(), Qt::LeftButton, {}, zelle.center());
  EXPECT_EQ(Ergebnis(), QString::fromStdString(ZahlZuText(Genauigkeit, 2 * faktor)));
  EXPECT_EQ(DateiLesen("result.txt").size(), protokoll + 1);
  // A click on another row computes once, not twice.
  const QRect andere = frEinheiten->sg->visualRect(frEinheiten->sg->indexOf(1, 4));
  QTest::mouseClick(frEinheiten->sg->viewport(), Qt::LeftButton, {}, andere.center());
  EXPECT_EQ(frEinheiten->sg->Row(), 4);
  EXPECT_EQ(DateiLesen("result.txt").size(), protokoll + 2);
}

TEST_F(EinheitenTest, FaktorDerKeineZahlIstGibtError) {
  Kategorie("Handarbeit.txt", QByteArray("s\tm\tdrei\nm\tkm\t0.001\n"));
  Umrechnen("Handarbeit", 1);
  Rechnen("2");
  EXPECT_EQ(Ergebnis(), "Error");
  EXPECT_EQ(DateiLesen("result.txt").last(), "2 s = Error m");
  // A decimal point is read as well as the comma.
  frEinheiten->sg->setRow(2);
  EXPECT_EQ(Ergebnis(), "0,002");
}

TEST_F(EinheitenTest, UmrechnungNimmtDenUngerundetenWertNichtDenAngezeigten) {
  Umrechnen("Flächenmaße", 5);  // a ---> m², 100
  Genauigkeit = 0;
  Rechnen("1,4");
  EXPECT_EQ(Ergebnis(), "140");
  EXPECT_NEAR(static_cast<double>(LetztesErgebnis), 1.4, 1e-15);
  // A "-" as grouping character must not eat the minus sign.
  Genauigkeit = 2;
  TrennPunkt = true;
  TrennZeichen = '-';
  Rechnen("-1234,5");
  EXPECT_EQ(Ergebnis(), QString::fromStdString(ZahlZuText(2, -123450.0L)));
  EXPECT_TRUE(Ergebnis().startsWith('-'));
  EXPECT_NEAR(static_cast<double>(LetztesErgebnis), -1234.5, 1e-12);
}

TEST_F(EinheitenTest, FaktorNullMitInversIstEineTitelzeile) {
  Kategorie("Null.txt", QStringLiteral("a\tb\t0\nc\td\t2\n"));
  Umrechnen("Null", 1);
  frEinheiten->cbInvers->click();
  EXPECT_EQ(Zelle(1, 1), " a <--- b");
  EXPECT_EQ(Zelle(2, 1), "");
  EXPECT_EQ(Zelle(0, 1), "");
  EXPECT_EQ(Zelle(0, 2), "1");
  Rechnen("3");
  EXPECT_EQ(Ergebnis(), "3");
}

TEST_F(EinheitenTest, ProtokollBehaeltEinheitenAusserhalbVonLatin1) {
  Kategorie("Elektrik.txt", QStringLiteral("kΩ\tΩ\t1000\n"));
  Umrechnen("Elektrik", 1);
  Rechnen("2");
  EXPECT_EQ(Ergebnis(), "2000");
  EXPECT_EQ(DateiLesen("result.txt").last(), "2 kΩ = 2000 Ω");
}

TEST_F(EinheitenTest, SchliessenMerktKategorieUndZeile) {
  Umrechnen("Raummaße", 7);
  frEinheiten->sg->setRow(12);
  Waehlen("Längenmaße");
  frEinheiten->close();
  EXPECT_FALSE(frRechn->tbEinheiten->isChecked());
  EXPECT_EQ(EinheitenKategorie, 2);
  EXPECT_EQ(EinheitenZeile, 10);
}
