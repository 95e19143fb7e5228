// Long channel names and title lines in the data graph: the plot keeps most of the chart,
// every caption and title line shows its beginning, and every curve label its Y name.
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
  // What the chart shows of label i: it starts in the margin beside the plot and ends
  // inside the chart.
  QString Gezeigt(int i) {
    const ChartOverlayText& t = g->Chart1->overlayTexts()[static_cast<size_t>(i)];
    EXPECT_TRUE(t.besidePlot);
    const int links = g->Chart1->lastPlotRect().right + t.offset.x();
    const int rechts = g->Chart1->width();
    const QString gezeigt = chartOverlayShownText(t.text, t.font, links, rechts, t.keepFrom);
    EXPECT_FALSE(gezeigt.isEmpty());
    EXPECT_LE(links + QFontMetrics(t.font).horizontalAdvance(gezeigt), rechts) << gezeigt.toStdString();
    return gezeigt;
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

TEST_F(LangeTexteTest, LabelsAreCutFromTheXNameFirst) {
  QFont schrift = g->Chart1->font();
  schrift.setBold(true);
  const QFontMetrics m(schrift);
  const QString text = QStringLiteral(" Zeitstempel_Kanal_1 : Spannung_B");
  const qsizetype ab = text.indexOf(QStringLiteral(" : "));
  const QString rest = text.mid(ab);
  auto gezeigt = [&](int platz) { return chartOverlayShownText(text, schrift, 10, 10 + platz, ab); };
  EXPECT_EQ(gezeigt(m.horizontalAdvance(text)), text);
  for (int platz = m.horizontalAdvance(text) - 1; platz > 0; --platz) {
    const QString g = gezeigt(platz);
    EXPECT_LE(m.horizontalAdvance(g), platz) << platz;
    // (Measured as one text, the parts may come out a pixel narrower than the rule saw.)
    if (platz >= m.horizontalAdvance(QStringLiteral(" Z…1") + rest) + 2) {
      // The X name cut in the middle, the rest whole.
      EXPECT_TRUE(g.startsWith(QStringLiteral(" Z")) && g.contains(QStringLiteral("…")) &&
                  g.endsWith(QStringLiteral("1") + rest))
          << platz << " [" << g.toStdString() << "]";
    } else if (platz >= m.horizontalAdvance(QStringLiteral("…") + rest) + 2) {
      // The Y name whole as long as it fits.
      EXPECT_TRUE(g.contains(QStringLiteral("…")) && g.endsWith(rest)) << platz << " [" << g.toStdString() << "]";
    } else if (platz >= m.horizontalAdvance(QStringLiteral("… : …_B")) + 2) {
      // The X name gone, the Y name cut in the middle: " : " and its end stay.
      EXPECT_TRUE(g.startsWith(QStringLiteral("… : ")) && g.endsWith(QStringLiteral("B")))
          << platz << " [" << g.toStdString() << "]";
    } else if (platz >= m.horizontalAdvance(QStringLiteral("…"))) {
      EXPECT_FALSE(g.isEmpty()) << platz;
    }
  }
  // Without a part to keep, the beginning stays.
  EXPECT_EQ(chartOverlayShownText(text, schrift, 0, m.horizontalAdvance(QStringLiteral(" Zeit…")), -1),
            QStringLiteral(" Zeit…"));
}

TEST_F(LangeTexteTest, LongCurveLabelLeavesThePlotMostOfTheWidthAndKeepsItsYName) {
  KurveAus(kLang1, kLang2);
  const QString label = QStringLiteral(" ") + kLang1 + QStringLiteral(" : ") + kLang2;
  for (const QSize groesse : {QSize(1100, 750), QSize(300, 300)}) {
    g->resize(groesse);  // the small one ends at the window's minimum
    QCoreApplication::processEvents();
    g->Chart1->replotNow();
    const int breite = g->Chart1->width();
    const ChartRect r = g->Chart1->lastPlotRect();
    EXPECT_GE(r.width(), breite * 6 / 10) << breite;
    const QString gezeigt = Gezeigt(0);
    ASSERT_EQ(g->Chart1->overlayTexts()[0].text, label);
    // The X name gave way, the Y name's beginning and end stay.
    ASSERT_TRUE(gezeigt.startsWith(QChar(0x2026))) << gezeigt.toStdString();
    EXPECT_TRUE(gezeigt.contains(QStringLiteral(" : Noch"))) << gezeigt.toStdString();
    EXPECT_TRUE(gezeigt.endsWith(QStringLiteral("[kg]"))) << gezeigt.toStdString();
  }
  // The picture for saving and printing draws the chart as the window shows it.
  const QImage bild = g->DiagrammBild().convertToFormat(QImage::Format_RGB32);
  const QImage chart = g->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(bild.copy(20, 40, chart.width(), chart.height()), chart);
}

// Two files of long channel names, the second reaching further in X: every label stands in
// the margin right of the plot, never across it, cut to the chart's edge; the curves that
// share the X channel are told apart by their Y names.
TEST_F(LangeTexteTest, LabelsOfCurvesThatEndEarlyOrShareTheirXStayInTheMargin) {
  const QString x = QStringLiteral("Zeitstempel_der_Messung_Kanal_Alpha_1");
  const QString yA = QStringLiteral("Spannung_am_Ausgang_des_Verstaerkers_in_Millivolt_A");
  const QString yB = QStringLiteral("Spannung_am_Ausgang_des_Verstaerkers_in_Millivolt_B");
  DateiSchreiben("kurz.csv", {x + ";" + yA + ";" + yB, "0;1;2", "1;2;3", "2;5;4", "3;4;6"});
  DateiSchreiben("lang.csv", {x + ";" + yA, "0;1", "4;6", "9;3"});
  g->OpenDialog1.FileName = Pfad("kurz.csv");
  g->show();
  ASSERT_TRUE(QTest::qWaitFor([this] { return g->Tag == 1; }));  // shown and its file loaded
  g->resize(1100, 750);
  for (const auto& [datei, y] : {std::pair{QStringLiteral("kurz.csv"), 2}, {QStringLiteral("kurz.csv"), 3},
                                 {QStringLiteral("lang.csv"), 2}}) {
    if (g->OpenDialog1.FileName != Pfad(datei)) {
      g->OpenDialog1.FileName = Pfad(datei);
      g->Aktivieren();
    }
    g->tbPlusClick();
    g->cbXKanal->setCurrentIndex(1);
    g->cbYKanal->setCurrentIndex(y);
    g->sbGrafikClick();
  }
  QCoreApplication::processEvents();
  g->Chart1->replotNow();
  ASSERT_EQ(g->Chart1->overlayTexts().size(), 3u);
  const ChartRect r = g->Chart1->lastPlotRect();
  QStringList gezeigt;
  for (int i = 0; i < 3; ++i) {
    const ChartOverlayText& t = g->Chart1->overlayTexts()[static_cast<size_t>(i)];
    gezeigt << Gezeigt(i);
    EXPECT_TRUE(gezeigt[i].contains(QChar(0x2026))) << gezeigt[i].toStdString();
    EXPECT_TRUE(gezeigt[i].endsWith(t.text.right(2))) << gezeigt[i].toStdString();
  }
  EXPECT_NE(gezeigt[0], gezeigt[1]);
  EXPECT_EQ(gezeigt[0], gezeigt[2]);  // the same channels in the other file

  // On the screen: nothing of the first curve's colour in the plot right of its last point,
  // where its label once ran across the data.
  const QImage bild = g->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QColor farbe = g->Serien[0]->color();
  const int ab = static_cast<int>(g->Chart1->pixelOf(ChartAxis::Bottom, 3)) + 6;
  int gefunden = 0;
  for (int px = ab; px < r.right; ++px)
    for (int py = r.top; py < r.bottom; ++py) {
      const QColor c = bild.pixelColor(px, py);
      gefunden += std::abs(c.red() - farbe.red()) + std::abs(c.green() - farbe.green()) +
                      std::abs(c.blue() - farbe.blue()) < 60;
    }
  EXPECT_EQ(gefunden, 0);
  // And the labels are drawn: the margin holds each curve's colour.
  for (int s = 0; s < 3; ++s) {
    const QColor f = g->Serien[s]->color();
    int imRand = 0;
    for (int px = r.right + 1; px < bild.width(); ++px)
      for (int py = 0; py < bild.height(); ++py) {
        const QColor c = bild.pixelColor(px, py);
        imRand += std::abs(c.red() - f.red()) + std::abs(c.green() - f.green()) + std::abs(c.blue() - f.blue()) < 60;
      }
    EXPECT_GT(imRand, 20) << s;
  }
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
