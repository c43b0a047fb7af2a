#include "storage/properties.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "charset/convert.h"
#include "gtest/gtest.h"
#include "tests/cfb_writer.h"
#include "tests/test_support.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

struct Head {
  std::string text;
  std::string appName;  // "<none>" when nothing was returned
};

// WriteHtmlHead of a built compound file, with its output read back.
Head WriteHead(const std::string& container, const char* inputPath = "",
               CharsetId charset = CHARSET_ASCII) {
  Head head;
  FilePtr file(OpenTempFileWith(container));
  FilePtr out(std::tmpfile());
  EXPECT_TRUE(file && out);
  CompoundFile* compound = OpenCompoundFile(file.get());
  EXPECT_NE(nullptr, compound);
  CharPtr app(WriteHtmlHead(compound, file.get(), out.get(), inputPath, charset));
  head.appName = app ? app.get() : "<none>";
  CloseCompoundFile(&compound);
  std::rewind(out.get());
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, out.get())) > 0) head.text.append(buffer, n);
  return head;
}

std::string Summary(const std::vector<CfbProperty>& properties) {
  return BuildPropertySetStream({BuildPropertySection(properties)});
}

std::string WithSummary(const std::string& stream) {
  return BuildCompoundFile({{"SummaryInformation", stream, true}});
}

TEST(HtmlHeadTest, TitleThenMetaLinesInPropertyOrder) {
  Head head = WriteHead(WithSummary(Summary({{2, PropertyString8("Quarterly report")},
                                             {4, PropertyString8("Ann")},
                                             {3, PropertyString8("Sales")}})));
  EXPECT_EQ(
      "<TITLE>Quarterly report</TITLE>\n"
      "<META NAME=\"Author\" CONTENT=\"Ann\">\n"
      "<META NAME=\"Subject\" CONTENT=\"Sales\">\n",
      head.text);
  EXPECT_EQ("<none>", head.appName);
}

TEST(HtmlHeadTest, FixedNamesDependOnTheStream) {
  std::vector<CfbProperty> all;
  for (uint32_t id : {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 18}) {
    all.push_back({id, PropertyString8("v" + std::to_string(id))});
  }
  const std::string stream = Summary(all);
  Head head = WriteHead(BuildCompoundFile({{"summaryinformation", stream, true},
                                           {"DocumentSummaryInformation", stream, true},
                                           {"OtherInformation", stream, true},
                                           {"SummaryInformationCopy", stream, false}}));
  EXPECT_EQ(
      "<TITLE>v2</TITLE>\n"
      "<META NAME=\"Subject\" CONTENT=\"v3\">\n"
      "<META NAME=\"Author\" CONTENT=\"v4\">\n"
      "<META NAME=\"Keywords\" CONTENT=\"v5\">\n"
      "<META NAME=\"Comments\" CONTENT=\"v6\">\n"
      "<META NAME=\"Template\" CONTENT=\"v7\">\n"
      "<META NAME=\"LastAuthor\" CONTENT=\"v8\">\n"
      "<META NAME=\"RevNumber\" CONTENT=\"v9\">\n"
      "<META NAME=\"AppName\" CONTENT=\"v18\">\n"
      "<META NAME=\"Category\" CONTENT=\"v2\">\n"
      "<META NAME=\"PresFormat\" CONTENT=\"v3\">\n"
      "<META NAME=\"Manager\" CONTENT=\"v14\">\n"
      "<META NAME=\"Company\" CONTENT=\"v15\">\n",
      head.text);
  EXPECT_EQ("v18", head.appName);
}

TEST(HtmlHeadTest, DictionaryNamesInALaterSection) {
  const std::string first = BuildPropertySection({{15, PropertyString8("Acme")}});
  const std::string second = BuildPropertySection(
      {{0, PropertyDictionary({{2, " Project code "}, {3, "Cost\tcentre"}, {2, "Ignored"}})},
       {1, PropertyRaw(2, LeU16(1252))},
       {2, PropertyString8("ALPHA-7")},
       {3, PropertyString8("R&D <lab>")},
       {4, PropertyString8("no name")}});
  Head head = WriteHead(BuildCompoundFile(
      {{"DocumentSummaryInformation", BuildPropertySetStream({first, second}), true}}));
  EXPECT_EQ(
      "<META NAME=\"Company\" CONTENT=\"Acme\">\n"
      "<META NAME=\"Project_code\" CONTENT=\"ALPHA-7\">\n"
      "<META NAME=\"Cost\tcentre\" CONTENT=\"R&D <lab>\">\n",
      head.text);
}

// Names are trimmed of blanks and their spaces become underscores; "Title" and
// "AppName" are recognised only as stored, and values are written untouched.
TEST(HtmlHeadTest, DictionaryNamesAsWritten) {
  const std::string section = BuildPropertySection(
      {{0, PropertyDictionary({{100, " \r\nName\t\n"},
                               {101, "a  b c"},
                               {102, "  "},
                               {103, ""},
                               {104, "title"},
                               {105, " Title"},
                               {106, " AppName"},
                               {107, "Title"},
                               {1, "CodePage"},
                               {0x80000000, "Locale"}})},
       {100, PropertyString8("v100")},
       {101, PropertyString8("say \"hi\" & <b>'it'</b>")},
       {102, PropertyString8("v102")},
       {103, PropertyString8("v103")},
       {104, PropertyString8("v104")},
       {105, PropertyString8("v105")},
       {106, PropertyString8("v106")},
       {107, PropertyString8("a <b> title")},
       {1, PropertyString8("1252")},
       {0x80000000, PropertyString8("en")}});
  Head head = WriteHead(BuildCompoundFile(
      {{"DocumentSummaryInformation", BuildPropertySetStream({section}), true}}));
  EXPECT_EQ(
      "<META NAME=\"Name\" CONTENT=\"v100\">\n"
      "<META NAME=\"a__b_c\" CONTENT=\"say \"hi\" & <b>'it'</b>\">\n"
      "<META NAME=\"\" CONTENT=\"v102\">\n"
      "<META NAME=\"title\" CONTENT=\"v104\">\n"
      "<META NAME=\"Title\" CONTENT=\"v105\">\n"
      "<META NAME=\"AppName\" CONTENT=\"v106\">\n"
      "<TITLE>a <b> title</TITLE>\n",
      head.text);
  EXPECT_EQ("<none>", head.appName);
}

// Streams are read in entry-table order, and their lines are written as read.
TEST(HtmlHeadTest, StreamsInEntryOrder) {
  Head head = WriteHead(BuildCompoundFile(
      {{"DocumentSummaryInformation", Summary({{15, PropertyString8("Acme")}}), true},
       {"SummaryInformation", Summary({{2, PropertyString8("T")}, {4, PropertyString8("A")}}),
        true}}));
  EXPECT_EQ(
      "<META NAME=\"Company\" CONTENT=\"Acme\">\n"
      "<TITLE>T</TITLE>\n"
      "<META NAME=\"Author\" CONTENT=\"A\">\n",
      head.text);
}

TEST(HtmlHeadTest, AppNameIsWrittenAndTheLastOneReturned) {
  Head head = WriteHead(BuildCompoundFile(
      {{"SummaryInformation", Summary({{18, PropertyString8("First")}}), true},
       {"SummaryInformation", Summary({{18, PropertyString8("Microsoft Word 6.0")}}), true}}));
  EXPECT_EQ(
      "<META NAME=\"AppName\" CONTENT=\"First\">\n"
      "<META NAME=\"AppName\" CONTENT=\"Microsoft Word 6.0\">\n",
      head.text);
  EXPECT_EQ("Microsoft Word 6.0", head.appName);
}

TEST(HtmlHeadTest, EmptyValuesAndOtherTypesWriteNothing) {
  Head head = WriteHead(WithSummary(Summary({{2, PropertyString8("")},
                                             {3, PropertyRaw(3, LeU32(42))},
                                             {4, PropertyRaw(64, std::string(8, '\1'))},
                                             {5, PropertyString8("kept")}})));
  EXPECT_EQ("<META NAME=\"Keywords\" CONTENT=\"kept\">\n", head.text);
}

// A section is read in only where its values are: a thumbnail of many kilobytes
// between them is skipped, and a text without a terminator runs on through later
// blocks to the end of the section.
TEST(HtmlHeadTest, ValuesBeyondALargeThumbnail) {
  const std::string thumbnail = PropertyRaw(71, std::string(20000, '\x7F'));
  const std::string open = LeU32(30) + LeU32(4) + std::string(9000, 'x');
  Head head = WriteHead(WithSummary(
      Summary({{17, thumbnail}, {2, PropertyString8("After")}, {4, open}})));
  EXPECT_EQ("<TITLE>After</TITLE>\n<META NAME=\"Author\" CONTENT=\"" + std::string(9000, 'x') +
                "\">\n",
            head.text);
}

TEST(HtmlHeadTest, EightBitStringsAreTakenByteForByteUpToTheirTerminator) {
  // The stored length (here far too large) is not used; the text ends at its 0.
  std::string value = LeU32(30) + LeU32(1000) + "caf\xE9\0tail" + std::string(3, '\0');
  Head head = WriteHead(WithSummary(Summary({{2, value}})));
  EXPECT_EQ("<TITLE>caf\xE9</TITLE>\n", head.text);
  // Type 8 is read the same way.
  value = LeU32(8) + LeU32(3) + std::string("ab\0\0", 4);
  EXPECT_EQ("<TITLE>ab</TITLE>\n", WriteHead(WithSummary(Summary({{2, value}}))).text);
}

// 8-bit strings are in the code page of their section's property 1; a UTF-16
// code page stores them as UTF-16LE with their length in bytes.
TEST(HtmlHeadTest, EightBitStringsAreDecodedFromTheSectionCodePage) {
  ScopedTablesDirectory tables(LUMEN_SOURCE_DIR "/tables");
  const std::string utf16 = std::string("\xa4\x03\xac\x03", 4);  // "Τά"
  const struct {
    int codePage;  // -1: no property 1
    std::string value;
    CharsetId output;
    std::string title;
  } cases[] = {
      {1251, PropertyString8("\xcc\xee\xf1\xea\xe2\xe0"), CHARSET_UTF8,
       "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0"},
      {1251, PropertyString8("\xcc\xee"), CHARSET_ASCII, "&#1052;&#1086;"},
      {932, PropertyString8("\x93\xfa\x96\x7b"), CHARSET_UTF8, "\xe6\x97\xa5\xe6\x9c\xac"},
      {65001, PropertyString8("caf\xc3\xa9"), CHARSET_UTF8, "caf\xc3\xa9"},
      {65001, PropertyString8("caf\xc3\xa9"), CHARSET_ASCII, "caf\xe9"},
      {1200, PropertyRaw(30, LeU32(6) + utf16 + std::string(2, '\0')), CHARSET_UTF8,
       "\xce\xa4\xce\xac"},
      {1252, PropertyString8("caf\xe9 \x93x\x94"), CHARSET_ASCII, "caf\xe9 \x93x\x94"},
      {-1, PropertyString8("caf\xe9"), CHARSET_UTF8, "caf\xc3\xa9"},
  };
  for (const auto& c : cases) {
    std::vector<CfbProperty> properties = {{2, c.value}};
    if (c.codePage >= 0) {
      properties.insert(properties.begin(),
                        {1, PropertyRaw(2, LeU16(static_cast<uint16_t>(c.codePage)))});
    }
    EXPECT_EQ("<TITLE>" + c.title + "</TITLE>\n",
              WriteHead(WithSummary(Summary(properties)), "", c.output).text)
        << c.codePage << " to " << c.output;
  }
  // Dictionary names are decoded the same way.
  const std::string section = BuildPropertySection(
      {{0, PropertyDictionary({{100, "\xc8\xec\xff"}})},
       {1, PropertyRaw(2, LeU16(1251))},
       {100, PropertyString8("\xe4\xe0")}});
  EXPECT_EQ("<META NAME=\"\xd0\x98\xd0\xbc\xd1\x8f\" CONTENT=\"\xd0\xb4\xd0\xb0\">\n",
            WriteHead(BuildCompoundFile({{"DocumentSummaryInformation",
                                          BuildPropertySetStream({section}), true}}),
                      "", CHARSET_UTF8)
                .text);
}

TEST(HtmlHeadTest, SixteenBitStringsAreConverted) {
  // UTF-8 output needs no table files.
  Head head = WriteHead(WithSummary(Summary({{4, PropertyString16(u"Ann L\u00E9e \u20AC")}})), "",
                        CHARSET_UTF8);
  EXPECT_EQ(
      "<META NAME=\"Author\" CONTENT=\"Ann L\xC3\xA9"
      "e \xE2\x82\xAC\">\n",
      head.text);
}

// Runs in a fresh process (the character set tables are loaded once per process):
// with the converter's tables directory set, a 16-bit title converted to ASCII
// loads the tables from there, writes nothing into the working directory, and
// leaves the entity set loaded for the body that follows.
int HeadWithConfiguredTables() {
  bool ok = true;
  {
    ScratchDir scratch;
    const std::filesystem::path tables = std::filesystem::path(scratch.path()) / "tables";
    const std::filesystem::path work = std::filesystem::path(scratch.path()) / "work";
    std::filesystem::create_directories(tables);
    std::filesystem::create_directories(work);
    for (const char* name : {"TB_ascii_ucs2.txt", "TB_unicode_entities.txt"}) {
      std::filesystem::copy_file(std::filesystem::path(LUMEN_SOURCE_DIR) / "tables" / name,
                                 tables / name);
    }
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(work);
    SetDefaultTablesDirectory(tables.string().c_str());
    // The euro sign has a windows-1252 byte; alpha is written as a reference.
    Head head = WriteHead(WithSummary(Summary({{2, PropertyString16(u"A\u20AC\u03B1")}})));
    if (head.text != "<TITLE>A\x80&#945;</TITLE>\n") {
      std::fprintf(stderr, "head: %s\n", head.text.c_str());
      ok = false;
    }
    const std::string body = tables.string();
    CharsetContext context = {const_cast<char*>(body.c_str()), -1};
    char* output = nullptr;
    int32_t length = 0;
    const char16_t alpha = 0x03B1;
    ConvertCharset(CHARSET_UCS2, CHARSET_ASCII, &alpha, 2, &output, &length, &context);
    if (output == nullptr || std::string(output, length) != "&#945;") {
      std::fprintf(stderr, "body lost the entity\n");
      ok = false;
    }
    std::free(output);
    if (!std::filesystem::is_empty(work)) {
      std::fprintf(stderr, "files written into the working directory\n");
      ok = false;
    }
    std::filesystem::current_path(before);
  }
  return ok ? 0 : 1;
}

TEST(HtmlHeadDeathTest, SixteenBitValuesUseTheConfiguredTablesDirectory) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(HeadWithConfiguredTables()), testing::ExitedWithCode(0), "");
}

TEST(HtmlHeadTest, FileNameLines) {
  const std::string none = BuildCompoundFile({{"Book", "x"}});
  EXPECT_EQ(
      "<META NAME=\"QVEFILENAME\" CONTENT=\"report.doc\">\n"
      "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"C:\\in/docs\\report.doc\">\n",
      WriteHead(none, "C:\\in/docs\\report.doc").text);
  EXPECT_EQ(
      "<META NAME=\"QVEFILENAME\" CONTENT=\"a.xls\">\n"
      "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"a.xls\">\n",
      WriteHead(none, "a.xls").text);
  EXPECT_EQ(
      "<META NAME=\"QVEFILENAME\" CONTENT=\"\">\n"
      "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"dir/\">\n",
      WriteHead(none, "dir/").text);
  EXPECT_EQ("", WriteHead(none, "").text);
  // Without a compound file only the file-name lines remain.
  FilePtr out(std::tmpfile());
  EXPECT_EQ(nullptr, WriteHtmlHead(nullptr, nullptr, out.get(), "x.ppt", CHARSET_ASCII));
  EXPECT_EQ(88, std::ftell(out.get()));
}

// Sections are read back to back from the offset at 0x2C (or from 0 when the
// stream is too short to hold it); the header's other offsets are not used.
TEST(HtmlHeadTest, SectionsFollowOneAnother) {
  const std::string title = BuildPropertySection({{2, PropertyString8("Hi")}});
  const std::string author = BuildPropertySection({{4, PropertyString8("Ann")}});
  const std::string empty = LeU32(8) + LeU32(0);
  std::string tooMany = title;
  tooMany.replace(4, 4, LeU32(100));
  std::string exactTable = LeU32(16) + LeU32(1) + LeU32(2) + LeU32(16);
  struct Case {
    const char* what;
    std::string stream;
    std::string want;
  };
  const std::vector<Case> cases = {
      {"short stream read from 0", title, "<TITLE>Hi</TITLE>\n"},
      {"empty section of 8 bytes", BuildPropertySetStream({empty, author}),
       "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"a gap ends the walk", BuildPropertySetStream({title, std::string(4, '\0'), author}),
       "<TITLE>Hi</TITLE>\n"},
      {"too many properties skips only that section",
       BuildPropertySetStream({tooMany, author}), "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"a table that fills the section, its value outside",
       BuildPropertySetStream({exactTable, author}), "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"header offsets of later sections ignored",
       [&] {
         std::string s = BuildPropertySetStream({title, author});
         s.replace(0x40, 4, LeU32(0));
         return s;
       }(),
       "<TITLE>Hi</TITLE>\n<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, WriteHead(WithSummary(c.stream)).text) << c.what;
  }
}

// An 8-bit string needs more than its 8 header bytes; a 16-bit one its header and
// every unit it declares, a terminator not included.
TEST(HtmlHeadTest, ValuesAtTheEndOfTheSection) {
  const std::string author = BuildPropertySection({{4, PropertyString8("Ann")}});
  auto last = [&](const std::string& value) {
    return WithSummary(BuildPropertySetStream({BuildPropertySection({{2, value}}), author}));
  };
  struct Case {
    const char* what;
    std::string value;
    std::string title;
  };
  const std::vector<Case> cases = {
      {"8-bit, one byte", LeU32(30) + LeU32(1) + "x", "x"},
      {"8-bit, type only", LeU32(30), ""},
      {"16-bit, exactly its units", LeU32(31) + LeU32(2) + LeU16('o') + LeU16('k'), "ok"},
      {"16-bit, no units", LeU32(31) + LeU32(0), ""},
      {"16-bit, count only", LeU32(31) + LeU32(1), ""},
      {"type cut short", LeU16(30), ""},
  };
  for (const Case& c : cases) {
    const std::string want = (c.title.empty() ? "" : "<TITLE>" + c.title + "</TITLE>\n") +
                             "<META NAME=\"Author\" CONTENT=\"Ann\">\n";
    EXPECT_EQ(want, WriteHead(last(c.value), "", CHARSET_UTF8).text) << c.what;
  }
}

TEST(HtmlHeadTest, SectionSizeLimit) {
  auto sized = [](uint32_t size) {
    std::string section = BuildPropertySection({{2, PropertyString8("Big")}});
    section.resize(size, '\0');
    section.replace(0, 4, LeU32(size));
    return WithSummary(BuildPropertySetStream({section}));
  };
  EXPECT_EQ("<TITLE>Big</TITLE>\n", WriteHead(sized(511999)).text);
  EXPECT_EQ("", WriteHead(sized(512000)).text);
}

// Every case must drop what is broken, keep what came before, and stay bounded.
TEST(HtmlHeadTest, HostileSections) {
  const std::string good = BuildPropertySection({{4, PropertyString8("Ann")}});
  struct Case {
    const char* what;
    std::string stream;
    std::string want;
  };
  std::string huge16 = LeU32(31) + LeU32(0x80000000) + LeU16('a');
  std::string long16 = LeU32(31) + LeU32(3) + LeU16('a');
  std::string bigDictionary = LeU32(0xFFFFFFFF) + LeU32(2) + LeU32(9) + "Name";
  std::string openDictionary = LeU32(1) + LeU32(2) + LeU32(9) + "Unterminated";
  std::string oneToMany(2000, 'x');
  std::vector<CfbProperty> many;
  for (int i = 0; i < 5000; ++i) many.push_back({2, ""});
  std::string manySection = BuildPropertySection(many);
  // Every entry points at one long value at the end of the section.
  const uint32_t valueAt = static_cast<uint32_t>(manySection.size());
  for (int i = 0; i < 5000; ++i) manySection.replace(12 + 8 * i, 4, LeU32(valueAt));
  manySection += PropertyString8(std::string(60000, 'v'));
  manySection.replace(0, 4, LeU32(static_cast<uint32_t>(manySection.size())));

  const std::vector<Case> cases = {
      {"offset of first section past the stream",
       [&] {
         std::string s = BuildPropertySetStream({good});
         s.replace(0x2C, 4, LeU32(0xFFFFFFF0));
         return s;
       }(),
       ""},
      {"stream too short for the first offset", std::string(10, '\0'), ""},
      {"section size below 8",
       [&] {
         std::string s = BuildPropertySetStream({good});
         s.replace(0x30, 4, LeU32(7));
         return s;
       }(),
       ""},
      {"section size past the stream",
       [&] {
         std::string s = BuildPropertySetStream({good});
         s.replace(0x30, 4, LeU32(5000));
         return s;
       }(),
       ""},
      {"count beyond the content",
       [&] {
         std::string s = BuildPropertySetStream({good});
         s.replace(0x34, 4, LeU32(0x20000000));
         return s;
       }(),
       ""},
      {"value offset before the table",
       BuildPropertySetStream(
           {BuildPropertySection({{2, PropertyString8("x")}}).replace(12, 4, LeU32(3)), good}),
       "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"value offset past the section",
       BuildPropertySetStream(
           {BuildPropertySection({{2, PropertyString8("x")}}).replace(12, 4, LeU32(0xFFFFFFFF)),
            good}),
       "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"16-bit count past the section",
       BuildPropertySetStream({BuildPropertySection({{2, huge16}}), good}),
       "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"16-bit string one unit short",
       BuildPropertySetStream({BuildPropertySection({{2, long16}}), good}),
       "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"8-bit string at the very end",
       BuildPropertySetStream({BuildPropertySection({{2, LeU32(30) + LeU32(5)}}), good}),
       "<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"unterminated 8-bit string runs to the section end",
       BuildPropertySetStream({BuildPropertySection({{2, LeU32(30) + LeU32(5) + "abcd"}}), good}),
       "<TITLE>abcd</TITLE>\n<META NAME=\"Author\" CONTENT=\"Ann\">\n"},
      {"dictionary with an absurd count",
       BuildPropertySetStream({BuildPropertySection(
           {{0, bigDictionary + std::string(1, '\0')}, {2, PropertyString8("named")}})}),
       "<META NAME=\"Name\" CONTENT=\"named\">\n"},
      {"dictionary name without terminator",
       BuildPropertySetStream(
           {BuildPropertySection({{2, PropertyString8("fixed")}, {0, openDictionary}})}),
       "<TITLE>fixed</TITLE>\n"},
      {"dictionary offset past the content",
       BuildPropertySetStream({BuildPropertySection({{0, PropertyDictionary({{2, "N"}})},
                                                     {2, PropertyString8("fixed")}})
                                   .replace(12, 4, LeU32(0x7FFFFFFF))}),
       "<TITLE>fixed</TITLE>\n"},
      {"many entries sharing one long value", BuildPropertySetStream({manySection}),
       "<TITLE>" + std::string(60000, 'v') + "</TITLE>\n"},
  };
  for (const Case& c : cases) {
    Head head = WriteHead(WithSummary(c.stream));
    EXPECT_EQ(c.want, head.text) << c.what;
  }
}

// Names count with values against the section's size: a table that gives one
// long dictionary name to thousands of entries keeps only as many lines as the
// section could hold, instead of a copy of the name for every entry.
TEST(HtmlHeadTest, ManyEntriesSharingOneLongName) {
  const std::string name(1000, 'n');
  const std::string dictionary = PropertyDictionary({{7, name}});
  const std::string value = PropertyString8("x");
  const uint32_t count = 3000;
  const uint32_t dictionaryAt = 8 + 8 * (count + 1);
  const uint32_t valueAt = dictionaryAt + static_cast<uint32_t>(dictionary.size());
  std::string section = LeU32(0) + LeU32(count + 1) + LeU32(0) + LeU32(dictionaryAt);
  for (uint32_t i = 0; i < count; ++i) section += LeU32(7) + LeU32(valueAt);
  section += dictionary + value;
  section.replace(0, 4, LeU32(static_cast<uint32_t>(section.size())));
  const std::string line = "<META NAME=\"" + name + "\" CONTENT=\"x\">\n";
  const std::string text = WriteHead(WithSummary(BuildPropertySetStream({section}))).text;
  EXPECT_EQ(0u, text.size() % line.size());
  EXPECT_EQ(line, text.substr(0, line.size()));
  EXPECT_LE(text.size(), 2 * section.size());
}

TEST(ReadDocumentPropertiesTest, NeedsListsAndAPropertySetEntry) {
  const std::string stream = Summary({{2, PropertyString8("T")}});
  FilePtr file(OpenTempFileWith(BuildCompoundFile(
      {{"SummaryInformation", stream, false}, {"SummaryInformation", stream, true}})));
  CompoundFile* compound = OpenCompoundFile(file.get());
  ASSERT_NE(nullptr, compound);
  PtrList* names = PtrListNew();
  PtrList* values = PtrListNew();
  ReadDocumentProperties(compound, file.get(), 1, CHARSET_ASCII, names, values);
  ReadDocumentProperties(compound, file.get(), 2, CHARSET_ASCII, nullptr, values);
  ReadDocumentProperties(compound, file.get(), 2, CHARSET_ASCII, names, nullptr);
  ReadDocumentProperties(compound, file.get(), 99, CHARSET_ASCII, names, values);
  EXPECT_EQ(0, PtrListCount(names));
  EXPECT_EQ(0, PtrListCount(values));
  ReadDocumentProperties(compound, file.get(), 2, CHARSET_ASCII, names, values);
  ASSERT_EQ(1, PtrListCount(names));
  ASSERT_EQ(1, PtrListCount(values));
  EXPECT_STREQ("Title", static_cast<char*>(PtrListGet(names, 0)));
  EXPECT_STREQ("T", static_cast<char*>(PtrListGet(values, 0)));
  PtrListForEach(names, std::free);
  PtrListForEach(values, std::free);
  PtrListFree(names);
  PtrListFree(values);
  CloseCompoundFile(&compound);
}

}  // namespace
