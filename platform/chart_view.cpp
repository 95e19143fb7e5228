#include "platform/chart_view.h"

#include "platform/bgr_color.h"
#include "platform/chart_view_raster.h"
#include "platform/esc_watcher.h"

#include <QLocale>
#include <QMetaObject>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <qcustomplot.h>

// ---------------------------------------------------------------------------------------------
// Overlay and increment ticker

// Paints the texts and lines it was given; it neither computes nor reports anything, so a
// paint can never start work of the window.
class ChartOverlay : public QCPLayerable {
 public:
  // einheit: the chart's units of the bottom and the left axis (ChartView::einheit_).
  ChartOverlay(QCustomPlot* plot, const double* einheit) : QCPLayerable(plot), einheit_(einheit) {}

  std::vector<ChartOverlayText> texte;
  std::vector<ChartOverlayLine> linien;

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* maler) const override {
    applyAntialiasingHint(maler, true, QCP::aeOther);
  }

  void draw(QCPPainter* maler) override {
    QCustomPlot* plot = parentPlot();
    QCPAxis* x = plot->xAxis;
    QCPAxis* y = plot->yAxis;
    const QRect flaeche = plot->axisRect()->rect();
    const QPoint ursprung = plot->mapTo(plot->parentWidget(), QPoint(0, 0));
    if (!linien.empty()) {
      maler->save();
      maler->setClipRect(flaeche);
      const ChartRect rechteck{flaeche.left(), flaeche.top(), flaeche.left() + flaeche.width(),
                               flaeche.top() + flaeche.height()};
      for (const ChartOverlayLine& l : linien) {
        QPolygonF zug;
        zug.reserve(l.points.size());
        if (l.skipOutside && !l.inPixels) {
          const QCPRange xb = x->range();
          const QCPRange yb = y->range();
          const double ex = einheit_[0], ey = einheit_[1];
          for (const QPointF& p : l.points) {
            const QPoint q = chartValueToPixel(rechteck, xb.lower * ex, xb.upper * ex, yb.lower * ey,
                                               yb.upper * ey, p.x(), p.y()) + l.shift;
            if (q.x() >= rechteck.left && q.x() <= rechteck.right && q.y() >= rechteck.top &&
                q.y() <= rechteck.bottom)
              zug << QPointF(q);
          }
          if (zug.isEmpty()) continue;
        } else {
          for (const QPointF& p : l.points) {
            const QPointF q = l.inPixels ? p - QPointF(ursprung)
                                         : QPointF(x->coordToPixel(p.x() / einheit_[0]),
                                                   y->coordToPixel(p.y() / einheit_[1]));
            if (std::isfinite(q.x()) && std::isfinite(q.y())) zug << q;
          }
        }
        maler->setPen(l.pen);
        maler->setBrush(Qt::NoBrush);
        if (zug.size() == 1)
          maler->drawPoint(zug.front());
        else
          maler->drawPolyline(zug);
      }
      maler->restore();
    }
    const QRect bild = plot->viewport();  // the chart's area, on screen and in renderTo
    for (const ChartOverlayText& t : texte) {
      const QFontMetrics m(t.font);
      const double px = t.besidePlot ? flaeche.left() + flaeche.width() + t.offset.x()
                                     : x->coordToPixel(t.x / einheit_[0]) + t.offset.x();
      double py = y->coordToPixel(t.y / einheit_[1]) + t.offset.y();
      if (t.besidePlot && !std::isnan(py))
        py = std::clamp(py, static_cast<double>(bild.top()),
                        std::max<double>(bild.top(), bild.top() + bild.height() - m.height()));
      if (!std::isfinite(px) || !std::isfinite(py) || std::abs(px) > 1e6 || std::abs(py) > 1e6)
        continue;
      maler->setPen(t.color);
      maler->setFont(t.font);
      maler->drawText(QPointF(px, py + m.ascent()),
                      chartOverlayShownText(t.text, t.font, px, bild.left() + bild.width(), t.keepFrom));
    }
  }

 private:
  const double* einheit_;
};

// A legend entry never wider than the plot leaves room for. The legend stands in the plot's
// top right corner: an entry wider than the plot would push it out at the left, and the
// title's beginning would be lost; the narrowed entry cuts its title at the right instead.
class ChartLegendenEintrag : public QCPPlottableLegendItem {
 public:
  using QCPPlottableLegendItem::QCPPlottableLegendItem;

 protected:
  QSize minimumOuterSizeHint() const override {
    QSize groesse = QCPPlottableLegendItem::minimumOuterSizeHint();
    const QMargins rand = mParentLegend->margins();
    const int platz = mParentPlot->axisRect()->insetLayout()->rect().width() - rand.left() - rand.right();
    if (platz > 0) groesse.setWidth(std::min(groesse.width(), platz));
    return groesse;
  }
  QRect clipRect() const override { return mOuterRect; }
};

// Tick labels of an axis that QCustomPlot holds in a unit of its own (ChartView::einheit_):
// the ticks are round numbers in that unit, a power of ten, and are labelled with the values
// they stand for.
template <class Basis>
class ChartEinheitTicker : public Basis {
 public:
  explicit ChartEinheitTicker(const double* einheit) : einheit_(einheit) {}

 protected:
  QString getTickLabel(double tick, const QLocale& locale, QChar format, int stellen) override {
    return Basis::getTickLabel(*einheit_ == 1 ? tick : tick * *einheit_, locale, format, stellen);
  }
  double einheit() const { return *einheit_; }

 private:
  const double* einheit_;
};

// A linear ticker whose step never falls below a given smallest step (in the axis' values).
class ChartIncrementTicker : public ChartEinheitTicker<QCPAxisTicker> {
 public:
  using ChartEinheitTicker::ChartEinheitTicker;
  double mindestSchritt = 0;

 protected:
  double getTickStep(const QCPRange& bereich) override {
    const double s = QCPAxisTicker::getTickStep(bereich);
    const double m = mindestSchritt / einheit();
    if (m > 0 && s < m && bereich.size() / m < 1000) return m;
    return s;
  }
};

namespace {

// t cut in the middle to at most platz pixels: its first and last characters, as many as
// fit (one more in front where they are odd), with "…" between; empty when not even "…"
// fits. A pair of UTF-16 halves is never split.
QString MitteKuerzen(const QString& t, const QFontMetrics& m, double platz) {
  auto gekuerzt = [&](qsizetype n) {
    qsizetype vorn = (n + 1) / 2, hinten = n / 2;
    if (vorn > 0 && t.at(vorn - 1).isHighSurrogate()) --vorn;
    if (hinten > 0 && t.at(t.size() - hinten).isLowSurrogate()) --hinten;
    return t.left(vorn) + QChar(0x2026) + t.right(hinten);
  };
  auto passt = [&](qsizetype n) { return m.horizontalAdvance(gekuerzt(n)) <= platz; };
  if (!passt(0)) return {};
  // The widths grow with the characters kept; the most that fit, found by halving.
  qsizetype lo = 0, hi = t.size() - 1;
  while (lo < hi) {
    const qsizetype mitte = (lo + hi + 1) / 2;
    if (passt(mitte))
      lo = mitte;
    else
      hi = mitte - 1;
  }
  return gekuerzt(lo);
}

}  // namespace

QString chartOverlayShownText(const QString& text, const QFont& font, double left, double right,
                              qsizetype keepFrom) {
  const QFontMetrics m(font);
  const double platz = right - left;
  if (m.horizontalAdvance(text) <= platz) return text;
  if (platz <= 0) return {};
  const int breite = static_cast<int>(std::floor(platz));
  const QString auslassung(QChar(0x2026));
  auto passt = [&](const QString& t) { return !t.isEmpty() && m.horizontalAdvance(t) <= platz; };
  if (keepFrom > 0 && keepFrom < text.size()) {
    const QString kopf = text.left(keepFrom);
    const QString rest = text.mid(keepFrom);
    // Measured together, the two parts may come out a pixel wider than apart.
    for (double fuerKopf = platz - m.horizontalAdvance(rest);;) {
      const QString k = MitteKuerzen(kopf, m, fuerKopf);
      if (k.isEmpty()) break;
      if (passt(k + rest)) return k + rest;
      fuerKopf = m.horizontalAdvance(k) - 1;
    }
    const QString r = MitteKuerzen(rest, m, platz - m.horizontalAdvance(auslassung));
    if (r.size() > 1 && passt(auslassung + r)) return auslassung + r;
  }
  const QString e = m.elidedText(text, Qt::ElideRight, breite);
  return passt(e) ? e : QString();
}

QPoint chartValueToPixel(const ChartRect& r, double xmin, double xmax, double ymin, double ymax,
                         double x, double y) {
  const double breite = r.right - r.left;
  const double hoehe = r.bottom - r.top;
  // Far beyond any screen, but inside int: a value of 1e300 must not wrap around into view.
  auto pixel = [](double v) {
    if (std::isnan(v)) v = -1e9;
    return static_cast<int>(std::nearbyint(std::clamp(v, -1e9, 1e9)));
  };
  // (v - lo) / (hi - lo); the width of a range such as -1e308..1e308 overflows, halved every
  // difference fits. (ymax - y) / (ymax - ymin) is the same with every sign turned, exactly.
  auto anteil = [](double v, double lo, double hi) {
    if (std::isfinite(hi - lo)) return (v - lo) / (hi - lo);
    return (v / 2 - lo / 2) / (hi / 2 - lo / 2);
  };
  QPoint p(r.left, r.top);
  if ((xmax - xmin) * breite != 0) p.setX(pixel(anteil(x, xmin, xmax) * breite + r.left));
  if ((ymax - ymin) * breite != 0) p.setY(pixel(r.top + anteil(-y, -ymax, -ymin) * hoehe));
  return p;
}

// ---------------------------------------------------------------------------------------------
// Drawing long series

namespace {

// Up to this many points a series draws its markers as shapes (crisp at any resolution and
// in print) and goes through QCustomPlot's own drawing; above it the markers are a picture
// made once, and on screen the series is drawn by chart_raster into a picture of its own.
constexpr size_t kVektorPunkteGrenze = 300;

// A point of a solid line is left out only where it lies within this many pixels of the
// segment drawn in its place.
constexpr double kVereinfachung = 0.2;

QCPScatterStyle alsBild(const QCPScatterStyle& form) {
  const int seite = static_cast<int>(std::ceil(form.size() + form.pen().widthF() + 2)) | 1;
  QPixmap bild(seite, seite);
  bild.fill(Qt::transparent);
  QCPPainter maler(&bild);
  maler.setRenderHint(QPainter::Antialiasing);
  form.applyTo(&maler, QPen());
  form.drawShape(&maler, seite / 2.0, seite / 2.0);
  maler.end();
  return QCPScatterStyle(bild);
}

// The scratch buffers of the drawing, shared by every series (the drawing runs on the GUI
// thread only, one series at a time).
struct Werkstatt {
  chart_raster::Abdeckung maske;
  chart_raster::Stempel stempel;
  QVector<QPointF> punkte;
  std::vector<chart_raster::MarkenOrt> orte;
};

Werkstatt& werkstatt() {
  static Werkstatt w;
  return w;
}

// The line as Qt gets it when it draws it itself: cut to the far box, so that a point at
// 1e300 does not make Qt lose the line (see chart_raster::zugKappen).
const QVector<QPointF>& fuerQt(const QVector<QPointF>& zug, QVector<QPointF>& gekappt) {
  return chart_raster::zugKappen(zug, gekappt) ? gekappt : zug;
}

}  // namespace

// A series' own picture: made while QCustomPlot's drawing of the plottable runs (its line
// and scatter steps land here instead of on the painter), then put on the painter, and kept
// until the series, its style, the axes or the plot area change.
class SerienBild {
 public:
  explicit SerienBild(QCPAbstractPlottable* plottable) : plottable_(plottable) {}

  std::uint64_t stand = 0;  // raised by ChartSeries on every change of points or style
  bool erlaubt = true;      // ChartView::setFastDrawing

  // Whether the plottable is drawn here; when it is and the kept picture still fits, it is
  // already on the painter.
  bool beginnen(QCPPainter* maler, int punkte, const QCPScatterStyle& punktStil) {
    aktiv_ = false;
    if (!erlaubt || static_cast<size_t>(punkte) <= kVektorPunkteGrenze) return false;
    if (maler->modes() & (QCPPainter::pmVectorized | QCPPainter::pmNoCaching)) return false;
    if (maler->transform().type() > QTransform::TxTranslate || !plottable_->antialiased()) return false;
    if (!punktStil.isNone() && punktStil.shape() != QCPScatterStyle::ssPixmap) return false;
    QPaintDevice* geraet = maler->device();
    if (!geraet) return false;
    const double dpr = geraet->devicePixelRatioF();
    const QRect bereich = plottable_->keyAxis()->axisRect()->rect();
    if (bereich.isEmpty()) return false;
    Schluessel neu{stand,
                   plottable_->keyAxis()->range().lower,
                   plottable_->keyAxis()->range().upper,
                   plottable_->valueAxis()->range().lower,
                   plottable_->valueAxis()->range().upper,
                   plottable_->keyAxis()->scaleType(),
                   plottable_->valueAxis()->scaleType(),
                   bereich,
                   dpr};
    if (!bild_.isNull() && neu == schluessel_) {
      aufsMaler(maler);
      return true;
    }
    schluessel_ = neu;
    ++ChartView::bilderNeuGezeichnet;
    const QSize groesse(static_cast<int>(std::ceil(bereich.width() * dpr)),
                        static_cast<int>(std::ceil(bereich.height() * dpr)));
    if (bild_.size() != groesse) {
      bild_ = QImage(groesse, QImage::Format_ARGB32_Premultiplied);
      bild_.fill(Qt::transparent);
    } else {
      // Only what the last drawing touched needs clearing.
      const qsizetype zeile = bild_.bytesPerLine();
      uchar* bits = bild_.bits();
      for (const QRect& r : benutzt_.rechtecke())
        for (int y = r.top(); y <= r.bottom(); ++y)
          std::fill_n(reinterpret_cast<uint32_t*>(bits + y * zeile) + r.left(), r.width(), 0u);
    }
    bild_.setDevicePixelRatio(dpr);
    benutzt_.beginnen(bild_.width(), bild_.height());
    maskenFarbe_ = QColor();
    aktiv_ = true;
    return false;  // the plottable's drawing runs now and ends in fertig()
  }

  bool aktiv() const { return aktiv_; }

  void fertig(QCPPainter* maler) {
    if (!aktiv_) return;
    aktiv_ = false;
    maskeFaerben();
    aufsMaler(maler);
  }

  void vergessen() {
    bild_ = QImage();
    schluessel_ = Schluessel{};
  }

  // The line's pieces in the plot's pixels (with the painter's offset at the time).
  void linie(QCPPainter* maler, const QVector<QPointF>& zug, const QPen& stift) {
    Werkstatt& w = werkstatt();
    const QTransform t = geraeteAbbildung(maler->transform());
    w.punkte.resize(zug.size());
    for (qsizetype i = 0; i < zug.size(); ++i) w.punkte[i] = t.map(zug[i]);
    linieZeichnen(maler, stift);
  }

  void punkte(QCPPainter* maler, const QVector<QPointF>& orte, const QCPScatterStyle& stil) {
    Werkstatt& w = werkstatt();
    w.orte.clear();
    if (stil.isNone() || stil.pixmap().isNull()) return;
    const Ecken ecken(stil.pixmap(), geraeteAbbildung(maler->transform()));
    chart_raster::OrteSammler sammler(w.orte);
    for (const QPointF& p : orte) ecken.dazu(p, sammler);
    sammler.fertig();
    markenZeichnen(stil.pixmap());
  }

  // A curve (QCPCurve) on linear axes in one pass over its points, instead of QCustomPlot's
  // two (one for the line, one for the markers): x and y in pixels of the plot are
  // ax + bx * key and ay + by * value; the transforms are the painter's when QCustomPlot
  // would draw the line resp. the markers.
  void kurve(QCPPainter* maler, const QCPCurveDataContainer& daten, double ax, double bx, double ay,
             double by, const QTransform& linienMaler, const QTransform& punkteMaler, bool mitLinie,
             const QPen& stift, const QCPScatterStyle& stil) {
    Werkstatt& w = werkstatt();
    w.orte.clear();
    const bool mitPunkten = !stil.isNone() && !stil.pixmap().isNull();
    const Ecken ecken(mitPunkten ? stil.pixmap() : QPixmap(), geraeteAbbildung(punkteMaler));
    const QTransform t = geraeteAbbildung(linienMaler);
    const double sx = t.m11(), sy = t.m22(), dx = t.dx(), dy = t.dy();
    // One pass, since the points pass through memory only once that way: a million of
    // them are far more than any cache holds.
    w.punkte.resize(mitLinie ? daten.size() : 0);
    QPointF* linie = w.punkte.data();
    chart_raster::OrteSammler sammler(w.orte);
    for (auto it = daten.constBegin(); it != daten.constEnd(); ++it) {
      const QPointF p(ax + bx * it->key, ay + by * it->value);
      if (mitPunkten) ecken.dazu(p, sammler);
      if (mitLinie) *linie++ = QPointF(p.x() * sx + dx, p.y() * sy + dy);
    }
    sammler.fertig();
    if (mitLinie) linieZeichnen(maler, stift);
    if (mitPunkten) markenZeichnen(stil.pixmap());
  }

 private:
  // Where QCustomPlot puts a marker picture's top-left corner: the point minus half the
  // picture, rounded to whole pixels of the plot, then through the painter.
  struct Ecken {
    Ecken(const QPixmap& marke, const QTransform& t)
        : halbB(marke.width() / marke.devicePixelRatioF() * 0.5),
          halbH(marke.height() / marke.devicePixelRatioF() * 0.5),
          sx(t.m11()), sy(t.m22()), dx(t.dx()), dy(t.dy()) {
      // Unscaled, with an offset of whole or half pixels (the painter's half-pixel shift),
      // a whole number k goes to floor(k + dx + 0.5) = k + floor(dx + 0.5) exactly: the
      // sums are exact at these sizes.
      auto halb = [](double v) { return std::abs(v) < 1e9 && v * 2 == std::round(v * 2); };
      ganz = sx == 1 && sy == 1 && halb(dx) && halb(dy);
      gx = ganz ? static_cast<int>(std::floor(dx + 0.5)) : 0;
      gy = ganz ? static_cast<int>(std::floor(dy + 0.5)) : 0;
    }
    [[gnu::always_inline]] void dazu(const QPointF& p, chart_raster::OrteSammler& orte) const {
      if (!(std::abs(p.x()) <= 1e6 && std::abs(p.y()) <= 1e6)) return;  // also NaN
      const int kx = qRound(p.x() - halbB);
      const int ky = qRound(p.y() - halbH);
      if (ganz) {
        orte.dazu(QPoint(kx + gx, ky + gy));
        return;
      }
      const double ex = kx * sx + dx;
      const double ey = ky * sy + dy;
      orte.dazu(QPoint(static_cast<int>(std::floor(ex + 0.5)), static_cast<int>(std::floor(ey + 0.5))));
    }
    double halbB, halbH, sx, sy, dx, dy;
    bool ganz;
    int gx, gy;
  };

  // Draws the polyline in werkstatt().punkte (pixels of the picture; they may be changed).
  void linieZeichnen(QCPPainter* maler, const QPen& stift) {
    Werkstatt& w = werkstatt();
    if (stift.style() == Qt::NoPen || stift.color().alpha() == 0 || w.punkte.size() < 2) return;
    qsizetype n = w.punkte.size();
    const double dpr = schluessel_.dpr;
    const double breite = stift.isCosmetic() ? std::max(1.0, stift.widthF()) : std::max(1.0, stift.widthF()) * dpr;
    // Not for dashes, whose pattern runs along the length, nor for thin lines, which Qt
    // draws piece by piece, so that where pieces meet shows.
    if (stift.style() == Qt::SolidLine && breite > 1.0)
      n = chart_raster::vereinfachen(w.punkte.data(), n, kVereinfachung);
    maskeFaerben();
    if (breite <= 1.0) {
      // A thin pen has Qt's own fast stroker, which draws it as on screen.
      QPainter p(&bild_);
      p.resetTransform();
      p.scale(1 / dpr, 1 / dpr);
      p.setRenderHint(QPainter::Antialiasing, maler->testRenderHint(QPainter::Antialiasing));
      QPen s = stift;
      s.setWidthF(breite);
      s.setCosmetic(false);
      p.setPen(s);
      w.punkte.resize(n);
      QVector<QPointF> gekappt;
      const QVector<QPointF>& zug = fuerQt(w.punkte, gekappt);
      // A point that is not finite is a gap, as QCustomPlot's own drawing makes it: each
      // piece alone, and the tiles of each segment's box and two pixels around it
      // (antialiasing).
      auto ganz = [](double v) { return static_cast<int>(std::floor(std::clamp(v, -1e7, 1e7))); };
      for (qsizetype i = 0; i < zug.size();) {
        qsizetype j = i;
        while (j < zug.size() && std::isfinite(zug[j].x()) && std::isfinite(zug[j].y())) {
          const QPointF& q = zug[j];
          const QPointF& v = zug[j > i ? j - 1 : j];
          benutzt_.markieren(ganz(std::min(q.x(), v.x())) - 2, ganz(std::max(q.x(), v.x())) + 2,
                             ganz(std::min(q.y(), v.y())) - 2, ganz(std::max(q.y(), v.y())) + 2);
          ++j;
        }
        if (j > i) p.drawPolyline(zug.constData() + i, static_cast<int>(j - i));
        i = j + 1;
      }
      return;
    }
    w.maske.beginnen(bild_.width(), bild_.height());
    w.maske.linie(w.punkte.constData(), n, breite, stift.style());
    // Coloured when something of another colour comes on top, or at the end.
    maskenFarbe_ = stift.color();
  }

  // Copies the marker to the corners in werkstatt().orte.
  void markenZeichnen(const QPixmap& marke) {
    Werkstatt& w = werkstatt();
    if (w.orte.empty()) return;
    const double dpr = schluessel_.dpr;
    // The marker's picture at the device's resolution, made once per marker (the stamp
    // keeps its strengthened copies for as long as it gets the same picture).
    if (marke.cacheKey() != marke_.quelle || dpr != marke_.dpr) {
      QImage b = marke.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
      if (dpr != marke.devicePixelRatioF())
        b = b.scaled(static_cast<int>(std::lround(b.width() * dpr / marke.devicePixelRatioF())),
                     static_cast<int>(std::lround(b.height() * dpr / marke.devicePixelRatioF())));
      marke_ = {marke.cacheKey(), dpr, b, chart_raster::einfarbig(b)};
    }
    const QImage& bild = marke_.bild;
    // A marker all in the line's colour only adds to the line's coverage.
    const QColor eine = marke_.eine;
    if (eine.isValid() && eine.alpha() == 255 && (!maskenFarbe_.isValid() || eine == maskenFarbe_)) {
      if (!maskenFarbe_.isValid()) w.maske.beginnen(bild_.width(), bild_.height());
      w.stempel.stempeln(w.maske, bild, w.orte);
      maskenFarbe_ = eine;
      return;
    }
    maskeFaerben();
    w.stempel.stempeln(bild_, bild, w.orte);
    for (const chart_raster::MarkenOrt& o : w.orte)
      benutzt_.markieren(o.ecke.x(), o.ecke.x() + bild.width() - 1, o.ecke.y(), o.ecke.y() + bild.height() - 1);
  }

  struct Schluessel {
    std::uint64_t stand = 0;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    int xSkala = -1, ySkala = -1;
    QRect bereich;
    double dpr = 0;
    bool operator==(const Schluessel&) const = default;
  };

  // From the plot's coordinates to the picture's pixels: the painter's own offset (the
  // antialiasing half-pixel shift), the device's pixel ratio and the picture's corner.
  QTransform geraeteAbbildung(const QTransform& malerAbbildung) const {
    const double dpr = schluessel_.dpr;
    QTransform t = malerAbbildung;
    t *= QTransform::fromScale(dpr, dpr);
    t *= QTransform::fromTranslate(-schluessel_.bereich.left() * dpr, -schluessel_.bereich.top() * dpr);
    return t;
  }

  // The line (and markers of its colour) waiting in the mask go into the picture.
  void maskeFaerben() {
    if (!maskenFarbe_.isValid()) return;
    Werkstatt& w = werkstatt();
    chart_raster::faerben(bild_, w.maske, maskenFarbe_);
    benutzt_.dazu(w.maske.kacheln());
    maskenFarbe_ = QColor();
  }

  // The touched tiles only: the rest of the picture is transparent and would leave the
  // painter's pixels as they are.
  void aufsMaler(QCPPainter* maler) {
    if (benutzt_.leer()) return;
    const double dpr = schluessel_.dpr;
    maler->save();
    maler->resetTransform();
    for (const QRect& r : benutzt_.rechtecke()) {
      const QRectF ziel(schluessel_.bereich.left() + r.left() / dpr, schluessel_.bereich.top() + r.top() / dpr,
                        r.width() / dpr, r.height() / dpr);
      maler->drawImage(ziel, bild_, QRectF(r));
    }
    maler->restore();
  }

  struct Marke {
    qint64 quelle = 0;  // the marker pixmap's cacheKey
    double dpr = 0;
    QImage bild;
    QColor eine;  // its one colour, if it has one
  };

  QCPAbstractPlottable* plottable_;
  Schluessel schluessel_;
  Marke marke_;
  QImage bild_;
  chart_raster::Kacheln benutzt_;
  QColor maskenFarbe_;  // valid while the mask holds drawing not yet in the picture
  bool aktiv_ = false;
};

namespace {

// QCustomPlot's graph resp. curve whose line and marker steps land in the series' picture
// while it is made.
template <class Plottable>
class MitBild : public Plottable {
 public:
  MitBild(QCPAxis* x, QCPAxis* y) : Plottable(x, y), bild(this) {}
  mutable SerienBild bild;

 protected:
  void drawScatterPlot(QCPPainter* maler, const QVector<QPointF>& orte,
                       const QCPScatterStyle& stil) const override {
    if (!bild.aktiv()) return Plottable::drawScatterPlot(maler, orte, stil);
    this->applyScattersAntialiasingHint(maler);
    bild.punkte(maler, orte, stil);
  }
  // The line step (named differently by graph and curve); false when the line goes to the
  // painter as usual.
  bool linieInsBild(QCPPainter* maler, const QVector<QPointF>& zug) const {
    if (!bild.aktiv()) return false;
    this->applyDefaultAntialiasingHint(maler);
    bild.linie(maler, zug, this->pen());
    return true;
  }
};

class SerienGraph : public MitBild<QCPGraph> {
 public:
  using MitBild::MitBild;

 protected:
  void draw(QCPPainter* maler) override {
    // A graph with a thin solid line (or none) QCustomPlot draws about as fast itself: it
    // thins out points per pixel column, and Qt's stroker is quick for thin lines.
    const bool duenn = lineStyle() == lsNone || pen().style() == Qt::NoPen ||
                       (pen().style() == Qt::SolidLine &&
                        pen().widthF() * (maler->device() ? maler->device()->devicePixelRatioF() : 1) <= 1.0);
    if (duenn) {
      QCPGraph::draw(maler);
      return;
    }
    if (bild.beginnen(maler, dataCount(), scatterStyle())) return;
    QCPGraph::draw(maler);
    bild.fertig(maler);
  }
  void drawLinePlot(QCPPainter* maler, const QVector<QPointF>& zug) const override {
    QVector<QPointF> gekappt;
    if (!linieInsBild(maler, zug)) QCPGraph::drawLinePlot(maler, fuerQt(zug, gekappt));
  }
};

class SerienKurve : public MitBild<QCPCurve> {
 public:
  using MitBild::MitBild;

 protected:
  void draw(QCPPainter* maler) override {
    if (bild.beginnen(maler, dataCount(), scatterStyle())) return;
    if (bild.aktiv() && keyAxis()->scaleType() == QCPAxis::stLinear &&
        valueAxis()->scaleType() == QCPAxis::stLinear &&
        keyAxis()->orientation() == Qt::Horizontal) {
      const QCPRange x = keyAxis()->range();
      const QCPRange y = valueAxis()->range();
      const double x0 = keyAxis()->coordToPixel(x.lower);
      const double y0 = valueAxis()->coordToPixel(y.lower);
      const double bx = (keyAxis()->coordToPixel(x.upper) - x0) / x.size();
      const double by = (valueAxis()->coordToPixel(y.upper) - y0) / y.size();
      applyDefaultAntialiasingHint(maler);
      const QTransform linienMaler = maler->transform();
      applyScattersAntialiasingHint(maler);
      const QTransform punkteMaler = maler->transform();
      bild.kurve(maler, *data(), x0 - bx * x.lower, bx, y0 - by * y.lower, by, linienMaler, punkteMaler,
                 lineStyle() != lsNone, pen(), scatterStyle());
    } else {
      QCPCurve::draw(maler);
    }
    bild.fertig(maler);
  }
  void drawCurveLine(QCPPainter* maler, const QVector<QPointF>& zug) const override {
    QVector<QPointF> gekappt;
    if (!linieInsBild(maler, zug)) QCPCurve::drawCurveLine(maler, fuerQt(zug, gekappt));
  }
};

SerienBild* serienBild(QCPAbstractPlottable* p) {
  if (auto* g = dynamic_cast<SerienGraph*>(p)) return &g->bild;
  if (auto* c = dynamic_cast<SerienKurve*>(p)) return &c->bild;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// ChartSeries

ChartSeries::ChartSeries(ChartView* chart) : QObject(chart), chart_(chart) {}

PointerStyle ChartSeries::pointerStyleFromName(const QString& name) {
  if (name == QLatin1String("Rectangle")) return PointerStyle::Rectangle;
  if (name == QLatin1String("Circle")) return PointerStyle::Circle;
  if (name == QLatin1String("Triangle")) return PointerStyle::Triangle;
  if (name == QLatin1String("DownTriangle")) return PointerStyle::DownTriangle;
  if (name == QLatin1String("Cross")) return PointerStyle::Cross;
  if (name == QLatin1String("DiagCross")) return PointerStyle::DiagCross;
  if (name == QLatin1String("Star")) return PointerStyle::Star;
  if (name == QLatin1String("Diamond")) return PointerStyle::Diamond;
  if (name == QLatin1String("SmallDot")) return PointerStyle::SmallDot;
  return PointerStyle::Circle;
}

const QStringList& ChartSeries::pointerStyleNames() {
  static const QStringList names = {QStringLiteral("Circle"),   QStringLiteral("Rectangle"),
                                    QStringLiteral("Triangle"), QStringLiteral("Star"),
                                    QStringLiteral("Diamond"),  QStringLiteral("DownTriangle"),
                                    QStringLiteral("SmallDot"), QStringLiteral("Cross"),
                                    QStringLiteral("DiagCross")};
  return names;
}

const QStringList& ChartSeries::penStyleNames() {
  static const QStringList names = {QStringLiteral("Solid"), QStringLiteral("Dash"), QStringLiteral("Dot"),
                                    QStringLiteral("DashDot"), QStringLiteral("DashDotDot")};
  return names;
}

Qt::PenStyle ChartSeries::penStyleFromName(const QString& name) {
  if (name == QLatin1String("Solid")) return Qt::SolidLine;
  if (name == QLatin1String("Dash")) return Qt::DashLine;
  if (name == QLatin1String("Dot")) return Qt::DotLine;
  if (name == QLatin1String("DashDot")) return Qt::DashDotLine;
  if (name == QLatin1String("DashDotDot")) return Qt::DashDotDotLine;
  return Qt::SolidLine;
}

void ChartSeries::clear() {
  std::vector<double>().swap(xs_);
  std::vector<double>().swap(ys_);
  ascending_ = true;
  dataChanged();
}

void ChartSeries::reserve(int n) {
  if (n <= 0) return;
  xs_.reserve(static_cast<size_t>(n));
  ys_.reserve(static_cast<size_t>(n));
}

void ChartSeries::squeeze() {
  xs_.shrink_to_fit();
  ys_.shrink_to_fit();
}

void ChartSeries::addXY(double x, double y) {
  if (!xs_.empty() && x < xs_.back()) ascending_ = false;
  xs_.push_back(x);
  ys_.push_back(y);
  dataChanged();
}

void ChartSeries::setPoints(std::vector<double> xs, std::vector<double> ys) {
  const size_t n = std::min(xs.size(), ys.size());
  xs.resize(n);
  ys.resize(n);
  xs_ = std::move(xs);
  ys_ = std::move(ys);
  ascending_ = std::is_sorted(xs_.begin(), xs_.end());
  dataChanged();
}

void ChartSeries::setActive(bool on) {
  if (active_ == on) return;
  active_ = on;
  // The automatic ranges and the legend depend on it; the points stay what they were, and
  // so does the plottable's copy of them and its kept picture.
  chart_->markDirty();
}

void ChartSeries::setTitle(const QString& title) {
  if (title_ == title) return;
  title_ = title;
  styleChanged();
}

void ChartSeries::setColor(const QColor& c) {
  if (color_ == c) return;
  color_ = c;
  styleChanged();
}
void ChartSeries::setPointerStyle(PointerStyle s) {
  if (pointerStyle_ == s) return;
  pointerStyle_ = s;
  styleChanged();
}
void ChartSeries::setPointerVisible(bool on) {
  if (pointerVisible_ == on) return;
  pointerVisible_ = on;
  styleChanged();
}
void ChartSeries::setPointerSize(int size) {
  if (pointerSize_ == std::max(0, size)) return;
  pointerSize_ = std::max(0, size);
  styleChanged();
}
void ChartSeries::setPointerBrush(const QColor& c) {
  if (pointerBrush_ == c) return;
  pointerBrush_ = c;
  styleChanged();
}
void ChartSeries::setPointerPen(const QColor& c) {
  if (pointerPen_ == c) return;
  pointerPen_ = c;
  styleChanged();
}
void ChartSeries::setLineVisible(bool on) {
  if (lineVisible_ == on) return;
  lineVisible_ = on;
  styleChanged();
}
void ChartSeries::setLineStyle(Qt::PenStyle s) {
  if (lineStyle_ == s) return;
  lineStyle_ = s;
  styleChanged();
}
void ChartSeries::setLineWidth(int w) {
  if (lineWidth_ == std::max(1, w)) return;
  lineWidth_ = std::max(1, w);
  styleChanged();
}

const ChartSeries::Spanne& ChartSeries::spanne(ChartAxis axis) const {
  if (!spannenGueltig_) {
    for (int a = 0; a < 2; ++a) {
      constexpr double kUnendlich = std::numeric_limits<double>::infinity();
      Spanne sp{kUnendlich, -kUnendlich, kUnendlich, -kUnendlich};
      for (double v : a == 0 ? xs_ : ys_) {
        if (!std::isfinite(v)) continue;
        sp.lo = std::min(sp.lo, v);
        sp.hi = std::max(sp.hi, v);
        if (v <= 0) continue;
        sp.loPositiv = std::min(sp.loPositiv, v);
        sp.hiPositiv = std::max(sp.hiPositiv, v);
      }
      spannen_[a] = sp;
    }
    spannenGueltig_ = true;
  }
  return spannen_[axis == ChartAxis::Bottom ? 0 : 1];
}

void ChartSeries::dataChanged() {
  static std::uint64_t naechsteRevision = 0;
  revision_ = ++naechsteRevision;
  spannenGueltig_ = false;
  dataDirty_ = true;
  chart_->markDirty();
}

void ChartSeries::styleChanged() {
  if (plottable_) applyStyle();
  chart_->markDirty();
}

void ChartSeries::applyStyle() {
  QPen linie(color_, lineWidth_, lineStyle_);
  linie.setCapStyle(Qt::FlatCap);
  linie.setJoinStyle(Qt::RoundJoin);
  plottable_->setPen(linie);
  plottable_->setName(title_.isEmpty() ? objectName() : title_);

  QCPScatterStyle punkt;
  if (pointerVisible_ && pointerSize_ > 0) {
    QCPScatterStyle::ScatterShape form = QCPScatterStyle::ssCircle;
    double groesse = 2.0 * pointerSize_ + 1;
    switch (pointerStyle_) {
      case PointerStyle::Rectangle: form = QCPScatterStyle::ssSquare; break;
      case PointerStyle::Circle: form = QCPScatterStyle::ssCircle; break;
      case PointerStyle::Triangle: form = QCPScatterStyle::ssTriangle; break;
      case PointerStyle::DownTriangle: form = QCPScatterStyle::ssTriangleInverted; break;
      // The settings name an upright cross "Cross" and a slanted one "DiagCross";
      // QCustomPlot calls them the other way round.
      case PointerStyle::Cross: form = QCPScatterStyle::ssPlus; break;
      case PointerStyle::DiagCross: form = QCPScatterStyle::ssCross; break;
      case PointerStyle::Star: form = QCPScatterStyle::ssStar; break;
      case PointerStyle::Diamond: form = QCPScatterStyle::ssDiamond; break;
      case PointerStyle::SmallDot:
        form = QCPScatterStyle::ssCircle;
        groesse = 3;
        break;
    }
    const QColor fuellung = pointerBrush_.isValid() ? pointerBrush_ : color_;
    const QColor umriss = pointerPen_.isValid() ? pointerPen_ : color_;
    // Open shapes (crosses, star) have no fill, so they are drawn in the fill colour.
    const bool offen = form == QCPScatterStyle::ssPlus || form == QCPScatterStyle::ssCross ||
                       form == QCPScatterStyle::ssStar;
    punkt = QCPScatterStyle(form, QPen(offen ? fuellung : umriss, offen ? 1.5 : 1.0),
                            QBrush(fuellung), groesse);
    // Painting an antialiased shape per point costs far more than copying a ready picture
    // of it, which matters once a chart holds thousands of points.
    if (xs_.size() > kVektorPunkteGrenze) punkt = alsBild(punkt);
  }
  punktAlsBild_ = xs_.size() > kVektorPunkteGrenze;
  neuZeichnen();
  if (auto* g = qobject_cast<QCPGraph*>(plottable_)) {
    g->setLineStyle(lineVisible_ ? QCPGraph::lsLine : QCPGraph::lsNone);
    g->setScatterStyle(punkt);
  } else if (auto* c = qobject_cast<QCPCurve*>(plottable_)) {
    c->setLineStyle(lineVisible_ ? QCPCurve::lsLine : QCPCurve::lsNone);
    c->setScatterStyle(punkt);
  }
}

void ChartSeries::neuZeichnen() {
  if (SerienBild* b = serienBild(plottable_)) {
    static std::uint64_t naechsterStand = 0;
    b->stand = ++naechsterStand;
  }
}

void ChartSeries::sync() {
  if (!plottable_ && !active_) return;  // never drawn, nothing to hide
  const bool kurveNoetig = !ascending_;
  QCustomPlot* plot = chart_->plot_;
  if (!plottable_ || plottableIsCurve_ != kurveNoetig) {
    if (plottable_) plot->removePlottable(plottable_);
    if (kurveNoetig)
      plottable_ = new SerienKurve(plot->xAxis, plot->yAxis);
    else
      plottable_ = new SerienGraph(plot->xAxis, plot->yAxis);
    plottable_->removeFromLegend();
    plottableIsCurve_ = kurveNoetig;
    applyStyle();
    dataDirty_ = true;
  }
  if (dataDirty_) {
    const size_t n = xs_.size();
    if (punktAlsBild_ != (n > kVektorPunkteGrenze)) applyStyle();
    // In the axes' units (ChartView::einheit_), which are 1 but for values QCustomPlot cannot
    // hold as they are.
    const double ex = chart_->einheit_[0], ey = chart_->einheit_[1];
    const bool geteilt = ex != 1 || ey != 1;
    if (auto* g = qobject_cast<QCPGraph*>(plottable_)) {
      QVector<QCPGraphData> daten(static_cast<qsizetype>(n));
      if (geteilt)
        for (size_t i = 0; i < n; ++i) daten[static_cast<qsizetype>(i)] = QCPGraphData(xs_[i] / ex, ys_[i] / ey);
      else
        for (size_t i = 0; i < n; ++i) daten[static_cast<qsizetype>(i)] = QCPGraphData(xs_[i], ys_[i]);
      g->data()->set(daten, true);
    } else if (auto* c = qobject_cast<QCPCurve*>(plottable_)) {
      QVector<QCPCurveData> daten(static_cast<qsizetype>(n));
      for (size_t i = 0; i < n; ++i)
        daten[static_cast<qsizetype>(i)] =
            QCPCurveData(static_cast<double>(i), geteilt ? xs_[i] / ex : xs_[i], geteilt ? ys_[i] / ey : ys_[i]);
      c->data()->set(daten, true);
    }
    dataDirty_ = false;
    neuZeichnen();
  }
  plottable_->setVisible(active_);
  if (SerienBild* b = serienBild(plottable_)) b->erlaubt = chart_->fastDrawing_;
}

// ---------------------------------------------------------------------------------------------
// ChartView

ChartView::ChartView(QWidget* parent) : QFrame(parent), plot_(new QCustomPlot(this)) {
  replotTimer_.setSingleShot(true);
  connect(&replotTimer_, &QTimer::timeout, this, &ChartView::queuedReplot);
  setFrameShape(QFrame::NoFrame);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plot_);

  // German tick labels; group separators would make "1.000" read as one.
  QLocale deutsch(QLocale::German, QLocale::Germany);
  deutsch.setNumberOptions(QLocale::OmitGroupSeparator);
  plot_->setLocale(deutsch);

  plot_->setBackground(Qt::white);
  plot_->setPlottingHint(QCP::phCacheLabels, true);
  plot_->setNoAntialiasingOnDrag(true);
  plot_->setAntialiasedElements(QCP::aePlottables | QCP::aeScatters | QCP::aeLegendItems);
  const QPen achsenStift(QColor(60, 60, 60), 1);
  const QPen gitterStift(QColor(200, 200, 200), 1, Qt::DotLine);
  for (QCPAxis* achse : {plot_->xAxis, plot_->yAxis}) {
    achse->setNumberFormat(QStringLiteral("gbd"));
    achse->setNumberPrecision(6);
    achse->setBasePen(achsenStift);
    achse->setTickPen(achsenStift);
    achse->setSubTickPen(achsenStift);
    achse->setTickLabelColor(QColor(40, 40, 40));
    achse->grid()->setPen(gitterStift);
    achse->grid()->setZeroLinePen(QPen(QColor(150, 150, 150), 1));
    achse->grid()->setSubGridVisible(false);
    achse->grid()->setVisible(true);
    achse->setRange(0, 1);
  }
  // A box around the plot area, as scientific plots have.
  plot_->xAxis2->setVisible(true);
  plot_->yAxis2->setVisible(true);
  plot_->xAxis2->setTicks(false);
  plot_->yAxis2->setTicks(false);
  plot_->xAxis2->setTickLabels(false);
  plot_->yAxis2->setTickLabels(false);
  plot_->xAxis2->setBasePen(achsenStift);
  plot_->yAxis2->setBasePen(achsenStift);
  connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), plot_->xAxis2,
          qOverload<const QCPRange&>(&QCPAxis::setRange));
  connect(plot_->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), plot_->yAxis2,
          qOverload<const QCPRange&>(&QCPAxis::setRange));

  plot_->legend->setVisible(true);
  plot_->legend->setBrush(QColor(255, 255, 255, 230));
  plot_->legend->setBorderPen(QPen(QColor(150, 150, 150)));
  plot_->legend->setRowSpacing(0);
  plot_->legend->setMargins(QMargins(7, 5, 12, 5));
  plot_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);

  plot_->addLayer(QStringLiteral("beschriftung"), plot_->layer(QStringLiteral("axes")),
                  QCustomPlot::limAbove);
  QCPLayer* ebene = plot_->layer(QStringLiteral("beschriftung"));
  ebene->setMode(QCPLayer::lmBuffered);
  overlay_ = new ChartOverlay(plot_, einheit_);
  overlay_->setLayer(ebene);
  applyLinearTicker(ChartAxis::Bottom);
  applyLinearTicker(ChartAxis::Left);
  connect(plot_, &QCustomPlot::afterLayout, this, &ChartView::layoutChanged);

  connect(plot_, &QCustomPlot::plottableClick, this,
          [this](QCPAbstractPlottable* p, int, QMouseEvent* ereignis) {
            if (ereignis->button() != Qt::LeftButton) return;
            for (ChartSeries* s : series_) {
              if (s->plottable_ == p && s->active_) {
                emit seriesClicked(s, plot_->mapTo(this, ereignis->position().toPoint()));
                return;
              }
            }
          });
}

ChartView::~ChartView() = default;

QColor ChartView::colorFromValue(int32_t bgr) { return colorFromBgr(bgr); }

ChartSeries* ChartView::addSeries(const QString& objectName) {
  auto* s = new ChartSeries(this);
  s->setObjectName(objectName);
  series_.push_back(s);
  return s;
}

QCPAxis* ChartView::axisOf(ChartAxis axis) const {
  return axis == ChartAxis::Bottom ? plot_->xAxis : plot_->yAxis;
}

void ChartView::setAutomatic(ChartAxis axis, bool on) {
  automatic_[static_cast<int>(axis)] = on;
  if (on) markDirty();
}

bool ChartView::automatic(ChartAxis axis) const { return automatic_[static_cast<int>(axis)]; }

double ChartView::minimum(ChartAxis axis) {
  sync();
  return bereich(axis).lower;
}

double ChartView::maximum(ChartAxis axis) {
  sync();
  return bereich(axis).upper;
}

QCPRange ChartView::bereich(ChartAxis axis) const {
  const QCPRange r = axisOf(axis)->range();
  const double e = einheit_[static_cast<int>(axis)];
  return e == 1 ? r : QCPRange(r.lower * e, r.upper * e);
}

bool ChartView::bereichSetzen(ChartAxis axis, double lo, double hi) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || !(lo < hi)) return false;
  const bool log = logarithmic(axis);
  double e = 1;
  QCPRange r(lo, hi);
  if (!QCPRange::validRange(r)) {
    // A power of ten, so that round numbers in the unit are round values: the larger end
    // comes to [1, 10). Within the normal doubles, so that the unit keeps its digits.
    const double k = std::floor(std::log10(std::max(std::fabs(lo), std::fabs(hi))));
    e = std::pow(10.0, std::clamp(k, -307.0, 308.0));
    r = QCPRange(lo / e, hi / e);
    // Beyond about 1e308 between its ends, a logarithmic range has no ratio as a double (and
    // its lower end may vanish in the unit); its upper 250 decades are shown.
    if (log && !(r.lower > 0 && QCPRange::validRange(r))) r.lower = r.upper * 1e-250;
    if (!QCPRange::validRange(r)) return false;
  }
  const int i = static_cast<int>(axis);
  axisOf(axis)->setRange(r);
  if (e != einheit_[i]) {
    einheit_[i] = e;
    // The series' points go to QCustomPlot in the new unit.
    for (ChartSeries* s : series_) s->dataDirty_ = true;
    if (!syncing_)
      for (ChartSeries* s : series_) s->sync();
  }
  return true;
}

bool ChartView::setMinMax(ChartAxis axis, double min, double max) {
  if (!std::isfinite(min) || !std::isfinite(max) || !(min < max)) return false;
  // QCustomPlot would replace a lower end <= 0 of a log axis by max / 1000 on its own; the
  // smallest positive value shown is the more useful end.
  if (logarithmic(axis) && min <= 0) min = positiveLower(axis, max);
  if (!bereichSetzen(axis, min, max)) return false;
  automatic_[static_cast<int>(axis)] = false;
  markDirty();
  return true;
}

void ChartView::setLogarithmic(ChartAxis axis, bool on) {
  QCPAxis* a = axisOf(axis);
  if (on == (a->scaleType() == QCPAxis::stLogarithmic)) return;
  const QCPRange vorher = bereich(axis);
  if (on) {
    a->setScaleType(QCPAxis::stLogarithmic);
    auto ticker = QSharedPointer<ChartEinheitTicker<QCPAxisTickerLog>>::create(&einheit_[static_cast<int>(axis)]);
    ticker->setLogBase(10);
    ticker->setSubTickCount(8);
    a->setTicker(ticker);
    a->grid()->setSubGridVisible(false);
  } else {
    a->setScaleType(QCPAxis::stLinear);
    applyLinearTicker(axis);
  }
  if (automatic(axis)) {
    rescale(axis);
  } else if (on && vorher.lower <= 0) {
    // QCustomPlot has put max / 1000 in place of the lower end by now.
    if (vorher.upper > 0)
      bereichSetzen(axis, positiveLower(axis, vorher.upper), vorher.upper);
    else
      bereichSetzen(axis, 1, 10);
  } else {
    // Held in a unit of its own, the range may need another one on the other scale.
    bereichSetzen(axis, vorher.lower, vorher.upper);
  }
  applyLogLower(axis);
  markDirty();
}

bool ChartView::logarithmic(ChartAxis axis) const {
  return axisOf(axis)->scaleType() == QCPAxis::stLogarithmic;
}

void ChartView::setGridVisible(ChartAxis axis, bool on) {
  axisOf(axis)->grid()->setVisible(on);
  markDirty();
}

bool ChartView::gridVisible(ChartAxis axis) const { return axisOf(axis)->grid()->visible(); }

void ChartView::applyLinearTicker(ChartAxis axis) {
  auto ticker = QSharedPointer<ChartIncrementTicker>::create(&einheit_[static_cast<int>(axis)]);
  if (axis == ChartAxis::Left) ticker->mindestSchritt = leftIncrement_;
  axisOf(axis)->setTicker(ticker);
}

void ChartView::setLeftIncrement(double step) {
  leftIncrement_ = (std::isfinite(step) && step > 0) ? step : 0;
  if (!logarithmic(ChartAxis::Left)) applyLinearTicker(ChartAxis::Left);
  markDirty();
}

void ChartView::setRightMargin(int pixels) {
  rightMargin_ = pixels < 0 ? -1 : pixels;
  QCPAxisRect* r = plot_->axisRect();
  if (rightMargin_ < 0) {
    r->setAutoMargins(QCP::msAll);
  } else {
    r->setAutoMargins(QCP::msLeft | QCP::msTop | QCP::msBottom);
    QMargins m = r->margins();
    m.setRight(rightMargin_);
    r->setMargins(m);
  }
  markDirty();
}

void ChartView::setOverlayTexts(std::vector<ChartOverlayText> texts) {
  overlay_->texte = std::move(texts);
  replotOverlay();
}

void ChartView::replotOverlay() {
  // A pending full drawing takes the overlay along; otherwise only the overlay's own buffer
  // is drawn again, and the curves below it are not.
  if (dirty_ || replotTimer_.isActive() || EscWatcher::active()) {
    markDirty();
    return;
  }
  overlay_->layer()->replot();
}

const std::vector<ChartOverlayText>& ChartView::overlayTexts() const { return overlay_->texte; }

void ChartView::setOverlayLines(std::vector<ChartOverlayLine> lines) {
  overlay_->linien = std::move(lines);
  replotOverlay();
}

const std::vector<ChartOverlayLine>& ChartView::overlayLines() const { return overlay_->linien; }

void ChartView::setLegendVisible(bool on) {
  plot_->legend->setVisible(on);
  markDirty();
}

bool ChartView::legendVisible() const { return plot_->legend->visible(); }

void ChartView::setFrameVisible(bool on) { setFrameShape(on ? QFrame::Box : QFrame::NoFrame); }

ChartRect ChartView::plotRect() {
  sync();
  // The layout of the axis rectangle is only known after a replot at the current size.
  if (plot_->viewport() != plot_->rect()) plot_->setViewport(plot_->rect());
  plot_->replot(QCustomPlot::rpImmediateRefresh);
  const QRect r = plot_->axisRect()->rect();
  const QPoint o = plot_->mapTo(this, r.topLeft());
  ChartRect c;
  c.left = o.x();
  c.top = o.y();
  c.right = c.left + r.width();
  c.bottom = c.top + r.height();
  return c;
}

ChartRect ChartView::lastPlotRect() const {
  const QRect r = plot_->axisRect()->rect();
  const QPoint o = plot_->mapTo(const_cast<ChartView*>(this), r.topLeft());
  ChartRect c;
  c.left = o.x();
  c.top = o.y();
  c.right = c.left + r.width();
  c.bottom = c.top + r.height();
  return c;
}

double ChartView::valueAt(ChartAxis axis, double pixel) {
  sync();
  const QPoint o = plot_->mapTo(this, QPoint(0, 0));
  return axisOf(axis)->pixelToCoord(pixel - (axis == ChartAxis::Bottom ? o.x() : o.y())) *
         einheit_[static_cast<int>(axis)];
}

double ChartView::pixelOf(ChartAxis axis, double value) {
  sync();
  const QPoint o = plot_->mapTo(this, QPoint(0, 0));
  return axisOf(axis)->coordToPixel(value / einheit_[static_cast<int>(axis)]) +
         (axis == ChartAxis::Bottom ? o.x() : o.y());
}

void ChartView::markDirty() {
  if (syncing_) return;
  dirty_ = true;
  // Windows repaint explicitly after a batch of changes; the queued repaint only makes sure
  // the screen never stays stale when one forgets.
  queueReplot();
}

void ChartView::queueReplot() {
  if (!replotTimer_.isActive()) replotTimer_.start(0);
}

void ChartView::queuedReplot() {
  // Not in the middle of a long operation (sampling curves): its event pumping would redraw
  // the growing chart again and again. It is drawn once the operation is over.
  if (EscWatcher::active()) {
    replotTimer_.start(50);
    return;
  }
  sync();
  plot_->replot(QCustomPlot::rpQueuedRefresh);
}

void ChartView::sync() {
  if (!dirty_) return;
  syncing_ = true;
  for (ChartSeries* s : series_) s->sync();
  updateLegend();
  for (ChartAxis a : {ChartAxis::Bottom, ChartAxis::Left}) {
    if (automatic(a)) rescale(a);
    applyLogLower(a);
  }
  // An axis that took another unit needs the points again.
  for (ChartSeries* s : series_)
    if (s->dataDirty_) s->sync();
  syncing_ = false;
  dirty_ = false;
}

void ChartView::rescale(ChartAxis axis) {
  const bool log = logarithmic(axis);
  double lo = std::numeric_limits<double>::infinity();
  double hi = -lo;
  for (const ChartSeries* s : series_) {
    if (!s->active_) continue;
    const ChartSeries::Spanne& sp = s->spanne(axis);
    lo = std::min(lo, log ? sp.loPositiv : sp.lo);
    hi = std::max(hi, log ? sp.hiPositiv : sp.hi);
  }
  if (!(lo <= hi)) return;  // no data: the axis keeps its range
  if (lo == hi) {
    if (log) {
      lo /= 10;
      hi *= 10;
    } else {
      const double d = lo == 0 ? 1 : std::abs(lo) * 0.1;
      lo -= d;
      hi += d;
    }
    // Near the ends of the double range one side has no room to grow.
    constexpr double groesste = std::numeric_limits<double>::max();
    lo = std::max(lo, -groesste);
    hi = std::min(hi, groesste);
  }
  bereichSetzen(axis, lo, hi);
}

double ChartView::positiveLower(ChartAxis axis, double upper) const {
  double kleinste = std::numeric_limits<double>::infinity();
  for (const ChartSeries* s : series_)
    if (s->active_) kleinste = std::min(kleinste, s->spanne(axis).loPositiv);
  return (std::isfinite(kleinste) && kleinste < upper) ? kleinste : upper / 1000;
}

void ChartView::applyLogLower(ChartAxis axis) {
  if (!logarithmic(axis)) return;
  const QCPRange r = bereich(axis);
  if (r.lower > 0) return;
  if (r.upper <= 0)
    bereichSetzen(axis, 1, 10);
  else
    bereichSetzen(axis, positiveLower(axis, r.upper), r.upper);
}

void ChartView::updateLegend() {
  plot_->legend->clearItems();
  for (ChartSeries* s : series_)
    if (s->active_ && s->plottable_)
      plot_->legend->addItem(new ChartLegendenEintrag(plot_->legend, s->plottable_));
}

void ChartView::setFastDrawing(bool on) {
  if (fastDrawing_ == on) return;
  fastDrawing_ = on;
  for (ChartSeries* s : series_)
    if (SerienBild* b = serienBild(s->plottable_)) {
      b->erlaubt = on;
      b->vergessen();
    }
  markDirty();
}

void ChartView::refresh() {
  sync();
  queueReplot();
}

void ChartView::replotNow() {
  replotTimer_.stop();
  sync();
  plot_->replot(QCustomPlot::rpImmediateRefresh);
}

bool ChartView::renderTo(QPaintDevice* device, const QRectF& target) {
  replotNow();  // the layout of axes and legend is worked out while drawing
  const QSize groesse = plot_->size().isEmpty() ? QSize(800, 500) : plot_->size();
  if (target.width() <= 0 || target.height() <= 0) return true;
  QCPPainter painter;
  if (!painter.begin(device)) return false;
  // Vector output: nothing cached as a picture, and pens that scale with the drawing (a
  // cosmetic pen would be one device dot wide on a printer).
  painter.setMode(QCPPainter::pmVectorized);
  painter.setMode(QCPPainter::pmNoCaching);
  painter.setMode(QCPPainter::pmNonCosmetic);
  const double massstab =
      std::min(target.width() / groesse.width(), target.height() / groesse.height());
  painter.translate(target.left() + (target.width() - groesse.width() * massstab) / 2,
                    target.top());
  painter.scale(massstab, massstab);
  plot_->toPainter(&painter, groesse.width(), groesse.height());
  painter.end();
  return true;
}
