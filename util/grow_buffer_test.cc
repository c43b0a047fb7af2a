#include "util/grow_buffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/test_support.h"

namespace {

TEST(GrowBuffer, FirstAppendSetsCapacityByTheRule) {
  GrowBuffer* buffer = growBufferFromText("");
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->capacity, 20);
  EXPECT_EQ(buffer->length, 0);
  ASSERT_TRUE(growBufferAppend(buffer, "abc"));
  EXPECT_EQ(buffer->capacity, 20);  // 0 + 3 + 10 < 20
  EXPECT_EQ(buffer->length, 3);
  EXPECT_EQ(buffer->text[3], '\0');
  EXPECT_STREQ(buffer->text, "abc");
  growBufferFree(buffer);

  buffer = growBufferFromText("hello");
  EXPECT_EQ(buffer->capacity, 30);  // 2 * 5 + 20
  growBufferFree(buffer);
}

TEST(GrowBuffer, GrowsWhenSlackRunsOut) {
  struct Case {
    int held;
    int added;
    int expectedCapacity;
  };
  const Case cases[] = {
      {118, 0, 276},  // 118 + 0 + 10 is not below 128
      {117, 0, 128},
      {100, 18, 128 * 2 + 36 + 20},
      {100, 17, 128},
  };
  for (const Case& c : cases) {
    // Such a state comes from formatting into the buffer, not from appends.
    GrowBuffer* buffer = growBufferNew(128, "");
    std::memset(buffer->text, 'x', static_cast<size_t>(c.held));
    buffer->length = c.held;
    ASSERT_TRUE(growBufferAppend(buffer, std::string(c.added, 'y').c_str()));
    EXPECT_EQ(buffer->capacity, c.expectedCapacity) << c.held << "+" << c.added;
    EXPECT_EQ(buffer->length, c.held + c.added);
    EXPECT_EQ(buffer->text[buffer->length], '\0');
    growBufferFree(buffer);
  }
}

TEST(GrowBuffer, MissingArgumentsChangeNothing) {
  EXPECT_EQ(growBufferAppend(nullptr, "x"), 0);
  GrowBuffer* buffer = growBufferNew(0, nullptr);
  EXPECT_EQ(buffer->capacity, 1);
  EXPECT_EQ(growBufferAppend(buffer, nullptr), 0);
  EXPECT_EQ(buffer->length, 0);
  char* text = growBufferDetach(buffer);
  EXPECT_STREQ(text, "");
  std::free(text);
}

TEST(GrowBuffer, ManyAppendsKeepContent) {
  GrowBuffer* buffer = growBufferNew(4, "");
  std::string expected;
  for (int i = 0; i < 1000; ++i) {
    std::string piece = std::to_string(i) + ",";
    ASSERT_TRUE(growBufferAppend(buffer, piece.c_str()));
    expected += piece;
  }
  EXPECT_EQ(std::string(buffer->text, buffer->length), expected);
  EXPECT_LT(buffer->length, buffer->capacity);
  growBufferFree(buffer);
}

TEST(FormatString, LongResultsFormatInFull) {
  std::string longText(300, 'z');
  char* text = formatString("<%s|%d>", longText.c_str(), 42);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text), "<" + longText + "|42>");
  std::free(text);
  text = formatString("%s", "");
  EXPECT_STREQ(text, "");
  std::free(text);
}

TEST(FormatString, ResultsAroundTheFirstCapacity) {
  // 127 characters and a terminator fit the first 128 bytes; 128 need a resize.
  for (size_t size : {size_t{127}, size_t{128}, size_t{129}}) {
    std::string text(size, 'q');
    char* formatted = formatString("%s", text.c_str());
    ASSERT_NE(formatted, nullptr);
    EXPECT_EQ(std::string(formatted), text);
    std::free(formatted);
  }
}

TEST(GrowBuffer, ResizeSetsCapacityAndKeepsTerminatedContent) {
  GrowBuffer* buffer = growBufferFromText("abcdef");
  ASSERT_EQ(growBufferResize(buffer, 100), buffer);
  EXPECT_EQ(buffer->capacity, 100);
  EXPECT_STREQ(buffer->text, "abcdef");
  ASSERT_EQ(growBufferResize(buffer, 4), buffer);
  EXPECT_EQ(buffer->capacity, 4);
  EXPECT_EQ(buffer->length, 3);
  EXPECT_STREQ(buffer->text, "abc");
  ASSERT_TRUE(growBufferAppend(buffer, "x"));  // 3 + 1 + 10 is not below 4
  EXPECT_EQ(buffer->capacity, 2 * 4 + 2 + 20);
  EXPECT_STREQ(buffer->text, "abcx");
  EXPECT_EQ(growBufferResize(nullptr, 10), nullptr);
  growBufferFree(buffer);
}

TEST(GrowBuffer, ReadFileHoldsWholeFileAndTerminator) {
  ScratchDir dir;
  std::string bytes("a\0b\nc", 5);
  writeFile(dir.file("f.bin"), bytes);
  GrowBuffer* buffer = growBufferReadFile(dir.file("f.bin").c_str());
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(std::string(buffer->text, buffer->length), bytes);
  EXPECT_EQ(buffer->text[buffer->length], '\0');
  growBufferFree(buffer);
  EXPECT_EQ(growBufferReadFile(dir.file("missing").c_str()), nullptr);
  EXPECT_EQ(growBufferReadFile(""), nullptr);
}

}  // namespace
