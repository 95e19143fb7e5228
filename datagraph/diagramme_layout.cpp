// Widgets of the saved-picture viewer.
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

#include "datagraph/diagramme.h"

void TfrDiagramme::LayoutErzeugen() {
  setObjectName(QStringLiteral("frDiagramme"));
  setWindowTitle(QStringLiteral(" Diagramme"));
  setAutoFillBackground(true);
  QPalette weiss = palette();
  weiss.setColor(QPalette::Window, Qt::white);
  setPalette(weiss);
  resize(600, 400);

  // The picture fills the window; the panel floats above it and is placed by hand.
  imh0 = new BildAnsicht(this);
  imh0->setObjectName(QStringLiteral("imh0"));
  imh0->hide();
  Image1 = new BildAnsicht(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(rect());

  plMenu = new QFrame(this);
  plMenu->setObjectName(QStringLiteral("plMenu"));
  plMenu->setFrameShape(QFrame::Panel);
  plMenu->setFrameShadow(QFrame::Raised);
  plMenu->setAutoFillBackground(true);
  plMenu->setCursor(Qt::SizeAllCursor);
  auto* zeile = new QHBoxLayout(plMenu);
  zeile->setContentsMargins(6, 3, 6, 3);
  zeile->setSpacing(4);
  auto knopf = [this](const char* name, const QString& text, const QString& hinweis) {
    auto* b = new QPushButton(text, plMenu);
    b->setObjectName(QString::fromLatin1(name));
    if (!hinweis.isEmpty()) b->setToolTip(hinweis);
    b->setAutoDefault(false);
    b->setCursor(Qt::ArrowCursor);
    return b;
  };
  sbLaden = knopf("sbLaden", QStringLiteral("Öffnen"), QString());
  sbPrint = knopf("sbPrint", QStringLiteral("Print"), QString());
  sbExit = knopf("sbExit", QStringLiteral("Exit"), QStringLiteral("Fenster schließen"));
  zeile->addWidget(sbLaden);
  zeile->addWidget(sbPrint);
  zeile->addWidget(sbExit);
  plMenu->adjustSize();
  plMenu->installEventFilter(this);

  connect(sbLaden, &QPushButton::clicked, this, &TfrDiagramme::sbLadenClick);
  connect(sbPrint, &QPushButton::clicked, this, &TfrDiagramme::sbPrintClick);
  connect(sbExit, &QPushButton::clicked, this, &TfrDiagramme::sbExitClick);
}
