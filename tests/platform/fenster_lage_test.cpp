// Window placement: rectangles pulled into the free area of the screen, and windows shown
// from odd positions, too large, or never placed, opening inside it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "platform/fenster_lage.h"
#include "platform/form.h"
#include "support/fenster_lage_warten.h"
#include "support/nutzer_fenster.h"

namespace {

QRect Frei() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// Where the window ends up, once the window manager has answered everything: inside.
bool Innerhalb(QWidget* w) { return LageAbwarten(w) && Frei().contains(w->frameGeometry()); }

}  // namespace

TEST(RechteckInFlaeche, PullsInWhatLiesOutsideAndCutsWhatIsTooLarge) {
  const QRect flaeche(0, 30, 1600, 1170);  // a panel across the top
  EXPECT_EQ(RechteckInFlaeche(QRect(100, 100, 600, 520), flaeche), QRect(100, 100, 600, 520));
  // Right and below the area: moved up and left just far enough.
  EXPECT_EQ(RechteckInFlaeche(QRect(1000, 695, 602, 545), flaeche), QRect(998, 655, 602, 545));
  // Left of it and under the panel.
  EXPECT_EQ(RechteckInFlaeche(QRect(-50, 0, 200, 100), flaeche), QRect(0, 30, 200, 100));
  // Larger than the area: cut to it, its corner on the area's corner.
  EXPECT_EQ(RechteckInFlaeche(QRect(300, 200, 1700, 1300), flaeche), flaeche);
  EXPECT_EQ(RechteckInFlaeche(QRect(300, 200, 1700, 100), flaeche), QRect(0, 200, 1600, 100));
  // Without an area nothing can be said.
  EXPECT_EQ(RechteckInFlaeche(QRect(-5, -5, 10, 10), QRect()), QRect(-5, -5, 10, 10));
}

TEST(FensterLage, AWindowPlacedOffTheScreenOpensInsideIt) {
  Form f;
  f.resize(300, 200);
  // As from a settings file written on a larger monitor.
  FensterPlatzieren(&f, QPoint(3000, 2000));
  ASSERT_TRUE(ZeigenUndAbwarten(&f));
  EXPECT_TRUE(Innerhalb(&f)) << f.frameGeometry().x() << "," << f.frameGeometry().y();
  // Pulled in just far enough: it sits in the bottom right corner.
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry().bottomRight(), Frei().bottomRight());
  }

  // Moved off the screen while hidden (the program's own move, or the user's): pulled in
  // again at the next showing.
  f.hide();
  f.move(-400, -300);
  f.show();
  EXPECT_TRUE(Innerhalb(&f));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry().topLeft(), Frei().topLeft());
  }
}

TEST(FensterLage, AWindowLargerThanTheScreenIsMadeToFit) {
  Form f;
  f.resize(Frei().width() + 300, Frei().height() + 200);
  ASSERT_TRUE(ZeigenUndAbwarten(&f));
  EXPECT_TRUE(Innerhalb(&f));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry(), Frei());
  }

  // Enlarged while shown: kept on the screen by whoever enlarges it.
  f.resize(200, 100);
  FensterPlatzieren(&f, QPoint(Frei().right() - 150, 40));
  f.resize(500, 100);
  FensterImBildHalten(&f);
  EXPECT_TRUE(Innerhalb(&f));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry().top(), Frei().top() + 40);
  }
}

TEST(FensterLage, AWindowNobodyPlacedOpensOverTheActiveOneInsideTheScreen) {
  Form opener;
  opener.resize(200, 150);
  FensterPlatzieren(&opener, Frei().bottomRight());  // pulled into the corner
  ASSERT_TRUE(ZeigenUndAbwarten(&opener));
  opener.activateWindow();
  ASSERT_TRUE(AktivAbwarten(&opener));

  Form f;
  f.resize(Frei().width() * 3 / 4, Frei().height() * 3 / 4);
  ASSERT_TRUE(ZeigenUndAbwarten(&f));
  EXPECT_TRUE(Innerhalb(&f));
  // Centred on the opener as far as the screen lets it: its corner at the screen's.
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry().bottomRight(), Frei().bottomRight());
  }

  // Once placed it stays where it is (or was moved to) at the next showing.
  f.hide();
  f.move(Frei().topLeft() + QPoint(10, 20));
  ASSERT_TRUE(ZeigenUndAbwarten(&f));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry().topLeft(), Frei().topLeft() + QPoint(10, 20));
  }
}

TEST(FensterLage, CentringKeepsTheWindowOnTheScreen) {
  // Before its first showing a window's frame is known from another framed window.
  Form anderes;
  anderes.resize(100, 100);
  ASSERT_TRUE(ZeigenUndAbwarten(&anderes));
  ASSERT_FALSE(RahmenRaender(&anderes).isNull());

  Form f;
  f.resize(300, 200);
  FensterZentrieren(&f);
  ASSERT_TRUE(ZeigenUndAbwarten(&f));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry().center(), Frei().center());
  }
  // Centred on a point near the edge: as close to it as the screen allows.
  FensterZentrieren(&f, Frei().topLeft());
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.frameGeometry().topLeft(), Frei().topLeft());
  }
}

TEST(FensterLage, AFramelessWindowBorrowsNoFrame) {
  Form gerahmt;
  ASSERT_TRUE(ZeigenUndAbwarten(&gerahmt));
  Form f;
  f.setWindowFlag(Qt::FramelessWindowHint, true);
  f.resize(120, 80);
  EXPECT_TRUE(RahmenRaender(&f).isNull());
  FensterPlatzieren(&f, QPoint(5000, 5000));
  ASSERT_TRUE(ZeigenUndAbwarten(&f));
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(f.geometry().bottomRight(), Frei().bottomRight());
  }
}

// Right after a window opened the window manager is still answering the program's placing,
// and an answer that puts the frame outside the free area is pulled in. A drag of the user in
// that moment is not such an answer: the window stays where the user put it, partly off the
// screen.
TEST(FensterLage, AUsersMoveRightAfterShowingStaysWhereTheUserPutIt) {
  if (!FensterManagerPlatziert()) GTEST_SKIP() << "only a window manager answers late";
  Form f;
  f.resize(300, 200);
  FensterPlatzieren(&f, Frei().topLeft() + QPoint(50, 50));
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  ASSERT_TRUE(QTest::qWaitFor(
      [&f] { return f.frameGeometry() != f.geometry() && !f.wartetAufFensterManager(); }, 5000));
  const QPoint ziel(Frei().right() - 100, Frei().top() + 80);
  ASSERT_TRUE(NutzerVerschiebt(&f, ziel));
  EXPECT_EQ(f.frameGeometry().topLeft(), ziel);
}
