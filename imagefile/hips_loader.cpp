#include "imagefile/hips_loader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imagefile/byte_order.h"
#include "imagefile/errors.h"
#include "imagefile/text_stream.h"

namespace imagefile {

namespace {

std::string trimmed(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return std::string();
  const std::size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

// The whole (trimmed) text as an integer.
bool parseInt(const std::string& s, long long& v) {
  const std::string t = trimmed(s);
  if (t.empty() || t.size() > 18) return false;
  std::size_t i = 0;
  bool neg = false;
  if (t[0] == '-' || t[0] == '+') {
    neg = t[0] == '-';
    i = 1;
  }
  if (i == t.size()) return false;
  long long r = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    r = r * 10 + (t[i] - '0');
  }
  v = neg ? -r : r;
  return true;
}

long long toInt(const std::string& s) {
  long long v = 0;
  if (!parseInt(s, v)) throw Error("'" + trimmed(s) + "' is not a valid integer value");
  return v;
}

std::uint8_t realToByte(const std::uint8_t* be) {
  const std::uint32_t bits = be32(be);
  float f;
  std::memcpy(&f, &bits, 4);
  if (!(f > 0)) return 0;  // also NaN
  if (f >= 255) return 255;
  // Halves to the even neighbour, as every rounding of the program.
  return static_cast<std::uint8_t>(std::nearbyint(f));
}

enum class Samples { GreyBytes, RgbBytes, Reals, ZrgbBytes };

}  // namespace

bool HIPSLoader::canLoad(const std::string& ext) { return ext == "HIP" || ext == "HIPS"; }
bool HIPSLoader::canSave(const std::string&) { return false; }
std::string HIPSLoader::getLoadFilter() { return "HIPS image (*.hips)|*.hips;*.hip"; }
std::string HIPSLoader::getSaveFilter() { return std::string(); }

void HIPSLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) {
  TextStream in(-1, &stream, 0);
  in.terminator = '\n';
  in.dropped = '\n';
  std::string line;
  in.readLine(line);
  in.readLine(line);
  long long frames = 0;
  bool found = false;
  for (int i = 0; i < 201 && !found; ++i) {
    in.readLine(line);
    found = parseInt(line, frames) && frames < 500;
  }
  if (!found) throw LinearBitmapError(text::kUnsupportedBitmapFormat);
  in.readLine(line);  // original date
  in.readLine(line);
  const std::string rowsText = trimmed(line);
  const long long height = toInt(line);
  in.readLine(line);
  const long long width = toInt(line);
  in.readLine(line);
  Samples kind = Samples::GreyBytes;
  long long planes = frames;
  if (trimmed(line) == rowsText) {
    in.readLine(line);  // columns
    in.readLine(line);  // first row
    in.readLine(line);  // first column
    in.readLine(line);
    const long long format = toInt(line);
    switch (format) {
      case 0: kind = Samples::GreyBytes; break;
      case 35: kind = Samples::RgbBytes; break;
      case 37: kind = Samples::ZrgbBytes; break;
      case 3: kind = Samples::Reals; break;
      default: throw LinearBitmapError(text::kUnsupportedBitmapFormat);
    }
    in.readLine(line);
    planes = toInt(line);
    if (planes < 1 || planes > 500) planes = 1;
    in.setStrict(true);
    for (int part = 0; part < 2; ++part) {  // history, description
      in.readLine(line);
      const long long n = toInt(line);
      if (n > 0) in.copyTo(nullptr, n);
    }
    in.readLine(line);
    const long long params = toInt(line);
    for (long long i = 0; i < params; ++i) in.readLine(line);
    in.readLine(line);
    const long long binary = toInt(line);
    if (binary > 0) in.copyTo(nullptr, binary);
  } else {
    if (trimmed(line) != "8") throw LinearBitmapError(text::kUnsupportedBitmapFormat);
    for (int i = 0; i < 4; ++i) in.readLine(line);
  }
  in.setStrict(true);
  if (width < 1 || height < 1 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
    throw LinearBitmapError(text::kInvalidBitmapSize);
  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  const std::int64_t pixels = std::int64_t{w} * h;
  // Samples are stored as they are: data too short for them is refused before the bitmap is
  // made (a stream of unknown length is read until it ends).
  const PixelFormat format =
      kind == Samples::RgbBytes || kind == Samples::ZrgbBytes || (kind == Samples::Reals && planes > 1) ? pf24bit : pf8bit;
  LinearBitmap::checkSize(w, h, format);
  const std::int64_t bytesPerPixel = kind == Samples::GreyBytes  ? 1
                                     : kind == Samples::RgbBytes ? 3
                                     : kind == Samples::ZrgbBytes ? 4
                                                                  : 4 * std::min<long long>(planes, 3);
  const std::int64_t left = in.bytesLeft();
  if (left >= 0 && left < pixels * bytesPerPixel) throw InOutError(text::kReadLessThanExpected);
  const bool progress = static_cast<bool>(progressHandler());
  auto pixelProgress = [&](std::int64_t i) {
    if (progress && (i & 511) == 0) reportProgress(static_cast<int>(i * 100 / pixels));
  };
  switch (kind) {
    case Samples::GreyBytes: {
      if (planes >= 2 && progress && question) {
        std::string value = "1";
        if (!question("Select plane", "Select plane to load (1-" + std::to_string(planes) + ")", value))
          throw SilentAbort();
        const long long answer = std::clamp<long long>(toInt(value), 1, planes);
        bitmap.newImage(w, h, format);
        if (answer > 1) in.copyTo(nullptr, (answer - 1) * pixels);
      } else {
        bitmap.newImage(w, h, format);
      }
      std::memcpy(bitmap.palette(), grayPalette(), 768);
      for (int y = 0; y < h; ++y) {
        in.read(bitmap.scanLine(y), static_cast<std::size_t>(w));
        pixelProgress(std::int64_t{y} * w);
      }
      break;
    }
    case Samples::RgbBytes:
    case Samples::ZrgbBytes: {
      bitmap.newImage(w, h, format);
      const int step = kind == Samples::RgbBytes ? 3 : 4;
      std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * step);
      for (int y = 0; y < h; ++y) {
        in.read(row.data(), row.size());
        std::uint8_t* o = bitmap.scanLine(y);
        const std::uint8_t* s = row.data() + (step - 3);  // the byte before R, G, B is 0
        for (int x = 0; x < w; ++x, s += step) {
          o[3 * x] = s[2];
          o[3 * x + 1] = s[1];
          o[3 * x + 2] = s[0];
        }
        pixelProgress(std::int64_t{y} * w);
      }
      break;
    }
    case Samples::Reals: {
      // The bitmap first: its size check comes before the row buffer of four bytes a sample.
      bitmap.newImage(w, h, format);
      std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
      if (planes == 1) {
        std::memcpy(bitmap.palette(), grayPalette(), 768);
        for (int y = 0; y < h; ++y) {
          in.read(row.data(), row.size());
          std::uint8_t* o = bitmap.scanLine(y);
          for (int x = 0; x < w; ++x) o[x] = realToByte(&row[4 * static_cast<std::size_t>(x)]);
          pixelProgress(std::int64_t{y} * w);
        }
      } else {
        bitmap.clear(0);
        const int used = static_cast<int>(std::min<long long>(planes, 3));
        for (int p = 0; p < used; ++p) {
          for (int y = 0; y < h; ++y) {
            in.read(row.data(), row.size());
            std::uint8_t* o = bitmap.scanLine(y) + (2 - p);
            for (int x = 0; x < w; ++x) o[3 * x] = realToByte(&row[4 * static_cast<std::size_t>(x)]);
          }
          if (progress) reportProgress(p == 2 ? 100 : static_cast<int>((p + 1) * 100 / planes));
        }
      }
      break;
    }
  }
}

HIPSLoader& hipsLoader() {
  static HIPSLoader loader;
  return loader;
}

}  // namespace imagefile
