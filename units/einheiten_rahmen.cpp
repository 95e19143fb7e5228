#include "units/einheiten_rahmen.h"

#include <QFrame>
#include <QHeaderView>
#include <QScrollArea>
#include <QVBoxLayout>

#include "platform/string_grid.h"

QWidget* RollfeldErzeugen(QWidget* fenster, QScrollArea*& ScrollBox1, QVBoxLayout*& spalte) {
  auto* haupt = new QVBoxLayout(fenster);
  haupt->setContentsMargins(0, 0, 0, 0);
  ScrollBox1 = new QScrollArea(fenster);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setWidgetResizable(true);
  ScrollBox1->setFrameShape(QFrame::NoFrame);
  haupt->addWidget(ScrollBox1);

  auto* innen = new QWidget(ScrollBox1);
  spalte = new QVBoxLayout(innen);
  spalte->setContentsMargins(2, 2, 2, 2);
  spalte->setSpacing(2);
  ScrollBox1->setWidget(innen);
  return innen;
}

StringGrid* EinheitenGitter(QWidget* parent, const char* name, const QStringList& koepfe,
                            std::initializer_list<int> breiten, bool editieren) {
  auto* g = new StringGrid(parent);
  g->setObjectName(QString::fromLatin1(name));
  g->setColCount(static_cast<int>(koepfe.size()));
  g->setRowCount(2);
  g->setFixedCols(1);
  g->setFixedRows(1);
  g->setEditing(editieren);
  if (!editieren) g->setRowSelect(true);
  g->setSelectionMode(QAbstractItemView::NoSelection);
  QFont fett = g->font();
  fett.setBold(true);
  g->setFont(fett);
  g->horizontalHeader()->setFont(fett);
  g->verticalHeader()->setFont(fett);
  g->setDefaultRowHeight(20);
  int spalte = 0;
  for (const int breite : breiten) g->setColWidth(spalte++, breite);
  for (int s = 0; s < koepfe.size(); ++s) g->setCells(s, 0, koepfe[s]);
  // The columns keep their widths in a wider window; the rest stays empty.
  g->horizontalHeader()->setStretchLastSection(false);
  return g;
}
