#include "platform/einstell_bausteine.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>

#include "platform/farben.h"

FarbPanel::FarbPanel(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::Box);
  setFrameShadow(QFrame::Plain);
  setLineWidth(1);
  setAutoFillBackground(true);
  setCursor(Qt::PointingHandCursor);
  setMinimumSize(44, 20);
  setFarbe(0);
}

void FarbPanel::setFarbe(int32_t farbe) {
  farbe_ = farbe;
  QPalette pal = palette();
  pal.setColor(QPalette::Window, FarbeZuQColor(farbe));
  pal.setColor(QPalette::WindowText, QColor(110, 110, 110));
  setPalette(pal);
}

void FarbPanel::mousePressEvent(QMouseEvent* event) {
  gedrueckt_ = event->button() == Qt::LeftButton;
  event->accept();
}

void FarbPanel::mouseReleaseEvent(QMouseEvent* event) {
  const bool klick = gedrueckt_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  gedrueckt_ = false;
  event->accept();
  if (klick) emit clicked();
}

AufAbSchalter::AufAbSchalter(QWidget* parent) : QSpinBox(parent) {
  // Only the arrows are seen; the label beside it shows the value.
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  setAlignment(Qt::AlignCenter);
  lineEdit()->setReadOnly(true);
  setFocusPolicy(Qt::NoFocus);
  setFixedWidth(20);
}

void AufAbSchalter::stepBy(int steps) {
  const int vorher = value();
  QSpinBox::stepBy(steps);
  if (value() != vorher) emit geklickt();
}
