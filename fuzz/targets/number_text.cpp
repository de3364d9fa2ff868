// The two number readers against the C library's strtoll and strtod, over
// text that is not NUL-terminated; and "%.3f" formatting into any buffer.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "settings/number_text.h"

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int ReferenceInteger(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// What ReadRealText must give: strtod's value for the decimal grammar it
// shares with it; 0 for what only strtod reads (inf, nan, hexadecimal).
void CheckReal(const char* text, double value) {
    FUZZ_CHECK(!std::isnan(value));
    const char* p = text;
    while (IsSpace(*p)) ++p;
    if (*p == '+' || *p == '-') ++p;
    const bool strtodOnly = *p == 'i' || *p == 'I' || *p == 'n' || *p == 'N' ||
                            (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'));
    if (strtodOnly) {
        FUZZ_CHECK(value == 0.0);
        return;
    }
    const double reference = std::strtod(text, nullptr);
    if (std::isinf(reference)) {
        FUZZ_CHECK(value == std::copysign(DBL_MAX, reference));
    } else if (reference != 0.0 && std::fabs(reference) < DBL_MIN) {
        // Below the normal range a reader may give the subnormal or 0.
        FUZZ_CHECK(value == reference || value == 0.0);
    } else {
        FUZZ_CHECK(value == reference);
    }
}

}  // namespace

int Fuzz_number_text(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const std::size_t formatSize = input.Byte() % 48;
    // Unterminated: the readers must stop at `end`.
    const std::vector<char> raw(input.Rest(), input.Rest() + input.RestSize());
    const char* begin = raw.data();
    const char* end = begin + raw.size();
    std::vector<char> terminated(raw);
    terminated.push_back('\0');

    const int integer = ReadIntegerText(begin, end);
    FUZZ_CHECK(integer == ReadIntegerText(terminated.data()));
    FUZZ_CHECK(integer == ReferenceInteger(terminated.data()));

    const double real = ReadRealText(begin, end);
    FUZZ_CHECK(real == ReadRealText(terminated.data()) || (std::isnan(real) && std::isnan(ReadRealText(terminated.data()))));
    CheckReal(terminated.data(), real);

    // Shown with three decimals and read back: within half of the last decimal.
    char shown[400];
    FormatReal3(shown, sizeof shown, real);
    FUZZ_CHECK(std::memchr(shown, '\0', sizeof shown) != nullptr);
    FUZZ_CHECK(std::fabs(ReadRealText(shown) - real) <= 0.0005 + std::fabs(real) * 1e-15);

    // A short buffer is cut, never overrun.
    std::vector<char> small(formatSize);
    FormatReal3(small.data(), small.size(), real);
    if (!small.empty()) FUZZ_CHECK(std::memchr(small.data(), '\0', small.size()) != nullptr);
    return 0;
}
