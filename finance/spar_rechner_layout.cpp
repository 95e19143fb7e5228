// Widgets of the savings calculator.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/radio_group.h"
#include "finance/finanz_fenster.h"
#include "finance/spar_rechner.h"

namespace {

using finanz::Auswahl;
using finanz::Beschriftung;
using finanz::Feld;
using finanz::Neu;
using finanz::Schalter;
using finanz::Zeile;

QLabel* Einheit(QWidget* parent, const QString& text) {
  auto* l = new QLabel(text, parent);
  return l;
}

}  // namespace

void TfrSparRechner::LayoutErzeugen() {
  setObjectName(QStringLiteral("frSparRechner"));
  setWindowTitle(QStringLiteral(" Sparbuch-Rechner"));

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  haupt->setSpacing(0);

  plH = Neu<QFrame>(this, "plH");
  auto* raster = new QGridLayout(plH);
  raster->setContentsMargins(12, 12, 12, 8);
  raster->setHorizontalSpacing(8);
  raster->setVerticalSpacing(6);
  haupt->addWidget(plH, 1);

  const QStringList intervalle = finanz::Intervalle();
  const QStringList einheiten{QStringLiteral("Jahre"), QStringLiteral("Monate")};

  lbAnfangskapital = Beschriftung(
      plH, "lbAnfangskapital", QStringLiteral("Anfangskapital:"),
      QStringLiteral("Das Anfangskapital ist eine zu Beginn des Sparvorhabens investierte "
                     "Einmalanlage: Startkapital\nWenn nur regelmäßige Sparraten geleistet "
                     "werden, setzen Sie das Anfangskapital auf 0."));
  edAnfangskapital = Feld(plH, "edAnfangskapital");
  lbSparrate = Beschriftung(
      plH, "lbSparrate", QStringLiteral("Sparrate:"),
      QStringLiteral("Die Sparrate ist regelmäßig (monatlich, 1/4 Jahr, 1/2 Jahr oder jährlich) "
                     "geleisteter Sparbeitrag.\nDie Einzahlung der Sparraten kann vorschüssig "
                     "(zu Beginn des Sparintervall)\noder nachschüssig (zum Ende des "
                     "Sparintervall)"));
  edSparrate = Feld(plH, "edSparrate");
  lbSparintervall = Beschriftung(
      plH, "lbSparintervall", QStringLiteral("Sparintervall:"),
      QStringLiteral("Das Sparintervall gibt an, in welchen zeitlichen Abständen die regelmäßige "
                     "Sparrate geleistet wird.\n(monatlich, 1/4 Jahr, 1/2 Jahr oder jährlich)"));
  cbSparintervall = Auswahl(plH, "cbSparintervall", intervalle);
  lbEinzahlungsart = Beschriftung(
      plH, "lbEinzahlungsart", QStringLiteral("Einzahlungsart:"),
      QStringLiteral("Die Einzahlungsart gibt an, ob die regelmäßige Sparraten vorschüssig oder "
                     "nachschüssig eingezahlt werden.\nBei vorschüssiger Einzahlung wird "
                     "Sparrate immer zu Beginn des Sparintervalls geleistet.\nBei "
                     "nachschüssiger Einzahlung dagegen immer zum Ende des Sparintervalls."));
  cbEinzahlungsart = Auswahl(plH, "cbEinzahlungsart",
                             {QStringLiteral("vorschüssig"), QStringLiteral("nachschüssig")});

  chbDynamik = Schalter(
      plH, "chbDynamik", QStringLiteral("Dynamik:"),
      QStringLiteral("Die Dynamik gibt die prozentuale jährliche Erhöhung (immer zum Ende eines "
                     "Sparjahres) der regelmäßigen Sparrate an."));
  plDynamik = Neu<QFrame>(plH, "plDynamik");
  {
    auto* zeile = new QHBoxLayout(plDynamik);
    zeile->setContentsMargins(0, 0, 0, 0);
    zeile->setSpacing(4);
    edDynamik = Feld(plDynamik, "edDynamik", 60);
    zeile->addWidget(edDynamik);
    zeile->addWidget(Einheit(plDynamik, QStringLiteral("%")));
    cbDynamik = Auswahl(plDynamik, "cbDynamik",
                        {QStringLiteral("jährlich"), QStringLiteral("alle 2 Jahre"),
                         QStringLiteral("alle 3 Jahre"), QStringLiteral("alle 4 Jahre"),
                         QStringLiteral("alle 5 Jahre")},
                        110);
    zeile->addWidget(cbDynamik);
    zeile->addStretch(1);
  }

  lbZinssatz = Beschriftung(
      plH, "lbZinssatz", QStringLiteral("Zinssatz:"),
      QStringLiteral("Der Zinssatz ist der nominale Jahreszinssatz, mit dem das angelegte "
                     "Kapital pro Jahr verzins wird."));
  edZinssatz = Feld(plH, "edZinssatz");
  lbZinsperiode = Beschriftung(plH, "lbZinsperiode", QStringLiteral("Zinsperiode:"),
                               QStringLiteral("Die Zinsperiode bezeichnet die Häufigkeit der "
                                              "Zinsgutschrift."));
  cbZinsperiode = Auswahl(plH, "cbZinsperiode", intervalle);
  lbZinseszins = Beschriftung(
      plH, "lbZinseszins", QStringLiteral("Zinseszins:"),
      QStringLiteral("Die Einstellung Zinseszins gibt an, ob Zinserträge dem Anlagekapital "
                     "zugeschlagen oder ausgeschüttet werden."));
  cbZinseszins = Auswahl(plH, "cbZinseszins",
                         {QStringLiteral("Ja, Zinsansammlung"),
                          QStringLiteral("Nein, Zinsauszahlung")},
                         170);
  lbAnsparzeit = Beschriftung(
      plH, "lbAnsparzeit", QStringLiteral("Ansparzeit:"),
      QStringLiteral("Die Ansparzeit ist die Dauer des Sparvorhabens, während der die "
                     "regelmäßige Sparrate eingezahlt wird."));
  edAnsparzeit = Feld(plH, "edAnsparzeit", 60);
  cbAnsparzeit = Auswahl(plH, "cbAnsparzeit", einheiten, 90);
  lbFestlegungsfrist = Beschriftung(
      plH, "lbFestlegungsfrist", QStringLiteral("Festlegungsfrist:"),
      QStringLiteral("Die Festlegungsfrist ist der Zeitraum im Anschluss an die Ansparzeit, in "
                     "der das Kapital festliegt und weiter verzinst wird, ohne dass weitere "
                     "Sparraten eingezahlt werden."));
  edFestlegungsfrist = Feld(plH, "edFestlegungsfrist", 60);
  cbFestlegungsfrist = Auswahl(plH, "cbFestlegungsfrist", einheiten, 90);

  lbEndkapital = Beschriftung(
      plH, "lbEndkapital", QStringLiteral("Endkapital:"),
      QStringLiteral("Das Endkapital ist das Kapital zum Ende der Laufzeit des Sparvorhabens\n"
                     "Anfangskapital + Sparraten + Zinserträge (wenn Zinsertäge nicht "
                     "ausbezahlt werden)."));
  edEndkapital = finanz::ErgebnisFeld(plH, "edEndkapital", 140);
  {
    QPalette pal = edEndkapital->palette();
    pal.setColor(QPalette::Base, QColor(255, 255, 0));
    edEndkapital->setPalette(pal);
  }
  lbZinse = Beschriftung(plH, "lbZinse", QStringLiteral("Zinse:"), QString());
  edZinseG = finanz::ErgebnisFeld(plH, "edZinseG", 140);
  edZinseG->setReadOnly(true);
  edZinseG->setFrame(false);
  // A text longer than the screen is wide shows its start; a click lets the user scroll on.
  edZinseG->setFocusPolicy(Qt::ClickFocus);
  {
    QPalette pal = edZinseG->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    edZinseG->setPalette(pal);
  }
  lbGesamt = Beschriftung(plH, "lbGesamt", QString(),
                          QStringLiteral("Gesamt = Endkapital + Ausbezahlt"));
  lbGesamt->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  lbAlleSparraten = Beschriftung(plH, "lbAlleSparraten", QStringLiteral("Alle Sparraten:"),
                                 QStringLiteral("Summe allen Sparraten"));
  lbAlleSparraten->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  rg1 = new RadioGroup(QStringLiteral(" Berechnen "),
                       {QStringLiteral("Anfangskapital"), QStringLiteral("Sparrate"),
                        QStringLiteral("Dynamik"), QStringLiteral("Zinsatz"),
                        QStringLiteral("Ansparzeit"), QStringLiteral("Endkapital")},
                       plH);
  rg1->setObjectName(QStringLiteral("rg1"));

  int z = 0;
  raster->addWidget(lbAnfangskapital, z, 0);
  raster->addWidget(Zeile(plH, {edAnfangskapital, Einheit(plH, QStringLiteral("€"))}), z++, 1);
  raster->addWidget(lbSparrate, z, 0);
  raster->addWidget(Zeile(plH, {edSparrate, Einheit(plH, QStringLiteral("€"))}), z++, 1);
  raster->addWidget(lbSparintervall, z, 0);
  raster->addWidget(cbSparintervall, z++, 1);
  raster->addWidget(lbEinzahlungsart, z, 0);
  raster->addWidget(cbEinzahlungsart, z++, 1);
  raster->addWidget(chbDynamik, z, 0, Qt::AlignRight);
  plDynamik->setMinimumHeight(edDynamik->sizeHint().height());
  raster->addWidget(plDynamik, z++, 1);
  raster->addWidget(lbZinssatz, z, 0);
  raster->addWidget(Zeile(plH, {edZinssatz, Einheit(plH, QStringLiteral("% p.a."))}), z++, 1);
  raster->addWidget(lbZinsperiode, z, 0);
  raster->addWidget(cbZinsperiode, z++, 1);
  raster->addWidget(lbZinseszins, z, 0);
  raster->addWidget(cbZinseszins, z++, 1);
  raster->addWidget(lbAnsparzeit, z, 0);
  raster->addWidget(Zeile(plH, {edAnsparzeit, cbAnsparzeit}), z++, 1);
  raster->addWidget(lbFestlegungsfrist, z, 0);
  raster->addWidget(Zeile(plH, {edFestlegungsfrist, cbFestlegungsfrist}), z++, 1);
  raster->addWidget(rg1, 0, 2, z, 1);
  raster->setRowMinimumHeight(z++, 6);
  raster->addWidget(lbEndkapital, z, 0);
  raster->addWidget(edEndkapital, z++, 1, 1, 2);
  raster->addWidget(lbZinse, z, 0);
  raster->addWidget(edZinseG, z++, 1, 1, 2);
  raster->addWidget(lbGesamt, z++, 1, 1, 2);
  raster->addWidget(lbAlleSparraten, z++, 1, 1, 2);
  raster->setColumnStretch(1, 1);
  raster->setRowStretch(z, 1);

  finanz::KnopfleisteErzeugen(this, haupt, plESC, plFormel_Unten, sbBerechnen, sbExit);
  resize(560, 520);
}
