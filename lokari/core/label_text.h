// A desktop label as the shell holds it (UTF-16) in the two forms a snapshot
// file uses: the ANSI code page when the label fits it exactly, and UTF-8.
// Portable: the code page's conversion is handed in.
#pragma once

#include "item_record.h"

#include <cstddef>

// The UTF-8 form of the longest label: 259 UTF-16 units of 3 bytes each (a
// surrogate pair is 2 units and 4 bytes), and the NUL.
constexpr std::size_t kUtf8LabelSize = 3 * (kLabelBlockSize - 1) + 1;

// UTF-16 up to its NUL (at most kLabelBlockSize - 1 units) into UTF-8; an
// unpaired surrogate becomes U+FFFD.
void ConvertToUtf8(const char16_t* label, char (&utf8)[kUtf8LabelSize]);

// WC_NO_BEST_FIT_CHARS: a character without a form of its own in the code
// page becomes the default character, not a look-alike ("é" as "e").
constexpr unsigned kNoBestFitChars = 0x400;

// The code page's conversion, as WideCharToMultiByte(CP_ACP, flags, text,
// -1, out, outSize, nullptr, usedDefault) does it: the bytes written, NUL
// included, or 0 when it failed or `out` was too small.
using AnsiConversion = int (*)(unsigned flags, const char16_t* text, char* out, int outSize, bool* usedDefault);

// The label in the ANSI code page when every character has a form of its own
// there (no look-alike, no default character) and it fits 259 bytes; false
// otherwise, and `ansi` is then not to be used.
bool ConvertToExactAnsi(const char16_t* label, AnsiConversion convert, char (&ansi)[kLabelBlockSize]);
