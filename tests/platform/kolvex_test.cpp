#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "calculator/kolvex.h"
#include "core/globals.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"

namespace {
class TfrKolvexTest : public ::testing::Test {
 protected:
  void SetUp() override { DateiPauseMs = 0; }
  void TearDown() override { DateiPauseMs = 100; }
  TfrKolvex k;
};
}  // namespace

TEST_F(TfrKolvexTest, DateiExistiertAndVerzeichnisExistiert) {
  QTemporaryDir dir;
  const QString file = dir.filePath("einstKolvex.frb");
  EXPECT_FALSE(k.DateiExistiert(file));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_TRUE(k.DateiExistiert(file));
  EXPECT_TRUE(k.DateiExistiert(dir.path()));  // any kind of entry
  ASSERT_TRUE(QFile::link(dir.filePath("weg"), dir.filePath("link")));
  EXPECT_TRUE(k.DateiExistiert(dir.filePath("link")));  // even a dangling link
  EXPECT_FALSE(k.DateiExistiert(QString()));
  EXPECT_TRUE(k.VerzeichnisExistiert(dir.path()));
  EXPECT_TRUE(k.VerzeichnisExistiert(dir.path() + "/"));
  EXPECT_FALSE(k.VerzeichnisExistiert(file));
  EXPECT_FALSE(k.VerzeichnisExistiert(dir.filePath("fehlt")));
}

TEST_F(TfrKolvexTest, ForwardsToTheCoreKeepingScreenText) {
  kolvex::TrennPunkt = true;
  kolvex::TrennZeichen = '.';
  EXPECT_EQ(k.ZahlZuText(2, -1234.567L), QStringLiteral("-1.234,57"));
  kolvex::TrennPunkt = false;
  EXPECT_EQ(k.ZahlZuText(2, 0.125L), QStringLiteral("0,12"));
  EXPECT_TRUE(k.IstZahl(QStringLiteral("1 234")));
  EXPECT_EQ(k.TextZuZahl(QStringLiteral("2,5")), 2.5L);
  EXPECT_EQ(k.FormelTasteFiltern(QStringLiteral("1,5+2"), QChar('.'), 5), QChar(','));
  EXPECT_TRUE(k.FormelTasteFiltern(QStringLiteral("1,5"), QChar('.'), 3).isNull());
  // Paths keep characters beyond Latin-1.
  EXPECT_EQ(k.BisLetztesZeichen(QStringLiteral("/home/Юля/Maße/x.txt"), '/'),
            QStringLiteral("/home/Юля/Maße"));
  EXPECT_EQ(k.DateiEndungGross(QStringLiteral("bild.gif")), QStringLiteral(".GIF"));
  EXPECT_EQ(k.OhneEndZeichen(QStringLiteral("ππ1ππ"), QChar(0x03C0)), QStringLiteral("ππ1"));
  EXPECT_EQ(k.TeilAmStrich(QStringLiteral("m - km"), true), QStringLiteral("km"));
  EXPECT_EQ(k.TeilAnSpitze(QStringLiteral("a -> b"), false), QStringLiteral("b"));
  QStringList teile;
  k.Zerlegen(";", "a;;b;", teile, 0);
  EXPECT_EQ(teile, QStringList({"a", "", "b", ""}));
  k.Zerlegen(";", "a;;b;", teile, 2);
  EXPECT_EQ(teile, QStringList({"a", ""}));
  EXPECT_EQ(k.TabFeld(QStringLiteral("x\tÄ\x01y"), 2), QStringLiteral("Äy"));
  EXPECT_EQ(k.TabFeld(QStringLiteral("x"), 3, QStringLiteral("vorher")), QStringLiteral("vorher"));
  EXPECT_EQ(k.WindowsVersion(), 6);
}

TEST_F(TfrKolvexTest, ListenIndexIsZeroForFirstAndForMissing) {
  QComboBox c;
  c.addItems({"mm", "cm", "m"});
  EXPECT_EQ(k.ListenIndex(&c, "m"), 2);
  EXPECT_EQ(k.ListenIndex(&c, "mm"), 0);
  EXPECT_EQ(k.ListenIndex(&c, "km"), 0);
  EXPECT_EQ(k.ListenIndex(nullptr, "m"), 0);
}

TEST_F(TfrKolvexTest, MeldungIsAWarningWithOk) {
  MessageRecorder rec;
  k.Meldung(QStringLiteral("Formel ist Falsch!"));
  k.Meldung(2.5);
  k.Meldung(42);
  ASSERT_EQ(rec.messages().size(), 3u);
  EXPECT_EQ(rec.messages()[0].text, QStringLiteral("Formel ist Falsch!"));
  EXPECT_EQ(rec.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(rec.messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(rec.messages()[1].text, QStringLiteral("2,5"));
  EXPECT_EQ(rec.messages()[2].text, QStringLiteral("42"));
}

TEST_F(TfrKolvexTest, WartenKeepsTheEventsFlowingAndWaitsAtLeastTheTime) {
  bool fired = false;
  QTimer::singleShot(0, [&] { fired = true; });
  QElapsedTimer t;
  t.start();
  k.Warten(20);
  EXPECT_GE(t.elapsed(), 20);
  EXPECT_TRUE(fired);
}

TEST_F(TfrKolvexTest, EvaluatorRoutinesTakeScreenText) {
  EXPECT_EQ(k.KlammernEinfuegen(QStringLiteral("SIN30")), QStringLiteral("SIN(30)"));
  EXPECT_TRUE(k.IstFunktion(QStringLiteral("sin")));
  EXPECT_FALSE(k.IstFunktion(QStringLiteral("SINUS")));
  EXPECT_TRUE(k.IstOperatorOderKlammer(QChar('(')));
  EXPECT_EQ(k.FormelPruefen(QStringLiteral("2*π+(1")), -1);
  EXPECT_EQ(k.ZeichenLoeschen(QStringLiteral("2π3"), 2), QStringLiteral("23"));
  int links = 0, rechts = 0;
  QString gruppe;
  k.InnersteGruppe(QStringLiteral("2*(3+(4*5))"), links, gruppe, rechts);
  EXPECT_EQ(gruppe, QStringLiteral("(4*5)"));
  EXPECT_EQ(links, 6);
  EXPECT_EQ(k.Rechne(QChar('*'), 2.5L, 4.0L), 10.0L);
}
