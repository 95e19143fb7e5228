// Builds the about box: name, version and links on a navy panel, the buttons below.
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "calculator/about.h"
#include "calculator/dialog_bausteine.h"
#include "platform/dialog_symbole.h"

namespace {

QLabel* neuesLabel(QWidget* eltern, const char* name, const QString& text, int pixel, bool fett,
                   const QColor& farbe = Qt::white) {
  auto* l = new QLabel(text, eltern);
  l->setObjectName(QString::fromLatin1(name));
  QFont f = l->font();
  f.setPixelSize(pixel);
  f.setBold(fett);
  l->setFont(f);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, farbe);
  l->setPalette(pal);
  return l;
}

QLabel* neuerLink(QWidget* eltern, const char* name, const QString& text, const QString& hinweis) {
  QLabel* l = neuesLabel(eltern, name, text, 13, false, QColor(140, 200, 255));
  QFont f = l->font();
  f.setUnderline(true);
  l->setFont(f);
  l->setToolTip(hinweis);
  l->setCursor(Qt::PointingHandCursor);
  return l;
}

}  // namespace

void TfrAbout::LayoutErzeugen() {
  setWindowTitle(QStringLiteral(" About"));
  QPalette navy = palette();
  navy.setColor(QPalette::Window, QColor(0, 0, 128));
  setPalette(navy);
  setAutoFillBackground(true);

  ScrollBox1 = ScrollBoxErzeugen(this);
  ScrollBox1->setPalette(navy);

  auto* flaeche = new QWidget;
  flaeche->setPalette(navy);
  flaeche->setAutoFillBackground(true);
  auto* spalte = new QVBoxLayout(flaeche);
  spalte->setContentsMargins(25, 20, 25, 16);
  spalte->setSpacing(14);

  plInhalt = new QFrame(flaeche);
  plInhalt->setObjectName(QStringLiteral("plInhalt"));
  plInhalt->setFrameShape(QFrame::Box);
  plInhalt->setFrameShadow(QFrame::Plain);
  QPalette rahmen = navy;
  rahmen.setColor(QPalette::WindowText, QColor(90, 110, 190));
  plInhalt->setPalette(rahmen);
  auto* inhalt = new QGridLayout(plInhalt);
  inhalt->setContentsMargins(18, 16, 18, 16);
  inhalt->setHorizontalSpacing(18);
  inhalt->setVerticalSpacing(6);

  ProgramIcon = new QLabel(plInhalt);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setPixmap(DialogSymbol::Programm().pixmap(48, 48));
  inhalt->addWidget(ProgramIcon, 0, 0, 3, 1, Qt::AlignTop);
  ProductName = neuesLabel(plInhalt, "ProductName", QString::fromLatin1(ProgrammName), 26, true);
  inhalt->addWidget(ProductName, 0, 1);
  Label1 = neuesLabel(plInhalt, "Label1", QStringLiteral("für Windows"), 13, false, QColor(210, 220, 255));
  inhalt->addWidget(Label1, 1, 1);
  lbVersion = neuesLabel(plInhalt, "lbVersion", QStringLiteral("Version ") + QString::fromLatin1(ProgrammVersion),
                         15, true);
  inhalt->addWidget(lbVersion, 2, 1);
  inhalt->setRowMinimumHeight(3, 10);
  lbMail2 = neuerLink(plInhalt, "lbMail2", QString::fromLatin1(KontaktAdresse), QStringLiteral("E-Mail Senden"));
  inhalt->addWidget(lbMail2, 4, 0, 1, 2);
  Label2 = neuesLabel(plInhalt, "Label2", QStringLiteral("Programm-Update:"), 13, false, QColor(210, 220, 255));
  inhalt->addWidget(Label2, 5, 0, 1, 2);
  Label3 = neuerLink(plInhalt, "Label3", QString::fromLatin1(UpdateAdresse), QStringLiteral("Programm Updates"));
  inhalt->addWidget(Label3, 6, 0, 1, 2);
  spalte->addWidget(plInhalt);

  plMenu = new QFrame(flaeche);
  plMenu->setObjectName(QStringLiteral("plMenu"));
  auto* menu = new QHBoxLayout(plMenu);
  menu->setContentsMargins(0, 0, 0, 0);
  menu->setSpacing(10);
  sbDesktop = new QPushButton(QStringLiteral("Desktop"), plMenu);
  sbDesktop->setObjectName(QStringLiteral("sbDesktop"));
  sbDesktop->setToolTip(QStringLiteral("Verknüpfung mit dem Programm Kolvane auf dem Desktop erstellen"));
  sbDesktop->setAutoDefault(false);
  OKButton = new QPushButton(QStringLiteral("OK"), plMenu);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  for (QPushButton* b : {sbDesktop, OKButton}) {
    b->setMinimumWidth(90);
    b->setPalette(QPalette());  // ordinary buttons on the navy background
  }
  menu->addWidget(sbDesktop);
  menu->addStretch(1);
  menu->addWidget(OKButton);
  spalte->addWidget(plMenu);
  spalte->addStretch(1);

  ScrollBox1->setWidget(flaeche);
}
