// The picture formats' field readers and writers: byte order, sign, and that the writers
// keep only the field's low bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imagefile/byte_order.h"

using namespace imagefile;

TEST(ByteOrder, FieldsReadInTheirOrderWithTheirSign) {
  const std::uint8_t b[4] = {0x01, 0x80, 0xFE, 0xFF};
  EXPECT_EQ(le16(b), 0x8001);
  EXPECT_EQ(sle16(b), -32767);
  EXPECT_EQ(le32(b), 0xFFFE8001u);
  EXPECT_EQ(sle32(b), -98303);
  EXPECT_EQ(be32(b), 0x0180FEFFu);
}

TEST(ByteOrder, WritersKeepTheLowBitsAndReadBack) {
  std::uint8_t p[4] = {};
  putLE16(p, 0x12345);
  EXPECT_EQ(le16(p), 0x2345);
  EXPECT_EQ(p[2], 0);  // nothing beyond the field
  putLE32(p, static_cast<std::uint32_t>(-2));
  EXPECT_EQ(sle32(p), -2);
  putBE32(p, 0x89504E47);
  EXPECT_EQ(p[0], 0x89);
  EXPECT_EQ(p[3], 0x47);
  std::vector<std::uint8_t> v = {7};
  appendLE16(v, 0xABCD);
  appendLE32(v, 0x01020304);
  EXPECT_EQ(v, (std::vector<std::uint8_t>{7, 0xCD, 0xAB, 4, 3, 2, 1}));
}
