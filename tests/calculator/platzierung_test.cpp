// Windows the program places: positions saved on a larger screen, the values table in the
// top right corner, the settings dialog beside the main window; all of them on the screen.
#include <QScreen>
#include <QTest>

#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "graph/grafik.h"
#include "support/fenster_fixture.h"

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
    if (!FensterManagerPlatziert()) EXPECT_EQ(w->frameGeometry().bottomRight(), Frei().bottomRight()) << w->objectName().toStdString();
    w->hide();
  }
}

TEST_F(PlatzierungTest, WerteTabelleObenRechts) {
  HauptfensterZeigen();
  Zeigen(frKonstante);
  EXPECT_TRUE(Frei().contains(frKonstante->frameGeometry()));
  if (!FensterManagerPlatziert()) EXPECT_EQ(frKonstante->frameGeometry().top(), Frei().top());
  EXPECT_GE(frKonstante->frameGeometry().right(), Frei().right() - 1);
}

TEST_F(PlatzierungTest, EinstellungNebenDemHauptfensterUndAufDemBildschirm) {
  // The main window near the right edge: the dialog beside it would stick out.
  frRechn->move(Frei().right() - frRechn->width() - 100, Frei().top() + 50);
  HauptfensterZeigen();  // its first activation places the dialog
  Zeigen(frEinstell);
  EXPECT_TRUE(Frei().contains(frEinstell->frameGeometry()));
  if (!FensterManagerPlatziert()) EXPECT_EQ(frEinstell->frameGeometry().top(), frRechn->frameGeometry().top());
  if (!FensterManagerPlatziert()) EXPECT_EQ(frEinstell->frameGeometry().right(), Frei().right());
}

}  // namespace
