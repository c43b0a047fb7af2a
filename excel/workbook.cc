#include "excel/workbook.h"

#include "charset/code_page.h"
#include "excel/numbers.h"

ExcelState::ExcelState(const ExcelSettings* settings, ExcelOutput* output)
    : settings(settings), out(output) {
  // ConvertCharset only reads the directory; the settings own it.
  charsetContext.tablesDirectory = const_cast<char*>(settings->tablesDirectory.c_str());
  charsetContext.languageHint = -1;
  coding.output = settings->outputCharset;
  coding.context = &charsetContext;
  updateTextCoding(this);
}

void updateTextCoding(ExcelState* state) {
  CharsetId narrow = CHARSET_UCS2;
  if (!state->biff8) {
    narrow = CharsetForCodePage(state->codePage);
    if (narrow < 0) narrow = CharsetForCodePage(kCodePageWindows1252);
  }
  state->coding.narrow = narrow;
  state->coding.narrowMayBeUtf16 = !state->biff8 && state->codePage == kCodePageUtf16;
}

bool cellIsBold(const ExcelState& state, uint16_t xf) {
  if (xf >= state.xfFonts.size()) return false;
  uint16_t font = state.xfFonts[xf];
  if (font == 0 || font - 1u >= state.fontWeights.size()) return false;
  return state.fontWeights[font - 1u] >= 700;
}

bool cellIsDate(const ExcelState& state, uint16_t xf) {
  uint32_t format = xf < state.xfFormats.size() ? state.xfFormats[xf] : 0;
  if (isBuiltInDateFormat(format)) return true;
  auto found = state.formatIsDate.find(format);
  return found != state.formatIsDate.end() && found->second;
}
