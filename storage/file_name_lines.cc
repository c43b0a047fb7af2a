#include "storage/file_name_lines.h"

std::string FileNameLines(const char* inputPath) {
  if (inputPath == nullptr || *inputPath == '\0') return std::string();
  const char* base = inputPath;
  for (const char* p = inputPath; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return std::string("<META NAME=\"QVEFILENAME\" CONTENT=\"") + base +
         "\">\n<META NAME=\"QVEFULLFILENAME\" CONTENT=\"" + inputPath + "\">\n";
}
