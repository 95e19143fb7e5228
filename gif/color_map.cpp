#include "gif/color_map.h"

#include <algorithm>
#include <numeric>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/sub_image.h"

namespace gif {

void GifColorMap::clear() {
  data_.clear();
  data_.shrink_to_fit();
  count_ = 0;
  capacity_ = 0;
  sorted_ = false;
}

void GifColorMap::reserve(int n) {
  if (n < capacity_) return;
  int cap = n <= 16 ? 16 : (n + 31) / 32 * 32;
  cap = std::min(cap, kMaxColors);
  capacity_ = cap;
  data_.resize(static_cast<size_t>(cap) * 3);
}

int GifColorMap::add(ColorValue color) {
  if (count_ >= kMaxColors) raiseError("Color table overflow");
  reserve(count_ + 1);
  uint8_t* p = &data_[static_cast<size_t>(count_) * 3];
  p[0] = colorRed(color);
  p[1] = colorGreen(color);
  p[2] = colorBlue(color);
  sorted_ = false;
  ++count_;
  changed();
  return count_ - 1;
}

int GifColorMap::addUnique(ColorValue color) {
  const int i = indexOf(color);
  return i >= 0 ? i : add(color);
}

int GifColorMap::indexOf(ColorValue color) const {
  const uint8_t r = colorRed(color), g = colorGreen(color), b = colorBlue(color);
  auto match = [&](int i) {
    const uint8_t* p = &data_[static_cast<size_t>(i) * 3];
    return p[0] == r && p[1] == g && p[2] == b;
  };
  if (sorted_) {
    for (int i = 0; i < count_; ++i)
      if (match(i)) return i;
  } else {
    for (int i = count_ - 1; i >= 0; --i)
      if (match(i)) return i;
  }
  return -1;
}

void GifColorMap::remove(int index) {
  if (index < 0 || index >= count_) raiseError("Invalid color index");
  data_.erase(data_.begin() + index * 3, data_.begin() + index * 3 + 3);
  data_.resize(static_cast<size_t>(capacity_) * 3);
  --count_;
  sorted_ = false;
  changed();
}

ColorValue GifColorMap::color(int index) const {
  if (index < 0 || index >= count_) {
    warning(1, "Invalid color index");
    index = 0;
    if (count_ == 0) raiseError("Color table is empty");
  }
  const uint8_t* p = &data_[static_cast<size_t>(index) * 3];
  return makeColor(p[0], p[1], p[2]);
}

void GifColorMap::assign(const GifColorMap& other) {
  if (&other == this) return;
  data_ = other.data_;
  count_ = other.count_;
  capacity_ = other.capacity_;
  sorted_ = other.sorted_;
  changed();
}

void GifColorMap::importRgbQuads(const uint8_t* quads, int n) {
  clear();
  n = std::clamp(n, 0, kMaxColors);
  if (n == 0) {
    changed();
    return;
  }
  reserve(n);
  for (int i = 0; i < n; ++i) {
    data_[static_cast<size_t>(i) * 3 + 0] = quads[i * 4 + 2];
    data_[static_cast<size_t>(i) * 3 + 1] = quads[i * 4 + 1];
    data_[static_cast<size_t>(i) * 3 + 2] = quads[i * 4 + 0];
  }
  count_ = n;
  changed();
}

void GifColorMap::importColors(const std::vector<ColorValue>& colors) {
  clear();
  const int n = std::min(static_cast<int>(colors.size()), kMaxColors);
  if (n > 0) reserve(n);
  for (int i = 0; i < n; ++i) {
    data_[static_cast<size_t>(i) * 3 + 0] = colorRed(colors[static_cast<size_t>(i)]);
    data_[static_cast<size_t>(i) * 3 + 1] = colorGreen(colors[static_cast<size_t>(i)]);
    data_[static_cast<size_t>(i) * 3 + 2] = colorBlue(colors[static_cast<size_t>(i)]);
  }
  count_ = n;
  changed();
}

std::vector<ColorValue> GifColorMap::colors() const {
  std::vector<ColorValue> out(static_cast<size_t>(count_));
  for (int i = 0; i < count_; ++i) {
    const uint8_t* p = &data_[static_cast<size_t>(i) * 3];
    out[static_cast<size_t>(i)] = makeColor(p[0], p[1], p[2]);
  }
  return out;
}

void GifColorMap::loadFromStream(ByteStream& s, int n) {
  clear();
  reserve(n);
  readExact(s, data_.data(), static_cast<size_t>(n) * 3);
  count_ = n;
  changed();
}

void GifColorMap::saveToStream(ByteStream& s) const {
  if (count_ == 0) return;
  const int total = 1 << bitsPerPixel();
  s.write(data_.data(), static_cast<size_t>(count_) * 3);
  const std::vector<uint8_t> black(static_cast<size_t>(total - count_) * 3, 0);
  if (!black.empty()) s.write(black.data(), black.size());
}

bool GifColorMap::optimize() {
  if (count_ <= 1 || !mayOptimize()) return false;
  sorted_ = true;
  const std::vector<uint64_t> uses = buildHistogram();
  std::vector<int> order(static_cast<size_t>(count_));
  std::iota(order.begin(), order.end(), 0);
  // Equal counts keep their order, so a table already in falling order stays as it is.
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return uses[static_cast<size_t>(a)] > uses[static_cast<size_t>(b)]; });
  bool moved = false;
  for (int i = 0; i < count_; ++i)
    if (order[static_cast<size_t>(i)] != i) moved = true;
  if (!moved) return true;
  std::vector<uint8_t> map(256);
  for (int i = 0; i < 256; ++i) map[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  std::vector<uint8_t> sortedData(data_.size(), 0);
  int used = count_;
  for (int pos = 0; pos < count_; ++pos) {
    const int old = order[static_cast<size_t>(pos)];
    map[static_cast<size_t>(old)] = static_cast<uint8_t>(pos);
    std::copy_n(&data_[static_cast<size_t>(old) * 3], 3, &sortedData[static_cast<size_t>(pos) * 3]);
    if (uses[static_cast<size_t>(old)] == 0 && used == count_) used = pos;
  }
  remapPixels(map);
  data_ = std::move(sortedData);
  count_ = used;
  changed();
  return true;
}

// --- global table -----------------------------------------------------------------------

void GifGlobalColorMap::warning(int severity, const std::string& message) const {
  if (picture_) picture_->warning(severity, message);
}

std::vector<uint64_t> GifGlobalColorMap::buildHistogram() const {
  std::vector<uint64_t> uses(static_cast<size_t>(count()), 0);
  if (!picture_) return uses;
  std::array<uint64_t, 256> all{};
  for (int i = 0; i < picture_->images().count(); ++i) {
    const GifSubImage& f = picture_->images().image(i);
    if (&f.activeColorMap() != this) continue;
    for (uint8_t p : f.data()) ++all[p];
  }
  for (size_t i = 0; i < uses.size(); ++i) uses[i] = all[i];
  // The background colour is shown too, so it counts as used and keeps its entry.
  const size_t bg = static_cast<size_t>(picture_->header().backgroundIndex());
  if (bg < uses.size()) ++uses[bg];
  return uses;
}

void GifGlobalColorMap::remapPixels(const std::vector<uint8_t>& map) {
  if (!picture_) return;
  for (int i = 0; i < picture_->images().count(); ++i) {
    GifSubImage& f = picture_->images().image(i);
    if (&f.activeColorMap() != this) continue;
    for (uint8_t& p : f.mutableData()) p = map[p];
    if (f.transparent() && f.graphicControlExtension())
      f.graphicControlExtension()->setTransparentColorIndex(map[static_cast<size_t>(f.transparentColorIndex())]);
  }
  picture_->header().setBackgroundIndex(map[static_cast<size_t>(picture_->header().backgroundIndex())]);
}

bool GifGlobalColorMap::mayOptimize() const { return picture_ && picture_->images().count() > 0; }

void GifGlobalColorMap::changed() {
  if (picture_) picture_->changed();
}

// --- local table ------------------------------------------------------------------------

void GifLocalColorMap::warning(int severity, const std::string& message) const { frame_->warning(severity, message); }

std::vector<uint64_t> GifLocalColorMap::buildHistogram() const {
  std::array<uint64_t, 256> all{};
  for (uint8_t p : frame_->data()) ++all[p];
  std::vector<uint64_t> uses(static_cast<size_t>(count()));
  for (size_t i = 0; i < uses.size(); ++i) uses[i] = all[i];
  return uses;
}

void GifLocalColorMap::remapPixels(const std::vector<uint8_t>& map) {
  for (uint8_t& p : frame_->mutableData()) p = map[p];
  if (frame_->transparent() && frame_->graphicControlExtension())
    frame_->graphicControlExtension()->setTransparentColorIndex(map[static_cast<size_t>(frame_->transparentColorIndex())]);
}

void GifLocalColorMap::changed() { frame_->dropCache(); }

}  // namespace gif
