// Cell numbers: RK values, the number texts written for cells, date cells and the
// date flag of number formats.
#ifndef LUMEN_EXCEL_NUMBERS_H_
#define LUMEN_EXCEL_NUMBERS_H_

#include <cstddef>
#include <cstdint>
#include <string>

// The number an RK value stands for. Bit 1 set: the upper 30 bits are a signed
// integer; clear: they are the upper 30 bits of an IEEE double whose other bits
// are 0. Bit 0 set: the number is divided by 100 (multiplied by 0.01).
double rkNumber(uint32_t rk);

// Texts written with the standard library's formatting: " %.0f " for a number
// whose floor equals it and " %f " for any other (RK cells); " %f </td>" for the
// fractional MULRK form; "%g   " for NUMBER and FORMULA values.
std::string rkNumberText(double value);
std::string mulrkNumberText(double value);
std::string cellNumberText(double value);

// Day serial numbers count days from the workbook's epoch; 25569 is 1970-01-01.
// For a date cell whose value d is above 25550, stores " DD-MM-YY " of the local
// date at (d - 25550) * 86400 - 1641600 seconds and returns true; returns false
// (nothing to write) otherwise.
bool dateText(double day, std::string* text);

// True for the built-in date formats 14 to 17.
bool isBuiltInDateFormat(uint32_t formatIndex);
// True when a FORMAT text begins with "mm/dd/yy", "dd\-mmm\-yy" or "mmmm\-yy".
bool formatTextIsDate(const char* text, size_t length);

#endif  // LUMEN_EXCEL_NUMBERS_H_
