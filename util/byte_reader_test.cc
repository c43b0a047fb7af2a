#include "util/byte_reader.h"

#include <gtest/gtest.h>

namespace {

const uint8_t kBytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};

TEST(ByteReader, LittleEndianAtPositions) {
  ByteReader reader(kBytes, sizeof kBytes);
  EXPECT_EQ(reader.u8At(8), 0x09);
  EXPECT_EQ(reader.u16At(0), 0x0201);
  EXPECT_EQ(reader.u32At(5), 0x09080706u);
  EXPECT_EQ(reader.u64At(1), 0x0908070605040302ull);
  EXPECT_TRUE(reader.ok());
}

TEST(ByteReader, ReadsPastTheEndFailAndStayFailed) {
  struct Case {
    uint64_t pos;
    int width;
  };
  // Positions past 32 bits must fail too, not wrap onto the range where size_t is narrow.
  const Case cases[] = {{9, 1},          {8, 2},         {6, 4},
                        {2, 8},          {SIZE_MAX, 1},  {SIZE_MAX - 1, 4},
                        {1ull << 32, 1}, {(1ull << 32) + 2, 4}, {UINT64_MAX - 3, 8}};
  for (const Case& c : cases) {
    ByteReader reader(kBytes, sizeof kBytes);
    uint64_t value = c.width == 1 ? reader.u8At(c.pos)
                     : c.width == 2 ? reader.u16At(c.pos)
                     : c.width == 4 ? reader.u32At(c.pos)
                                    : reader.u64At(c.pos);
    EXPECT_EQ(value, 0u);
    EXPECT_FALSE(reader.ok()) << c.pos << "/" << c.width;
    EXPECT_EQ(reader.u8At(0), 1);  // later good reads still work...
    EXPECT_FALSE(reader.ok());     // ...but the failure sticks
  }
}

TEST(ByteReader, CursorAdvancesAndChecks) {
  ByteReader reader(kBytes, sizeof kBytes);
  EXPECT_EQ(reader.u16(), 0x0201);
  EXPECT_EQ(reader.u32(), 0x06050403u);
  EXPECT_EQ(reader.remaining(), 3u);
  EXPECT_NE(reader.bytes(3), nullptr);
  EXPECT_TRUE(reader.ok());
  EXPECT_EQ(reader.u8(), 0);
  EXPECT_FALSE(reader.ok());
  reader.skip(SIZE_MAX);  // never wraps around
  EXPECT_EQ(reader.remaining(), 0u);
}

TEST(ByteReader, BytesAndEmptyRanges) {
  ByteReader reader(kBytes, sizeof kBytes);
  EXPECT_TRUE(reader.has(9, 0));
  EXPECT_FALSE(reader.has(10, 0));
  EXPECT_FALSE(reader.has(1ull << 32, 1));
  EXPECT_FALSE(reader.has(1, UINT64_MAX));
  EXPECT_EQ(reader.bytesAt(0, (1ull << 32) + 1), nullptr);
  EXPECT_EQ(reader.bytesAt(4, 6), nullptr);
  ByteReader empty(nullptr, 100);
  EXPECT_EQ(empty.size(), 0u);
  EXPECT_EQ(empty.u8At(0), 0);
  EXPECT_FALSE(empty.ok());
}

}  // namespace
