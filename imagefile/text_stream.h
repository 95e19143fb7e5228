#pragma once
// A buffered stream that reads and writes text lines; lines may end in CR LF, LF or CR, told
// apart by the first line end met.
#include <cstdint>
#include <string>
#include <vector>

#include "imagefile/streams.h"

namespace imagefile {

class TextStream : public FilterStream {
 public:
  // Buffer sizes as for BufferedStream: -1 the default, 0 none. A stream without a read
  // buffer cannot read lines.
  TextStream(int readBufSize, BaseStream* next, int writeBufSize);
  ~TextStream() override;

  std::size_t write(const void* buffer, std::size_t count) override;
  void flush() override;
  void write(const std::string& s) { write(s.data(), s.size()); }
  void writeLine(const std::string& s);
  // The next line without its end; its length. "Cannot read from stream" without a read
  // buffer, "Error reading from stream - Read less than expected" at the end of the data.
  std::size_t readLine(std::string& line);

  int lineCount = 0;
  // The line terminator and the character dropped from lines; -1 until the first line end.
  int terminator = -1;
  int dropped = -1;
  std::string lineEnd;

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override;
  std::int64_t bytesLeftImpl() override;

 private:
  bool fill();
  std::vector<std::uint8_t> readBuf_;
  std::size_t readPos_ = 0;
  std::size_t readCount_ = 0;
  std::vector<std::uint8_t> writeBuf_;
  std::size_t writeCount_ = 0;
};

}  // namespace imagefile
