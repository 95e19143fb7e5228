// Replacing a file through a temporary one: what the folder holds after a finished write, a
// failed one, a full disk and a writer killed in the middle.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <stdexcept>

#include "platform/file_replace.h"

// Every umask() of this program comes here (the program's definition wins over the C
// library's), so a test can tell whether anything changed the process's mask.
namespace {
int umaskCalls = 0;
}
extern "C" mode_t umask(mode_t mask) noexcept {
  ++umaskCalls;
  return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace {

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// Every entry of the folder, hidden ones included.
QStringList entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void writeAll(int fd, const QByteArray& bytes) {
  ASSERT_EQ(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
}

class FileReplace : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { replaceFileWithoutUnnamedFile = GetParam(); }
  void TearDown() override { replaceFileWithoutUnnamedFile = false; }
  QTemporaryDir dir;
};

}  // namespace

TEST_P(FileReplace, FinishedWriteReplacesAndFailedOneKeepsTheOldFile) {
  const QString f = dir.filePath("bild.png");
  // A new file, then a replaced one with the old one's permissions.
  ASSERT_TRUE(replaceFileVia(f, [](int fd) { writeAll(fd, "eins"); }).ok);
  EXPECT_EQ(readBytes(f), QByteArray("eins"));
  ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), 0640), 0);
  ASSERT_TRUE(replaceFileVia(f, [](int fd) { writeAll(fd, "zwei"); }).ok);
  EXPECT_EQ(readBytes(f), QByteArray("zwei"));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // The writer fails part of the way: its exception passes, the old file stays.
  EXPECT_THROW(replaceFileVia(f,
                              [](int fd) {
                                writeAll(fd, "halb");
                                throw std::runtime_error("kaputt");
                              }),
               std::runtime_error);
  EXPECT_EQ(readBytes(f), QByteArray("zwei"));

  // A folder in the way and a folder that does not exist: the system's reason.
  ASSERT_TRUE(QDir(dir.path()).mkdir("ordner.bmp"));
  ReplaceResult r = replaceFileVia(dir.filePath("ordner.bmp"), [](int fd) { writeAll(fd, "x"); });
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.temporaryFailed);
  EXPECT_EQ(r.reason, QString::fromLocal8Bit(std::strerror(EISDIR)));
  r = replaceFileVia(dir.filePath("fehlt/bild.png"), [](int fd) { writeAll(fd, "x"); });
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.temporaryFailed);
  EXPECT_EQ(r.reason, QString::fromLocal8Bit(std::strerror(ENOENT)));
  EXPECT_EQ(entries(dir.path()), (QStringList{"bild.png", "ordner.bmp"}));
}

// The mask holds for every thread of the process: changing it, even for a moment, would give
// files that a painter thread or Qt creates meanwhile the wrong mode. A new file still gets
// the mode the mask gives a new file, a replaced one the old file's mode.
TEST_P(FileReplace, ModesComeFromTheMaskAndTheOldFileWithoutChangingTheMask) {
  const mode_t before = static_cast<mode_t>(::syscall(SYS_umask, 027));
  const QString f = dir.filePath("neu.gif");
  umaskCalls = 0;
  ASSERT_TRUE(replaceFileVia(f, [](int fd) { writeAll(fd, "neu"); }).ok);
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), 0604), 0);
  ASSERT_TRUE(replaceFileVia(f, [](int fd) { writeAll(fd, "ersetzt"); }).ok);
  ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);

  static_cast<void>(::syscall(SYS_umask, 077));
  const QString g = dir.filePath("privat.gif");
  ASSERT_TRUE(replaceFileVia(g, [](int fd) { writeAll(fd, "p"); }).ok);
  ASSERT_EQ(::stat(QFile::encodeName(g).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(umaskCalls, 0);
  EXPECT_EQ(static_cast<mode_t>(::syscall(SYS_umask, before)), 077u);
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrHidden, FileReplace, ::testing::Bool());

TEST(FileReplaceKill, KilledWriterLeavesTheOldFileAndNothingElse) {
  QTemporaryDir dir;
  const QString f = dir.filePath("gross.bmp");
  writeBytes(f, "alter Inhalt");
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  const pid_t kind = ::fork();
  ASSERT_GE(kind, 0);
  if (kind == 0) {
    ::close(pipe[0]);
    replaceFileVia(f, [&](int fd) {
      const QByteArray megabyte(1 << 20, 'x');
      for (int i = 0; i < 8; ++i)
        if (::write(fd, megabyte.constData(), static_cast<size_t>(megabyte.size())) != megabyte.size()) ::_exit(2);
      // Half way: tell the parent, and wait for the end.
      if (::write(pipe[1], "h", 1) != 1) ::_exit(3);
      for (;;) ::pause();
    });
    ::_exit(1);
  }
  ::close(pipe[1]);
  char c = 0;
  ASSERT_EQ(::read(pipe[0], &c, 1), 1);
  ::close(pipe[0]);
  ASSERT_EQ(::kill(kind, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(kind, &status, 0), kind);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(entries(dir.path()), QStringList{"gross.bmp"});
  EXPECT_EQ(readBytes(f), QByteArray("alter Inhalt"));
}
