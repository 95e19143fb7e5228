// Every grid heading of the program reads whole and in the normal text colour: the formula
// list's " Kommentar", the values table's "Var", the unit grids' and every other grid's.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "platform/form.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "support/kopfzeile.h"

namespace {

class KopfzeilenTest : public FensterTest {
 protected:
  // The windows shown and activated, as the user opens them (headings are set on activation).
  void AlleZeigen() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* f = qobject_cast<Form*>(w);
      if (!f || f->objectName() == QLatin1String("frKolvex")) continue;
      f->show();
      f->FormActivate();
    }
    QCoreApplication::processEvents();
  }
  static QString Name(const StringGrid* g) {
    return g->window()->objectName() + QLatin1Char('.') + g->objectName();
  }
};

}  // namespace

TEST_F(KopfzeilenTest, EveryHeadingOfEveryGridReadsWhole) {
  AlleZeigen();
  int gepruefte = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    for (StringGrid* g : w->findChildren<StringGrid*>()) {
      if (g->FixedRows() < 1) continue;
      for (int c = 0; c < g->ColCount(); ++c) {
        const QString text = g->Cells(c, 0);
        if (text.trimmed().isEmpty()) continue;
        EXPECT_GE(g->colWidth(c), KopfBedarf(g, text)) << Name(g).toStdString() << " " << text.toStdString();
        ++gepruefte;
      }
    }
  }
  EXPECT_GE(gepruefte, 20);
  // The two the users met cut.
  EXPECT_EQ(frFormel->sg1->Cells(2, 0), QStringLiteral(" Kommentar"));
  EXPECT_EQ(frKonstante->sgK->Cells(0, 0), QStringLiteral("Var"));
  // The values table's wider first column leaves the value column inside the window.
  EXPECT_FALSE(frKonstante->sgK->horizontalScrollBar()->isVisible());
}

// The top-left headings ("Var", " Nr") in the same dark text as the headings beside them.
TEST_F(KopfzeilenTest, TopLeftHeadingsAreNotGreyed) {
  AlleZeigen();
  int gepruefte = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    for (StringGrid* g : w->findChildren<StringGrid*>()) {
      if (!g->isVisible() || g->FixedRows() < 1 || g->FixedCols() < 1) continue;
      if (g->Cells(0, 0).trimmed().isEmpty() || g->Cells(1, 0).trimmed().isEmpty()) continue;
      auto* ecke = g->findChild<QAbstractButton*>(QStringLiteral("StringGridEcke"));
      ASSERT_NE(ecke, nullptr) << Name(g).toStdString();
      QHeaderView* h = g->horizontalHeader();
      const int nachbar =
          Dunkelste(h->viewport()->grab(QRect(0, 0, h->sectionSize(0), h->height())).toImage());
      EXPECT_LE(Dunkelste(ecke->grab().toImage()), nachbar + 20) << Name(g).toStdString();
      ++gepruefte;
    }
  }
  EXPECT_GE(gepruefte, 4);
}
