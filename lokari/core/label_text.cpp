#include "label_text.h"

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point starting at label[at], and how many units it took; a pair
// must end before the unit limit.
char32_t NextCodePoint(const char16_t* label, std::size_t at, std::size_t* units) {
    const char32_t first = label[at];
    *units = 1;
    if (IsHighSurrogate(first) && at + 1 < kLabelBlockSize - 1 && IsLowSurrogate(label[at + 1])) {
        *units = 2;
        return 0x10000 + ((first - 0xD800) << 10) + (static_cast<char32_t>(label[at + 1]) - 0xDC00);
    }
    return IsHighSurrogate(first) || IsLowSurrogate(first) ? kReplacementCharacter : first;
}

std::size_t EncodeUtf8(char32_t point, char* out) {
    const auto byte = [](char32_t bits) { return static_cast<char>(static_cast<unsigned char>(bits)); };
    if (point < 0x80) {
        out[0] = byte(point);
        return 1;
    }
    if (point < 0x800) {
        out[0] = byte(0xC0 | point >> 6);
        out[1] = byte(0x80 | (point & 0x3F));
        return 2;
    }
    if (point < 0x10000) {
        out[0] = byte(0xE0 | point >> 12);
        out[1] = byte(0x80 | (point >> 6 & 0x3F));
        out[2] = byte(0x80 | (point & 0x3F));
        return 3;
    }
    out[0] = byte(0xF0 | point >> 18);
    out[1] = byte(0x80 | (point >> 12 & 0x3F));
    out[2] = byte(0x80 | (point >> 6 & 0x3F));
    out[3] = byte(0x80 | (point & 0x3F));
    return 4;
}

}  // namespace

void ConvertToUtf8(const char16_t* label, char (&utf8)[kUtf8LabelSize]) {
    std::size_t written = 0;
    std::size_t units = 0;
    for (std::size_t at = 0; at < kLabelBlockSize - 1 && label[at] != u'\0'; at += units) {
        const char32_t point = NextCodePoint(label, at, &units);
        char bytes[4];
        const std::size_t length = EncodeUtf8(point, bytes);
        if (written + length >= kUtf8LabelSize) break;
        for (std::size_t i = 0; i < length; ++i) utf8[written++] = bytes[i];
    }
    utf8[written] = '\0';
}

bool ConvertToExactAnsi(const char16_t* label, AnsiConversion convert, char (&ansi)[kLabelBlockSize]) {
    bool usedDefault = false;
    const int written = convert(kNoBestFitChars, label, ansi, static_cast<int>(kLabelBlockSize), &usedDefault);
    return written > 0 && !usedDefault;
}
