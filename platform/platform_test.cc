#include "platform/platform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/test_support.h"

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
const char kSystemLibrary[] = "msvcrt.dll";
#else
constexpr bool kWindows = false;
const char kSystemLibrary[] = "libc.so.6";
#endif

TEST(Platform, LibraryNamesAndLoading) {
  struct Case {
    const char* windowsName;
    const char* posixName;
  };
  const Case cases[] = {
      {"pdfconv.dll", "libpdfconv.so"}, {"PDFCONV.DLL", "libPDFCONV.so"}, {"plain", "plain"}};
  for (const Case& c : cases) {
    char* name = platformLibraryName(c.windowsName);
    EXPECT_STREQ(name, kWindows ? c.windowsName : c.posixName);
    std::free(name);
  }
  EXPECT_EQ(loadLibrary("libnothing-here-at-all.so"), nullptr);
  EXPECT_EQ(loadLibrary(""), nullptr);
  EXPECT_EQ(findSymbol(nullptr, "convInit"), nullptr);
  void* libc = loadLibrary(kSystemLibrary);
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

TEST(Platform, LocalTimeBeforeAndFarAfter1970) {
  const char* zone = std::getenv("TZ");
  const std::string saved = zone != nullptr ? zone : "";
  setTimeZone("UTC");
  struct Case {
    long long seconds;
    int year, yearDay, weekDay, hour;  // years since 1900
  };
  const Case cases[] = {
      {0, 70, 0, 4, 0},
      {-1555200, 69, 347, 0, 0},          // 1969-12-14, a Sunday
      {-1, 69, 364, 3, 23},               // 1969-12-31 23:59:59
      {32535216000LL, 1101, 0, 4, 0},     // 3001-01-01, past the Windows runtime's range
      {253402300799LL, 8099, 364, 5, 23},  // 9999-12-31 23:59:59
  };
  for (const Case& c : cases) {
    std::tm broken = {};
    ASSERT_EQ(localTimeOf(c.seconds, &broken), 1) << c.seconds;
    EXPECT_EQ(broken.tm_year, c.year) << c.seconds;
    EXPECT_EQ(broken.tm_yday, c.yearDay) << c.seconds;
    EXPECT_EQ(broken.tm_wday, c.weekDay) << c.seconds;
    EXPECT_EQ(broken.tm_hour, c.hour) << c.seconds;
  }
  std::tm broken;
  EXPECT_EQ(localTimeOf(LLONG_MAX, &broken), 0);
  EXPECT_EQ(localTimeOf(LLONG_MIN, &broken), 0);
  setTimeZone(zone != nullptr ? saved.c_str() : nullptr);
}

}  // namespace
