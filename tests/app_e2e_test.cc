// End-to-end runs of the lumen program: arguments, configuration, error pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const char kPage9[] = "<HTML>page nine\r\n\x01\x02 binary tail\n</HTML>\n";
const char kPage1[] = "<HTML>page one</HTML>\n";

class AppEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir_.file("p9.html"), std::string(kPage9, sizeof kPage9 - 1));
    writeFile(dir_.file("p1.html"), kPage1);
  }

  void writeConfig(const std::string& text) { writeFile(dir_.file("lumen.cfg"), text); }
  int run(const std::vector<std::string>& arguments) { return runLumenIn(dir_.path(), arguments); }
  std::string output(bool* exists = nullptr) { return readFile(dir_.file("out.html"), exists); }

  ScratchDir dir_;
};

TEST_F(AppEndToEnd, WrongArgumentCountsDoNothing) {
  writeConfig("[Configuration]\nHTMLError9=p9.html\n");
  const std::vector<std::vector<std::string>> commands = {
      {}, {"in.txt"}, {"in.txt", "out.html", "extra"}};
  for (const auto& arguments : commands) {
    EXPECT_EQ(run(arguments), 0);
    EXPECT_FALSE(fileIsPresent(dir_.file("out.html")));
  }
}

TEST_F(AppEndToEnd, UnsupportedNamesGetPageNineOverAnyOutput) {
  writeConfig("[Configuration]\nHTMLError9=p9.html\nHTMLError1=p1.html\n");
  const char* names[] = {"missing.txt", ".doc", "a.docx", "noextension", "x.do", "in.txt"};
  writeFile(dir_.file("in.txt"), "some text");
  for (const char* name : names) {
    writeFile(dir_.file("out.html"), std::string(10000, 'p'));  // a longer partial output
    EXPECT_EQ(run({name, "out.html"}), 0) << name;
    EXPECT_EQ(output(), std::string(kPage9, sizeof kPage9 - 1)) << name;
  }
}

TEST_F(AppEndToEnd, UnreadableInputOfASupportedNameGetsPageOne) {
  writeConfig("[Configuration]\nHTMLError9=p9.html\nHTMLError1=p1.html\n");
  std::filesystem::create_directory(dir_.file("folder.xls"));
  for (const char* name : {"missing.xls", "MISSING.XlS", "folder.xls", "a/b/c.xls"}) {
    writeFile(dir_.file("out.html"), std::string(5000, 'p'));
    EXPECT_EQ(run({name, "out.html"}), 0) << name;
    EXPECT_EQ(output(), kPage1) << name;
  }
}

TEST_F(AppEndToEnd, MissingEmptyOrUnreadableConfigurationWritesNothing) {
  writeFile(dir_.file("out.html"), "previous output");
  EXPECT_EQ(run({"x.txt", "out.html"}), 0);  // no lumen.cfg at all
  writeConfig("");
  EXPECT_EQ(run({"x.txt", "out.html"}), 0);
  std::filesystem::remove(dir_.file("lumen.cfg"));
  std::filesystem::create_directory(dir_.file("lumen.cfg"));
  EXPECT_EQ(run({"x.txt", "out.html"}), 0);
  EXPECT_EQ(output(), "previous output");
  EXPECT_EQ(run({"x.txt", "fresh.html"}), 0);
  EXPECT_FALSE(fileIsPresent(dir_.file("fresh.html")));
}

TEST_F(AppEndToEnd, PagePathsQuotedWithEitherSeparator) {
  std::filesystem::create_directory(dir_.file("my pages"));
  writeFile(dir_.file("my pages/nine.html"), "quoted page");
  writeConfig("[Configuration]\nHTMLError9=\"my pages\\nine.html\"\n");
  EXPECT_EQ(run({"a.txt", "out.html"}), 0);
  // The backslash before 'n' is an escape inside quotes; unquoted it separates.
  EXPECT_NE(output(), "quoted page");
  writeConfig("[Configuration]\nHTMLError9=\"my pages/nine.html\"\n");
  EXPECT_EQ(run({"a.txt", "out.html"}), 0);
  EXPECT_EQ(output(), "quoted page");
  writeConfig("[Configuration]\nHTMLError9=my pages\\nine.html\n");
  EXPECT_EQ(run({"a.txt", "out.html"}), 0);
  EXPECT_EQ(output(), "quoted page");
}

TEST_F(AppEndToEnd, EmptyValueFallsBackToDefaultSectionThenBuiltInName) {
  writeFile(dir_.file("d9.html"), "from default");
  writeConfig("[Configuration]\nHTMLError9=\n[Default]\nHTMLError9=d9.html\n");
  EXPECT_EQ(run({"a.txt", "out.html"}), 0);
  EXPECT_EQ(output(), "from default");

  writeFile(dir_.file("Error9.html"), "built-in name");
  writeConfig("[Configuration]\nHTMLError9=\n");
  EXPECT_EQ(run({"a.txt", "out.html"}), 0);
  EXPECT_EQ(output(), "built-in name");
  writeConfig("[Other]\nkey=1\n");
  EXPECT_EQ(run({"a.txt", "out2.html"}), 0);
  EXPECT_EQ(readFile(dir_.file("out2.html")), "built-in name");
}

TEST_F(AppEndToEnd, MissingOrDirectoryPageLeavesOutputAlone) {
  std::filesystem::create_directory(dir_.file("dirpage"));
  for (const char* page : {"nothere.html", "dirpage"}) {
    writeConfig(std::string("[Configuration]\nHTMLError9=") + page + "\n");
    writeFile(dir_.file("out.html"), "left as it was");
    EXPECT_EQ(run({"a.txt", "out.html"}), 0);
    EXPECT_EQ(output(), "left as it was") << page;
    EXPECT_EQ(run({"a.txt", "new.html"}), 0);
    EXPECT_FALSE(fileIsPresent(dir_.file("new.html"))) << page;
  }
}

TEST_F(AppEndToEnd, OutputInMissingFolderIsNotCreated) {
  writeConfig("[Configuration]\nHTMLError9=p9.html\n");
  EXPECT_EQ(run({"a.txt", "no/such/folder/out.html"}), 0);
  EXPECT_FALSE(fileIsPresent(dir_.file("no")));
}

TEST_F(AppEndToEnd, ScrambledConfigurationWorks) {
  std::string text = "[Configuration]\nHTMLError9=p9.html\n";
  for (char& c : text) c = static_cast<char>(c ^ 0xC3);
  writeConfig(text);
  EXPECT_EQ(run({"a.txt", "out.html"}), 0);
  EXPECT_EQ(output(), std::string(kPage9, sizeof kPage9 - 1));
}

TEST_F(AppEndToEnd, InputAndConfigurationAreNeverModified) {
  const std::string config = "[Configuration]\nHTMLError9=p9.html\n[ConfigHelp]\nListUnused=1\n";
  writeConfig(config);
  writeFile(dir_.file("in.txt"), "input");
  EXPECT_EQ(run({"in.txt", "out.html"}), 0);
  EXPECT_EQ(readFile(dir_.file("lumen.cfg")), config);
  EXPECT_EQ(readFile(dir_.file("in.txt")), "input");
}

TEST_F(AppEndToEnd, WatchdogEndsALongRunWithExitCodeTwo) {
  // Holding a write lock on the configuration keeps lumen retrying once a second
  // for about nine seconds, far past the watchdog's three.
  writeConfig("[Configuration]\nHTMLError9=p9.html\n");
  FileLock lock(dir_.file("lumen.cfg"));
  ASSERT_TRUE(lock.locked());
  EXPECT_EQ(run({"a.txt", "out.html"}), 2);
  EXPECT_FALSE(fileIsPresent(dir_.file("out.html")));
}

TEST_F(AppEndToEnd, ShippedConfigurationRunsFromTheSourceTree) {
  std::string source = LUMEN_SOURCE_DIR;
  std::string out = dir_.file("shipped.html");
  EXPECT_EQ(runLumenIn(source, {"document.unsupported", out}), 0);
  EXPECT_EQ(readFile(out), readFile(source + "/pages/Error9.html"));
}

}  // namespace
