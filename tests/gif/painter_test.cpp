// The animation painter: its waits under an injected clock, speed, drift correction, loop
// counts, the no-delay switch, disposal, and as a real thread behind a widget (one painter
// per target, stopping during a long delay, repainting the view).
#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "gif/qt/gif_image.h"
#include "support/warten.h"

using gif::GifImage;
using gif::GifPainter;

namespace {

// Time stands still unless a wait or sleep moves it: the painter runs as fast as it can,
// and every wait is recorded. A wait without end really waits, until the painter is woken.
class FakeClock : public gif::PainterClock {
 public:
  int64_t now() override { return t_; }
  bool waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready,
                 int64_t ms) override {
    record(waits_, ms);
    if (ready()) return true;
    if (ms < 0) {
      waitingWithoutEnd = true;
      cv.wait(lock, ready);
      waitingWithoutEnd = false;
      return true;
    }
    t_ += ms + overshoot;
    return ready();
  }
  void sleep(int64_t ms) override {
    record(sleeps_, ms);
    t_ += ms;
  }
  std::vector<int64_t> waits() {
    std::lock_guard<std::mutex> l(m_);
    return waits_;
  }
  std::vector<int64_t> sleeps() {
    std::lock_guard<std::mutex> l(m_);
    return sleeps_;
  }
  std::atomic<int64_t> overshoot{0};
  // Set while a wait without end blocks: nothing but a wake-up ends it.
  std::atomic<bool> waitingWithoutEnd{false};

 private:
  void record(std::vector<int64_t>& v, int64_t ms) {
    std::lock_guard<std::mutex> l(m_);
    v.push_back(ms);
  }
  std::atomic<int64_t> t_{0};
  std::mutex m_;
  std::vector<int64_t> waits_, sleeps_;
};

// The steady clock, telling when a wait begins and whether a wake-up ended it (not its time).
class WatchedClock : public gif::PainterClock {
 public:
  bool waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready,
                 int64_t ms) override {
    ++begun;
    const bool woken = PainterClock::waitUntil(cv, lock, ready, ms);
    (woken ? wokenUp : timedOut)++;
    return woken;
  }
  std::atomic<int> begun{0}, wokenUp{0}, timedOut{0};
};

const QColor kColors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};

gif::GifGraphicControlExtension& control(gif::GifSubImage& f) {
  if (!f.graphicControlExtension()) f.extensions().add(std::make_unique<gif::GifGraphicControlExtension>(&f));
  return *f.graphicControlExtension();
}

// Full-size frames of distinct colours; a delay below 0 means no control extension.
std::unique_ptr<GifImage> animation(const std::vector<int>& delays, int loops = -1, int size = 4) {
  auto g = std::make_unique<GifImage>();
  for (size_t i = 0; i < delays.size(); ++i) {
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(kColors[i % 6]);
    g->add(img);
    if (delays[i] >= 0) control(g->file().images().image(static_cast<int>(i))).setDelay(delays[i]);
  }
  if (loops >= 0) {
    auto l = std::make_unique<gif::GifAppExtNSLoop>(&g->file().images().image(0));
    l->setLoops(loops);
    g->file().images().image(0).extensions().add(std::move(l));
  }
  return g;
}

constexpr int kThreadedOnce = gif::drawThreaded | gif::drawAnimate | gif::drawTransparent;
constexpr int kThreadedLoop = kThreadedOnce | gif::drawLoop;
constexpr int kInline = gif::drawAnimate | gif::drawTransparent;

struct Played {
  std::vector<int> frames;     // active frame at each before-frame event
  std::vector<int64_t> times;  // clock at each before-frame event
  int ends = 0;
};

// Runs a painter to its end in this thread (a threaded painter's loop, without the thread).
Played play(GifImage& g, int options, int speed, const std::shared_ptr<FakeClock>& clock,
         std::function<void(GifPainter&)> afterFrame = {}) {
  Played run;
  GifPainter::Events ev;
  ev.beforeFrame = [&](GifPainter& p) {
    run.frames.push_back(p.activeFrame());
    run.times.push_back(clock->now());
  };
  ev.afterFrame = std::move(afterFrame);
  ev.end = [&](GifPainter&) { ++run.ends; };
  GifPainter p(g, nullptr, QRect(0, 0, g.width(), g.height()), QSize(g.width(), g.height()), options, speed, clock, ev);
  p.execute();
  EXPECT_EQ(p.activeFrame(), -1);
  return run;
}

class View : public QWidget {
 public:
  GifImage* picture = nullptr;
  QRect area{0, 0, 40, 40};
  std::atomic<int> paints{0};

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (picture) picture->draw(p, area);
  }
};

}  // namespace

TEST(GifPainterTiming, DelaysBecomeWaitsOfTwelveMillisecondUnits) {
  // Delay 1 is raised to 3 units, none and 0 are 10 units, 5000 is kept by a thread.
  auto g = animation({1, -1, 0, 5000, 2});
  auto clock = std::make_shared<FakeClock>();
  const Played threaded = play(*g, kThreadedOnce, 100, clock);
  EXPECT_EQ(threaded.frames, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(clock->waits(), (std::vector<int64_t>{36, 120, 120, 60000}));
  EXPECT_EQ(threaded.ends, 1);

  // In the caller's thread: one unit before the first frame, 5000 cut to 1000 units, and
  // never more than 100 ms asleep at a time.
  auto inlineClock = std::make_shared<FakeClock>();
  const Played inl = play(*g, kInline, 100, inlineClock);
  EXPECT_EQ(inl.times, (std::vector<int64_t>{12, 48, 168, 288, 12288}));
  const std::vector<int64_t> sleeps = inlineClock->sleeps();
  EXPECT_LE(*std::max_element(sleeps.begin(), sleeps.end()), 100);
  EXPECT_TRUE(inlineClock->waits().empty());
}

TEST(GifPainterTiming, SpeedScalesEveryWaitAndZeroWaitsUntilStopped) {
  auto g = animation({1, -1, 0, 5000, 2});
  auto fast = std::make_shared<FakeClock>();
  play(*g, kThreadedOnce, 200, fast);
  EXPECT_EQ(fast->waits(), (std::vector<int64_t>{18, 60, 60, 30000}));
  auto slow = std::make_shared<FakeClock>();
  play(*g, kThreadedOnce, 30, slow);
  // 36 * 100 / 30 = 120, 1200 / 30 * 10 = 400: rounded, halves away from zero.
  EXPECT_EQ(slow->waits(), (std::vector<int64_t>{120, 400, 400, 200000}));
  auto none = std::make_shared<FakeClock>();
  play(*g, kThreadedOnce, -5, none);
  EXPECT_TRUE(none->waits().empty()) << "a negative speed does not wait";

  auto still = std::make_shared<FakeClock>();
  GifPainter p(*g, nullptr, QRect(0, 0, 4, 4), QSize(4, 4), kThreadedOnce, 0, still, {});
  std::thread t([&] { p.execute(); });
  ASSERT_TRUE(Warten([&] { return still->waitingWithoutEnd || p.finished(); }));
  EXPECT_EQ(still->waits(), (std::vector<int64_t>{-1}));
  EXPECT_FALSE(p.finished()) << "speed 0 waits until stopped";
  p.stop();
  t.join();
  EXPECT_TRUE(p.finished());
}

TEST(GifPainterTiming, DriftBetweenPlannedAndMeasuredTimeIsHalved) {
  auto g = animation({3, 10, 10, 10});
  auto clock = std::make_shared<FakeClock>();
  clock->overshoot = 10;  // every wait lasts 10 ms longer than asked
  play(*g, kThreadedOnce, 100, clock);
  EXPECT_EQ(clock->waits(), (std::vector<int64_t>{36, 115, 115}));
}

TEST(GifPainterTiming, MulDivRoundsHalvesAwayFromZero) {
  int r = 0;
  ASSERT_TRUE(gif::mulDiv64(5, 3, 2, r));
  EXPECT_EQ(r, 8);
  ASSERT_TRUE(gif::mulDiv64(-5, 3, 2, r));
  EXPECT_EQ(r, -8);
  ASSERT_TRUE(gif::mulDiv64(7, 1, -2, r));
  EXPECT_EQ(r, -4);
  ASSERT_TRUE(gif::mulDiv64(5, 1, 3, r));
  EXPECT_EQ(r, 2);
  ASSERT_TRUE(gif::mulDiv64(1, 1, 0, r));
  EXPECT_EQ(r, -1);
  ASSERT_TRUE(gif::mulDiv64(2000000, 2000, 1, r) == false) << "beyond an int";
  ASSERT_TRUE(gif::mulDiv64(65535 * 12, 100, 1, r));
  EXPECT_EQ(r, 78642000);
}

TEST(GifPainterLoops, LoopCountPlaysThatManyPassesAndZeroPlaysWithoutEnd) {
  auto three = animation({5, 5}, 3);
  auto clock = std::make_shared<FakeClock>();
  GifPainter::Events ev;
  int passes = 0;
  QImage last;
  ev.beforeFrame = [&](GifPainter& p) { passes += p.activeFrame() == 0; };
  ev.afterFrame = [&](GifPainter& p) { last = p.image(); };
  GifPainter p(*three, nullptr, QRect(0, 0, 4, 4), QSize(4, 4), kThreadedLoop, 100, clock, ev);
  p.execute();
  EXPECT_EQ(passes, 3);
  EXPECT_EQ(QColor(p.image().pixel(1, 1)), QColor(Qt::green)) << "stops on the last frame";

  // Without drawLoop one pass, whatever the file says.
  EXPECT_EQ(play(*three, kThreadedOnce, 100, std::make_shared<FakeClock>()).frames, (std::vector<int>{0, 1}));

  // Count 0 loops until stopped.
  auto endless = animation({5, 5}, 0);
  int painted = 0;
  const Played run = play(*endless, kThreadedLoop, 100, std::make_shared<FakeClock>(), [&](GifPainter& q) {
    if (++painted == 7) q.stop();
  });
  EXPECT_EQ(run.frames.size(), 7u);
  EXPECT_EQ(run.ends, 0) << "nothing is dispatched once stopped";
  // The caller's thread never loops without end: count 0 plays once there.
  EXPECT_EQ(play(*endless, kInline | gif::drawLoop | gif::drawLoopEndless, 100, std::make_shared<FakeClock>()).frames,
            (std::vector<int>{0, 1}));
}

TEST(GifPainterLoops, NoDelaySwitchPaintsTwoFramesOnceAndEnds) {
  auto g = animation({50, 50, 50, 50, 50}, 0);
  gif::GIFPaintNoDelay = true;
  auto clock = std::make_shared<FakeClock>();
  const Played run = play(*g, kThreadedLoop, 100, clock);
  gif::GIFPaintNoDelay = false;
  EXPECT_EQ(run.frames, (std::vector<int>{0, 1}));
  EXPECT_TRUE(clock->waits().empty());
  EXPECT_EQ(run.ends, 1);
}

TEST(GifPainterDisposal, RestoresAndKeepsWhatTheFramesAsk) {
  // Frame 0 red over everything, frame 1 a green square in the middle, frame 2 one blue
  // pixel in the corner.
  auto build = [](int middleDisposal) {
    auto g = animation({0});
    QImage mid(2, 2, QImage::Format_RGB32);
    mid.fill(Qt::green);
    g->add(mid);
    gif::GifSubImage& m = g->file().images().image(1);
    m.setBoundsValue(1, 1);
    m.setBoundsValue(2, 1);
    control(m).setDisposal(middleDisposal);
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::blue);
    g->add(dot);
    return g;
  };
  auto composites = [](GifImage& g, int options) {
    std::vector<QImage> shown;
    GifPainter::Events ev;
    ev.afterFrame = [&](GifPainter& p) { shown.push_back(p.image()); };
    GifPainter p(g, nullptr, QRect(0, 0, 4, 4), QSize(4, 4), options, 100, std::make_shared<FakeClock>(), ev);
    p.execute();
    return shown;
  };
  auto keep = build(1);
  std::vector<QImage> s = composites(*keep, kThreadedOnce);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(QColor(s[2].pixel(1, 1)), QColor(Qt::green));
  EXPECT_EQ(QColor(s[2].pixel(0, 0)), QColor(Qt::blue));

  // Disposal 3: the square shows once, then what lay beneath is back.
  auto previous = build(3);
  s = composites(*previous, kThreadedOnce);
  EXPECT_EQ(QColor(s[1].pixel(1, 1)), QColor(Qt::green));
  EXPECT_EQ(QColor(s[2].pixel(1, 1)), QColor(Qt::red));

  // Disposal 2 with transparency: the view's own background shows through.
  auto background = build(2);
  s = composites(*background, kThreadedOnce);
  EXPECT_EQ(qAlpha(s[2].pixel(1, 1)), 0);
  EXPECT_EQ(QColor(s[2].pixel(3, 3)), QColor(Qt::red));
  // Without transparency and with the background colour "none", the file's background
  // colour fills the area, not "no colour".
  background->file().globalColorMap().importColors({gif::makeColor(0, 0, 0), gif::makeColor(10, 20, 30)});
  background->file().header().setBackgroundIndex(1);
  s = composites(*background, kThreadedOnce & ~gif::drawTransparent);
  EXPECT_EQ(s[2].pixel(1, 1), qRgb(10, 20, 30));
  background->drawBackgroundColor = QColor(Qt::magenta);
  s = composites(*background, kThreadedOnce & ~gif::drawTransparent);
  EXPECT_EQ(QColor(s[2].pixel(1, 1)), QColor(Qt::magenta));
}

TEST(GifPainterThread, OnePainterPerTargetAndNoneForOneFrame) {
  View view;
  view.resize(60, 60);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

  auto still = animation({10});
  view.picture = still.get();
  view.repaint();
  EXPECT_EQ(still->runningPainters(), 0);
  EXPECT_EQ(still->lastPainter(), nullptr);

  auto g = animation({10, 10, 10}, 0);
  // Painted into an image (a printout, a capture) the first frame is drawn, without a thread.
  QImage page(8, 8, QImage::Format_RGB32);
  {
    QPainter p(&page);
    g->draw(p, page.rect());
  }
  EXPECT_EQ(QColor(page.pixel(4, 4)), QColor(Qt::red));
  EXPECT_EQ(g->lastPainter(), nullptr);
  // Frames painted by the thread repaint the view, which draws through the same painter.
  int frames = 0, paintsAtSecondFrame = 0;
  g->painterEvents.afterFrame = [&](GifPainter&) {
    if (++frames == 2) paintsAtSecondFrame = view.paints;
  };
  view.picture = g.get();
  view.repaint();
  std::shared_ptr<GifPainter> first = g->lastPainter();
  ASSERT_NE(first, nullptr);
  view.repaint();
  ASSERT_TRUE(Warten([&] { return frames >= 2 && view.paints > paintsAtSecondFrame; }));
  EXPECT_EQ(g->runningPainters(), 1);
  EXPECT_EQ(g->lastPainter(), first);
  // A second view of the same picture shows the same painter's frames.
  View other;
  other.picture = g.get();
  other.resize(30, 30);
  other.show();
  other.repaint();
  EXPECT_EQ(g->runningPainters(), 1);

  // Drawn straight onto the target, a painter belongs to its widget and rectangle: another
  // rectangle gets its own, and the one before is stopped.
  g->stopDrawAll();
  g->drawOptions |= gif::drawDirect;
  view.repaint();
  std::shared_ptr<GifPainter> a = g->lastPainter();
  view.area = QRect(5, 5, 20, 20);
  view.repaint();
  std::shared_ptr<GifPainter> b = g->lastPainter();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_TRUE(a->terminated());
  EXPECT_TRUE(b->paints(&view, QRect(5, 5, 20, 20)));
  view.picture = nullptr;
  other.picture = nullptr;
  g->stopDrawAll();
  EXPECT_EQ(g->runningPainters(), 0);
}

TEST(GifPainterThread, TheViewRepaintsWithEachFrame) {
  View view;
  view.resize(50, 50);
  auto g = animation({3, 3, 3}, 0, 8);  // 36 ms a frame
  view.picture = g.get();
  int changes = 0;
  g->setOnChange([&](imagefile::Graphic&) { ++changes; });
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  // Looked at between the view's own repaints; the looks are not counted as repaints.
  std::set<QRgb> seen;
  EXPECT_TRUE(Warten([&] {
    const int own = view.paints;
    seen.insert(view.grab().toImage().pixel(20, 20));
    view.paints = own;
    return seen.size() >= 3 && own > 3 && changes > 2;
  })) << "red, green and blue in turn: " << seen.size() << " colours, " << view.paints << " repaints, "
      << changes << " changes";
  view.picture = nullptr;
}

TEST(GifPainterThread, DestroyingThePictureEndsALongDelayAtOnce) {
  View view;
  view.resize(50, 50);
  auto g = animation({5000, 5000}, 0);  // a minute per frame
  auto clock = std::make_shared<WatchedClock>();
  g->painterClock = clock;
  int before = 0;
  g->painterEvents.beforeFrame = [&](GifPainter&) { ++before; };
  view.picture = g.get();
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  view.repaint();
  ASSERT_TRUE(Warten([&] { return clock->begun > 0; }));
  ASSERT_EQ(g->runningPainters(), 1);
  EXPECT_EQ(before, 1) << "frame 0 painted, now waiting";
  view.picture = nullptr;
  g.reset();
  // The minute's wait ended by the wake-up, not by its time.
  EXPECT_EQ(clock->wokenUp, 1);
  EXPECT_EQ(clock->timedOut, 0);
}

TEST(GifPainterThread, WithoutThreadsTheWholeAnimationPlaysInTheDrawCall) {
  View view;
  view.resize(50, 50);
  auto g = animation({3, 3, 3}, 0);
  g->drawOptions &= ~gif::drawThreaded;
  auto clock = std::make_shared<FakeClock>();
  g->painterClock = clock;
  std::vector<int> frames;
  g->painterEvents.beforeFrame = [&](GifPainter& p) { frames.push_back(p.activeFrame()); };
  view.picture = g.get();
  const QImage shown = view.grab().toImage();
  // Count 0 would loop without end; here it plays once, and the last frame stays.
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(QColor(shown.pixel(20, 20)), QColor(Qt::blue));
  EXPECT_EQ(g->runningPainters(), 0);
  EXPECT_EQ(g->lastPainter(), nullptr) << "the last-painter reference is cleared";
  // Painted again, the finished animation's last image is shown without playing it anew.
  view.grab();
  EXPECT_EQ(frames.size(), 3u);
  view.picture = nullptr;
}
