#pragma once
// Plays the frames of an animated GIF picture onto one target: a widget and a rectangle on
// it. A threaded painter composes each frame into its own image off the GUI thread, publishes
// it under a mutex and asks the widget to repaint through a queued call; only the GUI thread
// ever paints the widget. A painter that is not threaded plays the whole animation at once in
// the caller's thread.
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QPainter;

namespace gif {

class GifImage;
class GifSubImage;

// Frame delays in the file's hundredths of a second; one unit is played as 12 ms.
inline constexpr int GIFDefaultDelay = 10;
inline constexpr int GIFMinimumDelay = 3;
inline constexpr int GIFMaximumDelay = 1000;
inline constexpr int GIFDelayUnit = 12;
inline constexpr int GIFPaintNoDelayLimit = 1;
// Paint frames 0 and 1 once, without waiting, and end (read by every painter after a frame).
extern std::atomic<bool> GIFPaintNoDelay;

// Time and waiting of the painters; tests put a clock of their own in.
class PainterClock {
 public:
  virtual ~PainterClock() = default;
  // Milliseconds of a steady clock.
  virtual int64_t now();
  // Called with the lock held: waits until ready() holds or ms have passed (ms < 0: without
  // end) and returns ready().
  virtual bool waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                         const std::function<bool()>& ready, int64_t ms);
  // The painter that is not threaded sleeps in slices through this.
  virtual void sleep(int64_t ms);
  static std::shared_ptr<PainterClock> steady();
};

// An auto-reset event: set() wakes one wait, which consumes it.
class WaitEvent {
 public:
  explicit WaitEvent(std::shared_ptr<PainterClock> clock) : clock_(std::move(clock)) {}
  void set();
  // True when the event ended the wait, false on time-out; ms < 0 waits without end.
  bool wait(int64_t ms);

 private:
  std::shared_ptr<PainterClock> clock_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_ = false;
};

// Multiplies and divides with a 64-bit intermediate, halves away from zero; -1 on division
// by 0. False when the result does not fit an int.
bool mulDiv64(int64_t a, int64_t b, int64_t c, int& result);

class GifPainter {
 public:
  using Event = std::function<void(GifPainter&)>;
  struct Events {
    Event start, beforeFrame, afterFrame, loop, end;
  };

  // The picture's frames are read while the painter runs; the picture stops it before it
  // changes them. `size` is the size the frames are composed at.
  GifPainter(GifImage& picture, QWidget* target, const QRect& rect, const QSize& size, int options, int speed,
             std::shared_ptr<PainterClock> clock, Events events);
  ~GifPainter();
  GifPainter(const GifPainter&) = delete;
  GifPainter& operator=(const GifPainter&) = delete;

  // Frame 0 as the animation starts, published at once, so a first paint needs no wait.
  void composeFirstFrame();
  // Threaded painters: runs execute() in a thread of its own. The priority (0 idle .. 6 time
  // critical, 3 normal) is accepted and has no effect: under Linux's default scheduling all
  // threads of a user share one priority.
  void start(int priority);
  // The animation loop; a painter that is not threaded is run through this directly and
  // paints each frame's composite onto `direct` as well.
  void execute(QPainter* direct = nullptr);
  // Ends the animation as soon as possible: wakes a waiting painter.
  void stop();
  bool terminated() const { return terminated_; }
  bool finished() const { return finished_; }
  // Waits for the thread (up to ms); true once it has ended.
  bool waitFinished(int ms);

  bool threaded() const { return threaded_; }
  int options() const { return options_; }
  int activeFrame() const { return activeFrame_; }
  void setActiveFrame(int index) { activeFrame_ = index; }
  int loopCount() const { return loopCount_; }
  bool firstFramePainted() const { return firstFramePainted_; }
  bool paints(const QWidget* target, const QRect& rect) const { return target_.data() == target && rect_ == rect; }
  QRect rect() const { return rect_; }
  // The composite as last published.
  QImage image() const;

 private:
  const GifSubImage& frame(int index) const;
  int frameCount() const;
  void fire(const Event& event);
  void paintFrame(QImage& work, int index, int disposal);
  void drawOn(QImage& image, const GifSubImage& frame) const;
  void restoreArea(QImage& work, const GifSubImage& frame) const;
  void publish(const QImage& composite);
  void sleepInSlices(int64_t ms);
  bool targetGone() const;

  GifImage& picture_;
  QPointer<QWidget> target_;
  bool hadTarget_;
  QRect rect_;
  QSize size_;
  int options_;
  int speed_;
  bool threaded_;
  std::shared_ptr<PainterClock> clock_;
  Events events_;
  QColor background_;
  std::unique_ptr<WaitEvent> waitEvent_;
  std::thread thread_;
  std::mutex finishMutex_;
  std::condition_variable finishCv_;
  QPainter* direct_ = nullptr;

  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<int> activeFrame_{-1};
  std::atomic<int> loopCount_{0};
  std::atomic<bool> firstFramePainted_{false};

  mutable std::mutex imageMutex_;
  QImage published_;
};

}  // namespace gif
