// The about box and the desktop launcher: the question, the file's content and mode in a
// temporary desktop folder, quoting of odd paths, and a failed write.
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "calculator/about.h"
#include "calculator/kolvex.h"
#include "core/globals.h"
#include "platform/shell_open.h"
#include "support/fenster_fixture.h"

using namespace kolvex;

// Readable QStrings in failure messages.
[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class AboutTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    ASSERT_TRUE(desktop_.isValid());
    setDesktopOrdnerFuerTests(desktop_.path());
  }
  void TearDown() override {
    setDesktopOrdnerFuerTests(QString());
    setShellOpenHook({});
    FensterTest::TearDown();
  }
  QString Starter() const { return QDir(desktop_.path()).filePath("Kolvane 1.8.desktop"); }

  QTemporaryDir desktop_;
};

TEST_F(AboutTest, ZeigtNameVersionUndLinks) {
  EXPECT_EQ(frAbout->windowTitle(), " About");
  EXPECT_EQ(frAbout->ProductName->text(), "Kolvane");
  EXPECT_EQ(frAbout->lbVersion->text(), "Version 1.8");
  EXPECT_EQ(frAbout->Label2->text(), "Programm-Update:");
  EXPECT_EQ(frAbout->sbDesktop->toolTip(), "Verknüpfung mit dem Programm Kolvane auf dem Desktop erstellen");

  QStringList geoeffnet;
  setShellOpenHook([&](const QString& ziel) {
    geoeffnet << ziel;
    return true;
  });
  QTest::mouseClick(frAbout->lbMail2, Qt::LeftButton);
  QTest::mouseClick(frAbout->Label3, Qt::LeftButton);
  EXPECT_EQ(geoeffnet, (QStringList{"MailTo:" + frAbout->lbMail2->text(), frAbout->Label3->text()}));
}

TEST_F(AboutTest, NeinErstelltNichts) {
  meldungen.answerWith({MessageAnswer::No});
  QTest::mouseClick(frAbout->sbDesktop, Qt::LeftButton);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, "Verknüpfung mit dem Programm Kolvane auf dem Desktop erstellen?");
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_FALSE(QFile::exists(Starter()));
}

TEST_F(AboutTest, JaLegtEinenAusfuehrbarenStarterFuerDasLaufendeProgrammAn) {
  frKolvex->VerknuepfungErstellen();
  ASSERT_TRUE(QFile::exists(Starter()));
  EXPECT_EQ(meldungen.messages().size(), 1u);  // only the question
  const QStringList z = DateiLesen(Starter());
  EXPECT_EQ(z.value(0), "[Desktop Entry]");
  EXPECT_TRUE(z.contains("Type=Application"));
  EXPECT_TRUE(z.contains("Name=Kolvane 1.8"));
  // The running executable (not a name guessed from the working folder), started in the
  // program folder where the settings live.
  EXPECT_TRUE(z.contains("Exec=\"" + QCoreApplication::applicationFilePath() + "\""));
  EXPECT_TRUE(z.contains("Path=" + QDir::cleanPath(QString::fromStdString(ProgrammPfad))));
  EXPECT_TRUE(QFileInfo(Starter()).isExecutable());

  // Created again, it is replaced.
  frKolvex->VerknuepfungErstellen();
  EXPECT_EQ(DateiLesen(Starter()), z);
}

TEST(Verknuepfung, UngewoehnlichePfadeWerdenRichtigMaskiert) {
  const QStringList z = VerknuepfungsInhalt("/opt/Mein \"Rechner\"/$HOME/a\\b/100%", "/home/ich/Kolvex Daten");
  EXPECT_TRUE(z.contains("Exec=\"/opt/Mein \\\\\"Rechner\\\\\"/\\\\$HOME/a\\\\\\\\b/100%%\"")) << z.join('\n').toStdString();
  EXPECT_TRUE(z.contains("Path=/home/ich/Kolvex Daten"));
  EXPECT_EQ(VerknuepfungsName(), "Kolvane 1.8.desktop");
}

TEST_F(AboutTest, EinFehlgeschlagenesSchreibenWirdGemeldet) {
  setDesktopOrdnerFuerTests(QDir(desktop_.path()).filePath("gibt/es/nicht"));
  frKolvex->VerknuepfungErstellen();
  ASSERT_EQ(meldungen.messages().size(), 2u);
  EXPECT_TRUE(meldungen.messages()[1].text.startsWith("Verknüpfung konnte nicht erstellt werden"));
  EXPECT_EQ(meldungen.messages()[1].kind, MessageKind::Warning);
}

TEST_F(AboutTest, ESCUndF1AufOKSchliessenDasFenster) {
  frAbout->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frAbout));
  QTest::keyClick(frAbout->OKButton, Qt::Key_F1);
  EXPECT_FALSE(frAbout->isVisible());
  frAbout->show();
  QTest::keyClick(frAbout->OKButton, Qt::Key_Escape);
  EXPECT_FALSE(frAbout->isVisible());
}

}  // namespace
