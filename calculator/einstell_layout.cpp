// Builds the settings window's widgets. Both layouts live in one content widget; the curve
// panel and the results panel are shown or hidden by AnsichtAnpassen.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "calculator/dialog_bausteine.h"
#include "platform/dialog_symbole.h"
#include "calculator/einstell.h"
#include "platform/chart_view.h"
#include "platform/text_combo.h"

namespace {

QFrame* neuesPanel(QWidget* eltern, const char* name) {
  auto* p = new QFrame(eltern);
  p->setObjectName(QString::fromLatin1(name));
  p->setFrameShape(QFrame::StyledPanel);
  p->setFrameShadow(QFrame::Raised);
  return p;
}

QCheckBox* neueCheckBox(QWidget* eltern, const char* name, const QString& text, bool an) {
  auto* cb = new QCheckBox(text, eltern);
  cb->setObjectName(QString::fromLatin1(name));
  cb->setChecked(an);
  return cb;
}

TextCombo* neueStilCombo(QWidget* eltern, const QString& name, const QStringList& eintraege,
                         const QString& text) {
  auto* cb = new TextCombo(eltern);
  cb->setObjectName(name);
  cb->addItems(eintraege);
  cb->setMaxVisibleItems(eintraege.size());
  cb->setText(text);
  return cb;
}

}  // namespace

void TfrEinstell::LayoutErzeugen() {
  setWindowTitle(QStringLiteral(" Einstellung"));

  ScrollBox1 = ScrollBoxErzeugen(this);

  plInhalt = new QWidget;
  plInhalt->setObjectName(QStringLiteral("plInhalt"));
  auto* inhalt = new QVBoxLayout(plInhalt);
  inhalt->setContentsMargins(4, 4, 4, 4);
  inhalt->setSpacing(4);

  // ---- Menu panel -------------------------------------------------------------------------
  plMenu = neuesPanel(plInhalt, "plMenu");
  auto* menu = new QHBoxLayout(plMenu);
  menu->setContentsMargins(3, 3, 3, 3);
  menu->setSpacing(4);
  ToolBar1 = DialogLeisteErzeugen(plMenu);
  tbFormStyle = DialogKnopf(ToolBar1, "tbFormStyle", QStringLiteral("Fenster nach vorne verschieben"),
                            DialogSymbol::ImVordergrund(), true);
  tbFMin = DialogKnopf(ToolBar1, "tbFMin", QStringLiteral("Nach dem Programmstart  das Fenster minimalisieren"),
                       DialogSymbol::Minimiert(), true);
  tbEins_Formel = DialogKnopf(ToolBar1, "tbEins_Formel", QStringLiteral("Dateiname für Formel ändern"),
                              DialogSymbol::FormelDatei());
  tbEins_Werte = DialogKnopf(ToolBar1, "tbEins_Werte", QStringLiteral("Dateiname für Werte ändern"),
                             DialogSymbol::WerteDatei());
  menu->addWidget(ToolBar1);
  menu->addStretch(1);
  sbSpeichern = new QPushButton(QStringLiteral("Speichern"), plMenu);
  sbSpeichern->setObjectName(QStringLiteral("sbSpeichern"));
  sbSpeichern->setToolTip(QStringLiteral("Einstellung speichern und Fenster schließen"));
  sbSpeichern->setAutoDefault(false);
  sbExit = new QPushButton(QStringLiteral("Exit"), plMenu);
  sbExit->setObjectName(QStringLiteral("sbExit"));
  sbExit->setToolTip(QStringLiteral("Fenster schließen"));
  sbExit->setAutoDefault(false);
  menu->addWidget(sbSpeichern);
  menu->addWidget(sbExit);
  inhalt->addWidget(plMenu);

  // ---- Curve panel (graph layout) ---------------------------------------------------------
  plGrafik = neuesPanel(plInhalt, "plGrafik");
  auto* kurven = new QGridLayout(plGrafik);
  kurven->setContentsMargins(6, 6, 6, 6);
  kurven->setHorizontalSpacing(6);
  kurven->setVerticalSpacing(3);
  const QStringList& punktArten = ChartSeries::pointerStyleNames();
  const QStringList& linienArten = ChartSeries::penStyleNames();
  QStringList staerken;
  for (int i = 1; i <= 10; ++i) staerken << QString::number(i);
  // The layout's texts are the defaults the settings writer stores while the file is missing.
  const QStringList punktStandard = punktArten + QStringList{QStringLiteral("Circle")};
  FarbPanel** panels[] = {&plF1, &plF2, &plF3, &plF4, &plF5, &plF6, &plF7, &plF8, &plF9, &plF10};
  TextCombo** punkte[] = {&cb1, &cb2, &cb3, &cb4, &cb5, &cb6, &cb7, &cb8, &cb9, &cb10};
  TextCombo** linien[] = {&cbL1, &cbL2, &cbL3, &cbL4, &cbL5, &cbL6, &cbL7, &cbL8, &cbL9, &cbL10};
  TextCombo** breiten[] = {&cbS1, &cbS2, &cbS3, &cbS4, &cbS5, &cbS6, &cbS7, &cbS8, &cbS9, &cbS10};
  for (int n = 1; n <= 10; ++n) {
    const int z = n - 1;
    auto* nummer = new QLabel(n < 10 ? QStringLiteral(" ") + QString::number(n) : QString::number(n), plGrafik);
    nummer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    kurven->addWidget(nummer, z, 0);
    auto* panel = new FarbPanel(plGrafik);
    panel->setObjectName(QStringLiteral("plF") + QString::number(n));
    panel->setToolTip(QStringLiteral("Farbe ändern"));
    *panels[z] = panel;
    kurven->addWidget(panel, z, 1);
    *punkte[z] = neueStilCombo(plGrafik, QStringLiteral("cb") + QString::number(n), punktArten, punktStandard[z]);
    (*punkte[z])->setMinimumWidth(118);
    kurven->addWidget(*punkte[z], z, 2);
    *linien[z] = neueStilCombo(plGrafik, QStringLiteral("cbL") + QString::number(n), linienArten,
                               QStringLiteral("Solid"));
    (*linien[z])->setMinimumWidth(104);
    kurven->addWidget(*linien[z], z, 3);
    *breiten[z] = neueStilCombo(plGrafik, QStringLiteral("cbS") + QString::number(n), staerken, QStringLiteral("2"));
    (*breiten[z])->setMinimumWidth(52);
    kurven->addWidget(*breiten[z], z, 4);
  }
  kurven->setColumnStretch(2, 1);

  Panel2 = new QFrame(plGrafik);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  auto* punktPanel = new QGridLayout(Panel2);
  punktPanel->setContentsMargins(0, 6, 0, 0);
  punktPanel->setHorizontalSpacing(6);
  punktPanel->setVerticalSpacing(2);
  cbPkt_Verbinden = neueCheckBox(Panel2, "cbPkt_Verbinden", QStringLiteral("Punkte Verbinden"), true);
  cbPkt_Farbe = neueCheckBox(Panel2, "cbPkt_Farbe", QStringLiteral("Punkte Farbe"), true);
  cbPkt_Linie = neueCheckBox(Panel2, "cbPkt_Linie", QStringLiteral("Punkt Linie"), true);
  punktPanel->addWidget(cbPkt_Verbinden, 0, 0);
  punktPanel->addWidget(cbPkt_Farbe, 1, 0);
  punktPanel->addWidget(cbPkt_Linie, 2, 0);
  auto* groesseText = new QLabel(QStringLiteral("Punkt-Größe"), Panel2);
  punktPanel->addWidget(groesseText, 0, 2, Qt::AlignLeft);
  auto* groesse = new QHBoxLayout;
  groesse->setSpacing(5);  // the size shows 5 pixels left of the up-down
  lbPkt_G = new QLabel(Panel2);
  lbPkt_G->setObjectName(QStringLiteral("lbPkt_G"));
  lbPkt_G->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbPkt_G->setMinimumWidth(lbPkt_G->fontMetrics().horizontalAdvance(QStringLiteral("88")) + 2);
  UpD_PktG = new AufAbSchalter(Panel2);
  UpD_PktG->setObjectName(QStringLiteral("UpD_PktG"));
  UpD_PktG->setRange(0, 15);
  UpD_PktG->setValue(3);
  groesse->addWidget(lbPkt_G);
  groesse->addWidget(UpD_PktG);
  groesse->addStretch(1);
  punktPanel->addLayout(groesse, 1, 2, 2, 1, Qt::AlignLeft | Qt::AlignTop);
  punktPanel->setColumnStretch(1, 1);
  punktPanel->setColumnMinimumWidth(1, 12);
  kurven->addWidget(Panel2, 10, 0, 1, 5);
  inhalt->addWidget(plGrafik);

  // ---- Results panel (calculator layout) --------------------------------------------------
  plEinst = neuesPanel(plInhalt, "plEinst");
  auto* ergebnisse = new QVBoxLayout(plEinst);
  ergebnisse->setContentsMargins(8, 6, 8, 6);
  cbRes_Speich = neueCheckBox(plEinst, "cbRes_Speich", QStringLiteral("Ergebnisse Speichern"), true);
  cbErgeb_Var_Ersetzen =
      neueCheckBox(plEinst, "cbErgeb_Var_Ersetzen", QStringLiteral("Ergebnisse Ersetzen"), true);
  cbErgeb_Var_Ersetzen->setToolTip(QStringLiteral("Variable durch Zahl ersetzen (result.txt)"));
  ergebnisse->addWidget(cbRes_Speich);
  auto* ersetzen = new QHBoxLayout;
  ersetzen->setContentsMargins(18, 0, 0, 0);
  ersetzen->addWidget(cbErgeb_Var_Ersetzen);
  ergebnisse->addLayout(ersetzen);
  inhalt->addWidget(plEinst);

  // ---- Number panel (both layouts) --------------------------------------------------------
  plUnten = neuesPanel(plInhalt, "plUnten");
  auto* unten = new QVBoxLayout(plUnten);
  unten->setContentsMargins(8, 6, 8, 6);
  unten->setSpacing(4);
  Panel3 = new QFrame(plUnten);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  auto* zahlen = new QVBoxLayout(Panel3);
  zahlen->setContentsMargins(0, 0, 0, 0);
  zahlen->setSpacing(4);
  cbExponentenzeichen = neueCheckBox(Panel3, "cbExponentenzeichen", QStringLiteral("Exponentenzeichen"), false);
  zahlen->addWidget(cbExponentenzeichen);
  plEinst_Genau = new QFrame(Panel3);
  plEinst_Genau->setObjectName(QStringLiteral("plEinst_Genau"));
  auto* genau = new QGridLayout(plEinst_Genau);
  genau->setContentsMargins(0, 0, 0, 0);
  genau->setHorizontalSpacing(6);
  genau->setVerticalSpacing(4);
  genau->addWidget(new QLabel(QStringLiteral("Genauigkeit:"), plEinst_Genau), 0, 0);
  cbGenau = new QComboBox(plEinst_Genau);
  cbGenau->setObjectName(QStringLiteral("cbGenau"));
  for (int i = 0; i <= 15; ++i) cbGenau->addItem(QString::number(i));
  cbGenau->setMaxVisibleItems(16);
  cbGenau->setCurrentIndex(4);
  genau->addWidget(cbGenau, 0, 1);
  cbTrenPkt = neueCheckBox(plEinst_Genau, "cbTrenPkt", QStringLiteral("Trennpunkt"), false);
  genau->addWidget(cbTrenPkt, 1, 0);
  ComBTrenPkt = neueStilCombo(plEinst_Genau, QStringLiteral("ComBTrenPkt"),
                              {QStringLiteral(" "), QStringLiteral("."), QStringLiteral("-")}, QStringLiteral("."));
  ComBTrenPkt->setTippenErlaubt(true);  // any grouping character may be typed
  genau->addWidget(ComBTrenPkt, 1, 1);
  genau->setColumnStretch(2, 1);
  zahlen->addWidget(plEinst_Genau);
  unten->addWidget(Panel3);

  Panel4 = new QFrame(plUnten);
  Panel4->setObjectName(QStringLiteral("Panel4"));
  auto* variable = new QHBoxLayout(Panel4);
  variable->setContentsMargins(0, 0, 0, 0);
  variable->setSpacing(6);
  auto* variableText = new QLabel(QStringLiteral("Variable für Grafik:"), Panel4);
  variable->addWidget(variableText);
  cbVar = new TextCombo(Panel4);
  cbVar->setObjectName(QStringLiteral("cbVar"));
  cbVar->setMaxVisibleItems(13);
  cbVar->setText(QStringLiteral("x"));
  cbVar->setTippenErlaubt(true);  // capital letters are variables too; a blank means none
  variable->addWidget(cbVar);
  variable->addStretch(1);
  unten->addWidget(Panel4);
  inhalt->addWidget(plUnten);

  // cbGenau, ComBTrenPkt and cbVar line up.
  const int textBreite = std::max(variableText->sizeHint().width(), genau->itemAtPosition(1, 0)->sizeHint().width());
  variableText->setFixedWidth(textBreite);
  genau->setColumnMinimumWidth(0, textBreite);
  const int comboBreite = 56;
  cbGenau->setFixedWidth(comboBreite);
  ComBTrenPkt->setFixedWidth(comboBreite);
  cbVar->setFixedWidth(comboBreite);

  // ---- XY data ----------------------------------------------------------------------------
  plXYDiagr = neuesPanel(plInhalt, "plXYDiagr");
  auto* xy = new QVBoxLayout(plXYDiagr);
  xy->setContentsMargins(8, 6, 8, 6);
  cbXYDatenKAuswahl =
      neueCheckBox(plXYDiagr, "cbXYDatenKAuswahl", QStringLiteral("XY-Daten von DiaDem mit Kanalauswahl"), false);
  xy->addWidget(cbXYDatenKAuswahl);
  inhalt->addWidget(plXYDiagr);
  inhalt->addStretch(1);

  ScrollBox1->setWidget(plInhalt);
}
