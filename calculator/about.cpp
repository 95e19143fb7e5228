#include "calculator/about.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>

#include "core/globals.h"
#include "platform/fenster_lage.h"
#include "platform/message_dialog.h"
#include "platform/shell_open.h"
#include "platform/text_file.h"

TfrAbout* frAbout = nullptr;

namespace {

QString& desktopOrdnerTest() {
  static QString ordner;
  return ordner;
}

// Desktop entry string values escape backslash and control characters.
QString DesktopWert(const QString& text) {
  QString r;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\\') r += QStringLiteral("\\\\");
    else if (c == u'\n') r += QStringLiteral("\\n");
    else if (c == u'\t') r += QStringLiteral("\\t");
    else if (c == u'\r') r += QStringLiteral("\\r");
    else if (c == u' ' && i == 0) r += QStringLiteral("\\s");
    else r += c;
  }
  return r;
}

// One Exec argument in double quotes: ", `, $ and \ get a backslash, % is doubled (field
// codes); the string escaping of the whole value comes on top.
QString ExecArgument(const QString& argument) {
  QString r = QStringLiteral("\"");
  for (QChar c : argument) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') r += QLatin1Char('\\');
    if (c == u'%') r += QLatin1Char('%');
    r += c;
  }
  r += QLatin1Char('"');
  return r;
}

}  // namespace

TfrAbout::TfrAbout(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frAbout"));
  LayoutErzeugen();
  connect(sbDesktop, &QPushButton::clicked, this, [this] { sbDesktopClick(); });
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  OKButton->installEventFilter(this);
  lbMail2->installEventFilter(this);
  Label3->installEventFilter(this);
}

TfrAbout::~TfrAbout() {
  if (frAbout == this) frAbout = nullptr;
}

void TfrAbout::FormCreate() {
  QWidget* flaeche = ScrollBox1->widget();
  flaeche->layout()->activate();
  resize(flaeche->sizeHint());
}

void TfrAbout::FormShow() {
  FensterZentrieren(this);
  OKButton->setFocus();
}

void TfrAbout::ShellOeffnen(const QString& datei, const QString& parameter) {
  if (parameter.isEmpty())
    shellOpen(datei);
  else
    QProcess::startDetached(datei, {parameter});
}

void TfrAbout::sbDesktopClick() { VerknuepfungErstellen(); }

void TfrAbout::lbMail2Click() { ShellOeffnen(QStringLiteral("MailTo:") + lbMail2->text()); }

// The web address opens in the user's browser.
void TfrAbout::Label3Click() { ShellOeffnen(Label3->text()); }

void TfrAbout::OKButtonClick() {
  ModalResult = mrOk;
  close();
}

bool TfrAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == OKButton && event->type() == QEvent::KeyPress) {
    const int taste = static_cast<QKeyEvent*>(event)->key();
    if (taste == Qt::Key_Escape || taste == Qt::Key_F1) {
      close();
      return true;
    }
  } else if (event->type() == QEvent::MouseButtonRelease &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == lbMail2) lbMail2Click();
    else if (watched == Label3) Label3Click();
  }
  return Form::eventFilter(watched, event);
}

// ---- Desktop launcher ---------------------------------------------------------------------

QString DesktopOrdner() {
  if (!desktopOrdnerTest().isEmpty()) return desktopOrdnerTest();
  return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

void setDesktopOrdnerFuerTests(const QString& ordner) { desktopOrdnerTest() = ordner; }

QString VerknuepfungsName() {
  return QString::fromLatin1(ProgrammName) + QLatin1Char(' ') + QString::fromLatin1(ProgrammVersion) +
         QStringLiteral(".desktop");
}

QStringList VerknuepfungsInhalt(const QString& programm, const QString& ordner) {
  return {QStringLiteral("[Desktop Entry]"),
          QStringLiteral("Type=Application"),
          QStringLiteral("Version=1.0"),
          QStringLiteral("Name=") + DesktopWert(QString::fromLatin1(ProgrammName) + QLatin1Char(' ') +
                                                QString::fromLatin1(ProgrammVersion)),
          QStringLiteral("Exec=") + DesktopWert(ExecArgument(programm)),
          QStringLiteral("Path=") + DesktopWert(ordner),
          QStringLiteral("Terminal=false")};
}

void VerknuepfungErstellen() {
  if (showMessage(QStringLiteral("Verknüpfung mit dem Programm Kolvane auf dem Desktop erstellen?"),
                  MessageKind::Information, MessageButtons::YesNo) != MessageAnswer::Yes)
    return;
  // The launcher starts the executable that is running now (wherever it was started from)
  // in the program folder, where the settings and data files live.
  const QString programm = QCoreApplication::applicationFilePath();
  QString ordner = QDir::cleanPath(QString::fromStdString(kolvex::ProgrammPfad));
  if (ordner.isEmpty() || ordner == QLatin1String(".")) ordner = QDir::currentPath();
  const QString datei = QDir(DesktopOrdner()).filePath(VerknuepfungsName());
  QString fehler;
  bool ok = writeTextLines(datei, VerknuepfungsInhalt(programm, ordner), &fehler);
  if (ok) {
    QFile f(datei);
    ok = f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                          QFileDevice::ExeOther);
    if (!ok) fehler = f.errorString();
  }
  if (!ok)
    showMessage(QStringLiteral("Verknüpfung konnte nicht erstellt werden\r") + fehler, MessageKind::Warning);
}
