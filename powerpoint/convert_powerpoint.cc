#include <cstdio>
#include <string>

#include "charset/convert.h"
#include "config/settings_keys.h"
#include "powerpoint/edits.h"
#include "powerpoint/powerpoint.h"
#include "powerpoint/records.h"
#include "powerpoint/settings.h"
#include "powerpoint/slides.h"
#include "powerpoint/text_content.h"
#include "powerpoint/walks.h"
#include "storage/compound_file.h"
#include "storage/properties.h"
#include "util/files.h"
#include "util/memory.h"
#include "util/strings.h"

namespace {

constexpr int kNoInput = -1;
constexpr int kNotCompound = -4;
constexpr int kNoOutput = -5;
constexpr int kEncrypted = -6;
constexpr int kNoConfig = -7;
constexpr int kNoContent = -8;

struct ContentStream {
  int32_t entry = -1;
  bool textContent = false;
};

// "PowerPoint Document" as the content stream finder takes it; then every
// "Text_Content" entry, in table order, is taken when nothing was chosen yet and
// replaces the choice when it lies directly in the root.
ContentStream chooseStream(const CompoundFile* compound) {
  ContentStream chosen;
  chosen.entry = FindContentStream(compound, "PowerPoint Document");
  for (uint32_t i = 0; i < compound->entryCount && i <= INT32_MAX; ++i) {
    const CompoundEntry& e = compound->entries[i];
    if (!equalsIgnoreCase(e.name, "Text_Content")) continue;
    if (chosen.entry < 0 || e.parent == 0) {
      chosen.entry = static_cast<int32_t>(i);
      chosen.textContent = true;
    }
  }
  return chosen;
}

bool writeText(const std::string& text, FILE* out) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

int convertPresentation(const PptSettings& settings, const PptStream& stream,
                        const PptEdits& edits, FILE* out) {
  if (!settings.outputXml) return writeHtmlTexts(stream, edits, settings, out);
  resetPptSlideState();
  SlideState& state = pptSlideState();
  buildSlideMap(stream, edits, &state.map);
  gatherXmlTexts(stream, edits, settings, &state);
  bool written = writeSlides(state, settings, out);
  written = writeText("</" + settings.documentTag + ">\n", out) && written;
  resetPptSlideState();  // the texts are not kept past the conversion
  return written ? 0 : kNoOutput;
}

}  // namespace

int convertPowerPoint(const char* inputPath, const char* outputPath, const char* configPath,
                      const char* section) {
  FilePtr input(openFile(inputPath, "rb"));

  ConfigFile* loaded = nullptr;
  if (configLoad(&loaded, configPath, 0) != 0) return kNoConfig;
  ConfigPtr config(loaded);
  PptSettings settings;
  readPptSettings(config.get(), section, &settings);

  if (!input) return kNoInput;
  return convertPowerPointStream(settings, input.get(), inputPath, outputPath);
}

int convertPowerPointStream(const PptSettings& settings, FILE* input, const char* inputPath,
                            const char* outputPath) {
  CompoundPtr compound(OpenCompoundFile(input));
  if (!compound) return kNotCompound;
  ContentStream content = chooseStream(compound.get());
  if (content.entry < 0) return kNoContent;
  const uint32_t entry = static_cast<uint32_t>(content.entry);
  // An encrypted presentation keeps its property sets in "EncryptedSummary"; its
  // one UserEditAtom names the encryption session.
  if (FindCompoundEntry(compound.get(), "EncryptedSummary") >= 0) return kEncrypted;
  PptStream stream;
  PptEdits edits;
  if (!content.textContent) {
    stream = readPptStream(compound.get(), input, entry);
    edits = readPptEdits(stream, readCurrentEdit(compound.get(), input));
    if (edits.encrypted) return kEncrypted;
  }

  FilePtr output(openFile(outputPath, "w+b"));
  if (!output) return kNoOutput;
  ScopedTablesDirectory tables(settings.tablesDirectory.c_str());

  writeText(settings.xmlHeader, output.get());
  if (settings.outputXml) {
    writeText("<" + settings.documentTag + ">\n", output.get());
  } else {
    CharPtr application(
        WriteHtmlHead(compound.get(), input, output.get(), inputPath, settings.fileNameCharset));
  }

  int result = 0;
  if (!content.textContent) {
    result = convertPresentation(settings, stream, edits, output.get());
  } else if (!settings.outputXml) {
    result = copyTextContent(compound.get(), input, entry, settings, output.get());
  }

  writeText(settings.xmlFooter, output.get());
  return result;
}
