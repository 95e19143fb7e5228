// Widgets of the loan calculator.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/radio_group.h"
#include "finance/finanz_fenster.h"
#include "finance/tilg_rechner.h"
#include "platform/bgr_color.h"
#include "platform/string_grid.h"

using finanz::Auswahl;
using finanz::Beschriftung;
using finanz::Feld;
using finanz::kHinweisDauerMs;
using finanz::Neu;
using finanz::Schalter;
using finanz::Zeile;

void TfrTilgRechner::LayoutErzeugen() {
  setObjectName(QStringLiteral("frTilgRechner"));
  setWindowTitle(QStringLiteral("Tilgungsrechner"));

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  haupt->setSpacing(0);

  plH = Neu<QFrame>(this, "plH");
  auto* raster = new QGridLayout(plH);
  raster->setContentsMargins(12, 10, 12, 6);
  raster->setHorizontalSpacing(8);
  raster->setVerticalSpacing(5);
  haupt->addWidget(plH);

  const QStringList intervalle = finanz::Intervalle();

  lbDarlehensbetrag = Beschriftung(plH, "lbDarlehensbetrag", QStringLiteral("Darlehensbetrag:"),
                                   QStringLiteral("Die Höhe des Darlehens."));
  edDarlehensbetrag = Feld(plH, "edDarlehensbetrag");
  cbBearbeitungsgebuhr = Schalter(
      plH, "cbBearbeitungsgebuhr", QStringLiteral("Bearbeitungsgebühr:"),
      QStringLiteral("Bearbeitungsgebühr oder Abschlußgebühr wird bei Darlehensauszahlung "
                     "fällig."));
  edBearbeitungsgebuhr = Feld(plH, "edBearbeitungsgebuhr");
  lbB = Neu<QLabel>(plH, "lbB");
  lbB->setText(QStringLiteral("€"));
  lbBkeine = Neu<QLabel>(plH, "lbBkeine");
  lbBkeine->setText(QStringLiteral("keine"));
  cbDisagio = Schalter(
      plH, "cbDisagio", QStringLiteral("Disagio:"),
      QStringLiteral("Das Disagio - auch Abgeld oder Damnum genannt -\nist prozentueler Abschlag "
                     "vom Darlehensbetrag, der vom Darlehensgeber einbehalten wird.\nDer "
                     "Darlehensnehmer muss vollen Darlehensbetrag zurückzahlen."));
  edDisagio = Feld(plH, "edDisagio");
  lbD = Neu<QLabel>(plH, "lbD");
  lbD->setText(QStringLiteral("%"));
  lbDkeine = Neu<QLabel>(plH, "lbDkeine");
  lbDkeine->setText(QStringLiteral("keine"));
  lbZinssatz = Beschriftung(plH, "lbZinssatz", QStringLiteral("Zinssatz:"),
                            QStringLiteral("Jahreszinssatz."));
  edZinssatz = Feld(plH, "edZinssatz");
  lbZinszahlungsintervall =
      Beschriftung(plH, "lbZinszahlungsintervall", QStringLiteral("Zinsperiode:"),
                   QStringLiteral("Die Zinsperiode bezeichnet die Häufigkeit der Zinsbelastung."));
  cbZinszahlungsintervall = Auswahl(plH, "cbZinszahlungsintervall", intervalle);
  cbZinseZahlen = Neu<QCheckBox>(plH, "cbZinseZahlen");
  cbZinseZahlen->setText(QStringLiteral("Zinse Zahlen"));
  cbZinseZahlen->setToolTip(
      QStringLiteral("Die Einstellung Zinse Zahlen gibt an, ob Zinse jede Zinsperiode bezahlat "
                     "werden oder Darlehensbetrag zugeschlagen werden."));
  cbZinseZahlen->setToolTipDuration(kHinweisDauerMs);
  lbTilgungsrate = Beschriftung(plH, "lbTilgungsrate", QStringLiteral("Tilgungsrate:"),
                                QStringLiteral("Geleistete Rückzahlung des Darlehens"));
  edTilgungsrate = Feld(plH, "edTilgungsrate");
  lbTilgungsintervall = Beschriftung(
      plH, "lbTilgungsintervall", QStringLiteral("Tilgungsintervall:"),
      QStringLiteral("Das Tilgungsintervall gibt an, in welchen zeitlichen Abständen die "
                     "regelmäßige Tilgungsrate geleistet wird.\n(monatlich, 1/4 Jahr, 1/2 Jahr "
                     "oder jährlich)"));
  cbTilgungsintervall = Auswahl(plH, "cbTilgungsintervall", intervalle);
  lbTilgungsdauer =
      Beschriftung(plH, "lbTilgungsdauer", QStringLiteral("Tilgungsdauer:"),
                   QStringLiteral("Die Tilgungsdauer ist der Zeitraum der Tilgungszaahlungen."));
  edTilgungsdauer = Feld(plH, "edTilgungsdauer", 60);
  cbTilgungsdauer =
      Auswahl(plH, "cbTilgungsdauer", {QStringLiteral("Jahre"), QStringLiteral("Monate")}, 90);
  lbRestschuld = Beschriftung(
      plH, "lbRestschuld", QStringLiteral("Restschuld:"),
      QStringLiteral("Die Restschuld ist die verbleibende Schuld zum Ende der Laufzeit."));
  edRestschuld = finanz::ErgebnisFeld(plH, "edRestschuld", 140);
  {
    QPalette pal = edRestschuld->palette();
    pal.setColor(QPalette::Base, QColor(255, 255, 0));
    edRestschuld->setPalette(pal);
  }
  lbZinse = Beschriftung(plH, "lbZinse", QStringLiteral("Zinse:"), QString());
  lbZinseG = Neu<QLabel>(plH, "lbZinseG");
  lbGesamt = Neu<QLabel>(plH, "lbGesamt");
  lbGesamt->setText(QStringLiteral("Gesamt: "));

  rg1 = new RadioGroup(QStringLiteral(" Berechnen "),
                       {QStringLiteral("Darlehensbetrag"), QStringLiteral("Tilgungsrate"),
                        QStringLiteral("Tilgungsdauer"), QStringLiteral("Restschuld")},
                       plH);
  rg1->setObjectName(QStringLiteral("rg1"));

  int z = 0;
  raster->addWidget(lbDarlehensbetrag, z, 0);
  raster->addWidget(Zeile(plH, {edDarlehensbetrag, new QLabel(QStringLiteral("€"), plH)}), z++, 1);
  raster->addWidget(cbBearbeitungsgebuhr, z, 0, Qt::AlignRight);
  raster->addWidget(Zeile(plH, {edBearbeitungsgebuhr, lbB, lbBkeine}), z++, 1);
  raster->addWidget(cbDisagio, z, 0, Qt::AlignRight);
  raster->addWidget(Zeile(plH, {edDisagio, lbD, lbDkeine}), z++, 1);
  raster->addWidget(lbZinssatz, z, 0);
  raster->addWidget(Zeile(plH, {edZinssatz, new QLabel(QStringLiteral("%"), plH)}), z++, 1);
  raster->addWidget(lbZinszahlungsintervall, z, 0);
  raster->addWidget(Zeile(plH, {cbZinszahlungsintervall, cbZinseZahlen}), z++, 1);
  raster->addWidget(lbTilgungsrate, z, 0);
  raster->addWidget(Zeile(plH, {edTilgungsrate, new QLabel(QStringLiteral("€"), plH)}), z++, 1);
  raster->addWidget(lbTilgungsintervall, z, 0);
  raster->addWidget(cbTilgungsintervall, z++, 1);
  raster->addWidget(lbTilgungsdauer, z, 0);
  raster->addWidget(Zeile(plH, {edTilgungsdauer, cbTilgungsdauer}), z++, 1);
  raster->addWidget(rg1, 0, 2, z, 1);
  raster->addWidget(lbRestschuld, z, 0);
  raster->addWidget(edRestschuld, z++, 1, 1, 2);
  raster->addWidget(lbZinse, z, 0);
  raster->addWidget(lbZinseG, z++, 1, 1, 2);
  raster->addWidget(lbGesamt, z++, 1, 1, 2);
  raster->setColumnStretch(1, 1);

  pl0 = Neu<QFrame>(this, "pl0");
  {
    auto* l = new QVBoxLayout(pl0);
    l->setContentsMargins(4, 4, 4, 4);
    sg1 = Neu<StringGrid>(pl0, "sg1");
    l->addWidget(sg1);
  }
  sg1->setColCount(finanz::kTilgSpalten);
  sg1->setRowCount(2);
  sg1->setFixedRows(1);
  sg1->setFixedCols(0);
  sg1->setRowSelect(true);
  sg1->setDefaultRowHeight(20);
  sg1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  sg1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  {
    const int breiten[finanz::kTilgSpalten] = {30, 40, 80, 80, 80, 115, 80};
    for (int s = 0; s < finanz::kTilgSpalten; ++s) {
      sg1->setCells(s, 0, QString::fromUtf8(finanz::kTilgKoepfe[static_cast<size_t>(s)]));
      sg1->setColWidth(s, breiten[s]);
    }
    // The marked row keeps its own colour under the selection.
    QPalette pal = sg1->palette();
    pal.setColor(QPalette::Highlight, colorFromBgr(0xC5FECC));
    pal.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
    sg1->setPalette(pal);
  }
  pl0->setMinimumHeight(200);
  haupt->addWidget(pl0, 1);

  finanz::KnopfleisteErzeugen(this, haupt, plESC, plFormel_Unten, sbBerechnen, sbExit);
  resize(748, 640);
}
