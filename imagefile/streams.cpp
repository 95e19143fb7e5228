#include "imagefile/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace imagefile {

namespace {

constexpr std::size_t kCopyPiece = 4096;

[[noreturn]] void raiseIo(const char* pattern, std::initializer_list<std::string_view> args) {
  throw InOutError(formatText(pattern, args));
}

}  // namespace

std::string systemErrorText(int errorNumber) { return std::strerror(errorNumber); }

// ---- BaseStream ---------------------------------------------------------------------------

BaseStream::~BaseStream() = default;

void BaseStream::setStrict(bool value) { strict_ = value; }

std::size_t BaseStream::takeGivenBack(std::uint8_t*& out, std::size_t& count) {
  std::size_t n = 0;
  while (count > 0 && !givenBack_.empty()) {
    *out++ = givenBack_.back();
    givenBack_.pop_back();
    --count;
    ++n;
  }
  return n;
}

std::size_t BaseStream::read(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  const std::size_t got = takeGivenBack(out, count);
  if (count == 0) return got;
  return got + readImpl(out, count, strict_);
}

std::size_t BaseStream::readSome(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  const std::size_t got = takeGivenBack(out, count);
  if (count == 0) return got;
  return got + readImpl(out, count, false);
}

void BaseStream::unread(const void* buffer, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  for (std::size_t i = count; i > 0; --i) givenBack_.push_back(p[i - 1]);
}

std::int64_t BaseStream::available() {
  return static_cast<std::int64_t>(givenBack_.size()) + availableImpl();
}

std::int64_t BaseStream::bytesLeft() {
  const std::int64_t left = bytesLeftImpl();
  return left < 0 ? -1 : static_cast<std::int64_t>(givenBack_.size()) + left;
}

void BaseStream::copyFrom(BaseStream& source) {
  const bool wasStrict = source.strict();
  if (wasStrict) source.setStrict(false);
  std::uint8_t buf[kCopyPiece];
  try {
    while (!source.endOfStream()) {
      const std::size_t n = source.read(buf, sizeof buf);
      // A source that claims more but delivers nothing would loop for ever.
      if (n == 0) break;
      write(buf, n);
    }
  } catch (...) {
    if (wasStrict) source.setStrict(true);
    throw;
  }
  if (wasStrict) source.setStrict(true);
}

void BaseStream::copyTo(BaseStream* dest, std::int64_t count) {
  std::uint8_t buf[kCopyPiece];
  while (count > 0 && !endOfStream()) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(count, kCopyPiece));
    const std::size_t n = read(buf, want);
    if (n == 0) break;
    if (dest) dest->write(buf, n);
    count -= static_cast<std::int64_t>(n);
  }
}

void freeChain(BaseStream* stream) {
  while (stream) {
    BaseStream* below = stream->nextStream();
    delete stream;
    stream = below;
  }
}

void finishChain(BaseStream& stream) {
  for (BaseStream* s = &stream; s; s = s->nextStream()) s->finish();
}

// ---- FilterStream -------------------------------------------------------------------------

void FilterStream::setStrict(bool value) {
  strict_ = value;
  next_->setStrict(value);
}

std::size_t FilterStream::write(const void* buffer, std::size_t count) {
  return next_->write(buffer, count);
}

std::size_t FilterStream::readImpl(void* buffer, std::size_t count, bool strict) {
  return readNext(buffer, count, strict);
}

std::int64_t FilterStream::availableImpl() { return next_->available(); }

// ---- SeekableStream -----------------------------------------------------------------------

void SeekableStream::unread(const void*, std::size_t count) {
  setPosition(getPosition() - static_cast<std::int64_t>(count));
}

// ---- FileStream ---------------------------------------------------------------------------

FileStream::FileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
  const bool r = mode & kFileRead;
  const bool w = mode & kFileWrite;
  if (!r && !w) raiseIo(text::kNoAccessMode, {});
  int flags = O_CLOEXEC;
  flags |= (r && w) ? O_RDWR : (w ? O_WRONLY : O_RDONLY);
  if (mode & kFileCreate) flags |= O_CREAT | O_TRUNC;
  do {
    handle_ = ::open(fileName.c_str(), flags, 0666);
  } while (handle_ < 0 && errno == EINTR);
  if (handle_ < 0) raiseIo(text::kErrorOpening, {fileName, systemErrorText(errno)});
  canRead_ = r;
  canWrite_ = w;
}

FileStream::FileStream(int handle) : handle_(handle) {
  if (handle < 0) throw InOutError(systemErrorText(errno));
  canRead_ = true;
  canWrite_ = true;
}

FileStream::~FileStream() {
  if (handle_ >= 0) ::close(handle_);
}

void FileStream::close() {
  if (handle_ < 0) return;
  const int h = handle_;
  handle_ = -1;
  // Linux releases the descriptor even when close reports an error; it must not be retried.
  if (::close(h) != 0 && errno != EINTR)
    raiseIo(text::kErrorClosing, {fileName_, systemErrorText(errno)});
}

void FileStream::finish() { close(); }

void FileStream::deleteFile() {
  close();
  if (::unlink(fileName_.c_str()) != 0)
    raiseIo(text::kErrorDeleting, {fileName_, systemErrorText(errno)});
}

std::size_t FileStream::write(const void* buffer, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(handle_, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseIo(text::kErrorWriting, {systemErrorText(errno)});
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done < count && strict_) raiseIo(text::kReadLessThanExpected, {});
  return done;
}

std::size_t FileStream::readImpl(void* buffer, std::size_t count, bool strict) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(handle_, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseIo(text::kErrorReading, {systemErrorText(errno)});
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done < count && strict) raiseIo(text::kReadLessThanExpected, {});
  return done;
}

std::int64_t FileStream::getPosition() {
  const off_t pos = ::lseek(handle_, 0, SEEK_CUR);
  if (pos < 0) raiseIo(text::kIoError, {systemErrorText(errno)});
  return pos;
}

std::int64_t FileStream::getSize() {
  struct stat st {};
  if (::fstat(handle_, &st) != 0) raiseIo(text::kIoError, {systemErrorText(errno)});
  return st.st_size;
}

void FileStream::setPosition(std::int64_t pos) {
  if (::lseek(handle_, static_cast<off_t>(pos), SEEK_SET) < 0)
    raiseIo(text::kErrorMovingFilePointer, {systemErrorText(errno)});
}

void FileStream::truncate() {
  const std::int64_t pos = getPosition();
  int rc;
  do {
    rc = ::ftruncate(handle_, static_cast<off_t>(pos));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) raiseIo(text::kErrorTruncating, {fileName_, systemErrorText(errno)});
}

std::int64_t FileStream::availableImpl() { return getSize() - getPosition(); }

std::int64_t FileStream::bytesLeftImpl() {
  struct stat st {};
  if (::fstat(handle_, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  const off_t pos = ::lseek(handle_, 0, SEEK_CUR);
  return pos < 0 ? -1 : std::max<std::int64_t>(0, st.st_size - pos);
}

void FileStream::flush() {
  if (handle_ >= 0 && canWrite_ && ::fsync(handle_) != 0 && errno != EINVAL)
    raiseIo(text::kErrorWriting, {systemErrorText(errno)});
}

// ---- MemStream ----------------------------------------------------------------------------

MemStream::Block MemStream::emptyBlock_;

MemStream::MemStream() {
  canRead_ = true;
  canWrite_ = true;
}

MemStream::~MemStream() { freeBlocks(first_); }

void MemStream::freeBlocks(Block* from) {
  while (from) {
    Block* n = from->next;
    delete from;
    from = n;
  }
}

void MemStream::reset() {
  freeBlocks(first_);
  first_ = nullptr;
  current_ = &emptyBlock_;
  offset_ = 0;
  size_ = 0;
  position_ = 0;
}

std::size_t MemStream::write(const void* buffer, std::size_t count) {
  if (count < 1) {
    size_ = std::max(size_, position_);
    return 0;
  }
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  std::size_t left = count;
  while (left > 0) {
    if (offset_ >= current_->size) {
      if (current_ != &emptyBlock_ && current_->next) {
        current_ = current_->next;
      } else {
        auto* b = new Block;
        b->size = std::max<std::size_t>(4096, left);
        b->data = std::make_unique<std::uint8_t[]>(b->size);
        if (!first_)
          first_ = b;
        else
          current_->next = b;
        current_ = b;
      }
      offset_ = 0;
    }
    const std::size_t n = std::min(left, current_->size - offset_);
    std::memcpy(current_->data.get() + offset_, p, n);
    p += n;
    left -= n;
    offset_ += n;
    position_ += static_cast<std::int64_t>(n);
  }
  size_ = std::max(size_, position_);
  return count;
}

std::size_t MemStream::readImpl(void* buffer, std::size_t count, bool strict) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  std::size_t left = count;
  while (left > 0 && position_ < size_) {
    if (offset_ >= current_->size) {
      if (!current_->next) break;
      current_ = current_->next;
      offset_ = 0;
    }
    const std::size_t n = std::min({left, static_cast<std::size_t>(size_ - position_),
                                    current_->size - offset_});
    std::memcpy(p, current_->data.get() + offset_, n);
    p += n;
    left -= n;
    offset_ += n;
    position_ += static_cast<std::int64_t>(n);
  }
  if (strict && left > 0) raiseIo(text::kErrorReading, {"TMemStream"});
  return count - left;
}

void MemStream::setPosition(std::int64_t pos) {
  if (pos == position_) return;
  if (pos < 0 || pos > size_) raiseIo(text::kErrorMovingStreamPointer, {});
  if (pos < position_) {
    current_ = first_ ? first_ : &emptyBlock_;
    offset_ = 0;
    position_ = 0;
  }
  if (position_ < pos && offset_ >= current_->size) {
    if (!current_->next) throw Error(text::kMemStreamSeek);
    current_ = current_->next;
    offset_ = 0;
  }
  while (position_ < pos) {
    if (offset_ >= current_->size) {
      if (!current_->next) throw Error(text::kMemStreamSeek2);
      current_ = current_->next;
      offset_ = 0;
    }
    const std::size_t n =
        std::min(static_cast<std::size_t>(pos - position_), current_->size - offset_);
    offset_ += n;
    position_ += static_cast<std::int64_t>(n);
  }
}

void MemStream::truncate() {
  if (current_ != &emptyBlock_) {
    freeBlocks(current_->next);
    current_->next = nullptr;
  }
  size_ = position_;
}

std::vector<std::uint8_t> MemStream::bytes() const {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(size_));
  for (const Block* b = first_; b && out.size() < static_cast<std::size_t>(size_); b = b->next) {
    const std::size_t n = std::min(b->size, static_cast<std::size_t>(size_) - out.size());
    out.insert(out.end(), b->data.get(), b->data.get() + n);
  }
  return out;
}

// ---- SpanStream ---------------------------------------------------------------------------

SpanStream::SpanStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
  canRead_ = true;
}

std::size_t SpanStream::write(const void*, std::size_t) {
  raiseIo(text::kErrorWriting, {"read-only stream"});
}

std::size_t SpanStream::readImpl(void* buffer, std::size_t count, bool strict) {
  const std::size_t n = std::min(count, size_ - pos_);
  if (n) std::memcpy(buffer, data_ + pos_, n);
  pos_ += n;
  if (strict && n < count) raiseIo(text::kReadLessThanExpected, {});
  return n;
}

void SpanStream::setPosition(std::int64_t pos) {
  if (pos < 0 || static_cast<std::uint64_t>(pos) > size_) raiseIo(text::kErrorMovingStreamPointer, {});
  pos_ = static_cast<std::size_t>(pos);
}

void SpanStream::truncate() { size_ = pos_; }

// ---- BufferedStream -----------------------------------------------------------------------

BufferedStream::BufferedStream(int readBufSize, int writeBufSize, BaseStream* next)
    : FilterStream(next) {
  canRead_ = next->canRead();
  canWrite_ = next->canWrite();
  strict_ = next->strict();
  if (readBufSize == -1) readBufSize = kDefaultSize;
  if (writeBufSize == -1) writeBufSize = kDefaultSize;
  if (canRead_ && readBufSize != 0) {
    if (readBufSize < 2) throw StreamCreateError(text::kInvalidBufferSize);
    readBuf_.resize(static_cast<std::size_t>(readBufSize));
    // The buffer reads ahead by whole buffers; the last one is short.
    if (next->strict()) {
      next->setStrict(false);
      restoreStrict_ = true;
    }
  }
  if (canWrite_ && writeBufSize != 0) {
    if (writeBufSize < 2) throw StreamCreateError(text::kInvalidBufferSize);
    writeBuf_.resize(static_cast<std::size_t>(writeBufSize));
  }
}

BufferedStream::~BufferedStream() {
  try {
    flush();
  } catch (...) {
    // Reported by finish() on every normal path.
  }
  if (restoreStrict_) next_->setStrict(true);
}

std::size_t BufferedStream::readImpl(void* buffer, std::size_t count, bool strict) {
  if (readBuf_.empty()) return readNext(buffer, count, strict);
  auto* out = static_cast<std::uint8_t*>(buffer);
  const std::size_t avail = readCount_ - readPos_;
  if (count <= avail) {
    std::memcpy(out, readBuf_.data() + readPos_, count);
    readPos_ += count;
    return count;
  }
  if (avail) std::memcpy(out, readBuf_.data() + readPos_, avail);
  const std::size_t rest = count - avail;
  readPos_ = readCount_ = 0;
  if (rest < readBuf_.size()) {
    const std::size_t n = next_->readSome(readBuf_.data(), readBuf_.size());
    if (n < rest) {
      if (n) std::memcpy(out + avail, readBuf_.data(), n);
      if (strict) raiseIo(text::kReadLessThanExpected, {});
      return avail + n;
    }
    std::memcpy(out + avail, readBuf_.data(), rest);
    readCount_ = n;
    readPos_ = rest;
    return count;
  }
  const std::size_t n = next_->readSome(out + avail, rest);
  if (n < rest && strict) raiseIo(text::kReadLessThanExpected, {});
  return avail + n;
}

std::size_t BufferedStream::write(const void* buffer, std::size_t count) {
  if (writeBuf_.empty()) return next_->write(buffer, count);
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  const std::size_t free = writeBuf_.size() - writeCount_;
  if (count <= free) {
    if (count) std::memcpy(writeBuf_.data() + writeCount_, p, count);
    writeCount_ += count;
    return count;
  }
  std::memcpy(writeBuf_.data() + writeCount_, p, free);
  writeCount_ = 0;
  const std::size_t took = next_->write(writeBuf_.data(), writeBuf_.size());
  // What the next stream left of the buffer is lost to it: a short count here would not
  // say which bytes are missing, so it is a failure.
  if (took < writeBuf_.size()) raiseIo(text::kReadLessThanExpected, {});
  const std::size_t rest = count - free;
  if (rest < writeBuf_.size()) {
    std::memcpy(writeBuf_.data(), p + free, rest);
    writeCount_ = rest;
    return count;
  }
  return free + next_->write(p + free, rest);
}

void BufferedStream::flush() {
  if (writeCount_ == 0) return;
  const std::size_t n = writeCount_;
  writeCount_ = 0;
  if (next_->write(writeBuf_.data(), n) < n) raiseIo(text::kReadLessThanExpected, {});
}

std::int64_t BufferedStream::availableImpl() {
  return next_->available() + static_cast<std::int64_t>(readCount_ - readPos_);
}

std::int64_t BufferedStream::bytesLeftImpl() {
  const std::int64_t below = next_->bytesLeft();
  return below < 0 ? -1 : below + static_cast<std::int64_t>(readCount_ - readPos_);
}

StreamChain readBufferedFileStream(const std::string& fileName, bool forWriting) {
  if (forWriting) {
    auto file = std::make_unique<FileStream>(fileName, kFileRead | kFileWrite | kFileCreate | kFileShareRead);
    StreamChain chain(new BufferedStream(0, -1, file.get()));
    file.release();
    return chain;
  }
  auto file = std::make_unique<FileStream>(fileName, kFileRead | kFileShareRead);
  StreamChain chain(new BufferedStream(-1, 0, file.get()));
  file.release();
  return chain;
}

// ---- AssignObject, StreamClass ------------------------------------------------------------

AssignObject::~AssignObject() = default;

void AssignObject::assign(const AssignObject& source) {
  // The source decides whether it knows how to copy itself into us.
  source.assignTo(*this);
}

void AssignObject::assignTo(AssignObject& dest) const {
  throw Error(formatText(text::kCannotAssign, {className(), dest.className()}));
}

void StreamClass::saveToStream(BaseStream&) const {
  throw Error(std::string(className()) + text::kSaveToStreamNotImplemented);
}

void StreamClass::loadFromStream(BaseStream&) {
  throw Error(std::string(className()) + text::kLoadFromStreamNotImplemented);
}

void StreamClass::saveToFile(const std::string& fileName) const {
  StreamChain chain = readBufferedFileStream(fileName, true);
  saveToStream(*chain);
  finishChain(*chain);
}

void StreamClass::loadFromFile(const std::string& fileName) {
  StreamChain chain = readBufferedFileStream(fileName, false);
  loadFromStream(*chain);
}

}  // namespace imagefile
