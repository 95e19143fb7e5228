#pragma once
// The values table " Werte": the values of the 52 variables a..z, A..Z in the grid sgK
// (row 0 is the heading and stands for pi), kept in the values file. The core reads the grid
// while it substitutes variables, also while the user is still typing a value.
#include <QString>

#include "platform/form.h"

class QEvent;
class QFrame;
class QToolButton;
class StringGrid;

class TfrKonstante : public Form {
  Q_OBJECT

 public:
  explicit TfrKonstante(QWidget* parent = nullptr);
  ~TfrKonstante() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormClose(bool& accept) override;

  // Column 0: " a".." z", " A".." Z" in rows 1..52; 53 rows.
  void VariablenEintragen();
  // Line k of the file into column 1 of row k (rows 1..52; further lines are ignored).
  void WerteLaden(const QString& datei);
  // Column 1 of rows 1..52, one line each; false when the file could not be written.
  bool WerteSpeichern(const QString& datei);
  // Selects the row of the letter; nothing happens when no row matches.
  void VariableSuchen(QChar buchstabe);

  // Button handlers (public so that other windows and tests can trigger them).
  void sbRefreshClick();  // also Enter in the grid
  void SpeichernClick();
  void sbExitClick();
  void tbFormStyleClick();

  // ---- Components (konstante_layout.cpp) ------------------------------------------------
  StringGrid* sgK = nullptr;
  QFrame* plUnten = nullptr;
  QFrame* plZ = nullptr;
  QToolButton* sbRefresh = nullptr;
  QToolButton* Speichern = nullptr;
  QToolButton* sbExit = nullptr;
  QToolButton* tbFormStyle = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void KopfZeileSetzen();
  void SpaltenBreitenSetzen(int abzug);
  void plZZentrieren();
  void ZelleGeaendert(int col, int row);

  // Text of the current value cell before the last keystroke; a keystroke that leaves a
  // faulty expression is undone to it.
  QString rueckgaengig_;
  int rueckgaengigZeile_ = -1;
  bool zuruecksetzen_ = false;
};

extern TfrKonstante* frKonstante;
