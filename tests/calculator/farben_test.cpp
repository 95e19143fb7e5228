// "farben.txx" and the colour dialog: defaults, the most-recently-used shift within A..H,
// the silver rule, damaged files, and the order of Qt's custom colour wells.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/farben.h"
#include "core/globals.h"
#include "platform/message_dialog.h"
#include "platform/text_file.h"

using namespace kolvex;

// Readable QStrings in failure messages.
[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class FarbenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ordner_.isValid());
    alterPfad_ = ProgrammPfad;
    alteFarben_ = GrafikFarben;
    ProgrammPfad = QDir(ordner_.path()).absolutePath().toStdString() + "/";
    GrafikFarben = {0, 255, 16711680, 32768, 16776960, 16711935, 65280, 128, 32896, 8388736, 8421376};
    FarbenLaden();
  }
  void TearDown() override {
    KolvexFarbDialog::setTestHook({});
    ProgrammPfad = alterPfad_;
    GrafikFarben = alteFarben_;
  }
  QString Datei() const { return QDir(ordner_.path()).filePath("farben.txx"); }
  QStringList DateiZeilen() const {
    QStringList z;
    readTextLines(Datei(), z);
    return z;
  }
  static QString Wert(const QString& zeile) { return zeile.mid(7); }

  MessageRecorder meldungen;

 private:
  QTemporaryDir ordner_;
  std::string alterPfad_;
  std::array<int32_t, 21> alteFarben_{};
};

TEST(FarbWerte, RotLiegtImNiedrigenByte) {
  EXPECT_EQ(FarbeZuQColor(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(FarbeZuQColor(0xFF0000), QColor(0, 0, 255));
  EXPECT_EQ(FarbeZuQColor(0x123456), QColor(0x56, 0x34, 0x12));
  EXPECT_EQ(QColorZuFarbe(QColor(0x56, 0x34, 0x12)), 0x123456);
  EXPECT_EQ(FarbZeile(0, 0xFF), "ColorA=000000FF");
  EXPECT_EQ(FarbZeile(15, 0xC0C0C1), "ColorP=00C0C0C1");
  EXPECT_EQ(SilberErsetzen(0xC0C0C0), 0xC0C0C1);
  EXPECT_EQ(SilberErsetzen(0xC0C0C2), 0xC0C0C2);
}

TEST_F(FarbenTest, OhneDateiAchtMalSchwarzDannDieErstenAchtKurvenfarbenUndKeineDatei) {
  const QStringList& z = FarbArbeitsKopie();
  ASSERT_EQ(z.size(), 16);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(z[i], FarbZeile(i, 0));
  const QStringList erwartet = {"ColorI=000000FF", "ColorJ=00FF0000", "ColorK=00008000", "ColorL=00FFFF00",
                                "ColorM=00FF00FF", "ColorN=0000FF00", "ColorO=00000080", "ColorP=00008080"};
  EXPECT_EQ(z.mid(8), erwartet);
  EXPECT_EQ(FarbDialog().CustomColors[8], 0x0000FFu);
  EXPECT_FALSE(QFile::exists(Datei()));
}

TEST_F(FarbenTest, JedeGewaehlteFarbeRuecktNachVornInnerhalbVonAbisH) {
  // Blue first: A holds it, the old A..G move to B..H, I..P stay.
  EXPECT_EQ(FarbeMerken(0xFF0000), 0xFF0000);
  QStringList z = DateiZeilen();
  ASSERT_EQ(z.size(), 16);
  EXPECT_EQ(z[0], "ColorA=00FF0000");
  for (int i = 1; i < 8; ++i) EXPECT_EQ(z[i], FarbZeile(i, 0));
  EXPECT_EQ(z[8], "ColorI=000000FF");
  EXPECT_EQ(FarbArbeitsKopie(), z);

  FarbeMerken(0x000001);
  FarbeMerken(0x000002);
  FarbeMerken(0x000003);  // A=3 B=2 C=1 D=blue
  ASSERT_EQ(Wert(FarbArbeitsKopie()[3]), "00FF0000");
  const QStringList vorher = FarbArbeitsKopie();

  // The colour of line D moves to A; A..C move to B..D; E..P stay.
  FarbeMerken(0xFF0000);
  z = DateiZeilen();
  EXPECT_EQ(z[0], "ColorA=00FF0000");
  EXPECT_EQ(z[1], "ColorB=00000003");
  EXPECT_EQ(z[2], "ColorC=00000002");
  EXPECT_EQ(z[3], "ColorD=00000001");
  EXPECT_EQ(z.mid(4), vorher.mid(4));
  EXPECT_EQ(FarbDialog().CustomColors[1], 3u);

  // Eight new colours push the oldest out of H; I..P never move.
  for (uint32_t c = 0x10; c < 0x18; ++c) FarbeMerken(static_cast<int32_t>(c));
  z = DateiZeilen();
  EXPECT_EQ(z[0], "ColorA=00000017");
  EXPECT_EQ(z[7], "ColorH=00000010");
  EXPECT_EQ(z.mid(8), vorher.mid(8));
}

TEST_F(FarbenTest, DieFarbeDerZeileAAendertNichtsUndSchreibtNichts) {
  FarbeMerken(0x00FF00);
  ASSERT_TRUE(QFile::remove(Datei()));
  EXPECT_EQ(FarbeMerken(0x00FF00), 0x00FF00);
  EXPECT_FALSE(QFile::exists(Datei()));
  EXPECT_EQ(FarbArbeitsKopie()[0], "ColorA=0000FF00");
}

TEST_F(FarbenTest, SilberWirdAlsC0C0C1GespeichertUndGibtDieFensterfarbe) {
  EXPECT_EQ(FarbeMerken(0xC0C0C0), ButtonFaceFarbe());
  EXPECT_EQ(DateiZeilen()[0], "ColorA=00C0C0C1");
  // Picked again it is found in A, whichever of the two it was picked as.
  EXPECT_EQ(FarbeMerken(0xC0C0C1), ButtonFaceFarbe());
  EXPECT_EQ(DateiZeilen()[1], "ColorB=00000000");
}

TEST_F(FarbenTest, EineBeschaedigteDateiGibtSechzehnSaubereZeilen) {
  // Short, out of order, lower case, a bad value, a repeated letter, foreign lines.
  ASSERT_TRUE(writeTextLines(Datei(), {"ColorC=0000ff00", "[Farben]", "ColorB=XYZ", "ColorA=000000FF",
                                       "ColorA=00FFFFFF", "ColorQ=00123456", "ColorE=123"}));
  FarbenLaden();
  const QStringList& z = FarbArbeitsKopie();
  ASSERT_EQ(z.size(), 16);
  EXPECT_EQ(z[0], "ColorA=000000FF");
  EXPECT_EQ(z[1], "ColorB=00000000");
  EXPECT_EQ(z[2], "ColorC=0000FF00");
  EXPECT_EQ(z[4], "ColorE=00000000");
  EXPECT_EQ(z[15], "ColorP=00000000");

  // Remembering works on the rebuilt lines and writes all sixteen.
  FarbeMerken(0x0000FF00);
  const QStringList d = DateiZeilen();
  ASSERT_EQ(d.size(), 16);
  EXPECT_EQ(d[0], "ColorA=0000FF00");
  EXPECT_EQ(d[1], "ColorB=000000FF");
  EXPECT_EQ(d[2], "ColorC=00000000");  // the old C moved up to A
  EXPECT_TRUE(meldungen.messages().empty());

  // An empty file is no file of colours either.
  ASSERT_TRUE(writeTextLines(Datei(), {}));
  FarbenLaden();
  EXPECT_EQ(FarbArbeitsKopie(), FarbZeilenBauen({}));
}

TEST_F(FarbenTest, EinFehlgeschlagenesSpeichernWirdGemeldet) {
  ASSERT_TRUE(QDir().mkpath(Datei()));  // a folder where the file should go
  FarbeMerken(0x000080);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
}

TEST_F(FarbenTest, DerDialogStartetMitSeinenFarbenUndDieWahlGehtDurchFarbeMerken) {
  int32_t start = -1;
  KolvexFarbDialog::setTestHook([&](KolvexFarbDialog& d) {
    start = d.Color;
    // The dialog's custom colours are in Qt's process-wide list when it opens.
    EXPECT_EQ(QColorDialog::customColor(KolvexFarbDialog::QtIndex(8)), QColor(255, 0, 0));
    EXPECT_EQ(QColorDialog::customColor(KolvexFarbDialog::QtIndex(9)), QColor(0, 0, 255));
    d.Color = 0x00FFFF;
    return true;
  });
  int32_t farbe = 0;
  ASSERT_TRUE(FarbeWaehlen(0x123456, farbe));
  EXPECT_EQ(start, 0x123456);
  EXPECT_EQ(farbe, 0x00FFFF);
  EXPECT_EQ(FarbArbeitsKopie()[0], "ColorA=0000FFFF");

  KolvexFarbDialog::setTestHook([](KolvexFarbDialog& d) {
    d.Color = 0x0000FF;
    return false;  // cancelled
  });
  farbe = 7;
  EXPECT_FALSE(FarbeWaehlen(0, farbe));
  EXPECT_EQ(farbe, 7);
  EXPECT_EQ(FarbArbeitsKopie()[0], "ColorA=0000FFFF");
}

// Qt numbers its custom colour wells column by column; the letters A..H must still form
// the top row of the dialog as they did in the original dialog.
TEST(FarbDialogReihen, AbisHBildenDieObereReihe) {
  for (int i = 0; i < 16; ++i)
    QColorDialog::setCustomColor(KolvexFarbDialog::QtIndex(i), QColor(10 + i * 15, 200 - i * 10, i < 8 ? 40 : 220));
  QColorDialog dialog;
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  // The custom colour well is the 2 x 8 one of the two wells.
  QWidget* well = nullptr;
  for (QWidget* w : dialog.findChildren<QWidget*>())
    if (QByteArray(w->metaObject()->className()) == "QWellArray" && w->height() < w->width() / 3 &&
        (!well || w->y() > well->y()))
      well = w;
  ASSERT_NE(well, nullptr);
  const QImage bild = well->grab().toImage();
  const double zelleB = bild.width() / 8.0, zelleH = bild.height() / 2.0;
  for (int i = 0; i < 16; ++i) {
    const int reihe = i / 8, spalte = i % 8;
    const QColor c = bild.pixelColor(static_cast<int>((spalte + 0.5) * zelleB), static_cast<int>((reihe + 0.5) * zelleH));
    EXPECT_EQ(c, QColor(10 + i * 15, 200 - i * 10, i < 8 ? 40 : 220)) << "letter " << char('A' + i);
  }
}

}  // namespace
