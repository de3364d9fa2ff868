#include "settings/number_text.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipSpace(const char* p, const char* end) {
    while (p < end && IsSpace(*p)) ++p;
    return p;
}

const char* SkipDigits(const char* p, const char* end) {
    while (p < end && IsDigit(*p)) ++p;
    return p;
}

// The decimal exponent of the first non-zero digit of a mantissa "ddd.fff",
// or LONG_MIN when every digit is 0. Tells overflow from underflow.
long LeadingDigitExponent(const char* mantissa, const char* end) {
    const char* integerEnd = SkipDigits(mantissa, end);
    for (const char* p = mantissa; p < integerEnd; ++p)
        if (*p != '0') return static_cast<long>(integerEnd - p) - 1;
    if (integerEnd == end || *integerEnd != '.') return LONG_MIN;
    for (const char* p = integerEnd + 1; p < end && IsDigit(*p); ++p)
        if (*p != '0') return -static_cast<long>(p - integerEnd);
    return LONG_MIN;
}

// Digits of an exponent, saturated far beyond any double's range.
long ReadExponentValue(const char* p, const char* end) {
    long value = 0;
    for (; p < end && IsDigit(*p); ++p)
        if (value < 100000) value = value * 10 + (*p - '0');
    return value;
}

}  // namespace

int ReadIntegerText(const char* begin, const char* end) {
    const char* p = SkipSpace(begin, end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    // Accumulate toward the negative side, whose range is one larger.
    long long value = 0;
    for (; p < end && IsDigit(*p); ++p) {
        value = value * 10 - (*p - '0');
        if (value < INT_MIN) value = INT_MIN;  // the sign can still lift it to INT_MAX
    }
    if (negative) return static_cast<int>(value);
    return value < -INT_MAX ? INT_MAX : static_cast<int>(-value);
}

int ReadIntegerText(const char* text) {
    return text ? ReadIntegerText(text, text + std::strlen(text)) : 0;
}

double ReadRealText(const char* begin, const char* end) {
    const char* p = SkipSpace(begin, end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    const char* mantissa = p;
    const char* integerEnd = SkipDigits(p, end);
    const char* mantissaEnd = integerEnd;
    if (mantissaEnd < end && *mantissaEnd == '.') mantissaEnd = SkipDigits(mantissaEnd + 1, end);
    const bool hasPoint = mantissaEnd > integerEnd;
    const ptrdiff_t digitCount = (integerEnd - mantissa) + (hasPoint ? mantissaEnd - integerEnd - 1 : 0);
    if (digitCount == 0) return 0.0;

    const char* numberEnd = mantissaEnd;
    long exponent = 0;
    if (numberEnd < end && (*numberEnd == 'e' || *numberEnd == 'E')) {
        const char* q = numberEnd + 1;
        bool negativeExponent = false;
        if (q < end && (*q == '+' || *q == '-')) negativeExponent = (*q++ == '-');
        if (q < end && IsDigit(*q)) {  // an "e" without digits is trailing text
            exponent = ReadExponentValue(q, end);
            if (negativeExponent) exponent = -exponent;
            numberEnd = SkipDigits(q, end);
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(mantissa, numberEnd, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        const long leading = LeadingDigitExponent(mantissa, mantissaEnd);
        value = (leading != LONG_MIN && leading + exponent > 0) ? DBL_MAX : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

double ReadRealText(const char* text) {
    return text ? ReadRealText(text, text + std::strlen(text)) : 0.0;
}

void FormatReal3(char* buffer, size_t size, double value) {
    if (!buffer || size == 0) return;
    std::snprintf(buffer, size, "%.3f", value);
    const char* localePoint = std::localeconv()->decimal_point;
    if (localePoint && localePoint[0] && localePoint[0] != '.' && !localePoint[1]) {
        char* point = std::strchr(buffer, localePoint[0]);
        if (point) *point = '.';
    }
}
