#include "storage/compound_file.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/cfb_writer.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

// Distinct bytes for each position and stream, so that a misplaced unit shows.
std::string Pattern(size_t size, int seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + i / 251 + seed * 13) & 0xFF);
  return s;
}

// An open compound file on a temporary copy of an image.
class Opened {
 public:
  explicit Opened(const std::string& bytes) : file_(OpenTempFileWith(bytes)), image_(bytes) {
    if (file_) compound_ = OpenCompoundFile(file_.get());
  }
  ~Opened() { CloseCompoundFile(&compound_); }
  CompoundFile* get() const { return compound_; }
  FILE* file() const { return file_.get(); }

  // The bytes of a read, or "<fail>".
  std::string Read(uint32_t entry, uint32_t offset, uint32_t length) const {
    return Take(ReadStreamRange(compound_, file_.get(), entry, offset, length), length);
  }
  std::string ReadImage(uint32_t entry, uint32_t offset, uint32_t length) const {
    return Take(ReadStreamRangeFromImage(compound_, nullptr, entry, offset, length,
                                         reinterpret_cast<const unsigned char*>(image_.data()),
                                         image_.size()),
                length);
  }

 private:
  static std::string Take(unsigned char* bytes, uint32_t length) {
    if (bytes == nullptr) return "<fail>";
    MallocPtr<unsigned char> owned(bytes);
    EXPECT_EQ(0, bytes[length]) << "missing terminating zero";
    return std::string(reinterpret_cast<char*>(bytes), length);
  }

  FilePtr file_;
  std::string image_;
  CompoundFile* compound_ = nullptr;
};

const std::string kFail = "<fail>";

// Compares without dumping kilobytes of binary on failure.
testing::AssertionResult Same(const std::string& want, const std::string& got) {
  if (want == got) return testing::AssertionSuccess();
  if (got == kFail) return testing::AssertionFailure() << "read failed";
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  return testing::AssertionFailure()
         << "sizes " << want.size() << "/" << got.size() << ", first difference at " << i;
}

TEST(CompoundFileTest, RejectsWhatIsNotACompoundFile) {
  EXPECT_EQ(nullptr, OpenCompoundFile(nullptr));
  std::string good = BuildCompoundFile({{"Book", "x"}});
  std::string badSignature = good;
  badSignature[7] = 0;
  EXPECT_EQ(nullptr, Opened(badSignature).get());
  EXPECT_EQ(nullptr, Opened(good.substr(0, 511)).get());
  EXPECT_EQ(nullptr, Opened("").get());
  EXPECT_NE(nullptr, Opened(good).get());
}

TEST(CompoundFileTest, CloseClearsAndAcceptsNothing) {
  CloseCompoundFile(nullptr);
  CompoundFile* none = nullptr;
  CloseCompoundFile(&none);
  FilePtr file(OpenTempFileWith(BuildCompoundFile({{"Book", "x"}})));
  CompoundFile* compound = OpenCompoundFile(file.get());
  ASSERT_NE(nullptr, compound);
  CloseCompoundFile(&compound);
  EXPECT_EQ(nullptr, compound);
}

TEST(CompoundFileTest, EntriesNamesFlagsAndParents) {
  Opened f(BuildCompoundFile({{"Book", "a"},
                              {"SummaryInformation", "b", true},
                              {"\x01"
                               "CompObj",
                               "c"},
                              {"WordDocument", Pattern(5000, 1)}}));
  ASSERT_NE(nullptr, f.get());
  CompoundFile* c = f.get();
  ASSERT_GE(c->entryCount, 5u);
  EXPECT_EQ(0u, c->rootIndex);
  EXPECT_EQ(5, c->entries[0].kind);
  EXPECT_EQ(kCompoundNoParent, c->entries[0].parent);
  EXPECT_STREQ("Root Entry", c->entries[0].name);
  EXPECT_STREQ("SummaryInformation", c->entries[2].name);
  EXPECT_EQ(1, c->entries[2].propertySet);
  EXPECT_EQ(0, c->entries[1].propertySet);
  EXPECT_STREQ(
      "\x01"
      "CompObj",
      c->entries[3].name);
  for (uint32_t i = 1; i <= 4; ++i) EXPECT_EQ(0u, c->entries[i].parent) << i;
  EXPECT_EQ(5000u, c->entries[4].size);
}

// A stored name keeps the low byte of each UTF-16 unit: higher characters lose
// their high byte, and one whose low byte is 0 ends the name.
TEST(CompoundFileTest, NamesTakeTheLowByteOfEachUnit) {
  struct Case {
    std::vector<uint16_t> units;
    uint16_t lengthField;
    const char* name;
    uint8_t propertySet;
  };
  const std::vector<Case> cases = {
      {{0x0142, 0x006F, 0x306F, 0xFF6B}, 10, "Book", 0},
      {{0x0041, 0x4100, 0x0042}, 8, "A", 0},
      {{0x0005, 0x0042, 0x006F}, 8, "Bo", 1},
      {{0x0005}, 4, "", 1},
      {{0x0005, 0x0042}, 0, "", 0},  // a length of 0 holds no character
      {{0x0041, 0x0042, 0x0043}, 0x0304, "AB", 0},  // only the low byte counts
  };
  for (const Case& c : cases) {
    CfbImage m = BuildCompoundImage({{"Placeholder", "x"}});
    for (int i = 0; i < 32; ++i) m.PutU16(m.EntryOffset(1) + 2 * i, 0);
    for (size_t i = 0; i < c.units.size(); ++i) m.PutU16(m.EntryOffset(1) + 2 * i, c.units[i]);
    m.PutU16(m.EntryOffset(1) + kCfbEntryNameLength, c.lengthField);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get()) << c.name;
    EXPECT_STREQ(c.name, f.get()->entries[1].name);
    EXPECT_EQ(c.propertySet, f.get()->entries[1].propertySet) << c.name;
  }
}

// The root is the last entry of kind 5; its first sector starts the mini stream.
TEST(CompoundFileTest, LastRootEntryCarriesTheMiniStream) {
  CfbImage base = BuildCompoundImage({{"Small", Pattern(700, 1)}, {"Other", ""}});
  const uint32_t miniStart = base.GetU32(base.EntryOffset(0) + kCfbEntryFirstSector);
  {
    // Entry 0's mini stream would fail the open; entry 2's is the real one.
    CfbImage m = base;
    m.PutU8(m.EntryOffset(2) + kCfbEntryKind, 5);
    m.SetEntryU32(2, kCfbEntryFirstSector, miniStart);
    m.SetEntryU32(0, kCfbEntryFirstSector, kCfbFree);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(2u, f.get()->rootIndex);
    EXPECT_TRUE(Same(Pattern(700, 1), f.Read(1, 0, 700)));
  }
  {
    // A later root without a mini stream leaves small streams unreadable.
    CfbImage m = base;
    m.PutU8(m.EntryOffset(2) + kCfbEntryKind, 5);
    m.SetEntryU32(2, kCfbEntryFirstSector, kCfbEndOfChain);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(2u, f.get()->rootIndex);
    EXPECT_EQ(0, PtrListCount(f.get()->miniSectors));
    EXPECT_EQ(kFail, f.Read(1, 0, 1));
  }
}

// Parents come from a depth-first walk from entry 0 that takes the right sibling,
// then the left sibling, then the child: an entry reachable along several links
// belongs to the storage met first in that order.
TEST(CompoundFileTest, ParentsFollowRightThenLeftThenChild) {
  struct Link {
    uint32_t entry;
    size_t field;
    uint32_t value;
  };
  struct Case {
    const char* what;
    std::vector<Link> links;
    std::vector<uint32_t> parents;  // of entries 0..4
  };
  const uint32_t none = kCompoundNoParent;
  const std::vector<Case> cases = {
      {"right sibling before child",
       {{1, kCfbEntryChild, 3}},
       {none, 0, 0, 0, 0}},
      {"left sibling before child",
       {{1, kCfbEntryRight, kCfbFree}, {1, kCfbEntryLeft, 2}, {1, kCfbEntryChild, 2}},
       {none, 0, 0, 0, 0}},
      {"right subtree before left subtree",
       {{1, kCfbEntryRight, 2},
        {1, kCfbEntryLeft, 3},
        {2, kCfbEntryRight, kCfbFree},
        {3, kCfbEntryRight, kCfbFree},
        {2, kCfbEntryChild, 4},
        {3, kCfbEntryChild, 4}},
       {none, 0, 0, 0, 2}},
      {"child nested two deep",
       {{1, kCfbEntryRight, kCfbFree},
        {1, kCfbEntryChild, 2},
        {2, kCfbEntryRight, kCfbFree},
        {2, kCfbEntryChild, 3},
        {3, kCfbEntryRight, 4}},
       {none, 0, 1, 2, 2}},
  };
  for (const Case& c : cases) {
    CfbImage m = BuildCompoundImage({{"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"}});
    for (const Link& l : c.links) m.SetEntryU32(l.entry, l.field, l.value);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get()) << c.what;
    for (uint32_t i = 0; i < 5; ++i) {
      EXPECT_EQ(c.parents[i], f.get()->entries[i].parent) << c.what << " " << i;
    }
  }
}

TEST(CompoundFileTest, LookupIgnoresCase) {
  Opened f(BuildCompoundFile({{"Book", "a"}, {"SummaryInformation", "b", true}}));
  ASSERT_NE(nullptr, f.get());
  EXPECT_EQ(1, FindCompoundEntry(f.get(), "book"));
  EXPECT_EQ(1, FindCompoundEntry(f.get(), "BOOK", 0));
  EXPECT_EQ(-1, FindCompoundEntry(f.get(), "book", 1));
  EXPECT_EQ(2, FindCompoundEntry(f.get(), "summaryinformation"));
  EXPECT_EQ(-1, FindCompoundEntry(f.get(), "\x05SummaryInformation"));
  EXPECT_EQ(-1, FindCompoundEntry(f.get(), "Boo"));
  EXPECT_EQ(-1, FindCompoundEntry(nullptr, "Book"));
  EXPECT_EQ(-1, FindCompoundEntry(f.get(), nullptr));
}

// Entry 1 "Workbook" in a storage, entry 2 storage "Sub", entry 3 "Book" in the root,
// entry 4 another "Book" inside "Sub".
TEST(CompoundFileTest, ContentStreamPrefersTheRoot) {
  CfbImage image =
      BuildCompoundImage({{"Workbook", "a"}, {"Sub", ""}, {"Book", "c"}, {"Book", "d"}});
  // Root children: Sub(2) -> Book(3); Sub's children: Workbook(1) -> Book(4).
  image.SetEntryU32(0, kCfbEntryChild, 2);
  image.PutU8(image.EntryOffset(2) + kCfbEntryKind, 1);
  image.SetEntryU32(2, kCfbEntryRight, 3);
  image.SetEntryU32(2, kCfbEntryChild, 1);
  image.SetEntryU32(1, kCfbEntryRight, 4);
  image.SetEntryU32(3, kCfbEntryRight, kCfbFree);
  Opened f(image.bytes);
  ASSERT_NE(nullptr, f.get());
  EXPECT_EQ(2u, f.get()->entries[1].parent);
  EXPECT_EQ(0u, f.get()->entries[2].parent);
  EXPECT_EQ(0u, f.get()->entries[3].parent);
  EXPECT_EQ(2u, f.get()->entries[4].parent);
  EXPECT_EQ(3, FindContentStream(f.get(), "WorkBook", "Book"));
  EXPECT_EQ(1, FindContentStream(f.get(), "WORKBOOK"));
  EXPECT_EQ(-1, FindContentStream(f.get(), "Missing", nullptr));
  EXPECT_EQ(4, FindLastCompoundEntry(f.get(), "book", 2));
  EXPECT_EQ(3, FindLastCompoundEntry(f.get(), "book", 2, true));
  EXPECT_EQ(1, FindCompoundEntry(f.get(), "workbook", 2));
}

TEST(CompoundFileTest, MiniStreamBelowCutoffRegularSectorsFrom4096) {
  const std::string small = Pattern(4095, 1);
  const std::string large = Pattern(4096, 2);
  const std::string bytes = BuildCompoundFile({{"Small", small}, {"Large", large}});
  Opened f(bytes);
  ASSERT_NE(nullptr, f.get());
  EXPECT_TRUE(Same(small, f.Read(1, 0, 4095)));
  EXPECT_TRUE(Same(large, f.Read(2, 0, 4096)));
  // Without the mini stream only the 4096-byte stream still reads.
  CfbOptions options;
  options.omitMiniStream = true;
  Opened g(BuildCompoundFile({{"Small", small}, {"Large", large}}, options));
  ASSERT_NE(nullptr, g.get());
  EXPECT_EQ(0, PtrListCount(g.get()->miniSectors));
  EXPECT_EQ(kFail, g.Read(1, 0, 10));
  EXPECT_TRUE(Same(large, g.Read(2, 0, 4096)));
}

TEST(CompoundFileTest, RangesInsideAndAcrossUnits) {
  const std::vector<size_t> sizes = {1, 64, 100, 4095, 4096, 10000};
  std::vector<CfbStream> streams;
  for (size_t i = 0; i < sizes.size(); ++i) {
    streams.push_back({"S" + std::to_string(i), Pattern(sizes[i], static_cast<int>(i))});
  }
  Opened f(BuildCompoundFile(streams));
  ASSERT_NE(nullptr, f.get());
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::string& data = streams[i].data;
    const uint32_t size = static_cast<uint32_t>(sizes[i]);
    const uint32_t entry = static_cast<uint32_t>(i + 1);
    struct Range {
      uint32_t offset, length;
    };
    for (Range r : std::vector<Range>{{0, size},
                                      {1, 62},
                                      {63, 2},
                                      {60, 200},
                                      {511, 2},
                                      {500, 1100},
                                      {size - 1, 1},
                                      {size, 0},
                                      {0, 0}}) {
      if (uint64_t{r.offset} + r.length > size) continue;
      std::string want = data.substr(r.offset, r.length);
      EXPECT_TRUE(Same(want, f.Read(entry, r.offset, r.length))) << size << " " << r.offset;
      EXPECT_TRUE(Same(want, f.ReadImage(entry, r.offset, r.length))) << size << " " << r.offset;
    }
    // Past the end of the stream, however far (lengths kept small for the budget).
    for (Range r : std::vector<Range>{{0, size + 1}, {size, 1}, {size - 1, 2}, {0xFFFFFFFF, 2}}) {
      EXPECT_EQ(kFail, f.Read(entry, r.offset, r.length)) << size << " " << r.offset;
    }
  }
  EXPECT_EQ(kFail, f.Read(static_cast<uint32_t>(sizes.size() + 5), 0, 1));
  EXPECT_EQ(kFail, f.Read(0xFFFFFFFF, 0, 1));
}

// Reads in random order must not depend on where the previous read left off.
TEST(CompoundFileTest, ReadOrderDoesNotMatter) {
  std::vector<CfbStream> streams = {
      {"A", Pattern(3000, 1)}, {"B", Pattern(70000, 2)}, {"C", Pattern(5000, 3)}};
  Opened f(BuildCompoundFile(streams));
  ASSERT_NE(nullptr, f.get());
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    const uint32_t s = random() % 3;
    const uint32_t size = static_cast<uint32_t>(streams[s].data.size());
    const uint32_t offset = random() % size;
    const uint32_t length = random() % (size - offset + 1) % 3000;
    ASSERT_TRUE(Same(streams[s].data.substr(offset, length), f.Read(s + 1, offset, length)));
  }
}

TEST(CompoundFileTest, ImageMustHoldEveryUnit) {
  CfbImage built = BuildCompoundImage({{"Big", Pattern(5000, 1)}});
  Opened f(built.bytes);
  ASSERT_NE(nullptr, f.get());
  const auto* image = reinterpret_cast<const unsigned char*>(built.bytes.data());
  // The last byte of the stream lies 391 bytes into its tenth sector.
  const size_t end = CfbImage::SectorOffset(built.firstSectors[0] + 9) + 392;
  // A reservation reads nothing but is charged like a read.
  EXPECT_TRUE(ReserveStreamRange(f.get(), f.file(), 1, 0, 5000));
  EXPECT_EQ(5000u, ReadBudget);
  unsigned char* whole = ReadStreamRangeFromImage(f.get(), nullptr, 1, 0, 5000, image, end);
  ASSERT_NE(nullptr, whole);
  EXPECT_TRUE(Same(Pattern(5000, 1), std::string(reinterpret_cast<char*>(whole), 5000)));
  std::free(whole);
  EXPECT_EQ(nullptr, ReadStreamRangeFromImage(f.get(), nullptr, 1, 0, 5000, image, end - 1));
  // Without an image the file is read.
  unsigned char* fromFile = ReadStreamRangeFromImage(f.get(), f.file(), 1, 10, 20, nullptr, 0);
  ASSERT_NE(nullptr, fromFile);
  std::free(fromFile);
}

TEST(CompoundFileTest, BudgetIsExactAndLastsUntilTheNextOpen) {
  const uint32_t mib = 1 << 20;
  const std::string bytes = BuildCompoundFile({{"Big", Pattern(mib, 1)}, {"Small", "abc"}});
  Opened f(bytes);
  ASSERT_NE(nullptr, f.get());
  for (int i = 0; i < 19; ++i) ASSERT_NE(kFail, f.Read(1, 0, mib)) << i;
  ASSERT_NE(kFail, f.Read(1, 0, mib - 3));
  ASSERT_NE(kFail, f.Read(2, 0, 3));
  EXPECT_EQ(kReadBudgetLimit, ReadBudget);
  EXPECT_EQ(kFail, f.Read(2, 0, 1));
  EXPECT_EQ(kFail, f.Read(2, 0, 0));
  EXPECT_EQ(kFail, f.Read(2, 0, 1));
  // A request so large that adding it would wrap the counter fails too.
  Opened g(bytes);
  ASSERT_NE(nullptr, g.get());
  EXPECT_EQ(kFail, g.Read(2, 0, 0xFFFFFFFF));
  EXPECT_EQ(kFail, g.Read(2, 0, 0xFFFFFFFF));
  EXPECT_EQ(kFail, g.Read(2, 0, 1));
  Opened h(bytes);
  EXPECT_EQ("abc", h.Read(2, 0, 3));
}

// The length is charged before anything is checked, so failed reads use up the
// budget as well.
TEST(CompoundFileTest, FailedReadsAreChargedToo) {
  const std::string bytes = BuildCompoundFile({{"Small", "abc"}});
  struct Case {
    const char* what;
    uint32_t entry, offset;
  };
  const Case cases[] = {{"no such entry", 7, 0}, {"past the stream", 1, 1}};
  for (const Case& c : cases) {
    Opened f(bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(kFail, f.Read(c.entry, c.offset, kReadBudgetLimit - 2)) << c.what;
    EXPECT_EQ("ab", f.Read(1, 0, 2)) << c.what;
    EXPECT_EQ(kFail, f.Read(1, 0, 1)) << c.what;
    EXPECT_EQ(kFail, f.Read(1, 0, 0)) << c.what;
  }
}

// The readable beginning of a stream: whole, cut where the chain ends, or cut where
// the budget runs out; only what is returned is charged.
TEST(CompoundFileTest, StreamBeginningChargesOnlyWhatItReturns) {
  struct Case {
    const char* what;
    uint32_t chainEndsAfter;  // sectors of "Big" before its chain ends; 0: intact
    uint32_t budgetLeft;
    size_t expected;
  };
  const Case cases[] = {{"whole", 0, kReadBudgetLimit, 5000},
                        {"chain ends after three sectors", 3, kReadBudgetLimit, 1536},
                        {"budget runs out", 0, 1234, 1234},
                        {"both", 2, 700, 700}};
  for (const Case& c : cases) {
    CfbImage image = BuildCompoundImage({{"Big", Pattern(5000, 2)}});
    if (c.chainEndsAfter > 0)
      image.SetTableCell(image.firstSectors[0] + c.chainEndsAfter - 1, kCfbEndOfChain);
    Opened f(image.bytes);
    ASSERT_NE(nullptr, f.get()) << c.what;
    ReadBudget = kReadBudgetLimit - c.budgetLeft;
    const std::vector<uint8_t> bytes = ReadStreamBeginning(f.get(), f.file(), 1);
    EXPECT_EQ(Pattern(5000, 2).substr(0, c.expected), std::string(bytes.begin(), bytes.end()))
        << c.what;
    EXPECT_EQ(kReadBudgetLimit - c.budgetLeft + c.expected, ReadBudget) << c.what;
  }
}

// More than 109 allocation-table sectors: the rest are listed in extension sectors.
TEST(CompoundFileTest, ExtensionSectors) {
  const std::string data = Pattern(110 * 128 * 512, 5);
  CfbImage image = BuildCompoundImage({{"Big", data}, {"Small", "tail"}});
  ASSERT_GT(image.tableSectors.size(), 109u);
  ASSERT_EQ(1u, image.extensionSectors.size());
  {
    Opened f(image.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(image.tableSectors.size() * 128, f.get()->tableCount);
    EXPECT_TRUE(Same(data.substr(data.size() - 1000),
                     f.Read(1, static_cast<uint32_t>(data.size() - 1000), 1000)));
    EXPECT_EQ("tail", f.Read(2, 0, 4));
  }
  // With the extension count cleared, the tail of the chain lies beyond the table.
  image.PutU32(kCfbHeaderExtensionCount, 0);
  Opened g(image.bytes);
  ASSERT_NE(nullptr, g.get());
  EXPECT_EQ(109u * 128, g.get()->tableCount);
  EXPECT_EQ(kFail, g.Read(1, static_cast<uint32_t>(data.size() - 1000), 1000));

  // Forced extension sectors in a small file.
  CfbOptions options;
  options.minTableSectors = 400;
  CfbImage padded = BuildCompoundImage({{"Big", Pattern(9000, 3)}}, options);
  EXPECT_EQ(3u, padded.extensionSectors.size());
  Opened h(padded.bytes);
  ASSERT_NE(nullptr, h.get());
  EXPECT_EQ(400u * 128, h.get()->tableCount);
  EXPECT_TRUE(Same(Pattern(9000, 3), h.Read(1, 0, 9000)));
}

// Each variant must give no compound file.
TEST(CompoundFileTest, HostileContainersDoNotOpen) {
  struct Case {
    const char* what;
    std::function<void(CfbImage*)> poke;
  };
  const std::vector<Case> cases = {
      {"table count wraps", [](CfbImage* m) { m->PutU32(kCfbHeaderTableSectors, 0xFFFFFFFF); }},
      {"table plus extension wraps",
       [](CfbImage* m) {
         m->PutU32(kCfbHeaderTableSectors, 0x80000000);
         m->PutU32(kCfbHeaderExtensionCount, 0x80000000);
       }},
      {"table just above limit",
       [](CfbImage* m) { m->PutU32(kCfbHeaderTableSectors, 0x19000000 / 512 + 1); }},
      {"no table sectors", [](CfbImage* m) { m->PutU32(kCfbHeaderTableSectors, 0); }},
      {"table sector past the file",
       [](CfbImage* m) { m->PutU32(kCfbHeaderTableList, 0x00FFFFFF); }},
      {"table sector free", [](CfbImage* m) { m->PutU32(kCfbHeaderTableList, kCfbFree); }},
      {"more table sectors than the file holds",
       [](CfbImage* m) {
         m->PutU32(kCfbHeaderTableSectors, 109);
         for (int i = 0; i < 109; ++i) m->PutU32(kCfbHeaderTableList + 4 * i, 0);
       }},
      {"extension sector past the file",
       [](CfbImage* m) {
         m->PutU32(kCfbHeaderTableSectors, 110);
         m->PutU32(kCfbHeaderExtensionCount, 1);
         m->PutU32(kCfbHeaderFirstExtension, 0x7FFFFF);
       }},
      {"directory sector past the table",
       [](CfbImage* m) { m->PutU32(kCfbHeaderFirstDirectory, 128); }},
      {"directory sector end of chain",
       [](CfbImage* m) { m->PutU32(kCfbHeaderFirstDirectory, kCfbEndOfChain); }},
      {"directory chain loops",
       [](CfbImage* m) { m->SetTableCell(m->directorySectors[0], m->directorySectors[0]); }},
      {"directory chain past the file",
       [](CfbImage* m) { m->SetTableCell(m->directorySectors[0], 100); }},
      {"mini stream starts free",
       [](CfbImage* m) { m->SetEntryU32(0, kCfbEntryFirstSector, kCfbFree); }},
      {"mini stream starts at table marker",
       [](CfbImage* m) { m->SetEntryU32(0, kCfbEntryFirstSector, kCfbTableSector); }},
      {"mini stream runs into a free cell",
       [](CfbImage* m) { m->SetTableCell(m->miniStreamSectors[0], kCfbFree); }},
      {"mini stream runs into a table marker",
       [](CfbImage* m) { m->SetTableCell(m->miniStreamSectors[0], kCfbTableSector); }},
      {"mini stream past the table",
       [](CfbImage* m) { m->SetTableCell(m->miniStreamSectors[0], 5000); }},
      {"mini stream loops",
       [](CfbImage* m) { m->SetTableCell(m->miniStreamSectors[0], m->miniStreamSectors[0]); }},
      {"mini table loops",
       [](CfbImage* m) { m->SetTableCell(m->miniTableSectors[0], m->miniTableSectors[0]); }},
      {"mini table sector past the file",
       [](CfbImage* m) { m->SetTableCell(m->miniTableSectors[0], 120); }},
  };
  for (const Case& c : cases) {
    CfbImage image = BuildCompoundImage({{"Small", Pattern(700, 1)}, {"Big", Pattern(5000, 2)}});
    c.poke(&image);
    Opened f(image.bytes);
    EXPECT_EQ(nullptr, f.get()) << c.what;
  }
}

// These open; what matters is that the damage stays contained.
TEST(CompoundFileTest, DamagedDirectoriesStillOpen) {
  CfbImage base = BuildCompoundImage({{"One", "1"}, {"Two", "2"}, {"Three", "3"}});
  {
    CfbImage m = base;  // name of 64 bytes without terminator, length byte 0xFF
    for (int i = 0; i < 32; ++i) m.PutU16(m.EntryOffset(1) + 2 * i, 'a' + i % 26);
    m.PutU16(m.EntryOffset(1) + kCfbEntryNameLength, 0x01FF);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(32u, std::strlen(f.get()->entries[1].name));
  }
  {
    CfbImage m = base;  // odd length: only the units below it count
    m.PutU16(m.EntryOffset(1) + kCfbEntryNameLength, 3);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_STREQ("On", f.get()->entries[1].name);
  }
  {
    CfbImage m = base;  // sibling and child cycles, links out of the table
    m.SetEntryU32(1, kCfbEntryLeft, 1);
    m.SetEntryU32(2, kCfbEntryChild, 0);
    m.SetEntryU32(3, kCfbEntryRight, 1);
    m.SetEntryU32(3, kCfbEntryChild, 0xFFFFFFF0);
    m.SetEntryU32(2, kCfbEntryLeft, 12345);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    for (uint32_t i = 1; i <= 3; ++i) EXPECT_EQ(0u, f.get()->entries[i].parent) << i;
    EXPECT_EQ(kCompoundNoParent, f.get()->entries[0].parent);
  }
  {
    CfbImage m = base;  // an entry reachable only from nowhere keeps no parent
    m.SetEntryU32(2, kCfbEntryRight, kCfbFree);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(kCompoundNoParent, f.get()->entries[3].parent);
    EXPECT_EQ("3", f.Read(3, 0, 1));
  }
  {
    CfbImage m = base;  // the mini table's chain leaves the table: mini reads fail
    m.PutU32(kCfbHeaderFirstMiniTable, 0x7000);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(0u, f.get()->miniCellCount);
    EXPECT_EQ(kFail, f.Read(1, 0, 1));
  }
  {
    CfbImage m = base;  // no root entry: no mini stream
    m.PutU8(m.EntryOffset(0) + kCfbEntryKind, 1);
    Opened f(m.bytes);
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(kFail, f.Read(1, 0, 1));
  }
  {
    CfbImage m = base;  // a deep chain of siblings does not exhaust the stack
    std::vector<CfbStream> many;
    for (int i = 0; i < 3000; ++i) many.push_back({"E" + std::to_string(i), "x"});
    Opened f(BuildCompoundFile(many));
    ASSERT_NE(nullptr, f.get());
    EXPECT_EQ(0u, f.get()->entries[3000].parent);
  }
}

TEST(CompoundFileTest, HostileChainsFailTheRead) {
  struct Case {
    const char* what;
    std::function<void(CfbImage*)> poke;
    uint32_t entry, offset, length;
  };
  const std::vector<Case> cases = {
      {"mini chain ends early",
       [](CfbImage* m) { m->SetMiniTableCell(m->firstSectors[0], kCfbEndOfChain); }, 1, 0, 700},
      {"regular chain ends early",
       [](CfbImage* m) { m->SetTableCell(m->firstSectors[1], kCfbEndOfChain); }, 2, 600, 10},
      {"regular chain past the table",
       [](CfbImage* m) { m->SetTableCell(m->firstSectors[1], 0x10000); }, 2, 0, 600},
      {"regular chain past the file", [](CfbImage* m) { m->SetTableCell(m->firstSectors[1], 120); },
       2, 0, 600},
      {"first sector past the file",
       [](CfbImage* m) { m->SetEntryU32(2, kCfbEntryFirstSector, 0xFFFFFF00); }, 2, 0, 1},
      {"mini chain past the mini table",
       [](CfbImage* m) { m->SetMiniTableCell(m->firstSectors[0], 0x7FFFFFFF); }, 1, 0, 100},
      {"mini unit outside the mini stream",
       [](CfbImage* m) { m->SetEntryU32(1, kCfbEntryFirstSector, 127); }, 1, 0, 1},
      {"zero-size entry over a looping mini chain",
       [](CfbImage* m) {
         m->SetEntryU32(1, kCfbEntrySize, 0);
         m->SetMiniTableCell(m->firstSectors[0], m->firstSectors[0]);
       },
       1, 0, 1},
      {"huge size over a looping chain",
       [](CfbImage* m) {
         m->SetEntryU32(2, kCfbEntrySize, 0xFFFFFFFF);
         m->SetTableCell(m->firstSectors[1], m->firstSectors[1]);
       },
       2, 0xFFFFF000, 100},
      {"size beyond a looping chain",
       [](CfbImage* m) {
         m->SetEntryU32(2, kCfbEntrySize, 200000);
         m->SetTableCell(m->firstSectors[1], m->firstSectors[1]);
       },
       2, 0, 200000},
      {"chain longer than the size does not leak bytes",
       [](CfbImage* m) { m->SetEntryU32(2, kCfbEntrySize, 4097); }, 2, 4000, 98},
  };
  for (const Case& c : cases) {
    CfbImage image = BuildCompoundImage({{"Small", Pattern(700, 1)}, {"Big", Pattern(5000, 2)}});
    c.poke(&image);
    Opened f(image.bytes);
    ASSERT_NE(nullptr, f.get()) << c.what;
    EXPECT_TRUE(f.Read(c.entry, c.offset, c.length) == kFail) << c.what;
    EXPECT_TRUE(f.ReadImage(c.entry, c.offset, c.length) == kFail) << c.what;
    EXPECT_FALSE(ReserveStreamRange(f.get(), f.file(), c.entry, c.offset, c.length)) << c.what;
  }
}

}  // namespace
