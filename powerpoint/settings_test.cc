#include "powerpoint/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

TEST(PptStopList, LineEndsAreCutFromTheLineAsRead) {
  ScratchDir dir;
  const std::string path = dir.file("stop.txt");
  struct Case {
    std::string file;
    std::vector<std::string> lines;
  } cases[] = {
      {"Click\r\nNext\n\nLast", {"Click", "Next", "", "Last"}},
      {"a\n\r\n\rb\r", {"a", "", "\rb"}},  // only line feeds end lines
      // No line feed: the byte before the last is a carriage return, so both go.
      {"x\ry", {"x"}},
      {std::string("ab\0c\r\nd", 8), {"ab", "d"}},  // a line ends at its 0 byte
      {std::string(1500, 'z') + "\n", {std::string(1023, 'z'), std::string(477, 'z')}},
      {"", {}},
  };
  for (const Case& c : cases) {
    writeFile(path, c.file);
    const StopList list = readStopList(path.c_str());
    EXPECT_EQ(std::vector<std::string>(list.lines.begin(), list.lines.end()), c.lines) << c.file;
  }
  EXPECT_TRUE(readStopList(dir.file("missing").c_str()).lines.empty());
}

}  // namespace
