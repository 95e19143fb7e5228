#include <QFrame>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "calculator/konstante.h"
#include "platform/string_grid.h"
#include "platform/tool_button.h"

void TfrKonstante::LayoutErzeugen() {
  setObjectName(QStringLiteral("frKonstante"));
  setWindowTitle(QStringLiteral(" Werte"));
  resize(200, 575);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(2, 2, 2, 2);
  haupt->setSpacing(2);

  sgK = new StringGrid(this);
  sgK->setObjectName(QStringLiteral("sgK"));
  sgK->setColCount(2);
  sgK->setRowCount(53);
  sgK->setFixedCols(1);
  sgK->setFixedRows(1);
  sgK->setColWidth(0, 23);
  sgK->setCells(0, 0, QStringLiteral("Var"));
  sgK->setCells(1, 0, QStringLiteral("     Wert"));
  // The heading row in lime.
  sgK->setCellColorHook([](int, int row, QColor& hintergrund, QColor&) {
    if (row == 0) hintergrund = QColor(0x00, 0xFF, 0x00);
  });
  haupt->addWidget(sgK, 1);

  // The buttons sit in plZ, which resizeEvent keeps centred in plUnten.
  plUnten = new QFrame(this);
  plUnten->setObjectName(QStringLiteral("plUnten"));
  plUnten->setFrameShape(QFrame::StyledPanel);
  plZ = new QFrame(plUnten);
  plZ->setObjectName(QStringLiteral("plZ"));
  auto* knoepfe = new QHBoxLayout(plZ);
  knoepfe->setContentsMargins(0, 0, 0, 0);
  knoepfe->setSpacing(2);
  sbRefresh = TextBildKnopf(plZ, "sbRefresh", QStringLiteral("="), QStringLiteral("Berechnen"),
                    QStyle::SP_BrowserReload);
  Speichern = TextBildKnopf(plZ, "Speichern", QString(), QStringLiteral("Werte Speichern"),
                    QStyle::SP_DialogSaveButton);
  tbFormStyle = TextBildKnopf(plZ, "tbFormStyle", QString(),
                      QStringLiteral("Fenster nach vorne verschieben"), QStyle::SP_TitleBarShadeButton);
  tbFormStyle->setCheckable(true);
  sbExit = TextBildKnopf(plZ, "sbExit", QString(), QStringLiteral("Fenster schließen"),
                 QStyle::SP_DialogCloseButton);
  for (QToolButton* b : {sbRefresh, Speichern, tbFormStyle, sbExit}) knoepfe->addWidget(b);
  plZ->adjustSize();
  plUnten->setFixedHeight(plZ->height() + 6);
  plZ->move(0, 3);
  haupt->addWidget(plUnten);
}
