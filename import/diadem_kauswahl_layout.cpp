// Layout of the channel choice: the choice grid over the whole dialog, below it one row with
// the counts, the interval, the channel details and the two buttons.
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "import/diadem_kauswahl.h"
#include "platform/string_grid.h"

namespace {
template <typename T>
T* benannt(T* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}
}  // namespace

void TfrDiaDemKAuswahl::LayoutErzeugen() {
  setWindowTitle(QStringLiteral("DiaDem Kanal Auswahl"));
  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(4, 4, 4, 4);

  sg1 = benannt(new StringGrid(this), "sg1");
  sg1->setColCount(4);
  sg1->setRowCount(2);
  sg1->setColWidth(0, 30);
  sg1->setColWidth(1, 70);
  sg1->setColWidth(2, 300);
  sg1->setColWidth(3, 40);
  sg1->horizontalHeader()->setStretchLastSection(false);
  haupt->addWidget(sg1, 1);

  plKanal = benannt(new QFrame(this), "plKanal");
  plKanal->setFrameShape(QFrame::StyledPanel);
  auto* kanal = new QHBoxLayout(plKanal);
  kanal->setContentsMargins(6, 2, 6, 2);
  lbKanal = benannt(new QLabel(plKanal), "lbKanal");
  kanal->addWidget(lbKanal, 1);
  kanal->addWidget(new QLabel(QStringLiteral("Min:"), plKanal));
  lbKanalMin = benannt(new QLabel(plKanal), "lbKanalMin");
  lbKanalMin->setMinimumWidth(90);
  kanal->addWidget(lbKanalMin);
  kanal->addWidget(new QLabel(QStringLiteral("Max:"), plKanal));
  lbKanalMax = benannt(new QLabel(plKanal), "lbKanalMax");
  lbKanalMax->setMinimumWidth(90);
  kanal->addWidget(lbKanalMax);
  plKanal->hide();
  haupt->addWidget(plKanal);

  plUnten_ = benannt(new QWidget(this), "plUnten");
  auto* unten = new QHBoxLayout(plUnten_);
  unten->setContentsMargins(4, 4, 4, 4);
  lbKZahl = benannt(new QLabel(plUnten_), "lbKZahl");
  lbKZahl->setMinimumWidth(130);
  unten->addWidget(lbKZahl);
  lbWZahl = benannt(new QLabel(plUnten_), "lbWZahl");
  lbWZahl->setMinimumWidth(150);
  unten->addWidget(lbWZahl);
  unten->addSpacing(12);
  unten->addWidget(new QLabel(QStringLiteral("Lesen jede "), plUnten_));
  edInterval = benannt(new QLineEdit(QStringLiteral("1"), plUnten_), "edInterval");
  // Wide enough for an interval of seven digits; the row gives up its stretch before that.
  edInterval->setMinimumWidth(edInterval->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
  edInterval->setMaximumWidth(std::max(70, edInterval->minimumWidth()));
  unten->addWidget(edInterval);
  unten->addWidget(new QLabel(QStringLiteral("Wert"), plUnten_));
  unten->addStretch(1);
  sbWeiter = benannt(new QPushButton(QStringLiteral("Weiter"), plUnten_), "sbWeiter");
  sbWeiter->setAutoDefault(false);
  unten->addWidget(sbWeiter);
  unten->addSpacing(20);
  sbExit = benannt(new QPushButton(QStringLiteral("Exit"), plUnten_), "sbExit");
  sbExit->setToolTip(QStringLiteral("Fenster schließen"));
  sbExit->setAutoDefault(false);
  unten->addWidget(sbExit);
  unten->addStretch(1);
  haupt->addWidget(plUnten_);

  resize(560, 870);
}
