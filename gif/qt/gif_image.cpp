#include "gif/qt/gif_image.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <algorithm>

#include "gif/optimize.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/frame_image.h"
#include "gif/qt/gif_bitmap.h"

namespace gif {

std::atomic<bool> GIFRenderOnLoad{false};
std::atomic<bool> GIFOptimizeOnStore{false};
std::atomic<bool> GIFPaletteDisplay{false};

namespace {

bool onGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

// Resets a flag when the scope ends, however it ends.
struct FlagGuard {
  explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  bool& flag_;
};

struct CountGuard {
  explicit CountGuard(int& n) : n_(n) { ++n_; }
  ~CountGuard() { --n_; }
  int& n_;
};

// The cached bitmap and every painter's composition are as large as the logical screen,
// which the file states in four bytes and no data backs. Up to 4096 x 4096 pixels a screen
// is taken as it comes; a larger one must be covered by its frames' pixels, which the file
// model has already measured against their data.
constexpr int64_t kUnbackedScreenPixels = int64_t{1} << 24;

bool screenBacked(const GifFile& file) {
  const int64_t screen = static_cast<int64_t>(file.width()) * file.height();
  if (screen <= kUnbackedScreenPixels) return true;
  int64_t frames = 0;
  for (int i = 0; i < file.images().count(); ++i) frames += static_cast<int64_t>(file.images().image(i).data().size());
  return screen <= frames;
}

}  // namespace

GifImage::GifImage() : notifier_(std::make_unique<QObject>()) {
  file_.onWarning = [this](int severity, const std::string& message) { warning(severity, message); };
  file_.onProgress = [this](ProgressStage stage, int percent, const std::string& text) {
    progress(stage, percent, text);
  };
  file_.onChange = [this] { dropBitmap(); };
  clear();
}

GifImage::~GifImage() {
  ++blockPainters_;
  stopDrawAll();
  {
    std::lock_guard<std::recursive_mutex> lock(painterMutex_);
    painters_.clear();
    lastPainter_.reset();
  }
  file_.onChange = nullptr;
  file_.onWarning = nullptr;
  file_.onProgress = nullptr;
  file_.clear();
}

void GifImage::warning(int severity, const std::string& message) {
  if (onWarning) onWarning(*this, severity, message);
}

void GifImage::progress(ProgressStage stage, int percent, const std::string& text) {
  if (onProgress) onProgress(*this, stage, percent, text);
}

void GifImage::dropBitmap() {
  std::lock_guard<std::mutex> lock(bitmapMutex_);
  bitmap_ = QImage();
  bitmapValid_ = false;
}

void GifImage::notifyChanged() { changed(); }

void GifImage::changedFrames() {
  dropBitmap();
  notifyChanged();
}

int GifImage::colorResolution() const {
  int r = file_.header().colorResolution();
  for (int i = 0; i < file_.images().count(); ++i) r = std::max(r, file_.images().image(i).colorResolution());
  return r;
}

// --- frames -----------------------------------------------------------------------------

void GifImage::clear() {
  stopDrawAll();
  dropBitmap();
  file_.clear();
  file_.header().prepare();
  palette_.reset();
  notifyChanged();
}

int GifImage::add(std::unique_ptr<GifSubImage> frame) {
  stopDrawAll();
  if (frame->picture() != &file_) {
    // A frame belongs to the file it was made for; one of another picture is copied.
    auto own = std::make_unique<GifSubImage>(&file_);
    own->assign(*frame);
    frame = std::move(own);
  }
  const int index = file_.add(std::move(frame));
  changedFrames();
  return index;
}

int GifImage::add(const QImage& image) {
  stopDrawAll();
  auto frame = std::make_unique<GifSubImage>(&file_);
  ReductionSettings settings;
  settings.method = colorReduction;
  settings.dither = ditherMode;
  settings.bits = reductionBits;
  assignFromImage(*frame, image, settings);
  return add(std::move(frame));
}

int GifImage::add(const imagefile::Graphic& graphic) {
  stopDrawAll();
  auto frame = std::make_unique<GifSubImage>(&file_);
  ReductionSettings settings;
  settings.method = colorReduction;
  settings.dither = ditherMode;
  settings.bits = reductionBits;
  assignFromGraphic(*frame, graphic, settings);
  return add(std::move(frame));
}

void GifImage::assign(const GifImage& source) {
  if (&source == this) return;
  clear();
  // The source's handlers hear about the copy; ours are ours again afterwards.
  const WarningHandler ownWarning = onWarning;
  const ProgressHandler ownProgress = onProgress;
  onWarning = source.onWarning;
  onProgress = source.onProgress;
  struct Restore {
    GifImage& self;
    const WarningHandler& w;
    const ProgressHandler& p;
    ~Restore() {
      self.onWarning = w;
      self.onProgress = p;
    }
  } restore{*this, ownWarning, ownProgress};
  progress(ProgressStage::Starting, 0, "Copying...");
  try {
    file_.header().assign(source.file_.header());
    threadPriority = source.threadPriority;
    drawBackgroundColor = source.drawBackgroundColor;
    drawOptions = source.drawOptions;
    colorReduction = source.colorReduction;
    ditherMode = source.ditherMode;
    forceFrame = source.forceFrame;
    painterEvents = source.painterEvents;
    const int count = source.file_.images().count();
    for (int i = 0; i < count; ++i) {
      auto frame = std::make_unique<GifSubImage>(&file_);
      frame->assign(source.file_.images().image(i));
      file_.add(std::move(frame));
      progress(ProgressStage::Running, (i + 1) * 100 / count, "Copying...");
    }
  } catch (...) {
    progress(ProgressStage::Ending, 0, "Copying...");
    changedFrames();
    throw;
  }
  progress(ProgressStage::Ending, 100, "Copying...");
  changedFrames();
}

void GifImage::assign(const imagefile::Graphic& source) {
  if (const auto* gif = dynamic_cast<const GifImage*>(&source)) {
    assign(*gif);
    return;
  }
  clear();
  if (!source.empty()) add(source);
}

void GifImage::assign(const QImage& source) {
  clear();
  if (!source.isNull()) add(source);
}

void GifImage::optimize(int options, int reductionMethod, int ditherMode_, int reductionBits_) {
  if (empty()) return;
  stopDrawAll();
  std::lock_guard<std::recursive_mutex> lock(painterMutex_);
  CountGuard block(blockPainters_);
  try {
    optimizeFile(file_, options, reductionMethod, ditherMode_, reductionBits_);
  } catch (...) {
    changedFrames();
    throw;
  }
  changedFrames();
}

// --- size and palette -------------------------------------------------------------------

void GifImage::setWidth(int w) {
  for (int i = 0; i < file_.images().count(); ++i) {
    const GifSubImage& f = file_.images().image(i);
    if (f.left() + f.width() > w) raiseError("Image width too small for contained frames");
  }
  if (w == width()) return;
  file_.header().setWidth(w);
  changedFrames();
}

void GifImage::setHeight(int h) {
  for (int i = 0; i < file_.images().count(); ++i) {
    const GifSubImage& f = file_.images().image(i);
    if (f.top() + f.height() > h) raiseError("Image height too small for contained frames");
  }
  if (h == height()) return;
  file_.header().setHeight(h);
  changedFrames();
}

bool GifImage::ditherToWeb() const {
  return (drawOptions & drawDither) && (!(drawOptions & drawDitherOnPaletteDisplay) || GIFPaletteDisplay);
}

QVector<QRgb> GifImage::palette() {
  if (inPalette_) raiseError("No global or local color table defined");
  FlagGuard guard(inPalette_);
  if (palette_) return *palette_;
  if (ditherToWeb()) {
    palette_ = webColorTable();
    return *palette_;
  }
  auto toRgb = [](const std::vector<ColorValue>& colors) {
    QVector<QRgb> out;
    for (ColorValue c : colors) out.push_back(toQRgb(c));
    return out;
  };
  if (file_.globalColorMap().count() > 0) {
    palette_ = toRgb(file_.globalColorMap().colors());
    return *palette_;
  }
  if (!empty()) return toRgb(file_.images().image(0).activeColorMap().colors());
  return {};
}

void GifImage::setPalette(const QVector<QRgb>& palette) {
  if (palette_ && *palette_ == palette) return;
  palette_ = palette;
  changedFrames();
}

// --- the look ---------------------------------------------------------------------------

QImage GifImage::buildBitmap() const {
  if (empty() || width() <= 0 || height() <= 0) return QImage();
  QImage image(width(), height(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  drawFrame(p, file_.images().image(0), image.rect(), true, false);
  return image;
}

QImage GifImage::toImage() const {
  std::shared_ptr<GifPainter> running;
  {
    std::lock_guard<std::recursive_mutex> lock(painterMutex_);
    for (const auto& p : painters_)
      if (!p->terminated() && !(p->options() & drawDirect)) running = p;
  }
  if (running) {
    QImage image(width(), height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).drawImage(0, 0, running->image());
    return image;
  }
  std::lock_guard<std::mutex> lock(bitmapMutex_);
  if (!bitmapValid_) {
    bitmap_ = buildBitmap();
    bitmapValid_ = true;
  }
  return bitmap_;
}

void GifImage::draw(QPainter& painter, const QRect& rect) {
  if (drawing_ || empty()) return;
  FlagGuard guard(drawing_);
  const int count = file_.images().count();
  QWidget* target = dynamic_cast<QWidget*>(painter.device());
  if (count > 1 && (drawOptions & drawAnimate) && !rect.isEmpty() && blockPainters_ == 0 && onGuiThread()) {
    std::shared_ptr<GifPainter> current;
    {
      std::lock_guard<std::recursive_mutex> lock(painterMutex_);
      for (const auto& p : painters_) {
        if (p->terminated()) continue;
        const bool direct = (p->options() & drawDirect) != 0;
        if ((drawOptions & drawDirect) ? (direct && p->paints(target, rect)) : !direct) current = p;
      }
      // A painter elsewhere ends; it is waited for before the frames next change. Only a
      // widget gets a painter of its own: an image or a printer page is painted once, and a
      // thread animating it would run for nobody.
      if (!current && target && lastPainter_) lastPainter_->stop();
    }
    if (!current && target) current = startPainter(target, rect, painter);
    if (current) {
      const QImage composite = current->image();
      if ((current->options() & drawDirect) || !(drawOptions & drawTile)) {
        painter.drawImage(rect, composite);
      } else {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
        for (int y = rect.top(); y <= rect.bottom(); y += std::max(1, height()))
          for (int x = rect.left(); x <= rect.right(); x += std::max(1, width())) painter.drawImage(x, y, composite);
        painter.restore();
      }
      return;
    }
  }
  const int index = forceFrame >= 0 && forceFrame < count ? forceFrame : 0;
  drawFrame(painter, file_.images().image(index), rect, (drawOptions & drawTransparent) != 0,
            (drawOptions & drawTile) != 0);
}

std::shared_ptr<GifPainter> GifImage::startPainter(QWidget* target, const QRect& rect, QPainter& painter) {
  if (empty() || rect.isEmpty()) return nullptr;
  int options = drawOptions;
  if (file_.images().count() == 1) options &= ~(drawThreaded | drawAnimate);
  // Without drawDirect the frames are composed at the picture's size, as the cached bitmap
  // is, and stretched (or tiled) into each rectangle that shows them.
  const bool direct = (options & drawDirect) != 0;
  if (!direct) options &= ~drawTile;
  const QSize size = direct ? rect.size() : QSize(width(), height());
  auto p = std::make_shared<GifPainter>(*this, target, rect, size, options, animationSpeed, painterClock, painterEvents);
  {
    std::lock_guard<std::recursive_mutex> lock(painterMutex_);
    painters_.push_back(p);
    lastPainter_ = p;
  }
  if (options & drawThreaded) {
    p->composeFirstFrame();
    p->start(threadPriority);
  } else {
    // Plays the whole animation now, in this thread, onto the caller's painter.
    p->execute(&painter);
    std::lock_guard<std::recursive_mutex> lock(painterMutex_);
    if (lastPainter_ == p) lastPainter_.reset();
  }
  return p;
}

void GifImage::stopPainters(bool all) {
  CountGuard block(blockPainters_);
  std::vector<std::shared_ptr<GifPainter>> stopping;
  {
    std::lock_guard<std::recursive_mutex> lock(painterMutex_);
    if (all)
      stopping = painters_;
    else if (lastPainter_)
      stopping.push_back(lastPainter_);
  }
  for (const auto& p : stopping) p->stop();
  // Waited for outside the list's lock: a painter may sit in a call to the GUI thread, which
  // the events processed here let finish.
  const bool gui = onGuiThread() && QCoreApplication::instance();
  for (const auto& p : stopping) {
    if (!p->threaded()) continue;
    while (!p->waitFinished(gui ? 5 : 50))
      if (gui) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  {
    std::lock_guard<std::recursive_mutex> lock(painterMutex_);
    for (const auto& p : stopping) {
      painters_.erase(std::remove(painters_.begin(), painters_.end(), p), painters_.end());
      if (lastPainter_ == p) lastPainter_.reset();
    }
  }
  dropBitmap();
}

void GifImage::stopDraw() { stopPainters(false); }
void GifImage::stopDrawAll() { stopPainters(true); }

int GifImage::runningPainters() const {
  std::lock_guard<std::recursive_mutex> lock(painterMutex_);
  return static_cast<int>(std::count_if(painters_.begin(), painters_.end(), [](const auto& p) { return !p->finished(); }));
}

std::shared_ptr<GifPainter> GifImage::lastPainter() const {
  std::lock_guard<std::recursive_mutex> lock(painterMutex_);
  return lastPainter_;
}

// --- streams and clipboard --------------------------------------------------------------

void GifImage::loadFromStream(QIODevice& device) {
  stopDrawAll();
  DeviceStream stream(device);
  palette_.reset();
  const int64_t start = stream.position();
  try {
    file_.loadFromStream(stream);
    if (!screenBacked(file_)) {
      file_.clear();
      stream.seek(start);
      raiseError("Image dimensions too large");
    }
  } catch (...) {
    changedFrames();
    throw;
  }
  if (GIFRenderOnLoad)
    for (int i = 0; i < file_.images().count(); ++i) (void)frameImage(file_.images().image(i));
  changedFrames();
}

void GifImage::saveToStream(QIODevice& device) {
  DeviceStream stream(device);
  file_.compression = compression;
  file_.saveToStream(stream);
}

std::unique_ptr<QMimeData> GifImage::toMimeData() {
  if (empty()) return nullptr;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  saveToStream(buffer);
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(kGifMimeType), buffer.data());
  data->setImageData(toImage());
  return data;
}

void GifImage::loadFromMimeData(const QMimeData& data) {
  const QString gifType = QString::fromLatin1(kGifMimeType);
  if (data.hasFormat(gifType)) {
    QByteArray bytes = data.data(gifType);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    loadFromStream(buffer);
    return;
  }
  if (data.hasImage()) {
    assign(qvariant_cast<QImage>(data.imageData()));
    return;
  }
  throw GifException("Format der Zwischenablage wird nicht unterstützt");
}

void GifImage::copyToClipboard() {
  std::unique_ptr<QMimeData> data = toMimeData();
  if (data) QGuiApplication::clipboard()->setMimeData(data.release());
}

void GifImage::pasteFromClipboard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) throw GifException("Format der Zwischenablage wird nicht unterstützt");
  loadFromMimeData(*data);
}

void registerFormats() {
  static bool done = false;
  if (done) return;
  done = true;
  imagefile::registerFileFormat(QStringLiteral("GIF"), QStringLiteral("GIF Image"),
                                [] { return std::make_unique<GifImage>(); });
  const QScreen* screen =
      qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
  GIFPaletteDisplay = screen && screen->depth() < 9;
}

}  // namespace gif
