// PDF inputs through the lumen program: the bridge with stand-in libraries that
// record their calls, and the real pdfconv plug-in on the corpus PDFs and on PDFs
// it cannot read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"
#include "util/memory.h"

namespace fs = std::filesystem;

namespace {

const char kPage4[] = "<HTML>not a PDF</HTML>\n";
const char kPage5[] = "<HTML>unreadable</HTML>\n";
const char kPage6[] = "<HTML>encrypted</HTML>\n";
const char kPages[] =
    "[Configuration]\nHTMLError4=e4.html\nHTMLError5=e5.html\nHTMLError6=e6.html\n";

std::string LibraryName() {
  CharPtr name(platformLibraryName("pdfconv.dll"));
  return name.get();
}

// Runs a copy of lumen placed in dir, beside `library` as the plug-in (none when
// empty), on a PDF named in.Pdf.
int RunBesideLibrary(const ScratchDir& dir, const std::string& library) {
  const std::string program = fs::path(LUMEN_BINARY).filename().string();
  fs::copy_file(LUMEN_BINARY, dir.file(program));
  if (!library.empty()) fs::copy_file(library, dir.file(LibraryName()));
  writeFile(dir.file("lumen.cfg"), std::string(kPages) + "[Pdf]\n");
  writeFile(dir.file("e5.html"), kPage5);
  writeFile(dir.file("in.Pdf"), "%PDF-1.4\n");
  writeFile(dir.file("out.html"), "before");
  return runProgramIn(dir.path(), dir.file(program), {"in.Pdf", "out.html"});
}

TEST(PdfBridge, CallsBothEntriesOnlyWhenBothExist) {
  const std::string both = "convInit [lumen.cfg] [Pdf]\n"
                           "convConvert [in.Pdf] [out.html] [lumen.cfg] [Pdf]\n";
  struct Case {
    const char* library;  // "" for none
    std::string calls;    // "" when calls.txt must not exist
    const char* output;
  };
  const Case cases[] = {
      {PDF_STANDIN_RECORD, both, "converted"},
      {PDF_STANDIN_NO_INIT, "", "before"},
      {PDF_STANDIN_FAILS, both, "partial"},  // its -5 selects no error page
      {"", "", "before"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    EXPECT_EQ(RunBesideLibrary(dir, c.library), 0) << c.library;
    bool called = false;
    EXPECT_EQ(readFile(dir.file("calls.txt"), &called), c.calls) << c.library;
    EXPECT_EQ(called, !c.calls.empty()) << c.library;
    EXPECT_EQ(readFile(dir.file("out.html")), c.output) << c.library;
  }
}

class PdfPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fileIsPresent((fs::path(LUMEN_BINARY).parent_path() / LibraryName()).string())) {
      GTEST_SKIP() << "the pdfconv plug-in was not built (poppler missing)";
    }
    writeFile(dir_.file("e4.html"), kPage4);
    writeFile(dir_.file("e5.html"), kPage5);
    writeFile(dir_.file("e6.html"), kPage6);
  }

  // Converts bytes as in.pdf with the given [Pdf] lines; returns the output.
  std::string Convert(const std::string& bytes, const std::string& settings) {
    writeFile(dir_.file("lumen.cfg"), std::string(kPages) + "[Pdf]\n" + settings +
                                          "CharsetConvTablesDirectory=" + LUMEN_SOURCE_DIR +
                                          "/tables\n");
    writeFile(dir_.file("in.pdf"), bytes);
    std::remove(dir_.file("out.html").c_str());
    EXPECT_EQ(runLumenIn(dir_.path(), {"in.pdf", "out.html"}), 0);
    return readFile(dir_.file("out.html"));
  }
  ScratchDir dir_;
};

TEST_F(PdfPlugin, EveryWordOfTheCorpusPdfs) {
  for (const char* name : {"pdf_report", "pdf_scripts"}) {
    std::string pdf = readFile(testDataPath(std::string(name) + ".pdf"));
    std::string expected = readFile(testDataPath(std::string(name) + ".expect.txt"));
    std::string peer = readFile(testDataPath(std::string(name) + ".peers/pdftotext.txt"));
    double floor = WordRecall(peer, expected, false);
    std::string utf8 = Convert(pdf, "OutputCharSet=UTF8\n");
    EXPECT_GE(WordRecall(DecodeOutput(utf8, true), expected, false), floor) << name;
    std::string ascii = Convert(pdf, "OutputCharSet=ASCII\n");
    EXPECT_GE(WordRecall(DecodeOutput(ascii), expected, false), floor) << name;
  }
}

TEST_F(PdfPlugin, HeadPagesAndTheirLimit) {
  std::string pdf = readFile(testDataPath("pdf_pages.pdf"));
  const std::string head =
      "<HTML>\n<HEAD>\n<TITLE>Five pages &lt;and&gt; more</TITLE>\n"
      "<META NAME=\"Author\" CONTENT=\"Lumen Tests\">\n"
      "<META NAME=\"QVEFILENAME\" CONTENT=\"in.pdf\">\n"
      "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"in.pdf\">\n\n</HEAD>\n<BODY>\n";
  const std::string page1 = "\n<a name=\"Page 1\"></a>\nPage 1 text\nsecond line of page 1\n";
  const std::string page2 = "\n<a name=\"Page 2\"></a>\nPage 2 text\nsecond line of page 2\n";
  const std::string end = "\n</BODY>\n</HTML>\n";
  EXPECT_EQ(Convert(pdf, "MaxPages=2\n"), head + page1 + page2 + end);
  std::string all = Convert(pdf, "MaxPages=none\n");
  EXPECT_NE(all.find("<a name=\"Page 5\"></a>\nPage 5 text\n"), std::string::npos);
  EXPECT_EQ(all.substr(all.size() - end.size()), end);
}

TEST_F(PdfPlugin, TaggedFormFromAScrambledConfigurationWithDefaults) {
  std::string config = std::string(kPages) +
                       "[Pdf]\nOutputXML=1\n[Default]\nMaxPages=1\nXMLFooter=</doc>\n";
  for (char& c : config) c = static_cast<char>(c ^ 0xC3);
  writeFile(dir_.file("lumen.cfg"), config);
  writeFile(dir_.file("in.pdf"), readFile(testDataPath("pdf_pages.pdf")));
  EXPECT_EQ(runLumenIn(dir_.path(), {"in.pdf", "out.html"}), 0);
  EXPECT_EQ(readFile(dir_.file("out.html")),
            "\n<document>\n\n\n<page number=\"1\">\nPage 1 text\nsecond line of page 1"
            "\n</page>\n</doc>");
}

TEST_F(PdfPlugin, UnreadablePdfsGetTheirErrorPage) {
  std::string report = readFile(testDataPath("pdf_report.pdf"));
  struct Case {
    const char* what;
    std::string bytes;
    const char* page;
  };
  const Case cases[] = {
      {"garbage", "this is no PDF at all\n\x01\x02", kPage4},
      {"empty", "", kPage4},
      {"truncated", report.substr(0, report.size() * 2 / 3), kPage5},
      {"header only", "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n", kPage5},
      {"encrypted", readFile(testDataPath("pdf_encrypted.pdf")), kPage6},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(c.bytes, ""), c.page) << c.what;
  // Encryption with an owner password only needs no password to read.
  std::string owner = Convert(readFile(testDataPath("pdf_owner_password.pdf")), "");
  EXPECT_NE(owner.find("<BODY>\n\n<a name=\"Page 1\"></a>\nSecret words here\n"),
            std::string::npos);
}

}  // namespace
