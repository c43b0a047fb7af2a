#include "powerpoint/settings.h"

#include <algorithm>
#include <string_view>

#include "config/settings_keys.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

CharsetId charsetOf(const std::string& name) {
  return name.empty() ? CHARSET_ASCII : CharsetIdFromName(name.c_str());
}

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

size_t lineFeeds(std::string_view text) {
  size_t count = 0;
  for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
    ++count;
  }
  return count;
}

// Bytes of one stop-list line at most; a longer line goes on as the next.
constexpr size_t kLineBytes = 1023;

}  // namespace

// The file is read at once and cut into lines as fgets with a 1024-byte buffer
// would cut it: that is what the list's meaning was written against.
StopList readStopList(const char* path) {
  StopList list;
  char* bytes = nullptr;
  const long count = readWholeFile(path, &bytes);
  list.text.reset(bytes);
  std::string_view rest(bytes, count > 0 ? static_cast<size_t>(count) : 0);
  std::vector<std::string_view>& lines = list.lines;
  lines.reserve(lineFeeds(rest) + 1);
  while (!rest.empty()) {
    size_t take = std::min<size_t>(rest.size(), kLineBytes);
    const size_t feed = rest.substr(0, take).find('\n');
    if (feed != std::string_view::npos) take = feed + 1;
    std::string_view line = rest.substr(0, take);
    rest.remove_prefix(take);
    line = line.substr(0, line.find('\0'));
    const size_t length = line.size();
    if (length >= 2 && isLineEnd(line[length - 2])) {
      line.remove_suffix(2);
    } else if (length > 0 && isLineEnd(line[length - 1])) {
      line.remove_suffix(1);
    }
    lines.push_back(line);
  }
  return list;
}

void readPptSettings(ConfigFile* config, const char* section, PptSettings* settings) {
  std::string outputName = settingString(config, section, "OutputCharSet", "ASCII");
  settings->outputCharset = charsetOf(outputName);
  settings->fileNameCharset =
      charsetOf(settingString(config, section, "FileNameFromCharSet", outputName.c_str()));
  bool hasStopList = false;
  std::string stopListPath = settingPath(config, section, "StopList", "pptconv.dat", &hasStopList);
  settings->tablesDirectory = settingPath(config, section, "CharsetConvTablesDirectory", ".");
  settings->outputXml = settingFlag(config, section, "OutputXML", 0);

  if (settings->outputXml) {
    settings->documentTag = settingString(config, section, "DocumentTag", "document");
    settings->slideTag = settingString(config, section, "SlideTag", "slide");
    settings->bodyTag = settingString(config, section, "BodyTag", "body");
    settings->titleTag = settingString(config, section, "TitleTag", "title");
    settings->notesTag = settingString(config, section, "NotesTag", "notes");
    settings->textBoxTag = settingString(config, section, "TextBoxTag", "textbox");
    settings->xmlFooter = settingString(config, section, "XMLFooter", nullptr);
    settingFileText(config, section, "XMLHeaderFile", &settings->xmlHeader);
  }

  if (hasStopList && !stopListPath.empty()) settings->stopList = readStopList(stopListPath.c_str());
}
