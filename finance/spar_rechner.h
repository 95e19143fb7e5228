#pragma once
// The savings calculator " Sparbuch-Rechner": computes the end capital of a savings plan or
// searches the quantity chosen in " Berechnen " (engines/finance/spar_rechnung.h does the work).
// Shown modally from the main window; Exit keeps the inputs in "einstSR.frb".
#include "engines/finance/spar_rechnung.h"
#include "platform/form.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioGroup;

class TfrSparRechner : public Form {
  Q_OBJECT

 public:
  explicit TfrSparRechner(QWidget* parent = nullptr);
  ~TfrSparRechner() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormResize();

  // The plan or the search of quantity k (0..5, the order of rg1); writes the result fields.
  void Berechnen(int k);
  void Vorgaben();
  void EingabenLesen();
  double TextZuZahl(const QString& text);
  int TextZuGanzzahl(const QString& text);

  void sbBerechnenClick();
  void sbExitClick();
  void rg1Click();
  void chbDynamikClick();
  void cbZinseszinsChange();
  void edAnfangskapitalExit() {}

  // Working values, read by EingabenLesen; they rewrite the fields when the sought quantity
  // changes.
  double Anfangskapital = 0;
  double Sparrate = 0;
  double Dynamik = 0;
  double Zinssatz = 0;
  int Ansparzeit = 0;

  // Input fields in the order of rg1's items (edEndkapital last).
  QLineEdit* FeldVon(int k) const;

  // ---- Components ------------------------------------------------------------------------
  QFrame* plH = nullptr;
  QLabel* lbAnfangskapital = nullptr;
  QLineEdit* edAnfangskapital = nullptr;
  QLabel* lbSparrate = nullptr;
  QLineEdit* edSparrate = nullptr;
  QLabel* lbSparintervall = nullptr;
  QComboBox* cbSparintervall = nullptr;
  QLabel* lbEinzahlungsart = nullptr;
  QComboBox* cbEinzahlungsart = nullptr;
  QCheckBox* chbDynamik = nullptr;
  QFrame* plDynamik = nullptr;
  QLineEdit* edDynamik = nullptr;
  QComboBox* cbDynamik = nullptr;
  QLabel* lbZinssatz = nullptr;
  QLineEdit* edZinssatz = nullptr;
  QLabel* lbZinsperiode = nullptr;
  QComboBox* cbZinsperiode = nullptr;
  QLabel* lbZinseszins = nullptr;
  QComboBox* cbZinseszins = nullptr;
  QLabel* lbAnsparzeit = nullptr;
  QLineEdit* edAnsparzeit = nullptr;
  QComboBox* cbAnsparzeit = nullptr;
  QLabel* lbFestlegungsfrist = nullptr;
  QLineEdit* edFestlegungsfrist = nullptr;
  QComboBox* cbFestlegungsfrist = nullptr;
  QLabel* lbEndkapital = nullptr;
  QLineEdit* edEndkapital = nullptr;
  QLabel* lbZinse = nullptr;
  QLineEdit* edZinseG = nullptr;
  QLabel* lbGesamt = nullptr;
  QLabel* lbAlleSparraten = nullptr;
  RadioGroup* rg1 = nullptr;
  QFrame* plESC = nullptr;
  QFrame* plFormel_Unten = nullptr;
  QPushButton* sbBerechnen = nullptr;
  QPushButton* sbExit = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayoutErzeugen();
  finanz::SparEingaben Eingaben() const;
};

extern TfrSparRechner* frSparRechner;
