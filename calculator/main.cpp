#include <QLocale>
#include <QWidget>
#include <clocale>

#include "calculator/kolvex.h"
#include "platform/application.h"

int main(int argc, char** argv) {
  Application app(argc, argv);
  // German formats for what Qt shows; the core never asks the process locale, and the C
  // library keeps reading and writing numbers with a point whatever QApplication set.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  std::setlocale(LC_NUMERIC, "C");

  frKolvex = new TfrKolvex;
  frKolvex->FormCreate();

  // Until a window is shown there is nothing the user could close to end the program.
  bool anyShown = false;
  for (QWidget* w : QApplication::topLevelWidgets()) anyShown = anyShown || w->isVisible();
  const int rc = anyShown ? app.exec() : 0;
  delete frKolvex;
  return rc;
}
