#include "graph/skal.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "core/globals.h"
#include "core/tastenfilter.h"
#include "platform/einstellungsdatei.h"
#include "platform/fenster_lage.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"

TfrSkal* frSkal = nullptr;

TfrSkal::TfrSkal(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  const KeyFilterFn zahlFilter = [](const std::string& text, char key, int) {
    return kolvex::ZahlTasteFiltern(text, key, ',');
  };
  sgSkal->setKeyFilter(1, zahlFilter);
  sgSkal->setKeyFilter(2, zahlFilter);
  connect(sbSpeichern, &QPushButton::clicked, this, &TfrSkal::sbSpeichernClick);
  connect(sbExit, &QPushButton::clicked, this, &TfrSkal::sbExitClick);
}

TfrSkal::~TfrSkal() {
  if (frSkal == this) frSkal = nullptr;
}

void TfrSkal::FormCreate() {}

void TfrSkal::FormShow() {
  // Centred on the screen.
  FensterZentrieren(this);
  // Keys typed in the grid's editors reach the dialog's own Enter/ESC handling first.
  qApp->installEventFilter(this);
}

void TfrSkal::FormActivate() {
  sgSkal->setColCount(3);
  sgSkal->setCells(1, 0, QStringLiteral(" Y - Achse"));
  sgSkal->setCells(2, 0, QStringLiteral(" X - Achse"));
  sgSkal->setCells(0, 1, QStringLiteral("Min"));
  sgSkal->setCells(0, 2, QStringLiteral("Max"));
  sgSkal->setMinimumWidth(270);
  SpaltenAnpassen();
  if (sgSkal->Col() < 1 || sgSkal->Row() < 1) {
    sgSkal->setCol(1);
    sgSkal->setRow(1);
  }
  sgSkal->setFocus();
  // The grid is always editing; a cell editor may be open already.
  bool editorOffen = false;
  for (const QLineEdit* e : sgSkal->viewport()->findChildren<QLineEdit*>())
    editorOffen = editorOffen || e->isVisible();
  if (!editorOffen) sgSkal->edit(sgSkal->indexOf(sgSkal->Col(), sgSkal->Row()));
}

void TfrSkal::SpaltenAnpassen() {
  const int spalte0 = 40;
  sgSkal->setColWidth(0, spalte0);
  const int breite = (width() - spalte0) / 2 - 20;  // int division rounds toward zero
  sgSkal->setColWidth(1, breite);
  sgSkal->setColWidth(2, breite);
  const int links = (width() - sbSpeichern->width() - sbExit->width() - 20) / 2 - 6;
  const int oben = (plKnoepfe->height() - sbSpeichern->height()) / 2;
  sbSpeichern->move(links, oben);
  sbExit->move(links + sbSpeichern->width() + 20, oben);
}

void TfrSkal::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  SpaltenAnpassen();
}

void TfrSkal::sbSpeichernClick() {
  Tag = 1;
  if (DatenGrafik && DatenGrafik->RuftSkalierung()) {
    // Stored as typed; the data graph converts them when it applies them.
    kolvex::SkalYMin = sgSkal->Cells(1, 1).toStdString();
    kolvex::SkalYMax = sgSkal->Cells(1, 2).toStdString();
    kolvex::SkalXMin = sgSkal->Cells(2, 1).toStdString();
    kolvex::SkalXMax = sgSkal->Cells(2, 2).toStdString();
    HauptEinstellungenSpeichern();
    DatenGrafik->SkalierungAnwenden();
  }
  close();
}

void TfrSkal::sbExitClick() {
  Tag = 0;
  close();
}

bool TfrSkal::TasteImGitter(int key) {
  if (key == Qt::Key_Escape) {
    close();
    return true;
  }
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  int spalte = sgSkal->Col();
  int zeile = sgSkal->Row();
  if (spalte < 1) spalte = 1;
  if (zeile <= 1) {
    zeile = 2;
  } else {
    zeile = 1;
    spalte = spalte == 1 ? 2 : 1;
  }
  sgSkal->setFocus();
  sgSkal->setCol(spalte);
  sgSkal->setRow(zeile);
  sgSkal->edit(sgSkal->indexOf(spalte, zeile));
  return true;
}

void TfrSkal::hideEvent(QHideEvent* event) {
  qApp->removeEventFilter(this);
  Form::hideEvent(event);
}

bool TfrSkal::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isVisible()) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || (w != sgSkal && !sgSkal->isAncestorOf(w))) return false;
  return TasteImGitter(static_cast<QKeyEvent*>(event)->key());
}
