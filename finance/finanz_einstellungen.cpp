#include "finance/finanz_einstellungen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStringList>

#include "core/zahltext.h"
#include "engines/finance/finanz_text.h"
#include "finance/spar_rechner.h"
#include "finance/tilg_rechner.h"
#include "platform/geld_text.h"
#include "platform/line_edit.h"
#include "platform/programm_dateien.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

namespace {

const QString kSparDatei = QStringLiteral("einstSR.frb");
const QString kTilgDatei = QStringLiteral("einstTilgR.frb");

// A line that does not convert ends the reading; what was read stays.
struct LeseEnde {};

class Zeilen {
 public:
  explicit Zeilen(QStringList zeilen) : zeilen_(std::move(zeilen)) {}
  // The next line; a missing line reads as empty text.
  QString Text() { return next_ < zeilen_.size() ? zeilen_[next_++] : (++next_, QString()); }
  bool Schalter() { return Text() == QLatin1String("1"); }
  // A combo box index in decimal: optional leading blanks and sign, digits, nothing else.
  int Index() {
    static const QRegularExpression ganzzahl(QStringLiteral("^ *[+-]?[0-9]{1,9}$"));
    const QString t = Text();
    if (!ganzzahl.match(t).hasMatch()) throw LeseEnde{};
    return t.trimmed().toInt();
  }

 private:
  QStringList zeilen_;
  qsizetype next_ = 0;
};

// An index beyond the items leaves the combo box without a choice.
void IndexSetzen(QComboBox* c, int index) {
  c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
}

QString Geld(double v) { return QString::fromStdString(finanz::Geld(v)); }

bool Lesen(const QString& name, QStringList& zeilen) {
  const QString pfad = ImProgrammOrdner(name);
  if (!DateiExistiert(pfad)) return false;
  return readTextLines(pfad, zeilen);
}

QString Index(const QComboBox* c) { return QString::number(c->currentIndex()); }
QString Schalter(const QCheckBox* c) { return c->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); }

}  // namespace

void SparEinstellungenLaden() {
  TfrSparRechner* f = frSparRechner;
  QStringList inhalt;
  if (!f || !Lesen(kSparDatei, inhalt)) return;
  Zeilen z(std::move(inhalt));
  try {
    setTextFromStart(f->edAnfangskapital, z.Text());
    setTextFromStart(f->edSparrate, z.Text());
    IndexSetzen(f->cbSparintervall, kolvex::TextZuGanzzahl(toCore(z.Text())));
    IndexSetzen(f->cbEinzahlungsart, z.Index());
    f->chbDynamik->setChecked(z.Schalter());
    setTextFromStart(f->edDynamik, z.Text());
    IndexSetzen(f->cbDynamik, z.Index());
    setTextFromStart(f->edZinssatz, Geld(static_cast<double>(kolvex::TextZuZahl(toCore(z.Text())))));
    IndexSetzen(f->cbZinsperiode, z.Index());
    IndexSetzen(f->cbZinseszins, z.Index());
    setTextFromStart(f->edAnsparzeit, z.Text());
    IndexSetzen(f->cbAnsparzeit, z.Index());
    setTextFromStart(f->edFestlegungsfrist, z.Text());
    IndexSetzen(f->cbFestlegungsfrist, z.Index());
  } catch (const LeseEnde&) {
  }
}

void SparEinstellungenSpeichern() {
  const TfrSparRechner* f = frSparRechner;
  if (!f) return;
  const QStringList zeilen{f->edAnfangskapital->text(), f->edSparrate->text(),
                           Index(f->cbSparintervall),   Index(f->cbEinzahlungsart),
                           Schalter(f->chbDynamik),      f->edDynamik->text(),
                           Index(f->cbDynamik),          f->edZinssatz->text(),
                           Index(f->cbZinsperiode),      Index(f->cbZinseszins),
                           f->edAnsparzeit->text(),      Index(f->cbAnsparzeit),
                           f->edFestlegungsfrist->text(), Index(f->cbFestlegungsfrist)};
  EintraegeSchreibenMitWarnung(ImProgrammOrdner(kSparDatei), zeilen);  // a failure keeps the old file
}

void TilgEinstellungenLaden() {
  TfrTilgRechner* f = frTilgRechner;
  QStringList inhalt;
  if (!f || !Lesen(kTilgDatei, inhalt)) return;
  Zeilen z(std::move(inhalt));
  try {
    setTextFromStart(f->edDarlehensbetrag, Geld(GeldTextZuZahl(z.Text())));
    f->cbBearbeitungsgebuhr->setChecked(z.Schalter());
    setTextFromStart(f->edBearbeitungsgebuhr, Geld(GeldTextZuZahl(z.Text())));
    f->cbDisagio->setChecked(z.Schalter());
    setTextFromStart(f->edDisagio, Geld(GeldTextZuZahl(z.Text())));
    setTextFromStart(f->edZinssatz, Geld(GeldTextZuZahl(z.Text())));
    IndexSetzen(f->cbZinszahlungsintervall, kolvex::TextZuGanzzahl(toCore(z.Text())));
    f->cbZinseZahlen->setChecked(z.Schalter());
    setTextFromStart(f->edTilgungsrate, z.Text());
    IndexSetzen(f->cbTilgungsintervall, z.Index());
    setTextFromStart(f->edTilgungsdauer, z.Text());
    IndexSetzen(f->cbTilgungsdauer, z.Index());
  } catch (const LeseEnde&) {
  }
}

void TilgEinstellungenSpeichern() {
  const TfrTilgRechner* f = frTilgRechner;
  if (!f) return;
  const QStringList zeilen{f->edDarlehensbetrag->text(),     Schalter(f->cbBearbeitungsgebuhr),
                           f->edBearbeitungsgebuhr->text(),  Schalter(f->cbDisagio),
                           f->edDisagio->text(),             f->edZinssatz->text(),
                           Index(f->cbZinszahlungsintervall), Schalter(f->cbZinseZahlen),
                           f->edTilgungsrate->text(),        Index(f->cbTilgungsintervall),
                           f->edTilgungsdauer->text(),       Index(f->cbTilgungsdauer)};
  EintraegeSchreibenMitWarnung(ImProgrammOrdner(kTilgDatei), zeilen);  // a failure keeps the old file
}
