#pragma once
// Two framed panels of the picture library's dialogs: a panel that draws its own bevels and
// frame, and one that paints through an off-screen image inside that frame.
#include <QImage>
#include <QWidget>
#include <functional>

class QPainter;

namespace imagefile {

class PanelFrame : public QWidget {
  Q_OBJECT
 public:
  enum Bevel { None, Raised, Lowered };
  explicit PanelFrame(QWidget* parent = nullptr);

  Bevel bevelOuter = None;
  Bevel bevelInner = None;
  int bevelWidth = 1;
  int borderWidth = 0;
  QColor color;  // frame and background; invalid: the palette's window colour
  // Paints the contents; called after the frame.
  std::function<void(QPainter&)> onPaint;

  // Width taken by the frame on each side.
  int frameSize() const;

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintFrame(QPainter& painter);
};

// The paint handler draws on an image of the inner size, which is then copied inside the
// frame (no flicker while the contents are rebuilt).
class DoubleBufferedPanel : public PanelFrame {
  Q_OBJECT
 public:
  explicit DoubleBufferedPanel(QWidget* parent = nullptr);
  const QImage& buffer() const { return buffer_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage buffer_;
};

}  // namespace imagefile
