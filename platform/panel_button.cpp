#include "platform/panel_button.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

PanelButton::PanelButton(const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(caption) {
  setMouseTracking(true);
  // Keys never take the focus away from the entry field they type into.
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void PanelButton::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  updateGeometry();
  update();
}

void PanelButton::setColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  update();
}

QColor PanelButton::shownColor() const {
  return color_.isValid() ? color_ : palette().color(QPalette::Button);
}

QSize PanelButton::sizeHint() const {
  const QFontMetrics fm(font());
  const int w = fm.horizontalAdvance(caption_.isEmpty() ? QStringLiteral("0") : caption_);
  return {qMax(w + 14, 30), qMax(fm.height() + 10, 25)};
}

QSize PanelButton::minimumSizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(caption_) + 4, fm.height() + 4};
}

void PanelButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, shownColor());
  // A raised bevel, sunken while a button holds it down.
  const QColor light = QColor(255, 255, 255);
  const QColor dark = QColor(120, 120, 120);
  const QColor& topLeft = down_ ? dark : light;
  const QColor& bottomRight = down_ ? light : dark;
  p.setPen(topLeft);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(bottomRight);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  p.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                       : palette().color(QPalette::Disabled, QPalette::ButtonText));
  p.setFont(font());
  const QRect textRect = down_ ? r.translated(1, 1) : r;
  p.drawText(textRect, Qt::AlignCenter, caption_);
}

void PanelButton::mousePressEvent(QMouseEvent* event) {
  down_ = true;
  update();
  emit mousePressed(event->button());
  event->accept();
}

void PanelButton::mouseDoubleClickEvent(QMouseEvent* event) {
  // A quick second click on a key is a second key press, not a gesture of its own.
  mousePressEvent(event);
}

void PanelButton::mouseReleaseEvent(QMouseEvent* event) {
  down_ = false;
  update();
  emit mouseReleased(event->button());
  event->accept();
}

void PanelButton::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved();
  event->accept();
}

QColor colorFromBgr(int bgr) {
  const unsigned v = static_cast<unsigned>(bgr);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

int colorToBgr(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}
