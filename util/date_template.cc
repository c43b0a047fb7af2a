#include "util/date_template.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "util/memory.h"
#include "util/strings.h"

std::tm* localTimeSafe(long long seconds, std::tm* destination) {
  if (destination == nullptr) return nullptr;
  // The C runtime's local time may hand out one shared record; fill ours under the lock.
  enterCriticalSection();
  const bool found = localTimeOf(seconds, destination) != 0;
  if (!found) std::memset(destination, 0, sizeof *destination);
  leaveCriticalSection();
  return found ? destination : nullptr;
}

namespace {

struct Token {
  const char* first;
  const char* second;  // alternative spelling, or nullptr
  const char* replacement;
};

// Order matters: "SHORTMONTH" must be tried before "SS" at the same position.
const Token kTokens[] = {
    {"DAY", nullptr, "%A"},   {"SHORTDAY", nullptr, "%a"},   {"DD", "D+", "%d"},
    {"YYYY", nullptr, "%Y"},  {"YY", nullptr, "%y"},         {"MONTH", nullptr, "%B"},
    {"SHORTMONTH", nullptr, "%b"}, {"MM", "M+", "%m"},       {"HH", "H+", "%H"},
    {"NN", "N+", "%M"},       {"SS", "S+", "%S"},
};

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

void FormatDateTemplate(const char* templateText, long long seconds, char** result) {
  if (result == nullptr) return;
  *result = nullptr;
  if (templateText == nullptr) templateText = "";
  size_t area = 2 * std::strlen(templateText);
  char* out = static_cast<char*>(allocZeroed(area > 0 ? area : 1));
  if (out == nullptr) return;
  *result = out;
  if (area == 0) return;

  if (equalsIgnoreCase(templateText, "EPOCHSECONDS")) {
    std::snprintf(out, area, "%lld", seconds);
    return;
  }

  std::string format;
  for (const char* p = templateText; *p != '\0';) {
    const Token* match = nullptr;
    size_t matched = 0;
    for (const Token& token : kTokens) {
      if (startsWith(p, token.first)) {
        match = &token;
        matched = std::strlen(token.first);
      } else if (token.second != nullptr && startsWith(p, token.second)) {
        match = &token;
        matched = std::strlen(token.second);
      }
      if (match != nullptr) break;
    }
    if (match != nullptr) {
      format += match->replacement;
      p += matched;
    } else {
      format += *p++;
    }
  }

  std::tm broken;
  if (localTimeSafe(seconds, &broken) == nullptr) return;
  if (std::strftime(out, area, format.c_str(), &broken) == 0) out[0] = '\0';
}
