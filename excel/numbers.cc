#include "excel/numbers.h"

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

// Writes the decimal digits of units, with the last `decimals` of them after a
// point; trailing fraction zeros (and then the point) dropped when `trim`.
char* putUnits(uint64_t units, int decimals, bool trim, char* out) {
  char digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + units % 10);
    units /= 10;
  } while (units != 0 || count <= static_cast<size_t>(decimals));
  size_t last = 0;  // digits[last..] are written
  if (trim) {
    while (last < static_cast<size_t>(decimals) && digits[last] == '0') ++last;
  }
  while (count > static_cast<size_t>(decimals)) *out++ = digits[--count];
  if (count > last) {
    *out++ = '.';
    while (count > last) *out++ = digits[--count];
  }
  return out;
}

// value * 10^decimals rounded to an integer as printf rounds the exact product,
// for products below 2^50; false above, and when the computed product's fraction
// lies too near one half to tell which way the exact one rounds. The computed
// product is within a unit in its last place of the exact one (also where
// intermediate results carry extra precision), so that margin decides.
bool roundedUnits(double magnitude, int decimals, uint64_t* units) {
  static const double kPowers[] = {1,   1e1, 1e2, 1e3, 1e4, 1e5, 1e6,
                                   1e7, 1e8, 1e9, 1e10};
  double product = magnitude * kPowers[decimals];
  if (!(product < 1125899906842624.0)) return false;
  double whole = std::floor(product);
  double fraction = product - whole;
  double margin = 1e-3 + product * 4.5e-16;  // 1e-3 plus two units (2^-52 each)
  if (std::fabs(fraction - 0.5) < margin) return false;
  *units = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  return true;
}

// value as printf's "%.0f" (decimals 0, whole values below 2^53) or "%f"
// (decimals 6, values below 2^50 / 10^6) writes it; nullptr for the others.
char* quickFixed(double value, int decimals, char* out) {
  double magnitude = std::fabs(value);
  uint64_t units;
  if (decimals == 0) {
    if (!(magnitude < 9007199254740992.0) || std::floor(magnitude) != magnitude) return nullptr;
    units = static_cast<uint64_t>(magnitude);
  } else if (decimals != 6 || !roundedUnits(magnitude, decimals, &units)) {
    return nullptr;
  }
  if (std::signbit(value)) *out++ = '-';
  return putUnits(units, decimals, false, out);
}

// value as printf's "%g" writes it (six significant digits, trailing zeros
// dropped) for magnitudes from 10^-4 to below 10^6, where it takes the fixed
// form; nullptr for the others. The
// doubles nearest 10^-1 .. 10^-4 lie above them, so comparing with them tells the
// exact decimal exponent.
char* quickGeneral(double value, char* out) {
  double magnitude = std::fabs(value);
  int exponent;
  if (magnitude == 0) {
    exponent = 0;
  } else if (magnitude >= 1e-4 && magnitude < 1e6) {
    static const double kTens[] = {1e-4, 1e-3, 1e-2, 1e-1, 1, 1e1, 1e2, 1e3, 1e4, 1e5};
    exponent = -4;
    while (exponent < 5 && magnitude >= kTens[exponent + 5]) ++exponent;
  } else {
    return nullptr;
  }
  int decimals = 5 - exponent;
  uint64_t units;
  if (!roundedUnits(magnitude, decimals, &units)) return nullptr;
  if (units >= 1000000) {
    // Rounded up to the next power of ten: one decimal fewer.
    if (decimals == 0) return nullptr;
    decimals -= 1;
    units /= 10;
  }
  if (std::signbit(value)) *out++ = '-';
  return putUnits(units, decimals, true, out);
}

// prefix, the number as printf's "%.<precision>f" (fixed, precision 0 or 6) or
// "%g" (general) writes it, suffix. The common magnitudes are written with
// integer arithmetic, several times faster; the rest, infinities and NaNs
// included, by snprintf itself.
std::string numberText(const char* prefix, double value, bool fixed, int precision,
                       const char* pattern, const char* suffix) {
  if (!std::isfinite(value)) return printfText(pattern, value);
  char text[64];
  size_t used = std::strlen(prefix);
  std::memcpy(text, prefix, used);
  char* end = fixed ? quickFixed(value, precision, text + used) : quickGeneral(value, text + used);
  if (end == nullptr) return printfText(pattern, value);
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
  if (isWhole(value)) return numberText(" ", value, true, 0, " %.0f ", " ");
  return numberText(" ", value, true, 6, " %f ", " ");
}

std::string mulrkNumberText(double value) {
  if (isWhole(value)) return numberText(" ", value, true, 0, " %.0f ", " ");
  return numberText(" ", value, true, 6, " %f </td>", " </td>");
}

std::string cellNumberText(double value) {
  return numberText("", value, false, 6, "%g   ", "   ");
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
