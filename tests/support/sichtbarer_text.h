#pragma once
// What a line edit shows of its text: the part between its left and right inner edges. A
// line edit scrolls its text to the caret when it paints, so it is painted first.
#include <QLineEdit>
#include <QString>

inline QString SichtbarerText(QLineEdit* e) {
  e->grab();
  const int mitte = e->height() / 2;
  const int von = e->cursorPositionAt(QPoint(3, mitte));
  const int bis = e->cursorPositionAt(QPoint(e->width() - 4, mitte));
  return e->text().mid(von, bis - von);
}

// Whether the text is wider than the edit can show at once.
inline bool ZuBreit(const QLineEdit* e) {
  return e->fontMetrics().horizontalAdvance(e->text()) > e->width() - 8;
}

// Whether the edit shows its whole text: what it shows is all of it, and the text's advance
// fits the edit's contents rectangle.
inline bool GanzSichtbar(QLineEdit* e) {
  return SichtbarerText(e) == e->text() &&
         e->fontMetrics().horizontalAdvance(e->text()) < e->contentsRect().width();
}

// Whether the edit shows the start of its text (its first eight characters).
inline bool ZeigtAnfang(QLineEdit* e) { return SichtbarerText(e).startsWith(e->text().left(8)); }
