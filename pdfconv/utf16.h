// The page text poppler writes as UTF-8, read into UTF-16 units.
#ifndef LUMEN_PDFCONV_UTF16_H_
#define LUMEN_PDFCONV_UTF16_H_

#include <string>
#include <string_view>

// The UTF-16 units of text, read up to its first 0 byte and up to its first
// sequence that is not UTF-8: a stray or missing continuation byte, an overlong
// form, a surrogate, a value past U+10FFFF or a sequence cut by the end. Values
// past U+FFFF become surrogate pairs.
std::u16string utf8ToUtf16(std::string_view text);

#endif  // LUMEN_PDFCONV_UTF16_H_
