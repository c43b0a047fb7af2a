#include "pdfconv/pdfconv.h"

#include <new>

#include "config/settings_keys.h"
#include "pdfconv/convert_pdf.h"
#include "pdfconv/settings.h"

int convInit(const char*, const char*) { return 0; }

// Nothing may unwind into the host: every exception ends the conversion here.
int convConvert(const char* input, const char* output, const char* configPath,
                const char* section) {
  if (input == nullptr || output == nullptr || *input == '\0' || *output == '\0') {
    return kPdfUnreadable;
  }
  try {
    PdfSettings settings;
    ConfigFile* loaded = nullptr;
    if (configPath != nullptr && configLoad(&loaded, configPath, 0) == 0) {
      ConfigPtr config(loaded);
      readPdfSettings(config.get(), section != nullptr ? section : "Pdf", &settings);
    }
    return convertPdf(input, output, settings);
  } catch (...) {
    return kPdfUnreadable;
  }
}
