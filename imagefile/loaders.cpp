#include "imagefile/loaders.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace imagefile {

namespace {

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::vector<BitmapLoader*>& loaders() {
  static std::vector<BitmapLoader*> list;
  return list;
}

bool filterAccepts(const std::string& filter, const std::string& ext) {
  if (ext.empty()) return false;
  return upper(filter).find("*." + upper(ext)) != std::string::npos;
}

// A new temporary file "<folder>kolvexXXXXXX.<ext>", opened for writing; its name is
// returned through name.
int makeTemporary(const std::string& ext, std::string& name) {
  std::string pattern = temporaryFolder() + "kolvexXXXXXX." + ext;
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const int suffix = static_cast<int>(ext.size() + 1);
  const int fd = ::mkstemps(buf.data(), suffix);
  if (fd < 0) throw InOutError(formatText(text::kErrorOpening, {pattern, systemErrorText(errno)}));
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  name.assign(buf.data());
  return fd;
}

// Deletes a temporary file when its owner is done, also on the way out of an exception.
struct TemporaryFile {
  std::string name;
  ~TemporaryFile() {
    if (!name.empty()) ::unlink(name.c_str());
  }
};

}  // namespace

BitmapLoader::~BitmapLoader() = default;

bool BitmapLoader::canLoad(const std::string& ext) { return filterAccepts(getLoadFilter(), ext); }
bool BitmapLoader::canSave(const std::string& ext) { return filterAccepts(getSaveFilter(), ext); }
std::string BitmapLoader::getLoadFilter() { return std::string(); }
std::string BitmapLoader::getSaveFilter() { return getLoadFilter(); }

void BitmapLoader::loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) {
  TemporaryFile temp;
  FileStream file(makeTemporary(ext, temp.name));
  const bool wasStrict = stream.strict();
  stream.setStrict(false);
  try {
    // One byte beyond the cap tells a stream that is too large from one that fits; a cut
    // copy would load as a damaged picture.
    std::vector<std::uint8_t> buf(65536);
    std::int64_t copied = 0;
    for (;;) {
      const std::size_t n = stream.read(buf.data(), buf.size());
      if (n == 0) break;
      copied += static_cast<std::int64_t>(n);
      if (copied > kMaxTemporaryCopy) throw InOutError(text::kTempCopyTooLarge);
      file.write(buf.data(), n);
    }
    file.finish();
    loadFromFile(temp.name, ext, bitmap);
  } catch (...) {
    if (wasStrict) stream.setStrict(true);
    throw;
  }
  if (wasStrict) stream.setStrict(true);
}

void BitmapLoader::saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) {
  TemporaryFile temp;
  {
    FileStream file(makeTemporary(ext, temp.name));
    file.finish();
  }
  saveToFile(temp.name, ext, bitmap);
  FileStream file(temp.name, kFileRead | kFileShareRead);
  stream.copyFrom(file);
  file.finish();
}

void BitmapLoader::loadFromFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap) {
  FileStream file(fileName, kFileRead | kFileShareRead);
  loadFromStream(file, ext, bitmap);
}

void BitmapLoader::saveToFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap) {
  FileStream file(fileName, kFileRead | kFileWrite | kFileCreate);
  saveToStream(file, ext, bitmap);
  file.finish();
}

void registerLoader(BitmapLoader* loader) { loaders().push_back(loader); }

const std::vector<BitmapLoader*>& registeredLoaders() { return loaders(); }

BitmapLoader& getLoader(const std::string& ext) {
  const std::string e = upper(ext);
  for (BitmapLoader* l : loaders())
    if (l->canLoad(e)) return *l;
  throw UnsupportedFileFormat::forExtension(e);
}

BitmapLoader& getSaver(const std::string& ext) {
  const std::string e = upper(ext);
  for (BitmapLoader* l : loaders())
    if (l->canSave(e)) return *l;
  throw UnsupportedFileFormat::forExtension(e);
}

std::function<void(int)>& progressHandler() {
  static std::function<void(int)> handler;
  return handler;
}

void reportProgress(int percent) {
  if (progressHandler()) progressHandler()(percent);
}

std::string temporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::string d = (dir && *dir) ? dir : "/tmp";
  if (d.back() != '/') d += '/';
  return d;
}

// ---- external image modules ---------------------------------------------------------------

namespace {
std::string joinFilters(const std::vector<std::string>& filters) {
  std::string out;
  for (const std::string& f : filters) {
    if (f.empty()) continue;
    if (!out.empty() && out.back() != '|') out += '|';
    out += f;
  }
  return out;
}
}  // namespace

std::string ImageDllLoader::getLoadFilter() {
  std::vector<std::string> f;
  for (const Module& m : modules_)
    if (m.load) f.push_back(m.loadFilter);
  return joinFilters(f);
}

std::string ImageDllLoader::getSaveFilter() {
  std::vector<std::string> f;
  for (const Module& m : modules_)
    if (m.save) f.push_back(m.saveFilter);
  return joinFilters(f);
}

void ImageDllLoader::loadFromFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap) {
  for (Module& m : modules_) {
    if (!m.load || !filterAccepts(m.loadFilter, ext)) continue;
    PluginImage image;
    checkPluginResult(m.load(fileName, ext, image), std::string(text::kErrorInBitmapData) + ": %s");
    try {
      pluginToLinearBitmap(bitmap, image);
    } catch (...) {
      if (m.release) m.release(image);
      throw;
    }
    if (m.release) m.release(image);
    return;
  }
  throw LinearBitmapError(text::kUnsupportedFileFormat);
}

void ImageDllLoader::saveToFile(const std::string& fileName, const std::string& ext, LinearBitmap& bitmap) {
  for (Module& m : modules_) {
    if (!m.save || !filterAccepts(m.saveFilter, ext)) continue;
    PluginImage image;
    linearBitmapToPlugin(bitmap, image);
    checkPluginResult(m.save(fileName, ext, image), text::kErrorWritingImageFile);
    return;
  }
  throw LinearBitmapError(text::kUnsupportedFileFormat);
}

void checkPluginResult(int code, const std::string& message) {
  switch (code) {
    case 0: return;
    case 2: throw Error(text::kUnableToOpenFile);
    case 3: throw Error(text::kErrorInBitmapData);
    case 4: throw Error(text::kUnsupportedPixelFormat);
    case 5: throw Error(text::kUnableToCloseFile);
    default:
      throw Error(formatText(message.empty() ? text::kProcessFailed : message, {std::to_string(code)}));
  }
}

void pluginToLinearBitmap(LinearBitmap& bitmap, const PluginImage& image) {
  const int planes = image.type & 15;
  if (planes == 0) throw LinearBitmapError(text::kUnsupportedBitmapFormat);
  const std::int64_t w = image.width;
  if (planes == 1) {
    bitmap.newImage(image.width, image.height, image.type == 33 ? pf16bit : pf8bit);
  } else if (image.type == 4) {
    bitmap.newImage(image.width, image.height, pf32bit);
  } else {
    bitmap.newImage(image.width, image.height, pf24bit);
  }
  if (planes == 2) bitmap.clear(0);
  if (planes == 1 || image.type == 3 || image.type == 4) {
    const std::int64_t row = bitmap.bytesPerLine();
    for (int y = 0; y < image.height; ++y)
      std::memcpy(bitmap.scanLine(y), image.pixels + static_cast<std::int64_t>(y) * image.bytesPerLine,
                  static_cast<std::size_t>(row));
    if (image.type == 4) bitmap.changePixelFormat(pf24bit);
  } else if (image.type >= 16 && image.type < 32) {
    // Planar: plane p of every pixel goes to byte p (at most three planes).
    const int n = std::min(planes, 3);
    const std::int64_t planeSize = static_cast<std::int64_t>(image.bytesPerLine) * image.height;
    for (int y = 0; y < image.height; ++y) {
      std::uint8_t* d = bitmap.scanLine(y);
      for (std::int64_t x = 0; x < w; ++x)
        for (int p = 0; p < n; ++p)
          d[3 * x + p] = image.pixels[p * planeSize + static_cast<std::int64_t>(y) * image.bytesPerLine + x];
    }
  } else {
    throw LinearBitmapError(text::kUnsupportedPixelFormat);
  }
  if (bitmap.pixelFormat() == pf8bit)
    std::memcpy(bitmap.palette(), image.palette ? image.palette : grayPalette(), 768);
  if (planes > 3)
    throw LinearBitmapError("The image contains " + std::to_string(planes) +
                            " color planes, only 3 were loaded");
}

void linearBitmapToPlugin(LinearBitmap& bitmap, PluginImage& image) {
  image = PluginImage{};
  if (bitmap.pixelFormat() == pf8bit)
    image.type = 1;
  else if (bitmap.pixelFormat() == pf24bit)
    image.type = 3;
  else
    throw LinearBitmapError(text::kUnsupportedPixelFormat);
  image.width = bitmap.width();
  image.height = bitmap.height();
  image.bytesPerLine = static_cast<std::int32_t>(bitmap.bytesPerLine());
  image.pixels = bitmap.map();
  image.palette = bitmap.palette();
}

}  // namespace imagefile
