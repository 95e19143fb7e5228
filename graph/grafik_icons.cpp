#include "graph/grafik_icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace GrafikSymbol {
namespace {

constexpr int kGroesse = 40;  // painted at twice the shown size for high-density screens

const QColor kTinte(40, 60, 110);
const QColor kRot(200, 40, 40);
const QColor kGruen(30, 140, 60);

void achsen(QPainter& p) {
  p.setPen(QPen(kTinte, 2.5));
  p.drawLine(6, 4, 6, 34);
  p.drawLine(6, 34, 36, 34);
}

void kurve(QPainter& p, const QColor& farbe) {
  QPainterPath pfad;
  pfad.moveTo(8, 28);
  pfad.cubicTo(16, 2, 22, 40, 34, 8);
  p.setPen(QPen(farbe, 3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(pfad);
}

void text(QPainter& p, const QRect& r, const QString& t, int punkte, const QColor& farbe,
          bool fett = true) {
  QFont f = p.font();
  f.setPixelSize(punkte);
  f.setBold(fett);
  p.setFont(f);
  p.setPen(farbe);
  p.drawText(r, Qt::AlignCenter, t);
}

void kreuz(QPainter& p, const QColor& farbe, int x, int y, int d) {
  p.setPen(QPen(farbe, 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(x - d, y - d, x + d, y + d);
  p.drawLine(x - d, y + d, x + d, y - d);
}

void malen(QPainter& p, Symbol s) {
  switch (s) {
    case Symbol::Plus:
      kurve(p, kTinte);
      p.setPen(QPen(kGruen, 5, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(28, 20, 28, 36);
      p.drawLine(20, 28, 36, 28);
      break;
    case Symbol::Formel:
      text(p, QRect(0, 0, kGroesse, kGroesse), QStringLiteral("f(x)"), 17, kTinte);
      break;
    case Symbol::Skalierung:
      achsen(p);
      p.setPen(QPen(kTinte, 2));
      for (int i = 12; i <= 32; i += 7) {
        p.drawLine(i, 31, i, 37);
        p.drawLine(3, 40 - i, 9, 40 - i);
      }
      kurve(p, kRot);
      break;
    case Symbol::Automatisch:
      achsen(p);
      kurve(p, kRot);
      text(p, QRect(18, 16, 22, 22), QStringLiteral("A"), 16, kGruen);
      break;
    case Symbol::Runden:
      achsen(p);
      text(p, QRect(8, 2, 32, 28), QStringLiteral("≈"), 26, kRot);
      break;
    case Symbol::Gitter:
      p.setPen(QPen(kTinte, 2));
      for (int i = 6; i <= 34; i += 7) {
        p.drawLine(i, 6, i, 34);
        p.drawLine(6, i, 34, i);
      }
      break;
    case Symbol::Legende:
      p.setPen(QPen(kTinte, 2));
      p.setBrush(Qt::white);
      p.drawRect(4, 6, 32, 28);
      p.setPen(QPen(kRot, 3));
      p.drawLine(8, 14, 16, 14);
      p.setPen(QPen(kGruen, 3));
      p.drawLine(8, 26, 16, 26);
      p.setPen(QPen(kTinte, 2));
      p.drawLine(20, 14, 32, 14);
      p.drawLine(20, 26, 32, 26);
      break;
    case Symbol::Logarithmisch:
      text(p, QRect(0, 0, kGroesse, kGroesse), QStringLiteral("log"), 16, kTinte);
      break;
    case Symbol::LoeschenLetzte:
      kurve(p, kTinte);
      kreuz(p, kRot, 28, 28, 6);
      break;
    case Symbol::LoeschenAlles:
      kreuz(p, kRot, 20, 20, 12);
      break;
    case Symbol::Drucken:
      p.setPen(QPen(kTinte, 2));
      p.setBrush(Qt::white);
      p.drawRect(12, 4, 16, 12);
      p.setBrush(QColor(170, 180, 200));
      p.drawRoundedRect(4, 15, 32, 14, 3, 3);
      p.setBrush(Qt::white);
      p.drawRect(12, 24, 16, 12);
      break;
    case Symbol::Einstellung: {
      p.setPen(Qt::NoPen);
      p.setBrush(kTinte);
      p.translate(20, 20);
      for (int i = 0; i < 8; ++i) {
        p.drawRect(-3, -17, 6, 8);
        p.rotate(45);
      }
      p.drawEllipse(QPoint(0, 0), 12, 12);
      p.setBrush(Qt::white);
      p.drawEllipse(QPoint(0, 0), 5, 5);
      p.resetTransform();
      break;
    }
    case Symbol::Vorne:
      p.setPen(QPen(kTinte, 2));
      p.setBrush(QColor(200, 205, 215));
      p.drawRect(4, 4, 20, 16);
      p.setBrush(QColor(255, 230, 140));
      p.drawRect(14, 16, 22, 18);
      break;
    case Symbol::Speichern:
      p.setPen(QPen(kTinte, 2));
      p.setBrush(QColor(90, 120, 190));
      p.drawRoundedRect(5, 5, 30, 30, 3, 3);
      p.setBrush(Qt::white);
      p.drawRect(11, 5, 18, 11);
      p.drawRect(10, 22, 20, 13);
      break;
    case Symbol::Schliessen:
      p.setPen(QPen(kTinte, 2));
      p.setBrush(QColor(245, 240, 225));
      p.drawRect(8, 4, 22, 32);
      p.setPen(QPen(kRot, 4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(20, 20, 38, 20);
      p.drawLine(31, 13, 38, 20);
      p.drawLine(31, 27, 38, 20);
      break;
    case Symbol::Neuzeichnen: {
      p.setPen(QPen(kGruen, 4, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRect(7, 7, 26, 26), 60 * 16, 280 * 16);
      p.drawLine(27, 5, 27, 13);
      p.drawLine(27, 13, 19, 12);
      break;
    }
    case Symbol::Approximation: {
      // Measured points and the smooth curve fitted through them.
      achsen(p);
      p.setPen(Qt::NoPen);
      p.setBrush(kTinte);
      for (const QPointF& punkt : {QPointF(11, 27), QPointF(16, 16), QPointF(22, 20),
                                   QPointF(27, 11), QPointF(33, 9)})
        p.drawEllipse(punkt, 2.6, 2.6);
      QPainterPath pfad;
      pfad.moveTo(8, 30);
      pfad.cubicTo(16, 14, 24, 18, 37, 6);
      p.setPen(QPen(kRot, 2.5));
      p.setBrush(Qt::NoBrush);
      p.drawPath(pfad);
      break;
    }
    case Symbol::SkalierungSpeichern:
      // The scaling picture with a small disk: the stored limits.
      achsen(p);
      p.setPen(QPen(kTinte, 2));
      for (int i = 12; i <= 19; i += 7) {
        p.drawLine(i, 31, i, 37);
        p.drawLine(3, 40 - i, 9, 40 - i);
      }
      kurve(p, kRot);
      p.setPen(QPen(kTinte, 1.5));
      p.setBrush(QColor(90, 120, 190));
      p.drawRoundedRect(QRectF(21, 19, 18, 18), 2, 2);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(25, 19, 10, 6));
      p.drawRect(QRectF(24, 29, 12, 8));
      break;
    case Symbol::Titel:
      // A sheet with its title block at the foot: logo, lines of text.
      p.setPen(QPen(kTinte, 2));
      p.setBrush(Qt::white);
      p.drawRect(5, 3, 30, 34);
      p.setPen(QPen(kTinte, 1.5));
      p.drawLine(5, 24, 35, 24);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(90, 120, 190));
      p.drawRect(8, 27, 7, 7);
      p.setPen(QPen(kTinte, 2));
      p.drawLine(18, 28, 32, 28);
      p.drawLine(18, 33, 28, 33);
      {
        QPainterPath pfad;  // the graph above the block
        pfad.moveTo(9, 19);
        pfad.cubicTo(15, 4, 22, 22, 31, 7);
        p.setPen(QPen(kRot, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(pfad);
      }
      break;
    case Symbol::Bild:
      // A framed picture: sun over two hills, for saved pictures.
      p.setPen(QPen(kTinte, 2));
      p.setBrush(QColor(215, 235, 250));
      p.drawRect(4, 7, 32, 26);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(240, 190, 40));
      p.drawEllipse(QPointF(27, 14), 3.5, 3.5);
      {
        QPainterPath huegel;
        huegel.moveTo(5, 32);
        huegel.lineTo(14, 19);
        huegel.lineTo(21, 27);
        huegel.lineTo(25, 23);
        huegel.lineTo(35, 32);
        huegel.closeSubpath();
        p.setBrush(QColor(70, 150, 80));
        p.drawPath(huegel);
      }
      break;
  }
}

}  // namespace

QIcon icon(Symbol symbol) {
  QPixmap bild(kGroesse, kGroesse);
  bild.fill(Qt::transparent);
  {
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    malen(p, symbol);
  }
  bild.setDevicePixelRatio(2.0);
  return QIcon(bild);
}

}  // namespace GrafikSymbol
