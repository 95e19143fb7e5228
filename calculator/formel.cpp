#include "calculator/formel.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "core/text.h"
#include "graph/grafik.h"
#include "platform/fenster_lage.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

using namespace kolvex;

TfrFormel* frFormel = nullptr;

namespace {

// Nothing but blanks (a TAB counts as text, as in the file's own format).
bool OhneLeerzeichenLeer(const QString& text) {
  for (QChar c : text)
    if (c != u' ') return false;
  return true;
}

// The n-th TAB field (1-based) without control characters; "" when the line has fewer.
QString TabFeld(const QString& zeile, int n) {
  const QStringList felder = zeile.split(QLatin1Char('\t'));
  if (n < 1 || n > felder.size()) return {};
  QString feld = felder[n - 1];
  feld.removeIf([](QChar c) { return c.unicode() < 32; });
  return feld;
}

}  // namespace

TfrFormel::TfrFormel(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frFormel"));
  LayoutErzeugen();
  KopfZeileSetzen();
  connect(sbForm_Einf, &QToolButton::clicked, this, [this] { sbForm_EinfClick(); });
  connect(sbFormel_Loeschen, &QToolButton::clicked, this, [this] { sbFormel_LoeschenClick(); });
  connect(sbFormel_Speichern, &QToolButton::clicked, this, [this] { sbFormel_SpeichernClick(); });
  connect(sbRefresh, &QToolButton::clicked, this, [this] { sbRefreshClick(); });
  connect(tbFormStyle, &QToolButton::clicked, this, [this] { tbFormStyleClick(); });
  connect(sbExit, &QToolButton::clicked, this, [this] { sbExitClick(); });
  connect(sg1, &QAbstractItemView::pressed, this, [this] { sg1MouseDown(); });
  connect(sg1, &QAbstractItemView::clicked, this, [this] { sg1Click(); });
  sg1->installEventFilter(this);
}

TfrFormel::~TfrFormel() {
  if (frFormel == this) frFormel = nullptr;
}

QString TfrFormel::FormelDateiPfad() const { return ImProgrammOrdner(FormelDateiName()); }

void TfrFormel::KopfZeileSetzen() {
  sg1->setColCount(3);
  sg1->setCells(0, 0, QStringLiteral(" Nr"));
  sg1->setCells(1, 0, QStringLiteral("  Formel"));
  sg1->setCells(2, 0, QStringLiteral(" Kommentar"));
  sg1->setColWidth(0, 32);
}

// ---- Life cycle ----------------------------------------------------------------------------

void TfrFormel::FormCreate() {
  FormelnLaden(FormelDateiPfad());
  resize(FormelWidth > 0 ? FormelWidth : width(), FormelHeight > 0 ? FormelHeight : height());
  // A position saved on a larger screen is pulled onto this one rather than dropped.
  FensterPlatzieren(this, QPoint(FormelLeft, FormelTop));
  if (FormelSpalteBreite1 > 0) sg1->setColWidth(1, FormelSpalteBreite1);
  if (FormelSpalteBreite2 > 0) sg1->setColWidth(2, FormelSpalteBreite2);
  // The row chosen last time comes back, with its formula in the entry field.
  if (FormelZeile > 0 && FormelZeile < sg1->RowCount()) {
    if (frRechn && frRechn->ed1) frRechn->ed1->setText(sg1->Cells(1, FormelZeile));
    sg1->setRow(FormelZeile);
  }
}

void TfrFormel::FormActivate() { KopfZeileSetzen(); }

void TfrFormel::FormClose(bool& accept) {
  (void)accept;
  if (frRechn && frRechn->tbFormel) frRechn->tbFormel->setChecked(false);
  if (frGrafik && frGrafik->tbFormel) frGrafik->tbFormel->setChecked(false);
}

// ---- The list and its file -----------------------------------------------------------------

void TfrFormel::TabelleLeeren() {
  for (int row = 1; row < sg1->RowCount(); ++row)
    for (int col = 0; col < 3; ++col) sg1->setCells(col, row, QString());
}

void TfrFormel::FormelnLaden(const QString& datei) {
  TabelleLeeren();
  geladeneDatei_ = datei;
  int n = 0;
  QStringList zeilen;
  if (RegulaereDateiExistiert(datei) && readTextLines(datei, zeilen)) {
    for (const QString& zeile : zeilen) {
      if (OhneLeerzeichenLeer(zeile)) continue;
      ++n;
      sg1->setCells(0, n, QString::number(n));
      sg1->setCells(1, n, TabFeld(zeile, 1));
      sg1->setCells(2, n, TabFeld(zeile, 2));
    }
  }
  // One empty row after the last formula; rows beyond it go.
  sg1->setRowCount(n + 2);
  for (int col = 0; col < 3; ++col) sg1->setCells(col, n + 1, QString());
}

QStringList TfrFormel::FormelZeilen() const {
  QStringList zeilen;
  for (int row = 1; row < sg1->RowCount(); ++row) {
    const QString formel = sg1->Cells(1, row);
    if (formel.isEmpty()) continue;
    // A line break or TAB inside a cell would split the line or shift its fields.
    zeilen << EinzeiligerEintrag(formel) + QLatin1Char('\t') + EinzeiligerEintrag(sg1->Cells(2, row)) +
                  QLatin1Char('\t');
  }
  return zeilen;
}

bool TfrFormel::FormelnSpeichern(const QString& datei) { return DateiSchreibenMitWarnung(datei, FormelZeilen()); }

int TfrFormel::FormelSuchen(const QString& formel) const {
  for (int row = 1; row < sg1->RowCount(); ++row)
    if (sg1->Cells(1, row) == formel) return row;
  return 0;
}

int TfrFormel::FormelSuchen(const std::string& kernFormel) const { return FormelSuchen(fromCore(kernFormel)); }

void TfrFormel::NeueFormelSpeichern(const QString& datei) {
  if (!frRechn || !frRechn->ed1) return;
  const QString formel = frRechn->ed1->text();
  // Nothing to offer: an empty entry must not rewrite the file behind the user's back.
  if (OhneLeerzeichenLeer(formel)) return;
  if (FormelSuchen(formel) > 0) return;
  if (showMessage(QStringLiteral("Neue Formel\r") + formel + QStringLiteral("\rspeichern?"), MessageKind::Information,
                  MessageButtons::YesNo) != MessageAnswer::Yes)
    return;
  DateiSchreibenMitWarnung(datei, FormelZeilen() << EinzeiligerEintrag(formel));
}

// ---- Buttons -------------------------------------------------------------------------------

void TfrFormel::sbForm_EinfClick() {
  if (!frRechn || !frRechn->ed1) return;
  const QString formel = frRechn->ed1->text();
  if (OhneLeerzeichenLeer(formel)) {
    showMessage(QStringLiteral("Keine Formel in Eingabefenster"), MessageKind::Information);
    return;
  }
  if (const int r = FormelSuchen(formel); r > 0) {
    sg1->setRow(sg1->RowCount() - 1);
    sg1->setRow(r);
    showMessage(QStringLiteral("Formel\r") + formel + QStringLiteral("\rist schon vorhanden"),
                MessageKind::Information);
    return;
  }
  int i = 1;
  while (i < sg1->RowCount() && !OhneLeerzeichenLeer(sg1->Cells(1, i))) ++i;
  if (i >= sg1->RowCount()) sg1->setRowCount(i + 1);
  sg1->setCells(0, i, QString::number(i));
  sg1->setCells(1, i, formel);
  sg1->setRow(i);
  FormelnSpeichern(FormelDateiPfad());
}

void TfrFormel::sbFormel_LoeschenClick() {
  const int r = sg1->Row();
  const QString formel = sg1->Cells(1, r);
  if (showMessage(QStringLiteral("Formel Nr.") + QString::number(r) + QLatin1Char('\r') + formel +
                      QStringLiteral("\rlöschen?"),
                  MessageKind::Warning, MessageButtons::YesNo) != MessageAnswer::Yes)
    return;
  if (frRechn && frRechn->ed1 && frRechn->ed1->text() == formel) frRechn->ed1->clear();
  sg1->setCells(1, r, QString());
  const QString datei = FormelDateiPfad();
  // The list is reloaded from the file only when it was written; otherwise a failed write
  // would also drop the rows still on screen.
  if (FormelnSpeichern(datei)) FormelnLaden(datei);
}

void TfrFormel::sbFormel_SpeichernClick() {
  if (showMessage(QStringLiteral("Formel speichern?"), MessageKind::Warning, MessageButtons::YesNo) !=
      MessageAnswer::Yes)
    return;
  const QString datei = FormelDateiPfad();
  if (FormelnSpeichern(datei)) FormelnLaden(datei);
  EinstellungenSpeichern();
}

void TfrFormel::sbRefreshClick() {
  if (frRechn && frRechn->ed1 && !frRechn->ed1->text().isEmpty()) frRechn->Berechnen(frRechn->ed1->text());
}

void TfrFormel::sbExitClick() { close(); }

void TfrFormel::tbFormStyleClick() { FensterObenHalten(this, tbFormStyle->isChecked()); }

// ---- Grid ----------------------------------------------------------------------------------

void TfrFormel::sg1MouseDown() {
  FormelZeile = sg1->Row();
  const QString formel = sg1->Cells(1, FormelZeile);
  if (OhneLeerzeichenLeer(formel) || !frRechn || !frRechn->ed1) return;
  frRechn->ed1->setText(formel);
  if (frRechn->tbGrafik && frRechn->tbGrafik->isChecked() && frGrafik) frGrafik->FormelZeichnen(formel);
}

void TfrFormel::sg1Click() {
  if (!frRechn || !frRechn->ed1) return;
  if (frRechn->ed1->text() != sg1->Cells(1, sg1->Row()) && frRechn->edErgebnis) frRechn->edErgebnis->clear();
}

void TfrFormel::sg1Enter() {
  if (!frRechn || !frRechn->ed1) return;
  const QString formel = sg1->Cells(1, sg1->Row());
  frRechn->ed1->setText(formel);
  frRechn->Berechnen(formel);
}

bool TfrFormel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == sg1 && event->type() == QEvent::KeyPress) {
    const int taste = static_cast<QKeyEvent*>(event)->key();
    if (taste == Qt::Key_Return || taste == Qt::Key_Enter) {
      sg1Enter();
      return true;
    }
  }
  return Form::eventFilter(watched, event);
}
