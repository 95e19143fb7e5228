#pragma once
// What a grid heading needs to read whole, and how dark the darkest pixel of a picture is
// (where there is text, the text's colour).
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QStyle>
#include <QTableView>
#include <algorithm>

// The heading's text in the column header's font and the style's margin on either side.
inline int KopfBedarf(const QTableView* g, const QString& text) {
  const QHeaderView* h = g->horizontalHeader();
  return QFontMetrics(h->font()).horizontalAdvance(text) +
         2 * g->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
}

inline int Dunkelste(const QImage& bild) {
  int wert = 255;
  for (int y = 0; y < bild.height(); ++y)
    for (int x = 0; x < bild.width(); ++x) wert = std::min(wert, bild.pixelColor(x, y).lightness());
  return wert;
}
