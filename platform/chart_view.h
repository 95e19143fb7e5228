#pragma once
// The chart of both graph windows: a bottom and a left axis, a legend and numbered line
// series with point markers. QCustomPlot does the drawing; every quirk of it that the
// windows must not see lives here:
//  - a series keeps its points in the order they were added (QCustomPlot's graph sorts by
//    X, so only a series whose X decreases somewhere is drawn as an order-keeping curve);
//  - each axis has an automatic-range flag; an automatic axis spans exactly the data of the
//    active series and follows it after every change;
//  - a fixed range is only taken when min < max (an inverted or empty range is refused);
//  - a logarithmic axis always gets a positive lower end;
//  - tick labels are German (decimal comma, no group separators);
//  - the plot rectangle's right edge is left + width (and bottom top + height);
//  - texts and lines of the window's own (curve labels, fitted curves) go on an overlay
//    drawn after the series; the overlay only paints what it was given, so changing it
//    redraws the overlay alone, not the curves;
//  - on screen a series of more than a few hundred points is drawn into a picture of its
//    own (platform/chart_view_raster.h), since Qt's stroking of a wide line through
//    thousands of points takes seconds; the picture is kept until the points, the style,
//    the axes or the plot area change. Printing and vector output draw point by point.
#include <QColor>
#include <QFont>
#include <QFrame>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <cstdint>
#include <vector>

class QCustomPlot;
class QPaintDevice;
class QCPAbstractPlottable;
class QCPAxis;
class QCPRange;
class ChartView;
class ChartOverlay;
class ChartIncrementTicker;

enum class ChartAxis { Bottom, Left };

// Point marker shapes under the names the settings dialogs show.
enum class PointerStyle { Rectangle, Circle, Triangle, DownTriangle, Cross, DiagCross, Star,
                          Diamond, SmallDot };

// The plot area in widget pixels; right = left + width, bottom = top + height.
struct ChartRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// A text on the overlay: anchored at axis values, its top-left corner offset from there by
// pixels (so it moves with the axes). A text that runs past the chart's right edge is cut
// short there with "…" (chartOverlayShownText, with keepFrom).
struct ChartOverlayText {
  double x = 0;
  double y = 0;
  QPoint offset;
  QString text;
  QColor color = Qt::black;
  QFont font;
  // In the margin right of the plot: the text starts offset.x() right of the plot's right
  // edge whatever x is, and its top stays inside the chart (y gives the height).
  bool besidePlot = false;
  // The part of the text from here on is what tells it apart (see chartOverlayShownText).
  qsizetype keepFrom = -1;
};

// What the overlay draws of text in font when it starts at pixel left and the chart ends at
// pixel right: the whole text when it fits. Otherwise, without keepFrom (< 1 or beyond the
// text), as much of its beginning as fits with "…". With keepFrom, the part from there on is
// what tells the text apart from others that begin alike (the Y channel of curve labels that
// share an X channel): the part before it is cut in the middle first, keeping its beginning
// and end ("Zeit_…_1"), down to "…" alone; only then the kept part too, in the middle, so
// that its beginning and its end stay ("… : Spannung_…volt_B"). Nothing when not even
// "…" fits.
QString chartOverlayShownText(const QString& text, const QFont& font, double left, double right,
                              qsizetype keepFrom = -1);

// A line through points on the overlay, cut off at the plot rectangle: axis values, or
// pixels of the chart widget when inPixels is set.
//
// With skipOutside (axis values only) every point is put on whole pixels by
// chartValueToPixel at the time of painting and moved by shift; a point that then lies
// outside the plot rectangle is left out, so the line runs straight from the last point
// inside to the next one instead of being cut at the edge. A single point inside is a dot.
struct ChartOverlayLine {
  QVector<QPointF> points;
  bool inPixels = false;
  QPen pen;
  bool skipOutside = false;
  QPoint shift;
};

// The pixel of the value pair (x, y) in the plot rectangle r for the axis ranges given:
// X = round((x - xmin) / (xmax - xmin) * (right - left) + left),
// Y = round(top + (ymax - y) / (ymax - ymin) * (bottom - top)), halves to even; X is left
// when (xmax - xmin) * (right - left) is 0, Y is top when (ymax - ymin) * (right - left) is
// 0. Values far outside (or not finite) land far outside the rectangle, never wrap around.
QPoint chartValueToPixel(const ChartRect& r, double xmin, double xmax, double ymin, double ymax,
                         double x, double y);

class ChartSeries : public QObject {
  Q_OBJECT

 public:
  // Style names as the settings store them ("Cross" is an upright +, "DiagCross" an x);
  // names are compared exactly, anything unknown gives a circle resp. a solid line.
  static PointerStyle pointerStyleFromName(const QString& name);
  static Qt::PenStyle penStyleFromName(const QString& name);
  // The names in the order the settings dialogs offer them.
  static const QStringList& pointerStyleNames();
  static const QStringList& penStyleNames();

  // ---- Points (kept in insertion order) ----
  // Empties the series and gives its memory back.
  void clear();
  void addXY(double x, double y);
  // All points at once (the shorter length counts), for large series.
  void setPoints(std::vector<double> xs, std::vector<double> ys);
  // Room for n points at once, so a long curve does not grow by doubling (which can hold
  // twice the memory its points need); squeeze() gives back what was not used, e.g. after a
  // curve was stopped early.
  void reserve(int n);
  void squeeze();
  // Points the series has room for without growing.
  size_t capacity() const { return xs_.capacity(); }
  int count() const { return static_cast<int>(xs_.size()); }
  double xValue(int i) const { return xs_[static_cast<size_t>(i)]; }
  double yValue(int i) const { return ys_[static_cast<size_t>(i)]; }
  const std::vector<double>& xValues() const { return xs_; }
  const std::vector<double>& yValues() const { return ys_; }
  // True while every X is >= the one before (drawn as a graph, else as a curve).
  bool xAscending() const { return ascending_; }
  // Changes whenever the points change (clear, addXY, setPoints) and is never handed out
  // twice in a run, so that it tells cached results of the points apart.
  std::uint64_t pointsRevision() const { return revision_; }

  // ---- Visibility and legend ----
  // Inactive series are neither drawn, nor in the legend, nor in the automatic ranges.
  void setActive(bool on);
  bool active() const { return active_; }
  void setTitle(const QString& title);
  QString title() const { return title_; }

  // ---- Style ----
  void setColor(const QColor& c);
  QColor color() const { return color_; }
  void setPointerStyle(PointerStyle s);
  PointerStyle pointerStyle() const { return pointerStyle_; }
  void setPointerVisible(bool on);
  bool pointerVisible() const { return pointerVisible_; }
  // Half size in pixels (the marker is about 2 * size across).
  void setPointerSize(int size);
  int pointerSize() const { return pointerSize_; }
  // Marker fill and outline; an invalid colour follows the series colour.
  void setPointerBrush(const QColor& c);
  QColor pointerBrush() const { return pointerBrush_; }
  void setPointerPen(const QColor& c);
  QColor pointerPen() const { return pointerPen_; }
  void setLineVisible(bool on);
  bool lineVisible() const { return lineVisible_; }
  void setLineStyle(Qt::PenStyle s);
  Qt::PenStyle lineStyle() const { return lineStyle_; }
  void setLineWidth(int w);
  int lineWidth() const { return lineWidth_; }

  ChartView* chart() const { return chart_; }
  // The plottable currently drawing the series (graph or curve); null until first drawn.
  QCPAbstractPlottable* plottable() const { return plottable_; }

 private:
  friend class ChartView;
  explicit ChartSeries(ChartView* chart);
  void dataChanged();  // the points changed
  void styleChanged();
  void sync();  // brings the plottable up to date
  void applyStyle();
  void neuZeichnen();  // what the plottable drew before is out of date
  // The smallest and largest finite value of X (axis Bottom) or Y, and of the positive
  // ones alone (infinity and -infinity when there are none; the first of equal ones, as a
  // walk through the points in order finds them), worked out once per change of the points.
  struct Spanne {
    double lo, hi, loPositiv, hiPositiv;
  };
  const Spanne& spanne(ChartAxis axis) const;

  ChartView* chart_;
  QCPAbstractPlottable* plottable_ = nullptr;
  bool plottableIsCurve_ = false;
  bool dataDirty_ = true;
  bool punktAlsBild_ = false;
  std::vector<double> xs_, ys_;
  std::uint64_t revision_ = 0;
  mutable Spanne spannen_[2] = {};
  mutable bool spannenGueltig_ = false;
  bool ascending_ = true;
  bool active_ = true;
  QString title_;
  QColor color_ = Qt::blue;
  PointerStyle pointerStyle_ = PointerStyle::Circle;
  bool pointerVisible_ = true;
  int pointerSize_ = 3;
  QColor pointerBrush_;
  QColor pointerPen_ = Qt::black;
  bool lineVisible_ = true;
  Qt::PenStyle lineStyle_ = Qt::SolidLine;
  int lineWidth_ = 1;
};

class ChartView : public QFrame {
  Q_OBJECT

 public:
  explicit ChartView(QWidget* parent = nullptr);
  ~ChartView() override;

  // Colours as the settings files keep them (blue-green-red, red in the low byte).
  static QColor colorFromValue(int32_t bgr);

  // ---- Series ----
  // Appends a series named objectName (e.g. "Series1"); owned by the chart.
  ChartSeries* addSeries(const QString& objectName);
  int seriesCount() const { return static_cast<int>(series_.size()); }
  ChartSeries* series(int index) const { return series_[static_cast<size_t>(index)]; }

  // ---- Axes ----
  void setAutomatic(ChartAxis axis, bool on);
  bool automatic(ChartAxis axis) const;
  // Current limits (an automatic axis is brought up to date first).
  double minimum(ChartAxis axis);
  double maximum(ChartAxis axis);
  // Fixes the axis at [min, max] and switches its automatic range off; refused (false,
  // nothing changes) unless min < max and both are finite. Any such range is shown, up to
  // -1e308..1e308 (a logarithmic axis shows at most 250 decades, the upper ones).
  bool setMinMax(ChartAxis axis, double min, double max);
  void setLogarithmic(ChartAxis axis, bool on);
  bool logarithmic(ChartAxis axis) const;
  void setGridVisible(ChartAxis axis, bool on);
  bool gridVisible(ChartAxis axis) const;

  // Smallest distance between two labels of the left axis (0: the axis chooses freely).
  void setLeftIncrement(double step);
  double leftIncrement() const { return leftIncrement_; }
  // Width of the space right of the plot rectangle in pixels; < 0: as the axes need.
  void setRightMargin(int pixels);
  int rightMargin() const { return rightMargin_; }

  // ---- Overlay (drawn after the series, below the legend) ----
  void setOverlayTexts(std::vector<ChartOverlayText> texts);
  const std::vector<ChartOverlayText>& overlayTexts() const;
  void setOverlayLines(std::vector<ChartOverlayLine> lines);
  const std::vector<ChartOverlayLine>& overlayLines() const;

  // ---- Legend and frame ----
  void setLegendVisible(bool on);
  bool legendVisible() const;
  // The chart's own border.
  void setFrameVisible(bool on);

  // ---- Pixels and values ----
  ChartRect plotRect();
  // The plot rectangle as the last drawing laid it out (no drawing now).
  ChartRect lastPlotRect() const;
  double valueAt(ChartAxis axis, double pixel);
  double pixelOf(ChartAxis axis, double value);

  // Brings every series and automatic axis up to date and repaints. The drawing itself is
  // queued, and held back while a long operation runs (EscWatcher), so that the several
  // repaints of one command, or of a batch such as redrawing 20 curves, cost one drawing;
  // replotNow() draws at once (printing, capture).
  void refresh();
  void replotNow();

  // Series of more than a few hundred points are drawn on screen through a picture of their
  // own, which looks the same up to the shades of edge pixels (on by default). Off, they go
  // through QCustomPlot's drawing point by point: the yardstick of tests and benchmarks.
  void setFastDrawing(bool on);
  bool fastDrawing() const { return fastDrawing_; }
  // Test seam: how many times, over all charts, a series' own picture was drawn anew
  // instead of put on the screen as kept.
  static inline int bilderNeuGezeichnet = 0;

  // Draws the chart as a vector drawing (lines, markers and text, no picture of the
  // screen) on device, a printer or PDF for instance, scaled into target (device pixels)
  // from its size on screen, keeping its proportions, centred horizontally. False when no
  // painter could be begun on device.
  bool renderTo(QPaintDevice* device, const QRectF& target);

  // For the data graph's own drawing on the chart; windows use the methods above.
  QCustomPlot* plot() const { return plot_; }

 signals:
  // A left click on (or near) a drawn point or line of an active series.
  void seriesClicked(ChartSeries* series, const QPoint& pos);
  // The drawing has laid out axes and plot rectangle anew (before it paints).
  void layoutChanged();

 private:
  friend class ChartSeries;
  QCPAxis* axisOf(ChartAxis axis) const;
  void markDirty();
  void queueReplot();
  void queuedReplot();
  void sync();
  void rescale(ChartAxis axis);
  // The axis' range in its values, and setting it (false where it cannot be shown).
  QCPRange bereich(ChartAxis axis) const;
  bool bereichSetzen(ChartAxis axis, double lo, double hi);
  void applyLogLower(ChartAxis axis);
  double positiveLower(ChartAxis axis, double upper) const;
  void updateLegend();
  void applyLinearTicker(ChartAxis axis);
  void replotOverlay();

  QCustomPlot* plot_;
  ChartOverlay* overlay_ = nullptr;
  double leftIncrement_ = 0;
  int rightMargin_ = -1;
  std::vector<ChartSeries*> series_;
  bool automatic_[2] = {true, true};
  // QCustomPlot holds a range only within +-1e250 and wider than 1e-280, and measures it as
  // upper - lower, which overflows for -1e308..1e308. An axis beyond that is given to it in
  // a unit of its own (a power of ten): its range and the series' points divided by it, its
  // tick labels multiplied back. 1 (nothing divided) for every range it holds as it is.
  double einheit_[2] = {1, 1};
  bool syncing_ = false;
  bool dirty_ = true;
  bool fastDrawing_ = true;
  QTimer replotTimer_;
};
