#include "platform/dialog_symbole.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace DialogSymbol {
namespace {

const QColor kRand(90, 90, 90);
const QColor kBlau(0, 70, 160);
const QColor kRot(200, 30, 30);
const QColor kGruen(20, 140, 60);

void blatt(QPainter& p, const QColor& farbe) {
  QPainterPath pfad;
  pfad.moveTo(3.5, 1.5);
  pfad.lineTo(11.5, 1.5);
  pfad.lineTo(15.5, 5.5);
  pfad.lineTo(15.5, 18.5);
  pfad.lineTo(3.5, 18.5);
  pfad.closeSubpath();
  p.setPen(QPen(kRand, 1));
  p.setBrush(farbe);
  p.drawPath(pfad);
}

void ordnerZeichen(QPainter& p) {
  // A small open folder in the lower right corner: "choose a file".
  QPainterPath pfad;
  pfad.moveTo(9.5, 12.5);
  pfad.lineTo(13, 12.5);
  pfad.lineTo(14, 13.5);
  pfad.lineTo(19.5, 13.5);
  pfad.lineTo(19.5, 19.5);
  pfad.lineTo(9.5, 19.5);
  pfad.closeSubpath();
  p.setPen(QPen(QColor(150, 110, 20), 1));
  p.setBrush(QColor(250, 205, 90));
  p.drawPath(pfad);
}

}  // namespace

QIcon Zeichnen(const std::function<void(QPainter&)>& bild, int raster) {
  QIcon icon;
  for (int faktor : {1, 2}) {
    const int groesse = raster * faktor;
    QPixmap pm(groesse, groesse);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(faktor, faktor);
    bild(p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

void Text(QPainter& p, const QRectF& r, const QString& t, const QColor& farbe, int pixel,
          bool fett) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixel);
  f.setBold(fett);
  p.setFont(f);
  p.setPen(farbe);
  p.drawText(r, Qt::AlignCenter, t);
}

QIcon ImVordergrund() {
  return Zeichnen([](QPainter& p) {
    p.setPen(QPen(kRand, 1));
    p.setBrush(QColor(215, 215, 215));
    p.drawRect(QRectF(2.5, 2.5, 10, 9));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 7.5, 10, 10));
    p.setBrush(QColor(30, 100, 210));
    p.drawRect(QRectF(7.5, 7.5, 10, 2.5));
  });
}

QIcon Minimiert() {
  return Zeichnen([](QPainter& p) {
    p.setPen(QPen(kRand, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 15, 12));
    p.setBrush(QColor(30, 100, 210));
    p.drawRect(QRectF(2.5, 3.5, 15, 3));
    p.setPen(QPen(kBlau, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 12.5), QPointF(14, 12.5));
    p.setPen(QPen(kGruen, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 16.5), QPointF(10, 19));
  });
}

QIcon FormelDatei() {
  return Zeichnen([](QPainter& p) {
    blatt(p, QColor(255, 255, 235));
    Text(p, QRectF(2, 1, 14, 13), QStringLiteral("f"), kBlau, 11);
    ordnerZeichen(p);
  });
}

QIcon WerteDatei() {
  return Zeichnen([](QPainter& p) {
    blatt(p, QColor(235, 245, 255));
    Text(p, QRectF(2, 1, 14, 13), QStringLiteral("a"), kBlau, 11);
    ordnerZeichen(p);
  });
}

QIcon Einfuegen() {
  return Zeichnen([](QPainter& p) {
    blatt(p, QColor(255, 255, 235));
    p.setPen(QPen(kGruen, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13.5, 10), QPointF(13.5, 18));
    p.drawLine(QPointF(9.5, 14), QPointF(17.5, 14));
  });
}

QIcon Loeschen() {
  return Zeichnen([](QPainter& p) {
    blatt(p, QColor(255, 255, 235));
    p.setPen(QPen(kRot, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10.5), QPointF(17, 17.5));
    p.drawLine(QPointF(10, 17.5), QPointF(17, 10.5));
  });
}

QIcon Speichern() {
  return Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(30, 50, 100), 1));
    p.setBrush(QColor(60, 100, 180));
    p.drawRoundedRect(QRectF(2.5, 2.5, 15, 15), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 2.5, 9, 6));
    p.setBrush(QColor(200, 210, 230));
    p.drawRect(QRectF(5.5, 11.5, 9, 6));
  });
}

QIcon Berechnen() {
  return Zeichnen([](QPainter& p) {
    p.setPen(QPen(kRand, 1));
    p.setBrush(QColor(235, 245, 235));
    p.drawRoundedRect(QRectF(2.5, 2.5, 15, 15), 2, 2);
    p.setPen(QPen(kGruen, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 8), QPointF(14, 8));
    p.drawLine(QPointF(6, 12.5), QPointF(14, 12.5));
  });
}

QIcon Schliessen() {
  return Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 40), 1));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(QRectF(4.5, 2.5, 9, 15));
    p.setBrush(QColor(240, 200, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(11.5, 10.5), 1, 1);
    p.setPen(QPen(kRot, 2));
    p.drawLine(QPointF(13, 10), QPointF(19, 10));
    p.drawLine(QPointF(16.5, 7.5), QPointF(19, 10));
    p.drawLine(QPointF(16.5, 12.5), QPointF(19, 10));
  });
}

QIcon Programm() {
  return Zeichnen(
      [](QPainter& p) {
        // A pocket calculator: display and keys.
        p.setPen(QPen(QColor(30, 40, 70), 1.5));
        p.setBrush(QColor(60, 80, 130));
        p.drawRoundedRect(QRectF(8, 3, 32, 42), 4, 4);
        p.setBrush(QColor(170, 230, 180));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(12, 7, 24, 9));
        p.setBrush(QColor(235, 228, 194));
        for (int r = 0; r < 3; ++r)
          for (int c = 0; c < 3; ++c) p.drawRoundedRect(QRectF(12 + c * 8.5, 20 + r * 8, 6.5, 6), 1, 1);
        Text(p, QRectF(12, 6, 23, 11), QStringLiteral("π"), QColor(20, 80, 40), 9);
      },
      48);
}

}  // namespace DialogSymbol
