#include "calculator/konstante.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>

#include "calculator/einstellungen.h"
#include "calculator/rechn.h"
#include "core/formel.h"
#include "core/tastenfilter.h"
#include "graph/grafik.h"
#include "platform/fenster_lage.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

TfrKonstante* frKonstante = nullptr;

namespace {
constexpr int VariablenZeilen = 52;
constexpr int Spalte0Breite = 23;
}  // namespace

TfrKonstante::TfrKonstante(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  sgK->setEditing(true);
  // Every typed character of a value cell goes through the core's value filter.
  sgK->setKeyFilter(1, [](const std::string& text, char key, int) {
    return kolvex::WertTasteFiltern(text, key);
  });
  connect(sgK, &StringGrid::cellChanged, this, &TfrKonstante::ZelleGeaendert);
  connect(sgK, &StringGrid::currentCellChanged, this, [this](int, int row) {
    rueckgaengigZeile_ = row;
    rueckgaengig_ = sgK->Cells(1, row);
  });
  // Enter is caught in the grid and in its in-place editors (children of the viewport).
  sgK->installEventFilter(this);
  sgK->viewport()->installEventFilter(this);
  connect(sbRefresh, &QToolButton::clicked, this, &TfrKonstante::sbRefreshClick);
  connect(Speichern, &QToolButton::clicked, this, &TfrKonstante::SpeichernClick);
  connect(sbExit, &QToolButton::clicked, this, &TfrKonstante::sbExitClick);
  connect(tbFormStyle, &QToolButton::clicked, this, &TfrKonstante::tbFormStyleClick);
}

TfrKonstante::~TfrKonstante() {
  if (frKonstante == this) frKonstante = nullptr;
}

void TfrKonstante::FormCreate() {
  resize(width(), 575);
  // At the top right corner of the screen, one pixel off its right edge.
  const QRect rahmen = RahmenRechteck(this);
  const QRect flaeche = FreieFlaeche(this, rahmen);
  FensterPlatzieren(this, QPoint(flaeche.left() + flaeche.width() - rahmen.width() - 1, flaeche.top()));
  VariablenEintragen();
  WerteLaden(ImProgrammOrdner(WerteDateiName()));
}

void TfrKonstante::FormActivate() {
  KopfZeileSetzen();
  sgK->setColCount(2);
  SpaltenBreitenSetzen(32);
  if (frRechn && frRechn->tbWerte) frRechn->tbWerte->setChecked(true);
}

void TfrKonstante::FormClose(bool& accept) {
  (void)accept;
  // Closing keeps the values in the grid; only the save button writes the file.
  if (frRechn && frRechn->tbWerte) frRechn->tbWerte->setChecked(false);
}

void TfrKonstante::KopfZeileSetzen() {
  sgK->setCells(0, 0, QStringLiteral("Var"));
  sgK->setCells(1, 0, QStringLiteral("     Wert"));
}

void TfrKonstante::SpaltenBreitenSetzen(int abzug) {
  sgK->setColWidth(0, Spalte0Breite);
  // Column 0 may have grown to its heading "Var"; the value column takes what is left.
  sgK->setColWidth(1, qMax(10, width() - sgK->colWidth(0) - abzug));
}

void TfrKonstante::VariablenEintragen() {
  sgK->setRowCount(VariablenZeilen + 1);
  for (int i = 0; i < 26; ++i) {
    sgK->setCells(0, i + 1, QStringLiteral(" ") + QChar(u'a' + i));
    sgK->setCells(0, i + 27, QStringLiteral(" ") + QChar(u'A' + i));
  }
}

void TfrKonstante::WerteLaden(const QString& datei) {
  if (!RegulaereDateiExistiert(datei)) return;
  QStringList zeilen;
  if (!readTextLines(datei, zeilen)) return;
  // A longer file would push values into rows no variable reads; its extra lines are
  // ignored. A shorter one leaves the later cells as they are.
  const int n = qMin<int>(static_cast<int>(zeilen.size()), VariablenZeilen);
  for (int k = 1; k <= n; ++k) sgK->setCells(1, k, zeilen[k - 1]);
  if (sgK->Row() >= 1) rueckgaengig_ = sgK->Cells(1, sgK->Row());
}

bool TfrKonstante::WerteSpeichern(const QString& datei) {
  QStringList zeilen;
  zeilen.reserve(VariablenZeilen);
  for (int k = 1; k <= VariablenZeilen; ++k) zeilen << sgK->Cells(1, k);
  return EintraegeSchreibenMitWarnung(datei, zeilen);
}

void TfrKonstante::VariableSuchen(QChar buchstabe) {
  for (int row = 1; row < sgK->RowCount(); ++row) {
    QString name = sgK->Cells(0, row);
    name.remove(QLatin1Char(' '));
    if (name == QString(buchstabe)) {
      sgK->setRow(row);
      sgK->setCol(1);
      sgK->scrollTo(sgK->indexOf(1, row));
      return;
    }
  }
}

void TfrKonstante::ZelleGeaendert(int col, int row) {
  if (zuruecksetzen_ || col != 1) return;
  const QString text = sgK->Cells(col, row);
  if (row != rueckgaengigZeile_) {
    rueckgaengigZeile_ = row;
    rueckgaengig_ = QString();
  }
  // The core's parenthesis and operator check: a keystroke that leaves two operators side
  // by side (or unbalanced parentheses) is taken back.
  if (kolvex::FormelPruefen(toCore(text)) != 0) {
    zuruecksetzen_ = true;
    sgK->setCells(col, row, rueckgaengig_);
    zuruecksetzen_ = false;
    return;
  }
  rueckgaengig_ = text;
}

bool TfrKonstante::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ChildAdded && watched == sgK->viewport()) {
    // An in-place editor was opened: watch its keys too.
    auto* child = static_cast<QChildEvent*>(event)->child();
    if (child && child->isWidgetType()) child->installEventFilter(this);
  } else if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      sbRefreshClick();
      return true;
    }
    // The undo text is the cell as it stands when the key goes down; the cell may have been
    // written since it was selected (the main window's result, a loaded values file).
    if (sgK->Row() >= 1) {
      rueckgaengigZeile_ = sgK->Row();
      rueckgaengig_ = sgK->Cells(1, rueckgaengigZeile_);
    }
  }
  return Form::eventFilter(watched, event);
}

void TfrKonstante::sbRefreshClick() {
  if (!frRechn || !frRechn->ed1) return;
  const QString formel = frRechn->ed1->text();
  if (formel.isEmpty()) return;
  if (frRechn->tbGrafik && frRechn->tbGrafik->isChecked() && frGrafik)
    frGrafik->FormelZeichnen(formel);
  else
    frRechn->Berechnen(formel);
}

void TfrKonstante::SpeichernClick() {
  if (showMessage(QStringLiteral("Werte speichern?"), MessageKind::Information,
                  MessageButtons::YesNo) == MessageAnswer::Yes)
    WerteSpeichern(ImProgrammOrdner(WerteDateiName()));
}

void TfrKonstante::sbExitClick() { close(); }

void TfrKonstante::tbFormStyleClick() { FensterObenHalten(this, tbFormStyle->isChecked()); }

void TfrKonstante::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  SpaltenBreitenSetzen(42);
  plZZentrieren();
}

void TfrKonstante::plZZentrieren() {
  if (!plUnten || !plZ) return;
  plZ->move(qMax(0, (plUnten->width() - plZ->width()) / 2), plZ->y());
}
