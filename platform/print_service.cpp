#include "platform/print_service.h"

#include <QImage>
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

namespace {

// The printer set up by the dialog (or the test file); false when the dialog was cancelled.
bool druckerEinrichten(QPrinter& printer, QPageLayout::Orientation orientation,
                       QWidget* dialogParent) {
  printer.setPageOrientation(orientation);
  if (!testDatei().isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(testDatei());
  } else {
    QPrintDialog dialog(&printer, dialogParent);
    if (dialog.exec() != QDialog::Accepted) return false;
    // The dialog may offer its own orientation choice; the caller's one wins.
    printer.setPageOrientation(orientation);
  }
  letzteAusrichtung = orientation;
  return true;
}

// The painter's origin is the top left of the printable area.
QRectF druckFlaeche(const QPrinter& printer, double marginPercent) {
  const QRectF seite = printer.pageLayout().paintRectPixels(printer.resolution());
  const double randX = seite.width() * marginPercent / 100.0;
  const double randY = seite.height() * marginPercent / 100.0;
  return QRectF(randX, randY, seite.width() - 2 * randX, seite.height() - 2 * randY);
}

const QString& druckerFehler() {
  static const QString text = QStringLiteral("Der Drucker kann nicht geöffnet werden.");
  return text;
}

}  // namespace

bool printDrawing(QPageLayout::Orientation orientation, double marginPercent,
                  QWidget* dialogParent,
                  const std::function<bool(QPrinter&, const QRectF&)>& paint, QString* error) {
  QPrinter printer(QPrinter::ScreenResolution);
  if (!druckerEinrichten(printer, orientation, dialogParent)) return false;
  if (!paint(printer, druckFlaeche(printer, marginPercent))) {
    if (error) *error = druckerFehler();
    return false;
  }
  return true;
}

bool printImage(const QImage& image, QPageLayout::Orientation orientation, double marginPercent,
                QWidget* dialogParent, QString* error) {
  QPrinter printer(QPrinter::HighResolution);
  if (!druckerEinrichten(printer, orientation, dialogParent)) return false;
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) *error = druckerFehler();
    return false;
  }
  const QRectF flaeche = druckFlaeche(printer, marginPercent);
  if (!image.isNull() && flaeche.width() > 0 && flaeche.height() > 0) {
    const double massstab =
        std::min(flaeche.width() / image.width(), flaeche.height() / image.height());
    const QRectF ziel(flaeche.left() + (flaeche.width() - image.width() * massstab) / 2,
                      flaeche.top(), image.width() * massstab, image.height() * massstab);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(ziel, image);
  }
  painter.end();
  return true;
}

bool printWidget(QWidget* widget, QPageLayout::Orientation orientation, double marginPercent,
                 QWidget* dialogParent, QString* error) {
  if (!widget) return false;
  QPrinter printer(QPrinter::HighResolution);
  if (!druckerEinrichten(printer, orientation, dialogParent ? dialogParent : widget->window()))
    return false;

  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) *error = druckerFehler();
    return false;
  }
  const QRectF flaeche = druckFlaeche(printer, marginPercent);
  const QSize groesse = widget->size();
  if (groesse.isEmpty() || flaeche.width() <= 0 || flaeche.height() <= 0) {
    painter.end();
    return true;  // an empty page, as the printer would give
  }
  const double massstab =
      std::min(flaeche.width() / groesse.width(), flaeche.height() / groesse.height());
  painter.translate(flaeche.left() + (flaeche.width() - groesse.width() * massstab) / 2,
                    flaeche.top());
  painter.scale(massstab, massstab);
  widget->render(&painter, QPoint(), QRegion(),
                 QWidget::DrawWindowBackground | QWidget::DrawChildren);
  painter.end();
  return true;
}

}  // namespace PrintService
