// Stand-ins for the PDF plug-in, built three ways for the bridge tests. Each call
// appends a line with its arguments to "calls.txt" in the working directory.
//   STANDIN_NO_INIT: exports convConvert only.
//   STANDIN_FAILS:   convConvert writes "partial" to the output and returns -5.
//   otherwise:       convConvert writes "converted" to the output and returns 0.
#include <cstdio>

#ifdef _WIN32
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

void record(const char* call, const char* const* arguments, int count) {
  FILE* log = std::fopen("calls.txt", "ab");
  if (log == nullptr) return;
  std::fputs(call, log);
  for (int i = 0; i < count; ++i) std::fprintf(log, " [%s]", arguments[i]);
  std::fputs("\n", log);
  std::fclose(log);
}

}  // namespace

#ifndef STANDIN_NO_INIT
STANDIN_EXPORT int convInit(const char* configPath, const char* section) {
  const char* arguments[] = {configPath, section};
  record("convInit", arguments, 2);
  return 0;
}
#endif

STANDIN_EXPORT int convConvert(const char* input, const char* output, const char* configPath,
                               const char* section) {
  const char* arguments[] = {input, output, configPath, section};
  record("convConvert", arguments, 4);
  FILE* out = std::fopen(output, "wb");
#ifdef STANDIN_FAILS
  if (out != nullptr) std::fputs("partial", out);
  if (out != nullptr) std::fclose(out);
  return -5;
#else
  if (out != nullptr) std::fputs("converted", out);
  if (out != nullptr) std::fclose(out);
  return 0;
#endif
}
