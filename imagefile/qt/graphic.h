#pragma once
// The picture container: a picture class per file extension, so that the viewer and the
// export open any registered format by name. The raster library registers its formats here
// (registerFormats in image_io.h), the GIF codec its own; no Qt image plug-ins are asked.
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QIODevice;
class QPainter;

namespace imagefile {

// A picture of one format. Loading and saving go through a Qt device; the file routines open
// the file and call them.
class Graphic {
 public:
  Graphic();
  Graphic(const Graphic&) = delete;
  Graphic& operator=(const Graphic&) = delete;
  virtual ~Graphic();

  virtual void loadFromStream(QIODevice& device) = 0;
  virtual void saveToStream(QIODevice& device) = 0;
  // Open the file (read / create anew) and call the stream operation; file faults raise
  // InOutError with the system's text.
  virtual void loadFromFile(const QString& fileName);
  virtual void saveToFile(const QString& fileName);

  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual bool empty() const = 0;
  // Paints the picture stretched into rect.
  virtual void draw(QPainter& painter, const QRect& rect) = 0;
  // A copy of the picture's current look (for an animation, its current frame).
  virtual QImage toImage() const = 0;

  // Called whenever the picture's look changes on its own (an animation's next frame) or is
  // loaded anew; one handler, replaced by the next call.
  void setOnChange(std::function<void(Graphic&)> handler);

 protected:
  void changed();

 private:
  std::function<void(Graphic&)> onChange_;
};

using GraphicFactory = std::function<std::unique_ptr<Graphic>()>;

// Registers a picture class for an extension (with or without the dot, any case). A later
// registration for the same extension takes its place.
void registerFileFormat(const QString& ext, const QString& description, GraphicFactory factory);
// Removes the newest registration of the extension; the one before it (if any) serves again.
void unregisterFileFormat(const QString& ext);

// Upper-cased extension of a file name without the dot: the text after the last "." when
// that comes after the last "/" and "\" (empty otherwise).
QString fileExtension(const QString& fileName);

// Is a picture class registered for the extension (with or without the dot, any case)?
bool isFileFormatRegistered(const QString& ext);
// Description of the extension's picture class, empty when none.
QString fileFormatDescription(const QString& ext);
// Every registered extension, upper-cased, in registration order (each once).
QStringList registeredFileFormats();

// A new, empty picture of the class registered for the file name's extension; none raises
// UnsupportedFileFormat "Unsupported file format: EXT".
std::unique_ptr<Graphic> createGraphicFor(const QString& fileName);

}  // namespace imagefile
