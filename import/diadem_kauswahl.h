#pragma once
// The channel choice: a modal dialog in which the user picks the channels of a measurement
// and the reading interval before the data graph loads it. Its Tag tells the callers and
// the readers whether the choice was confirmed (1 after "Weiter", 0 after "Exit"; the
// callers set it to 0 before showing it).
#include <QString>

#include "platform/form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class StringGrid;

class TfrDiaDemKAuswahl : public Form {
  Q_OBJECT

 public:
  explicit TfrDiaDemKAuswahl(QWidget* parent = nullptr);
  ~TfrDiaDemKAuswahl() override;

  void FormCreate() override;
  // The activation steps run whenever the program shows the dialog.
  void FormShow() override;
  // Shows the dialog modally with the channel panel hidden; true when "Weiter" confirmed it.
  // Both roads to the data graph (its "Datei laden" and the main window's "XY-Daten in
  // Diagramm") ask here when the channel choice is switched on.
  bool KanaeleWaehlen();

  // Rows whose choice is "X".
  int AnzahlGewaehlt() const;
  // edInterval := its whole number, at most LeseGesamt, at least 1.
  void IntervallPruefen();

  void sg1Click(int col, int row);
  // A press on the header of column col.
  void sg1KopfKlick(int col);
  void sbWeiterClick();
  void sbExitClick();

  // The value count of the last measurement header shown (the interval's upper bound).
  int LeseGesamt = 0;

  // Test hook: the file whose channels the dialog lists (empty: the data graph's
  // OpenDialog1 name).
  static inline QString DateiTestHook;

  StringGrid* sg1 = nullptr;
  QLineEdit* edInterval = nullptr;
  QLabel* lbKZahl = nullptr;
  QLabel* lbWZahl = nullptr;
  QFrame* plKanal = nullptr;
  QLabel* lbKanal = nullptr;
  QLabel* lbKanalMin = nullptr;
  QLabel* lbKanalMax = nullptr;
  QPushButton* sbWeiter = nullptr;
  QPushButton* sbExit = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayoutErzeugen();
  void ZellFarbe(int col, int row, QColor& hintergrund, QColor& text) const;
  QWidget* plUnten_ = nullptr;
  bool markieren_ = false;  // the current row's channel cells are highlighted
};

extern TfrDiaDemKAuswahl* frDiaDemKAuswahl;
