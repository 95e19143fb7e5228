// giftool: the GIF codec from the command line.
//   giftool info FILE
//   giftool decode FILE DIR
//   giftool encode OUT W H TABLE.rgb PIXELS.idx [--interlace] [--rle] [--global]
//   giftool reduce IN.ppm OUT [--method M] [--dither D] [--bits B]
//   giftool resave IN OUT
//   giftool export IN.ppm OUT          (the data graph's GIF export)
//   giftool optimize IN OUT OPTIONS    (option bits; reduction method 0, dither 0, bits 8)
// Errors and warnings go to stderr as "ERROR: text" and "WARNING: text"; an error exits 1.
#include <QImage>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/errors.h"
#include "gif/extensions.h"
#include "gif/gif_file.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/frame_image.h"
#include "gif/qt/gif_export.h"
#include "gif/optimize.h"

namespace {

using namespace gif;

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw GifStreamError("Cannot open " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw GifStreamError("Cannot create " + path);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw GifStreamError("Cannot write " + path);
}

void attachWarnings(GifFile& file) {
  file.onWarning = [](int, const std::string& m) { std::cerr << "WARNING: " << m << "\n"; };
}

std::vector<uint8_t> loadInto(GifFile& file, const std::string& path) {
  std::vector<uint8_t> bytes = readFile(path);
  MemoryReader reader(bytes.data(), bytes.size());
  file.loadFromStream(reader);
  return bytes;
}

void save(GifFile& file, const std::string& path) {
  MemoryStream out;
  file.saveToStream(out);
  writeFile(path, out.bytes());
}

int info(const std::string& path) {
  GifFile file;
  attachWarnings(file);
  const std::vector<uint8_t> bytes = loadInto(file, path);
  std::cout << "version " << file.header().signatureVersion() << "\n";
  std::cout << "screen " << file.width() << " " << file.height() << "\n";
  std::cout << "global " << file.globalColorMap().count() << "\n";
  std::cout << "background " << file.header().backgroundIndex() << "\n";
  for (int k = 0; k < file.images().count(); ++k) {
    const GifSubImage& f = file.images().image(k);
    std::cout << "frame " << k << " left " << f.left() << " top " << f.top() << " width " << f.width() << " height "
              << f.height() << " interlace " << (f.interlaced() ? 1 : 0) << " local " << f.colorMap().count() << "\n";
    for (int e = 0; e < f.extensions().count(); ++e) {
      const GifExtension& ext = f.extensions().at(e);
      if (auto* g = dynamic_cast<const GifGraphicControlExtension*>(&ext)) {
        std::cout << "  gce delay " << g->delay() << " disposal " << g->disposal() << " transparent "
                  << (g->transparent() ? 1 : 0) << " index " << g->transparentColorIndex() << " userinput "
                  << (g->userInput() ? 1 : 0) << "\n";
      } else if (auto* l = dynamic_cast<const GifAppExtNSLoop*>(&ext)) {
        std::cout << "  loop " << l->loops() << "\n";
      } else if (auto* c = dynamic_cast<const GifCommentExtension*>(&ext)) {
        for (const std::string& line : c->text()) std::cout << "  comment " << line << "\n";
      } else if (auto* t = dynamic_cast<const GifTextExtension*>(&ext)) {
        for (const std::string& line : t->text()) std::cout << "  text " << line << "\n";
      } else if (auto* a = dynamic_cast<const GifApplicationExtension*>(&ext)) {
        std::string id = a->identifier();
        while (!id.empty() && id.back() == '\0') id.pop_back();
        std::cout << "  app " << id << "\n";
      }
    }
  }
  return 0;
}

int decode(const std::string& path, const std::string& dir) {
  GifFile file;
  attachWarnings(file);
  loadInto(file, path);
  for (int k = 0; k < file.images().count(); ++k) {
    const GifSubImage& f = file.images().image(k);
    const std::vector<uint8_t>& idx = f.data();
    writeFile(dir + "/frame" + std::to_string(k) + ".idx", idx);
    const std::vector<ColorValue> table = f.activeColorMap().colors();
    std::vector<uint8_t> rgba;
    rgba.reserve(idx.size() * 4);
    for (uint8_t p : idx) {
      const bool inTable = p < table.size();
      const ColorValue c = inTable ? table[p] : 0;
      rgba.push_back(colorRed(c));
      rgba.push_back(colorGreen(c));
      rgba.push_back(colorBlue(c));
      rgba.push_back(f.transparent() && p == f.transparentColorIndex() ? 0 : 255);
    }
    writeFile(dir + "/frame" + std::to_string(k) + ".rgba", rgba);
  }
  return 0;
}

int toInt(const std::string& text) {
  size_t used = 0;
  int v = 0;
  try {
    v = std::stoi(text, &used);
  } catch (const std::exception&) {
    throw Usage("not a number: " + text);
  }
  if (used != text.size()) throw Usage("not a number: " + text);
  return v;
}

int encode(const std::vector<std::string>& a) {
  if (a.size() < 6) throw Usage("encode OUT W H TABLE.rgb PIXELS.idx [--interlace] [--rle] [--global]");
  const int w = toInt(a[2]), h = toInt(a[3]);
  const std::vector<uint8_t> rgb = readFile(a[4]);
  const std::vector<uint8_t> idx = readFile(a[5]);
  bool interlace = false, rle = false, global = false;
  for (size_t i = 6; i < a.size(); ++i) {
    if (a[i] == "--interlace") interlace = true;
    else if (a[i] == "--rle") rle = true;
    else if (a[i] == "--global") global = true;
    else throw Usage("unknown option " + a[i]);
  }
  if (w < 1 || h < 1 || w > 65535 || h > 65535) throw GifException("Invalid image dimensions");
  if (idx.size() != static_cast<size_t>(w) * static_cast<size_t>(h))
    throw Usage("PIXELS.idx must hold W*H bytes");
  std::vector<ColorValue> colors;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) colors.push_back(makeColor(rgb[i], rgb[i + 1], rgb[i + 2]));
  if (colors.empty() || colors.size() > 256) throw Usage("TABLE.rgb must hold 1 to 256 colours");
  GifFile file;
  attachWarnings(file);
  file.compression = rle ? 1 : 0;
  auto frame = std::make_unique<GifSubImage>(&file);
  GifSubImage* f = frame.get();
  file.add(std::move(frame));
  if (global)
    file.globalColorMap().importColors(colors);
  else
    f->colorMap().importColors(colors);
  f->setBounds(0, 0, w, h);
  f->setInterlaced(interlace);
  f->mutableData() = idx;
  save(file, a[1]);
  return 0;
}

QImage readPpm(const std::string& path) {
  const std::vector<uint8_t> bytes = readFile(path);
  size_t pos = 0;
  auto token = [&]() {
    std::string t;
    while (pos < bytes.size()) {
      const char c = static_cast<char>(bytes[pos]);
      if (c == '#') {
        while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        if (!t.empty()) break;
        ++pos;
      } else {
        t += c;
        ++pos;
      }
    }
    return t;
  };
  if (token() != "P6") throw Usage("IN.ppm must be a binary PPM (P6)");
  const int w = toInt(token()), h = toInt(token()), maxval = toInt(token());
  ++pos;
  if (w < 1 || h < 1 || maxval != 255) throw Usage("IN.ppm must have a size and maxval 255");
  if (bytes.size() < pos + static_cast<size_t>(w) * static_cast<size_t>(h) * 3) throw GifException("Premature end of data");
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x, pos += 3) line[x] = qRgb(bytes[pos], bytes[pos + 1], bytes[pos + 2]);
  }
  return img;
}

int reduce(const std::vector<std::string>& a) {
  if (a.size() < 3) throw Usage("reduce IN.ppm OUT [--method M] [--dither D] [--bits B]");
  ReductionSettings settings;
  settings.method = rdOctreeSystem;
  for (size_t i = 3; i < a.size(); ++i) {
    if (i + 1 >= a.size()) throw Usage("option " + a[i] + " needs a value");
    if (a[i] == "--method") settings.method = toInt(a[++i]);
    else if (a[i] == "--dither") settings.dither = toInt(a[++i]);
    else if (a[i] == "--bits") settings.bits = toInt(a[++i]);
    else throw Usage("unknown option " + a[i]);
  }
  const QImage img = readPpm(a[1]);
  GifFile file;
  attachWarnings(file);
  auto frame = std::make_unique<GifSubImage>(&file);
  GifSubImage* f = frame.get();
  file.add(std::move(frame));
  assignFromImage(*f, img, settings);
  save(file, a[2]);
  return 0;
}

int resave(const std::string& in, const std::string& out) {
  GifFile file;
  attachWarnings(file);
  loadInto(file, in);
  save(file, out);
  return 0;
}

int exportPicture(const std::string& in, const std::string& out) {
  saveSingleFrameGif(readPpm(in), QString::fromLocal8Bit(out.c_str()));
  return 0;
}

int optimize(const std::string& in, const std::string& out, const std::string& options) {
  const int bits = toInt(options);
  if (bits < 0 || bits > 0x1F) throw Usage("OPTIONS must be 0 to 31");
  GifFile file;
  attachWarnings(file);
  loadInto(file, in);
  optimizeFile(file, bits, rdNone, dtNearest, 8);
  save(file, out);
  return 0;
}

int run(const std::vector<std::string>& a) {
  if (a.empty()) throw Usage("giftool info|decode|encode|reduce|resave|export|optimize ...");
  const std::string& cmd = a[0];
  if (cmd == "info" && a.size() == 2) return info(a[1]);
  if (cmd == "decode" && a.size() == 3) return decode(a[1], a[2]);
  if (cmd == "encode") return encode(a);
  if (cmd == "reduce") return reduce(a);
  if (cmd == "resave" && a.size() == 3) return resave(a[1], a[2]);
  if (cmd == "export" && a.size() == 3) return exportPicture(a[1], a[2]);
  if (cmd == "optimize" && a.size() == 4) return optimize(a[1], a[2], a[3]);
  throw Usage("giftool info FILE | decode FILE DIR | encode OUT W H TABLE.rgb PIXELS.idx [--interlace] [--rle] "
              "[--global] | reduce IN.ppm OUT [--method M] [--dither D] [--bits B] | resave IN OUT | "
              "export IN.ppm OUT | optimize IN OUT OPTIONS");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return run(args);
  } catch (const Usage& e) {
    std::cerr << "ERROR: usage: " << e.what() << "\n";
  } catch (const std::bad_alloc&) {
    std::cerr << "ERROR: Out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "ERROR: " << e.what() << "\n";
  }
  return 1;
}
