#pragma once
// The settings window beside the main window. Two layouts: with the main window's graph
// button released it shows the calculator settings, with it pressed the function graph's
// curve styles 1..10. Most settings take effect at once: the main window, the result display
// and the function graph read these controls live. The child widgets are built by
// LayoutErzeugen() (einstell_layout.cpp).
#include <QFrame>
#include <QSpinBox>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/einstell_bausteine.h"
#include "platform/form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolBar;
class QToolButton;
class TextCombo;

class TfrEinstell : public Form {
  Q_OBJECT

 public:
  explicit TfrEinstell(QWidget* parent = nullptr);
  ~TfrEinstell() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormShow() override;
  void FormClose(bool& accept) override;

  // Chooses the layout by the main window's graph button and sizes the window.
  void AnsichtAnpassen();
  // Places the window beside the main window, the first time only.
  void EinstellPositionieren();
  // Colours plF1..plF10 with GrafikFarben[1..10].
  void FarbenAnzeigen();
  // n = 1..10: width combo cbS<n> to "1" / line-style combo cbL<n> to "Solid".
  void LinienBreiteZuruecksetzen(int n);
  void LinienStilZuruecksetzen(int n);

  // ---- Handlers (public so that tests and other windows can trigger them) ---------------
  void cbGenauChange();
  void cbTrenPktClick();
  void ComBTrenPktChange();
  void cbExponentenzeichenClick();
  void cbRes_SpeichClick();
  void cbVarChange();
  void FarbPanelClick(int n);
  // Any style combo or point check box changed; combo is the changed combo or nullptr.
  void StilAenderung(QComboBox* combo);
  void UpD_PktGClick();
  void tbFormStyleClick();
  void tbEins_FormelClick();
  void tbEins_WerteClick();
  void sbSpeichernClick();
  void sbExitClick();
  // Shows the result (or the graph's clicked point) again after a number setting changed.
  void ErgebnisNeuAnzeigen();

  // Test hook for the open dialog: while set, it is called instead of the file dialog with
  // the title, the folder and the current name, and returns the chosen path ("" = cancel).
  using DateiDialogFn =
      std::function<QString(const QString& titel, const QString& ordner, const QString& name)>;
  static void setDateiDialogTestHook(DateiDialogFn hook);

  // Numbered controls by curve (n = 1..10; nullptr otherwise).
  FarbPanel* plF(int n) const;
  TextCombo* cbPunkt(int n) const;   // cb<n>
  TextCombo* cbLinie(int n) const;   // cbL<n>
  TextCombo* cbStaerke(int n) const; // cbS<n>

  // ---- Components (created by LayoutErzeugen) -------------------------------------------
  QScrollArea* ScrollBox1 = nullptr;
  QWidget* plInhalt = nullptr;  // content of the scroll box

  // Menu panel.
  QFrame* plMenu = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolButton* tbFormStyle = nullptr;
  QToolButton* tbFMin = nullptr;
  QToolButton* tbEins_Formel = nullptr;
  QToolButton* tbEins_Werte = nullptr;
  QPushButton* sbSpeichern = nullptr;
  QPushButton* sbExit = nullptr;

  // Curve panel (graph layout).
  QFrame* plGrafik = nullptr;
  FarbPanel* plF1 = nullptr;
  FarbPanel* plF2 = nullptr;
  FarbPanel* plF3 = nullptr;
  FarbPanel* plF4 = nullptr;
  FarbPanel* plF5 = nullptr;
  FarbPanel* plF6 = nullptr;
  FarbPanel* plF7 = nullptr;
  FarbPanel* plF8 = nullptr;
  FarbPanel* plF9 = nullptr;
  FarbPanel* plF10 = nullptr;
  TextCombo* cb1 = nullptr;
  TextCombo* cb2 = nullptr;
  TextCombo* cb3 = nullptr;
  TextCombo* cb4 = nullptr;
  TextCombo* cb5 = nullptr;
  TextCombo* cb6 = nullptr;
  TextCombo* cb7 = nullptr;
  TextCombo* cb8 = nullptr;
  TextCombo* cb9 = nullptr;
  TextCombo* cb10 = nullptr;
  TextCombo* cbL1 = nullptr;
  TextCombo* cbL2 = nullptr;
  TextCombo* cbL3 = nullptr;
  TextCombo* cbL4 = nullptr;
  TextCombo* cbL5 = nullptr;
  TextCombo* cbL6 = nullptr;
  TextCombo* cbL7 = nullptr;
  TextCombo* cbL8 = nullptr;
  TextCombo* cbL9 = nullptr;
  TextCombo* cbL10 = nullptr;
  TextCombo* cbS1 = nullptr;
  TextCombo* cbS2 = nullptr;
  TextCombo* cbS3 = nullptr;
  TextCombo* cbS4 = nullptr;
  TextCombo* cbS5 = nullptr;
  TextCombo* cbS6 = nullptr;
  TextCombo* cbS7 = nullptr;
  TextCombo* cbS8 = nullptr;
  TextCombo* cbS9 = nullptr;
  TextCombo* cbS10 = nullptr;
  QFrame* Panel2 = nullptr;
  QLabel* lbPkt_G = nullptr;  // shows the marker size
  QCheckBox* cbPkt_Verbinden = nullptr;
  QCheckBox* cbPkt_Farbe = nullptr;
  QCheckBox* cbPkt_Linie = nullptr;
  AufAbSchalter* UpD_PktG = nullptr;

  // Results panel (calculator layout).
  QFrame* plEinst = nullptr;
  QCheckBox* cbRes_Speich = nullptr;
  QCheckBox* cbErgeb_Var_Ersetzen = nullptr;

  // Number panel (both layouts).
  QFrame* plUnten = nullptr;
  QFrame* Panel3 = nullptr;
  QCheckBox* cbExponentenzeichen = nullptr;
  QFrame* plEinst_Genau = nullptr;
  QComboBox* cbGenau = nullptr;
  QCheckBox* cbTrenPkt = nullptr;
  TextCombo* ComBTrenPkt = nullptr;
  QFrame* Panel4 = nullptr;
  TextCombo* cbVar = nullptr;

  QFrame* plXYDiagr = nullptr;
  QCheckBox* cbXYDatenKAuswahl = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void VerbindungenHerstellen();
  bool GrafikModus() const;
  void ErsteFormelNeuZeichnen();
  QString DateiWaehlen(const QString& titel, const std::string& name);

  bool positioniert_ = false;
  std::string werteDateiGeladen_;  // values file the values table read last
};

extern TfrEinstell* frEinstell;
