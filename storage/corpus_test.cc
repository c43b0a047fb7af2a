// The real documents of tests/data against the stream list an independent reader
// made of each (NAME.peers/gsf-list.txt: one line per entry, "f", size, name).
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "storage/compound_file.h"
#include "storage/properties.h"
#include "tests/test_support.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

const char* const kDocuments[] = {
    "calc97_basic.xls",       "calc97_encrypted.xls",    "calc97_large.xls",
    "calc97_scripts.xls",     "calc97_sst_continue.xls", "gnumeric95_basic.xls",
    "gnumeric95_numbers.xls", "impress97_basic.ppt",     "impress97_scripts_hidden.ppt",
    "word97_encrypted.doc",   "word97_format.doc",       "word97_headings.doc",
    "word97_long.doc",        "word97_plain.doc",        "word97_report.doc",
    "word97_scripts.doc",     "word97_table_link.doc",   "word97_tiny.doc",
    "xlwt_numbers.xls",       "xlwt_sst_continue.xls",
};

struct Listed {
  std::string name;
  uint32_t size;
};

std::vector<Listed> ListedStreams(const std::string& document) {
  std::string stem = document.substr(0, document.rfind('.'));
  std::istringstream in(readFile(testDataPath(stem + ".peers/gsf-list.txt")));
  std::vector<Listed> streams;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 2 || line[0] != 'f' || line[1] != ' ') continue;
    std::istringstream fields(line.substr(1));
    Listed l;
    fields >> l.size;
    std::getline(fields, l.name);
    l.name.erase(0, 1);  // the single space before the name
    streams.push_back(l);
  }
  return streams;
}

TEST(CorpusTest, EveryStreamReadsInFullAsListed) {
  for (const char* document : kDocuments) {
    SCOPED_TRACE(document);
    const std::vector<Listed> listed = ListedStreams(document);
    ASSERT_FALSE(listed.empty());
    const std::string image = readFile(testDataPath(document));
    FilePtr file(openFile(testDataPath(document).c_str(), "rb"));
    ASSERT_TRUE(file);
    CompoundFile* compound = OpenCompoundFile(file.get());
    ASSERT_NE(nullptr, compound);

    int streamCount = 0;
    for (uint32_t i = 0; i < compound->entryCount; ++i)
      streamCount += compound->entries[i].kind == 2;
    EXPECT_EQ(static_cast<int>(listed.size()), streamCount);

    for (const Listed& l : listed) {
      const bool propertySet = l.name[0] == '\x05';
      const std::string name = propertySet ? l.name.substr(1) : l.name;
      const int32_t index = FindCompoundEntry(compound, name.c_str());
      ASSERT_GE(index, 0) << name;
      const CompoundEntry& entry = compound->entries[index];
      EXPECT_EQ(l.size, entry.size) << name;
      EXPECT_EQ(propertySet, entry.propertySet == 1) << name;
      EXPECT_EQ(0u, entry.parent) << name;
      MallocPtr<unsigned char> fromFile(ReadStreamRange(compound, file.get(), index, 0, l.size));
      MallocPtr<unsigned char> fromImage(ReadStreamRangeFromImage(
          compound, nullptr, index, 0, l.size, reinterpret_cast<const unsigned char*>(image.data()),
          image.size()));
      ASSERT_TRUE(fromFile && fromImage) << name;
      EXPECT_EQ(0, std::memcmp(fromFile.get(), fromImage.get(), l.size + 1)) << name;
      EXPECT_EQ(nullptr, ReadStreamRange(compound, file.get(), index, 0, l.size + 1)) << name;
    }
    CloseCompoundFile(&compound);
  }
}

TEST(CorpusTest, ContentStreamsBeginWithTheirFormatsMagic) {
  struct Case {
    const char* document;
    const char* stream;
    std::string magic;
  };
  const Case cases[] = {
      {"word97_tiny.doc", "WordDocument", "\xEC\xA5"},  // lives in the mini stream
      {"word97_long.doc", "WordDocument", "\xEC\xA5"},
      {"calc97_basic.xls", "workbook", std::string("\x09\x08", 2)},
      {"gnumeric95_basic.xls", "BOOK", std::string("\x09\x08", 2)},
      {"impress97_basic.ppt", "powerpoint document", std::string("\x0F\x00", 2)},
  };
  for (const Case& c : cases) {
    FilePtr file(openFile(testDataPath(c.document).c_str(), "rb"));
    CompoundFile* compound = OpenCompoundFile(file.get());
    ASSERT_NE(nullptr, compound) << c.document;
    int32_t index = FindContentStream(compound, c.stream);
    ASSERT_GE(index, 0) << c.document;
    MallocPtr<unsigned char> head(ReadStreamRange(compound, file.get(), index, 0, 2));
    ASSERT_TRUE(head) << c.document;
    EXPECT_EQ(c.magic, std::string(reinterpret_cast<char*>(head.get()), 2)) << c.document;
    CloseCompoundFile(&compound);
  }
}

TEST(CorpusTest, HeadOfARealDocument) {
  FilePtr file(openFile(testDataPath("word97_plain.doc").c_str(), "rb"));
  CompoundFile* compound = OpenCompoundFile(file.get());
  ASSERT_NE(nullptr, compound);
  FilePtr out(std::tmpfile());
  char* app = WriteHtmlHead(compound, file.get(), out.get(), "in/word97_plain.doc", CHARSET_ASCII);
  EXPECT_EQ(nullptr, app);
  std::free(app);
  CloseCompoundFile(&compound);
  std::string text(4096, '\0');
  std::rewind(out.get());
  text.resize(std::fread(&text[0], 1, text.size(), out.get()));
  EXPECT_EQ(
      "<TITLE>Quarterly Field Report</TITLE>\n"
      "<META NAME=\"Subject\" CONTENT=\"Plain paragraphs, special characters and properties\">\n"
      "<META NAME=\"Author\" CONTENT=\"Margaret Hollis\">\n"
      "<META NAME=\"Keywords\" CONTENT=\"field report, plain text, corpus\">\n"
      "<META NAME=\"Comments\" CONTENT=\"This document checks plain paragraphs, special "
      "characters and document properties.\">\n"
      "<META NAME=\"LastAuthor\" CONTENT=\"Daniel Ortega\">\n"
      "<META NAME=\"RevNumber\" CONTENT=\"3\">\n"
      "<META NAME=\"Cost_Centre\" CONTENT=\"Research & Development\">\n"
      "<META NAME=\"Project_Code\" CONTENT=\"ALPHA-7 North\">\n"
      "<META NAME=\"QVEFILENAME\" CONTENT=\"word97_plain.doc\">\n"
      "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"in/word97_plain.doc\">\n",
      text);
}

}  // namespace
