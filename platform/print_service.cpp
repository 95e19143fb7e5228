#include "platform/print_service.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

namespace PrintService {
namespace {

QString& testDatei() {
  static QString datei;
  return datei;
}

QPageLayout::Orientation letzteAusrichtung = QPageLayout::Landscape;

}  // namespace

void setTestOutputFile(const QString& pdfPath) { testDatei() = pdfPath; }
QString testOutputFile() { return testDatei(); }
QPageLayout::Orientation lastOrientation() { return letzteAusrichtung; }

bool printWidget(QWidget* widget, QPageLayout::Orientation orientation, double marginPercent,
                 QWidget* dialogParent, QString* error) {
  if (!widget) return false;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(orientation);
  if (!testDatei().isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(testDatei());
  } else {
    QPrintDialog dialog(&printer, dialogParent ? dialogParent : widget->window());
    if (dialog.exec() != QDialog::Accepted) return false;
    // The dialog may offer its own orientation choice; the caller's one wins.
    printer.setPageOrientation(orientation);
  }
  letzteAusrichtung = orientation;

  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) *error = QStringLiteral("Der Drucker kann nicht geöffnet werden.");
    return false;
  }
  // The painter's origin is the top left of the printable area.
  const QRectF seite = printer.pageLayout().paintRectPixels(printer.resolution());
  const double randX = seite.width() * marginPercent / 100.0;
  const double randY = seite.height() * marginPercent / 100.0;
  const double breite = seite.width() - 2 * randX;
  const double hoehe = seite.height() - 2 * randY;
  const QSize groesse = widget->size();
  if (groesse.isEmpty() || breite <= 0 || hoehe <= 0) {
    painter.end();
    return true;  // an empty page, as the printer would give
  }
  const double massstab = std::min(breite / groesse.width(), hoehe / groesse.height());
  painter.translate(randX + (breite - groesse.width() * massstab) / 2, randY);
  painter.scale(massstab, massstab);
  widget->render(&painter, QPoint(), QRegion(),
                 QWidget::DrawWindowBackground | QWidget::DrawChildren);
  painter.end();
  return true;
}

}  // namespace PrintService
