#include "excel/numbers.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "util/date_template.h"

namespace {

// Room for "%f" of the largest double (309 digits) and the frame around it.
constexpr size_t kNumberRoom = 400;

std::string printfText(const char* pattern, double value) {
  char text[kNumberRoom];
  int n = std::snprintf(text, sizeof text, pattern, value);
  if (n < 0) return std::string();
  return std::string(text, static_cast<size_t>(n) < sizeof text ? n : sizeof text - 1);
}

// value as printf's "%.0f" (decimals 0, whole values) or "%f" (decimals 6) writes
// it, when plain integer arithmetic can be sure of every digit; nullptr when not
// (the caller then formats it exactly). printf rounds the exact binary value, so
// six decimals are taken only below 2^20, where value * 10^6 (below 2^40) is
// computed within 2^-13 of the exact product: its rounding is then certain unless
// the fraction lies near one half.
char* quickFixed(double value, int decimals, char* out) {
  double magnitude = std::fabs(value);
  uint64_t units;
  if (decimals == 0) {
    if (!(magnitude < 9007199254740992.0) || std::floor(magnitude) != magnitude) return nullptr;
    units = static_cast<uint64_t>(magnitude);
  } else {
    if (decimals != 6 || !(magnitude < 1048576.0)) return nullptr;
    double scaled = magnitude * 1e6;
    double whole = std::floor(scaled);
    double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-3) return nullptr;
    units = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  }
  if (std::signbit(value)) *out++ = '-';
  char digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + units % 10);
    units /= 10;
  } while (units != 0 || count <= static_cast<size_t>(decimals));
  while (count > static_cast<size_t>(decimals)) *out++ = digits[--count];
  if (decimals > 0) {
    *out++ = '.';
    while (count > 0) *out++ = digits[--count];
  }
  return out;
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
  char* end = form == std::chars_format::fixed ? quickFixed(value, precision, text + used) : nullptr;
  if (end == nullptr) {
    std::to_chars_result r =
        std::to_chars(text + used, text + sizeof text - 16, value, form, precision);
    if (r.ec != std::errc()) return printfText(pattern, value);
    end = r.ptr;
  }
  size_t length = static_cast<size_t>(end - text);
  size_t tail = std::strlen(suffix);
  std::memcpy(text + length, suffix, tail);
  return std::string(text, length + tail);
}

bool isWhole(double value) { return std::floor(value) == value; }

// The last two decimal digits of a value 0 or above.
void putTwoDigits(int value, char* out) {
  value %= 100;
  out[0] = static_cast<char>('0' + value / 10);
  out[1] = static_cast<char>('0' + value % 10);
}

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
  // "DD-MM-YY" of the local date, as the date template writes it: day, month and
  // two-digit year, two digits each.
  std::tm local;
  localTimeSafe(time, &local);
  char date[] = " DD-MM-YY ";
  putTwoDigits(local.tm_mday, date + 1);
  putTwoDigits(local.tm_mon + 1, date + 4);
  putTwoDigits(local.tm_year % 100 + 100, date + 7);
  text->assign(date, sizeof date - 1);
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
