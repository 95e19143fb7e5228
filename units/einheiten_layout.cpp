#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/bgr_color.h"
#include "platform/string_grid.h"
#include "units/einheiten_ecke.h"
#include "units/einheiten.h"

void TfrEinheiten::LayoutErzeugen() {
  setObjectName(QStringLiteral("frEinheiten"));
  setWindowTitle(QStringLiteral(" Einheiten - Umrechnung"));
  setWindowFlag(Qt::Tool, true);
  resize(340, 200);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setWidgetResizable(true);
  ScrollBox1->setFrameShape(QFrame::NoFrame);
  haupt->addWidget(ScrollBox1);

  auto* innen = new QWidget(ScrollBox1);
  auto* spalte = new QVBoxLayout(innen);
  spalte->setContentsMargins(2, 2, 2, 2);
  spalte->setSpacing(2);
  ScrollBox1->setWidget(innen);

  plTop = new QFrame(innen);
  plTop->setObjectName(QStringLiteral("plTop"));
  plTop->setFrameShape(QFrame::StyledPanel);
  auto* oben = new QHBoxLayout(plTop);
  oben->setContentsMargins(3, 3, 3, 3);
  oben->setSpacing(6);
  cb1 = new QComboBox(plTop);
  cb1->setObjectName(QStringLiteral("cb1"));
  // Already in the collated order that new categories are inserted into.
  cb1->addItems({QStringLiteral("Einheiten des fps- in das SI-System"), QStringLiteral("Flächenmaße"),
                 QStringLiteral("Längenmaße"), QStringLiteral("Raummaße")});
  cb1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cb1->setMinimumContentsLength(12);
  oben->addWidget(cb1, 1);
  cbInvers = new QCheckBox(QStringLiteral("Invers"), plTop);
  cbInvers->setObjectName(QStringLiteral("cbInvers"));
  oben->addWidget(cbInvers);
  sbEdit = new QToolButton(plTop);
  sbEdit->setObjectName(QStringLiteral("sbEdit"));
  sbEdit->setToolTip(QStringLiteral("Editieren"));
  sbEdit->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  sbEdit->setAutoRaise(true);
  sbEdit->setFocusPolicy(Qt::NoFocus);
  oben->addWidget(sbEdit);
  spalte->addWidget(plTop);

  sg = new StringGrid(innen);
  sg->setObjectName(QStringLiteral("sg"));
  sg->setColCount(3);
  sg->setRowCount(2);
  sg->setFixedCols(1);
  sg->setFixedRows(1);
  sg->setEditing(false);
  sg->setRowSelect(true);
  // The grid draws the selected row itself (green, or as a title row when it is one).
  sg->setSelectionMode(QAbstractItemView::NoSelection);
  QFont fett = sg->font();
  fett.setBold(true);
  sg->setFont(fett);
  sg->horizontalHeader()->setFont(fett);
  sg->verticalHeader()->setFont(fett);
  sg->setDefaultRowHeight(20);
  sg->setColWidth(0, 26);
  sg->setColWidth(1, 190);
  sg->setColWidth(2, 80);
  sg->setCells(0, 0, QStringLiteral(" Nr"));
  sg->setCells(1, 0, QStringLiteral("  Umrechnung"));
  sg->setCells(2, 0, QStringLiteral(" Faktor"));
  // A window wider than the columns gives the rest to the factors, which can be long.
  sg->horizontalHeader()->setStretchLastSection(true);
  EckeBeschriften(sg);
  spalte->addWidget(sg, 1);
}
