// The corpus workbooks (written by LibreOffice, xlwt and Gnumeric) through the
// lumen program with the shipped character set tables: result, words and numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const char kPage6[] = "<HTML>encrypted</HTML>\n";

// Characters 0x80..0x9F of windows-1252 (0 where it has none).
const uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// windows-1252 (or, with utf8, UTF-8) output with numeric references and &lt;
// &gt; &amp; as UTF-8; tags become blanks, surrogate pairs written as two
// references are joined.
std::string DecodeOutput(const std::string& bytes, bool utf8 = false) {
  std::string out;
  uint32_t high = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    uint32_t code = c;
    if (c == '<') {
      size_t end = bytes.find('>', i);
      if (end == std::string::npos) break;
      out += ' ';
      i = end;
      continue;
    }
    if (c == '&') {
      size_t end = bytes.find(';', i);
      std::string entity = end == std::string::npos ? "" : bytes.substr(i + 1, end - i - 1);
      if (entity == "lt" || entity == "gt" || entity == "amp" || entity == "nbsp") {
        out += entity == "lt" ? "<" : entity == "gt" ? ">" : entity == "amp" ? "&" : " ";
        i = end;
        continue;
      }
      if (entity.size() > 1 && entity[0] == '#') {
        code = static_cast<uint32_t>(std::strtoul(entity.c_str() + 1, nullptr, 10));
        i = end;
        if (code >= 0xD800 && code < 0xDC00) {
          high = code;
          continue;
        }
        if (code >= 0xDC00 && code < 0xE000 && high != 0) {
          code = 0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00);
        }
        high = 0;
        AppendUtf8(code, &out);
        continue;
      }
    }
    if (utf8) {
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0x80 && c < 0xA0) code = kCp1252High[c - 0x80];
    AppendUtf8(code, &out);
  }
  return out;
}

bool IsSeparator(char c) {
  return std::string(" \t\r\n\",;|()[]{}<>=*+#~`\\").find(c) != std::string::npos;
}

bool IsPunctuation(unsigned char c) { return c < 0x80 && !std::isalnum(c); }

// Words as the corpus counts them: split at blanks and separators, punctuation
// stripped at both ends.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  auto flush = [&]() {
    size_t b = 0, e = word.size();
    while (b < e && IsPunctuation(static_cast<unsigned char>(word[b]))) ++b;
    while (e > b && IsPunctuation(static_cast<unsigned char>(word[e - 1]))) --e;
    if (e > b) words.push_back(word.substr(b, e - b));
    word.clear();
  };
  for (char c : text) {
    if (IsSeparator(c)) {
      flush();
    } else {
      word += c;
    }
  }
  flush();
  return words;
}

bool HasLetter(const std::string& word) {
  for (unsigned char c : word) {
    if (std::isalpha(c) || c >= 0x80) return true;
  }
  return false;
}

// The expected words holding a letter that the output holds, each counted as
// often as it is expected (and found); *total counts the expected ones.
std::map<std::string, int> LetterWordsFound(const std::string& output,
                                            const std::string& expected, bool utf8,
                                            int* total) {
  std::map<std::string, int> inOutput;
  for (const std::string& w : Words(DecodeOutput(output, utf8))) ++inOutput[w];
  std::map<std::string, int> found;
  *total = 0;
  for (const std::string& w : Words(expected)) {
    if (!HasLetter(w)) continue;
    ++*total;
    if (inOutput[w] > 0) {
      --inOutput[w];
      ++found[w];
    }
  }
  return found;
}

// Share of the expected words holding a letter that the output holds.
double LetterRecall(const std::string& output, const std::string& expected) {
  int total = 0;
  int hits = 0;
  for (const auto& word : LetterWordsFound(output, expected, false, &total)) hits += word.second;
  return total == 0 ? 1.0 : static_cast<double>(hits) / total;
}

bool IsValidUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t more = c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2
                : c >= 0xF0 && c < 0xF5 ? 3 : 4;
    if (more == 4) return false;
    for (size_t k = 1; k <= more; ++k) {
      if (i + k >= bytes.size() || (static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += more + 1;
  }
  return true;
}

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

TEST_F(ExcelCorpus, Utf8OutputIsValidAndHoldsEveryWordOfTheWindows1252Output) {
  // 8-bit texts (BIFF8 compressed strings, BIFF5 code-page strings) are converted
  // like 16-bit ones: every expected word the windows-1252 output holds is in the
  // UTF-8 output as well, as often.
  for (const char* name : {"calc97_basic", "calc97_scripts", "calc97_large", "calc97_sst_continue",
                           "xlwt_numbers", "xlwt_sst_continue", "gnumeric95_basic",
                           "gnumeric95_numbers"}) {
    std::string expected = readFile(testDataPath(std::string(name) + ".expect.txt"));
    std::string utf8 = Convert(name, "OutputCharSet=UTF8\n");
    EXPECT_TRUE(IsValidUtf8(utf8)) << name;
    int total = 0;
    std::map<std::string, int> inUtf8 = LetterWordsFound(utf8, expected, true, &total);
    for (const auto& word : LetterWordsFound(Convert(name, ""), expected, false, &total)) {
      EXPECT_GE(inUtf8[word.first], word.second) << name << ": " << word.first;
    }
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
