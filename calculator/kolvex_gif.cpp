// The host window's GIF export: thin over the codec's export of one frame.
#include <QApplication>
#include <QImage>

#include "calculator/kolvex.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/gif_export.h"
#include "gif/sub_image.h"

namespace {

// The hourglass for the application until the end of the scope, on every way out.
class WarteCursor {
 public:
  WarteCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WarteCursor() { QApplication::restoreOverrideCursor(); }
  WarteCursor(const WarteCursor&) = delete;
  WarteCursor& operator=(const WarteCursor&) = delete;
};

}  // namespace

void TfrKolvex::GifSpeichern(const QImage& bild, const QString& name) {
  WarteCursor sanduhr;
  gif::saveSingleFrameGif(bild, name);
}

int TfrKolvex::GifBildHinzufuegen(gif::GifFile& datei, const QImage& bild) {
  return gif::addExportFrame(datei, bild, gif::rdOctreeSystem);
}

int TfrKolvex::GifTransparenzIndex(const gif::GifSubImage& bild) {
  if (bild.empty()) return -1;
  return bild.pixel(0, bild.height() - 1);
}
