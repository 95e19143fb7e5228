#pragma once
// The model list: the modal window in which the user picks the fitting model of the data
// graph among the seven built-in models and the user models kept in "approx.txx". It also
// runs the fits for the data graph and the model builder (core/approxim.h does the
// arithmetic; this window supplies the model in force and the curves' points and keeps the
// fit globals XWerte, YWerte, Koeff, KurveX, KurveY of core/globals.h up to date).
#include <QString>
#include <QStringList>
#include <vector>

#include "core/approxim.h"
#include "platform/form.h"

class ApproximDatenquelle;
class QFrame;
class QListWidget;
class QPushButton;
class RadioGroup;

class TfrApproxim : public Form {
  Q_OBJECT

 public:
  explicit TfrApproxim(QWidget* parent = nullptr);
  ~TfrApproxim() override;

  // The seven models that are always there, items 0 to 6.
  static const QStringList EingebauteAnsaetze;
  static constexpr int EingebauteAnzahl = 7;
  // File name inside ProgrammPfad.
  static constexpr const char* AnsatzDateiName = "approx.txx";

  void FormCreate() override;
  void FormActivate() override;

  // "approx.txx": lines 1 to 7 stand for the built-ins and are skipped, blank lines too;
  // every other line (at most 255 characters) is a user model.
  void AnsaetzeLaden();
  // Writes every item, built-ins first (UTF-8, LF, atomically); a failure is reported.
  void AnsaetzeSpeichern();
  // Colours, fonts and backgrounds of the items, the hint and the delete button.
  void AnsaetzeFormatieren();

  // The data graph's activation: chooses the model with that index (AnsatzIndex), silently;
  // an index beyond the list takes the last model, a negative one the first.
  void AuswahlSetzen(int index);
  // The model in force: the builder's model text while it has one, else the chosen model.
  QString ModellText() const;

  // Fits curve s (1-based) of the data graph with the model in force, or takes the
  // builder's typed coefficients while its Tag is 1, and samples the fitted curve. Fills
  // XWerte/YWerte (1..n), Koeff (1..k) and the valid samples of KurveX/KurveY. Nothing is
  // shown: the pass's message is in the result's `meldung`; when the result is not ok and
  // the user should hear why, *fehler gets the German message (FitFehlerText naming the
  // curve, or the typed coefficient that is no number; empty for a model without terms).
  kolvex::FitErgebnis ApproximationBerechnen(int kurve, QString* fehler = nullptr);
  // Fits the data graph's first curve with the model text being built and lists the
  // coefficients in the builder's grid (rows 1 .. min(k, 12)). A failed fit is reported
  // and leaves the grid as it was.
  void KoeffizientenAnzeigen(const QString& modell, int k);
  // Why a fit failed, one German sentence (empty when there is nothing to say: a model
  // without terms).
  static QString FitFehlerGrund(const kolvex::FitErgebnis& e);
  // A curve whose model could not be fitted: its label and the reason.
  struct FitFehlschlag {
    QString kurve;
    QString grund;
  };
  // The one message for the curves of a pass whose fit failed: for one curve "Das Modell
  // konnte für die Kurve „label“ nicht berechnet werden." and the reason on the next line;
  // for several a heading and one line „label“: reason per curve. Empty for none.
  static QString FitFehlerText(const std::vector<FitFehlschlag>& fehlschlaege);

  // Fits (not typed coefficients) made since start-up; lets tests see that a redraw
  // refitted nothing.
  static inline long long FitZaehler = 0;

  ApproximDatenquelle* Datenquelle = nullptr;

  // The builder's "Approximation-Fenster" box: hides this window (true) without ending its
  // modal run, or shows it again (false).
  void BaukastenVerstecken(bool verstecken);

  // Event handlers.
  void RadioGroup1Click(int index);
  void sbAppromAuswahlClick();
  void sbLoschenClick();
  void OKButtonClick();
  void Buttonsplatzieren();

  QFrame* Panel1 = nullptr;
  RadioGroup* RadioGroup1 = nullptr;
  QListWidget* lbh = nullptr;
  QFrame* plMenu = nullptr;
  QPushButton* sbAppromAuswahl = nullptr;
  QPushButton* sbLoschen = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void TitelSetzen();
  // Reads curve s into XWerte/YWerte (1..n, at least 11 entries); returns n.
  std::size_t PunkteLesen(int kurve);
  // The label of curve s as the data graph shows it ("" without a data source).
  QString KurvenName(int kurve) const;
  void GlobaleSetzen(const kolvex::FitErgebnis& e);
};

extern TfrApproxim* frApproxim;
