#include "word/settings.h"

#include "config/settings_keys.h"
#include "util/memory.h"
#include "word/word.h"

const char kWordDefaultXmlHeader[] = "\n<document>\n";
const char kWordDefaultXmlFooter[] = "\n</document>\n";

namespace {

std::unique_ptr<WordSettings> gSettings;

CharsetId charsetOf(const std::string& name) {
  return name.empty() ? CHARSET_ASCII : CharsetIdFromName(name.c_str());
}

}  // namespace

void readWordSettings(ConfigFile* config, const char* section, WordSettings* settings) {
  std::string outputName = settingString(config, section, "OutputCharSet", "ASCII");
  settings->outputCharset = charsetOf(outputName);
  settings->fileNameCharset =
      charsetOf(settingString(config, section, "FileNameFromCharSet", outputName.c_str()));

  settings->xmlHeader = kWordDefaultXmlHeader;
  settingFileText(config, section, "XMLHeaderFile", &settings->xmlHeader);

  settings->formatTables = settingFlag(config, section, "FormatTables", 0);
  settings->tablesDirectory = settingPath(config, section, "CharsetConvTablesDirectory", ".");
  settings->breakTables = settingFlag(config, section, "BreakTables", 0);
  settings->reverseEndian = settingFlag(config, section, "ReverseEndian", 0);

  int count = 0;
  char** items = nullptr;
  configGetList(config, section, "TrelConvertSameExtentsionHeaderCSVs", &count, &items);
  for (int i = 0; i < count && items != nullptr; ++i) {
    settings->sameExtensionList.emplace_back(items[i] != nullptr ? items[i] : "");
  }
  freeStringArray(&count, &items);

  settings->outputXml = settingFlag(config, section, "OutputXML", 0);

  bool found = false;
  std::string renameFile = settingPath(config, section, "XMLRenameStyleFile", nullptr, &found);
  if (found && !renameFile.empty()) settings->renameMap = buildStyleRenameMap(renameFile.c_str());
  settings->renameDefault =
      settingString(config, section, "XMLRenameStyleDefault", nullptr, &settings->hasRenameDefault);

  settings->xmlFooter = settingString(config, section, "XMLFooter", kWordDefaultXmlFooter);
}

WordSettings* currentWordSettings() { return gSettings.get(); }

int wordSetUp(const char* configPath, const char* section) {
  gSettings = std::make_unique<WordSettings>();
  ConfigFile* loaded = nullptr;
  // Without a configuration every setting keeps its zero value.
  if (configLoad(&loaded, configPath, 0) != 0) return 0;
  ConfigPtr config(loaded);
  readWordSettings(config.get(), section, gSettings.get());
  return 0;
}

int wordTearDown(const char* /*configPath*/, const char* /*section*/) {
  gSettings.reset();
  return 0;
}
