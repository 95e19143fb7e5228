#pragma once
// Printing a window or a part of it: the user picks the printer in the print dialog; the
// widget is rendered at its own size and scaled to fit the page.
#include <QPageLayout>
#include <QString>

class QWidget;

namespace PrintService {

// Shows the print dialog (not in test mode) and prints the widget's image on one page in
// the given orientation, scaled to fit inside margins of marginPercent per cent of the
// page's width and height on every side, centred horizontally. Returns false when the
// dialog was cancelled or the printer could not be opened (then *error says why).
bool printWidget(QWidget* widget, QPageLayout::Orientation orientation, double marginPercent = 0,
                 QWidget* dialogParent = nullptr, QString* error = nullptr);

// Test hook: while set (non-empty), printing goes to this PDF file without a dialog.
void setTestOutputFile(const QString& pdfPath);
QString testOutputFile();
// Orientation of the last page printed (also in test mode).
QPageLayout::Orientation lastOrientation();

}  // namespace PrintService
