#include "platform/tool_button.h"

#include <QToolButton>
#include <QWidget>

QToolButton* WerkzeugKnopf(QWidget* eltern, const char* name, const QString& hinweis, bool umschalter,
                           const QIcon& symbol, const QString& text) {
  auto* tb = new QToolButton(eltern);
  tb->setObjectName(QString::fromLatin1(name));
  tb->setToolTip(hinweis);
  tb->setCheckable(umschalter);
  tb->setAutoRaise(true);
  tb->setFocusPolicy(Qt::NoFocus);
  if (!symbol.isNull()) {
    tb->setIcon(symbol);
    tb->setIconSize(QSize(20, 20));
  } else {
    tb->setText(text);
  }
  return tb;
}

QToolButton* TextBildKnopf(QWidget* eltern, const char* name, const QString& text, const QString& hinweis,
                           QStyle::StandardPixmap bild) {
  auto* b = new QToolButton(eltern);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(text);
  b->setToolTip(hinweis);
  b->setIcon(eltern->style()->standardIcon(bild));
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}
