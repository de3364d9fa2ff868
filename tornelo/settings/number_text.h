// Numbers typed by people: the settings file's fields and the dialog's edits.
// Both readers take leading white space and then as much of a number as the
// text offers; what follows is ignored and text without a number reads 0.
#pragma once

#include <cstddef>

// Optional sign and decimal digits. Saturates at the int range instead of
// overflowing.
int ReadIntegerText(const char* begin, const char* end);
int ReadIntegerText(const char* text);  // NUL-terminated; null reads 0

// Optional sign, digits with an optional "." and fraction, optional exponent.
// Only that grammar: "inf", "nan" and hex floats read 0, so the result is
// never NaN. "." is the decimal point whatever the locale. A value too large
// for a double reads as +-DBL_MAX, one too small as 0.
double ReadRealText(const char* begin, const char* end);
double ReadRealText(const char* text);  // NUL-terminated; null reads 0

// "%.3f" with "." as the decimal point whatever the locale.
void FormatReal3(char* buffer, size_t size, double value);
