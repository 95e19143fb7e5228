#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/bgr_color.h"
#include "platform/string_grid.h"
#include "units/einheiten.h"
#include "units/einheiten_rahmen.h"

void TfrEinheiten::LayoutErzeugen() {
  setObjectName(QStringLiteral("frEinheiten"));
  setWindowTitle(QStringLiteral(" Einheiten - Umrechnung"));
  setWindowFlag(Qt::Tool, true);
  resize(340, 200);

  QVBoxLayout* spalte = nullptr;
  QWidget* innen = RollfeldErzeugen(this, ScrollBox1, spalte);

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
  // The box is wide enough for the longest built-in name, so that it reads whole; its list
  // opens as wide as the longest name, a category file's too.
  cb1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  cb1->setMinimumWidth(cb1->sizeHint().width());
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

  // The grid draws the selected row itself (green, or as a title row when it is one).
  sg = EinheitenGitter(innen, "sg",
                       {QStringLiteral(" Nr"), QStringLiteral("  Umrechnung"), QStringLiteral(" Faktor")},
                       {26, 190, 80}, false);
  spalte->addWidget(sg, 1);
  // Never so narrow that the scroll box would hide the end of the top row.
  setMinimumWidth(innen->minimumSizeHint().width());
}
