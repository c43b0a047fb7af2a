#include "pdfconv/document.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kReport = std::string(LUMEN_SOURCE_DIR) + "/tests/data/pdf_report.pdf";

// Stops once it has been asked `after` times.
struct CountingStop {
  int after;
  int asked = 0;
  static bool check(void* data) {
    CountingStop* stop = static_cast<CountingStop*>(data);
    return ++stop->asked > stop->after;
  }
};

// A page is either read whole or, once the check says stop, left out entirely:
// the text gathered before the stop is never ordered and returned.
TEST(PdfPageText, StopCheckLeavesThePageOutOnlyWhenItSaysStop) {
  PdfDocumentPtr document;
  ASSERT_EQ(openPdf(kReport.c_str(), &document), PdfOpenStatus::kOpened);
  bool stopped = true;
  const std::u16string whole = pdfPageText(document.get(), 0, nullptr, nullptr, &stopped);
  EXPECT_FALSE(stopped);
  ASSERT_FALSE(whole.empty());

  CountingStop never{1 << 30};
  EXPECT_EQ(pdfPageText(document.get(), 0, CountingStop::check, &never, &stopped), whole);
  EXPECT_FALSE(stopped);
  EXPECT_GT(never.asked, 1);  // asked while the page is drawn, not once per page

  CountingStop later{never.asked / 2};
  EXPECT_EQ(pdfPageText(document.get(), 0, CountingStop::check, &later, &stopped), u"");
  EXPECT_TRUE(stopped);
}

}  // namespace
