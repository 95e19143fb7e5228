#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

#include "calculator/fenster_erzeugen.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "gif/qt/gif_image.h"
#include "imagefile/qt/image_io.h"
#include "platform/application.h"
#include "platform/fenster_lage.h"

int main(int argc, char** argv) {
  Application app(argc, argv);
  // German formats for what Qt shows; the core never asks the process locale, and the C
  // library keeps reading and writing numbers with a point whatever QApplication set.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  std::setlocale(LC_NUMERIC, "C");
  // The common dialogs (files, colours, printing) speak German like the rest of the program.
  QTranslator qtDeutsch;
  if (qtDeutsch.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtDeutsch);

  // The picture formats are known before any window can save or open a picture.
  imagefile::registerFormats();
  gif::registerFormats();

  // Every window exists before the main window is shown: its show handler writes the
  // loaded settings into the settings dialog and the function graph.
  FensterErzeugen();
  // The side windows open at the screen's edges and beside the main window, so the main
  // window starts in the middle of the screen rather than wherever the system puts it.
  frRechn->adjustSize();
  FensterZentrieren(frRechn);
  if (kolvex::MinimiertStarten)
    frRechn->showMinimized();
  else
    frRechn->show();
  // Closing the main window ends the message loop.
  const int rc = app.exec();
  FensterZerstoeren();
  return rc;
}
