#include "imagefile/text_stream.h"

#include <algorithm>
#include <cstring>

#include "imagefile/errors.h"

namespace imagefile {

namespace {
std::size_t sizeOf(int requested) {
  return requested < 0 ? static_cast<std::size_t>(BufferedStream::kDefaultSize) : static_cast<std::size_t>(requested);
}
}  // namespace

TextStream::TextStream(int readBufSize, BaseStream* next, int writeBufSize) : FilterStream(next) {
  readBuf_.resize(sizeOf(readBufSize));
  writeBuf_.resize(sizeOf(writeBufSize));
  canRead_ = next->canRead() && !readBuf_.empty();
  canWrite_ = next->canWrite();
  if (canWrite_) lineEnd = "\r\n";
}

TextStream::~TextStream() {
  try {
    flush();
  } catch (...) {
  }
}

std::size_t TextStream::write(const void* buffer, std::size_t count) {
  if (writeBuf_.empty()) return next_->write(buffer, count);
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  std::size_t left = count;
  while (left > 0) {
    if (writeCount_ == writeBuf_.size()) flush();
    const std::size_t n = std::min(left, writeBuf_.size() - writeCount_);
    std::memcpy(writeBuf_.data() + writeCount_, p, n);
    writeCount_ += n;
    p += n;
    left -= n;
  }
  return count;
}

void TextStream::flush() {
  if (writeCount_ == 0) return;
  const std::size_t n = writeCount_;
  writeCount_ = 0;
  next_->write(writeBuf_.data(), n);
}

void TextStream::writeLine(const std::string& s) {
  write(s);
  write(lineEnd);
  ++lineCount;
}

bool TextStream::fill() {
  readPos_ = 0;
  readCount_ = next_->readSome(readBuf_.data(), readBuf_.size());
  return readCount_ > 0;
}

std::size_t TextStream::readLine(std::string& line) {
  if (!canRead_) throw InOutError("Cannot read from stream");
  line.clear();
  bool any = false;
  for (;;) {
    if (readPos_ == readCount_ && !fill()) break;
    const std::uint8_t* b = readBuf_.data() + readPos_;
    const std::size_t n = readCount_ - readPos_;
    if (terminator < 0) {
      const auto* lf = static_cast<const std::uint8_t*>(std::memchr(b, '\n', n));
      const std::size_t lfAt = lf ? static_cast<std::size_t>(lf - b) : n;
      const auto* cr = static_cast<const std::uint8_t*>(std::memchr(b, '\r', lfAt));
      if (lf && !cr) {
        terminator = '\n';
        if (dropped < 0) dropped = '\r';
        line.append(reinterpret_cast<const char*>(b), lfAt);
        readPos_ += lfAt + 1;
        any = true;
        break;
      }
      if (cr) {
        terminator = '\r';
        if (dropped < 0) dropped = '\n';
        const std::size_t at = static_cast<std::size_t>(cr - b);
        line.append(reinterpret_cast<const char*>(b), at);
        readPos_ += at + 1;
        any = true;
        break;
      }
      line.append(reinterpret_cast<const char*>(b), n);
      readPos_ = readCount_;
      any = true;
      continue;
    }
    const auto* t1 = static_cast<const std::uint8_t*>(std::memchr(b, terminator, n));
    const std::size_t t1At = t1 ? static_cast<std::size_t>(t1 - b) : n;
    const auto* t2 = dropped >= 0 && dropped != terminator
                         ? static_cast<const std::uint8_t*>(std::memchr(b, dropped, t1At))
                         : nullptr;
    if (t2) {
      // The dropped character is no part of the line (nor does it make one on its own).
      const std::size_t at = static_cast<std::size_t>(t2 - b);
      line.append(reinterpret_cast<const char*>(b), at);
      readPos_ += at + 1;
      any = any || at > 0;
      continue;
    }
    any = true;
    line.append(reinterpret_cast<const char*>(b), t1At);
    if (t1) {
      readPos_ += t1At + 1;
      break;
    }
    readPos_ = readCount_;
  }
  if (!any) throw InOutError(formatText(text::kErrorReading, {text::kReadLessThanExpected}));
  ++lineCount;
  return line.size();
}

std::size_t TextStream::readImpl(void* buffer, std::size_t count, bool strict) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = std::min(count, readCount_ - readPos_);
  std::memcpy(out, readBuf_.data() + readPos_, done);
  readPos_ += done;
  if (done < count) done += readNext(out + done, count - done, strict);
  return done;
}

std::int64_t TextStream::availableImpl() {
  return static_cast<std::int64_t>(readCount_ - readPos_) + next_->available();
}

std::int64_t TextStream::bytesLeftImpl() {
  const std::int64_t below = next_->bytesLeft();
  return below < 0 ? -1 : below + static_cast<std::int64_t>(readCount_ - readPos_);
}

}  // namespace imagefile
