// Builds the formula list's widgets: the tool bar on top, the grid filling the rest.
#include <QFrame>
#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "calculator/dialog_symbole.h"
#include "calculator/formel.h"
#include "platform/string_grid.h"

namespace {

QToolButton* neuerKnopf(QToolBar* leiste, const char* name, const QString& hinweis, const QIcon& icon,
                        bool umschalter = false) {
  auto* tb = new QToolButton(leiste);
  tb->setObjectName(QString::fromLatin1(name));
  tb->setToolTip(hinweis);
  tb->setIcon(icon);
  tb->setIconSize(QSize(20, 20));
  tb->setAutoRaise(true);
  tb->setCheckable(umschalter);
  tb->setFocusPolicy(Qt::NoFocus);
  leiste->addWidget(tb);
  return tb;
}

}  // namespace

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
  ToolBar1 = new QToolBar(plMenu);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setIconSize(QSize(20, 20));
  ToolBar1->setStyleSheet(QStringLiteral("QToolBar { border: none; background: transparent; }"));
  sbForm_Einf = neuerKnopf(ToolBar1, "sbForm_Einf", QStringLiteral("Formel Einfügen"), DialogSymbol::Einfuegen());
  sbFormel_Loeschen =
      neuerKnopf(ToolBar1, "sbFormel_Loeschen", QStringLiteral("Formel Löschen"), DialogSymbol::Loeschen());
  sbFormel_Speichern =
      neuerKnopf(ToolBar1, "sbFormel_Speichern", QStringLiteral("Formel Speichern"), DialogSymbol::Speichern());
  sbRefresh = neuerKnopf(ToolBar1, "sbRefresh", QStringLiteral("Berechnen"), DialogSymbol::Berechnen());
  ToolBar1->addSeparator();
  tbFormStyle = neuerKnopf(ToolBar1, "tbFormStyle", QStringLiteral("Fenster nach vorne verschieben"),
                           DialogSymbol::ImVordergrund(), true);
  sbExit = neuerKnopf(ToolBar1, "sbExit", QStringLiteral("Fenster schließen"), DialogSymbol::Schliessen());
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
