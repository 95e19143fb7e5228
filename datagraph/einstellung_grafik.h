#pragma once
// The data graph's settings dialog: colour, point style, line style and width of its 20
// curves, point markers, point size and the left axis's label increment, kept in
// "EinstellungGr.txx" or a named "*.ttx" copy. Every change applies at once to the series
// Series1..Series20 of the chart set in Zieldiagramm (the data graph's Chart1).
//
// The settings live in the controls themselves (and the curve colours in GrafikFarben):
// the file reader fills the controls, the writer and the data graph read them. The child
// widgets are built by LayoutErzeugen() (einstellung_grafik_layout.cpp).
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "platform/farben.h"
#include "platform/chart_view.h"
#include "platform/form.h"

class AufAbSchalter;
class FarbPanel;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class TextCombo;

// File name of the default settings inside the program folder.
inline constexpr const char* GrafikEinstellungsDatei = "EinstellungGr.txx";

class TfrEinstellung_Grafik : public Form {
  Q_OBJECT

 public:
  explicit TfrEinstellung_Grafik(QWidget* parent = nullptr);
  ~TfrEinstellung_Grafik() override;

  void FormCreate() override;
  void FormShow() override;
  void FormActivate() override;
  void FormClose(bool& accept) override;

  // The chart whose Series1..Series20 and left axis the settings apply to; null: nothing
  // is applied. Set once at start-up after the data graph exists.
  ChartView* Zieldiagramm = nullptr;

  // Reads a settings file (a path) into the controls and GrafikFarben; the colours go back
  // to their defaults first. A damaged file gives a warning naming file and line; what was
  // read before stays. A missing file changes only the colours.
  void EinstellungLaden(const QString& name);
  // Writes the 93 lines; a file that cannot be written gives a warning and stays as it was.
  void EinstellungSpeichern(const QString& name);
  // The same, telling whether the file was written.
  bool EinstellungSchreiben(const QString& name);
  // The 93 lines the writer would write now.
  QStringList EinstellungsZeilen() const;
  void EinstellungUebernehmen();
  void LinienZeigen(bool zeigen);
  // Width from cbS<i> (1 when empty or not a whole number), pen style from cbL<i>; i = 1..20.
  int Linienbreite(int i) const;
  Qt::PenStyle Linienstil(int i) const;
  void FarbenZeigen();
  // Puts a colour first among the colour dialog's custom colours (Memo1), pushing the
  // others down one place; the sixteenth is dropped.
  void FarbeMerken(int farbe);

  static int32_t SilberErsetzen(int32_t farbe);
  static PointerStyle PunktstilAusText(const QString& text);
  static Qt::PenStyle LinienstilAusText(const QString& text);
  // The colour table every load starts from (index 1..20).
  static int32_t StandardFarbe(int i);

  // The left axis's label increment: UpD_IncY1's position / 10, as EinstellungUebernehmen
  // set it last.
  double IncrementY() const { return incrementY_; }

  // ---- Handlers (public so that tests and the data graph can trigger them) ----------------
  void FarbPanelClick(int i);
  void UpD_PktGClick();
  void UpD_IncY1Click();
  void sbSpeichernClick();
  void sbSpeichern_alsClick();
  void sbLadenClick();
  void sbLadenStandClick();
  void sbExitClick();
  // lbPkt_G and lbIncY1 as the activation shows them.
  void AnzeigenAktualisieren();
  // The custom-colour lines of Memo1 (always 16 after creation).
  QStringList MemoZeilen() const;

  // Test hooks for the file dialogs: called instead of the dialog with the folder it would
  // start in; return the chosen path ("" = cancel).
  static inline std::function<QString(const QString& ordner)> SpeichernDialogTestHook;
  static inline std::function<QString(const QString& ordner)> LadenDialogTestHook;

  // Numbered controls by curve (i = 1..20; nullptr otherwise).
  FarbPanel* plF(int i) const;
  TextCombo* cbPunkt(int i) const;    // cb<i>
  TextCombo* cbLinie(int i) const;    // cbL<i>
  TextCombo* cbStaerke(int i) const;  // cbS<i>

  // ---- Components (created by LayoutErzeugen) ---------------------------------------------
  QWidget* Panel1 = nullptr;
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
  FarbPanel* plF11 = nullptr;
  FarbPanel* plF12 = nullptr;
  FarbPanel* plF13 = nullptr;
  FarbPanel* plF14 = nullptr;
  FarbPanel* plF15 = nullptr;
  FarbPanel* plF16 = nullptr;
  FarbPanel* plF17 = nullptr;
  FarbPanel* plF18 = nullptr;
  FarbPanel* plF19 = nullptr;
  FarbPanel* plF20 = nullptr;
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
  TextCombo* cb11 = nullptr;
  TextCombo* cb12 = nullptr;
  TextCombo* cb13 = nullptr;
  TextCombo* cb14 = nullptr;
  TextCombo* cb15 = nullptr;
  TextCombo* cb16 = nullptr;
  TextCombo* cb17 = nullptr;
  TextCombo* cb18 = nullptr;
  TextCombo* cb19 = nullptr;
  TextCombo* cb20 = nullptr;
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
  TextCombo* cbL11 = nullptr;
  TextCombo* cbL12 = nullptr;
  TextCombo* cbL13 = nullptr;
  TextCombo* cbL14 = nullptr;
  TextCombo* cbL15 = nullptr;
  TextCombo* cbL16 = nullptr;
  TextCombo* cbL17 = nullptr;
  TextCombo* cbL18 = nullptr;
  TextCombo* cbL19 = nullptr;
  TextCombo* cbL20 = nullptr;
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
  TextCombo* cbS11 = nullptr;
  TextCombo* cbS12 = nullptr;
  TextCombo* cbS13 = nullptr;
  TextCombo* cbS14 = nullptr;
  TextCombo* cbS15 = nullptr;
  TextCombo* cbS16 = nullptr;
  TextCombo* cbS17 = nullptr;
  TextCombo* cbS18 = nullptr;
  TextCombo* cbS19 = nullptr;
  TextCombo* cbS20 = nullptr;
  QCheckBox* cpPkt_Verbinden = nullptr;
  QCheckBox* cbPkt_Farbe = nullptr;
  QCheckBox* cbPkt_Linie = nullptr;
  AufAbSchalter* UpD_PktG = nullptr;
  QLabel* lbPkt_G = nullptr;
  AufAbSchalter* UpD_IncY1 = nullptr;
  QLabel* lbIncY1 = nullptr;
  QPushButton* sbSpeichern_als = nullptr;
  QPushButton* sbLaden = nullptr;
  QPushButton* sbLadenStand = nullptr;
  QPushButton* sbSpeichern = nullptr;
  QPushButton* sbExit = nullptr;
  QPlainTextEdit* Memo1 = nullptr;  // hidden: the 16 custom-colour lines

  // This dialog's own colour dialog: its custom colours are Memo1's, set before every
  // opening (Qt keeps one list for the whole program).
  KolvexFarbDialog ColorDialog1;

 signals:
  // Emitted by EinstellungUebernehmen when it applies to a chart: the chart's left axis
  // should label every `increment` units.
  void IncrementYGeaendert(double increment);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void VerbindungenHerstellen();
  void FarbenDateiLesen();
  void FarbenDateiSchreiben();
  void MemoSetzen(const QStringList& zeilen);
  ChartSeries* Serie(int i) const;
  QString ProgrammDatei(const QString& name) const;

  double incrementY_ = 0.1;
};

extern TfrEinstellung_Grafik* frEinstellung_Grafik;
