// Local time and date templates such as "DD-MM-YY".
#ifndef LUMEN_UTIL_DATE_TEMPLATE_H_
#define LUMEN_UTIL_DATE_TEMPLATE_H_

#include <ctime>

// Broken-down local time of `seconds` (since 1970-01-01 UTC), taken under a
// process-wide lock. Returns destination, or nullptr with the record zero-filled
// when the time has no local time (its year does not fit the record).
std::tm* localTimeSafe(long long seconds, std::tm* destination);

// Formats `seconds` through a template of upper-case tokens, tried in this order
// at each position: DAY, SHORTDAY, DD|D+, YYYY, YY, MONTH, SHORTMONTH, MM|M+,
// HH|H+, NN|N+, SS|S+ (other characters are copied; "%" reaches strftime as is).
// "EPOCHSECONDS" (any case) gives the number itself. *result receives a new text
// (released with std::free) of at most 2 * template length - 1 characters; a date
// that does not fit gives the empty text, and so does a time without a local time
// (a zero-filled record is no date). *result is nullptr when allocation fails.
void FormatDateTemplate(const char* templateText, long long seconds, char** result);

#endif  // LUMEN_UTIL_DATE_TEMPLATE_H_
