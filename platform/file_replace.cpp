#include "platform/file_replace.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

QString reasonOf(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// ".<name>.XXXXXX" beside the target: hidden, and without the picture's extension, so that
// nothing takes it for a picture.
QByteArray hiddenName(const QByteArray& folder, const QByteArray& base) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  QByteArray name = folder + "/." + base + ".";
  for (int i = 0; i < 6; ++i) name += letters[QRandomGenerator::global()->bounded(62)];
  return name;
}

// Tries `take` on hidden names until one is not taken yet; the name it took, or empty with
// errno set.
QByteArray takeHiddenName(const QByteArray& folder, const QByteArray& base,
                          const std::function<bool(const QByteArray&)>& take) {
  for (int i = 0; i < 100; ++i) {
    const QByteArray candidate = hiddenName(folder, base);
    if (take(candidate)) return candidate;
    if (errno != EEXIST) return {};
  }
  return {};
}

// Links the unnamed file under `name`; false with errno when that fails.
bool linkUnnamed(int fd, const QByteArray& name) {
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
  if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno != ENOENT) return false;
  // Without /proc; this form needs more rights.
  return ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0;
}

struct Temporary {
  int fd = -1;
  QByteArray name;  // only the stand-in has a name before the end
  ~Temporary() {
    if (fd >= 0) ::close(fd);
    if (!name.isEmpty()) ::unlink(name.constData());
  }
};

}  // namespace

ReplaceResult replaceFileVia(const QString& name, const std::function<void(int descriptor)>& write) {
  const QFileInfo target(name);
  const QByteArray folder = QFile::encodeName(target.absolutePath());
  const QByteArray base = QFile::encodeName(target.fileName());
  const QByteArray to = QFile::encodeName(target.absoluteFilePath());
  // A new file is made as any file the user creates: with 0666, from which the kernel takes
  // what the process's umask or the folder's default ACL takes away. It does so for an
  // unnamed file too, whose mode is given the same way. A replaced file keeps the old one's
  // mode; its temporary file is the owner's alone until it gets that mode.
  struct stat old {};
  const bool replaces = ::stat(to.constData(), &old) == 0;
  const mode_t createMode = replaces ? 0600 : 0666;

  Temporary temp;
  if (!replaceFileWithoutUnnamedFile)
    temp.fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, createMode);
  if (temp.fd < 0) {
    // EISDIR: a kernel without unnamed files; EOPNOTSUPP: a file system without them.
    if (!replaceFileWithoutUnnamedFile && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
      return {false, true, reasonOf(errno)};
    temp.name = takeHiddenName(folder, base, [&temp, createMode](const QByteArray& candidate) {
      temp.fd = ::open(candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
      return temp.fd >= 0;
    });
    if (temp.fd < 0) return {false, true, reasonOf(errno)};
  }
  if (replaces && ::fchmod(temp.fd, old.st_mode & 07777) != 0) return {false, true, reasonOf(errno)};

  write(temp.fd);

  // A full disk may show only now, when the written pages go out.
  if (::fsync(temp.fd) != 0 && errno != EINVAL) return {false, false, reasonOf(errno)};
  if (temp.name.isEmpty()) {
    // A new file takes its name at once; an existing one is replaced by rename(), so a reader
    // never sees half a file. Between the link and the rename the finished file has a
    // hidden name.
    if (linkUnnamed(temp.fd, to)) return {};
    if (errno != EEXIST) return {false, false, reasonOf(errno)};
    temp.name = takeHiddenName(folder, base,
                               [&temp](const QByteArray& candidate) { return linkUnnamed(temp.fd, candidate); });
    if (temp.name.isEmpty()) return {false, false, reasonOf(errno)};
  }
  const int fd = temp.fd;
  temp.fd = -1;
  // After fsync a failing close has nothing left to tell on a local disk; checked anyway.
  if (::close(fd) != 0 && errno != EINTR) return {false, false, reasonOf(errno)};
  if (std::rename(temp.name.constData(), to.constData()) != 0) return {false, false, reasonOf(errno)};
  temp.name.clear();
  return {};
}
