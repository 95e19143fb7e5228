#pragma once
// Counts the paint events a widget gets (installed as its event filter).
#include <QEvent>
#include <QObject>

class Maler : public QObject {
 public:
  int anzahl = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++anzahl;
    return false;
  }
};
