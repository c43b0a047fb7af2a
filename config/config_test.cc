#include "config/config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "util/memory.h"

namespace {

class Config : public ::testing::Test {
 protected:
  void TearDown() override {
    configFree(&config_);
    configSetReportPath(nullptr);
  }

  // Loads text as a configuration file with the given flags; returns the status.
  int load(const std::string& text, int flags = 0) {
    configFree(&config_);
    writeFile(dir_.file("lumen.cfg"), text);
    return configLoad(&config_, dir_.file("lumen.cfg").c_str(), flags);
  }

  // configGetString, "<none>" when nothing was stored.
  std::string get(const char* section, const char* key, const char* fallback = nullptr) {
    char* value = nullptr;
    configGetString(config_, section, key, &value, fallback);
    std::string result = value != nullptr ? value : "<none>";
    std::free(value);
    return result;
  }

  std::vector<std::string> reportLines() {
    std::vector<std::string> lines;
    std::string text = readFile(dir_.file("report.log"));
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

  ScratchDir dir_;
  ConfigFile* config_ = nullptr;
};

std::string scrambled(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(c ^ kConfigScrambleKey);
  return out;
}

TEST_F(Config, SectionsAndKeysIgnoreCaseAndBlanks) {
  for (int flags : {0, CONFIG_COPY_STRINGS}) {
    ASSERT_EQ(load("[Configuration]\nHTMLError1 = Err.html\n", flags), 0);
    EXPECT_EQ(get("configuration", " htmlerror1 "), "Err.html") << flags;
    EXPECT_EQ(get(" CONFIGURATION\t", "HTMLERROR1"), "Err.html") << flags;
  }
}

TEST_F(Config, LineRules) {
  ASSERT_EQ(load("early=before any section\r\n"
                 "\xEF\xBB\xBF[Bom]\nbom=1\n"
                 "  [ Main ] trailing text\r\n"
                 "\r\n\r\n"
                 "; semi=1\n# hash=1\n// slash=1\n[broken\nbroken=1\n"
                 "key\t = value = with = equals  \n"
                 "$odd.key_-,%&'=x\n"
                 "noequals\n"
                 "=novalue\n"
                 "dup=first\ndup=second\n"
                 "Mixed=KeepCase\n"),
            0);
  EXPECT_EQ(get("Main", "early"), "<none>");
  EXPECT_EQ(get("Bom", "bom"), "<none>");
  EXPECT_EQ(get("Main", "semi"), "<none>");
  EXPECT_EQ(get("Main", "hash"), "<none>");
  EXPECT_EQ(get("broken", "broken"), "<none>") << "a '[' without ']' starts no section";
  EXPECT_EQ(get("Main", "broken"), "1");
  EXPECT_EQ(get("Main", "key"), "value = with = equals");
  EXPECT_EQ(get("Main", "$odd.key_-,%&'"), "x");
  EXPECT_EQ(get("Main", "dup"), "first");
  EXPECT_EQ(get("Main", "mixed"), "KeepCase");
}

TEST_F(Config, FallsBackToDefaultSection) {
  ASSERT_EQ(load("[XLS]\nOutputXML=yes\n[DEFAULT]\nOutputCharSet=UTF8\nOutputXML=no\n"), 0);
  EXPECT_EQ(get("XLS", "OutputCharSet"), "UTF8");
  EXPECT_EQ(get("XLS", "OutputXML"), "yes");
  EXPECT_EQ(get("Missing", "OutputCharSet"), "UTF8");
  EXPECT_EQ(get("XLS", "Nothing", "fallback"), "fallback");
  EXPECT_EQ(get("XLS", "Nothing"), "<none>");
}

TEST_F(Config, EmptyValueDependsOnMode) {
  const std::string text = "[Configuration]\nHTMLError1=\n[Default]\nHTMLError1=D.html\n";
  ASSERT_EQ(load(text, 0), 0);
  EXPECT_EQ(get("Configuration", "HTMLError1", "Error1.html"), "");
  ASSERT_EQ(load(text, CONFIG_COPY_STRINGS), 0);
  EXPECT_EQ(get("Configuration", "HTMLError1", "Error1.html"), "D.html");
  ASSERT_EQ(load("[Configuration]\nHTMLError1=\n", CONFIG_COPY_STRINGS), 0);
  EXPECT_EQ(get("Configuration", "HTMLError1", "Error1.html"), "Error1.html");
}

TEST_F(Config, QuotedValues) {
  ASSERT_EQ(load("[S]\n"
                 "tab=\" a\\tb \"\n"
                 "escapes=\"\\\"q\\\" \\\\ \\n\\r\\x\"\n"
                 "half=\"only at the start\n"
                 "inner=a \"quoted\" word\n"
                 "one=\"\n"),
            0);
  EXPECT_EQ(get("S", "tab"), " a\tb ");
  EXPECT_EQ(get("S", "escapes"), "\"q\" \\ \n\rx");
  EXPECT_EQ(get("S", "half"), "\"only at the start");
  EXPECT_EQ(get("S", "inner"), "a \"quoted\" word");
  EXPECT_EQ(get("S", "one"), "\"");
  EXPECT_EQ(get("S", "missing", "\"default\""), "default");
}

TEST_F(Config, UnquoteDropsTrailingBackslash) {
  char text[] = "\"ab\\\"";  // "ab\" : the backslash escapes the closing quote
  EXPECT_EQ(configUnquote(text), 1);
  EXPECT_STREQ(text, "ab\"");
  char bare[] = "\"x\\";
  EXPECT_EQ(configUnquote(bare), 0);
  char empty[] = "\"\"";
  EXPECT_EQ(configUnquote(empty), 1);
  EXPECT_STREQ(empty, "");
  char lone[] = "\"";
  EXPECT_EQ(configUnquote(lone), 0);
}

TEST_F(Config, ParseBool) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"Yes", 1},   {"Y", 1},     {"nope", 0},  {"none", 0},        {"On", 1},
      {"one", 1},   {"off", 0},   {"TRUE", 1},  {"false", 0},       {"2", 1},
      {"-1", 1},    {"0", 0},     {"0x1", 0},   {"ok", 0},          {"", 0},
      {" 7", 1},    {"truely", 1}, {"12abc", 1}, {"1234567890true", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(configParseBool(c.text), c.expected) << c.text;
  EXPECT_EQ(configParseBool(nullptr), 0);
}

TEST_F(Config, GetBoolUsesDefaultOnlyWhenMissing) {
  ASSERT_EQ(load("[S]\na=no\nb=yes\n"), 0);
  int value = -1;
  configGetBool(config_, "S", "a", &value, 1);
  EXPECT_EQ(value, 0);
  configGetBool(config_, "S", "b", &value, 0);
  EXPECT_EQ(value, 1);
  configGetBool(config_, "S", "c", &value, 7);
  EXPECT_EQ(value, 7);
  value = -1;
  configGetBool(nullptr, "S", "b", &value, 0);
  EXPECT_EQ(value, -1);
}

TEST_F(Config, Lists) {
  ASSERT_EQ(load("[S]\nlist=a,\"b,c\",,d\ntrailing=x,\nquoted=\"a\\\"b\",\"tail\nempty=\n"), 0);
  struct Case {
    const char* key;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"list", {"a", "b,c", "", "d"}},
      {"trailing", {"x", ""}},
      {"quoted", {"a\"b", "\"tail"}},
  };
  for (const Case& c : cases) {
    int count = -1;
    char** items = nullptr;
    configGetList(config_, "S", c.key, &count, &items);
    ASSERT_EQ(count, static_cast<int>(c.items.size())) << c.key;
    for (int i = 0; i < count; ++i) EXPECT_EQ(items[i], c.items[i]) << c.key << i;
    freeStringArray(&count, &items);
  }
  int count = 5;
  char** items = nullptr;
  configGetList(config_, "S", "empty", &count, &items);
  configGetList(config_, "S", "missing", &count, &items);
  EXPECT_EQ(splitList("", &count, &items), 0);
  EXPECT_EQ(splitList(nullptr, &count, &items), 0);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(items, nullptr);
}

TEST_F(Config, DuplicateSectionsFollowTheMovingWalk) {
  ASSERT_EQ(load("[A]\nk=first\n[B]\nk=b\n[A]\nk=second\n"), 0);
  EXPECT_EQ(get("A", "k"), "first");
  EXPECT_EQ(get("A", "k"), "first");
  EXPECT_EQ(get("B", "k"), "b");
  EXPECT_EQ(get("A", "k"), "second");
  EXPECT_EQ(get("A", "k"), "second");
  EXPECT_EQ(get("", "k"), "<none>");
}

TEST_F(Config, DefaultSectionIsFoundByTheMovingWalkThenCached) {
  // The fallback walk starts at the section just found, so it meets the second
  // [Default] first, and every later fallback keeps that one. An in-place load has
  // already looked up ConfigHelp/ListDefaults, whose fallback found the first.
  const std::string text = "[Default]\nk=1\n[A]\nx=a\n[Default]\nk=2\n[B]\nx=b\n";
  for (int flags : {CONFIG_COPY_STRINGS, 0}) {
    const std::string expected = flags == 0 ? "1" : "2";
    ASSERT_EQ(load(text, flags), 0);
    EXPECT_EQ(get("A", "k"), expected) << flags;
    EXPECT_EQ(get("B", "k"), expected) << flags;
    EXPECT_EQ(get("default", "k"), expected) << flags;
  }
}

TEST_F(Config, SwitchToListDefaultsIsReadOnlyInPlace) {
  configSetReportPath(dir_.file("report.log").c_str());
  ASSERT_EQ(load("[ConfigHelp]\nListDefaults=1\n[Default]\nshared=d\n", CONFIG_COPY_STRINGS), 0);
  EXPECT_EQ(get("S", "shared"), "d");
  get("S", "nowhere");
  configFree(&config_);
  EXPECT_FALSE(fileIsPresent(dir_.file("report.log")));
}

TEST_F(Config, ScrambledFilesLoadAsPlain) {
  const std::string plain = "[S]\nkey=value\n";
  for (int flags : {0, CONFIG_COPY_STRINGS}) {
    ASSERT_EQ(load(scrambled(plain), flags), 0);
    EXPECT_EQ(config_->scrambled, 1);
    EXPECT_EQ(get("S", "key"), "value");
  }
  ASSERT_EQ(load(scrambled("// comment\n[S]\nkey=v2\n")), 0);
  EXPECT_EQ(get("S", "key"), "v2");
  ASSERT_EQ(load(scrambled("<!-- -->\n[S]\nkey=v3\n")), 0);
  EXPECT_EQ(get("S", "key"), "v3");
  ASSERT_EQ(load(plain), 0);
  EXPECT_EQ(config_->scrambled, 0);
}

TEST_F(Config, UnscrambledTextIsNeverTestedAgain) {
  // Unscrambling this plain text gives 0x98 first, the scrambled form of '['; the
  // loader must not reload it again and again.
  ASSERT_EQ(load("[S]\nkey=value\n", CONFIG_SCRAMBLED), 0);
  EXPECT_EQ(config_->scrambled, 1);
  EXPECT_EQ(get("S", "key"), "<none>");
}

TEST_F(Config, LoadFailures) {
  ConfigFile* config = nullptr;
  EXPECT_EQ(configLoad(&config, dir_.file("missing.cfg").c_str(), 0), -3);
  writeFile(dir_.file("empty.cfg"), "");
  EXPECT_EQ(configLoad(&config, dir_.file("empty.cfg").c_str(), 0), -3);
  EXPECT_EQ(configLoad(&config, dir_.path().c_str(), 0), -1);
  EXPECT_EQ(configLoad(nullptr, dir_.file("empty.cfg").c_str(), 0), -1);
  EXPECT_EQ(configLoad(&config, nullptr, 0), -1);
  EXPECT_EQ(config, nullptr);
  EXPECT_EQ(configFree(&config), -1);
  EXPECT_EQ(configFree(nullptr), -1);
}

TEST_F(Config, HostileTextsLoad) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) & 0xFF);
  const std::string texts[] = {
      garbage,
      "[S]\nkey=no line end",
      "[S]\nlong=" + std::string(1 << 20, 'v') + "\n" + std::string(1 << 20, '[') + "\n",
      std::string("[S]\nkey=a\0[T]\nhidden=1\n", 22),
      "\n\n\r\r",
  };
  for (const std::string& text : texts) {
    ASSERT_EQ(load(text, CONFIG_COPY_STRINGS), 0);
    get("S", "key");
    ASSERT_EQ(load(text, 0), 0);
    get("S", "key");
  }
  ASSERT_EQ(load(texts[1]), 0);
  EXPECT_EQ(get("S", "key"), "no line end");
  ASSERT_EQ(load(texts[2]), 0);
  EXPECT_EQ(get("S", "long").size(), 1u << 20);
  ASSERT_EQ(load(texts[3]), 0);
  EXPECT_EQ(get("T", "hidden"), "<none>") << "the text ends at its first zero byte";
}

TEST_F(Config, ReportLines) {
  configSetReportPath(dir_.file("report.log").c_str());
  const std::string longKey(5000, 'k');
  ASSERT_EQ(load("[ConfigHelp]\nListDefaults=1\nListUnused=yes\n"
                 "[S]\nused=1\nunused=2\nwith^Mcaret=3\n"
                 "[Empty]\n"
                 "[Default]\nshared=d\n" + longKey + "=x\n"),
            0);
  get("S", "used");
  get("S", "shared");
  get("S", "nowhere");
  get("S", longKey.c_str());
  configFree(&config_);
  std::vector<std::string> lines = reportLines();
  const std::vector<std::string> expected = {
      "WARNING: ^M characters in line",
      "Using SHARED from default section",
      "Failed to find NOWHERE in default section",
      "Using " + std::string(4096 - 1 - 6, 'K'),
      "Config entries used this run:",
      "Section: ConfigHelp",
      "  Y ListDefaults",
      "  Y ListUnused",
      "Section: S",
      "  Y used",
      "  N unused",
      "  N with^Mcaret",
      "Section: Default",
      "  Y shared",
      "  Y " + std::string(4096 - 1 - 4, 'k'),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(Config, NoReportUnlessAsked) {
  configSetReportPath(dir_.file("report.log").c_str());
  ASSERT_EQ(load("[S]\nkey=1\n"), 0);
  get("S", "missing");
  configFree(&config_);
  EXPECT_FALSE(fileIsPresent(dir_.file("report.log")));
}

}  // namespace
