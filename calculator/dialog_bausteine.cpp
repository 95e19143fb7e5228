#include "calculator/dialog_bausteine.h"

#include <QIcon>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

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
