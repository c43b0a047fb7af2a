// convertWord in process, on documents built in memory: stream choice, result
// codes, offsets from the file that point past what it holds, and damaged copies
// of real documents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cfb_writer.h"
#include "tests/test_support.h"
#include "tests/word_writer.h"
#include "word/fib.h"
#include "word/word.h"

namespace {

// A complex part with one 16-bit piece of `chars` characters at file position fc.
std::string ComplexPart(uint32_t chars, uint32_t fc) {
  std::string part(1 + 4 + 16, '\0');
  part[0] = 2;
  PokeU32(&part, 1, 16);
  PokeU32(&part, 5, 0);
  PokeU32(&part, 9, chars);
  PokeU32(&part, 13 + 2, fc);
  return part;
}

struct Doc {
  std::string text = "Hello world\r";
  uint16_t flags = kFibTableOne;
  size_t padding = 0;  // zero bytes after the text (a large stream)
  std::string table0, table1 = "default";
  bool withDocument = true;
  bool eightBit = false;  // text bytes stored as they are
  std::vector<CfbStream> extra;
  // Applied to the "WordDocument" bytes last.
  std::vector<std::pair<size_t, uint32_t>> fields;
};

// The shared writer's "WordDocument" (FIB and text), with the table streams and
// FIB fields the case asks for.
std::string Build(const Doc& doc) {
  WordDescription d;
  d.flags = doc.flags;
  d.byte13 = 0x10;
  if (doc.eightBit) {
    d.pieces = {Text8(doc.text)};
  } else {
    std::u16string text;
    for (char c : doc.text) text += static_cast<char16_t>(static_cast<unsigned char>(c));
    d.pieces = {Text16(text)};
  }
  d.minDocumentSize = WordTextOffset(d, 1) + static_cast<uint32_t>(doc.padding);
  WordStreamBytes built = BuildWordStreams(d);
  for (const auto& field : doc.fields) PokeU32(&built.document, field.first, field.second);
  std::vector<CfbStream> streams;
  if (doc.withDocument) streams.push_back({"WordDocument", built.document});
  std::string table1 = doc.table1 == "default" ? built.table : doc.table1;
  if (!doc.table0.empty()) streams.push_back({"0Table", doc.table0});
  if (!table1.empty()) streams.push_back({"1Table", table1});
  streams.insert(streams.end(), doc.extra.begin(), doc.extra.end());
  return BuildCompoundFile(streams);
}

class ConvertWord : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir_.file("lumen.cfg"),
              "[MSWord]\nCharsetConvTablesDirectory=" LUMEN_SOURCE_DIR "/tables\n" + extra_);
  }
  void TearDown() override { wordTearDown(nullptr, nullptr); }

  int Convert(const std::string& bytes, std::string* output = nullptr) {
    std::string in = dir_.file("in.doc"), out = dir_.file("out.html");
    writeFile(in, bytes);
    std::remove(out.c_str());
    wordTearDown(nullptr, nullptr);
    int result = convertWord(in.c_str(), out.c_str(), dir_.file("lumen.cfg").c_str(), "MSWord");
    if (output != nullptr) *output = readFile(out);
    return result;
  }
  std::string Body(const std::string& bytes) {
    std::string output;
    EXPECT_EQ(Convert(bytes, &output), 0);
    size_t body = output.find("<BODY>\n");
    return body == std::string::npos ? output : output.substr(body + 7);
  }

  ScratchDir dir_;
  std::string extra_;
};

TEST_F(ConvertWord, ResultCodes) {
  struct Case {
    const char* what;
    Doc doc;
    int result;
  };
  Doc plain;
  Doc encryptedSmall;  // "WordDocument" in the mini stream
  encryptedSmall.flags |= kFibEncrypted;
  Doc encryptedLarge = encryptedSmall;
  encryptedLarge.padding = 5000;
  Doc noDocument;
  noDocument.withDocument = false;
  Doc backwards;
  backwards.fields = {{0x1C, 0x300}};
  Doc binPastFile;  // a paragraph page beyond the end of the file
  binPastFile.table1 = ComplexPart(12, 0x400) + std::string(12, '\0');
  PokeU32(&binPastFile.table1, 21 + 8, 0x7FFF);
  binPastFile.fields = {{0x102, 21}, {0x106, 12}};
  const Case cases[] = {
      {"plain", plain, 0},
      {"encrypted, mini stream", encryptedSmall, -6},
      {"encrypted, own sectors", encryptedLarge, -6},
      {"no WordDocument", noDocument, -8},
      {"text end before start", backwards, -5},
      {"paragraph page past the file", binPastFile, -5},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(Build(c.doc)), c.result) << c.what;
  EXPECT_EQ(Convert("not a compound file"), -5);
}

TEST_F(ConvertWord, TableStreamChoice) {
  Doc both;
  both.text = "first\rsecond\r";
  both.table0 = ComplexPart(6, 0x400);          // "first\r"
  both.table1 = ComplexPart(7, 0x400 + 2 * 6);  // "second\r"
  EXPECT_EQ(Body(Build(both)), "second\n\n</BODY>\n</HTML>\n");
  both.flags = 0;
  EXPECT_EQ(Body(Build(both)), "first\n\n</BODY>\n</HTML>\n");
  Doc onlyOne = both;
  onlyOne.table0.clear();
  EXPECT_EQ(Body(Build(onlyOne)), "second\n\n</BODY>\n</HTML>\n");
  // Without a table stream the text is one 8-bit run from text start to end.
  Doc none;
  none.text = "ab";
  none.table1.clear();
  EXPECT_EQ(Body(Build(none)), "a b \n</BODY>\n</HTML>\n");
}

TEST_F(ConvertWord, OffsetsPastTheStreamKeepWhatIsThere) {
  Doc longPiece;  // the piece claims 100 characters; the stream holds 12
  longPiece.table1 = ComplexPart(100, 0x400);
  EXPECT_EQ(Body(Build(longPiece)), "Hello world\n\n</BODY>\n</HTML>\n");
  Doc farPiece;
  farPiece.table1 = ComplexPart(5, 0x7FFFFF00);
  EXPECT_EQ(Body(Build(farPiece)), "\n</BODY>\n</HTML>\n");
  Doc hugeTables;  // stylesheet, bin table and page tables far outside
  hugeTables.fields = {{0xA2, 0xFFFFFFF0}, {0xA6, 0xFFFFFFF0}, {0x102, 0xFFFFFFF0},
                       {0x106, 0x10},      {0x292, 1},         {0x296, 0xFFFFFFF0},
                       {0x29A, 1},         {0x29E, 0xFFFFFFF0}};
  EXPECT_EQ(Body(Build(hugeTables)), "Hello world\n\n</BODY>\n</HTML>\n");
}

// Japanese Word 6 and 95 documents store each double-byte character with its
// bytes swapped; they are put back in order for Shift-JIS output only.
TEST_F(ConvertWord, ReversedPairsOfOldJapaneseDocuments) {
  Doc old;
  old.eightBit = true;
  old.text = std::string("\xA0\x82\x0D\x00", 4);
  old.table1.clear();
  std::string section = BuildPropertySection({{18, PropertyString8("Microsoft Word 6.0")}});
  old.extra.push_back({"SummaryInformation", BuildPropertySetStream({section}), true});
  const std::string tail = "\n</BODY>\n</HTML>\n";
  EXPECT_EQ(Body(Build(old)), " \x82\n " + tail);  // 8-bit cleaning: 0xA0 and 0 are blanks
  writeFile(dir_.file("lumen.cfg"),
            "[MSWord]\nOutputCharSet=SHIFTJIS\nCharsetConvTablesDirectory=" LUMEN_SOURCE_DIR
            "/tables\n");
  EXPECT_EQ(Body(Build(old)), std::string("\x82\xA0\n\0", 4) + tail);
}

// Damaged copies of real documents, in both output forms: every run ends with a
// result code, and the sanitizer build checks every read.
TEST_F(ConvertWord, DamagedDocumentsGiveAResult) {
  for (const char* xml : {"0", "1"}) {
    writeFile(dir_.file("lumen.cfg"), std::string("[MSWord]\nFormatTables=1\nOutputXML=") + xml +
                                          "\nCharsetConvTablesDirectory=" LUMEN_SOURCE_DIR
                                          "/tables\n");
    for (const char* name : {"word97_table_link.doc", "word97_tiny.doc", "Word6_sections.doc"}) {
      const std::string original = readFile(testDataPath(name));
      uint32_t seed = 12345;
      for (int round = 0; round < 80; ++round) {
        std::string bytes = original;
        for (int flips = 0; flips < 1 + round % 8; ++flips) {
          seed = seed * 1103515245u + 12345u;
          // Past the header: most flips land in the streams.
          size_t at = 512 + (seed >> 8) % (bytes.size() - 512);
          bytes[at] = static_cast<char>(seed >> 3);
        }
        if (round % 10 == 9) bytes.resize(bytes.size() / 2 + round);
        int result = Convert(bytes);
        EXPECT_TRUE(result == 0 || result == -5 || result == -6 || result == -8)
            << name << " round " << round << ": " << result;
      }
    }
  }
}

}  // namespace
