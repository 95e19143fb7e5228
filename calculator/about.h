#pragma once
// The about box: program name and version, a contact mail link, an update link and the
// button that puts a launcher for the program on the desktop. Shown modally from the main
// window's tool bar. The child widgets are built by LayoutErzeugen() (about_layout.cpp).
#include <QString>

#include "platform/form.h"

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

// Name and version as the box and the launcher show them.
inline constexpr const char* ProgrammName = "Kolvane";
inline constexpr const char* ProgrammVersion = "1.8";
// The maker's contact and update addresses shown in the box.
inline constexpr const char* KontaktAdresse = "kolvane@example.com";
inline constexpr const char* UpdateAdresse = "https://www.example.com/kolvane/";

class TfrAbout : public Form {
  Q_OBJECT

 public:
  explicit TfrAbout(QWidget* parent = nullptr);
  ~TfrAbout() override;

  void FormCreate() override;
  void FormShow() override;

  // Hands a file or address to the desktop (parameters: a second argument, usually empty).
  void ShellOeffnen(const QString& datei, const QString& parameter = QString());

  // ---- Handlers ---------------------------------------------------------------------------
  void sbDesktopClick();
  void lbMail2Click();
  void Label3Click();
  void OKButtonClick();

  // ---- Components (created by LayoutErzeugen) -------------------------------------------
  QScrollArea* ScrollBox1 = nullptr;
  QFrame* plInhalt = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lbVersion = nullptr;
  QLabel* lbMail2 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QFrame* plMenu = nullptr;
  QPushButton* sbDesktop = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutErzeugen();
};

extern TfrAbout* frAbout;

// ---- Desktop launcher ---------------------------------------------------------------------
// Asks, then writes "Kolvane 1.8.desktop" into the desktop folder: an executable launcher
// that starts the running executable in the program folder. A failed write is reported.
void VerknuepfungErstellen();
// The launcher's name and content for the given executable and program folder.
QString VerknuepfungsName();
QStringList VerknuepfungsInhalt(const QString& programm, const QString& ordner);
// The desktop folder (QStandardPaths); tests point it at a temporary folder ("" = normal).
QString DesktopOrdner();
void setDesktopOrdnerFuerTests(const QString& ordner);
