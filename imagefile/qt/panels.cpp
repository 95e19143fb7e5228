#include "imagefile/qt/panels.h"

#include <QMouseEvent>
#include <QPainter>

namespace imagefile {

PanelFrame::PanelFrame(QWidget* parent) : QWidget(parent) {}

int PanelFrame::frameSize() const {
  const int bevels = (bevelOuter != None ? 1 : 0) + (bevelInner != None ? 1 : 0);
  return bevels * bevelWidth + 2 * borderWidth;
}

void PanelFrame::paintFrame(QPainter& p) {
  const QColor light = palette().color(QPalette::Light);
  const QColor dark = palette().color(QPalette::Dark);
  const QColor fill = color.isValid() ? color : palette().color(QPalette::Window);
  QRect r = rect();
  auto bevel = [&](Bevel kind) {
    if (kind == None) return;
    const QColor topLeft = kind == Raised ? light : dark;
    const QColor bottomRight = kind == Raised ? dark : light;
    for (int i = 0; i < bevelWidth; ++i) {
      p.setPen(topLeft);
      p.drawLine(r.left(), r.top(), r.right(), r.top());
      p.drawLine(r.left(), r.top(), r.left(), r.bottom());
      p.setPen(bottomRight);
      p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
      p.drawLine(r.right(), r.top(), r.right(), r.bottom());
      r.adjust(1, 1, -1, -1);
    }
  };
  bevel(bevelOuter);
  if (borderWidth > 0) {
    p.fillRect(r, fill);
    r.adjust(borderWidth, borderWidth, -borderWidth, -borderWidth);
  }
  bevel(bevelInner);
  p.fillRect(r, fill);
}

void PanelFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintFrame(p);
  if (onPaint) onPaint(p);
}

void PanelFrame::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

DoubleBufferedPanel::DoubleBufferedPanel(QWidget* parent) : PanelFrame(parent) {}

void DoubleBufferedPanel::resizeEvent(QResizeEvent*) {
  const int f = 2 * frameSize();
  buffer_ = QImage(std::max(1, width() - f), std::max(1, height() - f), QImage::Format_RGB32);
}

void DoubleBufferedPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintFrame(p);
  if (buffer_.isNull()) return;
  buffer_.fill(color.isValid() ? color : palette().color(QPalette::Window));
  if (onPaint) {
    QPainter b(&buffer_);
    onPaint(b);
  }
  p.drawImage(frameSize(), frameSize(), buffer_);
}

}  // namespace imagefile
