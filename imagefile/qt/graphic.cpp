#include "imagefile/qt/graphic.h"

#include <QFile>
#include <algorithm>
#include <utility>
#include <vector>

#include "imagefile/errors.h"

namespace imagefile {

namespace {

struct Entry {
  QString ext;  // upper-cased, no dot
  QString description;
  GraphicFactory factory;
};

std::vector<Entry>& registry() {
  static std::vector<Entry> entries;
  return entries;
}

QString normalise(const QString& ext) {
  QString e = ext.startsWith(QLatin1Char('.')) ? ext.mid(1) : ext;
  return e.toUpper();
}

const Entry* find(const QString& ext) {
  const QString key = normalise(ext);
  auto& entries = registry();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (it->ext == key) return &*it;
  return nullptr;
}

[[noreturn]] void throwFileError(const char* pattern, const QString& name, const QFile& file) {
  throw InOutError(formatText(pattern, {name.toStdString(), file.errorString().toStdString()}));
}

}  // namespace

Graphic::Graphic() = default;
Graphic::~Graphic() = default;

void Graphic::loadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throwFileError(text::kErrorOpening, fileName, file);
  loadFromStream(file);
}

void Graphic::saveToFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throwFileError(text::kErrorOpening, fileName, file);
  saveToStream(file);
  // A full disk shows only when the buffered rest is written.
  if (!file.flush()) throwFileError(text::kErrorClosing, fileName, file);
  file.close();
  if (file.error() != QFileDevice::NoError) throwFileError(text::kErrorClosing, fileName, file);
}

void Graphic::setOnChange(std::function<void(Graphic&)> handler) { onChange_ = std::move(handler); }

void Graphic::changed() {
  if (onChange_) onChange_(*this);
}

void registerFileFormat(const QString& ext, const QString& description, GraphicFactory factory) {
  registry().push_back(Entry{normalise(ext), description, std::move(factory)});
}

void unregisterFileFormat(const QString& ext) {
  const QString key = normalise(ext);
  auto& entries = registry();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->ext == key) {
      entries.erase(std::next(it).base());
      return;
    }
  }
}

QString fileExtension(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  const qsizetype sep =
      std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
  if (dot < 0 || dot < sep) return QString();
  return fileName.mid(dot + 1).toUpper();
}

bool isFileFormatRegistered(const QString& ext) { return find(ext) != nullptr; }

QString fileFormatDescription(const QString& ext) {
  const Entry* e = find(ext);
  return e ? e->description : QString();
}

QStringList registeredFileFormats() {
  QStringList out;
  for (const Entry& e : registry())
    if (!out.contains(e.ext)) out << e.ext;
  return out;
}

std::unique_ptr<Graphic> createGraphicFor(const QString& fileName) {
  const QString ext = fileExtension(fileName);
  const Entry* e = find(ext);
  if (!e) throw UnsupportedFileFormat::forExtension(ext.toStdString());
  return e->factory();
}

}  // namespace imagefile
