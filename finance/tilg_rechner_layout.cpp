// Widgets of the loan calculator.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/radio_group.h"
#include "finance/tilg_rechner.h"
#include "platform/bgr_color.h"
#include "platform/string_grid.h"

namespace {

constexpr int kHinweisDauerMs = 10000;

template <typename T>
T* Neu(QWidget* parent, const char* name) {
  auto* w = new T(parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* Beschriftung(QWidget* parent, const char* name, const QString& text, const QString& hinweis) {
  auto* l = Neu<QLabel>(parent, name);
  l->setText(text);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (!hinweis.isEmpty()) l->setToolTip(hinweis);
  l->setToolTipDuration(kHinweisDauerMs);
  return l;
}

QCheckBox* Schalter(QWidget* parent, const char* name, const QString& text, const QString& hinweis) {
  auto* c = Neu<QCheckBox>(parent, name);
  c->setText(text);
  c->setLayoutDirection(Qt::RightToLeft);  // caption left of the box, as the labels
  c->setToolTip(hinweis);
  c->setToolTipDuration(kHinweisDauerMs);
  return c;
}

QLineEdit* Feld(QWidget* parent, const char* name, int breite = 110) {
  auto* e = Neu<QLineEdit>(parent, name);
  e->setFixedWidth(breite);
  e->setAlignment(Qt::AlignRight);
  return e;
}

QComboBox* Auswahl(QWidget* parent, const char* name, const QStringList& items, int breite = 140) {
  auto* c = Neu<QComboBox>(parent, name);
  c->addItems(items);
  c->setFixedWidth(breite);
  return c;
}

// A field with what stands right of it, left-aligned in its cell.
QWidget* Zeile(QWidget* parent, std::initializer_list<QWidget*> teile) {
  auto* box = new QWidget(parent);
  auto* zeile = new QHBoxLayout(box);
  zeile->setContentsMargins(0, 0, 0, 0);
  zeile->setSpacing(6);
  for (QWidget* w : teile) zeile->addWidget(w);
  zeile->addStretch(1);
  return box;
}

}  // namespace

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

  const QStringList intervalle{QStringLiteral("monatlich"), QStringLiteral("vierteljährlich"),
                               QStringLiteral("halbjährlich"), QStringLiteral("jährlich")};

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
  edRestschuld = Feld(plH, "edRestschuld", 140);
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
  raster->addWidget(Zeile(plH, {edRestschuld}), z++, 1);
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

  plESC = Neu<QFrame>(this, "plESC");
  plESC->setFrameShape(QFrame::Panel);
  plESC->setFrameShadow(QFrame::Raised);
  {
    auto* zeile = new QHBoxLayout(plESC);
    zeile->setContentsMargins(4, 2, 4, 2);
    auto* text = new QLabel(QStringLiteral("Mit ESC-Taste abbrechen"), plESC);
    text->setAlignment(Qt::AlignCenter);
    zeile->addWidget(text);
  }
  plESC->hide();

  plFormel_Unten = Neu<QFrame>(this, "plFormel_Unten");
  plFormel_Unten->setFixedHeight(42);
  plFormel_Unten->setFrameShape(QFrame::StyledPanel);
  sbBerechnen = Neu<QPushButton>(plFormel_Unten, "sbBerechnen");
  sbBerechnen->setText(QStringLiteral("Berechnen"));
  sbBerechnen->setToolTip(QStringLiteral("Berechnen"));
  sbBerechnen->setFixedSize(90, 28);
  sbBerechnen->setAutoDefault(false);
  sbExit = Neu<QPushButton>(plFormel_Unten, "sbExit");
  sbExit->setText(QStringLiteral("Exit"));
  sbExit->setToolTip(QStringLiteral("Fenster schließen"));
  sbExit->setFixedSize(90, 28);
  sbExit->setAutoDefault(false);
  haupt->addWidget(plFormel_Unten);
  haupt->addWidget(plESC);
  resize(748, 640);
}
