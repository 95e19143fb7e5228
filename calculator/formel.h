#pragma once
// The formula list beside the main window: the user's stored formulas with a comment each,
// in the grid sg1 and in the formula file (formula TAB comment TAB per line). A click puts
// a formula into the main window's entry field; Enter or the refresh button calculates it.
// The child widgets are built by LayoutErzeugen() (formel_layout.cpp).
#include <QString>
#include <QStringList>
#include <string>

#include "platform/form.h"

class QFrame;
class QToolBar;
class QToolButton;
class StringGrid;

class TfrFormel : public Form {
  Q_OBJECT

 public:
  explicit TfrFormel(QWidget* parent = nullptr);
  ~TfrFormel() override;

  void FormCreate() override;
  void FormActivate() override;
  void FormClose(bool& accept) override;

  // Empties the three cells of rows 1..RowCount.
  void TabelleLeeren();
  // Clears the grid and loads the file (a missing file gives an empty list).
  void FormelnLaden(const QString& datei);
  // Writes every row with a formula; false (after a warning) when the file was not written.
  bool FormelnSpeichern(const QString& datei);
  // The first row 1.. whose formula is exactly formel; 0 if none.
  int FormelSuchen(const QString& formel) const;
  int FormelSuchen(const std::string& kernFormel) const;  // core text (0xB6 = pi)
  int FormelSuchen(const char* formel) const { return FormelSuchen(QString::fromUtf8(formel)); }
  // At program exit: offers to add the entry field's formula to the file.
  void NeueFormelSpeichern(const QString& datei);
  // The file the list was last loaded from.
  const QString& GeladeneDatei() const { return geladeneDatei_; }

  // The file lines of the list as they would be written.
  QStringList FormelZeilen() const;

  // ---- Handlers (public so that tests and other windows can trigger them) ---------------
  void sbForm_EinfClick();
  void sbFormel_LoeschenClick();
  void sbFormel_SpeichernClick();
  void sbRefreshClick();
  void sbExitClick();
  void tbFormStyleClick();
  void sg1MouseDown();
  void sg1Click();
  void sg1Enter();

  // ---- Components (created by LayoutErzeugen) -------------------------------------------
  QFrame* plMenu = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolButton* sbForm_Einf = nullptr;
  QToolButton* sbFormel_Loeschen = nullptr;
  QToolButton* sbFormel_Speichern = nullptr;
  QToolButton* sbRefresh = nullptr;
  QToolButton* tbFormStyle = nullptr;
  QToolButton* sbExit = nullptr;
  QFrame* plTabelle = nullptr;
  StringGrid* sg1 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
  void KopfZeileSetzen();
  QString FormelDateiPfad() const;

  QString geladeneDatei_;
};

extern TfrFormel* frFormel;
