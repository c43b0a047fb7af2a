// The corpus workbooks (written by LibreOffice, xlwt and Gnumeric) through the
// lumen program with the shipped character set tables: result, words and numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const char kPage6[] = "<HTML>encrypted</HTML>\n";

struct Workbook {
  const char* name;
  double minimumRecall;  // letter words, HTML mode, windows-1252 output
};

class ExcelCorpus : public ::testing::Test {
 protected:
  std::string Convert(const std::string& name, const std::string& settings) {
    writeFile(dir_.file("e6.html"), kPage6);
    writeFile(dir_.file("lumen.cfg"), "[Configuration]\nHTMLError6=e6.html\n[XLS]\n" + settings +
                                          "CharsetConvTablesDirectory=" + LUMEN_SOURCE_DIR +
                                          "/tables\n");
    writeFile(dir_.file("in.xls"), readFile(testDataPath(name + ".xls")));
    EXPECT_EQ(runLumenIn(dir_.path(), {"in.xls", "out.html"}, "TZ=UTC"), 0);
    return readFile(dir_.file("out.html"));
  }
  ScratchDir dir_;
};

TEST_F(ExcelCorpus, WordsOfEveryWorkbook) {
  // Below 0.97 only where the converter's design leaves words out: each shared
  // string is written once however many cells show it (large), texts of comments
  // (TXO), booleans, apostrophes written as double quotes, dates with month names
  // written as DD-MM-YY, header codes glued to words ("&CRegional").
  const Workbook workbooks[] = {
      {"calc97_basic", 0.86},       {"calc97_scripts", 0.98},     {"calc97_large", 0.27},
      {"calc97_sst_continue", 1.0}, {"xlwt_numbers", 0.92},       {"xlwt_sst_continue", 1.0},
      {"gnumeric95_basic", 0.86},   {"gnumeric95_numbers", 0.92},
  };
  for (const Workbook& w : workbooks) {
    std::string output = Convert(w.name, "");
    std::string expected = readFile(testDataPath(std::string(w.name) + ".expect.txt"));
    EXPECT_GE(LetterRecall(output, expected), w.minimumRecall) << w.name;
  }
}

TEST_F(ExcelCorpus, SharedStringsAfterAThaiOneSurvive) {
  // xls2csv loses the rest of the table after the Thai string; every line of the
  // scripts workbook is here, in UTF-8 as well.
  std::string output = Convert("calc97_scripts", "OutputCharSet=UTF8\n");
  for (const char* text :
       {"\xe0\xb8\x89\xe0\xb8\xb1\xe0\xb8\x99", "Turkish", "Vietnamese", "Polish", "Euro sign",
        "Outside the BMP", "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac",
        "\xd0\xa0\xd1\x83\xd1\x81\xd1\x81\xd0\xba\xd0\xb8\xd0\xb9"}) {
    EXPECT_NE(output.find(text), std::string::npos) << text;
  }
}

// The numbers of the expect file, as NUMBER/FORMULA ("%g"), RK (" %.0f " or
// " %f ") or MULRK cells write them.
TEST_F(ExcelCorpus, NumbersInTheFormsWritten) {
  for (const char* name : {"calc97_basic", "xlwt_numbers", "gnumeric95_numbers"}) {
    std::string output = Convert(name, "");
    std::istringstream expected(readFile(testDataPath(std::string(name) + ".expect.txt")));
    std::string line;
    while (std::getline(expected, line)) {
      char* end = nullptr;
      double value = std::strtod(line.c_str(), &end);
      if (line.empty() || *end != '\0' || line.find_first_of("eE") != std::string::npos) continue;
      char g[64], whole[400], fraction[400];
      std::snprintf(g, sizeof g, "%g   ", value);
      std::snprintf(whole, sizeof whole, " %.0f ", value);
      std::snprintf(fraction, sizeof fraction, " %f ", value);
      bool isWhole = std::floor(value) == value;
      bool found = output.find(g) != std::string::npos ||
                   output.find(isWhole ? whole : fraction) != std::string::npos;
      EXPECT_TRUE(found) << name << ": " << line;
    }
  }
}

TEST_F(ExcelCorpus, EncryptedWorkbookGetsPageSix) {
  EXPECT_EQ(Convert("calc97_encrypted", ""), kPage6);
  EXPECT_EQ(Convert("calc97_encrypted", "OutputXML=1\n"), kPage6);
}

TEST_F(ExcelCorpus, XmlModeStopsLargeWorkbooksNearTheLimit) {
  std::string output = Convert("calc97_large", "OutputXML=1\n");
  EXPECT_GT(output.size(), 51200u);
  EXPECT_LT(output.size(), 51200u + 8192u);
  const std::string end = "</tr></table>\n</tr></table>\n<//content>\n</Document>\n";
  ASSERT_GE(output.size(), end.size());
  EXPECT_EQ(output.substr(output.size() - end.size()), end);
}

}  // namespace
