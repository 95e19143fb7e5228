#pragma once
// The GIF picture of the picture container: a GIF file in memory that loads and saves itself,
// draws (animated through painters, gif_painter.h), is assigned to and from images and other
// pictures, goes to and from the clipboard, and is optimised.
#include <QColor>
#include <QImage>
#include <QObject>
#include <QVector>

#include <concepts>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/qt/gif_painter.h"
#include "imagefile/qt/graphic.h"

class QMimeData;

namespace gif {

enum DrawOption : int {
  drawThreaded = 0x0001,
  drawTransparent = 0x0002,
  drawAnimate = 0x0004,
  drawLoop = 0x0008,
  drawLoopEndless = 0x0010,
  drawCheckCanvas = 0x0020,
  drawDirect = 0x0040,
  drawClearOnLoop = 0x0080,
  drawTile = 0x0100,
  drawDither = 0x0200,
  drawDitherOnPaletteDisplay = 0x0400,
};
inline constexpr int kDefaultDrawOptions = 0x060F;

// Build each frame's image while loading.
extern std::atomic<bool> GIFRenderOnLoad;
// Optimise before the picture is stored as form data. Nothing stores pictures as form data
// in this program; kept for the option's sake.
extern std::atomic<bool> GIFOptimizeOnStore;
// The screen shows at most 256 colours (depth below 9); set by registerFormats().
extern std::atomic<bool> GIFPaletteDisplay;

inline constexpr const char* kGifMimeType = "image/gif";

class GifImage : public imagefile::Graphic {
 public:
  using WarningHandler = std::function<void(GifImage& sender, int severity, const std::string& message)>;
  using ProgressHandler = std::function<void(GifImage& sender, ProgressStage stage, int percent, const std::string& text)>;

  GifImage();
  ~GifImage() override;

  // The file model: header, global table, frames.
  GifFile& file() { return file_; }
  const GifFile& file() const { return file_; }

  void loadFromStream(QIODevice& device) override;
  void saveToStream(QIODevice& device) override;
  int width() const override { return file_.width(); }
  int height() const override { return file_.height(); }
  bool empty() const override { return file_.images().count() == 0; }
  void draw(QPainter& painter, const QRect& rect) override;
  // The cached bitmap: the first frame on white where it does not cover the picture, or the
  // running animation's current composite.
  QImage toImage() const override;
  bool equals(const GifImage& other) const { return this == &other; }

  // Every frame must fit: "Image width too small for contained frames" / "... height ...".
  void setWidth(int w);
  void setHeight(int h);
  // The palette the picture is shown with ("No global or local color table defined" when
  // asked again while it is being worked out); empty when there is none.
  QVector<QRgb> palette();
  void setPalette(const QVector<QRgb>& palette);

  void clear();
  // Index of the new frame. An image or any picture of the container is assigned to a new
  // frame; a frame is taken over as it is.
  int add(const QImage& image);
  int add(const imagefile::Graphic& graphic);
  int add(std::unique_ptr<GifSubImage> frame);
  template <class T>
    requires(!std::is_base_of_v<imagefile::Graphic, T> && !std::is_convertible_v<const T&, QImage>)
  int add(const T&) {
    raiseError("Object type not supported for operation");
  }

  void assign(const GifImage& source);
  void assign(const imagefile::Graphic& source);
  void assign(const QImage& source);
  // Assigning nothing empties the picture.
  void assign(std::nullptr_t) { clear(); }

  // Options as optimizeFile (gif/optimize.h); stops the painters first.
  void optimize(int options, int reductionMethod, int ditherMode, int reductionBits);

  // GIF bytes under "image/gif" plus the first frame as image data; null for an empty picture.
  std::unique_ptr<QMimeData> toMimeData();
  // "image/gif" is loaded, image data assigned; anything else is "Format der Zwischenablage
  // wird nicht unterstützt".
  void loadFromMimeData(const QMimeData& data);
  void copyToClipboard();
  void pasteFromClipboard();

  int version() const { return file_.version(); }
  int bitsPerPixel() const { return file_.bitsPerPixel(); }
  int colorResolution() const;
  ColorValue backgroundColor() const { return file_.header().backgroundColor(); }

  // Ask the last painter, or all, to stop and wait until they have ended.
  void stopDraw();
  void stopDrawAll();
  // Painters still running (for the viewer and the tests).
  int runningPainters() const;
  std::shared_ptr<GifPainter> lastPainter() const;

  // Settings.
  int drawOptions = kDefaultDrawOptions;
  int colorReduction = 6;
  int reductionBits = 8;
  int ditherMode = 0;
  int compression = 0;
  int threadPriority = 3;
  int animationSpeed = 100;
  int forceFrame = -1;
  std::optional<QColor> drawBackgroundColor;  // empty: "none"
  std::shared_ptr<PainterClock> painterClock = PainterClock::steady();

  WarningHandler onWarning;
  ProgressHandler onProgress;
  GifPainter::Events painterEvents;

  virtual void warning(int severity, const std::string& message);

 private:
  friend class GifPainter;
  void dropBitmap();
  void notifyChanged();
  void progress(ProgressStage stage, int percent, const std::string& text);
  bool ditherToWeb() const;
  QImage buildBitmap() const;
  std::shared_ptr<GifPainter> startPainter(QWidget* target, const QRect& rect, QPainter& painter);
  void stopPainters(bool all);
  void changedFrames();

  GifFile file_;
  mutable std::mutex bitmapMutex_;
  mutable QImage bitmap_;
  mutable bool bitmapValid_ = false;
  std::optional<QVector<QRgb>> palette_;
  bool drawing_ = false;
  bool inPalette_ = false;
  int blockPainters_ = 0;

  mutable std::recursive_mutex painterMutex_;
  std::vector<std::shared_ptr<GifPainter>> painters_;
  std::shared_ptr<GifPainter> lastPainter_;
  // Lives in the GUI thread: painters post the picture's change notification to it.
  std::unique_ptr<QObject> notifier_;
};

// Registers "GIF" ("GIF Image") with the picture container and sets GIFPaletteDisplay from
// the screen; called from main() once the application exists.
void registerFormats();

}  // namespace gif
