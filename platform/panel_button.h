#pragma once
// A key of the on-screen keypad (and the speed buttons beside it): a raised panel with a
// caption that reports which mouse button pressed it. QAbstractButton only reacts to the
// left button, but the keypad gives the right and middle buttons their own meaning, so the
// widget handles the mouse itself and leaves the decision to the window.
#include <QColor>
#include <QFrame>
#include <QIcon>
#include <QString>

#include "platform/bgr_color.h"

class PanelButton : public QFrame {
  Q_OBJECT

 public:
  explicit PanelButton(const QString& caption = QString(), QWidget* parent = nullptr);

  QString caption() const { return caption_; }
  void setCaption(const QString& caption);

  // Fill colour; an invalid colour means the button face of the current style.
  QColor color() const { return color_; }
  void setColor(const QColor& color);
  void resetColor() { setColor(QColor()); }
  QColor shownColor() const;

  // A picture drawn centred (above the caption when there is one).
  void setIcon(const QIcon& icon);
  // Flat: no fill and no bevel until the mouse is over it (speed buttons on a tool bar).
  void setFlat(bool flat);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void mousePressed(Qt::MouseButton button);
  void mouseReleased(Qt::MouseButton button);
  // Press and release of the same button over the panel.
  void clicked(Qt::MouseButton button);
  // Any move of the mouse over the panel, pressed or not (the keypad's hover colours).
  void mouseMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QString caption_;
  QColor color_;
  QIcon icon_;
  bool flat_ = false;
  bool down_ = false;
  bool hover_ = false;
  Qt::MouseButton pressedButton_ = Qt::NoButton;
};


