#include "calculator/dialog_bausteine.h"

#include <QIcon>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/tool_button.h"

QScrollArea* ScrollBoxErzeugen(QWidget* fenster) {
  auto* fensterLayout = new QVBoxLayout(fenster);
  fensterLayout->setContentsMargins(0, 0, 0, 0);
  auto* box = new QScrollArea(fenster);
  box->setObjectName(QStringLiteral("ScrollBox1"));
  box->setFrameShape(QFrame::NoFrame);
  box->setWidgetResizable(true);
  fensterLayout->addWidget(box);
  return box;
}

QToolBar* DialogLeisteErzeugen(QWidget* eltern) {
  auto* leiste = new QToolBar(eltern);
  leiste->setObjectName(QStringLiteral("ToolBar1"));
  leiste->setIconSize(QSize(20, 20));
  leiste->setStyleSheet(QStringLiteral("QToolBar { border: none; background: transparent; }"));
  return leiste;
}

QToolButton* DialogKnopf(QToolBar* leiste, const char* name, const QString& hinweis, const QIcon& icon,
                         bool umschalter) {
  QToolButton* tb = WerkzeugKnopf(leiste, name, hinweis, umschalter, icon);
  leiste->addWidget(tb);
  return tb;
}
