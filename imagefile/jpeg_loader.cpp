#include "imagefile/jpeg_loader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "imagefile/errors.h"

namespace imagefile {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the setjmp of the call that started the work. The frames it jumps over (libjpeg's and
// the run functions below) hold no objects with destructors.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr c) {
  auto* e = reinterpret_cast<ErrorManager*>(c->err);
  (*c->err->format_message)(c, e->message);
  std::longjmp(e->jump, 1);
}

void silentMessage(j_common_ptr) {}
void silentEmit(j_common_ptr, int) {}

void initErrors(ErrorManager& e) {
  jpeg_std_error(&e.pub);
  e.pub.error_exit = errorExit;
  e.pub.output_message = silentMessage;
  e.pub.emit_message = silentEmit;
  e.message[0] = 0;
}

// A fault of our stream inside a libjpeg callback: kept here and raised after libjpeg has
// been left; libjpeg itself is stopped through error_exit.
struct StreamFault {
  std::exception_ptr error;
};

[[noreturn]] void stopLibjpeg(j_common_ptr c) {
  c->err->msg_code = JERR_FILE_READ;
  (*c->err->error_exit)(c);
  std::abort();  // error_exit does not return
}

struct Source {
  jpeg_source_mgr pub;
  BaseStream* stream;
  std::vector<std::uint8_t> buffer;
  StreamFault fault;
};

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr c) {
  auto* s = reinterpret_cast<Source*>(c->src);
  std::size_t n = 0;
  bool failed = false;
  try {
    n = s->stream->readSome(s->buffer.data(), s->buffer.size());
  } catch (...) {
    s->fault.error = std::current_exception();
    failed = true;
  }
  if (failed) stopLibjpeg(reinterpret_cast<j_common_ptr>(c));
  if (n == 0) {
    // A file cut short: an end marker, so libjpeg gives what it has (with a warning).
    s->buffer[0] = 0xFF;
    s->buffer[1] = JPEG_EOI;
    n = 2;
  }
  s->pub.next_input_byte = s->buffer.data();
  s->pub.bytes_in_buffer = n;
  return TRUE;
}

void skipInput(j_decompress_ptr c, long count) {
  auto* s = reinterpret_cast<Source*>(c->src);
  while (count > 0) {
    if (s->pub.bytes_in_buffer == 0) fillInput(c);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), s->pub.bytes_in_buffer);
    s->pub.next_input_byte += n;
    s->pub.bytes_in_buffer -= n;
    count -= static_cast<long>(n);
  }
}

void termSource(j_decompress_ptr) {}

struct Destination {
  jpeg_destination_mgr pub;
  BaseStream* stream;
  std::vector<std::uint8_t> buffer;
  StreamFault fault;
};

void initDestination(j_compress_ptr c) {
  auto* d = reinterpret_cast<Destination*>(c->dest);
  d->pub.next_output_byte = d->buffer.data();
  d->pub.free_in_buffer = d->buffer.size();
}

bool writeOut(j_compress_ptr c, std::size_t n) {
  auto* d = reinterpret_cast<Destination*>(c->dest);
  try {
    d->stream->write(d->buffer.data(), n);
  } catch (...) {
    d->fault.error = std::current_exception();
    return false;
  }
  return true;
}

boolean emptyOutput(j_compress_ptr c) {
  auto* d = reinterpret_cast<Destination*>(c->dest);
  if (!writeOut(c, d->buffer.size())) stopLibjpeg(reinterpret_cast<j_common_ptr>(c));
  d->pub.next_output_byte = d->buffer.data();
  d->pub.free_in_buffer = d->buffer.size();
  return TRUE;
}

void termDestination(j_compress_ptr c) {
  auto* d = reinterpret_cast<Destination*>(c->dest);
  if (!writeOut(c, d->buffer.size() - d->pub.free_in_buffer)) stopLibjpeg(reinterpret_cast<j_common_ptr>(c));
}

// ---- the runs inside setjmp -----------------------------------------------------------------

bool runDecode(jpeg_decompress_struct* c, ErrorManager* err, Source* src, LinearBitmap* bm, const JpegLoadOptions* o,
               JpegLoadResult* r) {
  if (setjmp(err->jump)) return false;
  jpeg_create_decompress(c);
  c->src = &src->pub;
  jpeg_read_header(c, TRUE);
  r->fullWidth = static_cast<int>(c->image_width);
  r->fullHeight = static_cast<int>(c->image_height);
  unsigned denom = 1;
  while (denom < 8 && static_cast<std::int64_t>(c->image_width / denom / 2) >= o->minWidth &&
         static_cast<std::int64_t>(c->image_height / denom / 2) >= o->minHeight)
    denom *= 2;
  c->scale_num = 1;
  c->scale_denom = denom;
  c->dct_method = JDCT_ISLOW;
  const bool grey = c->num_components == 1;
  const bool cmyk = c->jpeg_color_space == JCS_CMYK || c->jpeg_color_space == JCS_YCCK;
  c->out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  // The picture must pass the bitmap's size check before libjpeg allocates for it.
  if (static_cast<std::int64_t>(c->image_width) * c->image_height * 3 > mapSizeLimit())
    throw LinearBitmapError(text::kInvalidBitmapSize);
  jpeg_start_decompress(c);
  bm->newImage(static_cast<int>(c->output_width), static_cast<int>(c->output_height), grey ? pf8bit : pf24bit);
  if (grey) std::memcpy(bm->palette(), grayPalette(), 768);
  // CMYK rows need four bytes per pixel: the first rows of the map serve as scratch only
  // when the row is converted before the next one lands; a separate row is simpler.
  JSAMPARRAY scratch = cmyk ? (*c->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(c), JPOOL_IMAGE,
                                                      c->output_width * 4, 1)
                            : nullptr;
  while (c->output_scanline < c->output_height) {
    const int y = static_cast<int>(c->output_scanline);
    std::uint8_t* row = bm->scanLine(y);
    JSAMPROW target = cmyk ? scratch[0] : row;
    jpeg_read_scanlines(c, &target, 1);
    const std::size_t w = c->output_width;
    if (cmyk) {
      // Adobe writes CMYK inverted: each byte is 255 - ink.
      const std::uint8_t* s = scratch[0];
      for (std::size_t x = 0; x < w; ++x, s += 4) {
        const int k = s[3];
        row[3 * x + 2] = static_cast<std::uint8_t>(s[0] * k / 255);
        row[3 * x + 1] = static_cast<std::uint8_t>(s[1] * k / 255);
        row[3 * x] = static_cast<std::uint8_t>(s[2] * k / 255);
      }
    } else if (!grey) {
      for (std::size_t x = 0; x < w; ++x) std::swap(row[3 * x], row[3 * x + 2]);
    }
  }
  jpeg_finish_decompress(c);
  return true;
}

struct EncodeJob {
  const LinearBitmap* bm;
  int quality;
  bool grey;
  std::uint8_t* row;  // width * 3 bytes
};

bool runEncode(jpeg_compress_struct* c, ErrorManager* err, Destination* dest, const EncodeJob* job) {
  if (setjmp(err->jump)) return false;
  jpeg_create_compress(c);
  c->dest = &dest->pub;
  const LinearBitmap& bm = *job->bm;
  c->image_width = static_cast<JDIMENSION>(bm.width());
  c->image_height = static_cast<JDIMENSION>(bm.height());
  c->input_components = job->grey ? 1 : 3;
  c->in_color_space = job->grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(c);
  jpeg_set_quality(c, job->quality, TRUE);
  c->dct_method = JDCT_ISLOW;
  jpeg_start_compress(c, TRUE);
  const int w = bm.width();
  const PixelFormat pf = bm.pixelFormat();
  while (c->next_scanline < c->image_height) {
    const std::uint8_t* s = bm.scanLine(static_cast<int>(c->next_scanline));
    std::uint8_t* o = job->row;
    if (job->grey) {
      for (int x = 0; x < w; ++x) {
        switch (pf) {
          case pf8bit: o[x] = bm.palette()[3 * s[x]]; break;
          case pf16bit: o[x] = s[2 * x + 1]; break;
          case pf24bit: o[x] = s[3 * x]; break;
          default: o[x] = s[4 * x]; break;
        }
      }
    } else {
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* p = pf == pf8bit ? bm.palette() + 3 * s[x] : s + static_cast<std::ptrdiff_t>(x) * bm.pixelSize();
        o[3 * x] = p[2];
        o[3 * x + 1] = p[1];
        o[3 * x + 2] = p[0];
      }
    }
    JSAMPROW r = o;
    jpeg_write_scanlines(c, &r, 1);
  }
  jpeg_finish_compress(c);
  return true;
}

// One compression into the stream; libjpeg's text or the stream's error on failure.
void encode(BaseStream& stream, const LinearBitmap& bm, int quality, bool grey) {
  jpeg_compress_struct c;
  std::memset(&c, 0, sizeof c);
  ErrorManager err;
  initErrors(err);
  c.err = &err.pub;
  Destination dest;
  dest.stream = &stream;
  dest.buffer.resize(65536);
  dest.pub.init_destination = initDestination;
  dest.pub.empty_output_buffer = emptyOutput;
  dest.pub.term_destination = termDestination;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(bm.width()) * 3 + 16);
  const EncodeJob job{&bm, quality, grey, row.data()};
  bool ok = false;
  try {
    ok = runEncode(&c, &err, &dest, &job);
  } catch (...) {
    jpeg_destroy_compress(&c);
    throw;
  }
  jpeg_destroy_compress(&c);
  if (dest.fault.error) std::rethrow_exception(dest.fault.error);
  if (!ok) throw Error(err.message);
}


bool isGrey(const LinearBitmap& bm) {
  if (bm.pixelFormat() == pf32bit) {
    const std::uint8_t* p = bm.map();
    for (std::int64_t i = 0; i < bm.size(); i += 4)
      if (p[i] != p[i + 1] || p[i] != p[i + 2]) return false;
    return true;
  }
  if (bm.pixelFormat() == pf8bit) {
    // Every entry a pixel can show is grey (the grey ramp or any other grey palette).
    const std::uint8_t* pal = bm.palette();
    for (int i = 0; i < 256; ++i)
      if (pal[3 * i] != pal[3 * i + 1] || pal[3 * i] != pal[3 * i + 2]) return false;
    return true;
  }
  return bm.isGrayScale();
}

}  // namespace

bool JPEGLoader::canLoad(const std::string& ext) { return ext == "JPG" || ext == "JPEG" || ext == "JPE"; }
bool JPEGLoader::canSave(const std::string& ext) { return ext == "JPG" || ext == "JPEG"; }
std::string JPEGLoader::getLoadFilter() {
  return "Joint Picture Expert Group (*.jpg,*.jpeg,*.jpe)|*.jpg;*.jpeg;*.jpe";
}
std::string JPEGLoader::getSaveFilter() { return "Joint Picture Expert Group (*.jpg)|*.jpg"; }

void JPEGLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) { load(stream, bitmap); }

void JPEGLoader::saveToStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) { save(stream, bitmap); }

JpegLoadResult JPEGLoader::load(BaseStream& stream, LinearBitmap& bitmap, const JpegLoadOptions& options) const {
  JpegLoadResult result;
  jpeg_decompress_struct c;
  std::memset(&c, 0, sizeof c);
  ErrorManager err;
  initErrors(err);
  c.err = &err.pub;
  Source src;
  src.stream = &stream;
  src.buffer.resize(65536);
  src.pub.init_source = initSource;
  src.pub.fill_input_buffer = fillInput;
  src.pub.skip_input_data = skipInput;
  src.pub.resync_to_restart = jpeg_resync_to_restart;
  src.pub.term_source = termSource;
  src.pub.next_input_byte = nullptr;
  src.pub.bytes_in_buffer = 0;
  bool ok = false;
  try {
    ok = runDecode(&c, &err, &src, &bitmap, &options, &result);
  } catch (...) {
    jpeg_destroy_decompress(&c);
    throw;
  }
  jpeg_destroy_decompress(&c);
  if (src.fault.error) std::rethrow_exception(src.fault.error);
  if (!ok) throw Error(err.message);
  if (!bitmap.present()) throw LinearBitmapError(text::kErrorInBitmapData);
  return result;
}

JpegSaveResult JPEGLoader::save(BaseStream& stream, const LinearBitmap& bitmap, const JpegSaveOptions& options) const {
  const PixelFormat pf = bitmap.pixelFormat();
  if (pf != pf8bit && pf != pf16bit && pf != pf24bit && pf != pf32bit)
    throw LinearBitmapError(text::kUnsupportedPixelFormat);
  const bool grey = isGrey(bitmap);
  JpegSaveResult result{options.quality};
  if (options.targetSize < 1) {
    encode(stream, bitmap, options.quality >= 1 ? options.quality : kDefaultJpegQuality, grey);
    return result;
  }
  if (result.quality < 1) result.quality = kDefaultJpegQuality;
  int low = 1, high = result.quality + 1, q = result.quality;
  std::vector<std::uint8_t> bytes;
  for (;;) {
    bytes.clear();
    VectorSink sink(bytes);
    encode(sink, bitmap, q, grey);
    const std::int64_t size = static_cast<std::int64_t>(bytes.size());
    if (size <= options.targetSize) {
      if (size == options.targetSize || q >= 100 || high == q + 1) break;
      low = q;
    } else {
      high = q;
      if (high < 2) break;
    }
    q = (low + high) / 2;
  }
  stream.write(bytes.data(), bytes.size());
  return result;
}

JPEGLoader& jpegLoader() {
  static JPEGLoader loader;
  return loader;
}

}  // namespace imagefile
