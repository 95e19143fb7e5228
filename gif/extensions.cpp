#include "gif/extensions.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/sub_image.h"

namespace gif {

namespace {
constexpr uint8_t kIntroducer = 0x21;  // "!"
constexpr uint8_t kImageSeparator = 0x2C;  // ","
constexpr uint8_t kTrailer = 0x3B;  // ";"
}  // namespace

void GifExtension::loadFromStream(ByteStream& s) {
  uint8_t head[2];
  readExact(s, head, 2);
  if (head[0] != kIntroducer) raiseError("Invalid extension introducer");
  if (head[1] != label()) raiseError("Internal error: Extension Instance does not match Extension Label");
  loadBody(s);
}

void GifExtension::saveToStream(ByteStream& s) const {
  const uint8_t head[2] = {kIntroducer, label()};
  s.write(head, 2);
  saveBody(s);
}

void GifExtension::warning(int severity, const std::string& message) const {
  if (frame_) frame_->warning(severity, message);
}

// --- graphic control ----------------------------------------------------------------------

GifGraphicControlExtension::GifGraphicControlExtension(GifSubImage* frame) : GifExtension(frame) { block_[0] = 4; }

void GifGraphicControlExtension::setTransparent(bool on) {
  block_[1] = static_cast<uint8_t>(on ? (block_[1] | 0x01) : (block_[1] & ~0x01));
  if (frame() && frame()->graphicControlExtension() == this) frame()->setTransparentFlag(on);
}

void GifGraphicControlExtension::setTransparentColorIndex(int index) {
  if (frame()) {
    const GifColorMap& table = frame()->activeColorMap();
    if (table.count() > 0 && index >= table.count()) {
      warning(1, "Invalid color index");
      index = 0;
    }
  }
  block_[4] = static_cast<uint8_t>(index);
  if (frame()) frame()->dropCache();
}

void GifGraphicControlExtension::setDelay(int hundredths) {
  imagefile::putLE16(block_.data() + 2, static_cast<uint32_t>(hundredths));
}

void GifGraphicControlExtension::setDisposal(int disposal) {
  block_[1] = static_cast<uint8_t>((block_[1] & ~0x1C) | ((disposal & 0x07) << 2));
}

void GifGraphicControlExtension::setUserInput(bool on) {
  block_[1] = static_cast<uint8_t>(on ? (block_[1] | 0x02) : (block_[1] & ~0x02));
}

void GifGraphicControlExtension::loadBody(ByteStream& s) {
  if (s.read(block_.data(), 6) != 6) {
    warning(1, "Premature end of data");
    return;
  }
  if ((block_[1] & 0x01) && frame() && frame()->graphicControlExtension() == this) frame()->setTransparentFlag(true);
}

void GifGraphicControlExtension::saveBody(ByteStream& s) const { s.write(block_.data(), 6); }

// --- plain text and comment -----------------------------------------------------------------

GifTextExtension::GifTextExtension(GifSubImage* frame) : GifExtension(frame) { block_[0] = 12; }

void GifTextExtension::loadBody(ByteStream& s) {
  readExact(s, block_.data(), block_.size());
  readSubBlockStrings(s, text_);
}

void GifTextExtension::saveBody(ByteStream& s) const {
  s.write(block_.data(), block_.size());
  writeSubBlockStrings(s, text_);
}

void GifCommentExtension::loadBody(ByteStream& s) { readSubBlockStrings(s, text_); }
void GifCommentExtension::saveBody(ByteStream& s) const { writeSubBlockStrings(s, text_); }

// --- application extensions -----------------------------------------------------------------

void GifApplicationExtension::setIdentifier(const std::string& ident11) {
  ident_.fill(0);
  std::memcpy(ident_.data(), ident11.data(), std::min<size_t>(11, ident11.size()));
}

void GifApplicationExtension::loadBody(ByteStream& s) {
  const uint8_t size = readByte(s);
  if (size < 10) raiseError("Unsupported Application Extension block size");
  ident_.fill(0);
  extraIdentifier_.clear();
  if (size == 10) {
    readExact(s, ident_.data(), 10);
  } else {
    readExact(s, ident_.data(), 11);
    // A longer block is kept whole: cut to 11 bytes, its first ones may spell a registered
    // identifier ("NETSCAPE2.0...") whose reader refuses the data that follows.
    extraIdentifier_.resize(size - 11u);
    readExact(s, extraIdentifier_.data(), extraIdentifier_.size());
  }
  loadData(s);
}

void GifApplicationExtension::saveBody(ByteStream& s) const {
  writeByte(s, static_cast<uint8_t>(11 + extraIdentifier_.size()));
  s.write(ident_.data(), 11);
  s.write(extraIdentifier_.data(), extraIdentifier_.size());
  saveData(s);
}

void GifApplicationExtension::loadData(ByteStream& s) { skipSubBlocks(s); }
void GifApplicationExtension::saveData(ByteStream& s) const { writeByte(s, 0); }

GifAppExtNSLoop::GifAppExtNSLoop(GifSubImage* frame) : GifApplicationExtension(frame) { setIdentifier("NETSCAPE2.0"); }

void GifAppExtNSLoop::loadData(ByteStream& s) {
  uint8_t n = readByte(s);
  while (n != 0) {
    const uint8_t id = readByte(s);
    int rest = n - 1;
    if ((id & 0x07) == 1) {
      if (rest < 2) raiseError("Invalid GIF data");
      loops_ = readWord(s);
      rest -= 2;
    } else if ((id & 0x07) == 2) {
      if (rest < 4) raiseError("Invalid GIF data");
      uint8_t b[4];
      readExact(s, b, 4);
      bufferSize_ = imagefile::le32(b);
      rest -= 4;
    }
    if (rest > 0) skipBytes(s, rest);
    n = readByte(s);
  }
}

void GifAppExtNSLoop::saveData(ByteStream& s) const {
  uint8_t loop[4] = {3, 1};
  imagefile::putLE16(loop + 2, static_cast<uint32_t>(loops_));
  s.write(loop, 4);
  if (bufferSize_ != 0) {
    uint8_t buf[6] = {5, 2};
    imagefile::putLE32(buf + 2, bufferSize_);
    s.write(buf, 6);
  }
  writeByte(s, 0);
}

void GifUnknownAppExtension::loadData(ByteStream& s) {
  blocks_.clear();
  uint8_t n = 0;
  while (tryReadByte(s, n) && n != 0) {
    std::string block(n, '\0');
    readExact(s, block.data(), n);
    blocks_.push_back(std::move(block));
  }
}

void GifUnknownAppExtension::saveData(ByteStream& s) const {
  for (const std::string& b : blocks_) {
    if (b.empty()) continue;
    for (size_t done = 0; done < b.size(); done += 255) {
      const size_t k = std::min<size_t>(255, b.size() - done);
      writeByte(s, static_cast<uint8_t>(k));
      s.write(b.data() + done, k);
    }
  }
  writeByte(s, 0);
}

// --- kinds and registries -----------------------------------------------------------------

namespace {

template <class T>
std::unique_ptr<GifExtension> make(GifSubImage* frame) {
  return std::make_unique<T>(frame);
}

const ExtensionKind* refineApplication(ByteStream& s);

const ExtensionKind kGraphicControl{&make<GifGraphicControlExtension>, nullptr};
const ExtensionKind kText{&make<GifTextExtension>, nullptr};
const ExtensionKind kComment{&make<GifCommentExtension>, nullptr};
const ExtensionKind kApplication{&make<GifApplicationExtension>, &refineApplication};
const ExtensionKind kLoop{&make<GifAppExtNSLoop>, nullptr};
const ExtensionKind kUnknownApplication{&make<GifUnknownAppExtension>, nullptr};

std::vector<std::pair<uint8_t, const ExtensionKind*>>& extensionRegistry() {
  static std::vector<std::pair<uint8_t, const ExtensionKind*>> r = {
      {GifTextExtension::kLabel, &kText},
      {GifGraphicControlExtension::kLabel, &kGraphicControl},
      {GifCommentExtension::kLabel, &kComment},
      {GifApplicationExtension::kLabel, &kApplication}};
  return r;
}

std::vector<std::pair<std::string, const ExtensionKind*>>& appRegistry() {
  static std::vector<std::pair<std::string, const ExtensionKind*>> r = {{"NETSCAPE2.0", &kLoop},
                                                                         {"ANIMEXTS1.0", &kLoop}};
  return r;
}

const ExtensionKind* refineApplication(ByteStream& s) {
  uint8_t size = 0;
  if (!tryReadByte(s, size)) return &kApplication;
  if (size < 10) return &kApplication;
  if (size == 10) {
    char id[10];
    if (s.read(id, 10) != 10) return &kApplication;
    return &kUnknownApplication;
  }
  std::string id(11, '\0');
  if (s.read(id.data(), 11) != 11) return &kApplication;
  if (size > 11) return &kUnknownApplication;
  const auto& r = appRegistry();
  for (auto it = r.rbegin(); it != r.rend(); ++it)
    if (it->first == id) return it->second;
  return &kUnknownApplication;
}

}  // namespace

const ExtensionKind* graphicControlKind() { return &kGraphicControl; }
const ExtensionKind* textKind() { return &kText; }
const ExtensionKind* commentKind() { return &kComment; }
const ExtensionKind* applicationKind() { return &kApplication; }
const ExtensionKind* loopKind() { return &kLoop; }
const ExtensionKind* unknownApplicationKind() { return &kUnknownApplication; }

void registerExtension(uint8_t label, const ExtensionKind* kind) { extensionRegistry().emplace_back(label, kind); }

void registerAppExtension(const std::string& ident11, const ExtensionKind* kind) {
  std::string key = ident11;
  key.resize(11, '\0');
  appRegistry().emplace_back(key, kind);
}

const ExtensionKind* findExtensionKind(ByteStream& s) {
  const int64_t start = s.position();
  uint8_t labelByte = 0;
  if (!tryReadByte(s, labelByte)) return nullptr;
  const ExtensionKind* kind = nullptr;
  const auto& r = extensionRegistry();
  for (auto it = r.rbegin(); it != r.rend(); ++it)
    if (it->first == labelByte) {
      kind = it->second;
      break;
    }
  // Refining reads further; every step starts again just after the label.
  for (int guard = 0; kind && kind->refine && guard < 8; ++guard) {
    s.seek(start + 1);
    const ExtensionKind* finer = kind->refine(s);
    if (finer == kind) break;
    kind = finer;
  }
  s.seek(start);
  return kind;
}

// --- list ------------------------------------------------------------------------------------

GifExtensionList::~GifExtensionList() = default;

int GifExtensionList::add(std::unique_ptr<GifExtension> ext) {
  if (auto* gce = dynamic_cast<GifGraphicControlExtension*>(ext.get())) frame_->adoptControlExtension(gce);
  items_.push_back(std::move(ext));
  return count() - 1;
}

void GifExtensionList::detach(GifExtension* ext) { frame_->releaseExtension(ext); }

void GifExtensionList::remove(int i) {
  detach(items_[static_cast<size_t>(i)].get());
  items_.erase(items_.begin() + i);
}

void GifExtensionList::removeMarked(const std::vector<bool>& drop) {
  size_t kept = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (drop[i])
      detach(items_[i].get());
    else
      items_[kept++] = std::move(items_[i]);
  }
  items_.resize(kept);
}

void GifExtensionList::clear() {
  for (auto& e : items_) detach(e.get());
  items_.clear();
}

void GifExtensionList::loadFromStream(ByteStream& s) {
  uint8_t b = 0;
  if (!tryReadByte(s, b)) return;
  while (b != kImageSeparator && b != kTrailer) {
    if (b != kIntroducer) {
      frame_->warning(1, "Invalid extension introducer");
      break;
    }
    const ExtensionKind* kind = findExtensionKind(s);
    if (!kind) raiseError("Unknown extension type");
    stepBack(s);
    const int i = add(kind->create(frame_));
    at(i).loadFromStream(s);
    // Only a byte that was read is given back to the caller.
    if (!tryReadByte(s, b)) return;
  }
  stepBack(s);
}

void GifExtensionList::saveToStream(ByteStream& s) const {
  for (const auto& e : items_) e->saveToStream(s);
}

}  // namespace gif
