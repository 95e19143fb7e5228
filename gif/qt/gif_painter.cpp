#include "gif/qt/gif_painter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>

#include "gif/qt/frame_image.h"
#include "gif/qt/gif_bitmap.h"
#include "gif/qt/gif_image.h"

namespace gif {

std::atomic<bool> GIFPaintNoDelay{false};

int64_t PainterClock::now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool PainterClock::waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                             const std::function<bool()>& ready, int64_t ms) {
  if (ms < 0) {
    cv.wait(lock, ready);
    return true;
  }
  return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

void PainterClock::sleep(int64_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::shared_ptr<PainterClock> PainterClock::steady() {
  static const std::shared_ptr<PainterClock> clock = std::make_shared<PainterClock>();
  return clock;
}

void WaitEvent::set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  cv_.notify_all();
}

bool WaitEvent::wait(int64_t ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  const bool woken = clock_->waitUntil(cv_, lock, [this] { return signalled_; }, ms);
  signalled_ = false;
  return woken;
}

bool mulDiv64(int64_t a, int64_t b, int64_t c, int& result) {
  if (c == 0) {
    result = -1;
    return true;
  }
  // Delays and speeds are far below the range where a * b could overflow 64 bits; refuse
  // such input rather than wrap.
  constexpr int64_t kLimit = int64_t{1} << 31;
  if (a > kLimit || a < -kLimit || b > kLimit || b < -kLimit) return false;
  const int64_t p = a * b;
  const int64_t q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
  const int64_t r = ((p < 0) != (c < 0)) ? -q : q;
  if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min()) return false;
  result = static_cast<int>(r);
  return true;
}

namespace {

QColor effectiveBackground(const GifImage& picture) {
  if (picture.drawBackgroundColor) return *picture.drawBackgroundColor;
  if (picture.file().globalColorMap().count() == 0) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QGuiApplication::palette().color(QPalette::Window);
    return Qt::white;
  }
  return QColor(toQRgb(picture.file().header().backgroundColor()));
}

bool onGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

}  // namespace

GifPainter::GifPainter(GifImage& picture, QWidget* target, const QRect& rect, const QSize& size, int options,
                       int speed, std::shared_ptr<PainterClock> clock, Events events)
    : picture_(picture),
      target_(target),
      hadTarget_(target != nullptr),
      rect_(rect),
      size_(size),
      options_(options),
      speed_(speed),
      threaded_((options & drawThreaded) != 0),
      clock_(std::move(clock)),
      events_(std::move(events)),
      background_(effectiveBackground(picture)) {
  if (threaded_ && (options_ & drawAnimate) && frameCount() >= 2 && speed_ >= 0)
    waitEvent_ = std::make_unique<WaitEvent>(clock_);
  std::lock_guard<std::mutex> lock(imageMutex_);
  published_ = QImage(size_, QImage::Format_ARGB32_Premultiplied);
  published_.fill(Qt::transparent);
}

GifPainter::~GifPainter() {
  stop();
  if (thread_.joinable()) thread_.join();
}

int GifPainter::frameCount() const { return picture_.file().images().count(); }

const GifSubImage& GifPainter::frame(int index) const { return picture_.file().images().image(index); }

QImage GifPainter::image() const {
  std::lock_guard<std::mutex> lock(imageMutex_);
  return published_;
}

bool GifPainter::targetGone() const { return hadTarget_ && target_.isNull(); }

void GifPainter::composeFirstFrame() {
  if (frameCount() == 0 || frame(0).empty()) return;
  QImage work(size_, QImage::Format_ARGB32_Premultiplied);
  work.fill(Qt::transparent);
  const GifGraphicControlExtension* g = frame(0).graphicControlExtension();
  paintFrame(work, 0, g ? g->disposal() : 1);
}

void GifPainter::start(int /*priority*/) {
  thread_ = std::thread([this] { execute(); });
}

void GifPainter::stop() {
  terminated_ = true;
  if (waitEvent_) waitEvent_->set();
}

bool GifPainter::waitFinished(int ms) {
  {
    std::unique_lock<std::mutex> lock(finishMutex_);
    if (!finishCv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return finished_.load(); })) return false;
  }
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
  return true;
}

void GifPainter::fire(const Event& event) {
  if (!event || terminated_) return;
  if (!threaded_ || onGuiThread()) {
    event(*this);
    return;
  }
  // Handlers touch widgets: they run in the GUI thread while this one waits.
  QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { event(*this); }, Qt::BlockingQueuedConnection);
}

void GifPainter::drawOn(QImage& image, const GifSubImage& f) const {
  QPainter p(&image);
  drawFrame(p, f, QRect(QPoint(0, 0), size_), (options_ & drawTransparent) != 0, (options_ & drawTile) != 0);
}

void GifPainter::restoreArea(QImage& work, const GifSubImage& f) const {
  const int pw = std::max(1, picture_.width()), ph = std::max(1, picture_.height());
  QPainter p(&work);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  // The background copy is transparent (the view paints its own background beneath); without
  // transparency the frame's area gets the background colour, which is never "none" here.
  const QColor fill = (options_ & drawTransparent) ? QColor(Qt::transparent) : background_;
  if ((options_ & drawTile) && (f.width() < pw || f.height() < ph)) {
    for (int y = f.top(); y < size_.height(); y += ph)
      for (int x = f.left(); x < size_.width(); x += pw) p.fillRect(x, y, f.width(), f.height(), fill);
  } else {
    const int l = mulDiv(f.left(), size_.width(), pw), t = mulDiv(f.top(), size_.height(), ph);
    const int r = mulDiv(f.left() + f.width(), size_.width(), pw), b = mulDiv(f.top() + f.height(), size_.height(), ph);
    p.fillRect(QRect(l, t, r - l, b - t), fill);
  }
}

void GifPainter::paintFrame(QImage& work, int index, int disposal) {
  const GifSubImage& f = frame(index);
  if ((options_ & drawClearOnLoop) && index == 0) restoreArea(work, f);
  if (disposal == 3) {
    // Shown once over what lay beneath; the work image keeps the picture as it was.
    QImage shown = work.copy();
    drawOn(shown, f);
    publish(shown);
  } else {
    drawOn(work, f);
    publish(work);
    if (disposal == 2) restoreArea(work, f);
  }
  firstFramePainted_ = true;
}

void GifPainter::publish(const QImage& composite) {
  QImage copy = composite.copy();
  {
    std::lock_guard<std::mutex> lock(imageMutex_);
    std::swap(published_, copy);
  }
  if (direct_) {
    direct_->drawImage(rect_, image());
    return;
  }
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  const QPointer<QWidget> target = target_;
  const QRect rect = rect_;
  QMetaObject::invokeMethod(app, [target, rect] { if (target) target->update(rect); }, Qt::QueuedConnection);
  if (picture_.notifier_) {
    GifImage* picture = &picture_;
    QMetaObject::invokeMethod(picture_.notifier_.get(), [picture] { picture->notifyChanged(); }, Qt::QueuedConnection);
  }
}

void GifPainter::sleepInSlices(int64_t ms) {
  int64_t left = ms;
  while (left > 0 && !terminated_) {
    const int64_t slice = std::min<int64_t>(100, left);
    const int64_t before = clock_->now();
    clock_->sleep(slice);
    if (QCoreApplication::instance()) {
      QCoreApplication::processEvents();
      if (QCoreApplication::closingDown()) stop();
    }
    left -= std::max<int64_t>(1, clock_->now() - before);
  }
}

void GifPainter::execute(QPainter* direct) {
  direct_ = direct;
  const bool endless = threaded_ && (options_ & drawLoopEndless);
  if (!terminated_) {
    QImage work(size_, QImage::Format_ARGB32_Premultiplied);
    work.fill(Qt::transparent);
    activeFrame_ = 0;
    fire(events_.start);
    firstFramePainted_ = false;
    loopCount_ = 1;
    int loopStart = 0;
    bool loopSeen = false;
    int pending = threaded_ ? 0 : 1;
    int64_t lastTime = clock_->now();
    int64_t lastWait = 0;
    do {
      if ((loopCount_ == 0 && !endless) || terminated_) break;
      activeFrame_ = loopStart;
      if (firstFramePainted_) fire(events_.loop);
      while (!terminated_ && activeFrame_ >= 0 && activeFrame_ < frameCount() && !frame(activeFrame_).empty()) {
        if (targetGone()) {
          stop();
          break;
        }
        const int index = activeFrame_;
        const GifSubImage& f = frame(index);
        if (pending > 0) {
          // Built before the wait, so the wait absorbs the time it takes.
          (void)frameImage(f);
          const int64_t now = clock_->now();
          int64_t wait = 0;
          if (speed_ < 1) {
            wait = threaded_ ? -1 : 12000;
          } else {
            const int64_t correction = (now - lastTime - lastWait) / 2;
            int w = 0;
            if (mulDiv64(int64_t{pending} * GIFDelayUnit - correction, 100, speed_, w)) {
              wait = w;
              lastWait = w;
            } else {
              wait = 12000;
              lastWait = 0;
            }
          }
          lastTime = now;
          if (threaded_) {
            bool woken = false;
            if (wait > 0 && waitEvent_)
              woken = waitEvent_->wait(wait);
            else if (speed_ == 0 && waitEvent_)
              woken = waitEvent_->wait(-1);
            if (woken) {
              lastWait = 0;
              lastTime = clock_->now();
            }
          } else {
            sleepInSlices(std::max<int64_t>(1, wait));
          }
          if (terminated_) break;
        } else {
          std::this_thread::yield();
        }
        fire(events_.beforeFrame);

        int disposal = 1;
        for (int e = 0; e < f.extensions().count(); ++e) {
          const GifExtension& ext = f.extensions().at(e);
          if (const auto* g = dynamic_cast<const GifGraphicControlExtension*>(&ext)) {
            disposal = g->disposal();
          } else if (const auto* l = dynamic_cast<const GifAppExtNSLoop*>(&ext); l && !loopSeen) {
            loopSeen = true;
            loopCount_ = l->loops();
            if (l->loops() != 0 && !(options_ & drawLoopEndless)) {
              loopStart = index;
            } else {
              if (threaded_) loopCount_ = -1;
              loopStart = index;
            }
          }
        }
        paintFrame(work, index, disposal);

        pending = GIFDefaultDelay;
        if (const GifGraphicControlExtension* g = f.graphicControlExtension(); g && g->delay() != 0) {
          pending = std::max(g->delay(), GIFMinimumDelay);
          if (!threaded_) pending = std::min(pending, GIFMaximumDelay);
        }
        if (GIFPaintNoDelay) {
          loopCount_ = 1;
          pending = 0;
          if (index >= GIFPaintNoDelayLimit) break;
        }
        fire(events_.afterFrame);
        if (activeFrame_ == index) activeFrame_ = index + 1;
        if (!(options_ & drawAnimate)) break;
      }
      if (loopCount_ > 0) loopCount_ = loopCount_ - 1;
    } while ((options_ & drawAnimate) && (options_ & drawLoop));
  }
  activeFrame_ = -1;
  fire(events_.end);
  direct_ = nullptr;
  {
    std::lock_guard<std::mutex> lock(finishMutex_);
    finished_ = true;
  }
  finishCv_.notify_all();
}

}  // namespace gif
