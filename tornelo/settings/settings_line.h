// The settings file's one line, read apart from the file itself.
#pragma once

#include <cstddef>

#include "settings/settings.h"

// Only this much of a line is ever seen, as a 256-byte read buffer allows.
constexpr int kSettingsLineLimit = 255;

// Reads the comma-separated fields of `line` over `target`. The line ends at
// its first newline, its NUL or after kSettingsLineLimit characters, whichever
// comes first. A field that reads as 0 leaves its value alone; the others are
// brought within their bounds (the radii's upper bound is 3/4 of the
// screen height; blackHoleIcon's is platform.view's item count, asked only
// when that field is given). The radii and the black-hole icon that the line
// gives are also recorded, as read, over `given` when it is not null.
void ApplySettingsLine(Settings& target, const char* line, int height, GivenValues* given = nullptr);

// The line SaveSettings writes for `source`, NUL-terminated.
void FormatSettingsLine(char* buffer, size_t size, const Settings& source);
