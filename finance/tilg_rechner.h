#pragma once
// The loan calculator "Tilgungsrechner": computes a repayment schedule into the grid sg1, or
// searches the loan amount, the repayment or the duration chosen in " Berechnen " and then
// shows the schedule of the value found (engines/finance/tilg_rechnung.h does the work). Shown
// modally from the main window; Exit keeps the inputs in "einstTilgR.frb".
#include "engines/finance/tilg_rechnung.h"
#include "platform/form.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioGroup;
class StringGrid;

class TfrTilgRechner : public Form {
  Q_OBJECT

 public:
  explicit TfrTilgRechner(QWidget* parent = nullptr);
  ~TfrTilgRechner() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormResize();

  // The schedule (k = 3) or the search of quantity k (order of rg1) and then its schedule.
  void TilgungBerechnen(int k);
  void Voreinstellungen();
  void EingabenLesen();
  void GebuehrenFelderZeigen();
  long double TextZuZahl(const QString& text);
  int TextZuGanzzahl(const QString& text);

  void sbBerechnenClick();
  void sbExitClick();
  void rg1Click();
  void cbBearbeitungsgebuhrClick();
  void edDarlehensbetragKeyPress();
  void edTilgungsrateKeyPress();
  void edTilgungsdauerKeyPress();
  void sg1Click();
  // Colours of a schedule cell: by the year of its row, the marked row green.
  void sg1DrawCell(int col, int row, QColor& hintergrund, QColor& text) const;

  // Working values.
  double TilgDarlehen = 0;
  double TilgRate = 0;
  int TilgDauer = 0;
  int TilgMarkierteZeile = 0;

  // ---- Components ------------------------------------------------------------------------
  QFrame* plH = nullptr;
  QLabel* lbDarlehensbetrag = nullptr;
  QLineEdit* edDarlehensbetrag = nullptr;
  QCheckBox* cbBearbeitungsgebuhr = nullptr;
  QLineEdit* edBearbeitungsgebuhr = nullptr;
  QLabel* lbB = nullptr;
  QLabel* lbBkeine = nullptr;
  QCheckBox* cbDisagio = nullptr;
  QLineEdit* edDisagio = nullptr;
  QLabel* lbD = nullptr;
  QLabel* lbDkeine = nullptr;
  QLabel* lbZinssatz = nullptr;
  QLineEdit* edZinssatz = nullptr;
  QLabel* lbZinszahlungsintervall = nullptr;
  QComboBox* cbZinszahlungsintervall = nullptr;
  QCheckBox* cbZinseZahlen = nullptr;
  QLabel* lbTilgungsrate = nullptr;
  QLineEdit* edTilgungsrate = nullptr;
  QLabel* lbTilgungsintervall = nullptr;
  QComboBox* cbTilgungsintervall = nullptr;
  QLabel* lbTilgungsdauer = nullptr;
  QLineEdit* edTilgungsdauer = nullptr;
  QComboBox* cbTilgungsdauer = nullptr;
  QLabel* lbRestschuld = nullptr;
  QLineEdit* edRestschuld = nullptr;
  QLabel* lbZinse = nullptr;
  QLabel* lbZinseG = nullptr;
  QLabel* lbGesamt = nullptr;
  RadioGroup* rg1 = nullptr;
  QFrame* pl0 = nullptr;
  StringGrid* sg1 = nullptr;
  QFrame* plESC = nullptr;
  QFrame* plFormel_Unten = nullptr;
  QPushButton* sbBerechnen = nullptr;
  QPushButton* sbExit = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayoutErzeugen();
  QLineEdit* GesuchtesFeld(int k) const;
};

extern TfrTilgRechner* frTilgRechner;
