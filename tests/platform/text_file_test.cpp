#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>

#include "support/platte_voll.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

namespace {
void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}
}  // namespace

TEST(TextConvert, PiSignBothWaysAndPositionsKept) {
  const std::string core = toCore(QStringLiteral("2*π+¶ä€"));
  ASSERT_EQ(core.size(), 7u);
  EXPECT_EQ(static_cast<unsigned char>(core[2]), 0xB6);
  EXPECT_EQ(static_cast<unsigned char>(core[4]), 0xB6);
  EXPECT_EQ(static_cast<unsigned char>(core[5]), 0xE4);
  EXPECT_EQ(core[6], '?');
  EXPECT_EQ(fromCore(core), QStringLiteral("2*π+πä?"));
}

TEST(TextFile, Windows1252AndUtf8FilesGiveTheSameLines) {
  QTemporaryDir dir;
  const QString oldFile = dir.filePath("alt.txt"), newFile = dir.filePath("neu.txt");
  // "Länge in µm €", "2*¶", "Öl" in Windows-1252 with CR LF and no line end at the end.
  writeBytes(oldFile, QByteArray("L\xE4nge in \xB5m \x80\r\n2*\xB6\r\n\xD6l"));
  writeBytes(newFile, QByteArray("L\xC3\xA4nge in \xC2\xB5m \xE2\x82\xAC\n2*\xC2\xB6\n\xC3\x96l\n"));
  QStringList a, b;
  ASSERT_TRUE(readTextLines(oldFile, a));
  ASSERT_TRUE(readTextLines(newFile, b));
  EXPECT_EQ(a, b);
  ASSERT_EQ(a.size(), 3);
  EXPECT_EQ(a[0], QStringLiteral("Länge in µm €"));
  // Either file's pilcrow is the pi sign, for the screen as for the core.
  EXPECT_EQ(a[1], QStringLiteral("2*π"));
  EXPECT_EQ(static_cast<unsigned char>(toCore(a[1])[2]), 0xB6);
  EXPECT_EQ(a[2], QStringLiteral("Öl"));
}

TEST(TextFile, LineEndsAndEmptyLines) {
  QTemporaryDir dir;
  const QString f = dir.filePath("x.txt");
  QStringList lines;
  writeBytes(f, QByteArray(""));
  ASSERT_TRUE(readTextLines(f, lines));
  EXPECT_TRUE(lines.isEmpty());
  writeBytes(f, QByteArray("a\r\n\r\nb\n\nc\r"));
  ASSERT_TRUE(readTextLines(f, lines));
  EXPECT_EQ(lines, QStringList({"a", "", "b", "", "c"}));
  writeBytes(f, QByteArray("\xEF\xBB\xBFx"));
  ASSERT_TRUE(readTextLines(f, lines));
  EXPECT_EQ(lines, QStringList({"x"}));
  QString error;
  EXPECT_FALSE(readTextLines(dir.filePath("fehlt.txt"), lines, &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST(TextFile, WritesUtf8WithLfAndReadsBack) {
  QTemporaryDir dir;
  const QString f = dir.filePath("w.txt");
  const QStringList lines = {QStringLiteral("2*π = 6,28"), QString(), QStringLiteral("Maß")};
  ASSERT_TRUE(writeTextLines(f, lines));
  EXPECT_EQ(readBytes(f), QByteArray("2*\xCF\x80 = 6,28\n\nMa\xC3\x9F\n"));
  QStringList back;
  ASSERT_TRUE(readTextLines(f, back));
  EXPECT_EQ(back, lines);
}

TEST(TextFile, FailedWriteKeepsOldFileAndReportsError) {
  QTemporaryDir dir;
  QString error;
  // The target is a folder.
  ASSERT_TRUE(QDir(dir.path()).mkdir("ordner"));
  EXPECT_FALSE(writeTextLines(dir.filePath("ordner"), {"x"}, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(QFileInfo(dir.filePath("ordner")).isDir());
  // The folder does not exist.
  error.clear();
  EXPECT_FALSE(writeTextLines(dir.filePath("fehlt/datei.txt"), {"x"}, &error));
  EXPECT_FALSE(error.isEmpty());
  error.clear();
  EXPECT_FALSE(appendTextLine(dir.filePath("fehlt/datei.txt"), "x", &error));
  EXPECT_FALSE(error.isEmpty());

  // The disk fills up in the middle of the write (a file size limit stops even root).
  const QString f = dir.filePath("result.txt");
  writeBytes(f, QByteArray("alt\n"));
  QStringList big;
  for (int i = 0; i < 2000; ++i) big << QStringLiteral("Zeile %1 mit etwas Text").arg(i);
  error.clear();
  QString appendError;
  bool ok = true, okAppend = true;
  {
    const PlatteVoll voll(4096);
    ASSERT_TRUE(voll.ok());
    ok = writeTextLines(f, big, &error);
    okAppend = appendTextLine(f, QString(5000, QLatin1Char('x')), &appendError);
  }
  EXPECT_FALSE(ok);
  EXPECT_FALSE(okAppend);
  // The system's reason, not the "Unknown error" of a write that stopped part of the way.
  EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
  EXPECT_EQ(appendError, QString::fromLocal8Bit(std::strerror(EFBIG)));
  EXPECT_EQ(readBytes(f), QByteArray("alt\n"));
  // No temporary file is left behind.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"result.txt"}));
}

TEST(TextFile, AppendAddsMissingLineBreakAndCreatesFile) {
  QTemporaryDir dir;
  const QString f = dir.filePath("result.txt");
  ASSERT_TRUE(appendTextLine(f, QStringLiteral("1+1 = 2")));
  EXPECT_EQ(readBytes(f), QByteArray("1+1 = 2\n"));
  writeBytes(f, QByteArray("a"));
  ASSERT_TRUE(appendTextLine(f, QStringLiteral("b")));
  EXPECT_EQ(readBytes(f), QByteArray("a\nb\n"));
  // An old Windows-1252 log gets a Windows-1252 line, pi as the byte B6; what was in the
  // file stays byte for byte.
  writeBytes(f, QByteArray("\xE4\r\n"));
  ASSERT_TRUE(appendTextLine(f, QStringLiteral("ö*π = 1 €")));
  EXPECT_EQ(readBytes(f), QByteArray("\xE4\r\n\xF6*\xB6 = 1 \x80\n"));
  QStringList lines;
  ASSERT_TRUE(readTextLines(f, lines));
  EXPECT_EQ(lines, QStringList({"ä", "ö*π = 1 €"}));
  // A UTF-8 file gets UTF-8, also when its last line is cut short of its line break.
  writeBytes(f, QByteArray("\xC3\xA4"));
  ASSERT_TRUE(appendTextLine(f, QStringLiteral("π")));
  EXPECT_EQ(readBytes(f), QByteArray("\xC3\xA4\n\xCF\x80\n"));
}

TEST(TextFile, AppendNeverRewritesTheBytesInTheFile) {
  QTemporaryDir dir;
  const QString f = dir.filePath("result.txt");
  // 4 096 bytes that are no text at all: they stay as they are, the line follows in
  // Windows-1252.
  QByteArray binaer(4096, '\0');
  for (int i = 0; i < binaer.size(); ++i) binaer[i] = static_cast<char>((i * 37 + 11) & 0xFF);
  binaer[4095] = '\x90';
  writeBytes(f, binaer);
  ASSERT_TRUE(appendTextLine(f, QStringLiteral("2+3 = 5")));
  EXPECT_EQ(readBytes(f), binaer + "\n2+3 = 5\n");

  // A UTF-8 sequence split across the reading pieces (1 MiB) still counts as UTF-8, and the
  // last line is found across the pieces as well.
  QByteArray gross(1 << 20, 'a');
  gross[(1 << 20) - 1] = '\xC3';
  gross.append("\xA4 Ende\r\n");
  writeBytes(f, gross);
  bool angehaengt = true;
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("a").repeated((1 << 20) - 1) + "ä Ende", &angehaengt));
  EXPECT_FALSE(angehaengt);
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("π"), &angehaengt));
  EXPECT_TRUE(angehaengt);
  EXPECT_EQ(readBytes(f), gross + "\xCF\x80\n");

  // CR LF split across the pieces, and a line break as the last byte of the first piece.
  QByteArray geteilt((1 << 20) - 1, 'b');
  geteilt.append("\r\nletzte\r\n");
  writeBytes(f, geteilt);
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("letzte"), &angehaengt));
  EXPECT_FALSE(angehaengt);
  QByteArray rand((1 << 20) - 2, 'c');
  rand.append("d\n");
  writeBytes(f, rand);
  ASSERT_TRUE(appendTextLineUnlessLast(f, QString((1 << 20) - 2, u'c') + "d", &angehaengt));
  EXPECT_FALSE(angehaengt);
  EXPECT_EQ(readBytes(f).size(), rand.size());
}

TEST(TextFile, AppendUnlessLastComparesWithTheLastLineAsRead) {
  QTemporaryDir dir;
  const QString f = dir.filePath("result.txt");
  bool angehaengt = false;
  // Missing file: created with the line.
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("1+1 = 2"), &angehaengt));
  EXPECT_TRUE(angehaengt);
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("1+1 = 2"), &angehaengt));
  EXPECT_FALSE(angehaengt);
  EXPECT_EQ(readBytes(f), QByteArray("1+1 = 2\n"));
  // The old pi sign of a Windows-1252 line is pi; CR LF and a missing last break alike.
  for (const QByteArray& alt : {QByteArray("x\r\n2*\xB6 = 6,28\r\n"), QByteArray("x\n2*\xB6 = 6,28")}) {
    writeBytes(f, alt);
    ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("2*π = 6,28"), &angehaengt));
    EXPECT_FALSE(angehaengt);
    EXPECT_EQ(readBytes(f), alt);
  }
  // An empty last line is a line; an empty file has none.
  writeBytes(f, QByteArray("a\n\n"));
  ASSERT_TRUE(appendTextLineUnlessLast(f, QString(), &angehaengt));
  EXPECT_FALSE(angehaengt);
  writeBytes(f, QByteArray());
  ASSERT_TRUE(appendTextLineUnlessLast(f, QString(), &angehaengt));
  EXPECT_TRUE(angehaengt);
  EXPECT_EQ(readBytes(f), QByteArray("\n"));
}

TEST(TextFile, AppendReadsALogOnceAndAgainAfterAnyoneElseChangedIt) {
  QTemporaryDir dir;
  const QString f = dir.filePath("result.txt");
  writeBytes(f, QByteArray("a = 1\n"));
  bool angehaengt = false;
  const int vorher = appendFileScans();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("b = %1").arg(i), &angehaengt));
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("b = 4"), &angehaengt));
  EXPECT_FALSE(angehaengt);  // the last line known without reading
  EXPECT_EQ(appendFileScans(), vorher + 1);

  // Another program appends a line: it is the last line now.
  {
    QFile anders(f);
    ASSERT_TRUE(anders.open(QIODevice::WriteOnly | QIODevice::Append));
    anders.write("c = 2\n");
  }
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("b = 4"), &angehaengt));
  EXPECT_TRUE(angehaengt);
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("b = 4"), &angehaengt));
  EXPECT_FALSE(angehaengt);

  // Rewritten at once with as many bytes, in Windows-1252 and without a last line break (the
  // file times may not have moved): the next line follows in Windows-1252, on a line of
  // its own.
  const QByteArray jetzt = readBytes(f);
  QByteArray alt = jetzt;
  alt.fill('x');
  alt[0] = '\xE4';
  writeBytes(f, alt);
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("ö"), &angehaengt));
  EXPECT_TRUE(angehaengt);
  EXPECT_EQ(readBytes(f), alt + "\n\xF6\n");

  // Replaced by another file: judged by its own bytes.
  const QString neu = dir.filePath("neu.txt");
  writeBytes(neu, QByteArray("ö = 3\n"));
  ASSERT_TRUE(QFile::remove(f));
  ASSERT_TRUE(QFile::rename(neu, f));
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("ö = 3"), &angehaengt));
  EXPECT_FALSE(angehaengt);
  ASSERT_TRUE(appendTextLineUnlessLast(f, QStringLiteral("π"), &angehaengt));
  EXPECT_EQ(readBytes(f), QByteArray("\xC3\xB6 = 3\n\xCF\x80\n"));
}

TEST(TextFile, FileThatMayNotBeReplacedGivesTheSystemsReason) {
  QTemporaryDir dir;
  const QString f = dir.filePath("einstKolvex.frb");
  writeBytes(f, QByteArray("alt\n"));
  // Not writable: by its mode for a user, by the immutable flag for root (who ignores modes).
  const QByteArray name = QFile::encodeName(f);
  bool unveraenderlich = false;
  if (geteuid() == 0) {
    const int fd = ::open(name.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    unveraenderlich = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                      (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    ::close(fd);
    if (!unveraenderlich) GTEST_SKIP() << "no immutable flag on this file system";
  } else {
    ASSERT_EQ(::chmod(name.constData(), 0444), 0);
  }
  const int grund = geteuid() == 0 ? EPERM : EACCES;
  QString error;
  const bool ok = writeTextLines(f, {"neu"}, &error);
  if (unveraenderlich) {
    const int fd = ::open(name.constData(), O_RDONLY);
    int flags = 0;
    ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(grund)));
  EXPECT_EQ(readBytes(f), QByteArray("alt\n"));
}
