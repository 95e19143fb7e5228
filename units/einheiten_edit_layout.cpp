#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/string_grid.h"
#include "units/einheiten_ecke.h"
#include "units/einheiten_edit.h"

namespace {
QToolButton* Knopf(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap bild) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(text);
  b->setIcon(parent->style()->standardIcon(bild));
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}
}  // namespace

void TfrEinheiten_Edit::LayoutErzeugen() {
  setObjectName(QStringLiteral("frEinheiten_Edit"));
  setWindowTitle(QStringLiteral(" Einheiten editieren"));
  resize(420, 400);

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
  sbSpeichern = Knopf(plR, "sbSpeichern", QStringLiteral("Speichern"), QStyle::SP_DialogSaveButton);
  sbExit = Knopf(plR, "sbExit", QStringLiteral("Exit"), QStyle::SP_DialogCloseButton);
  sbExit->setToolTip(QStringLiteral("Fenster schließen"));
  knoepfe->addWidget(sbSpeichern);
  knoepfe->addWidget(sbExit);
  zeile->addWidget(plR);
  spalte->addWidget(plEdit);

  sge = new StringGrid(innen);
  sge->setObjectName(QStringLiteral("sge"));
  sge->setColCount(4);
  sge->setRowCount(2);
  sge->setFixedCols(1);
  sge->setFixedRows(1);
  sge->setEditing(true);
  // The grid draws the current row itself.
  sge->setSelectionMode(QAbstractItemView::NoSelection);
  QFont fett = sge->font();
  fett.setBold(true);
  sge->setFont(fett);
  sge->horizontalHeader()->setFont(fett);
  sge->verticalHeader()->setFont(fett);
  sge->setDefaultRowHeight(20);
  sge->setColWidth(0, 26);
  sge->setColWidth(1, 130);
  sge->setColWidth(2, 130);
  sge->setColWidth(3, 100);
  sge->setCells(0, 0, QStringLiteral(" Nr"));
  sge->setCells(1, 0, QStringLiteral(" Einheit 1"));
  sge->setCells(2, 0, QStringLiteral(" Einheit 2"));
  sge->setCells(3, 0, QStringLiteral(" Faktor"));
  sge->horizontalHeader()->setStretchLastSection(true);
  EckeBeschriften(sge);
  spalte->addWidget(sge, 1);
}
