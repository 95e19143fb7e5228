// The chart adapter: point order, automatic and fixed ranges, log axis, labels, geometry.
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include "platform/chart_view.h"

namespace {

class ChartViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chart.resize(500, 350);
    a = chart.addSeries("Series1");
    b = chart.addSeries("Series2");
  }
  ChartView chart;
  ChartSeries* a = nullptr;
  ChartSeries* b = nullptr;
};

TEST_F(ChartViewTest, PointsKeepTheirOrderAndDecreasingXIsDrawnAsACurve) {
  for (double x : {3.0, 1.0, 2.0}) a->addXY(x, x * 10);
  b->addXY(1, 1);
  b->addXY(1, 2);  // equal X still counts as ascending
  chart.refresh();
  EXPECT_EQ(a->xValues(), (std::vector<double>{3, 1, 2}));
  EXPECT_FALSE(a->xAscending());
  EXPECT_TRUE(b->xAscending());
  EXPECT_NE(qobject_cast<QCPCurve*>(a->plottable()), nullptr);
  EXPECT_NE(qobject_cast<QCPGraph*>(b->plottable()), nullptr);
  // Clearing makes it a plain graph again.
  a->clear();
  a->addXY(0, 0);
  a->addXY(1, 1);
  chart.refresh();
  EXPECT_NE(qobject_cast<QCPGraph*>(a->plottable()), nullptr);
  EXPECT_EQ(chart.plot()->plottableCount(), 2);
}

TEST_F(ChartViewTest, AutomaticRangeSpansTheActiveSeriesExactly) {
  a->addXY(-2, 5);
  a->addXY(4, -1);
  b->addXY(100, 1000);
  b->setActive(false);
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Bottom), -2);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Bottom), 4);
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Left), -1);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 5);
  b->setActive(true);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 1000);
  EXPECT_EQ(chart.plot()->legend->itemCount(), 2);
  b->setActive(false);
  chart.refresh();
  EXPECT_EQ(chart.plot()->legend->itemCount(), 1);
}

TEST_F(ChartViewTest, AutomaticRangeFollowsEveryChangeOfThePointsAndSkipsWhatIsNotFinite) {
  // Each change comes after a range was worked out from the points before it.
  a->setPoints({1, 2, 3}, {10, 20, 30});
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 30);
  a->addXY(4, 90);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 90);
  a->setPoints({0, NAN, 5}, {-INFINITY, 7, 8});
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Bottom), 0);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Bottom), 5);
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Left), 7);
  a->clear();
  a->addXY(-3, 2);
  a->addXY(-1, 4);
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Bottom), -3);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Bottom), -1);
  // A log axis spans the positive values of both series.
  b->setPoints({1, 2}, {0.25, -5});
  chart.setLogarithmic(ChartAxis::Left, true);
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Left), 0.25);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 4);
}

TEST_F(ChartViewTest, FixedRangeRefusesInvertedOrEmptyLimits) {
  a->addXY(0, 0);
  a->addXY(1, 1);
  EXPECT_FALSE(chart.setMinMax(ChartAxis::Left, 5, 2));
  EXPECT_FALSE(chart.setMinMax(ChartAxis::Left, 3, 3));
  EXPECT_FALSE(chart.setMinMax(ChartAxis::Left, NAN, 3));
  EXPECT_TRUE(chart.automatic(ChartAxis::Left));
  EXPECT_TRUE(chart.setMinMax(ChartAxis::Left, -3, 7));
  EXPECT_FALSE(chart.automatic(ChartAxis::Left));
  a->addXY(2, 50);  // data changes leave a fixed axis alone
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 7);
  chart.setAutomatic(ChartAxis::Left, true);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 50);
}

TEST_F(ChartViewTest, LogAxisAlwaysHasAPositiveLowerEnd) {
  a->addXY(0, 0);
  a->addXY(1, 0.5);
  a->addXY(2, 100);
  chart.setLogarithmic(ChartAxis::Left, true);
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Left), 0.5);  // 0 has no logarithm
  EXPECT_TRUE(chart.setMinMax(ChartAxis::Left, -10, 1000));
  EXPECT_DOUBLE_EQ(chart.minimum(ChartAxis::Left), 0.5);
  EXPECT_DOUBLE_EQ(chart.maximum(ChartAxis::Left), 1000);
  b->addXY(0, -4);
  a->clear();
  chart.setAutomatic(ChartAxis::Left, true);  // nothing positive at all
  EXPECT_GT(chart.minimum(ChartAxis::Left), 0);
  chart.replotNow();  // and QCustomPlot draws it without complaint
}

TEST_F(ChartViewTest, TickLabelsAreGermanWithoutGroupSeparators) {
  a->addXY(0, 1000);
  a->addXY(1, 5000);
  chart.replotNow();
  const QVector<QString> x = chart.plot()->xAxis->tickVectorLabels();
  const QVector<QString> y = chart.plot()->yAxis->tickVectorLabels();
  ASSERT_FALSE(x.isEmpty());
  ASSERT_FALSE(y.isEmpty());
  EXPECT_TRUE(x.contains(QStringLiteral("0,2")) || x.contains(QStringLiteral("0,5")));
  EXPECT_TRUE(y.contains(QStringLiteral("2000")) || y.contains(QStringLiteral("3000")));
  for (const QString& t : y) EXPECT_FALSE(t.contains(QLatin1Char('.'))) << t.toStdString();
}

TEST_F(ChartViewTest, PlotRectAndPixelConversion) {
  a->addXY(0, 0);
  a->addXY(10, 100);
  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  const ChartRect r = chart.plotRect();
  EXPECT_GT(r.width(), 100);
  EXPECT_EQ(r.right, r.left + r.width());
  EXPECT_EQ(r.bottom, r.top + r.height());
  EXPECT_NEAR(chart.pixelOf(ChartAxis::Bottom, 0), r.left, 1.0);
  EXPECT_NEAR(chart.pixelOf(ChartAxis::Bottom, 10), r.right, 1.0);
  EXPECT_NEAR(chart.valueAt(ChartAxis::Left, chart.pixelOf(ChartAxis::Left, 42)), 42, 1e-9);
}

TEST_F(ChartViewTest, ColoursAreBlueGreenRed) {
  EXPECT_EQ(ChartView::colorFromValue(255), QColor(255, 0, 0));
  EXPECT_EQ(ChartView::colorFromValue(16711680), QColor(0, 0, 255));
  EXPECT_EQ(ChartView::colorFromValue(32768), QColor(0, 128, 0));
}

}  // namespace
