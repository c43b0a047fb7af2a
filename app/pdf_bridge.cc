#include "app/pdf_bridge.h"

#include "platform/platform.h"
#include "util/memory.h"

namespace {

// Shared libraries the plug-in is built on (poppler's, on Linux), loaded one by
// one before it. Loaded on its own, a library binds its own symbols in a scope
// that it heads; loaded as a dependency of the plug-in, each of those lookups
// first passes the plug-in and poppler, and the C++ runtime alone has thousands.
// A name that does not load is skipped, and the plug-in loads it as before. The
// Windows plug-in has its libraries linked in.
#ifdef _WIN32
constexpr const char* kPluginBase[] = {nullptr};
#else
constexpr const char* kPluginBase[] = {"libstdc++.so.6", "libfreetype.so.6", "libnss3.so",
                                       "libsmime3.so",   "libtiff.so.6",     "liblcms2.so.2",
                                       nullptr};
#endif

}  // namespace

ConvertResult pdfConvert(const char* input, const char* output, const char* configPath,
                         const char* section) {
  CharPtr name(platformLibraryName("pdfconv.dll"));
  for (const char* const* base = kPluginBase; *base != nullptr; ++base) {
    loadSystemLibrary(*base);
  }
  void* library = loadLibrary(name.get());
  void* init = findSymbol(library, "convInit");
  void* convert = findSymbol(library, "convConvert");
  if (init != nullptr && convert != nullptr) {
    reinterpret_cast<PdfConvInit>(init)(configPath, section);
    reinterpret_cast<PdfConvConvert>(convert)(input, output, configPath, section);
  }
  return CONVERT_OK;
}
