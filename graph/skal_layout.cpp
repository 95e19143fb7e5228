// Widgets of the scaling dialog.
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "graph/skal.h"
#include "platform/string_grid.h"

void TfrSkal::LayoutErzeugen() {
  setObjectName(QStringLiteral("frSkal"));
  setWindowTitle(QStringLiteral("  Skalierung"));
  resize(300, 160);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  haupt->setSpacing(0);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  sgSkal = new StringGrid(Panel1);
  sgSkal->setObjectName(QStringLiteral("sgSkal"));
  sgSkal->setColCount(3);
  sgSkal->setRowCount(3);
  sgSkal->setFixedCols(1);
  sgSkal->setFixedRows(1);
  sgSkal->setEditing(true);
  sgSkal->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgSkal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Fixed cells in yellow.
  sgSkal->setCellColorHook([](int col, int row, QColor& hintergrund, QColor&) {
    if (col == 0 || row == 0) hintergrund = QColor(255, 255, 0);
  });
  panelLayout->addWidget(sgSkal, 1);
  haupt->addWidget(Panel1, 1);

  // The buttons are placed by SpaltenAnpassen() (centred, 20 apart).
  plKnoepfe = new QFrame(this);
  plKnoepfe->setObjectName(QStringLiteral("plKnoepfe"));
  plKnoepfe->setFixedHeight(40);
  sbSpeichern = new QPushButton(QStringLiteral("OK"), plKnoepfe);
  sbSpeichern->setObjectName(QStringLiteral("sbSpeichern"));
  sbSpeichern->setToolTip(QStringLiteral("Skalierung übernehmen"));
  sbSpeichern->setFixedSize(75, 28);
  sbSpeichern->setAutoDefault(false);
  sbExit = new QPushButton(QStringLiteral("Exit"), plKnoepfe);
  sbExit->setObjectName(QStringLiteral("sbExit"));
  sbExit->setToolTip(QStringLiteral("Fenster schließen"));
  sbExit->setFixedSize(75, 28);
  sbExit->setAutoDefault(false);
  haupt->addWidget(plKnoepfe);
}
