#pragma once
// Small controls of the settings dialogs (the calculator's and the data graph's).
#include <QFrame>
#include <QSpinBox>
#include <cstdint>

// A colour panel: shows a colour and reports a left click.
class FarbPanel : public QFrame {
  Q_OBJECT
 public:
  explicit FarbPanel(QWidget* parent = nullptr);
  void setFarbe(int32_t farbe);  // framework colour value (red in the low byte)
  int32_t farbe() const { return farbe_; }

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int32_t farbe_ = 0;
  bool gedrueckt_ = false;
};

// An up-down: its arrows step the value; it has no text of its own (a label shows it).
class AufAbSchalter : public QSpinBox {
  Q_OBJECT
 public:
  explicit AufAbSchalter(QWidget* parent = nullptr);
  void stepBy(int steps) override;

 signals:
  // The user stepped the value (not emitted by setValue).
  void geklickt();
};
