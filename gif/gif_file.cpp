#include "gif/gif_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "gif/errors.h"

namespace gif {

namespace {
constexpr uint8_t kIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;

// The three letters, in either case; a stream too short to hold them has none.
bool isGifSignature(const uint8_t* b, size_t got) {
  return got >= 3 && std::toupper(b[0]) == 'G' && std::toupper(b[1]) == 'I' && std::toupper(b[2]) == 'F';
}
}  // namespace

// --- header -----------------------------------------------------------------------------------

void GifHeader::clear() {
  colorMap_.clear();
  descriptor_.fill(0);
}

void GifHeader::assign(const GifHeader& other) {
  if (&other == this) return;
  colorMap_.assign(other.colorMap_);
  descriptor_ = other.descriptor_;
}

void GifHeader::setWidth(int w) {
  imagefile::putLE16(descriptor_.data(), static_cast<uint32_t>(w));
}

void GifHeader::setHeight(int h) {
  imagefile::putLE16(descriptor_.data() + 2, static_cast<uint32_t>(h));
}

void GifHeader::loadFromStream(ByteStream& s) {
  const int64_t start = s.position();
  // The signature is judged before anything else, so an empty or foreign file says so rather
  // than running out of data; a stream with the letters but cut short runs out further on.
  uint8_t sig[6] = {};
  size_t got = s.read(sig, 6);
  if (!isGifSignature(sig, got)) {
    // Picture data kept behind a 4-byte length prefix.
    s.seek(start + 4);
    got = s.read(sig, 6);
    if (!isGifSignature(sig, got)) raiseError("Invalid GIF signature");
  }
  signature_.assign(reinterpret_cast<const char*>(sig), got);
  readExact(s, descriptor_.data(), descriptor_.size());
  if (descriptor_[4] & 0x80)
    colorMap_.loadFromStream(s, 2 << (descriptor_[4] & 7));
  else
    colorMap_.clear();
}

void GifHeader::prepare() {
  uint8_t packed = 0;
  if (colorMap_.count() > 0) {
    packed |= 0x80;
    if (colorMap_.sorted()) packed |= 0x08;
    // The size field describes the table that follows, and nothing else.
    packed |= static_cast<uint8_t>((colorMap_.bitsPerPixel() - 1) & 7);
  }
  const int resolution = picture_ ? picture_->colorResolution() : colorResolution();
  packed |= static_cast<uint8_t>((std::max(resolution, 0) & 7) << 4);
  descriptor_[4] = packed;
}

void GifHeader::saveToStream(ByteStream& s) {
  const int v = picture_ ? picture_->version() : version();
  if (v != 1 && v != 2) raiseError("Unsupported GIF version");
  prepare();
  s.write(v == 1 ? "GIF87a" : "GIF89a", 6);
  s.write(descriptor_.data(), descriptor_.size());
  if (descriptor_[4] & 0x80) colorMap_.saveToStream(s);
}

int GifHeader::version() const { return (colorMap_.sorted() || aspectRatio() != 0) ? 2 : 1; }

// --- frame list -------------------------------------------------------------------------------

constinit thread_local uint64_t frameListSteps = 0;

int GifImageList::add(std::unique_ptr<GifSubImage> frame) {
  items_.push_back(std::move(frame));
  return count() - 1;
}

void GifImageList::remove(int i) {
  frameListSteps += items_.size() - static_cast<size_t>(i);
  items_.erase(items_.begin() + i);
}

void GifImageList::removeMarked(const std::vector<bool>& drop) {
  size_t kept = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    ++frameListSteps;
    if (!drop[i]) items_[kept++] = std::move(items_[i]);
  }
  items_.resize(kept);
}

namespace {
// Skips zero bytes; false at the end of the stream.
bool nextNonZero(ByteStream& s, uint8_t& b) {
  while (tryReadByte(s, b))
    if (b != 0) return true;
  return false;
}
}  // namespace

void GifImageList::loadFromStream(ByteStream& s) {
  uint8_t b = 0;
  if (!nextNonZero(s, b)) return;
  // The pixels of the frames loaded so far, which each new frame is weighed against.
  int64_t loaded = 0;
  while (b != kTrailer) {
    stepBack(s);
    if (b != kIntroducer && b != kImageSeparator) {
      picture_->warning(1, "Unknown GIF block type");
      return;
    }
    auto frame = std::make_unique<GifSubImage>(picture_);
    GifSubImage* f = frame.get();
    add(std::move(frame));
    f->loadFromStream(s, loaded);
    loaded += static_cast<int64_t>(f->data().size());
    const int64_t size = s.size();
    if (size > 0) picture_->progress(ProgressStage::Running, static_cast<int>(s.position() * 100 / size), "Loading...");
    if (!nextNonZero(s, b)) return;
  }
  // Only the trailer byte just read is given back.
  stepBack(s);
}

void GifImageList::saveToStream(ByteStream& s) const {
  // Saving changes no colour table, so the picture's width of codes is the same for every frame.
  const int pictureBits = picture_ ? picture_->bitsPerPixel() : 8;
  for (int i = 0; i < count(); ++i) {
    image(i).saveToStream(s, pictureBits);
    if (picture_) picture_->progress(ProgressStage::Running, (i + 1) * 100 / count(), "Saving...");
  }
}

// --- trailer ----------------------------------------------------------------------------------

void GifTrailer::saveToStream(ByteStream& s) { writeByte(s, kTrailer); }

void GifTrailer::loadFromStream(ByteStream& s) {
  uint8_t b = 0;
  if (!tryReadByte(s, b) || b != kTrailer) raiseError("Invalid Image trailer");
}

// --- file -------------------------------------------------------------------------------------

GifFile::GifFile() : header_(this), images_(this) {}

GifFile::~GifFile() {
  onChange = nullptr;
  images_.clear();
}

void GifFile::warning(int severity, const std::string& message) const {
  if (onWarning) onWarning(severity, message);
}

void GifFile::progress(ProgressStage stage, int percent, const std::string& text) const {
  if (onProgress) onProgress(stage, percent, text);
}

void GifFile::changed() const {
  if (onChange) onChange();
}

int GifFile::version() const {
  if (images_.count() == 0) return 0;
  // A sorted global table or an aspect ratio is 89a as much as an extension is.
  int v = header_.version();
  for (int i = 0; i < images_.count(); ++i) v = std::max(v, images_.image(i).version());
  return v;
}

int GifFile::bitsPerPixel() const {
  int bits = header_.bitsPerPixel();
  for (int i = 0; i < images_.count(); ++i) bits = std::max(bits, images_.image(i).bitsPerPixel());
  return bits;
}

int GifFile::colorResolution() const {
  int r = header_.colorResolution();
  for (int i = 0; i < images_.count(); ++i) r = std::max(r, images_.image(i).colorResolution());
  return r;
}

void GifFile::clear() {
  images_.clear();
  header_.clear();
  changed();
}

int GifFile::add(std::unique_ptr<GifSubImage> frame) {
  const int i = images_.add(std::move(frame));
  changed();
  return i;
}

void GifFile::loadFromStream(ByteStream& s) {
  progress(ProgressStage::Starting, 0, "Loading...");
  bool ok = false;
  clear();
  const int64_t start = s.position();
  try {
    header_.loadFromStream(s);
    images_.loadFromStream(s);
    GifTrailer::loadFromStream(s);
    ok = true;
  } catch (const std::bad_alloc&) {
    s.seek(start);
    changed();
    progress(ProgressStage::Ending, 0, "Loading...");
    throw GifOutOfMemory("Out of memory");
  } catch (...) {
    s.seek(start);
    changed();
    progress(ProgressStage::Ending, 0, "Loading...");
    throw;
  }
  changed();
  progress(ProgressStage::Ending, ok ? 100 : 0, "Loading...");
}

void GifFile::saveToStream(ByteStream& s) {
  progress(ProgressStage::Starting, 0, "Saving...");
  try {
    guardMemory([&] {
      header_.saveToStream(s);
      images_.saveToStream(s);
      GifTrailer::saveToStream(s);
    });
  } catch (...) {
    progress(ProgressStage::Ending, 0, "Saving...");
    throw;
  }
  progress(ProgressStage::Ending, 100, "Saving...");
}

}  // namespace gif
