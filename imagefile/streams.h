#pragma once
// The library's own byte streams: every picture loader reads and writes through them.
// Filters (buffering, checksums, bit access, compression) sit on a next stream they do not
// own; a chain is freed with freeChain (or held in a StreamChain).
//
// Destructors never raise: whatever a stream still holds for its next stream is written by
// finish(), which every normal path calls (finishChain for a whole chain) and which reports a
// full disk; a destructor that finds work left does it silently as a last resort.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imagefile/errors.h"

namespace imagefile {

class BaseStream {
 public:
  BaseStream() = default;
  BaseStream(const BaseStream&) = delete;
  BaseStream& operator=(const BaseStream&) = delete;
  virtual ~BaseStream();

  bool canRead() const { return canRead_; }
  bool canWrite() const { return canWrite_; }
  bool strict() const { return strict_; }
  // Strict: a read (for files also a write) that moves fewer bytes than asked raises instead
  // of returning the smaller count.
  virtual void setStrict(bool value);

  virtual std::size_t write(const void* buffer, std::size_t count) = 0;
  // Bytes given back with unread come first.
  std::size_t read(void* buffer, std::size_t count);
  // A read that returns a short count at the end whatever Strict says.
  std::size_t readSome(void* buffer, std::size_t count);
  // Gives bytes that were read too far back to the stream: the next read delivers them
  // first (a reader that fetches ahead, such as the Deflate decoder, hands back what follows
  // its data).
  virtual void unread(const void* buffer, std::size_t count);

  bool endOfStream() { return available() == 0; }
  std::int64_t available();
  // The bytes still to come when the stream knows where its data ends (a regular file,
  // memory, a buffer over one of them); -1 when it cannot tell (a pipe, a device that is
  // read as it arrives, a filter whose output differs from its input). Readers compare it
  // with what a header promises before they allocate for it.
  std::int64_t bytesLeft();
  // Passes buffered data on to the next stream (does not flush the next stream).
  virtual void flush() {}
  // Completes this stream's output (pending bytes, a final block) and reports any failure;
  // after it only the destructor is called.
  virtual void finish() { flush(); }
  // The stream below a filter, null for the others.
  virtual BaseStream* nextStream() const { return nullptr; }

  // Copies until the source ends; its Strict is off meanwhile.
  void copyFrom(BaseStream& source);
  // Copies count bytes (fewer when this stream ends) into dest, or skips them when dest is
  // null.
  void copyTo(BaseStream* dest, std::int64_t count);

 protected:
  virtual std::size_t readImpl(void* buffer, std::size_t count, bool strict) = 0;
  virtual std::int64_t availableImpl() = 0;
  virtual std::int64_t bytesLeftImpl() { return -1; }

  bool canWrite_ = false;
  bool canRead_ = false;
  bool strict_ = true;

 private:
  std::size_t takeGivenBack(std::uint8_t*& out, std::size_t& count);
  std::vector<std::uint8_t> givenBack_;  // in reverse order: back() is delivered first
};

// Frees a stream and every stream below it.
void freeChain(BaseStream* stream);
// finish() from the top of a chain down to its last stream.
void finishChain(BaseStream& stream);

struct ChainDeleter {
  void operator()(BaseStream* s) const { freeChain(s); }
};
using StreamChain = std::unique_ptr<BaseStream, ChainDeleter>;

class FilterStream : public BaseStream {
 public:
  explicit FilterStream(BaseStream* next) : next_(next) {}
  void setStrict(bool value) override;
  std::size_t write(const void* buffer, std::size_t count) override;
  BaseStream* nextStream() const override { return next_; }
  BaseStream* next() const { return next_; }

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override;
  // Reads from the next stream with or without its Strict, as the caller's read asked.
  std::size_t readNext(void* buffer, std::size_t count, bool strict) {
    return strict ? next_->read(buffer, count) : next_->readSome(buffer, count);
  }

  BaseStream* next_;
};

class SeekableStream : public BaseStream {
 public:
  virtual std::int64_t getPosition() = 0;
  virtual std::int64_t getSize() = 0;
  virtual void setPosition(std::int64_t pos) = 0;
  // Ends the stream at the current position.
  virtual void truncate() = 0;
  // A seekable stream takes bytes back by moving its position back.
  void unread(const void* buffer, std::size_t count) override;
};

// Mode bits of FileStream.
enum : unsigned {
  kFileRead = 1,
  kFileWrite = 2,
  kFileCreate = 4,       // anew, replacing an existing file; without it the file must exist
  kFileShareRead = 8,    // kept for the callers' sake; POSIX files are not locked
  kFileShareWrite = 16,
};

class FileStream : public SeekableStream {
 public:
  FileStream(const std::string& fileName, unsigned mode);
  // Takes over an open descriptor (readable and writable); -1 raises the system's error.
  explicit FileStream(int handle);
  ~FileStream() override;

  std::size_t write(const void* buffer, std::size_t count) override;
  void flush() override;
  // Closes the file, reporting a failure to close ("Error closing").
  void finish() override;
  std::int64_t getPosition() override;
  std::int64_t getSize() override;
  void setPosition(std::int64_t pos) override;
  void truncate() override;
  // Closes and deletes the file.
  void deleteFile();

  int handle() const { return handle_; }
  const std::string& fileName() const { return fileName_; }

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override;
  // Regular files only.
  std::int64_t bytesLeftImpl() override;

 private:
  void close();
  int handle_ = -1;
  std::string fileName_;
};

// A growable stream in memory: blocks of 4096 bytes or more, written data never moves.
class MemStream : public SeekableStream {
 public:
  MemStream();
  ~MemStream() override;

  std::size_t write(const void* buffer, std::size_t count) override;
  std::int64_t getPosition() override { return position_; }
  std::int64_t getSize() override { return size_; }
  void setPosition(std::int64_t pos) override;
  void truncate() override;
  void reset();
  // The stream's bytes (for tests and callers that want them in one piece).
  std::vector<std::uint8_t> bytes() const;

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override { return size_ - position_; }
  std::int64_t bytesLeftImpl() override { return size_ - position_; }

 private:
  struct Block {
    std::size_t size = 0;
    Block* next = nullptr;
    std::unique_ptr<std::uint8_t[]> data;
  };
  void freeBlocks(Block* from);
  static Block emptyBlock_;
  Block* first_ = nullptr;
  Block* current_ = &emptyBlock_;
  std::size_t offset_ = 0;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

// A read-only stream over bytes someone else keeps (seekable; writes are refused).
class SpanStream : public SeekableStream {
 public:
  SpanStream(const std::uint8_t* data, std::size_t size);
  std::size_t write(const void* buffer, std::size_t count) override;
  std::int64_t getPosition() override { return static_cast<std::int64_t>(pos_); }
  std::int64_t getSize() override { return static_cast<std::int64_t>(size_); }
  void setPosition(std::int64_t pos) override;
  void truncate() override;

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override { return static_cast<std::int64_t>(size_ - pos_); }
  std::int64_t bytesLeftImpl() override { return static_cast<std::int64_t>(size_ - pos_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Write-only stream that appends every byte written to a vector (a compressed block, one
// trial encoding).
class VectorSink : public BaseStream {
 public:
  explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) { canWrite_ = true; }
  std::size_t write(const void* buffer, std::size_t count) override {
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    out_.insert(out_.end(), p, p + count);
    return count;
  }

 protected:
  std::size_t readImpl(void*, std::size_t, bool) override { return 0; }
  std::int64_t availableImpl() override { return 0; }

 private:
  std::vector<std::uint8_t>& out_;
};

// Read and write buffers over a next stream. Sizes: -1 the default of 65536 bytes, 0 none.
class BufferedStream : public FilterStream {
 public:
  static constexpr int kDefaultSize = 65536;
  BufferedStream(int readBufSize, int writeBufSize, BaseStream* next);
  ~BufferedStream() override;

  std::size_t write(const void* buffer, std::size_t count) override;
  void flush() override;

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override;
  std::int64_t bytesLeftImpl() override;

 private:
  std::vector<std::uint8_t> readBuf_;
  std::size_t readPos_ = 0;
  std::size_t readCount_ = 0;
  std::vector<std::uint8_t> writeBuf_;
  std::size_t writeCount_ = 0;
  bool restoreStrict_ = false;
};

// A buffered chain over a file: for writing created anew (write buffer only), for reading
// an existing file (read buffer only).
StreamChain readBufferedFileStream(const std::string& fileName, bool forWriting);

// "Cannot assign A to B" and the double dispatch of Assign/AssignTo.
class AssignObject {
 public:
  virtual ~AssignObject();
  virtual const char* className() const = 0;
  virtual void assign(const AssignObject& source);
  virtual void assignTo(AssignObject& dest) const;
};

// Something that can be saved to and loaded from a library stream and a file.
class StreamClass : public AssignObject {
 public:
  virtual void saveToStream(BaseStream& stream) const;
  virtual void loadFromStream(BaseStream& stream);
  virtual void saveToFile(const std::string& fileName) const;
  virtual void loadFromFile(const std::string& fileName);
};

// The operating system's text for an error number.
std::string systemErrorText(int errorNumber);

}  // namespace imagefile
