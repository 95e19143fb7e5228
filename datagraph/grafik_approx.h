#pragma once
// The data graph window: loads an XY-data table (or, through the measurement import, a
// measurement file) into the value grid sg1, turns chosen column pairs into up to 20
// curves of Chart1, and shows them with scaling, grid, legend, curve labels and a title
// block. The widgets are built by LayoutErzeugen() (grafik_approx_layout.cpp); loading and
// the table page live in grafik_approx.cpp, curves, title block and display in
// grafik_approx_anzeige.cpp.
//
// The measurement import is reached through Messdaten (MessdatenQuelle, below); without it
// a measurement file loads nothing and no channel choice is asked.
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QString>
#include <QVector>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagraph/approxim_datenquelle.h"
#include "datagraph/kanal_liste.h"
#include "graph/skal.h"
#include "platform/chart_view.h"
#include "platform/form.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTextEdit;
class QToolBar;
class QToolButton;
class StringGrid;
class ValueGrid;
class ValueTable;

// What the original's common dialogs kept between openings.
struct DateiDialogDaten {
  QString FileName;
  int FilterIndex = 1;  // 1-based
  QString InitialDir;
};

// How the data graph reaches the measurement import, which fills its table: the import's
// windows are above it, so the calculator installs this when it wires the windows.
class MessdatenQuelle {
 public:
  virtual ~MessdatenQuelle() = default;
  // A new file was chosen: an earlier channel choice no longer holds.
  virtual void NeueDatei() = 0;
  // Asks which channels to read and every how many values; true when confirmed.
  virtual bool KanaeleWaehlen() = 0;
  // Reads the measurement (header or data file) into the table.
  virtual void Laden(const QString& name) = 0;
};

// The window is the model list's source of curves (frApproxim->Datenquelle, installed by
// FormCreate): the fits read its curves' points, and a changed model redraws here. It is
// also the scaling dialog's data graph (frSkal->DatenGrafik, installed by FormCreate).
class TfrGrafikApprox : public Form, public ApproximDatenquelle, public SkalDatenGrafik {
  Q_OBJECT

 public:
  explicit TfrGrafikApprox(QWidget* parent = nullptr);
  ~TfrGrafikApprox() override;

  void FormCreate() override;
  // The activation steps run when the program shows the window (and on a reload), not
  // whenever it becomes the active window again.
  void FormShow() override;
  void FormClose(bool& accept) override;
  // Shown by the program, the window runs its activation steps (and so loads the file) once
  // it is on the screen and has painted, with the bar already showing when a table loads.
  void setVisible(bool visible) override;

  // ---- Loading (window and text tables) -------------------------------------------------
  // The file the loader must open for a chosen file: a measurement data file maps to its
  // header (".TDX" -> ".TDM", ".R32"/".R48"/".R64" -> ".DAT"); when that name does not
  // exist, a file of the same name in other letter case in the same folder is taken.
  static QString DatenDateiName(const QString& name);
  // Settings re-read, file loaded by its extension, title block restored.
  void Aktivieren();
  void TextDateiLaden(const QString& name);
  void DiaDemDateiLaden(const QString& name);
  void AlleKurvenLoeschen();
  void FarbListeFuellen();
  // Runs the file dialog OpenDialog1 (or its hook); true when a file was chosen.
  bool OpenDialog1Execute();

  void sbLadenClick();
  void sbAbZeileClick();  // also Enter in edAbZeile
  void tbPlusClick();
  void tbLoeschenLClick();
  void tbLoeschenClick();  // also sbLoeschen
  void cbKommentarClick();
  void cbXKanalChange();
  // The channel boxes show these texts ("Nr" and the column names) from now on; the old
  // ones go with `liste`. Both boxes show the one list (Kanaele).
  void KanalBoxenSetzen(KanalListe& liste);

  // ---- Curve value file -----------------------------------------------------------------
  void tbSpeichernClick();
  // Writes the curve values (";", TAB for ".TXT"); false after a write error (shown).
  bool WerteSpeichern(const QString& datei);

  // ---- Curves and title block -------------------------------------------------------------
  void sbGrafikClick();
  void KurveEinlesen();
  // The label of the chosen column pair: file name without folder and extension, three
  // blanks, X text, " : ", Y text.
  QString KurvenBezeichnung() const;
  // The curve list of the title block and the block's height.
  void KurvenListeSchreiben();
  void tbTitelClick();
  void Image1Click();
  // Shows the picture file as the logo; a file the picture library cannot read is told
  // (BildLadenMitMeldung) and keeps the logo shown. False then.
  bool LogoLaden(const QString& datei);

  // ---- Display --------------------------------------------------------------------------
  // With fitting off: the series' lines as the settings say, no fitted curves. With fitting
  // on: every curve whose fit is stale (its points, the model in force or the builder's
  // typed coefficients changed) is fitted anew, ESC ending that early; the left axis's
  // maximum is raised to the highest valid sample of the curves shown; the chart is drawn
  // once, and the pass's one message shown after it: the fit's term message and the curves
  // fitted in this pass that have nothing to draw (the solver failed, a coefficient or every
  // sample is not finite); such a curve keeps its points and loses the fitted curve of an
  // earlier model. A failure is cached like a fit and not told again until the curve is
  // fitted anew. The chart's overlay draws the fitted curves from the cache on every
  // paint; no paint ever fits.
  void ApproximationZeichnen() override;
  // Curve n's fitted curve alone, at once, without touching the axes (the model builder's
  // typed coefficients). A failed fit or a coefficient that is no number is reported, and
  // what is drawn stays as it was.
  void ApproximationZeichnenKurve(int n) override;
  // The curves as the fits see them: ListBox1's labels and the series' points.
  int KurvenAnzahl() const override;
  QString KurvenBeschriftung(int s) const override;
  void KurvenWerte(int s, std::vector<double>& x, std::vector<double>& y) const override;
  QPoint WertZuPixel(double x, double y);
  void SkalierungAnwenden() override;
  bool RuftSkalierung() const override { return Tag == 1; }
  void RandSetzen();
  void KurvenBeschriften();
  void BeschriftungPlatzieren();
  void SpaltenAnpassen();

  void tbSkalierungClick();
  void tbAutom_SkalClick();
  void tbAutom_SkalRechtsClick();
  void tbSkal_RundClick();
  void tbSkal_speichClick();
  void tbSkal_speichRechtsClick();
  void tbGitterClick();
  void tbLegendeClick();
  void cbMomentClick();
  void tbInterpolationMausDruck(Qt::MouseButton knopf);
  void tbEinstellungClick();
  // A click on a point of a series at widget position pos of Chart1.
  void Chart1Klick(ChartSeries* serie, const QPoint& pos);

  // ---- Picture: capture, printing, export, viewer (grafik_approx_ausgabe.cpp) ----------
  // Renders the chart (fitted curves included) and, with tbTitel down, the title block into
  // Druckbild; 'P' prints it landscape, 'S' saves it under SavePictureDialog1.FileName
  // (".GIF" through gif::saveSingleFrameGif, every other extension through the picture
  // library). A failed save keeps an existing file and shows why; false then, and when the
  // print dialog was cancelled.
  bool DiagrammAusgeben(QChar modus);
  // The capture alone: white (w + 20) x (h + 40 + extra), the chart at (20, 40), the title
  // block at (20, 40 + h + 2); w, h = Chart1's size, extra = plUnten's height + 2 or 0.
  QImage DiagrammBild();
  void tbPrintClick();
  void tbDiagrammeRechtsDruck();  // right press: save
  void tbDiagrammeClick();        // left click: the viewer
  // Runs SavePictureDialog1 (or its hook); true when a name was chosen.
  bool SavePictureDialog1Execute();
  // The save dialog's filters and the default suffix that goes with one of them.
  static QStringList BildFilter();
  static QString BildStandardEndung(const QString& filter);
  // Test hook of SavePictureDialog1: gets the dialog as set up (folder, filters, suffix)
  // and returns the chosen path ("" = cancel) instead of showing it.
  static inline std::function<QString(class QFileDialog& dialog)> BildSpeichernDialogTestHook;
  DateiDialogDaten SavePictureDialog1;
  QImage Druckbild;  // the last capture

  // ---- Pure rules (public for the tests) --------------------------------------------------
  // The part of a curve label after its first double blank (the channel names).
  static QString KurvenTeil(const QString& bezeichnung);
  // Right margin in the chart's units (percent of its width): 2 with the legend shown or
  // the curve labels off, else 0.65 x the longest channel part, halves to even.
  static int RandWert(const QStringList& bezeichnungen, bool legende, bool beschriften);
  // The right margin in pixels for a chart that wide: RandWert's share of the width, wider
  // where the widest curve label beside the plot (beschriftungBreite pixels, 0 for none)
  // needs it, but at most 3/10 of the width; at least 12.
  static int RandPixel(int wert, int chartBreite, int beschriftungBreite);
  // Height of the title block for that many curve-list lines (at least 82).
  static int TitelHoehe(int zeilen);
  static QPoint WertZuPixelIn(const ChartRect& r, double xmin, double xmax, double ymin,
                              double ymax, double x, double y);
  // The limits of "Grenze Abrunden": the left axis to whole numbers outward, the bottom
  // axis to hundreds outward (halves to even).
  static std::pair<double, double> LinksGerundet(double min, double max);
  static std::pair<double, double> UntenGerundet(double min, double max);

  // ---- Hooks --------------------------------------------------------------------------------
  // The measurement import, installed when the windows are wired at start-up.
  MessdatenQuelle* Messdaten = nullptr;
  // Test hook: while set, the fitting button's right press calls it instead of opening the
  // model list.
  static inline std::function<void()> ModellListeTestHook;
  // Test hooks for the file dialogs. Open: may change the dialog data, true = confirmed.
  // Save: the chosen path ("" = cancel); the filter index (1 csv, 2 txt) chooses the
  // default suffix. Picture: the chosen path ("" = cancel).
  static inline std::function<bool(DateiDialogDaten&)> OeffnenDialogTestHook;
  static inline std::function<QString(int& filterIndex)> SpeichernDialogTestHook;
  static inline std::function<QString()> BildDialogTestHook;
  // Test hook: the table reader fails for lack of memory after that many rows (-1: off).
  static inline int SpeicherFehlerNachZeilen = -1;
  // Test hook: memory runs out at the n-th step of a table load that needs much of it (reading
  // the file, the header, the rows, the header cells, the channel list) and at every later
  // one (-1: off).
  static inline int SpeicherFehlerAbSchritt = -1;
  // Test hook: called where a table load lets the window's events through, at its start
  // (0 rows, the file not read yet) and whenever the bar moves (the rows read so far). The
  // test may look at the window there, wait for it, or press ESC.
  static inline std::function<void(int zeilen)> LadeTestHook;

  DateiDialogDaten OpenDialog1;
  DateiDialogDaten SaveDialog1;
  DateiDialogDaten OpenPictureDialog1;

  // ---- Components (created by LayoutErzeugen) -------------------------------------------
  QStackedWidget* plSeiten = nullptr;  // holds plChart and plTabelle
  QFrame* plChart = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolButton* tbPlus = nullptr;
  QToolButton* tbInterpolation = nullptr;
  QToolButton* tbEinstellung = nullptr;
  QToolButton* tbSkalierung = nullptr;
  QToolButton* tbAutom_Skal = nullptr;
  QToolButton* tbSkal_speich = nullptr;
  QToolButton* tbSkal_Rund = nullptr;
  QToolButton* tbGitter = nullptr;
  QToolButton* tbLegende = nullptr;
  QCheckBox* cbMoment = nullptr;
  QToolButton* tbTitel = nullptr;
  QToolButton* tbLoeschenL = nullptr;
  QToolButton* tbLoeschen = nullptr;
  QToolButton* tbSpeichern = nullptr;
  QToolButton* tbPrint = nullptr;
  QToolButton* tbDiagramme = nullptr;
  QToolButton* btExit = nullptr;
  QLabel* lbX = nullptr;
  QLabel* lbY = nullptr;
  ChartView* Chart1 = nullptr;
  std::array<ChartSeries*, 20> Serien{};  // Serien[i] is Series(i+1)
  ChartSeries* Series1 = nullptr;
  QLabel* lbDX = nullptr;
  QLabel* lbDY = nullptr;
  QListWidget* ListBox1 = nullptr;
  QListWidget* lbFarben = nullptr;
  QFrame* plLinie = nullptr;
  QFrame* plUnten = nullptr;
  QLabel* Image1 = nullptr;
  QFrame* Shape2 = nullptr;
  QTextEdit* RichEdit1 = nullptr;
  QLineEdit* edText1 = nullptr;
  QLineEdit* edText2 = nullptr;
  QLineEdit* edText3 = nullptr;
  QLineEdit* edDatum = nullptr;

  QFrame* plTabelle = nullptr;
  QFrame* plAOben = nullptr;
  QComboBox* cbXKanal = nullptr;
  QComboBox* cbYKanal = nullptr;
  KanalModell* Kanaele = nullptr;  // the items of both channel boxes
  QComboBox* cbFarbe = nullptr;
  QPushButton* sbGrafik = nullptr;
  QPushButton* sbLaden = nullptr;
  QPushButton* sbLoeschen = nullptr;
  QLabel* lbAbZeile = nullptr;
  QLineEdit* edAbZeile = nullptr;
  QPushButton* sbAbZeile = nullptr;
  QCheckBox* cbKommentar = nullptr;
  QLabel* lbTitel = nullptr;
  QLabel* lbFName = nullptr;
  QSplitter* plGitter = nullptr;  // sg1 and sgK
  ValueGrid* sg1 = nullptr;
  QWidget* Splitter1 = nullptr;   // the handle between sg1 and sgK
  StringGrid* sgK = nullptr;

  QFrame* plAbbruch = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayoutErzeugen();
  void AusgabeErzeugen();  // tbPrint, tbDiagramme and their events
  void VerbindungenHerstellen();
  // The steps of a table load (grafik_approx.cpp). The file's bytes, read with the window's
  // events let through; false after a read error (told).
  bool TabellenDateiLesen(const QString& name, QByteArray& bytes);
  // The bar and the caption for the rows read so far; the events are let through (ESC).
  void LadeStand(int zeilen);
  // The grid shows the new table and both boxes its channel list; the old ones go. When the
  // views find no memory for them, all three show no table rather than disagree, and
  // std::bad_alloc passes on.
  void TabelleZeigen(ValueTable& neu, KanalListe& kanaele);
  // While a table loads: the table page gives way to the bar and "Mit ESC-Taste Abbruch";
  // afterwards the caption, the panel and the page are as before.
  void LadeAnzeige(bool an);
  // The activation steps, due since the window was shown, once it is exposed (event(),
  // eventFilter()): they come after the paint that shows it.
  void AktivierenWennGezeigt();
  void GrafikZeigen(bool grafik);
  void SerienAktivieren(int anzahl);
  void LinienNachEinstellung();
  int Kurven() const;
  // The curve labels' font: the chart's, bold.
  QFont BeschriftungsSchrift() const;
  // Scrolls the title block's lines back to their beginning.
  void TitelZeilenVonVorn();

  // The fit cache of curve s (1..20): kept until the curve's points, the model in force or
  // the typed coefficients in use differ from those it was made with.
  struct AusgleichSchluessel {
    std::uint64_t punkte = 0;  // the series' points revision
    QString modell;
    bool getippt = false;  // the builder's typed coefficients instead of a fit
    std::vector<double> koeff;
    bool operator==(const AusgleichSchluessel&) const = default;
  };
  struct Ausgleich {
    bool belegt = false;
    AusgleichSchluessel schluessel;
    bool ok = false;         // false: the fit failed (or had no terms), nothing to draw
    QVector<QPointF> linie;  // the valid samples
    double hoechster = 0;    // the highest of them
    bool gezeigt = false;    // on the overlay now
  };
  Ausgleich& AusgleichVon(int s);
  // The key curve s's cache must have now; false when a typed coefficient is no number.
  bool AusgleichSchluesselVon(int s, AusgleichSchluessel& k, QString* fehler) const;
  // Fits curve s anew and caches the result (a failure too while fehlerCachen is set;
  // otherwise a failed fit leaves the cache as it was). True when there is a curve to draw;
  // when there is none, *grund gets why (empty for a model without terms).
  bool AusgleichBerechnen(int s, const AusgleichSchluessel& k, bool fehlerCachen,
                          QString* grund, std::string* meldung);
  // The overlay lines of the curves marked shown, from their caches.
  void AusgleichLinienSetzen();
  std::vector<Ausgleich> ausgleich_;

  QPixmap logo_;  // the logo as loaded; Image1 shows it scaled to the block
  bool wiederZeigen_ = false;  // shown again after the channel choice: no activation steps
  bool aktivierenOffen_ = false;  // shown: the activation steps are due
  bool nachDemMalen_ = false;     // they run once the window has painted
  bool aktivierenGeplant_ = false;  // and are on their way
  QElapsedTimer balkenUhr_;       // since the bar moved last
};

extern TfrGrafikApprox* frGrafikApprox;
