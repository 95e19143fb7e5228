#include "gif/qt/frame_image.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/qt/gif_bitmap.h"

namespace gif {

namespace {

std::atomic<WebDither> webDitherMode{WebDither::Auto};

struct ImageCache final : GifSubImage::Cache {
  QImage image;
};

bool onGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

// Every 32 rows, as the picture's progress.
void rowProgress(const GifSubImage& frame, int y, int h, const char* text) {
  if (frame.picture() && y % 32 == 0)
    frame.picture()->progress(ProgressStage::Running, static_cast<int>(int64_t{y} * 100 / std::max(h, 1)), text);
}

QImage buildIndexed(const GifSubImage& frame) {
  const int w = frame.width(), h = frame.height();
  QImage image(w, h, QImage::Format_Indexed8);
  if (image.isNull()) throw GifOutOfMemory("Failed to allocate memory for GIF DIB");
  QVector<QRgb> table(256, qRgb(0, 0, 0));
  const std::vector<ColorValue> colors = frame.activeColorMap().colors();
  for (size_t i = 0; i < colors.size(); ++i) table[static_cast<int>(i)] = toQRgb(colors[i]);
  if (frame.transparent()) table[frame.transparentColorIndex()] &= 0x00FFFFFFu;
  image.setColorTable(table);
  // A painter thread builds its frames unreported: the handler belongs to the GUI thread.
  const bool report = onGuiThread();
  const std::vector<uint8_t>& data = frame.data();
  for (int y = 0; y < h; ++y) {
    if (report) rowProgress(frame, y, h, "Rendering...");
    std::copy_n(&data[static_cast<size_t>(y) * static_cast<size_t>(w)], w, image.scanLine(y));
  }
  return image;
}

QImage buildWebDithered(const GifSubImage& frame) {
  const int w = frame.width(), h = frame.height();
  const std::vector<ColorValue> colors = frame.activeColorMap().colors();
  auto colorOf = [&](uint8_t p) { return p < colors.size() ? colors[p] : ColorValue{0}; };
  NetscapeColorLookup lookup;
  ErrorDiffusionDitherer ditherer(w, &lookup, ditherKernel(dtFloydSteinberg));
  const QVector<QRgb> web = webColorTable();
  QImage image(w, h, QImage::Format_ARGB32);
  if (image.isNull()) throw GifOutOfMemory("Failed to allocate memory for GIF DIB");
  const bool transparent = frame.transparent();
  const uint8_t t = static_cast<uint8_t>(frame.transparentColorIndex());
  int ro, go, bo;
  // Transparent pixels are not dithered; they keep the web entry of the transparent colour.
  uint8_t fill = 0;
  if (transparent) {
    const ColorValue tc = colorOf(t);
    fill = lookup.lookup(colorRed(tc), colorGreen(tc), colorBlue(tc), ro, go, bo);
  }
  // A painter thread builds its frames unreported: the handler belongs to the GUI thread.
  const bool report = onGuiThread();
  const std::vector<uint8_t>& data = frame.data();
  for (int y = 0; y < h; ++y) {
    if (report) rowProgress(frame, y, h, "Rendering...");
    const uint8_t* src = &data[static_cast<size_t>(y) * static_cast<size_t>(w)];
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = ditherer.column(); x >= 0 && x < w; x = ditherer.column()) {
      if (transparent && src[x] == t) {
        // The mask follows the column, whichever way the row is scanned.
        out[x] = web[fill] & 0x00FFFFFFu;
        ditherer.dither(colorRed(colorOf(t)), colorGreen(colorOf(t)), colorBlue(colorOf(t)), ro, go, bo);
        continue;
      }
      const ColorValue c = colorOf(src[x]);
      out[x] = web[ditherer.dither(colorRed(c), colorGreen(c), colorBlue(c), ro, go, bo)];
    }
    ditherer.nextLine();
  }
  return image;
}

}  // namespace

void setWebDither(WebDither mode) { webDitherMode = mode; }

bool webDitherActive() {
  switch (webDitherMode.load()) {
    case WebDither::On: return true;
    case WebDither::Off: return false;
    case WebDither::Auto: break;
  }
  const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
  return screen && screen->depth() <= 8;
}

QImage frameImage(const GifSubImage& frame) {
  {
    std::lock_guard<std::mutex> lock(frame.cacheMutex());
    if (auto* cache = dynamic_cast<ImageCache*>(frame.cacheLocked())) return cache->image;
  }
  if (frame.empty()) return QImage();
  // Built outside the lock: a progress handler that lets a view repaint asks for this frame
  // again on the same thread.
  QImage image = webDitherActive() ? buildWebDithered(frame) : buildIndexed(frame);
  std::lock_guard<std::mutex> lock(frame.cacheMutex());
  if (auto* cache = dynamic_cast<ImageCache*>(frame.cacheLocked())) return cache->image;
  auto cache = std::make_unique<ImageCache>();
  cache->image = image;
  frame.setCacheLocked(std::move(cache));
  return image;
}

namespace {

// Pixels whose alpha is below 128 become a new black entry that the frame shows transparent.
void applyMask(GifSubImage& frame, const std::vector<bool>& mask) {
  GifLocalColorMap& table = frame.colorMap();
  table.optimize();
  if (table.count() == 0 || table.count() >= GifColorMap::kMaxColors) return;
  const int index = table.add(0);
  int hits = 0;
  std::vector<uint8_t>& data = frame.mutableData();
  for (size_t i = 0; i < data.size(); ++i)
    if (mask[i]) {
      data[i] = static_cast<uint8_t>(index);
      ++hits;
    }
  if (hits == 0) {
    table.remove(index);
    return;
  }
  auto gce = std::make_unique<GifGraphicControlExtension>(&frame);
  GifGraphicControlExtension* g = gce.get();
  frame.extensions().add(std::move(gce));
  g->setTransparentColorIndex(index);
  g->setTransparent(true);
}


}  // namespace

namespace {
void assignImage(GifSubImage& frame, const QImage& image, const ReductionSettings& settings) {
  frame.clear();
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return;
  const int w = image.width(), h = image.height();
  // A frame's sides are 16-bit numbers in the file: wider pictures would be written with
  // their size cut short and the pixels no longer matching it.
  if (w > 65535 || h > 65535) raiseError("Invalid image dimensions");
  std::vector<bool> mask;
  QImage source = image;
  if (image.hasAlphaChannel()) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    mask.assign(static_cast<size_t>(w) * static_cast<size_t>(h), false);
    QImage opaque(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
      auto* out = reinterpret_cast<QRgb*>(opaque.scanLine(y));
      for (int x = 0; x < w; ++x) {
        mask[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = qAlpha(in[x]) < 128;
        out[x] = in[x] | 0xFF000000u;
      }
    }
    source = opaque;
  }
  frame.setBounds(0, 0, w, h);
  frame.needData();
  std::vector<uint8_t>& data = frame.mutableData();

  const QImage::Format f = source.format();
  if (f == QImage::Format_Indexed8 || f == QImage::Format_Mono || f == QImage::Format_MonoLSB) {
    const QImage indexed = source.convertToFormat(QImage::Format_Indexed8);
    std::vector<ColorValue> colors;
    for (QRgb c : indexed.colorTable()) colors.push_back(fromQRgb(c));
    frame.colorMap().importColors(colors);
    for (int y = 0; y < h; ++y) {
      std::copy_n(indexed.constScanLine(y), w, &data[static_cast<size_t>(y) * static_cast<size_t>(w)]);
      rowProgress(frame, y, h, "Converting...");
    }
  } else if (settings.method != rdNone) {
    const Reduction r = reduce(source, settings);
    if (r.palette.empty()) raiseError("Invalid reduction method");
    // The reduced picture carries a full 8-bit table, as every 8-bit bitmap does.
    std::vector<ColorValue> table = r.palette;
    table.resize(256, 0);
    frame.colorMap().importColors(table);
    data = r.indices;
  } else {
    // True colour kept as it is: at most 256 distinct colours fit.
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    GifLocalColorMap& table = frame.colorMap();
    std::unordered_map<QRgb, uint8_t> seen;
    for (int y = 0; y < h; ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
      for (int x = 0; x < w; ++x) {
        const QRgb c = in[x] & 0x00FFFFFFu;
        auto it = seen.find(c);
        if (it == seen.end()) it = seen.emplace(c, static_cast<uint8_t>(table.add(fromQRgb(c)))).first;
        data[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = it->second;
      }
      rowProgress(frame, y, h, "Converting...");
    }
  }
  if (!mask.empty()) applyMask(frame, mask);
  frame.dropCache();
}

}  // namespace

void assignFromImage(GifSubImage& frame, const QImage& image, const ReductionSettings& settings) {
  guardMemory([&] { assignImage(frame, image, settings); });
}

void assignFromGraphic(GifSubImage& frame, const imagefile::Graphic& graphic, const ReductionSettings& settings) {
  if (graphic.empty()) {
    frame.clear();
    return;
  }
  assignFromImage(frame, graphic.toImage(), settings);
}

void drawFrame(QPainter& painter, const GifSubImage& frame, const QRect& target, bool transparent, bool tile) {
  QImage image = frameImage(frame);
  if (image.isNull()) return;
  if (!transparent && image.hasAlphaChannel()) {
    if (image.format() == QImage::Format_Indexed8) {
      QVector<QRgb> table = image.colorTable();
      for (QRgb& c : table) c |= 0xFF000000u;
      image.setColorTable(table);
    } else {
      image = image.convertToFormat(QImage::Format_RGB32);
    }
  }
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const GifFile* picture = frame.picture();
  const int pw = picture && picture->width() > 0 ? picture->width() : frame.width();
  const int ph = picture && picture->height() > 0 ? picture->height() : frame.height();
  if (tile) {
    painter.setClipRect(target, Qt::IntersectClip);
    for (int y = target.top() + frame.top(); y < target.top() + target.height(); y += ph)
      for (int x = target.left() + frame.left(); x < target.left() + target.width(); x += pw)
        painter.drawImage(QPoint(x, y), image);
  } else {
    const int l = mulDiv(frame.left(), target.width(), pw) + target.left();
    const int t = mulDiv(frame.top(), target.height(), ph) + target.top();
    const int r = mulDiv(frame.left() + frame.width(), target.width(), pw) + target.left();
    const int b = mulDiv(frame.top() + frame.height(), target.height(), ph) + target.top();
    painter.drawImage(QRect(l, t, r - l, b - t), image);
  }
  painter.restore();
}

}  // namespace gif
