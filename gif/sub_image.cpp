#include "gif/sub_image.h"

#include <algorithm>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/lzw.h"

namespace gif {

namespace {
constexpr uint8_t kImageSeparator = 0x2C;
}

GifSubImage::GifSubImage(GifFile* picture) : picture_(picture), colorMap_(this), extensions_(this) {
  descriptor_[0] = kImageSeparator;
}

GifSubImage::~GifSubImage() {
  // The list would otherwise report each extension back to a frame that is going away.
  gce_ = nullptr;
}

void GifSubImage::setWord(int offset, int value) {
  imagefile::putLE16(descriptor_.data() + offset, static_cast<uint32_t>(value));
}

void GifSubImage::dropCache() const {
  std::lock_guard<std::mutex> lock(cacheMutex_);
  cache_.reset();
}

void GifSubImage::warning(int severity, const std::string& message) const {
  if (picture_) picture_->warning(severity, message);
}

void GifSubImage::clear() {
  extensions_.clear();
  colorMap_.clear();
  data_.clear();
  data_.shrink_to_fit();
  setWord(5, 0);
  setWord(7, 0);
  transparent_ = false;
  gce_ = nullptr;
  dropCache();
}

int GifSubImage::boundsValue(int index) const {
  switch (index) {
    case 1: return left();
    case 2: return top();
    case 3: return width();
    case 4: return height();
    default: return 0;
  }
}

void GifSubImage::setBoundsValue(int index, int value) {
  int b[4] = {left(), top(), width(), height()};
  if (index >= 1 && index <= 4) b[index - 1] = value;
  setBounds(b[0], b[1], b[2], b[3]);
}

void GifSubImage::setBounds(int l, int t, int w, int h) {
  l = std::clamp(l, 0, 65535);
  t = std::clamp(t, 0, 65535);
  w = std::clamp(w, 0, 65535);
  h = std::clamp(h, 0, 65535);
  const bool resized = w != width() || h != height();
  setWord(1, l);
  setWord(3, t);
  setWord(5, w);
  setWord(7, h);
  if (resized) {
    dropCache();
    newImage();
  }
  growPicture();
}

void GifSubImage::growPicture() {
  if (!picture_) return;
  GifHeader& header = picture_->header();
  bool warned = false;
  // The logical screen is 16 bits wide; a frame reaching further is still kept.
  const int needW = std::min(left() + width(), 65535);
  const int needH = std::min(top() + height(), 65535);
  if (header.width() < needW) {
    if (header.width() > 0) {
      warning(1, "Image width too small for contained frames");
      warned = true;
    }
    header.setWidth(needW);
  }
  if (header.height() < needH) {
    if (header.height() > 0) {
      warning(1, "Image height too small for contained frames");
      warned = true;
    }
    header.setHeight(needH);
  }
  if (warned) warning(1, "Image exceeds Logical Screen size");
}

void GifSubImage::setInterlaced(bool on) {
  descriptor_[9] = static_cast<uint8_t>(on ? (descriptor_[9] | 0x40) : (descriptor_[9] & ~0x40));
}

bool GifSubImage::empty() const { return data_.empty() || width() == 0 || height() == 0; }

int GifSubImage::version() const { return (colorMap_.sorted() || extensions_.count() > 0) ? 2 : 1; }

void GifSubImage::newImage() {
  const int64_t n = static_cast<int64_t>(width()) * height();
  if (n > kMaxPixels) raiseError("Image dimensions too large");
  data_.assign(static_cast<size_t>(n), 0);
  if (n == 0) data_.shrink_to_fit();
  dropCache();
}

void GifSubImage::needData() {
  const int64_t n = static_cast<int64_t>(width()) * height();
  if (n == 0) raiseError("Image is empty");
  if (static_cast<int64_t>(data_.size()) != n) newImage();
}

std::vector<uint8_t>& GifSubImage::mutableData() {
  dropCache();
  return data_;
}

uint8_t GifSubImage::pixel(int x, int y) const {
  if (x < 0 || x >= width() || y < 0 || y >= height() || data_.empty()) raiseError("Invalid pixel coordinates");
  return data_[static_cast<size_t>(y) * static_cast<size_t>(width()) + static_cast<size_t>(x)];
}

const uint8_t* GifSubImage::scanLine(int y) const {
  if (y < 0 || y >= height() || data_.empty()) raiseError("Invalid pixel coordinates");
  return data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width());
}

uint8_t* GifSubImage::mutableScanLine(int y) {
  if (y < 0 || y >= height() || data_.empty()) raiseError("Invalid pixel coordinates");
  dropCache();
  return data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width());
}

const GifColorMap& GifSubImage::activeColorMap() const {
  if (colorMap_.count() > 0) return colorMap_;
  if (picture_ && picture_->globalColorMap().count() > 0) return picture_->globalColorMap();
  return colorMap_;
}

GifColorMap& GifSubImage::activeColorMap() {
  return const_cast<GifColorMap&>(static_cast<const GifSubImage*>(this)->activeColorMap());
}

void GifSubImage::setTransparentFlag(bool on) {
  transparent_ = on;
  dropCache();
}

void GifSubImage::adoptControlExtension(GifGraphicControlExtension* ext) {
  if (gce_) return;
  gce_ = ext;
  transparent_ = ext->transparent();
  dropCache();
}

void GifSubImage::releaseExtension(GifExtension* ext) {
  if (ext != gce_ || !gce_) return;
  gce_ = nullptr;
  transparent_ = false;
  dropCache();
}

void GifSubImage::loadFromStream(ByteStream& s) {
  int64_t others = 0;
  if (picture_)
    for (int i = 0; i < picture_->images().count(); ++i)
      if (&picture_->images().image(i) != this) others += static_cast<int64_t>(picture_->images().image(i).data().size());
  loadFromStream(s, others);
}

void GifSubImage::loadFromStream(ByteStream& s, int64_t otherPixels) {
  clear();
  extensions_.loadFromStream(s);
  uint8_t b = 0;
  if (!tryReadByte(s, b)) return;
  stepBack(s);
  // Anything but an image separator ends the frame here; the list reports the stray byte.
  if (b != kImageSeparator) return;
  readExact(s, descriptor_.data(), descriptor_.size());
  if (width() == 0 || height() == 0) {
    setWord(5, picture_ ? picture_->width() : 0);
    setWord(7, picture_ ? picture_->height() : 0);
    warning(1, "Image exceeds Logical Screen size");
  }
  // A frame without pixels would be kept in memory but could never be written back (nothing
  // to describe, nothing to encode): refused rather than lost on the next save.
  if (width() == 0 || height() == 0) raiseError("Invalid image dimensions");
  const int64_t pixels = static_cast<int64_t>(width()) * height();
  if (pixels > kMaxPixels) raiseError("Image dimensions too large");
  if (picture_ && pixels + otherPixels > picture_->maxTotalPixels) raiseError("Image dimensions too large");
  if (descriptor_[9] & 0x80) colorMap_.loadFromStream(s, 2 << (descriptor_[9] & 7));
  if (pixels > maxDecodablePixels(s)) raiseError("Premature end of data");
  decodeFrame(*this, s);
}

void GifSubImage::saveToStream(ByteStream& s) const {
  saveToStream(s, colorMap_.count() == 0 && picture_ ? picture_->bitsPerPixel() : 8);
}

void GifSubImage::saveToStream(ByteStream& s, int pictureBits) const {
  extensions_.saveToStream(s);
  if (empty()) return;
  std::array<uint8_t, 10> d = descriptor_;
  d[0] = kImageSeparator;
  if (colorMap_.count() > 0) {
    // The interlace bit is written as it is held: it also decides the row order below.
    d[9] = static_cast<uint8_t>(0x80 | (colorMap_.sorted() ? 0x20 : 0) | (descriptor_[9] & 0x40) |
                                ((colorMap_.bitsPerPixel() - 1) & 7));
  } else {
    d[9] = static_cast<uint8_t>(descriptor_[9] & 0x58);
  }
  s.write(d.data(), d.size());
  colorMap_.saveToStream(s);
  compressFrame(*this, s, pictureBits);
}

void GifSubImage::assign(const GifSubImage& source) {
  if (&source == this) return;
  clear();
  if (source.empty()) return;
  descriptor_ = source.descriptor_;
  data_ = source.data_;
  colorMap_.assign(source.colorMap_);
  if (source.extensions_.count() > 0) {
    MemoryStream buffer;
    source.extensions_.saveToStream(buffer);
    buffer.seek(0);
    extensions_.loadFromStream(buffer);
  }
  transparent_ = source.transparent_;
  growPicture();
  dropCache();
}

void GifSubImage::crop() {
  if (!transparent_ || empty()) return;
  const uint8_t t = static_cast<uint8_t>(transparentColorIndex());
  const int w = width(), h = height();
  auto opaqueRow = [&](int y) {
    const uint8_t* r = &data_[static_cast<size_t>(y) * static_cast<size_t>(w)];
    return std::any_of(r, r + w, [t](uint8_t p) { return p != t; });
  };
  auto opaqueColumn = [&](int x, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
      if (data_[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] != t) return true;
    return false;
  };
  int y0 = 0;
  while (y0 < h && !opaqueRow(y0)) ++y0;
  if (y0 == h) {
    const int l = left(), tp = top();
    data_.clear();
    setWord(5, 0);
    setWord(7, 0);
    setWord(1, l);
    setWord(3, tp);
    dropCache();
    return;
  }
  int y1 = h - 1;
  while (!opaqueRow(y1)) --y1;
  int x0 = 0;
  while (!opaqueColumn(x0, y0, y1)) ++x0;
  int x1 = w - 1;
  while (!opaqueColumn(x1, y0, y1)) --x1;
  const int nw = x1 - x0 + 1, nh = y1 - y0 + 1;
  if (nw == w && nh == h) return;
  std::vector<uint8_t> cut(static_cast<size_t>(nw) * static_cast<size_t>(nh));
  for (int y = 0; y < nh; ++y)
    std::copy_n(&data_[static_cast<size_t>(y + y0) * static_cast<size_t>(w) + static_cast<size_t>(x0)], nw,
                &cut[static_cast<size_t>(y) * static_cast<size_t>(nw)]);
  data_ = std::move(cut);
  setWord(1, left() + x0);
  setWord(3, top() + y0);
  setWord(5, nw);
  setWord(7, nh);
  dropCache();
}

}  // namespace gif
