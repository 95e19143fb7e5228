#pragma once
// The editor " Einheiten editieren" of a unit category: the rows of the conversion window's
// table in sge (unit 1, unit 2, factor), saved as the category file Edit1 + ".txt" in the
// unit folder. Shown modally from the conversion window only.
#include <QString>

#include "platform/form.h"

class QFrame;
class QLineEdit;
class QScrollArea;
class QToolButton;
class StringGrid;

class TfrEinheiten_Edit : public Form {
  Q_OBJECT

 public:
  explicit TfrEinheiten_Edit(QWidget* parent = nullptr);
  ~TfrEinheiten_Edit() override;

  void FormCreate() override;
  void FormShow() override;
  void FormActivate() override;
  // The name field takes the width the buttons leave: its layout in plEdit sees to that.

  // Writes every row that holds more than blanks as unit 1 TAB unit 2 TAB factor; on failure
  // *fehler gets the system's error text and the old file stays as it was.
  bool DateiSchreiben(const QString& pfad, QString* fehler = nullptr);
  // Why a category name cannot be saved ("Ungültiger Name: ..."), or empty when it can.
  static QString NamensFehler(const QString& name);

  // Handlers (public so that tests can trigger them).
  void sbSpeichernClick();
  void sbSpeichernMouseMove();  // refreshes the button's hint
  void sbExitClick();
  void sgeKeyPress(QChar taste);  // Enter (character 13) moves on; other keys are filtered

  // ---- Components (einheiten_edit_layout.cpp) ------------------------------------------
  QScrollArea* ScrollBox1 = nullptr;
  QFrame* plEdit = nullptr;
  QLineEdit* Edit1 = nullptr;
  QFrame* plR = nullptr;
  QToolButton* sbSpeichern = nullptr;
  QToolButton* sbExit = nullptr;
  StringGrid* sge = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void sgeDrawCell(int col, int row, QColor& hintergrund, QColor& schrift) const;
  bool ZeileLeer(int row) const;
};

extern TfrEinheiten_Edit* frEinheiten_Edit;
