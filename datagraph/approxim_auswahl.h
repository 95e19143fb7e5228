#pragma once
// The model builder: the modal window, opened from the model list's "Bearbeiten", in which
// the user composes a model from up to 10 of 26 basis terms by ticking boxes. It shows the
// model text (plOben) and the formula with the coefficients filled in (edFormel), lists the
// coefficients fitted to a chosen curve of the data graph (sg), lets the user type
// coefficients and draw the curve with them, copies the formula and adds the model to the
// model list.
//
// While plOben holds a model text the data graph fits that model; closing the window
// empties it. Tag is 1 while a curve is drawn with the typed coefficients, else 0.
#include <QString>
#include <vector>

#include "platform/form.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class StringGrid;

class TfrApproxim_Auswahl : public Form {
  Q_OBJECT

 public:
  explicit TfrApproxim_Auswahl(QWidget* parent = nullptr);
  ~TfrApproxim_Auswahl() override;

  void FormCreate() override;
  void FormShow() override;
  void FormActivate() override;
  void FormClose(bool& accept) override;

  // Builds the model text into plOben and the formula with the grid's values into
  // edFormel from the ticked boxes (an eleventh is unticked, "Max. 10 Funktion"); mode 1
  // also fits the data graph's first curve and lists the coefficients.
  void FormelAufbauen(int modus);
  // Ticks the boxes of the model chosen in the model list.
  void AnsatzEinlesen();
  // Unticks all 26 boxes (and rebuilds once).
  void AuswahlLoeschen();
  // Fills cbApp with the data graph's curve labels and chooses the first.
  void KurvenListeFuellen();
  // The coefficients typed in the grid (rows 1 .. RowCount - 1). False when a cell is not
  // a number; *fehler then names it.
  bool GetippteKoeffizienten(std::vector<double>& koeff, QString* fehler = nullptr) const;

  // The 26 term boxes in the order of the model text.
  const std::vector<QCheckBox*>& TermBoxen() const { return boxen_; }

  // Event handlers.
  void TermBoxClick(QCheckBox* box);
  void TermBoxMausLos();
  // Fits curve index + 1 and lists its coefficients; false when the fit failed (reported).
  bool cbAppChange(int index);
  void cbAbrundenClick();
  void sgEnter();
  void sbKopierenClick();
  void sbLoschenClick();
  void sbNeueFktPlusClick();
  void cbApproximZeigenClick();
  void Buttonsplatzieren();
  // True while the window closes (from its close hook until it is hidden).
  bool Schliesst() const { return schliesst_; }

  QLabel* plOben = nullptr;  // its text is the panel's caption: the model text
  QFrame* plOben2 = nullptr;
  QLineEdit* edFormel = nullptr;
  QFrame* plLinks = nullptr;
  QGroupBox* gbPF = nullptr;
  QGroupBox* gbRF = nullptr;
  QGroupBox* gbEF = nullptr;
  QGroupBox* gbWF = nullptr;
  QGroupBox* gbLF = nullptr;
  QFrame* plRechts = nullptr;
  QComboBox* cbApp = nullptr;
  StringGrid* sg = nullptr;
  QCheckBox* cbAbrunden = nullptr;
  QCheckBox* cbApproximZeigen = nullptr;
  QFrame* plMenu = nullptr;
  QPushButton* sbKopieren = nullptr;
  QPushButton* sbLoschen = nullptr;
  QPushButton* sbNeueFktPlus = nullptr;
  QPushButton* sbExit = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void BoxSetzen(QCheckBox* box, bool an);  // silent
  void KoeffizientenEintragen();            // Koeff into column 1, listing rule
  void MitGetipptenZeichnen();
  int GewaehlteKurve() const;  // 1-based

  std::vector<QCheckBox*> boxen_;
  bool mausLos_ = false;
  bool listeVersteckt_ = false;  // the model list was hidden by cbApproximZeigen
  bool schliesst_ = false;
};

extern TfrApproxim_Auswahl* frApproxim_Auswahl;
