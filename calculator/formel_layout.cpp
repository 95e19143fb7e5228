// Builds the formula list's widgets: the tool bar on top, the grid filling the rest.
#include <QFrame>
#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "calculator/dialog_bausteine.h"
#include "platform/dialog_symbole.h"
#include "calculator/formel.h"
#include "platform/string_grid.h"

void TfrFormel::LayoutErzeugen() {
  setWindowTitle(QStringLiteral(" Formel"));
  resize(212, 579);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(2, 2, 2, 2);
  haupt->setSpacing(2);

  plMenu = new QFrame(this);
  plMenu->setObjectName(QStringLiteral("plMenu"));
  plMenu->setFrameShape(QFrame::StyledPanel);
  auto* menu = new QHBoxLayout(plMenu);
  menu->setContentsMargins(2, 1, 2, 1);
  ToolBar1 = DialogLeisteErzeugen(plMenu);
  sbForm_Einf = DialogKnopf(ToolBar1, "sbForm_Einf", QStringLiteral("Formel Einfügen"), DialogSymbol::Einfuegen());
  sbFormel_Loeschen =
      DialogKnopf(ToolBar1, "sbFormel_Loeschen", QStringLiteral("Formel Löschen"), DialogSymbol::Loeschen());
  sbFormel_Speichern =
      DialogKnopf(ToolBar1, "sbFormel_Speichern", QStringLiteral("Formel Speichern"), DialogSymbol::Speichern());
  sbRefresh = DialogKnopf(ToolBar1, "sbRefresh", QStringLiteral("Berechnen"), DialogSymbol::Berechnen());
  ToolBar1->addSeparator();
  tbFormStyle = DialogKnopf(ToolBar1, "tbFormStyle", QStringLiteral("Fenster nach vorne verschieben"),
                            DialogSymbol::ImVordergrund(), true);
  sbExit = DialogKnopf(ToolBar1, "sbExit", QStringLiteral("Fenster schließen"), DialogSymbol::Schliessen());
  menu->addWidget(ToolBar1);
  menu->addStretch(1);
  haupt->addWidget(plMenu);

  plTabelle = new QFrame(this);
  plTabelle->setObjectName(QStringLiteral("plTabelle"));
  auto* tabelle = new QVBoxLayout(plTabelle);
  tabelle->setContentsMargins(0, 0, 0, 0);
  sg1 = new StringGrid(plTabelle);
  sg1->setObjectName(QStringLiteral("sg1"));
  sg1->setColCount(3);
  sg1->setRowCount(2);
  sg1->setFixedCols(1);
  sg1->setFixedRows(1);
  sg1->setEditing(true);
  sg1->setColWidth(0, 32);
  sg1->setColWidth(1, 80);
  sg1->setColWidth(2, 70);
  // The heading row in yellow.
  sg1->setCellColorHook([](int, int row, QColor& hintergrund, QColor&) {
    if (row == 0) hintergrund = QColor(0xFF, 0xFF, 0x00);
  });
  tabelle->addWidget(sg1);
  haupt->addWidget(plTabelle, 1);
}
