#include "gif/qt/gif_export.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "gif/errors.h"
#include "gif/extensions.h"
#include "gif/optimize.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/frame_image.h"
#include "gif/qt/gif_painter.h"
#include "imagefile/errors.h"

namespace gif {

namespace {

[[noreturn]] void fileError(const char* pattern, const QString& name, const QString& reason) {
  throw imagefile::InOutError(imagefile::formatText(pattern, {name.toStdString(), reason.toStdString()}));
}

}  // namespace

int addExportFrame(GifFile& file, const QImage& image, int reductionMethod) {
  // The capture is opaque 24-bit whatever it came as.
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  auto frame = std::make_unique<GifSubImage>(&file);
  ReductionSettings settings;
  settings.method = reductionMethod;
  settings.dither = dtNearest;
  settings.bits = 8;
  assignFromImage(*frame, rgb, settings);
  GifSubImage* f = frame.get();
  const int index = file.add(std::move(frame));
  f->setBoundsValue(1, 0);
  f->setBoundsValue(2, 0);
  if (index == 0) {
    auto loop = std::make_unique<GifAppExtNSLoop>(f);
    loop->setLoops(0);
    f->extensions().add(std::move(loop));
  }
  auto control = std::make_unique<GifGraphicControlExtension>(f);
  control->setDelay(100);
  control->setTransparent(false);
  control->setDisposal(0);
  GifGraphicControlExtension* g = control.get();
  f->extensions().add(std::move(control));
  if (!f->empty()) g->setTransparentColorIndex(f->pixel(0, f->height() - 1));
  return index;
}

std::vector<uint8_t> singleFrameGifBytes(const QImage& image) {
  return guardMemory([&] {
    GifFile file;
    addExportFrame(file, image, rdOctreeSystem);
    optimizeFile(file, optCleanup, rdNone, dtNearest, 8);
    MemoryStream out;
    file.saveToStream(out);
    return out.bytes();
  });
}

void writeFileReplacing(const QString& fileName, const std::vector<uint8_t>& bytes) {
  const QFileInfo target(fileName);
  const QString suffix = target.suffix();
  QString pattern = target.absolutePath() + QLatin1Char('/') + target.completeBaseName() + QStringLiteral(".XXXXXX");
  if (!suffix.isEmpty()) pattern += QLatin1Char('.') + suffix;
  QTemporaryFile temp(pattern);
  temp.setAutoRemove(true);
  if (!temp.open()) fileError(imagefile::text::kErrorOpening, fileName, temp.errorString());
  const qint64 size = static_cast<qint64>(bytes.size());
  if (temp.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !temp.flush())
    fileError(imagefile::text::kErrorClosing, fileName, temp.errorString());
  // The new file gets the old one's permissions, or the usual ones of a new file, not the
  // owner-only mode temporary files are made with.
  const QFileDevice::Permissions mode =
      target.exists() ? QFile::permissions(fileName)
                      : (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                         QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
  temp.setPermissions(mode);
  temp.close();
  if (temp.error() != QFileDevice::NoError) fileError(imagefile::text::kErrorClosing, fileName, temp.errorString());
  // rename() replaces an existing file in one step, so a reader never sees half a picture.
  const QByteArray from = QFile::encodeName(temp.fileName());
  const QByteArray to = QFile::encodeName(target.absoluteFilePath());
  if (std::rename(from.constData(), to.constData()) != 0)
    fileError(imagefile::text::kErrorClosing, fileName, QString::fromLocal8Bit(std::strerror(errno)));
  temp.setAutoRemove(false);
}

void saveSingleFrameGif(const QImage& image, const QString& fileName) {
  // An export never plays in the fast preview mode someone may have left on.
  GIFPaintNoDelay = false;
  writeFileReplacing(fileName, singleFrameGifBytes(image));
}

}  // namespace gif
