// Widgets of the model list.
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "datagraph/approxim.h"
#include "platform/radio_group.h"

namespace {

QPushButton* knopf(QWidget* eltern, const char* name, const QString& text) {
  auto* b = new QPushButton(text, eltern);
  b->setObjectName(QString::fromLatin1(name));
  b->setFixedSize(100, 30);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

void TfrApproxim::LayoutErzeugen() {
  setObjectName(QStringLiteral("frApproxim"));
  setWindowTitle(QStringLiteral(" Approximation"));
  resize(600, 520);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  haupt->setSpacing(0);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(8, 8, 8, 4);
  RadioGroup1 = new RadioGroup(QStringLiteral(" Approximationsansätze "), Panel1);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  for (const QString& ansatz : EingebauteAnsaetze) RadioGroup1->addItem(ansatz);
  RadioGroup1->setItemIndex(1);
  panelLayout->addWidget(RadioGroup1, 1);
  lbh = new QListWidget(Panel1);
  lbh->setObjectName(QStringLiteral("lbh"));
  lbh->hide();
  haupt->addWidget(Panel1, 1);

  // The buttons are placed by Buttonsplatzieren() (centred, 20 apart).
  plMenu = new QFrame(this);
  plMenu->setObjectName(QStringLiteral("plMenu"));
  plMenu->setFrameShape(QFrame::StyledPanel);
  plMenu->setFixedHeight(46);
  sbAppromAuswahl = knopf(plMenu, "sbAppromAuswahl", QStringLiteral("Bearbeiten"));
  sbLoschen = knopf(plMenu, "sbLoschen", QStringLiteral("Löschen"));
  OKButton = knopf(plMenu, "OKButton", QStringLiteral("OK"));
  haupt->addWidget(plMenu);
}
