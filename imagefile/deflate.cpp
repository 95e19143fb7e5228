#include "imagefile/deflate.h"

#include <algorithm>
#include <stdexcept>

#include "imagefile/deflate_decoder.h"
#include "imagefile/deflate_encoder.h"

namespace imagefile {

DeflateStream::DeflateStream(BaseStream* next, DeflateDirection direction) : FilterStream(next) {
  if (next->canWrite() && direction != DeflateDirection::Decompress) {
    canWrite_ = true;
    encoder_ = std::make_unique<DeflateEncoder>(*next);
  } else if (next->canRead() && direction != DeflateDirection::Compress) {
    canRead_ = true;
    decoder_ = std::make_unique<DeflateDecoder>(*next);
  } else {
    // A programming error, not a fault of the data.
    throw std::logic_error("Deflate stream over a stream that can be neither read nor written");
  }
}

DeflateStream::~DeflateStream() {
  if (canWrite_ && !encoder_->finished()) {
    try {
      encoder_->finish();
    } catch (...) {
      // finish() on the normal path reports what went wrong.
    }
  }
}

void DeflateStream::setCompressionMode(DeflateMode mode) {
  if (encoder_) encoder_->setMode(mode);
}

DeflateMode DeflateStream::compressionMode() const { return encoder_ ? encoder_->mode() : kDeflateDynamic; }

void DeflateStream::setMinimumMatch(int length) {
  if (encoder_) encoder_->setMinimumMatch(length);
}

std::size_t DeflateStream::write(const void* buffer, std::size_t count) {
  if (!canWrite_) throw InOutError(text::kStreamNotOpenForWrite);
  encoder_->write(static_cast<const std::uint8_t*>(buffer), count);
  return count;
}

void DeflateStream::flush() {
  if (canWrite_) encoder_->flush();
}

void DeflateStream::finish() {
  if (canWrite_) encoder_->finish();
}

std::size_t DeflateStream::readImpl(void* buffer, std::size_t count, bool strict) {
  canWrite_ = false;
  // A compressing stream has nothing to read.
  if (!decoder_) throw InOutError(text::kReadLessThanExpected);
  return decoder_->read(buffer, count, strict);
}

std::int64_t DeflateStream::availableImpl() {
  return decoder_ ? decoder_->available() : next_->available();
}

// ---- one-call forms -----------------------------------------------------------------------

std::vector<std::uint8_t> deflateBytes(std::span<const std::uint8_t> data, DeflateMode mode) {
  std::vector<std::uint8_t> out;
  out.reserve(data.size() / 2 + 64);
  VectorSink sink(out);
  DeflateStream d(&sink, DeflateDirection::Compress);
  d.setCompressionMode(mode);
  d.write(data.data(), data.size());
  d.finish();
  return out;
}

std::vector<std::uint8_t> inflateBytes(std::span<const std::uint8_t> raw) {
  SpanStream in(raw.data(), raw.size());
  DeflateStream d(&in, DeflateDirection::Decompress);
  // Pieces of growing size, joined once at the end: no byte of the result is written twice
  // and nothing is zeroed first.
  std::vector<std::unique_ptr<std::uint8_t[]>> pieces;
  std::vector<std::size_t> sizes;
  std::size_t total = 0;
  std::size_t capacity = std::max<std::size_t>(raw.size() * 3, 1 << 16);
  for (;;) {
    auto piece = std::unique_ptr<std::uint8_t[]>(new std::uint8_t[capacity]);
    std::size_t filled = 0;
    while (filled < capacity) {
      const std::size_t n = d.readSome(piece.get() + filled, capacity - filled);
      if (n == 0) break;
      filled += n;
    }
    total += filled;
    pieces.push_back(std::move(piece));
    sizes.push_back(filled);
    if (filled < capacity) break;
    capacity *= 2;
  }
  std::vector<std::uint8_t> out;
  out.reserve(total);
  for (std::size_t i = 0; i < pieces.size(); ++i) out.insert(out.end(), pieces[i].get(), pieces[i].get() + sizes[i]);
  return out;
}

}  // namespace imagefile
