#pragma once
// One loader object per file format, registered once; a bitmap asks for the first loader
// that accepts its file's extension.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imagefile/linear_bitmap.h"
#include "imagefile/streams.h"

namespace imagefile {

// A loader overrides either the stream pair or the file pair; the defaults of each pair go
// through the other (streams through a temporary file).
class BitmapLoader {
 public:
  virtual ~BitmapLoader();
  // Ext: upper-cased, without the dot.
  virtual bool canLoad(const std::string& ext);
  virtual bool canSave(const std::string& ext);
  // File dialog filters: "description|*.a;*.b|description|*.c".
  virtual std::string getLoadFilter();
  virtual std::string getSaveFilter();
  virtual void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap);
  virtual void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap);
  virtual void loadFromFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap);
  virtual void saveToFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap);
};

// Largest stream the default stream loader copies into its temporary file.
inline constexpr std::int64_t kMaxTemporaryCopy = 104857600;

// Adds a loader (not owned; it lives as long as the program). Loaders are asked in
// registration order.
void registerLoader(BitmapLoader* loader);
// Every registered loader, in order.
const std::vector<BitmapLoader*>& registeredLoaders();
// First loader that accepts the extension for loading / saving; none raises
// UnsupportedFileFormat "Unsupported file format: EXT".
BitmapLoader& getLoader(const std::string& ext);
BitmapLoader& getSaver(const std::string& ext);

// The library's progress handler (a percentage); empty unless someone sets it.
std::function<void(int)>& progressHandler();
void reportProgress(int percent);

// Folder for temporary files: $TMPDIR, else /tmp; with a trailing "/".
std::string temporaryFolder();

// ---- external image modules ---------------------------------------------------------------

// The record a module fills or reads: width, height, bytes per line, type (low four bits
// the planes; 1 8-bit indexed, 33 16-bit grey, 3 and 4 interleaved, 16 + n planar), pixels,
// palette (768 bytes B, G, R).
struct PluginImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bytesPerLine = 0;
  std::int32_t type = 0;
  std::uint8_t* pixels = nullptr;
  std::uint8_t* palette = nullptr;
  std::int32_t reserved = 0;
};

// Forwards to external image modules. Nothing in this program adds a module, so its table
// stays empty and it accepts no extension.
class ImageDllLoader : public BitmapLoader {
 public:
  struct Module {
    std::string loadFilter;
    std::string saveFilter;
    std::function<int(const std::string&, const std::string&, PluginImage&)> load;
    std::function<int(const std::string&, const std::string&, PluginImage&)> save;
    std::function<void(PluginImage&)> release;
  };
  std::string getLoadFilter() override;
  std::string getSaveFilter() override;
  void loadFromFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap) override;
  void saveToFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap) override;
  // The module table, empty in this program.
  std::vector<Module>& modules() { return modules_; }

 private:
  std::vector<Module> modules_;
};

// Code 0 returns; 2 "Unable to open file"; 3 "Error in bitmap data"; 4 "Unsupported pixel
// format"; 5 "Unable to close file"; any other the text with the code ("%s" place) or
// "Process failed: CODE" when the text is empty.
void checkPluginResult(int code, const std::string& text);
void pluginToLinearBitmap(LinearBitmap& bitmap, const PluginImage& image);
void linearBitmapToPlugin(LinearBitmap& bitmap, PluginImage& image);

}  // namespace imagefile
