#include "util/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"
#include "util/hash.h"
#include "util/memory.h"

namespace {

// '|' in an expected path stands for the separator this platform puts in.
std::string withSeparator(std::string path) {
  for (char& c : path) c = c == '|' ? kPathSeparator : c;
  return path;
}

TEST(JoinPath, AddsOneSeparator) {
  struct Case {
    const char* directory;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"logs", "app.log", "logs|app.log"},
      {"logs", "/app.log", "logs|app.log"},
      {"logs\\", "app.log", "logs\\app.log"},
      {"logs/", "\\app.log", "logs/app.log"},
      {"C:\\logs", "/app.log", "C:\\logs|app.log"},
      {"", "app.log", "app.log"},  // the working directory, never the root
  };
  for (const Case& c : cases) {
    char* joined = joinPath(c.directory, c.name);
    EXPECT_EQ(std::string(joined), withSeparator(c.expected)) << c.directory << " + " << c.name;
    std::free(joined);
  }
  EXPECT_EQ(joinPath(nullptr, "a"), nullptr);
  EXPECT_EQ(joinPath("a", nullptr), nullptr);
}

TEST(Paths, NativeSeparators) {
  char path[] = "pages\\errors/Error1.html";
  EXPECT_EQ(std::string(toNativeSeparators(path)), withSeparator("pages|errors|Error1.html"));
}

TEST(MakeDirectories, CreatesEachLevelWithEitherSeparator) {
  ScratchDir dir;
  std::string path = dir.path() + "\\a\\b/c";
  EXPECT_EQ(makeDirectories(path.c_str()), 1);
  EXPECT_EQ(isDirectory(dir.file("a/b/c").c_str()), 1);
  EXPECT_EQ(makeDirectories(path.c_str()), 1);  // existing levels are fine
  writeFile(dir.file("file"), "x");
  std::string blocked = dir.file("file/sub");
  EXPECT_EQ(makeDirectories(blocked.c_str()), 1);  // creation fails, result still 1
  EXPECT_EQ(isDirectory(blocked.c_str()), 0);
  EXPECT_EQ(makeDirectories(""), 0);
  EXPECT_EQ(makeDirectories(nullptr), 0);
}

TEST(Files, WholeFileReads) {
  ScratchDir dir;
  writeFile(dir.file("empty"), "");
  writeFile(dir.file("data"), std::string("ab\0c", 4));
  char* block = reinterpret_cast<char*>(1);
  EXPECT_EQ(readWholeFile(dir.file("empty").c_str(), &block), 0);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(readWholeFile(dir.file("data").c_str(), &block), 4);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::memcmp(block, "ab\0c\0\0", 6), 0);
  std::free(block);
  EXPECT_EQ(readWholeFile(dir.file("missing").c_str(), &block), 0);
  EXPECT_EQ(block, nullptr);

  long count = 0;
  EXPECT_EQ(readFileLocked(dir.file("data").c_str(), &block, &count), 1);
  EXPECT_EQ(count, 4);
  std::free(block);
  EXPECT_EQ(readFileLocked(dir.file("missing").c_str(), &block, &count), 0);
  EXPECT_EQ(count, -1);

  EXPECT_EQ(fileSizeByPath(dir.file("data").c_str()), 4);
  EXPECT_EQ(fileSizeByPath(dir.file("missing").c_str()), -1);
  EXPECT_EQ(fileSizeByName(dir.file("data").c_str()), 4);
  EXPECT_EQ(fileSizeByName(dir.file("missing").c_str()), 0);
}

TEST(Files, WholeReadOfAStreamLongerThanItsSizeStaysTerminated) {
  // A pipe measures 0 bytes, so the read takes the 2 spare bytes of "abcdef".
  FILE* pipe = popen("echo abcdef", "r");
  ASSERT_NE(pipe, nullptr);
  char* block = nullptr;
  EXPECT_EQ(readStreamWhole(pipe, &block), 2);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::memcmp(block, "ab\0", 3), 0);
  std::free(block);
  pclose(pipe);
}

TEST(Files, ExistsAndCopy) {
  ScratchDir dir;
  std::string big(5000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  writeFile(dir.file("page.html"), big);
  writeFile(dir.file("out.html"), std::string(9000, 'x'));

  EXPECT_EQ(fileExists(dir.file("page.html").c_str()), 0);
  EXPECT_EQ(fileExists(dir.file("nope").c_str()), -1);
  EXPECT_EQ(fileExists(dir.path().c_str()), -1);  // a directory is not a readable file
  EXPECT_EQ(fileExists(""), -1);
  EXPECT_EQ(fileExists(nullptr), -1);

  EXPECT_EQ(copyFile(dir.file("page.html").c_str(), dir.file("out.html").c_str(), "w"), 1);
  EXPECT_EQ(readFile(dir.file("out.html")), big);
  EXPECT_EQ(copyFile(dir.file("page.html").c_str(), dir.file("out.html").c_str(), "a"), 1);
  EXPECT_EQ(readFile(dir.file("out.html")), big + big);

  writeFile(dir.file("keep"), "kept");
  EXPECT_EQ(copyFile(dir.file("nope").c_str(), dir.file("keep").c_str(), "w"), 0);
  EXPECT_EQ(copyFile(dir.path().c_str(), dir.file("keep").c_str(), "w"), 0);
  EXPECT_EQ(copyFile(dir.file("page.html").c_str(), dir.file("keep").c_str(), "r"), 0);
  EXPECT_EQ(readFile(dir.file("keep")), "kept");
  EXPECT_EQ(copyFile(dir.file("page.html").c_str(), dir.file("no/such/dir").c_str(), "w"), 0);
}

TEST(Memory, ZeroFillingAllocators) {
  EXPECT_EQ(allocZeroed(0), nullptr);
  EXPECT_EQ(allocArray(0, 4), nullptr);
  EXPECT_EQ(allocArray(4, 0), nullptr);
  unsigned char* block = static_cast<unsigned char*>(allocZeroed(4));
  std::memset(block, 0xAA, 4);
  block = static_cast<unsigned char*>(reallocZeroTail(block, 10, 4));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[3], 0xAA);
  for (int i = 4; i < 10; ++i) EXPECT_EQ(block[i], 0) << i;
  EXPECT_EQ(reallocOrFree(block, 0), nullptr);  // frees the block
  block = static_cast<unsigned char*>(reallocOrFree(nullptr, 3));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[0] | block[1] | block[2], 0);
  std::free(block);

  int count = 2;
  char** items = static_cast<char**>(allocArray(2, sizeof(char*)));
  items[0] = static_cast<char*>(allocZeroed(3));
  EXPECT_EQ(freeStringArray(&count, &items), 0);
  EXPECT_EQ(items, nullptr);
  EXPECT_EQ(count, 0);
  // Nothing to do: the count comes back unchanged.
  count = 3;
  EXPECT_EQ(freeStringArray(&count, &items), 3);
  EXPECT_EQ(count, 3);
  count = -2;
  items = static_cast<char**>(allocArray(1, sizeof(char*)));
  EXPECT_EQ(freeStringArray(&count, &items), -2);
  EXPECT_NE(items, nullptr);
  std::free(items);
}

TEST(Files, MissingArgumentsGiveNeutralResults) {
  ScratchDir dir;
  writeFile(dir.file("f"), "x");
  EXPECT_EQ(openFile("", "rb"), nullptr);
  EXPECT_EQ(openFile(nullptr, "rb"), nullptr);
  EXPECT_EQ(openFile(dir.file("f").c_str(), nullptr), nullptr);
  EXPECT_EQ(closeFile(nullptr), -1);
  EXPECT_EQ(streamSize(nullptr), 0);
  EXPECT_EQ(fileSizeByPath(""), -1);
  EXPECT_EQ(isDirectory(""), 0);
  EXPECT_EQ(isDirectory(nullptr), 0);
  char* block = reinterpret_cast<char*>(1);
  EXPECT_EQ(readWholeFile(nullptr, &block), 0);
  EXPECT_EQ(block, nullptr);
  long count = 0;
  EXPECT_EQ(readFileLocked(dir.file("f").c_str(), nullptr, &count), 0);
  EXPECT_EQ(count, -1);
}

TEST(Hash, StringCallbacks) {
  EXPECT_EQ(hashString(""), 0u);
  EXPECT_EQ(hashString("A"), 0x41u);
  EXPECT_EQ(hashString("AB"), 0x41u ^ (0x42u + 64u * 0x41u));
  EXPECT_EQ(compareStrings("a", "b"), -1);
  EXPECT_EQ(compareStrings("b", "a"), 1);
  EXPECT_EQ(compareStrings("\xe9", "a"), 1);  // bytes compare unsigned
  EXPECT_EQ(compareStrings("same", "same"), 0);
  EXPECT_EQ(compareStrings("ab", "abc"), -1);
  const char* base = "0123456789";
  EXPECT_EQ(comparePointers(base + 7, base + 2), 5);
  EXPECT_EQ(comparePointers(base + 2, base + 7), -5);
}

}  // namespace
