#include "platform/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five undefined bytes keep their
// C1 code point so that no byte is lost.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

void setError(QString* error, const QString& text) {
  if (error) *error = text;
}

QStringList splitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text.at(i);
    if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
      lines.append(text.mid(start, i - start));
      if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
      start = i + 1;
    }
  }
  if (start < n) lines.append(text.mid(start));
  return lines;
}

bool isValidUtf8(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(bytes);  // the decoder works only when converted
  return !utf8.hasError();
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  // Unbuffered: a buffered tail is written during commit(), and a failure there (disk
  // full) would still put the cut-off file in place of the old one.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    setError(error, file.errorString());
    return false;
  }
  if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
    setError(error, file.errorString());
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    setError(error, file.errorString());
    return false;
  }
  return true;
}

bool readAll(const QString& path, QByteArray& bytes, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    setError(error, file.errorString());
    return false;
  }
  bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    setError(error, file.errorString());
    return false;
  }
  return true;
}

}  // namespace

QString decodeWindows1252(const QByteArray& bytes) {
  QString out;
  out.resize(bytes.size());
  QChar* d = out.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    d[i] = QChar((b >= 0x80 && b <= 0x9F) ? kCp1252High[b - 0x80] : char16_t(b));
  }
  return out;
}

QString decodeText(const QByteArray& bytes) {
  QByteArray body = bytes;
  if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(body);
  if (!utf8.hasError()) return text;
  return decodeWindows1252(bytes);
}

bool readTextLines(const QString& path, QStringList& lines, QString* error) {
  QByteArray bytes;
  if (!readAll(path, bytes, error)) return false;
  lines = splitLines(decodeText(bytes));
  return true;
}

bool writeTextLines(const QString& path, const QStringList& lines, QString* error) {
  QByteArray bytes;
  for (const QString& line : lines) {
    bytes.append(line.toUtf8());
    bytes.append('\n');
  }
  return writeAtomically(path, bytes, error);
}

bool writeUtf8Text(const QString& path, const QByteArray& utf8, QString* error) {
  return writeAtomically(path, utf8, error);
}

bool appendTextLine(const QString& path, const QString& line, QString* error) {
  QByteArray bytes;
  if (QFileInfo::exists(path) && !readAll(path, bytes, error)) return false;
  // An old Windows-1252 file becomes UTF-8 as a whole; appending UTF-8 bytes to it would
  // leave a file that is neither.
  if (!isValidUtf8(bytes)) bytes = decodeWindows1252(bytes).toUtf8();
  if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r')) bytes.append('\n');
  bytes.append(line.toUtf8());
  bytes.append('\n');
  return writeAtomically(path, bytes, error);
}
