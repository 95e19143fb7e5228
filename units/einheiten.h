#pragma once
// The unit conversion window " Einheiten - Umrechnung": the pairs of one unit category in
// the grid sg (column 1 the pair of units, column 2 the factor), the category list cb1 and
// cbInvers (every pair the other way round). While the main window's unit button is down,
// its calculation driver multiplies each result by the factor of the selected row.
#include <QString>
#include <vector>

#include "platform/form.h"
#include "engines/units/einheiten_datei.h"

class QCheckBox;
class QColor;
class QComboBox;
class QFrame;
class QScrollArea;
class QToolButton;
class StringGrid;
class QWidget;

// What the unit window asks of the main window it stands below; the calculator installs it
// when it wires the windows at start-up.
class EinheitenUmgebung {
 public:
  virtual ~EinheitenUmgebung() = default;
  // The main window: placed against on the first showing, hidden while the editor is open.
  virtual QWidget* Hauptfenster() = 0;
  // Empties the result and calculates the entry again; false when the entry is empty.
  virtual bool ErgebnisNeuBerechnen() = 0;
  // The window closed: the main window's unit button comes up.
  virtual void EinheitenGeschlossen() = 0;
};

class TfrEinheiten : public Form {
  Q_OBJECT

 public:
  explicit TfrEinheiten(QWidget* parent = nullptr);
  ~TfrEinheiten() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormClose(bool& accept) override;

  EinheitenUmgebung* Umgebung = nullptr;

  // Fills the grid for a category: a built-in table whose name matches exactly, then the
  // category's file over it when there is one.
  void TabelleAufbauen(const QString& kategorie);
  // Empties the body and leaves two rows.
  void TabelleLeeren();
  // Numbers the pair rows; title rows (empty factor) stay unnumbered.
  void ZeilenNummerieren();
  // Brings cb1 up to date with the category files: a file with pairs adds its category, a
  // file without pairs removes it (a built-in one too).
  void KategorienEinlesen();
  // Fills the grid from the category's file; the number of pair rows, 0 without a file
  // (the grid then stays as it is).
  int DateiLaden(const QString& kategorie);
  // Copies the table and the chosen category into the editor.
  void EditorFuellen();

  // The file of a category: UmrechnungPfad + name + ".txt", the extension in any letter
  // case; empty when there is none.
  static QString KategorieDatei(const QString& kategorie);
  // Reads a category file (UTF-8 or Windows-1252); false when it can't be read.
  static bool KategorieDateiLesen(const QString& pfad, einheiten::Kategorie& kategorie);

  // Handlers (public so that other windows and tests can trigger them).
  void cb1Click();
  void cbInversClick();
  void sgClick();
  void sbEditClick();
  void sgDrawCell(int col, int row, QColor& hintergrund, QColor& schrift) const;

  // ---- Components (einheiten_layout.cpp) ------------------------------------------------
  QScrollArea* ScrollBox1 = nullptr;
  QFrame* plTop = nullptr;
  QComboBox* cb1 = nullptr;
  QCheckBox* cbInvers = nullptr;
  QToolButton* sbEdit = nullptr;
  StringGrid* sg = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void ZeileGewechselt(int row);
  // Inserts a category name at its place in the collated order of cb1.
  void KategorieEinfuegen(const QString& name);
  void DateiZeilenEintragen(const einheiten::Kategorie& kategorie);

  // Where each body row came from: a file row keeps its fields as read, so the editor gets
  // the names unchanged; built-in rows have none.
  struct Herkunft {
    bool ausDatei = false;
    einheiten::DateiZeile feld;
  };
  std::vector<Herkunft> herkunft_;  // index = grid row
  // The row the last row change ran for; rebuilding the table alone doesn't rerun it.
  int gewaehlteZeile_ = -1;
  // The chosen row when the mouse button went down: a click on it computes again.
  int zeileVorDruck_ = -1;
  bool aufbau_ = false;
};

extern TfrEinheiten* frEinheiten;
