#include "pdfconv/utf16.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each text is read up to the first byte that does not go on as UTF-8.
TEST(Utf8ToUtf16, StopsAtTheFirstSequenceThatIsNotUtf8) {
  struct Case {
    std::string text;
    std::u16string units;
  } cases[] = {
      {"a\xC3\xA9\xE2\x82\xAC", u"a\u00E9\u20AC"},
      {"\xF0\x9F\x98\x80z", u"\U0001F600z"},  // a surrogate pair
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {std::string("ab\0cd", 5), u"ab"},
      {"a\x80z", u"a"},                 // stray continuation byte
      {"a\xC3z", u"a"},                 // missing continuation byte
      {"a\xE2\x82", u"a"},              // cut by the end
      {"a\xC0\x80z", u"a"},             // overlong
      {"a\xE0\x9F\xBFz", u"a"},         // overlong three bytes
      {"a\xED\xA0\x80z", u"a"},         // surrogate
      {"a\xF4\x90\x80\x80z", u"a"},     // past U+10FFFF
      {"a\xF8\x88\x80\x80\x80z", u"a"}, // five bytes
  };
  for (const Case& c : cases) EXPECT_EQ(utf8ToUtf16(c.text), c.units) << c.text;
}

}  // namespace
