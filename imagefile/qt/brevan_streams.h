#pragma once
// Adapters between the library's streams and Qt's devices: a library stream seen as a
// QIODevice (for Qt code that wants a device), and a QIODevice seen as a library stream (for
// loaders handed a device by the picture container).
#include <QIODevice>

#include "imagefile/streams.h"

namespace imagefile {

// A library stream as a sequential QIODevice (opened on creation, unbuffered). Seeking
// raises StreamError "Seeking not supported".
class BrevanStream : public QIODevice {
 public:
  // The source's Strict is switched off: a device's reader expects the count really read.
  explicit BrevanStream(BaseStream& source);
  bool isSequential() const override { return true; }
  bool seek(qint64 pos) override;

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 maxSize) override;
  BaseStream& source_;
};

// A seekable library stream as a random-access QIODevice.
class SeekableBrevanStream : public BrevanStream {
 public:
  explicit SeekableBrevanStream(SeekableStream& source);
  bool isSequential() const override { return false; }
  bool seek(qint64 pos) override;
  qint64 size() const override;
  // Origin 0 from the start, 1 from the position, 2 from the end; any other raises
  // StreamError "Unknown seek origin". Returns the new position.
  qint64 seekFrom(qint64 offset, int origin);
  // Grows by moving to newSize and back; shrinks by truncating there, returning to the old
  // position only when that lay before newSize.
  void setSize(qint64 newSize);

 private:
  SeekableStream& seekable_;
};

// A QIODevice (not owned) as a seekable library stream.
class BrevanFilterStream : public SeekableStream {
 public:
  explicit BrevanFilterStream(QIODevice& target);
  std::size_t write(const void* buffer, std::size_t count) override;
  std::int64_t getPosition() override;
  std::int64_t getSize() override;
  void setPosition(std::int64_t pos) override;
  void truncate() override;

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override;
  // Unknown for a sequential device (a pipe, a socket).
  std::int64_t bytesLeftImpl() override;

 private:
  QIODevice& target_;
};

}  // namespace imagefile
