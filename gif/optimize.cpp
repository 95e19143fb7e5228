#include "gif/optimize.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>

#include "gif/errors.h"

namespace gif {

namespace {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

Rect frameRect(const GifSubImage& f) { return {f.left(), f.top(), f.left() + f.width(), f.top() + f.height()}; }

Rect intersect(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

int disposalOf(const GifSubImage& f) {
  const GifGraphicControlExtension* g = f.graphicControlExtension();
  return g ? g->disposal() : 0;
}

bool usesIndex(const GifSubImage& f, int index) {
  const std::vector<uint8_t>& d = f.data();
  return std::find(d.begin(), d.end(), static_cast<uint8_t>(index)) != d.end();
}

GifGraphicControlExtension& controlExtension(GifSubImage& f) {
  if (!f.graphicControlExtension()) f.extensions().add(std::make_unique<GifGraphicControlExtension>(&f));
  return *f.graphicControlExtension();
}

// Extensions cannot change owner; they are written and read back into the other frame.
void copyExtension(const GifExtension& ext, GifSubImage& to) {
  MemoryStream buffer;
  ext.saveToStream(buffer);
  buffer.seek(0);
  to.extensions().loadFromStream(buffer);
}

// The first frame without a local table that is transparent with each index, so that a frame
// looking for an index to share finds it without a walk over all frames. Frames only ever
// become transparent here, and a frame asks only while it is not transparent itself.
class SharedTransparency {
 public:
  explicit SharedTransparency(const GifFile& file) {
    first_.fill(kNone);
    for (int k = 0; k < file.images().count(); ++k) note(file.images().image(k), k);
  }
  void note(const GifSubImage& f, int k) {
    if (!f.transparent() || f.colorMap().count() > 0) return;
    int& first = first_[static_cast<size_t>(f.transparentColorIndex())];
    first = std::min(first, k);
  }
  // The index of the first such frame whose index `self` does not use, or -1.
  int firstUnused(const GifSubImage& self) const {
    std::array<bool, 256> used{};
    for (uint8_t p : self.data()) used[p] = true;
    int bestFrame = kNone, bestIndex = -1;
    for (size_t v = 0; v < first_.size(); ++v) {
      if (!used[v] && first_[v] < bestFrame) {
        bestFrame = first_[v];
        bestIndex = static_cast<int>(v);
      }
    }
    return bestIndex;
  }

 private:
  static constexpr int kNone = std::numeric_limits<int>::max();
  std::array<int, 256> first_;
};

class Progress {
 public:
  explicit Progress(const GifFile& file) : file_(file), total_(std::max(1, file.images().count() * 6)) {}
  void step() { file_.progress(ProgressStage::Running, static_cast<int>(std::min<long>(100, ++done_ * 100L / total_)), "Optimizing..."); }

 private:
  const GifFile& file_;
  long total_;
  long done_ = 0;
};

void sortColorTables(GifFile& file, Progress& progress) {
  if (file.globalColorMap().count() > 0) file.globalColorMap().optimize();
  for (int i = 0; i < file.images().count(); ++i) {
    GifSubImage& f = file.images().image(i);
    if (f.colorMap().count() > 0) f.colorMap().optimize();
    progress.step();
  }
}

void cleanupTransparency(GifFile& file, Progress& progress) {
  const int n = file.images().count();
  for (int i = 0; i < n; ++i) {
    GifSubImage& f = file.images().image(i);
    if (f.transparent() && !usesIndex(f, f.transparentColorIndex())) f.graphicControlExtension()->setTransparent(false);
  }
  for (int i = 0; i + 1 < n; ++i) {
    GifSubImage& f = file.images().image(i);
    const GifSubImage& next = file.images().image(i + 1);
    const int disposal = disposalOf(f);
    if ((disposal == 2 || disposal == 3) && !next.transparent()) {
      // The disposal stops mattering only when the opaque successor covers all of this frame.
      const Rect own = frameRect(f);
      const Rect overlap = intersect(own, frameRect(next));
      if (!overlap.empty() && overlap == own) f.graphicControlExtension()->setDisposal(0);
    }
    progress.step();
  }
}

// Pixels of `frame` that show what `below` already shows become transparent.
void mergeFrame(GifFile& file, int index, GifSubImage& below, const SharedTransparency& shared) {
  GifSubImage& f = file.images().image(index);
  if (f.empty() || below.empty()) return;
  const int belowDisposal = disposalOf(below);
  if (belowDisposal == 2 || belowDisposal == 3) return;
  const Rect overlap = intersect(frameRect(f), frameRect(below));
  if (overlap.empty()) return;

  const bool local = f.colorMap().count() > 0;
  if (!f.transparent()) {
    if (local && f.colorMap().count() >= GifColorMap::kMaxColors) return;
    if (!local && (file.globalColorMap().count() == 0 || file.globalColorMap().count() >= GifColorMap::kMaxColors))
      return;
  }
  const GifColorMap& ownTable = f.activeColorMap();
  const GifColorMap& belowTable = below.activeColorMap();
  const bool sameTable = &ownTable == &belowTable;
  // Colours are compared only between different tables.
  const std::vector<ColorValue> ownColors = sameTable ? std::vector<ColorValue>() : ownTable.colors();
  const std::vector<ColorValue> belowColors = sameTable ? std::vector<ColorValue>() : belowTable.colors();
  auto colorAt = [](const std::vector<ColorValue>& table, uint8_t i) -> long {
    return i < table.size() ? static_cast<long>(table[i]) : -1;
  };

  bool hasIndex = f.transparent();
  int t = hasIndex ? f.transparentColorIndex() : -1;
  bool gained = false;
  auto makeIndex = [&]() {
    if (!local) {
      // Another frame's transparent index serves only when none of our pixels uses it.
      const int other = shared.firstUnused(f);
      return other >= 0 ? other : file.globalColorMap().add(makeColor(0, 0, 0));
    }
    return f.colorMap().add(makeColor(0, 0, 0));
  };

  const int fw = f.width(), bw = below.width();
  const std::vector<uint8_t>& belowData = below.data();
  std::vector<uint8_t>* data = nullptr;
  for (int y = overlap.top; y < overlap.bottom; ++y) {
    for (int x = overlap.left; x < overlap.right; ++x) {
      const size_t fi = static_cast<size_t>(y - f.top()) * static_cast<size_t>(fw) + static_cast<size_t>(x - f.left());
      const uint8_t p = data ? (*data)[fi] : f.data()[fi];
      if (hasIndex && p == t) continue;
      const uint8_t q =
          belowData[static_cast<size_t>(y - below.top()) * static_cast<size_t>(bw) + static_cast<size_t>(x - below.left())];
      if (below.transparent() && q == below.transparentColorIndex()) continue;
      const bool same = sameTable ? p == q : colorAt(ownColors, p) >= 0 && colorAt(ownColors, p) == colorAt(belowColors, q);
      if (!same) continue;
      if (!hasIndex) {
        t = makeIndex();
        hasIndex = true;
        gained = true;
      }
      if (!data) data = &f.mutableData();
      (*data)[fi] = static_cast<uint8_t>(t);
    }
  }
  if (gained) {
    GifGraphicControlExtension& g = controlExtension(f);
    g.setTransparentColorIndex(t);
    g.setTransparent(true);
  }
  if (data) f.dropCache();
}

void mergeFrames(GifFile& file, Progress& progress) {
  SharedTransparency shared(file);
  // The nearest earlier frame whose disposal is not 3, for the frame after it.
  std::vector<int> base(static_cast<size_t>(file.images().count()), 0);
  for (int j = 1; j < file.images().count(); ++j)
    base[static_cast<size_t>(j)] = disposalOf(file.images().image(j - 1)) == 3 ? base[static_cast<size_t>(j - 1)] : j - 1;
  for (int i = file.images().count() - 1; i >= 1; --i) {
    GifSubImage& f = file.images().image(i);
    const bool wasTransparent = f.transparent();
    mergeFrame(file, i, file.images().image(base[static_cast<size_t>(i)]), shared);
    if (!wasTransparent) shared.note(f, i);
    progress.step();
  }
}

void cropFrames(GifFile& file, Progress& progress) {
  // Emptied frames leave the list together at the end; until then the frames before each
  // one keep their places.
  const int count = file.images().count();
  std::vector<bool> dropped(static_cast<size_t>(count), false);
  for (int i = count - 1; i >= 0; --i) {
    GifSubImage& f = file.images().image(i);
    progress.step();
    if (!f.transparent() || f.empty()) continue;
    // Read before the crop: an emptied frame's delay and extensions must survive it.
    const int delay = f.graphicControlExtension() ? f.graphicControlExtension()->delay() : 0;
    f.crop();
    if (!f.empty()) continue;
    if (i > 0 && delay > 0) {
      GifGraphicControlExtension& g = controlExtension(file.images().image(i - 1));
      g.setDelay(std::min(65535, g.delay() + delay));
    }
    // The frame before, or for the first frame the first one that stays after it.
    int next = 1;
    while (i == 0 && next < count && dropped[static_cast<size_t>(next)]) ++next;
    GifSubImage* neighbour = i > 0 ? &file.images().image(i - 1) : (next < count ? &file.images().image(next) : nullptr);
    if (neighbour) {
      for (int e = f.extensions().count() - 1; e >= 0; --e)
        if (!dynamic_cast<GifGraphicControlExtension*>(&f.extensions().at(e))) copyExtension(f.extensions().at(e), *neighbour);
    }
    dropped[static_cast<size_t>(i)] = true;
  }
  file.images().removeMarked(dropped);
}

void cleanupExtensions(GifFile& file, Progress& progress) {
  const int count = file.images().count();
  std::vector<bool> dropped(static_cast<size_t>(count), false);
  int keptAfter = 0;
  std::vector<bool> drops;
  for (int i = count - 1; i >= 0; --i) {
    GifSubImage& f = file.images().image(i);
    // The frames this one is judged among: itself, those before it and those kept after it.
    const int frames = i + 1 + keptAfter;
    bool loopKept = false;
    GifExtensionList& list = f.extensions();
    drops.assign(static_cast<size_t>(list.count()), false);
    for (int e = 0; e < list.count(); ++e) {
      GifExtension& ext = list.at(e);
      bool drop = false;
      if (dynamic_cast<GifAppExtNSLoop*>(&ext)) {
        drop = !(i == 0 && frames > 1) || loopKept;
        loopKept = loopKept || !drop;
      } else if (dynamic_cast<GifCommentExtension*>(&ext) || dynamic_cast<GifTextExtension*>(&ext) ||
                 dynamic_cast<GifUnknownAppExtension*>(&ext)) {
        drop = true;
      } else if (auto* g = dynamic_cast<GifGraphicControlExtension*>(&ext)) {
        const bool timingless = frames == 1 || (g->delay() == 0 && g->disposal() <= 1);
        drop = !g->transparent() && !g->userInput() && timingless;
      } else if (dynamic_cast<GifApplicationExtension*>(&ext)) {
        drop = true;
      }
      drops[static_cast<size_t>(e)] = drop;
    }
    list.removeMarked(drops);
    dropped[static_cast<size_t>(i)] = f.empty() && list.count() == 0;
    if (!dropped[static_cast<size_t>(i)]) ++keptAfter;
    progress.step();
  }
  file.images().removeMarked(dropped);
}

}  // namespace

void optimizeFile(GifFile& file, int options, int reductionMethod, int /*ditherMode*/, int /*reductionBits*/) {
  if (file.images().count() == 0) return;
  file.progress(ProgressStage::Starting, 0, "Optimizing...");
  bool ok = false;
  try {
    Progress progress(file);
    if (options & optSortColorTables) sortColorTables(file, progress);
    if (options & optCleanup) cleanupTransparency(file, progress);
    if (options & optMergeFrames) mergeFrames(file, progress);
    if (options & optCropFrames) cropFrames(file, progress);
    if (options & optCleanup) cleanupExtensions(file, progress);
    if ((options & optReduceColors) && reductionMethod == 9) raiseError("Invalid reduction method");
    ok = true;
  } catch (...) {
    file.changed();
    file.progress(ProgressStage::Ending, 0, "Optimizing...");
    throw;
  }
  file.changed();
  file.progress(ProgressStage::Ending, ok ? 100 : 0, "Optimizing...");
}

}  // namespace gif
