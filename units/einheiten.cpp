#include "units/einheiten.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "platform/string_grid.h"

TfrEinheiten* frEinheiten = nullptr;

TfrEinheiten::TfrEinheiten(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frEinheiten"));
  setWindowTitle(QStringLiteral(" Einheiten-Umrechnung"));
  auto* layout = new QVBoxLayout(this);
  sg = new StringGrid(this);
  sg->setObjectName(QStringLiteral("sg"));
  sg->setColCount(3);
  sg->setRowCount(2);
  sg->setRowSelect(true);
  layout->addWidget(sg);
  cbInvers = new QCheckBox(QStringLiteral("Invers"), this);
  cbInvers->setObjectName(QStringLiteral("cbInvers"));
  layout->addWidget(cbInvers);
}

TfrEinheiten::~TfrEinheiten() {
  if (frEinheiten == this) frEinheiten = nullptr;
}
