// The host window's GIF export: thin over the codec's export of one frame.
#include <QImage>

#include "calculator/kolvex.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/gif_export.h"
#include "gif/sub_image.h"
#include "platform/wait_cursor.h"

void TfrKolvex::GifSpeichern(const QImage& bild, const QString& name) {
  WaitCursor sanduhr;
  gif::saveSingleFrameGif(bild, name);
}

int TfrKolvex::GifBildHinzufuegen(gif::GifFile& datei, const QImage& bild) {
  return gif::addExportFrame(datei, bild, gif::rdOctreeSystem);
}

int TfrKolvex::GifTransparenzIndex(const gif::GifSubImage& bild) {
  if (bild.empty()) return -1;
  return bild.pixel(0, bild.height() - 1);
}
