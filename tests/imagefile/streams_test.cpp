// The library streams: buffering, memory blocks, files, and the rule that a full disk is
// reported by finish() while destructors stay silent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "imagefile/errors.h"
#include "imagefile/streams.h"
#include "support/error_text.h"

using namespace imagefile;
using Bytes = std::vector<std::uint8_t>;

namespace {

using testsupport::errorOf;

// A source that claims to have bytes but delivers only `give` of them, then nothing.
class StuckSource : public BaseStream {
 public:
  explicit StuckSource(std::size_t give) : give_(give) { canRead_ = true; }
  std::size_t write(const void*, std::size_t) override { return 0; }
  int reads = 0;

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool) override {
    ++reads;
    const std::size_t n = std::min(count, give_);
    std::memset(buffer, 'x', n);
    give_ -= n;
    return n;
  }
  std::int64_t availableImpl() override { return 1000; }

 private:
  std::size_t give_;
};

// A next stream that takes only half of every write.
class HalfSink : public BaseStream {
 public:
  HalfSink() { canWrite_ = true; }
  std::size_t write(const void*, std::size_t count) override { return count / 2; }

 protected:
  std::size_t readImpl(void*, std::size_t, bool) override { return 0; }
  std::int64_t availableImpl() override { return 0; }
};

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kolvex_streams_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

}  // namespace

TEST(MemStream, GrowsInBlocksAndSeeksWithinItsSize) {
  MemStream m;
  Bytes data(10000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_EQ(m.write(data.data(), 5000), 5000u);  // one block larger than 4096
  EXPECT_EQ(m.write(data.data() + 5000, 5000), 5000u);
  EXPECT_EQ(m.getSize(), 10000);
  EXPECT_EQ(m.bytes(), data);
  m.setPosition(4999);
  std::uint8_t two[2];
  ASSERT_EQ(m.read(two, 2), 2u);
  EXPECT_EQ(two[0], data[4999]);
  EXPECT_EQ(two[1], data[5000]);
  m.setPosition(10000);  // exactly the size
  m.setStrict(false);
  EXPECT_EQ(m.read(two, 2), 0u);
  EXPECT_TRUE(m.endOfStream());
  EXPECT_EQ(errorOf([&] { m.setPosition(10001); }), "Error moving stream pointer");
  EXPECT_EQ(errorOf([&] { m.setPosition(-1); }), "Error moving stream pointer");
  m.setStrict(true);
  m.setPosition(9999);
  EXPECT_EQ(errorOf([&] { m.read(two, 2); }), "Error reading from stream - TMemStream");
  // Truncate in the middle, then write over the end again.
  m.setPosition(3000);
  m.truncate();
  EXPECT_EQ(m.getSize(), 3000);
  m.write(data.data(), 10);
  EXPECT_EQ(m.getSize(), 3010);
  m.reset();
  EXPECT_EQ(m.getSize(), 0);
  EXPECT_EQ(m.write(data.data(), 0), 0u);
}

TEST(BufferedStream, ShortReadsReturnWhatCameAndRaiseOnlyWhenStrict) {
  const Bytes data(1000, 'a');
  for (int bufSize : {16, 4096}) {  // the rest smaller than the buffer, and larger
    SpanStream src(data.data(), data.size());
    BufferedStream b(bufSize, 0, &src);
    Bytes out(600);
    ASSERT_EQ(b.read(out.data(), 600), 600u);
    b.setStrict(false);
    EXPECT_EQ(b.read(out.data(), 600), 400u) << bufSize;
    EXPECT_TRUE(b.endOfStream());
  }
  SpanStream src(data.data(), data.size());
  BufferedStream b(-1, 0, &src);
  Bytes out(1001);
  EXPECT_EQ(errorOf([&] { b.read(out.data(), out.size()); }), "Read less than expected");
  EXPECT_EQ(errorOf([&] { BufferedStream bad(1, 0, &src); }), "Invalid buffer size");
}

TEST(BufferedStream, RestoresTheNextStreamsStrictness) {
  const Bytes data(10, 'a');
  SpanStream src(data.data(), data.size());
  {
    BufferedStream b(-1, 0, &src);
    EXPECT_FALSE(src.strict());  // it reads ahead by whole buffers
  }
  EXPECT_TRUE(src.strict());
}

TEST(BufferedStream, WritesPassThroughInOrderAcrossTheBuffer) {
  MemStream sink;
  Bytes expected;
  {
    BufferedStream b(0, 64, &sink);
    for (int i = 0; i < 200; ++i) {
      Bytes piece(static_cast<std::size_t>(i % 150), static_cast<std::uint8_t>(i));
      EXPECT_EQ(b.write(piece.data(), piece.size()), piece.size());
      expected.insert(expected.end(), piece.begin(), piece.end());
    }
    b.finish();
  }
  EXPECT_EQ(sink.bytes(), expected);
}

TEST(BufferedStream, ANextStreamTakingPartOfTheBufferIsAFailure) {
  HalfSink half;
  BufferedStream b(0, 16, &half);
  const Bytes data(40, 'z');
  EXPECT_EQ(errorOf([&] { b.write(data.data(), data.size()); }), "Read less than expected");
}

TEST(Copying, StopsAtASourceThatDeliversNothing) {
  StuckSource src(5000);
  MemStream dst;
  dst.copyFrom(src);  // must end although the source still claims bytes
  EXPECT_EQ(dst.getSize(), 5000);
  EXPECT_TRUE(src.strict());
  StuckSource src2(100);
  MemStream dst2;
  src2.copyTo(&dst2, 1 << 20);
  EXPECT_EQ(dst2.getSize(), 100);
  StuckSource src3(9000);
  src3.copyTo(nullptr, 8192);  // skipping
  EXPECT_EQ(src3.reads, 2);
}

TEST_F(TempDir, FileStreamModesAndTexts) {
  EXPECT_EQ(errorOf([&] { FileStream f(path("never"), 0); }),
            "Either read, write or full access must be specified in call to CreateFile");
  EXPECT_FALSE(std::filesystem::exists(path("never")));
  EXPECT_EQ(errorOf([&] { FileStream f(path("missing"), kFileRead); }),
            "Error opening \"" + path("missing") + "\" - No such file or directory");
  {
    FileStream f(path("a.bin"), kFileRead | kFileWrite | kFileCreate);
    EXPECT_EQ(f.write("hello world", 11), 11u);
    EXPECT_EQ(f.getSize(), 11);
    f.setPosition(5);
    f.truncate();
    EXPECT_EQ(f.getSize(), 5);
    f.setPosition(0);
    char buf[8] = {};
    f.setStrict(false);
    EXPECT_EQ(f.read(buf, 8), 5u);
    EXPECT_STREQ(buf, "hello");
    EXPECT_TRUE(f.endOfStream());
    f.finish();
  }
  {
    FileStream f(path("a.bin"), kFileRead);
    char buf[8];
    EXPECT_EQ(errorOf([&] { f.read(buf, 8); }), "Read less than expected");
    EXPECT_EQ(errorOf([&] { f.write("x", 1); }), "Error writing to stream - Bad file descriptor");
  }
  {
    FileStream f(path("a.bin"), kFileRead);
    f.deleteFile();
  }
  EXPECT_FALSE(std::filesystem::exists(path("a.bin")));
  EXPECT_EQ(errorOf([&] {
              FileStream f(path("b.bin"), kFileWrite | kFileCreate);
              std::filesystem::remove(path("b.bin"));
              f.deleteFile();
            }),
            "Error deleting \"" + path("b.bin") + "\" - No such file or directory");
}

TEST_F(TempDir, BufferedFileChainReadsToTheEnd) {
  {
    StreamChain out = readBufferedFileStream(path("c.bin"), true);
    Bytes big(200000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i);
    out->write(big.data(), big.size());
    finishChain(*out);
  }
  StreamChain in = readBufferedFileStream(path("c.bin"), false);
  in->setStrict(false);
  Bytes back(300000);
  EXPECT_EQ(in->read(back.data(), back.size()), 200000u);
  EXPECT_TRUE(in->endOfStream());
  EXPECT_EQ(back[199999], static_cast<std::uint8_t>(199999));
}

// /dev/full takes nothing: a full disk shows up as ENOSPC.
TEST(FullDisk, FinishReportsItAndDestructorsStaySilent) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  {
    StreamChain out = readBufferedFileStream("/dev/full", true);
    out->write("data", 4);  // only buffered
    EXPECT_EQ(errorOf([&] { finishChain(*out); }), "Error writing to stream - No space left on device");
  }
  {
    // Dropped without finish(): no exception may leave the destructor.
    StreamChain out = readBufferedFileStream("/dev/full", true);
    out->write("data", 4);
  }
}

TEST(Adapters, FreeChainFreesEveryStreamBelow) {
  static int destroyed = 0;
  struct Counted : MemStream {
    ~Counted() override { ++destroyed; }
  };
  auto* base = new Counted;
  auto* mid = new BufferedStream(0, 16, base);
  auto* top = new BufferedStream(0, 16, mid);
  top->write("abc", 3);
  freeChain(top);
  EXPECT_EQ(destroyed, 1);
  freeChain(nullptr);
}

TEST(AssignObject, UnsupportedPairsNameBothClasses) {
  struct A : StreamClass {
    const char* className() const override { return "TA"; }
  };
  struct B : StreamClass {
    const char* className() const override { return "TB"; }
  };
  A a;
  B b;
  EXPECT_EQ(errorOf([&] { a.assign(b); }), "Cannot assign TB to TA");
  MemStream m;
  EXPECT_EQ(errorOf([&] { a.saveToStream(m); }), "TA.SaveToStream not implemented");
  EXPECT_EQ(errorOf([&] { a.loadFromStream(m); }), "TA.LoadFromStream not implemented");
}

TEST_F(TempDir, BytesLeftIsKnownForFilesAndMemoryOnly) {
  {
    std::ofstream f(path("n.bin"), std::ios::binary);
    f << std::string(100000, 'n');
  }
  FileStream file(path("n.bin"), kFileRead);
  BufferedStream buffered(-1, 0, &file);
  std::uint8_t b[10];
  buffered.read(b, 10);
  EXPECT_EQ(buffered.bytesLeft(), 99990);  // what the buffer holds and what the file still has
  buffered.unread(b, 4);
  EXPECT_EQ(buffered.bytesLeft(), 99994);
  // A pipe cannot tell, nor can anything above it.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "abc", 3), 3);
  ::close(fds[1]);
  FileStream pipeEnd(fds[0]);
  BufferedStream overPipe(-1, 0, &pipeEnd);
  EXPECT_EQ(pipeEnd.bytesLeft(), -1);
  EXPECT_EQ(overPipe.bytesLeft(), -1);
  overPipe.setStrict(false);
  EXPECT_EQ(overPipe.read(b, 10), 3u);
  EXPECT_EQ(overPipe.bytesLeft(), -1);
  MemStream m;
  m.write("hello", 5);
  m.setPosition(1);
  EXPECT_EQ(m.bytesLeft(), 4);
}
