#include "word/pieces.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/cfb_writer.h"

namespace {

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// A complex part: one property block, then a piece table of the given positions
// and file positions.
std::string ComplexPart(const std::vector<uint32_t>& positions, const std::vector<uint32_t>& fcs,
                        uint32_t claimedLength = 0) {
  std::string plex;
  for (uint32_t p : positions) plex += LeU32(p);
  for (uint32_t fc : fcs) plex += LeU16(0) + LeU32(fc) + LeU16(0);
  std::string part("\x01\x03\x00xyz\x02", 7);
  part += LeU32(claimedLength ? claimedLength : static_cast<uint32_t>(plex.size()));
  return part + plex;
}

TEST(PieceTable, PiecesAndFaults) {
  std::vector<WordPiece> pieces;
  std::string part = ComplexPart({0, 10, 15}, {0x40000400, 0x1000});
  ASSERT_TRUE(parsePieceTable(Bytes(part), part.size(), &pieces));
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_FALSE(pieces[0].wide);
  EXPECT_EQ(pieces[0].offset, 0x200u);
  EXPECT_EQ(pieces[0].length, 10u);
  EXPECT_TRUE(pieces[1].wide);
  EXPECT_EQ(pieces[1].offset, 0x1000u);
  EXPECT_EQ(pieces[1].length, 10u);
  EXPECT_EQ(pieces[1].firstChar, 10u);

  // A position going backwards ends the table; the pieces before it remain.
  pieces.clear();
  part = ComplexPart({0, 10, 5}, {0x1000, 0x2000});
  EXPECT_FALSE(parsePieceTable(Bytes(part), part.size(), &pieces));
  EXPECT_EQ(pieces.size(), 1u);

  // A length claiming more than the stream holds, a count of 2^31 characters, an
  // unknown block kind, a truncated block: no read outside the bytes.
  pieces.clear();
  part = ComplexPart({0, 0x80000000u}, {0x800});
  EXPECT_TRUE(parsePieceTable(Bytes(part), part.size(), &pieces));
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].length, 0xFFFFFFFEu);
  part = ComplexPart({0, 10}, {0x800}, 0xFFFFFFF0u);
  EXPECT_FALSE(parsePieceTable(Bytes(part), part.size(), &pieces));
  for (std::string bad : {std::string("\x05"), std::string("\x01\xff"), std::string("\x02\x01")}) {
    EXPECT_FALSE(parsePieceTable(Bytes(bad), bad.size(), &pieces));
  }
}

TEST(ParagraphPage, StylesAndMalformedEntries) {
  // Three runs: no property entry, an entry whose count byte is 0 (style 2), and
  // one of style 4.
  std::string page(512, '\0');
  uint32_t fcs[] = {0x800, 0x810, 0x820, 0x830};
  for (int i = 0; i < 4; ++i) {
    for (int b = 0; b < 4; ++b) page[4 * i + b] = static_cast<char>((fcs[i] >> (8 * b)) & 0xFF);
  }
  const size_t entries = 16;
  page[entries + 13] = 100;  // word offset 100: byte 200
  page[200] = 0;
  page[201] = 3;
  page[202] = 2;
  page[entries + 26] = 110;  // byte 220
  page[220] = 3;
  page[221] = 4;
  page[511] = 3;
  std::vector<ParagraphRun> runs;
  ASSERT_TRUE(parseParagraphPage(Bytes(page), false, &runs));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].start, 0x810u);
  EXPECT_EQ(runs[0].end, 0x820u);
  EXPECT_EQ(runs[0].style, 2u);
  runs.clear();
  ASSERT_TRUE(parseParagraphPage(Bytes(page), true, &runs));
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].style, 0u);
  EXPECT_EQ(runs[2].style, 4u);

  // A count byte at the page's end leaves no room for the style index.
  page[entries + 13] = 255;
  page[510] = 7;
  EXPECT_FALSE(parseParagraphPage(Bytes(page), true, &runs));
  // A run count beyond what the page holds keeps the runs it holds.
  std::string full(512, '\0');
  full[511] = 40;
  runs.clear();
  EXPECT_TRUE(parseParagraphPage(Bytes(full), true, &runs));
  EXPECT_EQ(runs.size(), 27u);
}

TEST(PageRuns, BreakEntriesPointIntoPageDescriptors) {
  std::string pages = LeU32(2) + LeU32(0);
  for (uint16_t number : {5, 6}) pages += LeU16(number) + std::string(8, '\0');
  std::string breaks;
  for (uint32_t cp : {0u, 40u, 90u}) breaks += LeU32(cp);
  for (uint16_t k : {1, 0}) breaks += LeU16(k) + LeU32(0);
  std::vector<PageRun> runs;
  ASSERT_TRUE(parsePageRuns(Bytes(pages), pages.size(), Bytes(breaks), breaks.size(), &runs));
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].page, 6u);
  EXPECT_EQ(runs[0].endChar, 40u);
  EXPECT_EQ(runs[1].page, 5u);
  EXPECT_EQ(runs[1].firstChar, 40u);

  // A descriptor index past the count ends the list; a short table is refused.
  breaks[4 * 3] = 9;
  runs.clear();
  EXPECT_FALSE(parsePageRuns(Bytes(pages), pages.size(), Bytes(breaks), breaks.size(), &runs));
  EXPECT_TRUE(runs.empty());
  EXPECT_FALSE(parsePageRuns(Bytes(pages), 3, Bytes(breaks), breaks.size(), &runs));
}

TEST(SqueezeReversedPairs, SwapsPairsAndDropsZeros) {
  struct Case {
    std::string in, out;
    bool ok;
  };
  const Case cases[] = {
      {std::string("\x82\x88"
                   "a\0",
                   4),
       std::string("\x88\x82"
                   "a\0",
                   4),
       true},
      {std::string("\xb1 \xb2\0", 4), std::string("\xb1\xb2\0\0", 4), true},
      {std::string("\x41 ", 2), std::string(" \x41", 2), true},
      {"abc", "abc", false},
  };
  for (const Case& c : cases) {
    std::string bytes = c.in;
    EXPECT_EQ(squeezeReversedPairs(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size()),
              c.ok);
    EXPECT_EQ(bytes, c.out);
  }
}

}  // namespace
