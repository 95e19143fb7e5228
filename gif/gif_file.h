#pragma once
// A GIF file in memory: header with the global colour table, the list of frames, and what
// the items need of their owner (version, bits per pixel, compression, warnings, progress).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gif/color_map.h"
#include "gif/stream.h"
#include "gif/sub_image.h"

namespace gif {

class GifFile;

class GifHeader {
 public:
  explicit GifHeader(GifFile* picture) : picture_(picture), colorMap_(picture) {}
  void clear();
  void assign(const GifHeader& other);
  void loadFromStream(ByteStream& s);
  void saveToStream(ByteStream& s);
  // Packed fields as they will be written.
  void prepare();
  int version() const;
  // The three version characters as read ("87a", "89a", or whatever the file says).
  std::string signatureVersion() const { return signature_.substr(3); }

  int width() const { return imagefile::le16(descriptor_.data()); }
  int height() const { return imagefile::le16(descriptor_.data() + 2); }
  void setWidth(int w);
  void setHeight(int h);
  uint8_t packedFields() const { return descriptor_[4]; }
  int backgroundIndex() const { return descriptor_[5]; }
  void setBackgroundIndex(int index) { descriptor_[5] = static_cast<uint8_t>(index); }
  int aspectRatio() const { return descriptor_[6]; }
  void setAspectRatio(int ratio) { descriptor_[6] = static_cast<uint8_t>(ratio); }
  ColorValue backgroundColor() const { return colorMap_.color(backgroundIndex()); }
  int bitsPerPixel() const { return colorMap_.bitsPerPixel(); }
  int colorResolution() const { return bitsPerPixel() - 1; }
  GifGlobalColorMap& colorMap() { return colorMap_; }
  const GifGlobalColorMap& colorMap() const { return colorMap_; }

 private:
  GifFile* picture_;
  GifGlobalColorMap colorMap_;
  // width, height, packed fields, background index, aspect ratio
  std::array<uint8_t, 7> descriptor_{};
  std::string signature_ = "GIF89a";
};

// Frames the lists of this thread have handed out or moved: work that has to stay in
// proportion to a file's frames (a walk over all frames per frame would square it).
extern constinit thread_local uint64_t frameListSteps;

class GifImageList {
 public:
  explicit GifImageList(GifFile* picture) : picture_(picture) {}
  int count() const { return static_cast<int>(items_.size()); }
  GifSubImage& image(int i) const {
    ++frameListSteps;
    return *items_[static_cast<size_t>(i)];
  }
  int add(std::unique_ptr<GifSubImage> frame);
  void remove(int i);
  // Removes the frames marked in `drop` (one flag per frame) in one pass.
  void removeMarked(const std::vector<bool>& drop);
  void clear() { items_.clear(); }
  void loadFromStream(ByteStream& s);
  void saveToStream(ByteStream& s) const;

 private:
  GifFile* picture_;
  std::vector<std::unique_ptr<GifSubImage>> items_;
};

// The single ";" that ends a file.
struct GifTrailer {
  static void saveToStream(ByteStream& s);
  static void loadFromStream(ByteStream& s);  // "Invalid Image trailer"
};

enum class ProgressStage { Starting, Running, Ending };

class GifFile {
 public:
  using WarningHandler = std::function<void(int severity, const std::string& message)>;
  using ProgressHandler = std::function<void(ProgressStage stage, int percent, const std::string& text)>;

  GifFile();
  ~GifFile();
  GifFile(const GifFile&) = delete;
  GifFile& operator=(const GifFile&) = delete;

  GifHeader& header() { return header_; }
  const GifHeader& header() const { return header_; }
  GifImageList& images() { return images_; }
  const GifImageList& images() const { return images_; }
  GifGlobalColorMap& globalColorMap() { return header_.colorMap(); }
  const GifGlobalColorMap& globalColorMap() const { return header_.colorMap(); }

  int width() const { return header_.width(); }
  int height() const { return header_.height(); }
  // 0 without frames (nothing can be written), 1 "87a", 2 "89a".
  int version() const;
  // The largest of the global table's and every local table's.
  int bitsPerPixel() const;
  int colorResolution() const;

  // 0 LZW, 1 run-length coding in valid LZW codes.
  int compression = 0;
  // Pixels all frames of a loaded file may hold together: a few hundred bytes of file can
  // ask for any number of frames of up to 2^28 pixels each.
  int64_t maxTotalPixels = int64_t{1} << 29;
  WarningHandler onWarning;
  ProgressHandler onProgress;
  // Lets the image side drop what it built from the first frame.
  std::function<void()> onChange;

  void warning(int severity, const std::string& message) const;
  void progress(ProgressStage stage, int percent, const std::string& text) const;
  void changed() const;

  void clear();
  int add(std::unique_ptr<GifSubImage> frame);
  // Header, frames, trailer; on any error the stream returns to where the picture began.
  void loadFromStream(ByteStream& s);
  void saveToStream(ByteStream& s);

 private:
  GifHeader header_;
  GifImageList images_;
};

}  // namespace gif
