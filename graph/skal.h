#pragma once
// The scaling dialog shared by the function graph and the data graph: a 3x3 grid in which
// the user types the minimum and maximum of the vertical (column 1) and horizontal
// (column 2) axis. The caller fills the cells, shows it modally and reads the cells back.
#include "platform/form.h"

class QPushButton;
class QFrame;
class StringGrid;

// The data graph as the dialog's OK sees it; the data graph registers itself at its creation
// (frSkal->DatenGrafik).
class SkalDatenGrafik {
 public:
  virtual ~SkalDatenGrafik() = default;
  // Whether the data graph is the caller (its Tag is 1).
  virtual bool RuftSkalierung() const = 0;
  // Applies the stored limits SkalXMin .. SkalYMax.
  virtual void SkalierungAnwenden() = 0;
};

class TfrSkal : public Form {
  Q_OBJECT

 public:
  explicit TfrSkal(QWidget* parent = nullptr);
  ~TfrSkal() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormShow() override;

  // OK: Tag = 1; when the data graph is the caller its stored limits are updated and
  // applied. Closes in every case.
  void sbSpeichernClick();
  // Exit: Tag = 0; closes.
  void sbExitClick();
  // Column widths and button places for the current window width.
  void SpaltenAnpassen();

  SkalDatenGrafik* DatenGrafik = nullptr;

  QFrame* Panel1 = nullptr;
  StringGrid* sgSkal = nullptr;
  QFrame* plKnoepfe = nullptr;
  QPushButton* sbSpeichern = nullptr;
  QPushButton* sbExit = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void LayoutErzeugen();
  bool TasteImGitter(int key);  // true when the key was handled
};

extern TfrSkal* frSkal;
