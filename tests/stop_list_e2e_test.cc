// The shipped configuration and stop list, run on a presentation whose masters hold
// the placeholder prompts of PowerPoint and LibreOffice: every prompt is left out,
// in the shipped output set and in UTF8, and its line end stays.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ppt_writer.h"
#include "tests/test_support.h"

namespace {

constexpr uint16_t kMainMaster = 1016, kSlide = 1006, kDrawing = 1036;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    out.push_back(text.substr(start, end - start));
  return out;
}

// UTF-8 of the Basic Multilingual Plane (all the prompts need) to UTF-16.
std::u16string utf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const size_t extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : 2;
    char32_t c = extra == 0 ? lead : lead & (extra == 1 ? 0x1F : 0x0F);
    for (size_t k = 1; k <= extra; ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
    out += static_cast<char16_t>(c);
    i += extra + 1;
  }
  return out;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

TEST(ShippedStopList, LeavesOutMasterPromptsInEveryOutputSet) {
  const std::filesystem::path source(LUMEN_SOURCE_DIR);
  const std::string stopList = readFile((source / "pptconv.dat").string());
  const std::string shipped =
      replaced(readFile((source / "lumen.cfg").string()), "CharsetConvTablesDirectory=tables",
               "CharsetConvTablesDirectory=" + (source / "tables").string());
  ASSERT_NE(shipped.find("StopList=pptconv.dat\n"), std::string::npos);

  // Each UTF-8 line as a 16-bit text, as PowerPoint writes it, with the outline
  // levels a body prompt goes on with; each other line (windows-1252) as 8-bit text.
  std::string master;
  size_t prompts = 0;
  for (const std::string& line : lines(stopList)) {
    ASSERT_FALSE(line.empty());
    master += PptTextHeader(prompts % 2);
    master += IsValidUtf8(line) ? PptTextChars(utf16(line) + u"\rSecond level\rThird level")
                                : PptTextBytes(line);
    ++prompts;
  }
  ASSERT_GT(prompts, 100u);
  const std::string file =
      PptFile(PptContainer(kMainMaster, master) +
              PptContainer(kSlide, PptContainer(kDrawing, PptTextHeader(0) +
                                                              PptTextChars(u"Quarterly results") +
                                                              PptTextChars(u"Click to edit"))));
  const std::string expected = "<META NAME=\"QVEFILENAME\" CONTENT=\"in.ppt\">\n"
                               "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"in.ppt\">\n" +
                               std::string(prompts, '\n') + "Quarterly results\nClick to edit\n";

  const size_t ppt = shipped.find("[Ppt]");
  ASSERT_NE(shipped.find("OutputCharSet=ASCII", ppt), std::string::npos);
  std::string utf8 = shipped;
  utf8.replace(shipped.find("OutputCharSet=ASCII", ppt), 19, "OutputCharSet=UTF8");
  const std::string configs[] = {shipped, utf8};
  for (const std::string& config : configs) {
    ScratchDir dir;
    writeFile(dir.file("lumen.cfg"), config);
    writeFile(dir.file("pptconv.dat"), stopList);
    writeFile(dir.file("in.ppt"), file);
    ASSERT_EQ(runLumenIn(dir.path(), {"in.ppt", "out.html"}), 0);
    EXPECT_EQ(readFile(dir.file("out.html")), expected) << (&config == configs ? "ASCII" : "UTF8");
  }
}

}  // namespace
