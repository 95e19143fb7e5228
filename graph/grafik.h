#pragma once
// The function graph window: plots up to 20 formulas of the graph variable as curves and
// offers redraw, delete, scaling, grid, legend, a logarithmic vertical axis, the click
// read-out, value export and printing. The widgets are built by LayoutErzeugen()
// (grafik_layout.cpp); sampling and the tool-bar handlers live in grafik.cpp.
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "platform/form.h"

class ChartSeries;
class ChartView;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMouseEvent;
class QProgressBar;
class QToolBar;
class QToolButton;
namespace kolvex {
class Kurvenformel;
}

// What the function graph asks of the calculator's windows (main window, formula list,
// settings dialog); the calculator installs it when it wires the windows at start-up.
class GrafikUmgebung {
 public:
  virtual ~GrafikUmgebung() = default;
  // The main window's checks of a formula before it is drawn (their messages included).
  virtual bool FormelPruefen(const QString& formel) = 0;
  // The graph closed: the main window's buttons and the settings dialog's view follow.
  virtual void GrafikGeschlossen() = 0;
  // Shows or closes the formula list or the settings dialog; the main window's button
  // follows.
  virtual void FormelListeZeigen(bool an) = 0;
  virtual void EinstellungZeigen(bool an) = 0;
  // Curve n's style (1..10) as the settings dialog shows it.
  struct KurvenStil {
    QString punkt, linie, staerke;
    bool fuellen = false, umriss = false, verbinden = false;
    int groesse = 0;
    // The style as the settings file loaded it, for a graph without the dialog.
    static KurvenStil Geladen(int n);
  };
  virtual KurvenStil Stil(int n) = 0;
  // The settings dialog's "E" notation box.
  virtual bool ExponentAnzeige() = 0;
};

class TfrGrafik : public Form {
  Q_OBJECT

 public:
  explicit TfrGrafik(QWidget* parent = nullptr);
  ~TfrGrafik() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormClose(bool& accept) override;

  GrafikUmgebung* Umgebung = nullptr;

  // ---- Plotting ---------------------------------------------------------------------------
  // Checks, lists and draws one formula (screen text).
  void FormelZeichnen(const QString& formel);
  // Samples the formula into the series of the newest curve (curve n = lbh count).
  void KurveBerechnen(QChar variable, const QString& formel);
  // The formula's value at x; FehlerCode tells whether it is valid.
  long double FormelWert(QChar variable, const QString& formel, long double x);
  // Core text: every stand-alone letter but the graph variable replaced by its value;
  // empty when a value is missing.
  std::string KonstantenErsetzen(const std::string& formel);
  // Core text: every stand-alone occurrence of variable replaced by the number text of x.
  std::string VariableErsetzen(const std::string& formel, char variable, long double x);
  // The letter at position p (1-based) of text stands alone.
  static bool IstVariable(const std::string& text, int p, char letter);
  bool FormelVorhanden(const QString& formel) const;
  // Applies the settings dialog's styles to Series1..Series10.
  void StilUebernehmen();

  // ---- Window commands --------------------------------------------------------------------
  void WerteAnzeigen(long double x, long double y);
  void AllesLoeschen();
  static long double GrenzeRunden(QChar seite, long double wert);
  void LogPruefen();
  // Prints: landscape chart, or with DruckHochformat the whole window in portrait.
  void Drucken();
  // Writes the value export to datei (";"-separated, TAB for ".TXT"); false on a write error.
  bool WerteSpeichern(const QString& datei);

  // Tool-bar handlers (public so that tests and other windows can trigger them).
  void tbRefreshClick();
  void tbLoeschenClick();
  void tbLoeschen_1Click();
  void tbSkalierungClick();
  void tbSkal_RundClick();
  void tbAutom_SkalClick();
  void tbGitterClick();
  void tbLegendeClick();
  void tbLog_LinClick();
  void tbSpeichernClick();
  void tbFormelClick();
  void tbEinstellClick();
  void tbFormStyleClick();
  void tbPrintClick();          // left button: landscape
  void tbPrintRechtsDruck();    // right button pressed: portrait
  // A click on the chart at widget position pos of Chart1.
  void Chart1Klick(const QPoint& pos);

  // Test hook for the save dialog of the value export: returns the chosen path ("" = cancel).
  static inline std::function<QString()> SpeichernDialogTestHook;

  // Texts of the range edits for the settings file: the edit's text when it is a number,
  // otherwise the last number it held (so "-" or "" never reaches the file).
  QString AbText() const;
  QString BisText() const;
  QString AnzahlText() const;
  // More points than this per curve could not be held (20 curves of them in memory and in
  // the chart); a larger count is refused with a warning.
  static constexpr int MaxPunkteProKurve = 10'000'000;

  // ---- Components (created by LayoutErzeugen) -----------------------------------------------
  QToolBar* ToolBar1 = nullptr;
  QToolButton* tbPlus = nullptr;
  QToolButton* tbFormel = nullptr;
  QToolButton* tbSkalierung = nullptr;
  QToolButton* tbAutom_Skal = nullptr;
  QToolButton* tbSkal_Rund = nullptr;
  QToolButton* tbGitter = nullptr;
  QToolButton* tbLegende = nullptr;
  QToolButton* tbLog_Lin = nullptr;
  QToolButton* tbLoeschen_1 = nullptr;
  QToolButton* tbLoeschen = nullptr;
  QToolButton* tbPrint = nullptr;
  QToolButton* tbEinstell = nullptr;
  QToolButton* tbFormStyle = nullptr;
  QToolButton* tbSpeichern = nullptr;
  QToolButton* btExit = nullptr;
  QFrame* plOben = nullptr;  // holds the chart; its border is the chart's frame
  ChartView* Chart1 = nullptr;
  ChartSeries* Series1 = nullptr;
  ChartSeries* Series2 = nullptr;
  ChartSeries* Series3 = nullptr;
  ChartSeries* Series4 = nullptr;
  ChartSeries* Series5 = nullptr;
  ChartSeries* Series6 = nullptr;
  ChartSeries* Series7 = nullptr;
  ChartSeries* Series8 = nullptr;
  ChartSeries* Series9 = nullptr;
  ChartSeries* Series10 = nullptr;
  ChartSeries* Series11 = nullptr;
  ChartSeries* Series12 = nullptr;
  ChartSeries* Series13 = nullptr;
  ChartSeries* Series14 = nullptr;
  ChartSeries* Series15 = nullptr;
  ChartSeries* Series16 = nullptr;
  ChartSeries* Series17 = nullptr;
  ChartSeries* Series18 = nullptr;
  ChartSeries* Series19 = nullptr;
  ChartSeries* Series20 = nullptr;
  std::array<ChartSeries*, 20> Serien{};  // Serien[i] is Series(i+1)
  QListWidget* lbh = nullptr;             // hidden: formula of curve i+1 in item i
  QFrame* plUnten = nullptr;
  QLabel* lbX = nullptr;
  QLabel* lbY = nullptr;
  QLabel* lbXmin = nullptr;
  QLabel* lbXmax = nullptr;
  QLabel* lbPunkte = nullptr;  // "Punktenzahl:"
  QLineEdit* edAb = nullptr;
  QLineEdit* edBis = nullptr;
  QLineEdit* edAnzahl = nullptr;
  QToolButton* tbRefresh = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

  // The point last read off the chart (0, 0 after a click beyond the value limit).
  long double KlickX = 0;
  long double KlickY = 0;
  // The print button was pressed with the right mouse button.
  bool DruckHochformat = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void VerbindungenHerstellen();
  void BereichEditEinrichten(QLineEdit* edit, QLineEdit* naechstes, QString* letzterWert);
  // Prepares one curve's formula for all its points; shows what stops it.
  bool Vorbereiten(QChar variable, const QString& formel, kolvex::Kurvenformel& kurve);
  void SerienAktivieren(int anzahl);
  void LegendeAktualisieren();

  bool stop_ = false;  // a variable of the formula has no value: ends the current curve
  // Last texts of the range edits that were numbers (see AbText()).
  QString letztesAb_ = "-5";
  QString letztesBis_ = "5";
  QString letzteAnzahl_ = "100";
  QString vorherAnzahl_ = "100";  // the count edit's text before the key being typed
};

extern TfrGrafik* frGrafik;
