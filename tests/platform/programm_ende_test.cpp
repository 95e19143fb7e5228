// Who may end the program: only the main window's close. Messages, Qt's own dialogs and the
// other windows close without a word about it, also while the main window is hidden (as it
// is while the data graph runs). The steps run inside the application's own loop, where Qt
// would end the program.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/form.h"
#include "platform/message_dialog.h"
#include "support/programm_lauf.h"

namespace {
class Fenster : public Form {};
}  // namespace

TEST(ProgrammEnde, OnlyTheMainWindowsCloseEndsTheProgram) {
  Fenster haupt;
  haupt.hideOnClose = false;
  Fenster seite;
  ProgrammLauf lauf;
  lauf.Ausfuehren([&] {
    haupt.show();
    seite.show();
    seite.close();
    Nachlaufen();
    EXPECT_FALSE(lauf.Beendet()) << "a side window's close";
    // Modal windows close while the main window is hidden, as the data graph does.
    haupt.hide();
    QTimer::singleShot(0, &seite, [&] { seite.close(); });
    seite.ShowModal();
    Nachlaufen();
    EXPECT_FALSE(lauf.Beendet()) << "a modal window's close";
    haupt.show();
    haupt.close();
    Nachlaufen();
    EXPECT_TRUE(lauf.Beendet()) << "the main window's close";
  });
}

TEST(ProgrammEnde, MessagesAndDialogsNeverEndTheProgram) {
  Fenster haupt;
  haupt.hideOnClose = false;
  Fenster daten;  // stands for the data graph: modal, the main window hidden behind it
  ProgrammLauf lauf;
  QString text;
  QWidget* besitzer = &haupt;
  lauf.Ausfuehren([&] {
    haupt.show();
    haupt.hide();
    // No window shown at all, none active: the box has no window to belong to.
    MeldungBeantworten(&text, &besitzer);
    EXPECT_EQ(showMessage(QStringLiteral("Datei fehlt"), MessageKind::Information),
              MessageAnswer::Ok);
    EXPECT_EQ(text, QStringLiteral("Datei fehlt"));
    EXPECT_EQ(besitzer, nullptr);
    Nachlaufen();
    EXPECT_FALSE(lauf.Beendet()) << "a message box without a window";

    // A modal window runs and, as right after a file dialog has closed, no window is active:
    // the box belongs to the modal window; Qt's own dialogs without a parent close safely.
    QTimer::singleShot(0, &daten, [&] {
      QApplication::setActiveWindow(nullptr);
      MeldungBeantworten(&text, &besitzer, /*nein=*/true);
      EXPECT_EQ(showMessage(QStringLiteral("Bild löschen?"), MessageKind::Question,
                            MessageButtons::YesNo),
                MessageAnswer::No);
      EXPECT_EQ(besitzer, &daten);
      QDialog eigenerDialog;
      WennModal<QDialog>([](QDialog* d) { d->accept(); });
      eigenerDialog.exec();
      Nachlaufen();
      EXPECT_TRUE(daten.isVisible());
      daten.close();
    });
    daten.ShowModal();
    EXPECT_FALSE(lauf.Beendet()) << "a box or dialog closed while a modal window runs";
  });
}
