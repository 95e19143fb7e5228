#include "gif/optimize.h"

#include <algorithm>
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
void moveExtension(GifSubImage& from, int index, GifSubImage& to) {
  MemoryStream buffer;
  from.extensions().at(index).saveToStream(buffer);
  buffer.seek(0);
  to.extensions().loadFromStream(buffer);
  from.extensions().remove(index);
}

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
void mergeFrame(GifFile& file, int index, GifSubImage& below) {
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
  const std::vector<ColorValue> ownColors = ownTable.colors();
  const std::vector<ColorValue> belowColors = belowTable.colors();
  auto colorAt = [](const std::vector<ColorValue>& table, uint8_t i) -> long {
    return i < table.size() ? static_cast<long>(table[i]) : -1;
  };

  bool hasIndex = f.transparent();
  int t = hasIndex ? f.transparentColorIndex() : -1;
  bool gained = false;
  auto makeIndex = [&]() {
    if (!local) {
      // Another frame's transparent index serves only when none of our pixels uses it.
      for (int k = 0; k < file.images().count(); ++k) {
        const GifSubImage& other = file.images().image(k);
        if (k == index || !other.transparent() || other.colorMap().count() > 0) continue;
        if (!usesIndex(f, other.transparentColorIndex())) return other.transparentColorIndex();
      }
      return file.globalColorMap().add(makeColor(0, 0, 0));
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
  for (int i = file.images().count() - 1; i >= 1; --i) {
    int j = i - 1;
    while (j > 0 && disposalOf(file.images().image(j)) == 3) --j;
    mergeFrame(file, i, file.images().image(j));
    progress.step();
  }
}

void cropFrames(GifFile& file, Progress& progress) {
  for (int i = file.images().count() - 1; i >= 0; --i) {
    GifSubImage& f = file.images().image(i);
    progress.step();
    if (!f.transparent() || f.empty()) continue;
    // Read before the crop: an emptied frame's delay and extensions must survive it.
    const int delay = f.graphicControlExtension() ? f.graphicControlExtension()->delay() : 0;
    f.crop();
    if (!f.empty()) continue;
    const int count = file.images().count();
    if (i > 0 && delay > 0) {
      GifGraphicControlExtension& g = controlExtension(file.images().image(i - 1));
      g.setDelay(std::min(65535, g.delay() + delay));
    }
    GifSubImage* neighbour = i > 0 ? &file.images().image(i - 1) : (count > 1 ? &file.images().image(1) : nullptr);
    if (neighbour) {
      for (int e = f.extensions().count() - 1; e >= 0; --e) {
        if (dynamic_cast<GifGraphicControlExtension*>(&f.extensions().at(e))) continue;
        moveExtension(f, e, *neighbour);
      }
    }
    file.images().remove(i);
  }
}

void cleanupExtensions(GifFile& file, Progress& progress) {
  for (int i = file.images().count() - 1; i >= 0; --i) {
    GifSubImage& f = file.images().image(i);
    const int frames = file.images().count();
    bool loopKept = false;
    GifExtensionList& list = f.extensions();
    for (int e = 0; e < list.count();) {
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
      if (drop)
        list.remove(e);
      else
        ++e;
    }
    if (f.empty() && list.count() == 0) file.images().remove(i);
    progress.step();
  }
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
