#include "platform/panel_button.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>

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

void PanelButton::setIcon(const QIcon& icon) {
  icon_ = icon;
  updateGeometry();
  update();
}

void PanelButton::setFlat(bool flat) {
  flat_ = flat;
  update();
}

void PanelButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const bool bevel = !flat_ || down_ || hover_;
  if (!flat_ || color_.isValid()) p.fillRect(r, shownColor());
  if (bevel) {
    // A raised bevel, sunken while a button holds it down.
    const QColor light(255, 255, 255);
    const QColor dark(120, 120, 120);
    p.setPen(down_ ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down_ ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  }
  const QRect inner = down_ ? r.translated(1, 1) : r;
  if (!icon_.isNull()) {
    const int side = qMin(qMin(inner.width(), inner.height()) - 6, 20);
    const QSize size(side, side);
    QRect iconRect(QPoint(0, 0), size);
    iconRect.moveCenter(inner.center());
    if (!caption_.isEmpty()) iconRect.moveTop(inner.top() + 3);
    icon_.paint(&p, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    if (caption_.isEmpty()) return;
  }
  p.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                       : palette().color(QPalette::Disabled, QPalette::ButtonText));
  p.setFont(font());
  p.drawText(inner, icon_.isNull() ? Qt::AlignCenter : (Qt::AlignHCenter | Qt::AlignBottom),
             caption_);
}

void PanelButton::mousePressEvent(QMouseEvent* event) {
  down_ = true;
  pressedButton_ = event->button();
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
  const bool click =
      event->button() == pressedButton_ && rect().contains(event->position().toPoint());
  pressedButton_ = Qt::NoButton;
  // The receiver may hide or delete windows; keep going only while this panel lives.
  QPointer<PanelButton> self(this);
  emit mouseReleased(event->button());
  if (click && self) emit clicked(event->button());
  if (self) event->accept();
}

void PanelButton::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved();
  event->accept();
}

void PanelButton::enterEvent(QEnterEvent* event) {
  hover_ = true;
  if (flat_) update();
  QFrame::enterEvent(event);
}

void PanelButton::leaveEvent(QEvent* event) {
  hover_ = false;
  if (flat_) update();
  QFrame::leaveEvent(event);
}

