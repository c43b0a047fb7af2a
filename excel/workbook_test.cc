#include "excel/workbook.h"

#include <gtest/gtest.h>

namespace {

TEST(WorkbookTest, BoldFollowsTheXfFontIndexAndFontWeights) {
  ExcelSettings settings;
  ExcelOutput output(nullptr);
  ExcelState state(&settings, &output);
  state.fontWeights = {700, 400, 800};
  state.xfFonts = {0, 1, 2, 3, 4, 0xFFFF};
  const bool bold[] = {false, true, false, true, false, false, false};
  for (uint16_t xf = 0; xf < 7; ++xf) EXPECT_EQ(cellIsBold(state, xf), bold[xf]) << xf;
}

TEST(WorkbookTest, DatesFollowBuiltInAndFormatRecordIndexes) {
  ExcelSettings settings;
  ExcelOutput output(nullptr);
  ExcelState state(&settings, &output);
  state.xfFormats = {0, 14, 17, 18, 164, 165};
  state.formatIsDate = {{164, true}, {14, true}, {165, false}};
  const bool date[] = {false, true, true, false, true, false, false};
  for (uint16_t xf = 0; xf < 7; ++xf) EXPECT_EQ(cellIsDate(state, xf), date[xf]) << xf;
}

}  // namespace
