#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/string_grid.h"
#include "platform/tool_button.h"
#include "units/einheiten_edit.h"
#include "units/einheiten_rahmen.h"

void TfrEinheiten_Edit::LayoutErzeugen() {
  setObjectName(QStringLiteral("frEinheiten_Edit"));
  setWindowTitle(QStringLiteral(" Einheiten editieren"));
  resize(420, 400);

  QVBoxLayout* spalte = nullptr;
  QWidget* innen = RollfeldErzeugen(this, ScrollBox1, spalte);

  // The name field takes the width the buttons on the right leave.
  plEdit = new QFrame(innen);
  plEdit->setObjectName(QStringLiteral("plEdit"));
  plEdit->setFrameShape(QFrame::StyledPanel);
  auto* zeile = new QHBoxLayout(plEdit);
  zeile->setContentsMargins(4, 3, 2, 3);
  zeile->setSpacing(6);
  Edit1 = new QLineEdit(plEdit);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  zeile->addWidget(Edit1, 1);
  plR = new QFrame(plEdit);
  plR->setObjectName(QStringLiteral("plR"));
  auto* knoepfe = new QHBoxLayout(plR);
  knoepfe->setContentsMargins(0, 0, 0, 0);
  knoepfe->setSpacing(2);
  sbSpeichern = TextBildKnopf(plR, "sbSpeichern", QStringLiteral("Speichern"), QString(), QStyle::SP_DialogSaveButton);
  sbExit = TextBildKnopf(plR, "sbExit", QStringLiteral("Exit"), QStringLiteral("Fenster schließen"),
                         QStyle::SP_DialogCloseButton);
  knoepfe->addWidget(sbSpeichern);
  knoepfe->addWidget(sbExit);
  zeile->addWidget(plR);
  spalte->addWidget(plEdit);

  // The grid draws the current row itself.
  sge = EinheitenGitter(innen, "sge",
                        {QStringLiteral(" Nr"), QStringLiteral(" Einheit 1"),
                         QStringLiteral(" Einheit 2"), QStringLiteral(" Faktor")},
                        {26, 130, 130, 100}, true);
  spalte->addWidget(sge, 1);
}
