// The chart adapter's parts for the data graph: bulk points, overlay, left-axis increment
// and right margin.
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include "platform/chart_view.h"

namespace {

class ChartZusatzTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chart.resize(600, 400);
    s = chart.addSeries("Series1");
    chart.show();
  }
  // The colour of a pixel of the drawn chart.
  QColor Pixel(int x, int y) {
    chart.replotNow();
    return chart.grab().toImage().pixelColor(x, y);
  }
  ChartView chart;
  ChartSeries* s = nullptr;
};

TEST_F(ChartZusatzTest, BulkPointsTakeTheShorterLengthAndKnowTheirOrder) {
  s->setPoints({1, 2, 3, 4}, {10, 20, 30});
  EXPECT_EQ(s->count(), 3);
  EXPECT_TRUE(s->xAscending());
  EXPECT_EQ(chart.maximum(ChartAxis::Left), 30);
  s->setPoints({3, 1}, {1, 2});
  EXPECT_FALSE(s->xAscending());
  chart.refresh();
  EXPECT_NE(qobject_cast<QCPCurve*>(s->plottable()), nullptr);
  s->setPoints({}, {});
  EXPECT_EQ(s->count(), 0);
}

TEST_F(ChartZusatzTest, OverlayTextsFollowTheAxesAndStayAboveTheCurves) {
  s->setPoints({0, 10}, {0, 10});
  s->setPointerVisible(false);
  ChartOverlayText t;
  t.x = 5;
  t.y = 5;
  t.offset = QPoint(8, -8);
  t.text = QStringLiteral("█████");
  t.color = QColor(255, 0, 255);
  chart.setOverlayTexts({t});
  chart.replotNow();
  const int px = static_cast<int>(chart.pixelOf(ChartAxis::Bottom, 5)) + 8;
  const int py = static_cast<int>(chart.pixelOf(ChartAxis::Left, 5)) - 8;
  // The text's top-left corner is at the anchor plus the offset.
  EXPECT_EQ(Pixel(px + 3, py + 6), QColor(255, 0, 255));
  EXPECT_NE(Pixel(px - 4, py - 4), QColor(255, 0, 255));
  // Rescaling moves it with the axes.
  chart.setMinMax(ChartAxis::Bottom, 0, 20);
  const int px2 = static_cast<int>(chart.pixelOf(ChartAxis::Bottom, 5)) + 8;
  EXPECT_LT(px2, px);
  EXPECT_EQ(Pixel(px2 + 3, py + 6), QColor(255, 0, 255));
  chart.setOverlayTexts({});
  EXPECT_NE(Pixel(px2 + 3, py + 6), QColor(255, 0, 255));

  // A line in axis values, cut at the plot rectangle.
  ChartOverlayLine l;
  l.points = {QPointF(-100, 2), QPointF(100, 2)};
  l.pen = QPen(QColor(0, 200, 0), 3);
  chart.setOverlayLines({l});
  const ChartRect r = chart.plotRect();
  const int ly = static_cast<int>(std::lround(chart.pixelOf(ChartAxis::Left, 2)));
  EXPECT_EQ(Pixel((r.left + r.right) / 2, ly), QColor(0, 200, 0));
  EXPECT_NE(Pixel(r.left - 5, ly), QColor(0, 200, 0));
  EXPECT_EQ(chart.overlayLines().size(), 1u);
}

TEST_F(ChartZusatzTest, LeftIncrementIsTheSmallestLabelStep) {
  s->setPoints({0, 1}, {0, 1});
  chart.replotNow();
  auto schritt = [this] {
    chart.replotNow();
    const QVector<double> ticks = chart.plot()->yAxis->tickVector();
    return ticks.size() >= 2 ? ticks[1] - ticks[0] : 0.0;
  };
  const double frei = schritt();
  EXPECT_LT(frei, 0.5);
  chart.setLeftIncrement(0.5);
  EXPECT_NEAR(schritt(), 0.5, 1e-12);
  // Switching the axis to logarithmic and back keeps it.
  chart.setLogarithmic(ChartAxis::Left, true);
  chart.setLogarithmic(ChartAxis::Left, false);
  EXPECT_NEAR(schritt(), 0.5, 1e-12);
  // A step below the automatic one changes nothing; 0 and nonsense switch it off.
  chart.setLeftIncrement(0.0001);
  EXPECT_NEAR(schritt(), frei, 1e-12);
  chart.setLeftIncrement(std::nan(""));
  EXPECT_EQ(chart.leftIncrement(), 0);
}

TEST_F(ChartZusatzTest, RightMarginInPixels) {
  s->setPoints({0, 1}, {0, 1});
  chart.setRightMargin(150);
  chart.replotNow();
  EXPECT_EQ(chart.lastPlotRect().right, chart.width() - 150);
  EXPECT_EQ(chart.plotRect().right, chart.lastPlotRect().right);
  chart.setRightMargin(-1);
  chart.replotNow();
  EXPECT_GT(chart.lastPlotRect().right, chart.width() - 40);
}

TEST_F(ChartZusatzTest, LineSkippingOutsidePointsJoinsAcrossAndIsShifted) {
  s->setPoints({0, 10}, {0, 10});
  s->setPointerVisible(false);
  s->setLineVisible(false);
  chart.setMinMax(ChartAxis::Bottom, 0, 10);
  chart.setMinMax(ChartAxis::Left, 0, 10);
  ChartOverlayLine l;
  // The middle point is far above the plot: left out, the line runs straight at y = 5.
  l.points = {QPointF(1, 5), QPointF(5, 1e300), QPointF(9, 5)};
  l.pen = QPen(QColor(0, 200, 0), 3);
  l.skipOutside = true;
  chart.setOverlayLines({l});
  const ChartRect r = chart.plotRect();
  const QPoint mitte = chartValueToPixel(r, 0, 10, 0, 10, 5, 5);
  EXPECT_EQ(Pixel(mitte.x(), mitte.y()), QColor(0, 200, 0));
  EXPECT_NE(Pixel(mitte.x(), mitte.y() - 20), QColor(0, 200, 0));
  // Moved by the shift in pixels.
  l.shift = QPoint(0, 10);
  chart.setOverlayLines({l});
  EXPECT_NE(Pixel(mitte.x(), mitte.y()), QColor(0, 200, 0));
  EXPECT_EQ(Pixel(mitte.x(), mitte.y() + 10), QColor(0, 200, 0));
  // Nothing inside: nothing drawn, and no point at the edge either.
  l.shift = QPoint();
  l.points = {QPointF(-5, 5), QPointF(15, 5)};
  chart.setOverlayLines({l});
  EXPECT_NE(Pixel(mitte.x(), mitte.y()), QColor(0, 200, 0));
  EXPECT_NE(Pixel(r.left + 1, mitte.y()), QColor(0, 200, 0));
}

TEST(ChartPixel, ValuesBeyondTheScreenStayFarOutside) {
  const ChartRect r{10, 20, 110, 220};
  EXPECT_EQ(chartValueToPixel(r, 0, 10, 0, 100, 1e300, -1e300), QPoint(1000000000, 1000000000));
  EXPECT_EQ(chartValueToPixel(r, 0, 10, 0, 100, -1e300, 1e300), QPoint(-1000000000, -1000000000));
  const QPoint nan = chartValueToPixel(r, 0, 10, 0, 100, std::nan(""), std::nan(""));
  EXPECT_LT(nan.x(), r.left);
  EXPECT_LT(nan.y(), r.top);
}

}  // namespace

// A text running past the chart's right edge is cut short there with "…", so that its
// beginning reads as the beginning and the reader sees that more follows.
TEST_F(ChartZusatzTest, OverlayTextPastTheRightEdgeEndsWithAnEllipsis) {
  QFont schrift = chart.font();
  schrift.setBold(true);
  const QFontMetrics m(schrift);
  const QString text = QStringLiteral("Ein sehr sehr langer Kanalname mit vielen Wörtern [m/s²]");
  const int breite = m.horizontalAdvance(text);
  EXPECT_EQ(chartOverlayShownText(text, schrift, 100, 100 + breite), text);
  for (int platz : {breite - 1, breite / 2, 40}) {
    const QString gezeigt = chartOverlayShownText(text, schrift, 100, 100 + platz);
    ASSERT_TRUE(gezeigt.endsWith(QChar(0x2026))) << platz;
    EXPECT_TRUE(text.startsWith(gezeigt.chopped(1))) << platz;
    EXPECT_GE(gezeigt.size(), 2) << platz;
    EXPECT_LE(m.horizontalAdvance(gezeigt), platz) << platz;
  }
  EXPECT_EQ(chartOverlayShownText(text, schrift, 300, 300), QString());
  EXPECT_EQ(chartOverlayShownText(text, schrift, 300, 200), QString());

  // Drawn: blocks from the middle of the chart on; the last of them stops short of the
  // edge, where the ellipsis stands.
  s->setPoints({0, 10}, {0, 10});
  s->setPointerVisible(false);
  s->setLineVisible(false);
  ChartOverlayText t;
  t.x = 5;
  t.y = 5;
  t.text = QString(200, QChar(0x2588));
  t.color = QColor(255, 0, 255);
  t.font = schrift;
  chart.setOverlayTexts({t});
  chart.replotNow();
  const QImage bild = chart.grab().toImage();
  const int y = static_cast<int>(chart.pixelOf(ChartAxis::Left, 5)) + m.ascent() / 2;
  int letzte = -1;
  for (int x = 0; x < bild.width(); ++x)
    if (bild.pixelColor(x, y) == QColor(255, 0, 255)) letzte = x;
  EXPECT_GT(letzte, static_cast<int>(chart.pixelOf(ChartAxis::Bottom, 5)) + 20);
  EXPECT_LT(letzte, bild.width() - m.horizontalAdvance(QChar(0x2026)) + 1);
}

// The legend stands in the plot's top right corner; a title longer than the plot is cut at
// the right, so the legend stays inside the plot and the title's beginning shows.
TEST_F(ChartZusatzTest, LegendOfALongTitleStaysInsideThePlot) {
  s->setPoints({0, 10}, {0, 10});
  s->setColor(QColor(255, 0, 0));
  s->setTitle(QStringLiteral("kurz"));
  chart.setLegendVisible(true);
  chart.replotNow();
  QCPLegend* legende = chart.plot()->legend;
  ASSERT_EQ(legende->itemCount(), 1);
  const int kurz = legende->outerRect().width();
  s->setTitle(QStringLiteral("Ein sehr sehr langer Kanalname mit vielen Wörtern [m/s²] : ").repeated(3));
  chart.replotNow();
  const QRect flaeche = chart.plot()->axisRect()->rect();
  const QRect rahmen = legende->outerRect();
  EXPECT_GT(rahmen.width(), kurz);
  EXPECT_GE(rahmen.left(), flaeche.left());
  EXPECT_LE(rahmen.right(), flaeche.right());
  // The entry's line sample, at its left, is drawn.
  const QImage bild = chart.grab().toImage();
  int rot = 0;
  for (int x = rahmen.left(); x < rahmen.left() + 40; ++x)
    for (int y = rahmen.top(); y <= rahmen.bottom(); ++y)
      if (bild.pixelColor(x, y) == QColor(255, 0, 0)) ++rot;
  EXPECT_GT(rot, 5);
}
