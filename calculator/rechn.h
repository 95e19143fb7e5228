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
class PanelButton;  // keypad keys and speed buttons

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
  // Connected to sbExit's left-button release by the constructor.
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
  // The window is at least as wide as the result field needs to show its text whole, as far
  // as the screen allows; a narrower window grows, and gives the width back for a shorter
  // result (called whenever the result changes).
  void ErgebnisBreiteAnpassen();
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
  PanelButton* sbErgebnis = nullptr;  // "="
  PanelButton* sbExit = nullptr;      // "Programm beenden"
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
  PanelButton* plSparR = nullptr;
  PanelButton* plTilgR = nullptr;
  PanelButton* pl_0 = nullptr;
  PanelButton* pl_1 = nullptr;
  PanelButton* pl_2 = nullptr;
  PanelButton* pl_3 = nullptr;
  PanelButton* pl_4 = nullptr;
  PanelButton* pl_5 = nullptr;
  PanelButton* pl_6 = nullptr;
  PanelButton* pl_7 = nullptr;
  PanelButton* pl_8 = nullptr;
  PanelButton* pl_9 = nullptr;
  PanelButton* pl_komma = nullptr;
  PanelButton* pl_plus = nullptr;
  PanelButton* pl_minus = nullptr;
  PanelButton* pl_mul = nullptr;
  PanelButton* pl_div = nullptr;
  PanelButton* pl_KLeft = nullptr;
  PanelButton* pl_KRecht = nullptr;
  PanelButton* pl_Pi = nullptr;
  PanelButton* pl_Del = nullptr;
  PanelButton* pl_delL = nullptr;
  PanelButton* pl_delR = nullptr;
  PanelButton* pl_pm = nullptr;
  PanelButton* pl_sin = nullptr;
  PanelButton* pl_cos = nullptr;
  PanelButton* pl_tan = nullptr;
  PanelButton* pl_ctan = nullptr;
  PanelButton* pl_asin = nullptr;
  PanelButton* pl_acos = nullptr;
  PanelButton* pl_atan = nullptr;
  PanelButton* pl_sinh = nullptr;
  PanelButton* pl_cosh = nullptr;
  PanelButton* pl_tanh = nullptr;
  PanelButton* pl_asinh = nullptr;
  PanelButton* pl_acosh = nullptr;
  PanelButton* pl_atanh = nullptr;
  PanelButton* pl_log = nullptr;
  PanelButton* pl_ln = nullptr;
  PanelButton* pl_exp = nullptr;
  PanelButton* pl_sil = nullptr;   // "!"
  PanelButton* pl_hoch = nullptr;  // "x^y"
  PanelButton* im_xh2 = nullptr;   // x²
  PanelButton* im_xs2 = nullptr;   // square root

  // Window height fixed at the first activation and applied again at every activation.
  int FensterHoehe = 0;

  // ---- Keypad and tool-bar block (rechn_tasten.cpp, rechn_toolbar.cpp) ------------------
  // Keypad: every key reports the mouse button that pressed it.
  void TasteMouseDown(PanelButton* taste, Qt::MouseButton knopf);
  void TasteMouseMove(PanelButton* taste);
  void sbErgebnisMouseDown(Qt::MouseButton knopf);
  void sbErgebnisMouseUp(Qt::MouseButton knopf);
  void sbErgebnisMouseMove();
  void ed1Enter();
  // Right click on plOben/edErgebnis, plFunktionen/plRG or plZahlen: the area's colour.
  void FlaecheFarbeWaehlen(QWidget* flaeche);
  // Tool bar: user actions arrive on clicked; programmatic state changes only mirror.
  void tbFormelClick();
  void tbWerteClick();
  void tbWert_EinfClick();
  void tbGrafikClick();
  void tbDiagrammClick();
  void tbResultsClick();
  void tbResultsRechtsklick();
  void tbCutClick();
  void tbEinstellungClick();
  void tbInfoClick();
  void tbFormStyleClick();
  void tbEinheitenClick();
  void plSparRClick();
  void plTilgRClick();
  // Ties the tool buttons to the visibility of the side windows; harmless to repeat, and
  // done again whenever the window is shown (the side windows are created after this one).
  void SeitenfensterVerbinden();
  void TastenVerbinden();
  void ToolBarVerbinden();
  // ---- end of keypad and tool-bar block -------------------------------------------------

 private:
  // Driver helpers (rechn.cpp).
  void ErgebnisFarbeSetzen();  // red for "Error", else green
  void AnzeigeBeenden();       // result field back, lbESC cleared, keypad colours reset
  void ErgebnisZeileSpeichern(const QString& datei, const QString& formel,
                              const QString& ergebnis);

  class Kern;  // the core's window interface, installed while this window lives
  std::unique_ptr<Kern> kern_;
  bool beendenGespeichert_ = false;  // the exit button wrote the settings for this close
  bool breiteZurueckVorgemerkt_ = false;
};

extern TfrRechn* frRechn;

// Colour of a panel area (plOben, plFunktionen, plZahlen, plRG, edErgebnis) as the settings
// file keeps it (blue-green-red, red in the low byte). The writer of the settings file reads
// the areas' colours back through FlaechenFarbe, so set them with FlaechenFarbeSetzen.
void FlaechenFarbeSetzen(QWidget* flaeche, int bgr);
int FlaechenFarbe(const QWidget* flaeche);
