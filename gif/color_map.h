#pragma once
// Colour tables of a GIF file: the picture's global table and a frame's local table.
#include <cstdint>
#include <string>
#include <vector>

#include "gif/stream.h"

namespace gif {

class GifFile;
class GifSubImage;

class GifColorMap {
 public:
  static constexpr int kMaxColors = 256;

  virtual ~GifColorMap() = default;
  GifColorMap(const GifColorMap&) = delete;
  GifColorMap& operator=(const GifColorMap&) = delete;

  void clear();
  void reserve(int n);
  int add(ColorValue color);  // "Color table overflow" beyond 256
  int addUnique(ColorValue color);
  int indexOf(ColorValue color) const;
  void remove(int index);  // "Invalid color index"
  // Out of range: warning "Invalid color index" and entry 0; empty: "Color table is empty".
  ColorValue color(int index) const;
  int count() const { return count_; }
  int capacity() const { return capacity_; }
  bool sorted() const { return sorted_; }
  int bitsPerPixel() const { return bitsForColors(count_); }
  const uint8_t* data() const { return data_.data(); }  // count * 3 bytes, red green blue

  // Copies capacity, count, sorted flag and the triples.
  void assign(const GifColorMap& other);
  // Entries from 4-byte quads stored blue, green, red, reserved.
  void importRgbQuads(const uint8_t* quads, int n);
  // Entries from colour values (red in the low byte); at most 256 are taken.
  void importColors(const std::vector<ColorValue>& colors);
  std::vector<ColorValue> colors() const;

  void loadFromStream(ByteStream& s, int n);
  // count triples, then black ones up to 2^bitsPerPixel; nothing for an empty table.
  void saveToStream(ByteStream& s) const;
  // Sorts by frequency of use; false for tables of 0 or 1 entries.
  bool optimize();

 protected:
  GifColorMap() = default;
  virtual void warning(int severity, const std::string& message) const = 0;
  // Use count per entry (count_ entries).
  virtual std::vector<uint64_t> buildHistogram() const = 0;
  virtual void remapPixels(const std::vector<uint8_t>& map) = 0;
  virtual bool mayOptimize() const { return true; }
  virtual void changed() = 0;

 private:
  std::vector<uint8_t> data_;
  int count_ = 0;
  int capacity_ = 0;
  bool sorted_ = false;
};

class GifGlobalColorMap final : public GifColorMap {
 public:
  explicit GifGlobalColorMap(GifFile* picture) : picture_(picture) {}

 protected:
  void warning(int severity, const std::string& message) const override;
  std::vector<uint64_t> buildHistogram() const override;
  void remapPixels(const std::vector<uint8_t>& map) override;
  bool mayOptimize() const override;
  void changed() override;

 private:
  GifFile* picture_;
};

class GifLocalColorMap final : public GifColorMap {
 public:
  explicit GifLocalColorMap(GifSubImage* frame) : frame_(frame) {}

 protected:
  void warning(int severity, const std::string& message) const override;
  std::vector<uint64_t> buildHistogram() const override;
  void remapPixels(const std::vector<uint8_t>& map) override;
  void changed() override;

 private:
  GifSubImage* frame_;
};

}  // namespace gif
