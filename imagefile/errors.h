#pragma once
// The exceptions of the picture library and the codecs built on it. Their texts are English
// and stable: callers show them as they are, and tests compare them word for word.
#include <exception>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace imagefile {

// The general error class for format faults ("Error in compressed data", "CRC error", ...).
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& text) : std::runtime_error(text) {}
};

// Stream and file faults; the operating system's text follows " - " where there is one.
class InOutError : public Error {
 public:
  explicit InOutError(const std::string& text) : Error(text) {}
};

// A buffered stream that cannot be made with the sizes asked for.
class StreamCreateError : public Error {
 public:
  explicit StreamCreateError(const std::string& text) : Error(text) {}
};

// Faults of the adapters between our streams and Qt's devices (seeking).
class StreamError : public Error {
 public:
  explicit StreamError(const std::string& text) : Error(text) {}
};

// Faults of the in-memory bitmap: size, pixel format, plug-in results.
class LinearBitmapError : public Error {
 public:
  explicit LinearBitmapError(const std::string& text) : Error(text) {}
};

// No loader, saver or picture class for a file's extension.
class UnsupportedFileFormat : public Error {
 public:
  explicit UnsupportedFileFormat(const std::string& text) : Error(text) {}
  // "Unsupported file format: EXT" (EXT upper-cased by the caller, possibly empty).
  static UnsupportedFileFormat forExtension(std::string_view ext);
};

// Base of the picture classes' own errors (the GIF codec derives its exception from it).
class InvalidGraphic : public Error {
 public:
  explicit InvalidGraphic(const std::string& text) : Error(text) {}
};

// Ends an operation the user cancelled, without a message: the application's event loop
// drops it instead of showing it. Deliberately not an Error, so format handlers that catch
// Error do not swallow a cancellation.
class SilentAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

// Message texts, word for word.
namespace text {
inline constexpr const char* kNoAccessMode =
    "Either read, write or full access must be specified in call to CreateFile";
inline constexpr const char* kErrorOpening = "Error opening \"%s\" - %s";
inline constexpr const char* kErrorClosing = "Error closing \"%s\" - %s";
inline constexpr const char* kErrorDeleting = "Error deleting \"%s\" - %s";
inline constexpr const char* kErrorTruncating = "Error truncating file \"%s\" - %s";
inline constexpr const char* kErrorMovingFilePointer = "Error moving file pointer - %s";
inline constexpr const char* kErrorReading = "Error reading from stream - %s";
inline constexpr const char* kErrorWriting = "Error writing to stream - %s";
inline constexpr const char* kReadLessThanExpected = "Read less than expected";
inline constexpr const char* kIoError = "IO-error: %s";
inline constexpr const char* kInvalidBufferSize = "Invalid buffer size";
inline constexpr const char* kSeekingNotSupported = "Seeking not supported";
inline constexpr const char* kUnknownSeekOrigin = "Unknown seek origin";
inline constexpr const char* kErrorMovingStreamPointer = "Error moving stream pointer";
inline constexpr const char* kMemStreamSeek = "Error in MemStream.Seek";
inline constexpr const char* kMemStreamSeek2 = "Error in MemStream.Seek 2";
inline constexpr const char* kSaveToStreamNotImplemented = ".SaveToStream not implemented";
inline constexpr const char* kLoadFromStreamNotImplemented = ".LoadFromStream not implemented";

inline constexpr const char* kUnsupportedPixelFormat = "Unsupported pixel format";
inline constexpr const char* kInvalidBitmapSize = "Invalid bitmap size";
inline constexpr const char* kUnsupportedFileFormat = "Unsupported file format";
inline constexpr const char* kUnsupportedBitmapFormat = "Unsupported bitmap format";
inline constexpr const char* kCannotAssign = "Cannot assign %s to %s";
inline constexpr const char* kErrorInBitmapData = "Error in bitmap data";
inline constexpr const char* kUnableToOpenFile = "Unable to open file";
inline constexpr const char* kUnableToCloseFile = "Unable to close file";
inline constexpr const char* kProcessFailed = "Process failed: %s";
inline constexpr const char* kErrorWritingImageFile = "Error writing image file: %s";
inline constexpr const char* kTempCopyTooLarge = "File too large for a temporary copy";
inline constexpr const char* kUnsupportedClipboardFormat = "Unsupported clipboard format";

inline constexpr const char* kErrorInCompressedData = "Error in compressed data";
inline constexpr const char* kInvalidHuffmanCode = "Invalid Huffman code";
inline constexpr const char* kStreamNotOpenForWrite = "Stream not open for write";
}  // namespace text

// Fills the "%s" places of a pattern in order; a missing argument leaves the place empty.
inline std::string formatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
      if (next != args.end()) out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

inline UnsupportedFileFormat UnsupportedFileFormat::forExtension(std::string_view ext) {
  std::string t = text::kUnsupportedFileFormat;
  t += ": ";
  t += ext;
  return UnsupportedFileFormat(t);
}

}  // namespace imagefile
