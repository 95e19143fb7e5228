#pragma once
// The chart's drawing of long series at screen resolution, for ChartView only.
//
// Qt strokes a wide or dashed pen by building the outline of the whole polyline and filling
// it; for thousands of segments crossing each other that outline is huge and the fill takes
// seconds. Here a series is drawn into a picture of its own instead: the line as a coverage
// mask (the outline's pieces one by one, each adding its share of the pixels it covers, as
// the antialiased fill of the whole outline adds them), coloured once, and the point
// markers, which are pictures already, copied once per distinct position with the repeats
// folded into one stronger copy. What this gives differs from Qt's drawing only in the
// shades of edge pixels.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QVector>
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace chart_raster {

// Pixels this far off (in either direction) lie beyond any screen or page; a line is cut
// there, as the rows and dashes of a piece from 1e300 would be countless.
constexpr double kFernerRand = 1e6;

// The polyline zug as Qt can draw it: Qt's rasteriser loses a whole polyline that has a
// point beyond about 1e20 pixels, and with it the lines to that point, which inside the
// picture run straight out of it. Each piece reaching beyond kFernerRand is cut there along
// its own slope, and the line is broken (by a point that is not finite) where it left the
// box and comes back at another place, so nothing joins them across the picture. Points that
// are not finite stay gaps. Returns false, leaving ziel alone, when no finite point lies
// that far; else ziel holds the cut line.
bool zugKappen(const QVector<QPointF>& zug, QVector<QPointF>& ziel);

// The tiles of kSeite x kSeite pixels of a rectangle that something was drawn into: outside
// them the rectangle is untouched. A long curve crossing a chart touches a fraction of its
// box, and clearing, colouring and copying go by tiles.
class Kacheln {
 public:
  static constexpr int kSeite = 32;
  // All untouched, for a rectangle of that size.
  void beginnen(int breite, int hoehe);
  // Marks the tiles reaching pixels xa..xb of rows ya..yb (clipped to the rectangle).
  void markieren(int xa, int xb, int ya, int yb) {
    xa = std::max(xa, 0);
    ya = std::max(ya, 0);
    xb = std::min(xb, breite_ - 1);
    yb = std::min(yb, hoehe_ - 1);
    if (xa > xb || ya > yb) return;
    for (int ty = ya / kSeite; ty <= yb / kSeite; ++ty)
      for (int tx = xa / kSeite; tx <= xb / kSeite; ++tx) markiert_[static_cast<size_t>(ty * spalten_ + tx)] = 1;
    leer_ = false;
  }
  // Adds the tiles of another set of the same size.
  void dazu(const Kacheln& andere);
  bool leer() const { return leer_; }
  // The touched tiles as rectangles of pixels (clipped to the rectangle): per row of tiles,
  // each run of touched ones, runs apart by one untouched tile joined.
  std::vector<QRect> rechtecke() const;

 private:
  int breite_ = 0, hoehe_ = 0, spalten_ = 0;
  std::vector<uint8_t> markiert_;
  bool leer_ = true;
};

// Coverage 0..255 per pixel of a rectangle; remembers the box and the tiles of what it
// touched, so that starting again clears only those.
class Abdeckung {
 public:
  void beginnen(int breite, int hoehe);
  int breite() const { return breite_; }
  int hoehe() const { return hoehe_; }
  uint8_t wert(int x, int y) const { return zeile(y)[x]; }
  const uint8_t* zeile(int y) const { return &werte_[static_cast<size_t>(y) * static_cast<size_t>(breite_)]; }
  // For writing a row directly; whoever does so widens the touched box with spanne(). The
  // rows lie one after another, and kRand bytes after the last one may be read and written
  // back unchanged.
  uint8_t* zeileZumSchreiben(int y) { return &werte_[static_cast<size_t>(y) * static_cast<size_t>(breite_)]; }
  static constexpr int kRand = 16;
  void spanne(int xa, int xb, int y);
  // spanne() for rows ya..yb.
  void bereich(int xa, int xb, int ya, int yb);
  // The touched box (empty when nothing was drawn), and the touched tiles.
  QRect beruehrt() const;
  const Kacheln& kacheln() const { return kacheln_; }

  // Draws a polyline (pixel coordinates of the rectangle, pixel centres at +0.5) with a pen
  // of the given width in pixels and style (solid or one of Qt's dash patterns, flat caps,
  // round joins), antialiased as Qt fills the line's outline: the outline is taken in its
  // convex pieces (a rectangle along each piece of the line, the wedge of each round join),
  // and each pixel is covered by the sum of its shares inside them, at most whole (where
  // pieces lie on each other, the overlap counts as often as they do, as the windings add
  // up in Qt's fill). A point that is not finite ends a piece of the line, as a gap in the
  // data does. Drawing only adds: a pixel keeps the highest coverage it got.
  void linie(const QPointF* punkte, qsizetype anzahl, double breite, Qt::PenStyle stil);

  // Samples per pixel across and down: a piece's share of a pixel is the share of the
  // pixel's kProben x kProben sample points inside it.
  static constexpr int kProben = 4;

 private:
  friend class LinienZeichner;
  // The counting of one piece's samples, and what it touched taken over.
  struct Zaehler;
  Zaehler zaehler() const;
  void gezaehlt(const Zaehler& z);
  // The outline's pieces: along a piece of the line from a to b (u its direction), and the
  // round join at mitte between a piece going ein and the next going aus.
  void rechteck(QPointF a, QPointF b, QPointF u, double radius);
  void gelenk(QPointF mitte, QPointF ein, QPointF aus, double radius);
  // The samples counted become coverage (and the counts are cleared).
  void probenUebernehmen();
  int breite_ = 0, hoehe_ = 0;
  std::vector<uint8_t> werte_;
  // Per pixel, the samples the line's pieces counted in it (at most kProben * kProben), all
  // 0 between two lines; and the pixels' rows and columns they were counted in (first and
  // last row, first and last column).
  std::vector<uint8_t> proben_;
  std::array<int, 4> probenBox_ = {std::numeric_limits<int>::max(), -1, std::numeric_limits<int>::max(), -1};
  int x0_ = 0, y0_ = 0, x1_ = -1, y1_ = -1;
  Kacheln kacheln_;
};

// Leaves out points of a solid polyline such that every point left out lies within epsilon
// pixels of the segment drawn in its place, the straight line between the kept points before
// and after it (so within epsilon of the line as drawn; measured to the segment itself, not
// to the infinite line through it). Going along, each point kept is the last one found to
// which a segment from the point kept before passes every point between within epsilon;
// a spike that goes out and comes back next to where it left stays. Points that are not
// finite stay, as they split the line, and so do the first and last point of every piece and
// points beyond kFernerRand. Returns the new count; the points kept are moved to the front in
// their order.
qsizetype vereinfachen(QPointF* punkte, qsizetype anzahl, double epsilon);

// One series' picture: transparent, premultiplied ARGB of the size of the area it covers.
// The line's coverage becomes the colour; the markers are copied on top.
void faerben(QImage& bild, const Abdeckung& maske, const QColor& farbe);

// A marker's place (its top-left corner) and how many markers in a row went there: a
// series of many points per pixel puts most of its markers where the one before went.
struct MarkenOrt {
  QPoint ecke;
  int anzahl = 1;
};

// Collects marker places into orte, counting a place again as long as it repeats.
class OrteSammler {
 public:
  explicit OrteSammler(std::vector<MarkenOrt>& orte) : orte_(orte) {}
  void dazu(QPoint ecke) {
    if (anzahl_ > 0 && ecke == letzte_)
      ++anzahl_;
    else
      neu(ecke);
  }
  // Hands over the last place; call once after the last dazu().
  void fertig() {
    if (anzahl_ > 0) orte_.push_back({letzte_, anzahl_});
    anzahl_ = 0;
  }

 private:
  void neu(QPoint ecke) {
    fertig();
    letzte_ = ecke;
    anzahl_ = 1;
  }
  std::vector<MarkenOrt>& orte_;
  QPoint letzte_;
  int anzahl_ = 0;
};

// Copies the marker picture (premultiplied ARGB) with its top-left corner at each position,
// in the order of each position's last appearance, once per position: a position that
// appears n times gets the marker as n copies on top of each other would leave it (only the
// edges' shades grow). Positions are in pixels of the picture or mask.
class Stempel {
 public:
  void stempeln(QImage& bild, const QImage& marke, const std::vector<MarkenOrt>& positionen);
  // For a marker of one colour (einfarbig) drawn over a line of the same colour: only its
  // coverage counts, added to the mask as the copies would add it.
  void stempeln(Abdeckung& maske, const QImage& marke, const std::vector<MarkenOrt>& positionen);

 private:
  struct Ort {
    size_t zelle;
    QPoint p;
    int anzahl;
  };
  void vorbereiten(const QImage& marke);
  // The positions reaching a picture of that size, each once, last appearance first.
  void sammeln(int breite, int hoehe, const std::vector<MarkenOrt>& positionen);
  const QImage& markeFuer(int wiederholungen);
  // The marker's coverage (alpha) copied n times, the rows and columns of inhalt_, each row
  // zero-padded to spalten_ bytes: what stempeln(Abdeckung&) adds, in pieces of 8 pixels.
  const uint8_t* deckungFuer(int wiederholungen);
  QImage marke_;
  qint64 markeSchluessel_ = 0;
  std::vector<QImage> verstaerkt_;  // index n - 1: the marker copied n times
  std::vector<std::vector<uint8_t>> deckung_;  // index n - 1: its coverage rows
  QRect inhalt_;  // where the marker's alpha is not 0
  int spalten_ = 0;
  std::vector<uint32_t> eintrag_;   // per grid cell: 1 + index into orte_, or 0
  std::vector<Ort> orte_;
};

// The one colour of a picture whose every pixel is that colour at some strength (its full
// strength as alpha), or an invalid colour.
QColor einfarbig(const QImage& bild);

}  // namespace chart_raster
