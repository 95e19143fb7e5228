#include "finance/tilg_rechner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "core/zahltext.h"
#include "finance/finanz_einstellungen.h"
#include "finance/finanz_fenster.h"
#include "platform/geld_text.h"
#include "platform/line_edit.h"
#include "platform/radio_group.h"
#include "platform/bgr_color.h"
#include "platform/esc_watcher.h"
#include "platform/message_dialog.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"

TfrTilgRechner* frTilgRechner = nullptr;

namespace {
using finanz::kGelb;
using finanz::kRot;
using finanz::kSchwarz;
using finanz::Q;
using finanz::S;


void Hintergrund(QLineEdit* feld, const QColor& farbe) {
  QPalette pal = feld->palette();
  pal.setColor(QPalette::Base, farbe);
  feld->setPalette(pal);
}


}  // namespace

TfrTilgRechner::TfrTilgRechner(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  connect(sbBerechnen, &QPushButton::clicked, this, &TfrTilgRechner::sbBerechnenClick);
  connect(sbExit, &QPushButton::clicked, this, &TfrTilgRechner::sbExitClick);
  connect(rg1, &RadioGroup::itemClicked, this, &TfrTilgRechner::rg1Click);
  connect(cbBearbeitungsgebuhr, &QCheckBox::toggled, this,
          &TfrTilgRechner::cbBearbeitungsgebuhrClick);
  connect(cbDisagio, &QCheckBox::toggled, this, &TfrTilgRechner::cbBearbeitungsgebuhrClick);
  connect(edDarlehensbetrag, &QLineEdit::textEdited, this,
          &TfrTilgRechner::edDarlehensbetragKeyPress);
  connect(edTilgungsrate, &QLineEdit::textEdited, this, &TfrTilgRechner::edTilgungsrateKeyPress);
  connect(edTilgungsdauer, &QLineEdit::textEdited, this,
          &TfrTilgRechner::edTilgungsdauerKeyPress);
  connect(sg1, &StringGrid::clicked, this, &TfrTilgRechner::sg1Click);
  sg1->setCellColorHook([this](int col, int row, QColor& hintergrund, QColor& text) {
    sg1DrawCell(col, row, hintergrund, text);
  });
}

TfrTilgRechner::~TfrTilgRechner() {
  if (frTilgRechner == this) frTilgRechner = nullptr;
}

void TfrTilgRechner::FormCreate() {
  Voreinstellungen();
  FormResize();
}

void TfrTilgRechner::Voreinstellungen() {
  setTextFromStart(edDarlehensbetrag, QStringLiteral("12.000,00"));
  cbBearbeitungsgebuhr->setChecked(false);
  setTextFromStart(edBearbeitungsgebuhr, QStringLiteral("0,00"));
  cbDisagio->setChecked(false);
  setTextFromStart(edDisagio, QStringLiteral("0,00"));
  setTextFromStart(edZinssatz, QStringLiteral("5,00"));
  cbZinszahlungsintervall->setCurrentIndex(1);
  cbZinseZahlen->setChecked(false);
  setTextFromStart(edTilgungsrate, QStringLiteral("3.000,00"));
  cbTilgungsintervall->setCurrentIndex(3);
  setTextFromStart(edTilgungsdauer, QStringLiteral("7"));
  cbTilgungsdauer->setCurrentIndex(0);
  rg1->setItemIndex(finanz::Restschuld);
  edRestschuld->clear();
  finanz::ZeileSetzen(lbZinseG, QString());
  GebuehrenFelderZeigen();
}

void TfrTilgRechner::FormActivate() {
  plESC->hide();
  TilgEinstellungenLaden();
  EingabenLesen();
  GebuehrenFelderZeigen();
  sg1->setRowCount(2);
  GitterLeeren(sg1);
  rg1->setItemColor(rg1->itemIndex(), kRot);
}

void TfrTilgRechner::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  FormResize();
}

void TfrTilgRechner::FormResize() {
  finanz::KnoepfeMittig(this, plFormel_Unten, sbBerechnen, sbExit);
  const int breite = (width() - sg1->colWidth(0) - sg1->colWidth(1) - 45) / 5;
  if (breite > 0)
    for (int spalte = 2; spalte <= 6; ++spalte) sg1->setColWidth(spalte, breite);
}

long double TfrTilgRechner::TextZuZahl(const QString& text) {
  return finanz::FeldTextZuZahl(S(text));
}

int TfrTilgRechner::TextZuGanzzahl(const QString& text) {
  return finanz::FeldTextZuGanzzahl(S(text));
}

void TfrTilgRechner::EingabenLesen() {
  TilgDarlehen = GeldTextZuZahl(edDarlehensbetrag->text());
  TilgRate = GeldTextZuZahl(edTilgungsrate->text());
  TilgDauer = static_cast<int>(std::nearbyint(GeldTextZuZahl(edTilgungsdauer->text())));
}

void TfrTilgRechner::GebuehrenFelderZeigen() {
  const bool gebuehr = cbBearbeitungsgebuhr->isChecked();
  edBearbeitungsgebuhr->setVisible(gebuehr);
  lbB->setVisible(gebuehr);
  lbBkeine->setVisible(!gebuehr);
  const bool disagio = cbDisagio->isChecked();
  edDisagio->setVisible(disagio);
  lbD->setVisible(disagio);
  lbDkeine->setVisible(!disagio);
}

QLineEdit* TfrTilgRechner::GesuchtesFeld(int k) const {
  switch (k) {
    case 0: return edDarlehensbetrag;
    case 1: return edTilgungsrate;
    case 2: return edTilgungsdauer;
    case 3: return edRestschuld;
    default: return nullptr;
  }
}

void TfrTilgRechner::TilgungBerechnen(int k) {
  if (k < 0 || k > 3) return;
  // An earlier error mark goes; the sought field keeps its colours.
  if (k == finanz::Tilgungsrate)
    finanz::FeldGesucht(edTilgungsrate);
  else
    finanz::FeldNormal(edTilgungsrate);

  finanz::TilgEingaben e;
  e.darlehensbetrag = S(edDarlehensbetrag->text());
  e.bearbeitungsgebuehr = S(edBearbeitungsgebuhr->text());
  e.disagio = S(edDisagio->text());
  e.zinssatz = S(edZinssatz->text());
  e.tilgungsrate = S(edTilgungsrate->text());
  e.tilgungsdauer = S(edTilgungsdauer->text());
  e.restschuld = S(edRestschuld->text());
  e.gebuehrAn = cbBearbeitungsgebuhr->isChecked();
  e.disagioAn = cbDisagio->isChecked();
  e.zinseZahlen = cbZinseZahlen->isChecked();
  e.zinsperiode = S(cbZinszahlungsintervall->currentText());
  e.tilgungsintervall = S(cbTilgungsintervall->currentText());
  e.dauerEinheit = S(cbTilgungsdauer->currentText());
  e.zeilenAnzahl = sg1->RowCount();

  finanz::TilgErgebnis r;
  {
    EscWatcher::Operation esc;  // an earlier ESC does not count
    r = finanz::TilgungBerechnen(e, k, [] { return EscWatcher::pressed(); });
  }

  // The results show from their start, whatever the user did to the fields; an input keeps
  // where the user left its caret.
  auto schreiben = [&](QLineEdit* feld, const std::string& text) {
    if (feld == GesuchtesFeld(k) || feld == edRestschuld)
      setResultFromStart(feld, Q(text));
    else
      setTextFromStart(feld, Q(text));
  };
  schreiben(edDarlehensbetrag, r.darlehensbetrag);
  schreiben(edTilgungsrate, r.tilgungsrate);
  schreiben(edTilgungsdauer, r.tilgungsdauer);
  schreiben(edRestschuld, r.restschuld);
  if (r.tabelleNeu) {
    const finanz::TilgTabelle& t = r.tabelle;
    sg1->setRowCount(t.zeilenAnzahl);
    GitterLeeren(sg1);
    for (int zeile = 1; zeile < t.zeilenAnzahl; ++zeile)
      for (int spalte = 0; spalte < finanz::kTilgSpalten; ++spalte) {
        const std::string& zelle = t.Zelle(spalte, zeile);
        if (!zelle.empty()) sg1->setCells(spalte, zeile, Q(zelle));
      }
  }
  finanz::ZeileSetzen(lbZinseG, Q(r.zinsenZeile));
  finanz::ZeileSetzen(lbGesamt, Q(r.gesamtZeile));
  // A longer result grew the window inside the free area; a shorter one gives the width back.
  BreiteZurueckgeben();
  const QColor zuKlein = colorFromBgr(0xCCCCFF);
  if (r.rateMarkiert) Hintergrund(edTilgungsrate, zuKlein);
  if (r.dauerMarkiert) Hintergrund(edTilgungsdauer, zuKlein);
  for (const std::string& m : r.meldungen) showMessage(Q(m), MessageKind::Warning);
  if (r.fokus == finanz::TilgFeld::Tilgungsrate) edTilgungsrate->setFocus();
  if (r.fokus == finanz::TilgFeld::Tilgungsdauer) edTilgungsdauer->setFocus();
}

void TfrTilgRechner::sbBerechnenClick() {
  plESC->show();
  repaint();
  TilgungBerechnen(rg1->itemIndex());
  EingabenLesen();
  plESC->hide();
  sg1->viewport()->update();
}

void TfrTilgRechner::sbExitClick() {
  TilgEinstellungenSpeichern();
  close();
}

void TfrTilgRechner::rg1Click() {
  finanz::ZeileSetzen(lbGesamt, QStringLiteral("Gesamt:"));
  finanz::ZeileSetzen(lbZinseG, QString());
  setTextFromStart(edDarlehensbetrag, Q(finanz::Geld(TilgDarlehen)));
  setTextFromStart(edTilgungsrate, Q(finanz::Geld(TilgRate)));
  setTextFromStart(edTilgungsdauer, Q(finanz::GanzGeld(TilgDauer)));
  for (QLineEdit* feld : {edRestschuld, edDarlehensbetrag, edTilgungsrate, edTilgungsdauer})
    finanz::FeldNormal(feld);
  {
    QPalette pal = edZinssatz->palette();
    pal.setColor(QPalette::Text, QPalette().color(QPalette::Text));
    edZinssatz->setPalette(pal);
  }
  for (int i = 0; i < rg1->count(); ++i) rg1->setItemColor(i, kSchwarz);
  const int k = rg1->itemIndex();
  rg1->setItemColor(k, kRot);
  edRestschuld->clear();
  if (QLineEdit* feld = GesuchtesFeld(k)) {
    finanz::FeldGesucht(feld);
    feld->clear();
  }
}

void TfrTilgRechner::cbBearbeitungsgebuhrClick() { GebuehrenFelderZeigen(); }

void TfrTilgRechner::edDarlehensbetragKeyPress() {
  TilgDarlehen = static_cast<double>(TextZuZahl(edDarlehensbetrag->text()));
}

void TfrTilgRechner::edTilgungsrateKeyPress() {
  TilgRate = static_cast<double>(TextZuZahl(edTilgungsrate->text()));
  if (rg1->itemIndex() == finanz::Tilgungsrate)
    finanz::FeldGesucht(edTilgungsrate);
  else
    finanz::FeldNormal(edTilgungsrate);
}

void TfrTilgRechner::edTilgungsdauerKeyPress() {
  TilgDauer = TextZuGanzzahl(edTilgungsdauer->text());
  if (rg1->itemIndex() == finanz::Tilgungsdauer)
    finanz::FeldGesucht(edTilgungsdauer);
  else
    finanz::FeldNormal(edTilgungsdauer);
}

void TfrTilgRechner::sg1Click() {
  TilgMarkierteZeile = sg1->Row();
  sg1->viewport()->update();
}

void TfrTilgRechner::sg1DrawCell(int col, int row, QColor& hintergrund, QColor& text) const {
  (void)col;
  if (row < 1) {
    hintergrund = kGelb;
    return;
  }
  text = kSchwarz;
  if (row == TilgMarkierteZeile) {
    hintergrund = colorFromBgr(0xC5FECC);
    return;
  }
  const int jahr = kolvex::TextZuGanzzahl(toCore(sg1->Cells(0, row)));
  hintergrund = colorFromBgr(jahr % 2 != 0 ? 0xFFEBDF : 0xFFFBFF);
}
