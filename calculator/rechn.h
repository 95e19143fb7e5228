#pragma once
// The main calculator window: formula entry, keypad, result display and tool bar.
// Its child widgets are built by LayoutErzeugen() (rechn_layout.cpp); the keypad and tool-bar
// handlers live in rechn_tasten.cpp and rechn_toolbar.cpp; the life cycle, the calculation
// driver and the results log live in rechn.cpp.
#include <QString>
#include <memory>

#include "platform/form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QToolBar;
class QToolButton;
// The keypad's key panel (digit, operator and function keys, "SR"/"TR", x² and root);
// defined beside the keypad code.
class Taste;

class TfrRechn : public Form {
  Q_OBJECT
 public:
  explicit TfrRechn(QWidget* parent = nullptr);
  ~TfrRechn() override;

  // ---- Life cycle (rechn.cpp) ----------------------------------------------------------
  void FormCreate() override;
  void FormActivate() override;
  void FormShow() override;
  void FormClose(bool& accept) override;
  void sbExitClick();

  // ---- Calculation driver and results log (rechn.cpp) -----------------------------------
  // The one entry point through which a formula is calculated (Enter, "=", function keys,
  // formula list, values table, unit conversion).
  void Berechnen(const QString& formel);
  // Syntax check with its messages; used by the driver and by the graph button.
  bool FormelPruefen(const QString& formel);
  void ErgebnisAnzeigen(long double wert);
  void FehlerAnzeigen();
  // Appends one line to the results log unless it equals the file's last line.
  void ErgebnisSpeichern(const QString& datei, const QString& formel);

  // ---- Layout, keypad and tool bar (rechn_layout.cpp, rechn_tasten.cpp, rechn_toolbar.cpp)
  // Builds every child widget below and assigns the members; called once by the constructor.
  void LayoutErzeugen();
  void TastenFarbeZuruecksetzen();
  void ZeichenEinfuegen(QChar zeichen);
  void tbGrafik_Visible();
  void LayoutAnpassen();
  void DateiOeffnen(const QString& datei);

  // ---- Components (created by LayoutErzeugen) -------------------------------------------
  QScrollArea* ScrollBox1 = nullptr;  // holds the keypad, fills the window
  QFrame* plOben = nullptr;           // top area: entry field, result, lbESC, SR/TR
  QFrame* plTasten = nullptr;         // keypad area
  QFrame* plMenu = nullptr;           // tool bar area
  QFrame* plMenu_L = nullptr;         // spacer that centres the tool bar
  QFrame* plFunktionen = nullptr;     // function keys
  QFrame* plRG = nullptr;             // Rad/Grad choice beside the function keys
  QFrame* plZahlen = nullptr;         // digit and operator keys
  QLineEdit* ed1 = nullptr;           // formula entry
  QLineEdit* edErgebnis = nullptr;    // result (read-only)
  QLabel* lbESC = nullptr;
  QRadioButton* rbRad = nullptr;
  QRadioButton* rbGrad = nullptr;
  QToolButton* sbErgebnis = nullptr;  // "="
  QToolButton* sbExit = nullptr;      // "Programm beenden"
  QToolBar* ToolBar1 = nullptr;
  QToolButton* tbFormel = nullptr;
  QToolButton* tbWerte = nullptr;
  QToolButton* tbWert_Einf = nullptr;
  QToolButton* tbGrafik = nullptr;
  QToolButton* tbDiagramm = nullptr;
  QToolButton* tbResults = nullptr;
  QToolButton* tbCut = nullptr;
  QToolButton* tbEinstellung = nullptr;
  QToolButton* tbInfo = nullptr;
  QToolButton* tbFormStyle = nullptr;
  QToolButton* tbEinheiten = nullptr;
  Taste* plSparR = nullptr;
  Taste* plTilgR = nullptr;
  Taste* pl_0 = nullptr;
  Taste* pl_1 = nullptr;
  Taste* pl_2 = nullptr;
  Taste* pl_3 = nullptr;
  Taste* pl_4 = nullptr;
  Taste* pl_5 = nullptr;
  Taste* pl_6 = nullptr;
  Taste* pl_7 = nullptr;
  Taste* pl_8 = nullptr;
  Taste* pl_9 = nullptr;
  Taste* pl_komma = nullptr;
  Taste* pl_plus = nullptr;
  Taste* pl_minus = nullptr;
  Taste* pl_mul = nullptr;
  Taste* pl_div = nullptr;
  Taste* pl_KLeft = nullptr;
  Taste* pl_KRecht = nullptr;
  Taste* pl_Pi = nullptr;
  Taste* pl_Del = nullptr;
  Taste* pl_delL = nullptr;
  Taste* pl_delR = nullptr;
  Taste* pl_pm = nullptr;
  Taste* pl_sin = nullptr;
  Taste* pl_cos = nullptr;
  Taste* pl_tan = nullptr;
  Taste* pl_ctan = nullptr;
  Taste* pl_asin = nullptr;
  Taste* pl_acos = nullptr;
  Taste* pl_atan = nullptr;
  Taste* pl_sinh = nullptr;
  Taste* pl_cosh = nullptr;
  Taste* pl_tanh = nullptr;
  Taste* pl_asinh = nullptr;
  Taste* pl_acosh = nullptr;
  Taste* pl_atanh = nullptr;
  Taste* pl_log = nullptr;
  Taste* pl_ln = nullptr;
  Taste* pl_exp = nullptr;
  Taste* pl_sil = nullptr;   // "!"
  Taste* pl_hoch = nullptr;  // "x^y"
  Taste* im_xh2 = nullptr;   // x²
  Taste* im_xs2 = nullptr;   // square root

  // Window height fixed at the first activation and applied again at every activation.
  int FensterHoehe = 0;

  // ---- Keypad and tool-bar block (rechn_tasten.cpp, rechn_toolbar.cpp) ------------------

  // ---- end of keypad and tool-bar block -------------------------------------------------

 private:
  class Kern;  // the core's window interface, installed while this window lives
  std::unique_ptr<Kern> kern_;
};

extern TfrRechn* frRechn;
