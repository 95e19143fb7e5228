// Windows the program places: positions saved on a larger screen, the values table in the
// top right corner, the settings dialog beside the main window, the main window grown for a
// long result; all of them on the screen.
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "graph/grafik.h"
#include "platform/fenster_lage.h"
#include "support/fenster_fixture.h"
#include "support/nutzer_fenster.h"
#include "support/sichtbarer_text.h"

namespace {

class PlatzierungTest : public FensterTest {
 protected:
  QRect Frei() const { return frRechn->screen()->availableGeometry(); }
  void Zeigen(QWidget* w) { ASSERT_TRUE(ZeigenUndAbwarten(w)); }
};

TEST_F(PlatzierungTest, LagenVomGroesserenBildschirmWerdenHereingeholt) {
  HauptfensterZeigen();
  ASSERT_TRUE(EinstellungenSpeichern());
  QStringList z = DateiLesen("einstKolvex.frb");
  ASSERT_GE(z.size(), 65);
  // Lines 58-61 the function graph, 62-65 the formula list, saved on a screen of 2560 x 1440.
  const QStringList grafik{"2300", "1300", "500", "400"};
  const QStringList formel{"2400", "1200", "212", "500"};
  for (int i = 0; i < 4; ++i) {
    z[57 + i] = grafik[i];
    z[61 + i] = formel[i];
  }
  DateiSchreiben("einstKolvex.frb", z);
  Neustart();
  HauptfensterZeigen();
  for (QWidget* w : {static_cast<QWidget*>(frGrafik), static_cast<QWidget*>(frFormel)}) {
    Zeigen(w);
    EXPECT_TRUE(Frei().contains(w->frameGeometry())) << w->objectName().toStdString();
    // Not dropped for the default place but pulled in as little as needed.
    if (!FensterManagerPlatziert()) {
      EXPECT_EQ(w->frameGeometry().bottomRight(), Frei().bottomRight()) << w->objectName().toStdString();
    }
    w->hide();
  }
}

TEST_F(PlatzierungTest, WerteTabelleObenRechts) {
  HauptfensterZeigen();
  Zeigen(frKonstante);
  EXPECT_TRUE(Frei().contains(frKonstante->frameGeometry()));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(frKonstante->frameGeometry().top(), Frei().top());
  }
  EXPECT_GE(frKonstante->frameGeometry().right(), Frei().right() - 1);
}

TEST_F(PlatzierungTest, EinstellungNebenDemHauptfensterUndAufDemBildschirm) {
  // The main window near the right edge: the dialog beside it would stick out.
  frRechn->move(Frei().right() - frRechn->width() - 100, Frei().top() + 50);
  HauptfensterZeigen();  // its first activation places the dialog
  Zeigen(frEinstell);
  EXPECT_TRUE(Frei().contains(frEinstell->frameGeometry()));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(frEinstell->frameGeometry().top(), frRechn->frameGeometry().top());
  }
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(frEinstell->frameGeometry().right(), Frei().right());
  }
}

// The main window at the right edge of the screen grows for a result longer than the screen
// is wide: it moves so that it spans the free area, and the result shows its start; "1+1"
// gives the width back. A width the user chose by dragging stays.
TEST_F(PlatzierungTest, HauptfensterWaechstImBildUndGibtDieBreiteZurueck) {
  HauptfensterZeigen();
  FensterPlatzieren(frRechn, QPoint(Frei().right(), Frei().top() + 20));
  LageAbwarten(frRechn);
  auto rechnen = [](const QString& formel) {
    frRechn->ed1->setText(formel);
    frRechn->Berechnen(formel);
  };
  const QString lang = QStringList(15, QStringLiteral("99999999999999")).join(QLatin1Char('*'));
  const int eigene = frRechn->width();
  for (const int breite : {eigene, eigene + 120}) {
    if (breite != eigene) {
      ASSERT_TRUE(NutzerZiehtBreite(frRechn, breite));
    }
    rechnen(lang);
    EXPECT_TRUE(QTest::qWaitFor([&] {
      return frRechn->width() > breite && Frei().contains(frRechn->frameGeometry()) &&
             SpanntDieFreieBreite(frRechn, Frei()) && ZeigtAnfang(frRechn->edErgebnis);
    }, 5000)) << breite << ": " << frRechn->frameGeometry().x() << " + " << frRechn->frameGeometry().width()
              << ": " << SichtbarerText(frRechn->edErgebnis).toStdString();
    rechnen(QStringLiteral("1+1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frRechn->width() == breite; }, 5000))
        << breite << ": " << frRechn->width();
  }
}

}  // namespace
