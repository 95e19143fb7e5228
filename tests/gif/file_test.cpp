// Header, colour tables, frames, extensions and the frame list of the GIF file model.
#include <gtest/gtest.h>

#include "gif/extensions.h"
#include "giflib_oracle.h"
#include "gif_test_util.h"

using namespace giftest;
using gif::makeColor;

namespace {

GifPlan small(int colors = 4) {
  GifPlan s;
  s.width = 4;
  s.height = 3;
  s.colors = greyColors(colors);
  s.pixels = {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1};
  for (auto& p : s.pixels) p = static_cast<uint8_t>(p % colors);
  return s;
}

// A file with one frame whose extensions are the given bytes.
Bytes withExtensions(const Bytes& ext) {
  Bytes file = encode(small());
  file.insert(file.begin() + 13, ext.begin(), ext.end());
  return file;
}

Bytes bytesOf(const gif::GifExtension& e) {
  gif::MemoryStream s;
  e.saveToStream(s);
  return s.bytes();
}

}  // namespace

TEST(GifHeader, SignatureMayBeLowerCaseOrBehindAFourByteLengthPrefix) {
  const Bytes file = encode(small());
  Bytes lower = file;
  lower[0] = 'g';
  lower[1] = 'i';
  lower[2] = 'f';
  EXPECT_EQ(load(lower)->file->images().count(), 1);
  Bytes prefixed = {1, 2, 3, 4};
  prefixed.insert(prefixed.end(), file.begin(), file.end());
  EXPECT_EQ(load(prefixed)->file->images().count(), 1);
  Bytes bad = file;
  bad[1] = 'X';
  EXPECT_EQ(loadError(bad), "Invalid GIF signature");
  // The letters are compared before anything runs out: an empty or foreign stub is no GIF,
  // while "GIF" itself is one cut short.
  EXPECT_EQ(loadError(Bytes{}), "Invalid GIF signature");
  EXPECT_EQ(loadError(Bytes{'G', 'I'}), "Invalid GIF signature");
  EXPECT_EQ(loadError(Bytes{'P', 'K', 3, 4, 'G'}), "Invalid GIF signature");
  EXPECT_EQ(loadError(Bytes{'G', 'I', 'F'}), "Premature end of data");
  EXPECT_EQ(loadError(Bytes{1, 2, 3, 4, 'g', 'i', 'f', '8'}), "Premature end of data");
}

TEST(GifHeader, GlobalTableSizeComesFromTheSizeFieldOnlyWhenPresent) {
  Bytes file = encode(small());
  // Insert a 256-entry global table: bit 7 set, size field 7.
  file[10] = 0x87;
  file.insert(file.begin() + 13, 768, 0x11);
  auto l = load(file);
  EXPECT_EQ(l->file->globalColorMap().count(), 256);
  // Bit 7 clear: no table whatever the size field says.
  Bytes noTable = encode(small());
  noTable[10] = 0x07;
  EXPECT_EQ(load(noTable)->file->globalColorMap().count(), 0);
  // A table cut short.
  Bytes cut = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x81, 0, 0, 1, 2, 3};
  EXPECT_EQ(loadError(cut), "Premature end of data");
}

TEST(GifHeader, WrittenSizeFieldMatchesTheGlobalTableThatFollows) {
  // A 5-colour global table beside a frame with a 256-entry local table.
  gif::GifFile file;
  file.globalColorMap().importColors(greyColors(5));
  gif::GifSubImage& f = addFrame(file);
  f.colorMap().importColors(greyColors(256));
  f.setBounds(0, 0, 2, 1);
  f.mutableData() = {0, 255};
  const Bytes bytes = save(file);
  EXPECT_EQ(bytes[10] & 0x87, 0x82);  // present, 8 entries
  EXPECT_EQ((bytes[10] >> 4) & 7, 7);  // colour resolution of the deepest table
  // Exactly 8 triples, the last three black, then the frame.
  EXPECT_EQ(bytes[13 + 24], ',');
  EXPECT_EQ(Bytes(bytes.begin() + 13 + 15, bytes.begin() + 13 + 24), Bytes(9, 0));
  const auto theirs = oracle::decode(bytes);
  ASSERT_TRUE(theirs);
  EXPECT_EQ(theirs->globalColors, 8);
  EXPECT_EQ(theirs->frames[0].pixels, (Bytes{0, 255}));

  // No global table: bit 7 clear and size field 0.
  const Bytes local = encode(small());
  EXPECT_EQ(local[10] & 0x8F, 0);
}

TEST(GifHeader, VersionIsTheLargestOfHeaderAndFrames) {
  gif::GifFile empty;
  EXPECT_EQ(errorOf([&] { save(empty); }), "Unsupported GIF version");
  auto plain = load(encode(small()));
  EXPECT_EQ(plain->file->version(), 1);
  const Bytes plainBytes = save(*plain->file);
  EXPECT_EQ(std::string(plainBytes.begin(), plainBytes.begin() + 6), "GIF87a");
  plain->file->header().setAspectRatio(49);
  EXPECT_EQ(plain->file->version(), 2);
  const Bytes withAspect = save(*plain->file);
  EXPECT_EQ(std::string(withAspect.begin(), withAspect.begin() + 6), "GIF89a");
  EXPECT_EQ(withAspect[12], 49);
  auto withComment = load(withExtensions({'!', 0xFE, 1, 'x', 0}));
  EXPECT_EQ(withComment->file->version(), 2);
}

TEST(GifColorMap, GrowsInStepsAndRefusesA257thColour) {
  gif::GifFile file;
  gif::GifColorMap& t = file.globalColorMap();
  t.reserve(17);
  EXPECT_EQ(t.capacity(), 32);
  t.clear();
  t.reserve(200);
  EXPECT_EQ(t.capacity(), 224);
  t.clear();
  t.reserve(250);
  EXPECT_EQ(t.capacity(), 256);
  t.clear();
  for (int i = 0; i < 256; ++i) t.add(static_cast<gif::ColorValue>(i));
  EXPECT_EQ(errorOf([&] { t.add(0x123456); }), "Color table overflow");
  EXPECT_EQ(t.count(), 256);
  EXPECT_EQ(t.indexOf(7), 7);
  EXPECT_EQ(t.indexOf(0x123456), -1);
  EXPECT_EQ(t.addUnique(9), 9);
  EXPECT_EQ(errorOf([&] { t.remove(256); }), "Invalid color index");
  t.remove(0);
  EXPECT_EQ(t.color(0), 1u);
  EXPECT_EQ(t.count(), 255);
}

TEST(GifColorMap, ColourOutsideTheTableWarnsAndGivesEntryZero) {
  gif::GifFile file;
  std::vector<std::string> warnings;
  file.onWarning = [&](int, const std::string& m) { warnings.push_back(m); };
  gif::GifColorMap& t = file.globalColorMap();
  t.importColors({makeColor(1, 2, 3), 5, 6, 7});
  EXPECT_EQ(t.color(300), makeColor(1, 2, 3));
  EXPECT_EQ(warnings, std::vector<std::string>{"Invalid color index"});
  t.clear();
  EXPECT_EQ(errorOf([&] { t.color(0); }), "Color table is empty");
  // Without a handler the warning is simply dropped.
  file.onWarning = nullptr;
  t.add(4);
  EXPECT_EQ(t.color(-1), 4u);
}

TEST(GifColorMap, SavedTablesArePaddedToAPowerOfTwo) {
  gif::GifFile file;
  gif::GifColorMap& t = file.globalColorMap();
  t.importColors({1, 2, 3, 4, 5});
  gif::MemoryStream s;
  t.saveToStream(s);
  ASSERT_EQ(s.bytes().size(), 24u);
  EXPECT_EQ(Bytes(s.bytes().end() - 9, s.bytes().end()), Bytes(9, 0));
  t.clear();
  gif::MemoryStream none;
  t.saveToStream(none);
  EXPECT_TRUE(none.bytes().empty());
}

TEST(GifColorMap, SortingByUseRemapsPixelsTransparencyAndBackground) {
  auto l = load(encode(small()));
  gif::GifFile& file = *l->file;
  gif::GifSubImage& f = file.images().image(0);
  // Already in falling order of use (with ties kept): nothing moves, unused entries stay.
  f.mutableData() = {0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 3, 3};
  EXPECT_TRUE(f.colorMap().optimize());
  EXPECT_EQ(f.colorMap().count(), 4);
  EXPECT_EQ(f.data(), (Bytes{0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 3, 3}));

  const auto before = f.colorMap().colors();
  f.mutableData() = {3, 3, 3, 3, 3, 2, 2, 2, 2, 0, 0, 0};
  EXPECT_TRUE(f.colorMap().optimize());
  EXPECT_EQ(f.colorMap().count(), 3);  // entry 1 was unused and is dropped
  EXPECT_EQ(f.data(), (Bytes{0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2}));
  EXPECT_EQ(f.colorMap().color(0), before[3]);
  EXPECT_TRUE(f.colorMap().sorted());
  EXPECT_EQ(save(file)[13 + 9] & 0x20, 0x20);

  // Global table: the background colour counts as used and follows its entry.
  GifPlan g = small();
  g.global = true;
  auto lg = load(encode(g));
  gif::GifFile& gf = *lg->file;
  gf.header().setBackgroundIndex(1);
  gf.images().image(0).mutableData() = {2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3};
  const auto colors = gf.globalColorMap().colors();
  EXPECT_TRUE(gf.globalColorMap().optimize());
  EXPECT_EQ(gf.globalColorMap().count(), 3);
  EXPECT_EQ(gf.globalColorMap().color(gf.header().backgroundIndex()), colors[1]);
  EXPECT_EQ(gf.header().backgroundIndex(), 2);
  // A table of one entry is left alone.
  gif::GifFile one;
  one.globalColorMap().importColors({5});
  EXPECT_FALSE(one.globalColorMap().optimize());
}

TEST(GifExtensions, AreWrittenByteForByte) {
  gif::GifFile file;
  gif::GifSubImage& f = addFrame(file);
  gif::GifAppExtNSLoop loop(&f);
  Bytes expected = {0x21, 0xFF, 0x0B};
  for (char c : std::string("NETSCAPE2.0")) expected.push_back(static_cast<uint8_t>(c));
  for (uint8_t b : {3, 1, 0, 0, 0}) expected.push_back(b);
  EXPECT_EQ(bytesOf(loop), expected);

  gif::GifGraphicControlExtension gce(&f);
  gce.setDelay(100);
  EXPECT_EQ(bytesOf(gce), (Bytes{0x21, 0xF9, 0x04, 0x00, 0x64, 0x00, 0x00, 0x00}));
  gce.setDisposal(2);
  gce.setTransparent(true);
  EXPECT_EQ(bytesOf(gce)[3], 0x09);
  EXPECT_EQ(gce.disposal(), 2);
  gce.setDisposal(0);
  EXPECT_EQ(bytesOf(gce)[3], 0x01);

  gif::GifCommentExtension comment(&f);
  comment.text() = {std::string(300, 'c'), ""};
  const Bytes c = bytesOf(comment);
  ASSERT_EQ(c.size(), 2u + 1 + 255 + 1 + 45 + 1);
  EXPECT_EQ(c[2], 255);
  EXPECT_EQ(c[2 + 256], 45);
  EXPECT_EQ(c.back(), 0);
}

TEST(GifExtensions, SubBlockStringsSplitAt255) {
  gif::MemoryStream s;
  gif::writeSubBlockStrings(s, {"abc", std::string(300, 'x'), ""});
  Bytes expected = {3, 'a', 'b', 'c', 255};
  expected.insert(expected.end(), 255, 'x');
  expected.push_back(45);
  expected.insert(expected.end(), 45, 'x');
  expected.push_back(0);
  EXPECT_EQ(s.bytes(), expected);
  s.seek(0);
  std::vector<std::string> lines;
  gif::readSubBlockStrings(s, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"abc", std::string(255, 'x'), std::string(45, 'x')}));
  EXPECT_EQ(gif::bitsForColors(0), 0);
  EXPECT_EQ(gif::bitsForColors(2), 1);
  EXPECT_EQ(gif::bitsForColors(3), 2);
  EXPECT_EQ(gif::bitsForColors(16), 4);
  EXPECT_EQ(gif::bitsForColors(17), 5);
  EXPECT_EQ(gif::bitsForColors(257), 9);
  EXPECT_EQ(gif::bytesPerRow(8, 3, 32), 4);
  EXPECT_EQ(gif::bytesPerRow(24, 3, 32), 12);
}

TEST(GifExtensions, RoundTripThroughAFile) {
  Bytes ext = {'!', 0xF9, 4, 0x0B, 10, 0, 2, 0};  // user input, disposal 2, transparent 2
  const Bytes app = {'!', 0xFF, 11, 'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0', 3, 1, 5, 0, 0};
  const Bytes unknown = {'!', 0xFF, 11, 'M', 'Y', 'A', 'P', 'P', 'L', 'I', 'C', 'x', 'y', 'z', 2, 9, 8, 1, 7, 0};
  const Bytes text = {'!', 0x01, 12, 1, 0, 2, 0, 3, 0, 4, 0, 5, 6, 7, 1, 2, 'h', 'i', 0};
  ext.insert(ext.end(), app.begin(), app.end());
  ext.insert(ext.end(), unknown.begin(), unknown.end());
  ext.insert(ext.end(), text.begin(), text.end());
  const Bytes file = withExtensions(ext);
  auto l = load(file);
  const gif::GifSubImage& f = l->file->images().image(0);
  ASSERT_EQ(f.extensions().count(), 4);
  auto* gce = dynamic_cast<gif::GifGraphicControlExtension*>(&f.extensions().at(0));
  ASSERT_TRUE(gce);
  EXPECT_EQ(f.graphicControlExtension(), gce);
  EXPECT_TRUE(f.transparent());
  EXPECT_EQ(f.transparentColorIndex(), 2);
  EXPECT_TRUE(gce->userInput());
  EXPECT_EQ(gce->delay(), 10);
  auto* loop = dynamic_cast<gif::GifAppExtNSLoop*>(&f.extensions().at(1));
  ASSERT_TRUE(loop);
  EXPECT_EQ(loop->loops(), 5);
  EXPECT_TRUE(dynamic_cast<gif::GifUnknownAppExtension*>(&f.extensions().at(2)));
  auto* t = dynamic_cast<gif::GifTextExtension*>(&f.extensions().at(3));
  ASSERT_TRUE(t);
  EXPECT_EQ(t->text(), std::vector<std::string>{"hi"});
  // Written back as read: the ANIMEXTS identifier, the unknown block, everything.
  const Bytes again = save(*l->file);
  EXPECT_EQ(Bytes(again.begin() + 13, again.begin() + 13 + static_cast<std::ptrdiff_t>(ext.size())), ext);
  EXPECT_TRUE(oracle::decode(again).has_value());
}

TEST(GifExtensions, TransparentIndexMustLieInANonEmptyTable) {
  gif::GifFile file;
  std::vector<std::string> warnings;
  file.onWarning = [&](int, const std::string& m) { warnings.push_back(m); };
  gif::GifSubImage& f = addFrame(file);
  auto owned = std::make_unique<gif::GifGraphicControlExtension>(&f);
  gif::GifGraphicControlExtension& gce = *owned;
  f.extensions().add(std::move(owned));
  gce.setTransparentColorIndex(200);  // no tables yet: kept
  EXPECT_EQ(gce.transparentColorIndex(), 200);
  EXPECT_TRUE(warnings.empty());
  f.colorMap().importColors(greyColors(16));
  gce.setTransparentColorIndex(300);
  EXPECT_EQ(gce.transparentColorIndex(), 0);
  EXPECT_EQ(warnings, std::vector<std::string>{"Invalid color index"});
  gce.setTransparent(true);
  EXPECT_TRUE(f.transparent());
  f.extensions().remove(0);
  EXPECT_FALSE(f.transparent());
  EXPECT_EQ(f.graphicControlExtension(), nullptr);
}

TEST(GifExtensions, MalformedBlocksGiveTheirErrors) {
  // Looping sub-block: identifier 1 needs two more bytes.
  const Bytes shortLoop = {'!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 2, 1, 0, 0};
  EXPECT_EQ(loadError(withExtensions(shortLoop)), "Invalid GIF data");
  const Bytes tinyApp = {'!', 0xFF, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
  EXPECT_EQ(loadError(withExtensions(tinyApp)), "Unsupported Application Extension block size");
  EXPECT_EQ(loadError(withExtensions({'!', 0x77, 0})), "Unknown extension type");
  // A graphic control block cut short warns and loading goes on to the trailer check.
  std::vector<std::string> w;
  Bytes cut = encode(small());
  cut.resize(13);
  for (uint8_t b : Bytes{'!', 0xF9, 4, 0}) cut.push_back(b);
  EXPECT_EQ(loadError(cut, &w), "Invalid Image trailer");
  EXPECT_EQ(w, std::vector<std::string>{"Premature end of data"});
}

TEST(GifExtensions, LongApplicationBlockLoadsAsUnknownAndIsWrittenAsItWasRead) {
  // Its first 11 bytes spell the looping extension, whose reader refuses a loop sub-block of
  // one byte: written back as a standard block it would make a file that no longer loads.
  const Bytes longApp = {'!', 0xFF, 13, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 'X', 'Y', 1, 1, 0};
  auto l = load(withExtensions(longApp));
  const gif::GifSubImage& f = l->file->images().image(0);
  ASSERT_EQ(f.extensions().count(), 1);
  auto* u = dynamic_cast<gif::GifUnknownAppExtension*>(&f.extensions().at(0));
  ASSERT_TRUE(u);
  EXPECT_EQ(u->identifier(), "NETSCAPE2.0");
  EXPECT_EQ(u->extraIdentifier(), "XY");
  EXPECT_EQ(u->blocks(), std::vector<std::string>{"\x01"});
  EXPECT_EQ(bytesOf(*u), longApp);
  auto again = load(save(*l->file));
  EXPECT_TRUE(dynamic_cast<gif::GifUnknownAppExtension*>(&again->file->images().image(0).extensions().at(0)));
}

TEST(GifExtensions, LaterRegistrationsWin) {
  const Bytes app = {'!', 0xFF, 11, 'K', 'O', 'L', 'V', 'E', 'X', '0', '0', 'a', 'b', 'c', 3, 1, 7, 0, 0};
  EXPECT_TRUE(dynamic_cast<gif::GifUnknownAppExtension*>(&load(withExtensions(app))->file->images().image(0).extensions().at(0)));
  gif::registerAppExtension("KOLVEX00abc", gif::loopKind());
  auto l = load(withExtensions(app));
  auto* loop = dynamic_cast<gif::GifAppExtNSLoop*>(&l->file->images().image(0).extensions().at(0));
  ASSERT_TRUE(loop);
  EXPECT_EQ(loop->loops(), 7);
  gif::registerAppExtension("KOLVEX00abc", gif::unknownApplicationKind());
}

TEST(GifFrames, DescriptorOfZeroSizeTakesTheScreenSize) {
  // 1, then "11" and "111" as the next free codes; the third new entry widens the codes.
  auto l = load(screenFile(3, 2, {{0, 0, data2({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}})}}));
  const gif::GifSubImage& f = l->file->images().image(0);
  EXPECT_EQ(f.width(), 3);
  EXPECT_EQ(f.height(), 2);
  EXPECT_EQ(f.data(), Bytes(6, 1));
  EXPECT_EQ(l->warnings, std::vector<std::string>{"Image exceeds Logical Screen size"});
}

TEST(GifFrames, AFrameTheScreenCannotGiveASizeIsRefusedNotLostOnSaving) {
  const Bytes one = onePixelData();
  // A zero side takes the screen's size; where the screen has none either, the frame would
  // hold no pixels and vanish from the next save, so the file is refused.
  EXPECT_EQ(loadError(screenFile(14150, 0, {{1, 1, one}, {14150, 0, one}})), "Invalid image dimensions");
  EXPECT_EQ(loadError(screenFile(0, 5, {{0, 5, one}})), "Invalid image dimensions");
  EXPECT_EQ(loadError(screenFile(0, 0, {{0, 0, one}})), "Invalid image dimensions");
  // On a screen with both sides the frame keeps its place through save and reload.
  auto l = load(screenFile(2, 1, {{1, 1, one}, {7, 0, one}}));
  ASSERT_EQ(l->file->images().count(), 2);
  EXPECT_EQ(l->file->images().image(1).width(), 2);
  auto again = load(save(*l->file));
  ASSERT_EQ(again->file->images().count(), 2);
  EXPECT_EQ(again->file->images().image(1).data(), Bytes(2, 0));
}

TEST(GifFrames, DataThatCannotHoldTheFrameIsRefusedBeforeAllocating) {
  const Bytes one = onePixelData();
  // 35 bytes asking for 16000 x 16000 pixels, directly or through the screen's size.
  const Bytes tiny = screenFile(16000, 16000, {{16000, 16000, one}});
  EXPECT_EQ(tiny.size(), 35u);
  EXPECT_EQ(loadError(tiny), "Premature end of data");
  EXPECT_EQ(loadError(screenFile(16000, 16000, {{0, 0, one}})), "Premature end of data");
  // Data at LZW's largest expansion fills its frame exactly; a frame twice as large is more
  // than any data of that length can give.
  const Bytes longest = longestStrings(2000);
  const Bytes full = screenFile(4091, 4046, {{4091, 4046, longest}});
  auto l = load(full);
  EXPECT_TRUE(l->warnings.empty());
  const Bytes& pixels = l->file->images().image(0).data();
  EXPECT_EQ(pixels, Bytes(size_t{4091} * 4046, 1));
  const auto theirs = oracle::decode(full);
  ASSERT_TRUE(theirs);
  EXPECT_EQ(theirs->frames[0].pixels, pixels);
  EXPECT_EQ(loadError(screenFile(8182, 4046, {{8182, 4046, longest}})), "Premature end of data");
  // A small frame cut before its first code still loads with its fill value, and sub-block
  // lengths beyond the end count only what is there.
  auto cut = load(screenFile(40, 40, {{40, 40, {2, 0}}}));
  EXPECT_EQ(cut->file->images().image(0).data(), Bytes(1600, 0));
  EXPECT_EQ(loadError(screenFile(500, 500, {{500, 500, {2, 255, 0x4C, 0x01}}})), "Premature end of data");
}

TEST(GifFrames, FramesGrowThePictureUpToTheLargestScreen) {
  gif::GifFile file;
  std::vector<std::string> warnings;
  file.onWarning = [&](int, const std::string& m) { warnings.push_back(m); };
  gif::GifSubImage& f = addFrame(file);
  f.setBounds(10, 0, 100, 5);  // picture of width 0: no warning
  EXPECT_EQ(file.width(), 110);
  EXPECT_TRUE(warnings.empty());
  file.header().setWidth(50);
  file.header().setHeight(5);
  f.setBounds(10, 0, 100, 5);
  EXPECT_EQ(file.width(), 110);
  EXPECT_EQ(warnings, (std::vector<std::string>{"Image width too small for contained frames",
                                                 "Image exceeds Logical Screen size"}));
  warnings.clear();
  f.setBounds(10, 3, 100, 5);
  EXPECT_EQ(file.height(), 8);
  EXPECT_EQ(warnings, (std::vector<std::string>{"Image height too small for contained frames",
                                                 "Image exceeds Logical Screen size"}));
  f.setBounds(60000, 0, 10000, 1);
  EXPECT_EQ(file.width(), 65535);
  EXPECT_EQ(f.left(), 60000);
  EXPECT_EQ(f.width(), 10000);
}

TEST(GifFrames, HugeFramesAreRefusedBeforeAllocating) {
  gif::GifFile file;
  gif::GifSubImage& f = addFrame(file);
  EXPECT_EQ(errorOf([&] { f.setBounds(0, 0, 65535, 65535); }), "Image dimensions too large");
  Bytes big = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, ',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x40, 0, 2, 0, ';'};
  EXPECT_EQ(loadError(big), "Image dimensions too large");
  // Many frames together are bounded as well, before the one too many is allocated.
  Bytes three = encode(small());
  three.pop_back();
  const Bytes frame(three.begin() + 13, three.end());
  for (int i = 0; i < 2; ++i) three.insert(three.end(), frame.begin(), frame.end());
  three.push_back(';');
  gif::GifFile limited;
  limited.maxTotalPixels = 24;
  gif::MemoryReader r(three.data(), three.size());
  EXPECT_EQ(errorOf([&] { limited.loadFromStream(r); }), "Image dimensions too large");
  limited.maxTotalPixels = 36;
  r.seek(0);
  limited.loadFromStream(r);
  EXPECT_EQ(limited.images().count(), 3);
  // Just below the limit is allowed (and costs a byte per pixel).
  EXPECT_EQ(errorOf([&] { f.setBounds(0, 0, 16384, 16384); }), "(no error)");
  EXPECT_EQ(f.data().size(), size_t{16384} * 16384);
  f.clear();
}

TEST(GifFrames, InterlaceBitAndRowOrderComeFromOneValue) {
  for (bool global : {false, true}) {
    GifPlan s;
    s.width = 2;
    s.height = 5;
    s.colors = greyColors(8);
    s.pixels = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
    s.interlace = true;
    s.global = global;
    const Bytes file = encode(s);
    const size_t desc = global ? 13 + 24 : 13;
    EXPECT_EQ(file[desc + 9] & 0x40, 0x40) << global;
    const auto theirs = oracle::decode(file);
    EXPECT_TRUE(theirs->frames[0].interlace);
    EXPECT_EQ(theirs->frames[0].pixels, s.pixels);
  }
}

TEST(GifFrames, PixelAccessAndCropping) {
  gif::GifFile file;
  gif::GifSubImage& f = addFrame(file);
  EXPECT_EQ(errorOf([&] { f.needData(); }), "Image is empty");
  f.colorMap().importColors(greyColors(4));
  f.setBounds(5, 6, 3, 3);
  EXPECT_EQ(errorOf([&] { f.pixel(3, 0); }), "Invalid pixel coordinates");
  EXPECT_EQ(errorOf([&] { f.scanLine(-1); }), "Invalid pixel coordinates");
  auto gce = std::make_unique<gif::GifGraphicControlExtension>(&f);
  gce->setTransparentColorIndex(3);
  gce->setTransparent(true);
  f.extensions().add(std::move(gce));
  f.mutableData().assign(9, 3);
  f.mutableData()[4] = 1;
  f.crop();
  EXPECT_EQ(f.left(), 6);
  EXPECT_EQ(f.top(), 7);
  EXPECT_EQ(f.width(), 1);
  EXPECT_EQ(f.height(), 1);
  EXPECT_EQ(f.data(), Bytes{1});
  f.setBounds(0, 0, 3, 3);
  f.mutableData().assign(9, 3);
  f.crop();
  EXPECT_TRUE(f.empty());
  EXPECT_NE(f.graphicControlExtension(), nullptr);
}

TEST(GifFrames, AssignCopiesPixelsTableAndExtensions) {
  auto l = load(withExtensions({'!', 0xF9, 4, 1, 7, 0, 2, 0, '!', 0xFE, 2, 'o', 'k', 0}));
  const gif::GifSubImage& src = l->file->images().image(0);
  gif::GifSubImage& copy = addFrame(*l->file);
  copy.assign(src);
  EXPECT_EQ(copy.data(), src.data());
  EXPECT_EQ(copy.colorMap().colors(), src.colorMap().colors());
  ASSERT_EQ(copy.extensions().count(), 2);
  EXPECT_NE(copy.graphicControlExtension(), src.graphicControlExtension());
  EXPECT_EQ(copy.graphicControlExtension()->delay(), 7);
  EXPECT_TRUE(copy.transparent());
  EXPECT_EQ(copy.transparentColorIndex(), 2);
}

TEST(GifFrameList, StrayBytesEndTheListAndTheTrailerCheckFails) {
  Bytes file = encode(small());
  file.insert(file.end() - 1, 'X');
  std::vector<std::string> w;
  EXPECT_EQ(loadError(file, &w), "Invalid Image trailer");
  EXPECT_EQ(w, std::vector<std::string>{"Unknown GIF block type"});
  // A stray byte after an extension ends the extension list and the frame before its
  // descriptor; the list then stops on it.
  Bytes afterExt = encode(small());
  const Bytes ext = {'!', 0xFE, 1, 'a', 0, 'Q'};
  afterExt.insert(afterExt.begin() + 13, ext.begin(), ext.end());
  w.clear();
  EXPECT_EQ(loadError(afterExt, &w), "Invalid Image trailer");
  EXPECT_EQ(w, (std::vector<std::string>{"Invalid extension introducer", "Unknown GIF block type"}));
  // A bare trailer-less end.
  Bytes noTrailer = encode(small());
  noTrailer.pop_back();
  EXPECT_EQ(loadError(noTrailer), "Invalid Image trailer");
  // Zero bytes between blocks are passed over.
  Bytes zeros = encode(small());
  zeros.insert(zeros.end() - 1, 3, 0);
  EXPECT_EQ(loadError(zeros), "");
}

TEST(GifFrameList, AFileCutAfterASemicolonInsideABlockIsNotComplete) {
  // The comment's last data byte is ";"; the file ends there without terminator or trailer.
  Bytes file = encode(small());
  file.pop_back();
  for (uint8_t b : Bytes{'!', 0xFE, 2, 'x', ';'}) file.push_back(b);
  EXPECT_EQ(loadError(file), "Invalid Image trailer");
}

TEST(GifFrameList, ExtensionsBeforeTheTrailerBecomeALastFrame) {
  Bytes file = encode(small());
  file.insert(file.end() - 1, {'!', 0xFE, 3, 'e', 'n', 'd', 0});
  auto l = load(file);
  ASSERT_EQ(l->file->images().count(), 2);
  EXPECT_TRUE(l->file->images().image(1).empty());
  EXPECT_EQ(l->file->images().image(1).extensions().count(), 1);
  // Written back the same, but as 89a now that it has an extension.
  const Bytes again = save(*l->file);
  EXPECT_EQ(Bytes(again.begin() + 6, again.end()), Bytes(file.begin() + 6, file.end()));
  EXPECT_EQ(again[4], '9');
}

TEST(GifFile, FailedLoadReturnsTheStreamToWhereThePictureBegan) {
  Bytes bytes = {9, 9, 9};
  Bytes file = encode(small());
  file.pop_back();
  bytes.insert(bytes.end(), file.begin(), file.end());
  gif::GifFile g;
  gif::MemoryReader r(bytes.data(), bytes.size());
  r.seek(3);
  EXPECT_THROW(g.loadFromStream(r), gif::GifException);
  EXPECT_EQ(r.position(), 3);
}

TEST(GifFile, ProgressIsReportedFromStartToEnd) {
  auto l = load(encode(small()));
  std::vector<std::pair<int, std::string>> seen;
  l->file->onProgress = [&](gif::ProgressStage st, int pct, const std::string& t) {
    seen.emplace_back(static_cast<int>(st) * 1000 + pct, t);
  };
  save(*l->file);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), std::make_pair(0, std::string("Saving...")));
  EXPECT_EQ(seen.back(), std::make_pair(2100, std::string("Saving...")));
}
