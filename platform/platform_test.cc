#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/test_support.h"

namespace {

TEST(Platform, LibraryNamesAndLoading) {
  struct Case {
    const char* windowsName;
    const char* expected;
  };
  const Case cases[] = {
      {"pdfconv.dll", "libpdfconv.so"}, {"PDFCONV.DLL", "libPDFCONV.so"}, {"plain", "plain"}};
  for (const Case& c : cases) {
    char* name = platformLibraryName(c.windowsName);
    EXPECT_STREQ(name, c.expected);
    std::free(name);
  }
  EXPECT_EQ(loadLibrary("libnothing-here-at-all.so"), nullptr);
  EXPECT_EQ(loadLibrary(""), nullptr);
  EXPECT_EQ(findSymbol(nullptr, "convInit"), nullptr);
  void* libc = loadLibrary("libc.so.6");
  ASSERT_NE(libc, nullptr);
  EXPECT_NE(findSymbol(libc, "strlen"), nullptr);
  EXPECT_EQ(findSymbol(libc, "convConvert"), nullptr);
}

TEST(Platform, WatchdogStopsWithoutWaiting) {
  // A stopped watchdog never fires: the test process would otherwise exit with 7.
  startWatchdog(200, 7);
  stopWatchdog();
  stopWatchdog();
  startWatchdog(100, 7);
  stopWatchdog();
  sleepMilliseconds(300);
  SUCCEED();
}

TEST(Platform, FileAttributes) {
  ScratchDir dir;
  writeFile(dir.file("f"), "12345");
  EXPECT_EQ(pathIsDirectory(dir.path().c_str()), 1);
  EXPECT_EQ(pathIsDirectory(dir.file("f").c_str()), 0);
  EXPECT_EQ(pathIsDirectory(dir.file("none").c_str()), 0);
  EXPECT_EQ(pathStatSize(dir.file("f").c_str()), 5);
  EXPECT_EQ(pathStatSize(dir.file("none").c_str()), -1);
  EXPECT_EQ(makeOneDirectory(dir.file("d").c_str()), 0);
  EXPECT_EQ(makeOneDirectory(dir.file("d").c_str()), -1);
  FILE* stream = std::fopen(dir.file("f").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(streamIsDirectory(stream), 0);
  EXPECT_EQ(lockWholeFile(stream), 1);
  EXPECT_EQ(unlockWholeFile(stream), 1);
  std::fclose(stream);
}

}  // namespace
