// Optimising small made-up animations: sorting, clean-up, merging and cropping, checked on the
// frames' pixels, tables and extensions, and on what giflib reads back.
#include <gtest/gtest.h>

#include "gif/optimize.h"
#include "gif_test_util.h"
#include "giflib_oracle.h"

using namespace giftest;
using gif::ColorValue;
using gif::GifSubImage;
using gif::makeColor;

namespace {

const ColorValue kRed = makeColor(255, 0, 0), kGreen = makeColor(0, 255, 0), kBlue = makeColor(0, 0, 255),
                 kWhite = makeColor(255, 255, 255), kBlack = makeColor(0, 0, 0);

template <class T>
int countOf(const GifSubImage& f) {
  int n = 0;
  for (int i = 0; i < f.extensions().count(); ++i) n += dynamic_cast<const T*>(&f.extensions().at(i)) != nullptr;
  return n;
}

}  // namespace

TEST(GifOptimize, SortPutsTheMostUsedColourFirstAndKeepsTheLook) {
  gif::GifFile file;
  file.globalColorMap().importColors({kRed, kGreen, kBlue, kWhite});
  frame(file, 0, 0, 4, 2, {3, 3, 3, 2, 3, 2, 1, 3});
  gif::optimizeFile(file, gif::optSortColorTables, 0, 0, 8);
  const GifSubImage& f = file.images().image(0);
  EXPECT_EQ(file.globalColorMap().color(0), kWhite);
  EXPECT_EQ(file.globalColorMap().color(1), kBlue);
  const std::vector<ColorValue> expect = {kWhite, kWhite, kWhite, kBlue, kWhite, kBlue, kGreen, kWhite};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(file.globalColorMap().color(f.data()[static_cast<size_t>(i)]), expect[static_cast<size_t>(i)]);
}

TEST(GifOptimize, CleanupDropsWhatNobodyNeeds) {
  gif::GifFile file;
  file.globalColorMap().importColors({kRed, kGreen, kBlue, kWhite});
  GifSubImage& a = frame(file, 0, 0, 2, 2, {0, 1, 2, 3});
  loop(a, 2);
  loop(a, 5);  // a second looping extension is surplus
  comment(a, "von Hand");
  control(a, 20, 1, 3);  // index 3 is used: stays transparent
  GifSubImage& b = frame(file, 0, 0, 2, 2, {0, 0, 1, 1});
  loop(b, 1);           // looping belongs on the first frame only
  control(b, 0, 1, 2);  // index 2 unused: transparency goes, then the empty extension
  GifSubImage& c = frame(file, 0, 0, 2, 2, {1, 1, 1, 1});
  control(c, 7, 0);  // a delay matters in an animation
  gif::optimizeFile(file, gif::optCleanup, 0, 0, 8);
  ASSERT_EQ(file.images().count(), 3);
  const GifSubImage& a2 = file.images().image(0);
  EXPECT_EQ(countOf<gif::GifAppExtNSLoop>(a2), 1);
  EXPECT_EQ(dynamic_cast<const gif::GifAppExtNSLoop&>(a2.extensions().at(0)).loops(), 2);
  EXPECT_EQ(countOf<gif::GifCommentExtension>(a2), 0);
  EXPECT_TRUE(a2.transparent());
  EXPECT_EQ(file.images().image(1).extensions().count(), 0);
  EXPECT_FALSE(file.images().image(1).transparent());
  ASSERT_NE(file.images().image(2).graphicControlExtension(), nullptr);
  EXPECT_EQ(file.images().image(2).graphicControlExtension()->delay(), 7);
}

TEST(GifOptimize, DisposalIsDroppedOnlyWhenTheSuccessorCoversTheWholeFrame) {
  gif::GifFile file;
  file.globalColorMap().importColors({kRed, kGreen});
  // A large frame restored to the background, followed by a small opaque one: the restore
  // still shows around the small frame, so it must stay.
  GifSubImage& big = frame(file, 0, 0, 4, 4, Bytes(16, 0));
  control(big, 10, 2);
  frame(file, 1, 1, 2, 2, Bytes(4, 1));
  // A small frame restored, followed by one covering it entirely: the restore is invisible.
  GifSubImage& small = frame(file, 1, 1, 2, 2, Bytes(4, 0));
  control(small, 10, 3);
  frame(file, 0, 0, 4, 4, Bytes(16, 1));
  gif::optimizeFile(file, gif::optCleanup, 0, 0, 8);
  EXPECT_EQ(file.images().image(0).graphicControlExtension()->disposal(), 2);
  EXPECT_EQ(file.images().image(2).graphicControlExtension()->disposal(), 0);
}

TEST(GifOptimize, MergeMakesUnchangedPixelsTransparent) {
  gif::GifFile file;
  file.globalColorMap().importColors({kRed, kGreen, kBlue, kWhite});
  frame(file, 0, 0, 3, 2, {0, 0, 0, 1, 1, 1});
  frame(file, 0, 0, 3, 2, {0, 2, 0, 1, 1, 3});
  gif::optimizeFile(file, gif::optMergeFrames, 0, 0, 8);
  const GifSubImage& f = file.images().image(1);
  ASSERT_TRUE(f.transparent());
  // No other transparent frame to borrow from: black is added to the global table.
  EXPECT_EQ(f.transparentColorIndex(), 4);
  EXPECT_EQ(file.globalColorMap().color(4), kBlack);
  EXPECT_EQ(f.data(), (Bytes{4, 2, 4, 4, 4, 3}));
  // A frame with a local table compares colours, not indices, and adds black locally.
  gif::GifFile local;
  frame(local, 0, 0, 2, 1, {0, 1}, {kRed, kGreen});
  GifSubImage& l = frame(local, 0, 0, 2, 1, {1, 0}, {kRed, kGreen, kBlue});  // index 1 is green here too
  l.mutableData() = {2, 1};
  gif::optimizeFile(local, gif::optMergeFrames, 0, 0, 8);
  EXPECT_EQ(local.images().image(1).colorMap().count(), 4);
  EXPECT_EQ(local.images().image(1).data(), (Bytes{2, 3}));
  EXPECT_EQ(local.images().image(1).transparentColorIndex(), 3);
}

TEST(GifOptimize, MergeBorrowsAnotherFramesTransparentIndexOnlyWhenUnused) {
  auto build = [](const Bytes& second) {
    auto file = std::make_unique<gif::GifFile>();
    file->globalColorMap().importColors({kRed, kGreen, kBlue, kWhite});
    GifSubImage& a = frame(*file, 0, 0, 2, 2, {0, 0, 1, 1});
    control(a, 0, 1, 3);  // transparent index 3, used by a pixel of frame b below
    frame(*file, 0, 0, 2, 2, second);
    gif::optimizeFile(*file, gif::optMergeFrames, 0, 0, 8);
    return file;
  };
  // Frame b does not use index 3 itself: it may mean "transparent" there too.
  auto borrowed = build({0, 2, 1, 2});
  EXPECT_EQ(borrowed->images().image(1).transparentColorIndex(), 3);
  EXPECT_EQ(borrowed->images().image(1).data(), (Bytes{3, 2, 3, 2}));
  EXPECT_EQ(borrowed->globalColorMap().count(), 4);
  // Frame b shows white with index 3: borrowing would hide it, so black is added.
  auto added = build({0, 3, 1, 2});
  const GifSubImage& b = added->images().image(1);
  EXPECT_EQ(b.transparentColorIndex(), 4);
  EXPECT_EQ(b.data(), (Bytes{4, 3, 4, 2}));
  EXPECT_EQ(added->globalColorMap().color(4), kBlack);
}

TEST(GifOptimize, MergeLeavesFullTablesAndRestoredFramesAlone) {
  gif::GifFile file;
  std::vector<ColorValue> full;
  for (int i = 0; i < 256; ++i) full.push_back(makeColor(static_cast<uint8_t>(i), 0, 0));
  file.globalColorMap().importColors(full);
  frame(file, 0, 0, 2, 1, {5, 6});
  frame(file, 0, 0, 2, 1, {5, 7});
  gif::optimizeFile(file, gif::optMergeFrames, 0, 0, 8);
  EXPECT_FALSE(file.images().image(1).transparent());
  EXPECT_EQ(file.images().image(1).data(), (Bytes{5, 7}));

  gif::GifFile restored;
  restored.globalColorMap().importColors({kRed, kGreen});
  GifSubImage& r = frame(restored, 0, 0, 2, 1, {0, 1});
  control(r, 0, 2);
  frame(restored, 0, 0, 2, 1, {0, 1});
  gif::optimizeFile(restored, gif::optMergeFrames, 0, 0, 8);
  EXPECT_FALSE(restored.images().image(1).transparent());
}

TEST(GifOptimize, CropShrinksFramesAndAnEmptiedFrameHandsOnDelayAndExtensions) {
  gif::GifFile file;
  file.globalColorMap().importColors({kRed, kGreen, kBlue});
  GifSubImage& a = frame(file, 0, 0, 4, 4, Bytes(16, 0));  // opaque, no control extension
  comment(a, "eins");
  GifSubImage& b = frame(file, 0, 0, 4, 4, {2, 2, 2, 2, 2, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2});
  control(b, 10, 1, 2);
  GifSubImage& c = frame(file, 0, 0, 4, 4, Bytes(16, 2));  // all transparent: vanishes
  control(c, 30, 1, 2);
  comment(c, "drei");
  gif::optimizeFile(file, gif::optCropFrames, 0, 0, 8);
  ASSERT_EQ(file.images().count(), 2);
  const GifSubImage& b2 = file.images().image(1);
  EXPECT_EQ(b2.left(), 1);
  EXPECT_EQ(b2.top(), 1);
  EXPECT_EQ(b2.width(), 2);
  EXPECT_EQ(b2.height(), 1);
  EXPECT_EQ(b2.graphicControlExtension()->delay(), 40);
  EXPECT_EQ(countOf<gif::GifCommentExtension>(b2), 1);

  // An emptied frame after an opaque frame without control extension: one is made for it.
  gif::GifFile two;
  two.globalColorMap().importColors({kRed, kGreen});
  frame(two, 0, 0, 2, 2, Bytes(4, 0));
  GifSubImage& gone = frame(two, 0, 0, 2, 2, Bytes(4, 1));
  control(gone, 25, 1, 1);
  loop(gone, 4);
  gif::optimizeFile(two, gif::optCropFrames, 0, 0, 8);
  ASSERT_EQ(two.images().count(), 1);
  ASSERT_NE(two.images().image(0).graphicControlExtension(), nullptr);
  EXPECT_EQ(two.images().image(0).graphicControlExtension()->delay(), 25);
  EXPECT_EQ(countOf<gif::GifAppExtNSLoop>(two.images().image(0)), 1);

  // The first two frames vanish: what the first holds (with what the second handed it) goes
  // to the first frame that stays.
  gif::GifFile lead;
  lead.globalColorMap().importColors({kRed, kGreen});
  for (const char* text : {"null", "eins"}) {
    GifSubImage& f = frame(lead, 0, 0, 2, 2, Bytes(4, 1));
    control(f, 0, 1, 1);
    comment(f, text);
  }
  frame(lead, 0, 0, 2, 2, Bytes(4, 0));
  gif::optimizeFile(lead, gif::optCropFrames, 0, 0, 8);
  ASSERT_EQ(lead.images().count(), 1);
  const GifSubImage& kept = lead.images().image(0);
  ASSERT_EQ(kept.extensions().count(), 2);
  EXPECT_EQ(dynamic_cast<const gif::GifCommentExtension&>(kept.extensions().at(0)).text().at(0), "eins");
  EXPECT_EQ(dynamic_cast<const gif::GifCommentExtension&>(kept.extensions().at(1)).text().at(0), "null");
}

TEST(GifOptimize, AllOptionsKeepEveryFrameLookingTheSameToGiflib) {
  gif::GifFile file;
  file.globalColorMap().importColors({kRed, kGreen, kBlue, kWhite});
  GifSubImage& a = frame(file, 0, 0, 4, 3, {0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0});
  loop(a, 0);
  control(a, 10, 1);
  GifSubImage& b = frame(file, 0, 0, 4, 3, {0, 0, 0, 0, 1, 2, 2, 1, 0, 0, 0, 0});
  control(b, 10, 1);
  comment(b, "weg");
  // Composite after each frame, before the optimisation.
  auto composite = [](const gif::GifFile& f) {
    std::vector<std::vector<ColorValue>> out;
    std::vector<ColorValue> screen(static_cast<size_t>(f.width() * f.height()), kBlack);
    for (int i = 0; i < f.images().count(); ++i) {
      const GifSubImage& s = f.images().image(i);
      for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
          const uint8_t p = s.pixel(x, y);
          if (s.transparent() && p == s.transparentColorIndex()) continue;
          screen[static_cast<size_t>((s.top() + y) * f.width() + s.left() + x)] = s.activeColorMap().color(p);
        }
      out.push_back(screen);
    }
    return out;
  };
  const auto before = composite(file);
  gif::optimizeFile(file, 0x0F, 0, 0, 8);
  EXPECT_EQ(composite(file), before);
  EXPECT_EQ(file.images().image(1).width(), 2) << "cropped to the changed middle";
  EXPECT_EQ(countOf<gif::GifCommentExtension>(file.images().image(1)), 0);
  const auto decoded = oracle::decode(save(file));
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->frames.size(), 2u);
  EXPECT_EQ(decoded->frames[1].left, 1);
}

TEST(GifOptimize, ReductionMethodNineIsRefusedAndProgressEnds) {
  gif::GifFile file;
  file.globalColorMap().importColors({kRed, kGreen});
  frame(file, 0, 0, 1, 1, {0});
  std::vector<std::pair<gif::ProgressStage, int>> reports;
  file.onProgress = [&](gif::ProgressStage s, int p, const std::string& t) {
    EXPECT_EQ(t, "Optimizing...");
    reports.emplace_back(s, p);
  };
  try {
    gif::optimizeFile(file, gif::optReduceColors, 9, 0, 8);
    FAIL();
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Invalid reduction method");
  }
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ(reports.front().first, gif::ProgressStage::Starting);
  EXPECT_EQ(reports.back(), std::make_pair(gif::ProgressStage::Ending, 0));
  reports.clear();
  gif::optimizeFile(file, 0x1F & ~gif::optReduceColors, 0, 0, 8);
  EXPECT_EQ(reports.back(), std::make_pair(gif::ProgressStage::Ending, 100));
  gif::GifFile empty;
  EXPECT_NO_THROW(gif::optimizeFile(empty, gif::optReduceColors, 9, 0, 8));
}
