#include "app/pdf_bridge.h"

#include "platform/platform.h"
#include "util/memory.h"

ConvertResult pdfConvert(const char* input, const char* output, const char* configPath,
                         const char* section) {
  CharPtr name(platformLibraryName("pdfconv.dll"));
  void* library = loadLibrary(name.get());
  void* init = findSymbol(library, "convInit");
  void* convert = findSymbol(library, "convConvert");
  if (init != nullptr && convert != nullptr) {
    reinterpret_cast<PdfConvInit>(init)(configPath, section);
    reinterpret_cast<PdfConvConvert>(convert)(input, output, configPath, section);
  }
  return CONVERT_OK;
}
