// The dispatcher: chooses a converter by the input name's last four characters.
#ifndef LUMEN_APP_CONVERT_FILE_H_
#define LUMEN_APP_CONVERT_FILE_H_

#include <cstdint>

// Signed result of the dispatcher and of every converter: 0 success, -1..-9 the
// failures that select an error page, anything else no page.
using ConvertResult = int32_t;

constexpr ConvertResult CONVERT_OK = 0;
constexpr ConvertResult CONVERT_CANNOT_OPEN_INPUT = -1;
constexpr ConvertResult CONVERT_UNSUPPORTED_NAME = -9;

// The configuration file every converter loads again for its own section.
constexpr const char* kConfigPath = "lumen.cfg";

// -9 for a name of four characters or fewer or an unknown extension; -1 when the
// input cannot be opened for reading; otherwise the converter's result.
ConvertResult convertFile(const char* input, const char* output);

#endif  // LUMEN_APP_CONVERT_FILE_H_
