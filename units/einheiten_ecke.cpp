#include "units/einheiten_ecke.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>

#include "platform/bgr_color.h"
#include "platform/string_grid.h"

namespace {

// Keeps the label on the corner whenever the headers change size.
class EckenFolger : public QObject {
 public:
  EckenFolger(StringGrid* grid, QLabel* label) : QObject(label), grid_(grid), label_(label) {}

  void anpassen() {
    const int rand = grid_->frameWidth();
    label_->setGeometry(rand, rand, grid_->verticalHeader()->width(), grid_->horizontalHeader()->height());
    label_->raise();
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
        event->type() == QEvent::LayoutRequest)
      anpassen();
    return false;
  }

 private:
  StringGrid* grid_;
  QLabel* label_;
};

}  // namespace

void EckeBeschriften(StringGrid* grid) {
  auto* label = new QLabel(grid->Cells(0, 0), grid);
  label->setObjectName(QStringLiteral("ecke"));
  label->setFont(grid->horizontalHeader()->font());
  label->setAutoFillBackground(true);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, colorFromBgr(0xFFEBDF));
  label->setPalette(p);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* folger = new EckenFolger(grid, label);
  grid->installEventFilter(folger);
  grid->verticalHeader()->installEventFilter(folger);
  grid->horizontalHeader()->installEventFilter(folger);
  folger->anpassen();
}
