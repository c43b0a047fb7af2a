// Word documents of the corpus (written by LibreOffice) and real-world files (Word
// 97-2003, fast-saved, Word 6) through the lumen program with the shipped tables:
// result, and the words of each document in windows-1252 and in UTF-8 output.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

const char kPage5[] = "<HTML>unreadable</HTML>\n";
const char kPage6[] = "<HTML>encrypted</HTML>\n";

class WordCorpus : public ::testing::Test {
 protected:
  std::string Convert(const std::string& name, const std::string& settings) {
    writeFile(dir_.file("e5.html"), kPage5);
    writeFile(dir_.file("e6.html"), kPage6);
    writeFile(dir_.file("lumen.cfg"),
              "[Configuration]\nHTMLError5=e5.html\nHTMLError6=e6.html\n[MSWord]\n" + settings +
                  "CharsetConvTablesDirectory=" + LUMEN_SOURCE_DIR + "/tables\n");
    writeFile(dir_.file("in.doc"), readFile(testDataPath(name + ".doc")));
    EXPECT_EQ(runLumenIn(dir_.path(), {"in.doc", "out.html"}, "TZ=UTC"), 0);
    return readFile(dir_.file("out.html"));
  }
  ScratchDir dir_;
};

struct Document {
  const char* name;
  double minimumRecall;  // letter words of the expected text
};

TEST_F(WordCorpus, WordsOfEveryDocumentInBothCharacterSets) {
  // Below 1.0 only where the output leaves words out by design: the results of
  // fields (link texts, page numbers) are dropped with their instructions,
  // apostrophes are written as double quotes ("don't" becomes "don"t"), a soft
  // hyphen becomes "-", and the non-BMP ideograph of the scripts sample has no
  // reference in ASCII output.
  const Document documents[] = {
      {"word97_plain", 0.97},
      {"word97_headings", 1.0},
      {"word97_table_link", 0.93},
      {"word97_scripts", 0.98},
      {"word97_format", 0.98},
      {"word97_report", 0.97},
      {"word97_tiny", 1.0},
      // Word 6 without a table stream; Word 97 with upper-case stream names.
      {"Word6_sections", 1.0},
      {"47950_upper", 1.0},
  };
  for (const Document& d : documents) {
    std::string expected = readFile(testDataPath(std::string(d.name) + ".expect.txt"));
    std::string ascii = Convert(d.name, "OutputCharSet=ASCII\n");
    ASSERT_EQ(ascii.compare(0, 14, "<HTML>\n<HEAD>\n"), 0) << d.name;
    EXPECT_GE(LetterRecall(ascii, expected), d.minimumRecall) << d.name << " ASCII";
    std::string utf8 = Convert(d.name, "OutputCharSet=UTF8\n");
    EXPECT_GE(LetterRecall(utf8, expected, true), d.minimumRecall) << d.name << " UTF8";
  }
}

TEST_F(WordCorpus, EightBitTextReadsAsItsPeerInUtf8) {
  // Real files with 8-bit text that is not ASCII: Russian Word 6 text in Cyrillic
  // fonts (a language id of US English), a Word 95 file with 16-bit text, a
  // fast-saved Word 95 file, windows-1252 Word 6 and Word 97 text. Below 1.0
  // where the output leaves field results out.
  const Document documents[] = {
      {"Bug60942b", 1.0}, {"52117", 1.0},          {"Bug51944", 0.98},
      {"Word6_sections2", 0.98}, {"Bug51890", 0.92},
  };
  for (const Document& d : documents) {
    std::string peer = readFile(testDataPath(std::string(d.name) + ".peers/poi.txt"));
    for (const char* mode : {"", "OutputXML=1\n"}) {
      std::string output = Convert(d.name, std::string("OutputCharSet=UTF8\n") + mode);
      EXPECT_TRUE(IsValidUtf8(output)) << d.name << " " << mode;
      EXPECT_GE(LetterRecall(output, peer, true), d.minimumRecall) << d.name << " " << mode;
    }
  }
}

TEST_F(WordCorpus, XmlFormGroupsTextByStyle) {
  writeFile(dir_.file("rename.txt"), "Heading 1\nh1\n");
  std::string output = Convert("word97_headings", "OutputXML=1\nXMLRenameStyleFile=rename.txt\n");
  EXPECT_EQ(output.compare(0, 13, "\n<document>\n\n"), 0);
  EXPECT_NE(output.find("\n<h1>\nIntroduction to the Survey \n</h1>\n"), std::string::npos);
  EXPECT_NE(output.find("\n<text-Heading-2>\nBackground and Scope \n</text-Heading-2>\n"),
            std::string::npos);
  EXPECT_NE(output.find("<text-Normal>"), std::string::npos);
  const std::string end = "\n</document>\n";
  ASSERT_GT(output.size(), end.size());
  EXPECT_EQ(output.substr(output.size() - end.size()), end);
}

TEST_F(WordCorpus, EncryptedDocumentGetsPageSix) {
  EXPECT_EQ(Convert("word97_encrypted", ""), kPage6);
  EXPECT_EQ(Convert("word97_encrypted", "OutputXML=1\n"), kPage6);
}

}  // namespace
