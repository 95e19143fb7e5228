// Replacing a file through a temporary one: what the folder holds after a finished write, a
// failed one, a full disk and a writer killed in the middle.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

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

// New files under the masks 022 and 077 get what the mask leaves of 0666, a replaced file keeps
// its own mode under either; and nothing changes the process's mask meanwhile (it holds for
// every thread: a painter thread or Qt would create files with the wrong mode). Empty when
// so, else what differed. The mask is put back as it was.
std::string modesUnderMasks(const QString& folder) {
  std::string faults;
  const auto fault = [&faults](const std::string& what, mode_t mode) {
    char octal[16];
    std::snprintf(octal, sizeof octal, "%o", static_cast<unsigned>(mode));
    faults += what + ": " + octal + "\n";
  };
  const mode_t before = static_cast<mode_t>(::syscall(SYS_umask, 022));
  for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
    static_cast<void>(::syscall(SYS_umask, mask));
    const QString f = folder + "/neu" + QString::number(mask, 8) + ".gif";
    const std::string name = f.toStdString();
    struct stat st {};
    if (!replaceFileVia(f, [](int fd) { writeAll(fd, "neu"); }).ok || ::stat(name.c_str(), &st) != 0)
      fault(name + " not written", 0);
    else if ((st.st_mode & 07777) != (0666 & ~mask))
      fault(name + " new", st.st_mode & 07777);
    ::chmod(name.c_str(), 0604);
    if (!replaceFileVia(f, [](int fd) { writeAll(fd, "ersetzt"); }).ok || ::stat(name.c_str(), &st) != 0)
      fault(name + " not replaced", 0);
    else if ((st.st_mode & 07777) != 0604)
      fault(name + " replaced", st.st_mode & 07777);
    const mode_t still = static_cast<mode_t>(::syscall(SYS_umask, mask));
    if (still != mask) fault("mask changed", still);
  }
  static_cast<void>(::syscall(SYS_umask, before));
  return faults;
}

// Shows this process a /proc/self/status without a "Umask:" line, as a kernel before 4.7 or
// another /proc gives it, in a user and mount namespace of its own. False where the system
// allows no such namespace. Only for a child process: a user namespace needs a process of
// one thread.
bool hideUmaskLine(const QString& folder) {
  const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
  if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
  const auto put = [](const char* file, const std::string& text) {
    const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) ::close(fd);
    return ok;
  };
  if (!put("/proc/self/uid_map", uid + " " + uid + " 1") || !put("/proc/self/setgroups", "deny") ||
      !put("/proc/self/gid_map", gid + " " + gid + " 1"))
    return false;
  const QString status = folder + "/status";
  writeBytes(status, "Name:\tkolvex\nState:\tR (running)\n");
  const std::string self = "/proc/" + std::to_string(::getpid()) + "/status";
  if (::mount(QFile::encodeName(status).constData(), self.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
  return !readBytes("/proc/self/status").contains("Umask:");
}

// Forks: the child runs `child` with the writing end of a pipe and exits with what it returns;
// the parent gets the child's id and the reading end (an id of -1 when either failed).
std::pair<pid_t, int> startChild(const std::function<int(int writeEnd)>& child) {
  int ends[2];
  if (::pipe(ends) != 0) return {-1, -1};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ends[0]);
    ::_exit(child(ends[1]));
  }
  ::close(ends[1]);
  return {pid, ends[0]};
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

TEST_P(FileReplace, NewFilesTakeTheMaskAndReplacedOnesTheirModeWithoutChangingTheMask) {
  umaskCalls = 0;
  EXPECT_EQ(modesUnderMasks(dir.path()), "");
  EXPECT_EQ(umaskCalls, 0);
}

// Where the process cannot read its mask, the kernel still applies it to the new file.
TEST_P(FileReplace, NewFilesTakeTheMaskAlsoWhereProcDoesNotTellIt) {
  const auto [kind, readEnd] = startChild([this](int writeEnd) {
    const std::string answer = hideUmaskLine(dir.path()) ? "=" + modesUnderMasks(dir.path()) : "-";
    return ::write(writeEnd, answer.data(), answer.size()) == static_cast<ssize_t>(answer.size()) ? 0 : 1;
  });
  ASSERT_GE(kind, 0);
  std::string answer;
  char buffer[256];
  for (ssize_t n; (n = ::read(readEnd, buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  ::close(readEnd);
  int status = 0;
  ASSERT_EQ(::waitpid(kind, &status, 0), kind);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  if (answer == "-") GTEST_SKIP() << "no user namespace for a /proc without the mask";
  EXPECT_EQ(answer, "=");
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrHidden, FileReplace, ::testing::Bool());

TEST(FileReplaceKill, KilledWriterLeavesTheOldFileAndNothingElse) {
  QTemporaryDir dir;
  const QString f = dir.filePath("gross.bmp");
  writeBytes(f, "alter Inhalt");
  const auto [kind, readEnd] = startChild([&f](int writeEnd) {
    replaceFileVia(f, [writeEnd](int fd) {
      const QByteArray megabyte(1 << 20, 'x');
      for (int i = 0; i < 8; ++i)
        if (::write(fd, megabyte.constData(), static_cast<size_t>(megabyte.size())) != megabyte.size()) ::_exit(2);
      // Half way: tell the parent, and wait for the end.
      if (::write(writeEnd, "h", 1) != 1) ::_exit(3);
      for (;;) ::pause();
    });
    return 1;
  });
  ASSERT_GE(kind, 0);
  char c = 0;
  ASSERT_EQ(::read(readEnd, &c, 1), 1);
  ::close(readEnd);
  ASSERT_EQ(::kill(kind, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(kind, &status, 0), kind);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(entries(dir.path()), QStringList{"gross.bmp"});
  EXPECT_EQ(readBytes(f), QByteArray("alter Inhalt"));
}
