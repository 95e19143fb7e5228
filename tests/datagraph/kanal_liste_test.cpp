#include <QAbstractListModel>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QWindow>

#include "core/globals.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/kanal_liste.h"
#include "datagraph/value_grid.h"
#include "support/fenster_fixture.h"
#include "support/maler.h"

namespace {

QStringList Items(const QComboBox& box) {
  QStringList l;
  for (int i = 0; i < box.count(); ++i) l << box.itemText(i);
  return l;
}

KanalListe Liste(const QStringList& texte) {
  KanalListe liste;
  for (const QString& t : texte) liste.anhaengen(t.toStdString());
  return liste;
}

// Channel names "K0", "K1", ... of any number, counting every question for an item's data.
class ZaehlModell : public QAbstractListModel {
 public:
  explicit ZaehlModell(int n) : n_(n) {}
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : n_; }
  QVariant data(const QModelIndex& index, int role) const override {
    ++fragen;
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return QStringLiteral("K%1").arg(index.row());
  }
  mutable long fragen = 0;

 private:
  int n_;
};

// Opens the box's list and waits until it is on the screen and painted.
bool ListeOeffnen(QComboBox& box) {
  Maler maler;
  box.view()->viewport()->installEventFilter(&maler);
  box.showPopup();
  const bool offen = QTest::qWaitFor([&] {
    const QWindow* fenster = box.view()->window()->windowHandle();
    return box.view()->isVisible() && fenster && fenster->isExposed() && maler.anzahl > 0;
  });
  box.view()->viewport()->removeEventFilter(&maler);
  return offen;
}

// The row lies within the list's height.
bool Sichtbar(const QAbstractItemView& liste, int zeile) {
  const QRect r = liste.visualRect(liste.model()->index(zeile, 0));
  return r.isValid() && r.top() >= 0 && r.bottom() < liste.viewport()->height();
}

// A user's click on the item in the list.
void Klicken(QComboBox& box, const QModelIndex& item) {
  QAbstractItemView& liste = *box.view();
  const QPoint punkt(liste.viewport()->width() / 2, liste.visualRect(item).center().y());
  QTest::mouseClick(liste.viewport(), Qt::LeftButton, {}, punkt);
}

class KanalBoxTest : public FensterTest {};

// Both boxes show one list: an edit through either box is seen by both, and the texts after
// it stay whole whatever the lengths of the texts edited.
TEST(KanalModell, ServesTheBoxesEditingCalls) {
  KanalModell modell;
  KanalListe anfang = Liste({"Nr", "Zeit", "Kraft µ"});
  modell.setzen(anfang);
  QComboBox x, y;
  x.setModel(&modell);
  y.setModel(&modell);
  y.setCurrentIndex(2);
  QStringList erwartet{"Nr", "Zeit", "Kraft µ"};
  auto pruefen = [&](const char* schritt) {
    EXPECT_EQ(Items(x), erwartet) << schritt;
    EXPECT_EQ(Items(y), erwartet) << schritt;
    for (int i = 0; i < erwartet.size(); ++i)
      EXPECT_EQ(modell.liste().suchen(erwartet[i].toStdString()), erwartet.indexOf(erwartet[i])) << schritt;
  };

  x.addItem(QStringLiteral("Weg"));
  erwartet << "Weg";
  pruefen("addItem");
  x.insertItem(1, QStringLiteral("Länge"));
  erwartet.insert(1, "Länge");
  pruefen("insertItem");
  EXPECT_EQ(y.currentText(), QStringLiteral("Kraft µ"));
  y.setItemText(2, QStringLiteral("Zeitpunkt in Sekunden"));
  erwartet[2] = "Zeitpunkt in Sekunden";
  pruefen("longer text");
  x.setItemText(1, QStringLiteral("L"));
  erwartet[1] = "L";
  pruefen("shorter text");
  y.removeItem(1);
  erwartet.removeAt(1);
  pruefen("removeItem");
  EXPECT_EQ(y.currentText(), QStringLiteral("Kraft µ"));
  x.insertItems(0, {QStringLiteral("a"), QStringLiteral("b")});
  erwartet = QStringList{"a", "b"} + erwartet;
  pruefen("insertItems");
  QPixmap bild(8, 8);
  bild.fill(Qt::red);
  x.addItem(QIcon(bild), QStringLiteral("mit Bild"));
  erwartet << "mit Bild";
  pruefen("addItem with an icon");
  EXPECT_FALSE(x.itemData(erwartet.size() - 1, Qt::DecorationRole).isValid());

  y.clear();
  erwartet.clear();
  pruefen("clear");
  EXPECT_EQ(x.currentIndex(), -1);
  EXPECT_EQ(modell.liste().speicher(), KanalListe().speicher());
  x.addItem(QStringLiteral("Nr"));
  EXPECT_EQ(Items(y), QStringList{"Nr"});
}

// A box of a few items (and of as many as still open as a menu) looks as any combo box of
// the style, also after it held too many for that.
TEST_F(KanalBoxTest, ListOfFewItemsLooksAsAnyBoxOfTheStyle) {
  KanalModell modell;
  KanalBox kanal;
  QComboBox eben;
  for (QComboBox* box : {static_cast<QComboBox*>(&kanal), &eben}) {
    box->setModel(&modell);
    box->setFixedWidth(200);
    box->show();
  }
  QStringList viele;
  for (int i = 0; i <= KanalBox::MenueGrenze; ++i) viele << QStringLiteral("K%1").arg(i);
  KanalListe liste = Liste(viele);
  modell.setzen(liste);
  ASSERT_TRUE(ListeOeffnen(kanal));
  kanal.hidePopup();

  for (int n : {5, KanalBox::MenueGrenze}) {
    KanalListe wenige = Liste(viele.mid(0, n));
    modell.setzen(wenige);
    kanal.setCurrentIndex(n / 2);
    eben.setCurrentIndex(n / 2);
    QImage bilder[2];
    QSize groessen[2];
    for (int k = 0; k < 2; ++k) {
      QComboBox& box = k == 0 ? static_cast<QComboBox&>(kanal) : eben;
      ASSERT_TRUE(ListeOeffnen(box)) << n;
      groessen[k] = box.view()->window()->size();
      bilder[k] = box.view()->window()->grab().toImage();
      box.hidePopup();
    }
    EXPECT_EQ(groessen[0], groessen[1]) << n;
    EXPECT_TRUE(bilder[0] == bilder[1]) << n;
  }
}

// A list of a hundred thousand items opens at once: it asks for the data of the items
// it shows, not of all; it shows the current one, scrolls, and a click takes the item under
// the mouse.
TEST_F(KanalBoxTest, ListOfManyItemsOpensShowingOnlyWhatItNeeds) {
  constexpr int kN = 100000;
  ZaehlModell modell(kN);
  KanalBox box;
  box.setModel(&modell);
  box.show();
  box.setCurrentIndex(kN / 2);
  modell.fragen = 0;
  ASSERT_TRUE(ListeOeffnen(box));
  EXPECT_LT(modell.fragen, 1000);
  QAbstractItemView& liste = *box.view();
  EXPECT_EQ(liste.currentIndex().row(), kN / 2);
  EXPECT_TRUE(Sichtbar(liste, kN / 2));

  QScrollBar* balken = liste.verticalScrollBar();
  ASSERT_TRUE(balken->isVisible());
  balken->setValue(balken->maximum());
  EXPECT_TRUE(Sichtbar(liste, kN - 1));
  const QModelIndex oben = liste.indexAt(QPoint(4, 2));
  ASSERT_TRUE(oben.isValid());
  ASSERT_GT(oben.row(), kN / 2);
  Klicken(box, oben);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !liste.isVisible(); }));
  EXPECT_EQ(box.currentIndex(), oben.row());
}

// The data graph's boxes after a table of 100 000 columns: the list opens at the channel
// chosen, and a click there picks the table's column.
TEST_F(KanalBoxTest, DataGraphChannelListOfATableOfManyColumns) {
  constexpr int kFelder = 100000;
  QByteArray text;
  for (int i = 0; i < kFelder; ++i) text += "K" + QByteArray::number(i) + ";";
  text += "\n1;2\n";
  QFile f(Pfad("breit.csv"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  f.close();
  TfrGrafikApprox* g = frGrafikApprox;
  kolvex::KanalY = "K75000";
  ASSERT_TRUE(EinstellungenSpeichern());  // the activation reads the settings afresh
  g->OpenDialog1.FileName = Pfad("breit.csv");
  g->show();
  ASSERT_TRUE(QTest::qWaitFor([g] { return g->Tag == 1; }));  // shown and its file loaded
  ASSERT_EQ(g->cbYKanal->count(), kFelder + 2);
  ASSERT_EQ(g->cbYKanal->currentIndex(), 75001);

  QComboBox& box = *g->cbYKanal;
  ASSERT_TRUE(ListeOeffnen(box));
  QAbstractItemView& liste = *box.view();
  EXPECT_TRUE(Sichtbar(liste, 75001));
  EXPECT_TRUE(liste.verticalScrollBar()->isVisible());
  const QModelIndex oben = liste.indexAt(QPoint(4, 2));
  ASSERT_TRUE(oben.isValid());
  Klicken(box, oben);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !liste.isVisible(); }));
  EXPECT_EQ(box.currentText(), QStringLiteral("K%1").arg(oben.row() - 1));
  EXPECT_EQ(g->sg1->tableModel()->yChannel(), oben.row());
}

}  // namespace
