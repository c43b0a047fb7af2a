// Real presentations through the lumen program with the shipped character set
// tables: the result, the expected words, and each slide's texts under its slide.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/test_support.h"

namespace {

class PptCorpus : public ::testing::Test {
 protected:
  // Converts tests/data/name in one mode with UTF-8 output.
  std::string Convert(const std::string& name, bool xml) {
    writeFile(dir_.file("lumen.cfg"),
              std::string("[Configuration]\nHTMLError5=e5.html\n[Ppt]\nOutputCharSet=UTF8\n"
                          "CharsetConvTablesDirectory=") +
                  std::string(LUMEN_SOURCE_DIR) + "/tables\nOutputXML=" + (xml ? "1" : "0") + "\n");
    writeFile(dir_.file("in.ppt"), readFile(testDataPath(name)));
    EXPECT_EQ(runLumenIn(dir_.path(), {"in.ppt", "out.html"}), 0);
    return readFile(dir_.file("out.html"));
  }

  ScratchDir dir_;
};

// HTML mode writes "<" and ">" as references and apostrophes as double quotes.
std::string Unescaped(std::string text) {
  for (auto pair : {std::make_pair(std::string("&lt;"), std::string("<")),
                    std::make_pair(std::string("&gt;"), std::string(">")),
                    std::make_pair(std::string("\""), std::string("'"))}) {
    for (size_t at = text.find(pair.first); at != std::string::npos;
         at = text.find(pair.first, at + pair.second.size())) {
      text.replace(at, pair.first.size(), pair.second);
    }
  }
  return text;
}

TEST_F(PptCorpus, ExpectedWordsInBothModes) {
  for (const char* name : {"impress97_basic", "impress97_scripts_hidden"}) {
    std::istringstream expected(readFile(testDataPath(std::string(name) + ".expect.txt")));
    std::string html = Unescaped(Convert(std::string(name) + ".ppt", false));
    std::string xml = Convert(std::string(name) + ".ppt", true);
    std::string word;
    int missing = 0;
    while (expected >> word) {
      if (html.find(word) == std::string::npos)
        ++missing, ADD_FAILURE() << name << " html: " << word;
      if (xml.find(word) == std::string::npos) ++missing, ADD_FAILURE() << name << " xml: " << word;
    }
    EXPECT_EQ(missing, 0);
  }
}

TEST_F(PptCorpus, PowerPointFilesKeepSlidesInOrder) {
  // The slide texts live in the slide list; the stream holds the slides in a
  // different order from their persist ids.
  EXPECT_EQ(Convert("incorrect_slide_order.ppt", true),
            "<document>\n"
            "<slide><B>Slide -  1 </B><P>Slide 1<BR>First slide I added<BR><P></slide>"
            "<slide><title> Slide 2<BR> </title><P><title>\n</title>\n<body>\n"
            "Third slide I added<BR></body>\n<P></slide>"
            "<slide><title> Slide 3<BR> </title><P><title>\n</title>\n<body>\n"
            "Second slide I added<BR></body>\n<P></slide></document>\n");
  std::string xml = Convert("ppt_minimized_attachment.ppt", true);
  EXPECT_EQ(xml,
            "<document>\n"
            "<slide><B>Slide -  1 </B><P>Simple PPT attachment<BR>Bla bla bla<BR><P></slide>"
            "<slide><title> First Slide<BR> </title><P><title>\n</title>\n<P></slide>"
            "</document>\n");
  std::string html = Convert("ppt_minimized_attachment.ppt", false);
  EXPECT_NE(html.find("Simple PPT attachment\nBla bla bla\nFirst Slide\n"), std::string::npos);
}

TEST_F(PptCorpus, SavedManyTimesEachLiveTextOnce) {
  // 22 saves, each rewriting the Document and a slide; and a chain whose third edit
  // names itself as the one before. Every text of the live presentation is written
  // once (the body of the HTML output: the head holds the title too).
  for (const char* name : {"47261", "57272_corrupted_usereditatom"}) {
    std::istringstream expected(readFile(testDataPath(std::string(name) + ".expect.txt")));
    std::string html = Unescaped(Convert(std::string(name) + ".ppt", false));
    html = html.substr(html.find("QVEFULLFILENAME"));
    std::string xml = Convert(std::string(name) + ".ppt", true);
    std::string line;
    while (std::getline(expected, line)) {
      if (line.empty()) continue;
      for (const std::string* output : {&html, &xml}) {
        size_t first = output->find(line);
        EXPECT_TRUE(first != std::string::npos && output->find(line, first + 1) == std::string::npos)
            << name << (output == &html ? " html: " : " xml: ") << line;
      }
    }
  }
}

}  // namespace
