// Long channel names and title lines in the data graph: the plot keeps most of the chart,
// and every label, caption and title line shows its beginning.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "core/globals.h"
#include "datagraph/grafik_approx.h"
#include "platform/chart_view.h"
#include "support/fenster_fixture.h"
#include "support/sichtbarer_text.h"

namespace {

const QString kLang1 = QStringLiteral("Ein sehr sehr langer Kanalname mit vielen Wörtern [m/s²]");
const QString kLang2 = QStringLiteral("Noch ein extrem langer Kanalname der nicht passen wird [kg]");
const QString kTitel =
    QStringLiteral("Eine sehr lange Titelzeile, die nicht in das Feld passt und abgeschnitten wird");

class LangeTexteTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    g = frGrafikApprox;
    ASSERT_NE(g, nullptr);
  }
  // A table of the two columns, loaded and shown, with one curve of them.
  void KurveAus(const QString& x, const QString& y) {
    DateiSchreiben("messung.csv", {x + ";" + y, "0;1", "1;2", "2;5", "3;4"});
    g->OpenDialog1.FileName = Pfad("messung.csv");
    g->show();
    ASSERT_TRUE(QTest::qWaitFor([this] { return g->Tag == 1; }));  // shown and its file loaded
    g->resize(1100, 750);
    g->cbXKanal->setCurrentIndex(1);
    g->cbYKanal->setCurrentIndex(2);
    g->sbGrafikClick();
    QCoreApplication::processEvents();
    g->Chart1->replotNow();
  }
  TfrGrafikApprox* g = nullptr;
};

}  // namespace

TEST_F(LangeTexteTest, LabelMarginIsBoundedToThreeTenthsOfTheChart) {
  EXPECT_EQ(TfrGrafikApprox::RandPixel(2, 1000, 0), 20);
  EXPECT_EQ(TfrGrafikApprox::RandPixel(7, 1000, 50), 70);   // the share is wider
  EXPECT_EQ(TfrGrafikApprox::RandPixel(7, 1000, 150), 162);  // the label 8 + 150 + 4
  EXPECT_EQ(TfrGrafikApprox::RandPixel(7, 1000, 2000), 300);
  EXPECT_EQ(TfrGrafikApprox::RandPixel(78, 1270, 0), 381);  // a share of 78 % as well
  EXPECT_EQ(TfrGrafikApprox::RandPixel(0, 30, 0), 12);
}

TEST_F(LangeTexteTest, LongCurveLabelLeavesThePlotMostOfTheWidthAndShowsItsBeginning) {
  KurveAus(kLang1, kLang2);
  const QString label = QStringLiteral(" ") + kLang1 + QStringLiteral(" : ") + kLang2;
  for (const QSize groesse : {QSize(1100, 750), QSize(300, 300)}) {
    g->resize(groesse);  // the small one ends at the window's minimum
    QCoreApplication::processEvents();
    g->Chart1->replotNow();
    const int breite = g->Chart1->width();
    const ChartRect r = g->Chart1->lastPlotRect();
    EXPECT_GE(r.width(), breite * 6 / 10) << breite;
    const auto& texte = g->Chart1->overlayTexts();
    ASSERT_EQ(texte.size(), 1u);
    ASSERT_EQ(texte[0].text, label);
    const int links = g->WertZuPixel(texte[0].x, texte[0].y).x() + texte[0].offset.x();
    EXPECT_GE(links, r.right);  // beside the plot
    const QString gezeigt = chartOverlayShownText(texte[0].text, texte[0].font, links, breite);
    ASSERT_TRUE(gezeigt.endsWith(QChar(0x2026))) << gezeigt.toStdString();
    EXPECT_TRUE(label.startsWith(gezeigt.chopped(1)));
    EXPECT_TRUE(gezeigt.startsWith(QStringLiteral(" Ein sehr sehr"))) << gezeigt.toStdString();
  }
  // The picture for saving and printing draws the chart as the window shows it.
  const QImage bild = g->DiagrammBild().convertToFormat(QImage::Format_RGB32);
  const QImage chart = g->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(bild.copy(20, 40, chart.width(), chart.height()), chart);
}

TEST_F(LangeTexteTest, XCaptionWiderThanThePlotShowsItsBeginning) {
  const QString lang = kLang1 + QStringLiteral(" ") + kLang1 + QStringLiteral(" ") + kLang1;
  KurveAus(lang, QStringLiteral("kg"));
  const ChartRect r = g->Chart1->lastPlotRect();
  ASSERT_EQ(g->lbDX->text(), lang);
  ASSERT_GT(g->lbDX->fontMetrics().horizontalAdvance(lang), r.width());
  // Inside the plot from its left on, cut at the right, never at the left.
  EXPECT_GE(g->lbDX->x(), r.left);
  EXPECT_LE(g->lbDX->x() + g->lbDX->width(), r.right);
  EXPECT_GT(g->lbDX->width(), r.width() / 2);
  EXPECT_TRUE(g->lbDX->alignment() & Qt::AlignLeft);
  // A short caption still ends near the plot's right edge.
  EXPECT_EQ(g->lbDY->text(), QStringLiteral("kg"));
  EXPECT_GE(g->lbDY->x(), r.left);
}

TEST_F(LangeTexteTest, TitleLinesShowTheirBeginningInTheWindowThePictureAndAfterReopening) {
  KurveAus(QStringLiteral("Zeit"), QStringLiteral("Weg"));
  g->activateWindow();
  // Typed and left with Enter.
  g->edText1->setFocus();
  QTest::keyClicks(g->edText1, kTitel);
  ASSERT_TRUE(ZuBreit(g->edText1));
  QTest::keyClick(g->edText1, Qt::Key_Return);
  EXPECT_TRUE(SichtbarerText(g->edText1).startsWith(QStringLiteral("Eine sehr"))) << SichtbarerText(g->edText1).toStdString();

  // Typed and saved as a picture while the caret is still at its end.
  g->edText2->setFocus();
  QTest::keyClicks(g->edText2, kTitel);
  const QImage bild = g->DiagrammBild().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(SichtbarerText(g->edText2).startsWith(QStringLiteral("Eine sehr")));
  const QImage titel = g->plUnten->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(bild.copy(20, 40 + g->Chart1->height() + 2, titel.width(), titel.height()), titel);

  // Typed, the window closed and opened again.
  g->edText3->setFocus();
  QTest::keyClicks(g->edText3, kTitel);
  g->close();
  EXPECT_EQ(QString::fromStdString(kolvex::TitelText3), kTitel);
  for (QLineEdit* ed : {g->edText1, g->edText2, g->edText3}) ed->end(false);
  g->show();
  ASSERT_TRUE(QTest::qWaitFor([this] { return g->Tag == 1; }));  // shown and its file loaded
  g->sbGrafikClick();
  for (QLineEdit* ed : {g->edText1, g->edText2, g->edText3}) {
    EXPECT_EQ(ed->text(), kTitel);
    EXPECT_TRUE(SichtbarerText(ed).startsWith(QStringLiteral("Eine sehr"))) << SichtbarerText(ed).toStdString();
  }
}
