#include "excel/stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/cfb_writer.h"
#include "tests/test_support.h"

namespace {

std::string Le16(uint16_t v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string Rec(uint16_t type, const std::string& body, int length = -1) {
  return Le16(type) + Le16(static_cast<uint16_t>(length < 0 ? body.size() : length)) + body;
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

struct Walked {
  uint16_t type;
  bool bodyRead;
  std::string body;
  uint64_t position;
};

std::vector<Walked> WalkFrom(WorkbookStream* source) {
  std::vector<Walked> records;
  uint64_t position = 0;
  for (int i = 0; i < 100000; ++i) {
    ExcelRecord record;
    readRecord(source, &position, &record);
    if (!record.headerRead) break;
    records.push_back({record.type, record.bodyRead,
                       std::string(reinterpret_cast<const char*>(record.data), record.size),
                       position});
    if (!record.bodyRead && record.length != 0) break;
  }
  return records;
}

std::vector<Walked> Walk(const std::string& stream) {
  WorkbookStream source(Bytes(stream));
  return WalkFrom(&source);
}

bool operator==(const Walked& a, const Walked& b) {
  return a.type == b.type && a.bodyRead == b.bodyRead && a.body == b.body &&
         a.position == b.position;
}

TEST(RecordTest, ContinuationsMergeIntoTheirRecord) {
  std::string stream = Rec(0x0204, "ab") + Rec(0x003C, "cd") + Rec(0x003C, "") + Rec(0x003C, "e") +
                       Rec(0x00FF, "x") + Rec(0x000A, "");
  std::vector<Walked> r = Walk(stream);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].type, 0x0204);
  EXPECT_EQ(r[0].body, "abcde");
  EXPECT_EQ(r[0].position, 4u + 2 + 4 + 2 + 4 + 4 + 1);
  // EXTSST continues only an SST.
  EXPECT_EQ(r[1].type, 0x00FF);
  EXPECT_EQ(r[1].body, "x");
  EXPECT_EQ(r[2].type, 0x000A);
  EXPECT_FALSE(r[2].bodyRead);
}

TEST(RecordTest, SharedStringContinuationsLoseALeadingZero) {
  std::string stream = Rec(0x00FC, "ab") + Rec(0x003C, std::string("\0cd", 3)) +
                       Rec(0x003C,
                           "\x01"
                           "ef") +
                       Rec(0x00FF, std::string("\0\x08", 2));
  std::vector<Walked> r = Walk(stream);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].body,
            "abcd\x01"
            "ef\x08");
  // Elsewhere a leading zero stays.
  r = Walk(Rec(0x0204, "ab") + Rec(0x003C, std::string("\0cd", 3)));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].body, std::string("ab\0cd", 5));
}

TEST(RecordTest, BodiesPastTheStreamCannotBeRead) {
  // A record whose length runs past the end gives no body.
  std::vector<Walked> r = Walk(Rec(0x0203, "abc", 10));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_FALSE(r[0].bodyRead);
  // A continuation whose body runs past the end is not merged and not consumed.
  r = Walk(Rec(0x0203, "ab") + Rec(0x003C, "c", 5));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].body, "ab");
  EXPECT_EQ(r[0].position, 6u);
  EXPECT_FALSE(r[1].bodyRead);
  // A header cut short ends the stream.
  r = Walk(Rec(0x0203, "ab") + "\x01");
  ASSERT_EQ(r.size(), 1u);
}

TEST(RecordTest, EndlessContinuationChainIsBoundedByTheStream) {
  std::string stream = Rec(0x00FC, "s");
  for (int i = 0; i < 5000; ++i) stream += Rec(0x003C, std::string("\0k", 2));
  std::vector<Walked> r = Walk(stream);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].body.size(), 1u + 5000);
  EXPECT_EQ(r[0].position, stream.size());
}

TEST(RecordTest, StreamReadAWindowAtATimeWalksAsAWholeOne) {
  // Records of every size cross the window's edges; an SST and another record
  // take continuations from one window into the next. Cut short by a declared
  // size beyond its sectors, the stream reads as far as its sectors go.
  std::string stream;
  for (int i = 0; stream.size() < 3 * WorkbookStream::kWindow; ++i) {
    stream += Rec(0x0203, std::string(static_cast<size_t>(i * 37 % 900), static_cast<char>(i)));
    if (i % 50 == 7) {
      stream += Rec(0x00FC, "sst");
      for (int k = 0; k < 12; ++k) stream += Rec(0x003C, std::string(8000, static_cast<char>(k)));
      stream += Rec(0x00EB, "drawing") + Rec(0x003C, std::string(9000, 'd'));
    }
  }
  const std::vector<Walked> whole = Walk(stream);
  const size_t sectorsEnd = stream.size() - stream.size() % 512;
  // The last sector is filled up with zeros: empty records of type 0.
  const std::string inSectors = stream + std::string((512 - stream.size() % 512) % 512, '\0');
  const struct {
    const char* what;
    uint32_t declaredSize;
    std::vector<Walked> expected;
  } cases[] = {
      {"whole stream", static_cast<uint32_t>(stream.size()), whole},
      {"declared size beyond the sectors", static_cast<uint32_t>(stream.size() + 4000),
       Walk(inSectors)},
      {"declared size short of the records", static_cast<uint32_t>(sectorsEnd - 3000),
       Walk(stream.substr(0, sectorsEnd - 3000))},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    CfbImage image = BuildCompoundImage({CfbStream{"Workbook", stream, false}});
    image.SetEntryU32(1, kCfbEntrySize, c.declaredSize);
    writeFile(dir.file("book.xls"), image.bytes);
    FILE* file = std::fopen(dir.file("book.xls").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    CompoundPtr compound(OpenCompoundFile(file));
    ASSERT_NE(compound, nullptr);
    WorkbookStream source(compound.get(), file, 1);
    EXPECT_TRUE(WalkFrom(&source) == c.expected) << c.what;
    compound.reset();
    std::fclose(file);
  }
}

}  // namespace
