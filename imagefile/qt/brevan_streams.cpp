#include "imagefile/qt/brevan_streams.h"

#include <QBuffer>
#include <QFileDevice>
#include <algorithm>

namespace imagefile {

BrevanStream::BrevanStream(BaseStream& source) : source_(source) {
  source_.setStrict(false);
  OpenMode mode = Unbuffered;
  if (source.canRead()) mode |= ReadOnly;
  if (source.canWrite()) mode |= WriteOnly;
  QIODevice::open(mode);
}

bool BrevanStream::seek(qint64) { throw StreamError(text::kSeekingNotSupported); }

qint64 BrevanStream::readData(char* data, qint64 maxSize) {
  return static_cast<qint64>(source_.read(data, static_cast<std::size_t>(maxSize)));
}

qint64 BrevanStream::writeData(const char* data, qint64 maxSize) {
  return static_cast<qint64>(source_.write(data, static_cast<std::size_t>(maxSize)));
}

SeekableBrevanStream::SeekableBrevanStream(SeekableStream& source)
    : BrevanStream(source), seekable_(source) {}

bool SeekableBrevanStream::seek(qint64 pos) {
  seekable_.setPosition(pos);
  return QIODevice::seek(pos);
}

qint64 SeekableBrevanStream::size() const { return seekable_.getSize(); }

qint64 SeekableBrevanStream::seekFrom(qint64 offset, int origin) {
  qint64 base;
  switch (origin) {
    case 0: base = 0; break;
    case 1: base = seekable_.getPosition(); break;
    case 2: base = seekable_.getSize(); break;
    default: throw StreamError(text::kUnknownSeekOrigin);
  }
  seek(base + offset);
  return seekable_.getPosition();
}

void SeekableBrevanStream::setSize(qint64 newSize) {
  const qint64 old = seekable_.getPosition();
  if (newSize >= seekable_.getSize()) {
    seek(newSize);
    seek(old);
    return;
  }
  seek(newSize);
  seekable_.truncate();
  if (old < newSize) seek(old);
}

BrevanFilterStream::BrevanFilterStream(QIODevice& target) : target_(target) {
  canRead_ = true;
  canWrite_ = true;
}

std::size_t BrevanFilterStream::write(const void* buffer, std::size_t count) {
  const qint64 n = target_.write(static_cast<const char*>(buffer), static_cast<qint64>(count));
  if (n < 0) throw InOutError(formatText(text::kErrorWriting, {target_.errorString().toStdString()}));
  if (static_cast<std::size_t>(n) < count && strict_) throw InOutError(text::kReadLessThanExpected);
  return static_cast<std::size_t>(n);
}

std::size_t BrevanFilterStream::readImpl(void* buffer, std::size_t count, bool strict) {
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const qint64 n = target_.read(p + done, static_cast<qint64>(count - done));
    if (n < 0) throw InOutError(formatText(text::kErrorReading, {target_.errorString().toStdString()}));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done < count && strict) throw InOutError(text::kReadLessThanExpected);
  return done;
}

std::int64_t BrevanFilterStream::availableImpl() {
  if (target_.isSequential()) return target_.bytesAvailable();
  return target_.size() - target_.pos();
}

std::int64_t BrevanFilterStream::bytesLeftImpl() {
  if (target_.isSequential()) return -1;
  return std::max<qint64>(0, target_.size() - target_.pos());
}

std::int64_t BrevanFilterStream::getPosition() { return target_.pos(); }
std::int64_t BrevanFilterStream::getSize() { return target_.size(); }

void BrevanFilterStream::setPosition(std::int64_t pos) {
  if (!target_.seek(pos)) throw InOutError(text::kErrorMovingStreamPointer);
}

void BrevanFilterStream::truncate() {
  const qint64 pos = target_.pos();
  if (auto* file = qobject_cast<QFileDevice*>(&target_)) {
    if (!file->resize(pos))
      throw InOutError(formatText(text::kErrorTruncating,
                                  {file->fileName().toStdString(), file->errorString().toStdString()}));
    return;
  }
  if (auto* buf = qobject_cast<QBuffer*>(&target_)) {
    buf->buffer().truncate(pos);
    return;
  }
  throw InOutError(formatText(text::kErrorTruncating, {"", "not supported by the device"}));
}

}  // namespace imagefile
