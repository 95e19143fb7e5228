#include "gif/qt/gif_export.h"

#include <QString>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "gif/errors.h"
#include "gif/extensions.h"
#include "gif/optimize.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/frame_image.h"
#include "gif/qt/gif_painter.h"
#include "imagefile/errors.h"
#include "platform/file_replace.h"

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
  const ReplaceResult result = replaceFileVia(fileName, [&](int descriptor) {
    const uint8_t* p = bytes.data();
    size_t rest = bytes.size();
    while (rest > 0) {
      const ssize_t n = ::write(descriptor, p, rest);
      if (n < 0 && errno == EINTR) continue;
      // A disk that fills up part of the way says so at the next write.
      if (n <= 0) fileError(imagefile::text::kErrorClosing, fileName, QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO)));
      p += n;
      rest -= static_cast<size_t>(n);
    }
  });
  if (!result.ok)
    fileError(result.temporaryFailed ? imagefile::text::kErrorOpening : imagefile::text::kErrorClosing, fileName,
              result.reason);
}

void saveSingleFrameGif(const QImage& image, const QString& fileName) {
  // An export never plays in the fast preview mode someone may have left on.
  GIFPaintNoDelay = false;
  writeFileReplacing(fileName, singleFrameGifBytes(image));
}

}  // namespace gif
