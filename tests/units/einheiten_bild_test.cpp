// Not a check: draws the main window with the unit window docked below it into a PNG for a
// look by eye. Run with --gtest_also_run_disabled_tests; KOLVEX_BILD names the file.
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QToolButton>

#include "calculator/rechn.h"
#include "core/globals.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "units/einheiten.h"
#include "units/einheiten_edit.h"

class EinheitenBild : public FensterTest {};

TEST_F(EinheitenBild, DISABLED_UnterDemHauptfenster) {
  HauptfensterZeigen();
  frRechn->move(0, 0);
  kolvex::EinheitenKategorie = 0;
  kolvex::EinheitenZeile = 3;
  frRechn->ed1->setText("2");
  frRechn->tbEinheiten->click();
  frEinheiten->activateWindow();
  if (!AktivAbwarten(frEinheiten)) frEinheiten->FormActivate();
  ASSERT_TRUE(GroesseSetzenUndAbwarten(frEinheiten, QSize(frEinheiten->width(), 420)));
  const QPixmap oben = frRechn->grab();
  const QPixmap unten = frEinheiten->grab();
  QPixmap bild(qMax(oben.width(), unten.width()), oben.height() + unten.height());
  bild.fill(Qt::gray);
  QPainter p(&bild);
  p.drawPixmap(0, 0, oben);
  p.drawPixmap(0, oben.height(), unten);
  p.end();
  const QString datei = qEnvironmentVariable("KOLVEX_BILD", "einheiten.png");
  ASSERT_TRUE(bild.save(datei));

  frEinheiten->EditorFuellen();
  ASSERT_TRUE(ZeigenUndAbwarten(frEinheiten_Edit));
  ASSERT_TRUE(frEinheiten_Edit->grab().save(QString(datei).replace(".png", "_edit.png")));
}
