#include "gif/stream.h"

#include <algorithm>
#include <cstring>

#include "gif/errors.h"
#include "imagefile/byte_order.h"

namespace gif {

size_t MemoryReader::read(void* buffer, size_t n) {
  const size_t k = std::min(n, size_ - pos_);
  if (k) std::memcpy(buffer, data_ + pos_, k);
  pos_ += k;
  return k;
}

void MemoryReader::write(const void*, size_t) { throw GifStreamError("Invalid stream operation"); }

void MemoryReader::seek(int64_t position) {
  pos_ = static_cast<size_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(size_)));
}

size_t MemoryStream::read(void* buffer, size_t n) {
  const size_t k = pos_ < bytes_.size() ? std::min(n, bytes_.size() - pos_) : 0;
  if (k) std::memcpy(buffer, bytes_.data() + pos_, k);
  pos_ += k;
  return k;
}

void MemoryStream::write(const void* buffer, size_t n) {
  if (n == 0) return;
  if (pos_ + n > bytes_.size()) bytes_.resize(pos_ + n);
  std::memcpy(bytes_.data() + pos_, buffer, n);
  pos_ += n;
}

void MemoryStream::seek(int64_t position) {
  pos_ = static_cast<size_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(bytes_.size())));
}

bool tryReadByte(ByteStream& s, uint8_t& value) { return s.read(&value, 1) == 1; }

uint8_t readByte(ByteStream& s) {
  uint8_t v = 0;
  if (s.read(&v, 1) != 1) v = 0;
  return v;
}

void writeByte(ByteStream& s, uint8_t value) { s.write(&value, 1); }

void readExact(ByteStream& s, void* buffer, size_t n) {
  if (s.read(buffer, n) != n) raiseError("Premature end of data");
}

void stepBack(ByteStream& s) { s.seek(s.position() - 1); }

void skipBytes(ByteStream& s, int64_t n) {
  const int64_t target = std::min(s.position() + n, s.size());
  s.seek(target);
}

uint16_t readWord(ByteStream& s) {
  uint8_t b[2];
  readExact(s, b, 2);
  return imagefile::le16(b);
}

void writeSubBlockStrings(ByteStream& s, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    size_t done = 0;
    while (done < line.size()) {
      const size_t k = std::min<size_t>(255, line.size() - done);
      writeByte(s, static_cast<uint8_t>(k));
      s.write(line.data() + done, k);
      done += k;
    }
  }
  writeByte(s, 0);
}

void readSubBlockStrings(ByteStream& s, std::vector<std::string>& lines) {
  lines.clear();
  uint8_t n = 0;
  while (tryReadByte(s, n) && n != 0) {
    std::string line(n, '\0');
    readExact(s, line.data(), n);
    lines.push_back(std::move(line));
  }
}

void skipSubBlocks(ByteStream& s) {
  uint8_t n = 0;
  while (tryReadByte(s, n) && n != 0) skipBytes(s, n);
}

int64_t bytesPerRow(int bits, int64_t width, int alignment) {
  return ((width * bits + alignment - 1) / alignment * alignment) / 8;
}

int bitsForColors(int count) {
  if (count <= 0) return 0;
  if (count <= 2) return 1;
  int k = 1;
  while ((1 << k) < count) ++k;
  return k;
}

std::vector<ColorValue> webPalette() {
  std::vector<ColorValue> p;
  p.reserve(216);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        p.push_back(makeColor(static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51)));
  return p;
}

}  // namespace gif
