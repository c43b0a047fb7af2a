#include "excel/numbers.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/date_template.h"
#include "util/memory.h"

namespace {

// Room for "%f" of the largest double (309 digits) and the frame around it.
constexpr size_t kNumberRoom = 400;

std::string printfText(const char* pattern, double value) {
  char text[kNumberRoom];
  int n = std::snprintf(text, sizeof text, pattern, value);
  if (n < 0) return std::string();
  return std::string(text, static_cast<size_t>(n) < sizeof text ? n : sizeof text - 1);
}

// prefix, the number as printf's "%.<precision>f" (fixed) or "%g" (general,
// precision 6) writes it, suffix. std::to_chars with a format and a precision is
// defined to give printf's characters, and is several times faster; infinities
// and NaNs, whose spelling printf owns, go through snprintf itself.
std::string numberText(const char* prefix, double value, std::chars_format form, int precision,
                       const char* pattern, const char* suffix) {
  if (!std::isfinite(value)) return printfText(pattern, value);
  char text[kNumberRoom];
  size_t used = std::strlen(prefix);
  std::memcpy(text, prefix, used);
  std::to_chars_result r =
      std::to_chars(text + used, text + sizeof text - 16, value, form, precision);
  if (r.ec != std::errc()) return printfText(pattern, value);
  size_t length = static_cast<size_t>(r.ptr - text);
  size_t tail = std::strlen(suffix);
  std::memcpy(text + length, suffix, tail);
  return std::string(text, length + tail);
}

bool isWhole(double value) { return std::floor(value) == value; }

}  // namespace

double rkNumber(uint32_t rk) {
  double value;
  if (rk & 0x02) {
    // Arithmetic shift of the signed 30-bit integer in the upper bits.
    int32_t integer = static_cast<int32_t>(rk & 0xFFFFFFFCu) / 4;
    value = integer;
  } else {
    uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  if (rk & 0x01) value *= 0.01;
  return value;
}

std::string rkNumberText(double value) {
  if (isWhole(value)) return numberText(" ", value, std::chars_format::fixed, 0, " %.0f ", " ");
  return numberText(" ", value, std::chars_format::fixed, 6, " %f ", " ");
}

std::string mulrkNumberText(double value) {
  if (isWhole(value)) return numberText(" ", value, std::chars_format::fixed, 0, " %.0f ", " ");
  return numberText(" ", value, std::chars_format::fixed, 6, " %f </td>", " </td>");
}

std::string cellNumberText(double value) {
  return numberText("", value, std::chars_format::general, 6, "%g   ", "   ");
}

bool dateText(double day, std::string* text) {
  double days = day - 25550;
  if (!(days > 0)) return false;
  double seconds = days * 86400 - 1641600;
  // Truncated to whole seconds; a value no clock can show gets the time
  // conversion's failure result rather than an out-of-range cast.
  long long time = (seconds < 9.0e18) ? static_cast<long long>(seconds) : LLONG_MAX;
  char* formatted = nullptr;
  FormatDateTemplate("DD-MM-YY", time, &formatted);
  CharPtr owner(formatted);
  text->assign(" ");
  if (formatted != nullptr) text->append(formatted);
  text->append(" ");
  return true;
}

bool isBuiltInDateFormat(uint32_t formatIndex) { return formatIndex >= 14 && formatIndex <= 17; }

bool formatTextIsDate(const char* text, size_t length) {
  static const char* const kDatePrefixes[] = {"mm/dd/yy", "dd\\-mmm\\-yy", "mmmm\\-yy"};
  for (const char* prefix : kDatePrefixes) {
    size_t n = std::strlen(prefix);
    if (length >= n && std::memcmp(text, prefix, n) == 0) return true;
  }
  return false;
}
