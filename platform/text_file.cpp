#include "platform/text_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "core/tabelle.h"

namespace {

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

// The same rule as readTextLines.
bool isValidUtf8(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(bytes);  // the decoder works only when converted
  return !utf8.hasError();
}

// A write that stops part of the way (the disk fills up during it) comes back from
// QFileDevice as a short count without an error, which reads "Unknown error"; writing the
// rest again makes the system say why.
bool writeAll(QFileDevice& file, const QByteArray& bytes, QString* error) {
  const char* p = bytes.constData();
  qint64 rest = bytes.size();
  while (rest > 0) {
    errno = 0;
    const qint64 n = file.write(p, rest);
    if (n <= 0) {
      const int grund = errno;
      setError(error, file.error() != QFileDevice::NoError || grund == 0
                          ? file.errorString()
                          : QString::fromLocal8Bit(std::strerror(grund)));
      return false;
    }
    p += n;
    rest -= n;
  }
  if (file.error() != QFileDevice::NoError) {
    setError(error, file.errorString());
    return false;
  }
  return true;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  // Unbuffered: a buffered tail is written during commit(), and a failure there (disk
  // full) would still put the cut-off file in place of the old one.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    // For a file it may not replace, QSaveFile says only that it "is not writable"; the
    // system tells why (a read-only disk, no permission).
    const bool verweigert = ::access(QFile::encodeName(path).constData(), W_OK) != 0 && errno != ENOENT;
    setError(error, verweigert ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString());
    return false;
  }
  if (!writeAll(file, bytes, error)) {
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
    d[i] = QChar((b >= 0x80 && b <= 0x9F) ? kolvex::kCp1252Hoch[b - 0x80] : char16_t(b));
  }
  return out;
}

QString saveFailedText(const QString& path, const QString& reason) {
  return QStringLiteral("Datei ") + path + QStringLiteral(" konnte nicht gespeichert werden.\r") + reason;
}

QString readFailedText(const QString& path, const QString& reason) {
  return QStringLiteral("Datei ") + path + QStringLiteral(" kann nicht gelesen werden.\r") + reason;
}

void piSignFromFile(QString& text) { text.replace(QChar(0x00B6), QChar(0x03C0)); }

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
  QString text = decodeText(bytes);
  piSignFromFile(text);
  lines = splitLines(text);
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

namespace {

// Windows-1252 bytes of a text for an old file; "π" is the byte B6 there, as the old
// program wrote it, and a character the code page lacks becomes "?".
QByteArray encodeWindows1252(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  for (QChar c : text) {
    const char16_t u = c.unicode();
    char b = '?';
    if (u == 0x03C0) {
      b = '\xB6';
    } else if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      b = static_cast<char>(u);
    } else {
      for (int i = 0; i < 32; ++i)
        if (kolvex::kCp1252Hoch[i] == u) b = static_cast<char>(0x80 + i);
    }
    out.append(b);
  }
  return out;
}

// What an append needs to know about a file, from one pass over its bytes in pieces (a
// results log may be large): whether it reads as UTF-8, whether it ends in a line break,
// and its last line as readTextLines would give it.
struct FileEnd {
  qint64 size = 0;
  bool utf8 = true;
  bool endsWithBreak = false;
  QString lastLine;
  bool hasLines = false;
  QByteArray lastBytes;  // the file's last kLastBytes bytes (all of a shorter file)
};

constexpr qsizetype kLastBytes = 256;

// Where the bytes from the start of the last line on begin (the line before a final break),
// looking at the bytes from index `from` on only (those before hold no earlier break).
qsizetype lastLineStart(const QByteArray& bytes, qsizetype from) {
  qsizetype e = bytes.size();
  if (bytes.endsWith("\r\n")) e -= 2;
  else if (bytes.endsWith('\n') || bytes.endsWith('\r')) e -= 1;
  for (qsizetype i = e - 1; i >= std::max<qsizetype>(from, 0); --i)
    if (bytes[i] == '\n' || bytes[i] == '\r') return i + 1;
  return 0;
}

// The bytes at the end of a piece that may begin a UTF-8 sequence the next piece completes.
qsizetype openSequence(const QByteArray& bytes) {
  qsizetype i = bytes.size();
  int continuation = 0;
  while (i > 0 && continuation < 3 && (static_cast<unsigned char>(bytes[i - 1]) & 0xC0) == 0x80) {
    --i;
    ++continuation;
  }
  if (i > 0 && static_cast<unsigned char>(bytes[i - 1]) >= 0xC0) return bytes.size() - (i - 1);
  return 0;
}

// The last line of `tail`, bytes in the file's encoding from the start of its last line on.
void setLastLine(FileEnd& end, const QByteArray& tail) {
  const QStringList lines = splitLines(end.utf8 ? QString::fromUtf8(tail) : decodeWindows1252(tail));
  end.hasLines = !lines.isEmpty();
  if (end.hasLines) {
    end.lastLine = lines.last();
    piSignFromFile(end.lastLine);
  }
}

int scans = 0;

bool scanFileEnd(const QString& path, FileEnd& end, QString* error) {
  ++scans;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    setError(error, file.errorString());
    return false;
  }
  QByteArray tail;   // the bytes from the start of the last line on
  QByteArray carry;  // an unfinished UTF-8 sequence at the end of the last piece
  constexpr qint64 kPiece = 1 << 20;
  bool first = true;
  for (;;) {
    QByteArray piece = file.read(kPiece);
    if (file.error() != QFileDevice::NoError) {
      setError(error, file.errorString());
      return false;
    }
    if (piece.isEmpty()) break;
    end.size += piece.size();
    end.lastBytes = (end.lastBytes + piece).right(kLastBytes);
    end.endsWithBreak = piece.endsWith('\n') || piece.endsWith('\r');
    // Only the new bytes (and a break just before them) can start a later line.
    const qsizetype bisher = tail.size();
    tail.append(piece);
    tail.remove(0, lastLineStart(tail, bisher - 1));
    if (!end.utf8) continue;
    if (first && piece.startsWith("\xEF\xBB\xBF")) piece.remove(0, 3);
    first = false;
    piece.prepend(carry);
    carry = piece.right(openSequence(piece));
    piece.chop(carry.size());
    if (!isValidUtf8(piece)) end.utf8 = false;
  }
  if (end.utf8 && !carry.isEmpty() && !isValidUtf8(carry)) end.utf8 = false;
  setLastLine(end, tail);
  return true;
}

bool appendBytes(const QString& path, qint64 oldSize, const QByteArray& bytes, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
    setError(error, file.errorString());
    return false;
  }
  if (!writeAll(file, bytes, error)) {
    // A line cut off by a full disk would join the next one; the bytes that were in the
    // file stay as they were.
    file.resize(oldSize);
    return false;
  }
  return true;
}

// What identifies one state of a file's bytes: any write changes the size or the change
// time (which no program can set back), a replaced file has another inode.
struct FileState {
  dev_t device = 0;
  ino_t inode = 0;
  qint64 size = -1;
  timespec modified{};
  timespec changed{};
  bool operator==(const FileState& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

// False when there is no such file (or it cannot be looked at: the append reports why).
bool stateOf(const QString& path, FileState& state) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
  state = {st.st_dev, st.st_ino, static_cast<qint64>(st.st_size), st.st_mtim, st.st_ctim};
  return true;
}

// Whether the file's bytes just before `size` are `expected`.
bool endBytesAre(const QString& path, qint64 size, const QByteArray& expected) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  QByteArray bytes(expected.size(), Qt::Uninitialized);
  const ssize_t n = ::pread(fd, bytes.data(), static_cast<size_t>(bytes.size()), size - expected.size());
  ::close(fd);
  return n == expected.size() && bytes == expected;
}

// The end of each file appended to, for the state the file had after the last append: a
// results log of many megabytes is read once, not once per line. A file changed since (by
// anyone) is read again. Appends run on the user-interface thread only.
class KnownEnds {
 public:
  bool find(const QString& path, const FileState& state, FileEnd& end) const {
    const auto it = ends_.find(path);
    if (it == ends_.end() || !(it->second.first == state)) return false;
    end = it->second.second;
    // File times move in steps of a clock tick: a rewrite of the same size right after an
    // append may keep them. Its last bytes tell it then.
    return endBytesAre(path, end.size, end.lastBytes);
  }
  void remember(const QString& path, const FileState& state, const FileEnd& end) {
    if (ends_.size() >= 16 && !ends_.count(path)) ends_.clear();
    ends_[path] = {state, end};
  }
  void forget(const QString& path) { ends_.erase(path); }

 private:
  std::unordered_map<QString, std::pair<FileState, FileEnd>> ends_;
};

KnownEnds& knownEnds() {
  static KnownEnds ends;
  return ends;
}

// The file's end after `line` went in as `bytes` (the line and its break, perhaps a break
// before them): the last line as readTextLines would give it back.
FileEnd endAfter(const FileEnd& before, const QByteArray& bytes) {
  FileEnd after;
  after.size = before.size + bytes.size();
  after.utf8 = before.utf8;  // a line in the file's own encoding keeps it what it was
  after.endsWithBreak = true;
  after.lastBytes = (before.lastBytes + bytes).right(kLastBytes);
  setLastLine(after, bytes);
  return after;
}

bool appendLine(const QString& path, const QString& line, bool unlessLast, bool* appended,
                QString* error) {
  if (appended) *appended = false;
  FileEnd end;
  FileState state;
  const bool exists = stateOf(path, state);
  if (exists && !knownEnds().find(path, state, end)) {
    if (!scanFileEnd(path, end, error)) {
      knownEnds().forget(path);
      return false;
    }
    // Read after the state was taken: a change in between shows as another state next time.
    knownEnds().remember(path, state, end);
  }
  if (unlessLast && end.hasLines && end.lastLine == line) return true;
  QByteArray bytes;
  // A file that does not end in a line break gets one first, so the line stands alone.
  if (end.size > 0 && !end.endsWithBreak) bytes.append('\n');
  bytes.append(end.utf8 ? line.toUtf8() : encodeWindows1252(line));
  bytes.append('\n');
  if (!appendBytes(path, end.size, bytes, error)) {
    knownEnds().forget(path);
    return false;
  }
  // Only when nobody else wrote meanwhile is the new end known without reading.
  FileState now;
  if (stateOf(path, now) && now.size == end.size + bytes.size() && (!exists || now.inode == state.inode))
    knownEnds().remember(path, now, endAfter(end, bytes));
  else
    knownEnds().forget(path);
  if (appended) *appended = true;
  return true;
}

}  // namespace

int appendFileScans() { return scans; }

bool appendTextLine(const QString& path, const QString& line, QString* error) {
  return appendLine(path, line, false, nullptr, error);
}

bool appendTextLineUnlessLast(const QString& path, const QString& line, bool* appended,
                              QString* error) {
  return appendLine(path, line, true, appended, error);
}
