#include "imagefile/qt/image_io.h"


#include <QFile>
#include <fcntl.h>

#include <QInputDialog>
#include <QLineEdit>

#include "imagefile/bmp_loader.h"
#include "imagefile/hips_loader.h"
#include "imagefile/ico_loader.h"
#include "imagefile/jpeg_loader.h"
#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/metafile.h"
#include "imagefile/pcx_loader.h"
#include "imagefile/png_loader.h"
#include "imagefile/qt/bitmap_image.h"
#include "imagefile/qt/format_graphics.h"
#include "imagefile/qt/graphic.h"
#include "imagefile/qt/icon_selection_form.h"

namespace imagefile {

namespace {

std::string nativeName(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

void registerFormats() {
  static bool done = false;
  if (done) return;
  done = true;
  // Loaders in their fixed order; the first that accepts an extension serves it.
  // 1: external image modules (none in this program, so it accepts nothing).
  static ImageDllLoader dllLoader;
  registerLoader(&dllLoader);
  registerLoader(&icoLoader());
  registerLoader(&jpegLoader());
  registerLoader(&pngLoader());
  registerLoader(&hipsLoader());
  registerLoader(&bmpLoader());
  registerLoader(&pcxLoader());
  registerLoader(&wmfLoader());

  // The questions some loaders ask the user.
  // The selection window offers the colour the user chose last time, as it always has; the
  // loader itself keeps nothing between calls.
  icoLoader().selector = [](const IconList& list, int& index, std::uint32_t& color) {
    static std::optional<std::uint32_t> zuletztGewaehlt;
    if (zuletztGewaehlt) color = *zuletztGewaehlt;
    if (!IconSelectionForm::select(list, index, color)) return false;
    zuletztGewaehlt = color;
    return true;
  };
  hipsLoader().question = [](const std::string& caption, const std::string& prompt, std::string& value) {
    bool ok = false;
    const QString answer = QInputDialog::getText(nullptr, QString::fromStdString(caption),
                                                 QString::fromStdString(prompt), QLineEdit::Normal,
                                                 QString::fromStdString(value), &ok);
    if (ok) value = answer.toStdString();
    return ok;
  };

  // Picture classes: the built-in ones first, then the library's.
  registerFileFormat("ICO", "Icons", [] { return std::make_unique<IconGraphic>(false); });
  registerFileFormat("WMF", "Metafiles", [] { return std::make_unique<MetafileGraphic>(); });
  registerFileFormat("EMF", "Enhanced Metafiles", [] { return std::make_unique<MetafileGraphic>(); });
  registerFileFormat("JPG", "JPEG Image File", [] { return std::make_unique<JPEGGraphic>(); });
  registerFileFormat("JPEG", "JPEG Image File", [] { return std::make_unique<JPEGGraphic>(); });
  registerFileFormat("CUR", "Windows cursors", [] { return std::make_unique<IconGraphic>(true); });
  registerFileFormat("BMP", "Windows bitmap", [] { return std::make_unique<VKBitmap>(); });
  registerFileFormat("PCX", "Zsoft Paintbrush", [] { return std::make_unique<PCXGraphic>(); });
  registerFileFormat("PNG", "Portable Network Graphics", [] { return std::make_unique<PNGGraphic>(); });
  registerFileFormat("MNG", "Multiple-image Network Graphics", [] { return std::make_unique<MNGGraphic>(); });
  registerFileFormat("HIP", "HIPS image", [] { return std::make_unique<HIPSGraphic>(); });
  registerFileFormat("HIPS", "HIPS image", [] { return std::make_unique<HIPSGraphic>(); });
}

void saveImageFile(const QImage& image, const QString& fileName) {
  registerFormats();
  LinearBitmap bitmap;
  imageToBitmap(image, bitmap);
  bitmap.saveToFile(nativeName(fileName));
}

void saveImageFile(const QImage& image, const QString& fileName, int descriptor) {
  registerFormats();
  LinearBitmap bitmap;
  imageToBitmap(image, bitmap);
  FileStream stream(::fcntl(descriptor, F_DUPFD_CLOEXEC, 0));
  bitmap.saveToStream(stream, fileExtension(nativeName(fileName)));
  stream.finish();
}

QImage loadImageFile(const QString& fileName) {
  registerFormats();
  LinearBitmap bitmap;
  bitmap.loadFromFile(nativeName(fileName));
  return bitmapToImage(bitmap, GrayMapping::Grayscale16);
}

void convertImageFile(const QString& from, const QString& to) {
  registerFormats();
  LinearBitmap bitmap;
  bitmap.loadFromFile(nativeName(from));
  bitmap.saveToFile(nativeName(to));
}

QImage loadPictureFile(const QString& fileName) {
  registerFormats();
  std::unique_ptr<Graphic> picture = createGraphicFor(fileName);
  picture->loadFromFile(fileName);
  return picture->toImage();
}

}  // namespace imagefile
