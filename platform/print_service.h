#pragma once
// Printing a window or a part of it: the user picks the printer in the print dialog; the
// widget is rendered at its own size and scaled to fit the page.
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <functional>

class QImage;
class QPrinter;
class QWidget;

namespace PrintService {

// Shows the print dialog (not in test mode) and prints the widget's image on one page in
// the given orientation, scaled to fit inside margins of marginPercent per cent of the
// page's width and height on every side, centred horizontally. Returns false when the
// dialog was cancelled or the printer could not be opened (then *error says why).
bool printWidget(QWidget* widget, QPageLayout::Orientation orientation, double marginPercent = 0,
                 QWidget* dialogParent = nullptr, QString* error = nullptr);

// Prints a picture on one page in the given orientation, scaled to fill the area inside
// the margins (as printWidget) while keeping its proportions, centred horizontally. Same
// dialog, test hook and results as printWidget.
bool printImage(const QImage& image, QPageLayout::Orientation orientation,
                double marginPercent = 0, QWidget* dialogParent = nullptr,
                QString* error = nullptr);

// Prints a drawing that paints itself (a chart as vector drawing): after the print dialog,
// paint gets the printer and the page's area inside the margins (device pixels, margins of
// marginPercent per cent as above) and begins its own painter on the printer; it returns
// false when it could not. The printer works in screen units (fonts and lines keep their
// size relative to the drawing as on screen); the output stays vector.
bool printDrawing(QPageLayout::Orientation orientation, double marginPercent,
                  QWidget* dialogParent,
                  const std::function<bool(QPrinter& printer, const QRectF& area)>& paint,
                  QString* error = nullptr);

// Test hook: while set (non-empty), printing goes to this PDF file without a dialog.
void setTestOutputFile(const QString& pdfPath);
QString testOutputFile();
// Orientation of the last page printed (also in test mode).
QPageLayout::Orientation lastOrientation();

}  // namespace PrintService
