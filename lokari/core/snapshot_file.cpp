#include "snapshot_file.h"

#include <algorithm>
#include <cstring>

// ---- Writing ----------------------------------------------------------------

bool FormatSnapshotFileName(const std::tm& localTime, char (&fileName)[kSnapshotFileNameSize]) {
    // Widened first: adding 1900 to an arbitrary tm_year must not overflow.
    const long long year = static_cast<long long>(localTime.tm_year) + 1900;
    const long long month = static_cast<long long>(localTime.tm_mon) + 1;
    const int written = std::snprintf(fileName, sizeof fileName, "%04lld%02lld%02d%02d%02d%02d.dat", year, month,
                                      localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof fileName) {
        fileName[0] = '\0';
        return false;
    }
    return true;
}

bool SnapshotFileNameAt(std::time_t now, char (&fileName)[kSnapshotFileNameSize]) {
    const std::tm* localTime = std::localtime(&now);
    if (localTime == nullptr) {
        fileName[0] = '\0';
        return false;
    }
    return FormatSnapshotFileName(*localTime, fileName);
}

void FormatSnapshotLine(std::int32_t x, std::int32_t y, const char* label, char (&line)[kSnapshotLineSize]) {
    if (std::snprintf(line, sizeof line, "%d,%d,%s,", static_cast<int>(x), static_cast<int>(y), label) < 0) {
        line[0] = '\0';
    }
}

bool WriteSnapshotLine(std::FILE* file, const char* line) {
    return std::fprintf(file, "%s\n", line) >= 0;
}

// ---- Reading ----------------------------------------------------------------

bool FileLineSource::NextLine(char (&line)[kSnapshotLineSize]) {
    return std::fgets(line, static_cast<int>(sizeof line), file_) != nullptr;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// strtok(..., ",") without its hidden state: the next non-empty field, cut off
// in place, or null when only commas (or nothing) remain.
char* NextField(char*& cursor) {
    cursor += std::strspn(cursor, ",");
    if (*cursor == '\0') return nullptr;
    char* field = cursor;
    cursor += std::strcspn(cursor, ",");
    if (*cursor != '\0') *cursor++ = '\0';
    return field;
}

void CopyName(const char* field, char (&name)[kSnapshotNameSize]) {
    const std::size_t length = std::strlen(field);
    const std::size_t kept = length <= kWholeNameLimit ? length : std::min(length, kLongNameKept);
    std::memcpy(name, field, kept);
    name[kept] = '\0';
}

}  // namespace

std::int32_t SaturatingAtoi(const char* text) {
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    // One past the largest magnitude is enough to know the value saturates.
    constexpr long long kMagnitudeLimit = 2147483648LL;
    long long magnitude = 0;
    for (; IsDigit(*text); ++text) {
        magnitude = std::min(magnitude * 10 + (*text - '0'), kMagnitudeLimit);
    }
    if (negative) return static_cast<std::int32_t>(-magnitude);
    return static_cast<std::int32_t>(std::min(magnitude, kMagnitudeLimit - 1));
}

void SetPlaceholder(SnapshotEntry& entry) {
    entry.x = kPlaceholderPosition;
    entry.y = kPlaceholderPosition;
    std::memset(entry.name, 0, sizeof entry.name);
}

void ResetSnapshotTable(SnapshotTable& table) {
    for (SnapshotEntry& entry : table.entries) SetPlaceholder(entry);
    table.entryCount = 0;
}

void ParseSnapshotLine(char* line, SnapshotEntry& entry) {
    char* cursor = line;
    const char* xField = NextField(cursor);
    const char* yField = xField ? NextField(cursor) : nullptr;
    const char* nameField = yField ? NextField(cursor) : nullptr;
    if (nameField == nullptr) {
        SetPlaceholder(entry);
        return;
    }
    entry.x = SaturatingAtoi(xField);
    entry.y = SaturatingAtoi(yField);
    CopyName(nameField, entry.name);
}

void ReadSnapshot(SnapshotLineSource& source, SnapshotTable& table) {
    ResetSnapshotTable(table);
    char line[kSnapshotLineSize] = {};
    while (table.entryCount < kSnapshotCapacity && source.NextLine(line)) {
        // A source that misbehaves must still leave a terminated string.
        line[kSnapshotLineSize - 1] = '\0';
        ParseSnapshotLine(line, table.entries[table.entryCount]);
        ++table.entryCount;
    }
}

void ReadSnapshot(std::FILE* file, SnapshotTable& table) {
    FileLineSource source(file);
    ReadSnapshot(source, table);
}

// ---- The path argument ------------------------------------------------------

namespace {

bool IsBlankOrTab(unsigned char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

const char* ArgumentAfterProgramName(const char* commandLine) {
    if (commandLine == nullptr) return "";
    const auto* cursor = reinterpret_cast<const unsigned char*>(commandLine);
    if (*cursor == '"') {
        ++cursor;
        while (*cursor != '\0' && *cursor != '"') ++cursor;
        if (*cursor == '"') ++cursor;
    } else {
        while (*cursor != '\0' && !IsBlankOrTab(*cursor)) ++cursor;
    }
    while (IsBlankOrTab(*cursor)) ++cursor;
    return reinterpret_cast<const char*>(cursor);
}

bool CopySnapshotPath(const char* argument, char (&path)[kSnapshotPathSize]) {
    std::size_t length = 0;
    while (length < kSnapshotPathSize && argument[length] != '\0') ++length;
    if (length >= kSnapshotPathSize) {
        path[0] = '\0';
        return false;
    }
    std::memcpy(path, argument, length + 1);
    return true;
}

void RemoveDoubleQuotes(char (&path)[kSnapshotPathSize]) {
    std::size_t kept = 0;
    for (std::size_t read = 0; read < kSnapshotPathSize && path[read] != '\0'; ++read) {
        if (path[read] != '"') path[kept++] = path[read];
    }
    path[std::min(kept, kSnapshotPathSize - 1)] = '\0';
}

// ---- Matching ---------------------------------------------------------------

namespace {

// The first entry below the count with that name and not skipped, or -1.
int IndexOfEntry(const SnapshotTable& table, const char* label, const bool* skipped) {
    const int count = std::clamp(table.entryCount, 0, kSnapshotCapacity);
    for (int i = 0; i < count; ++i) {
        const SnapshotEntry& entry = table.entries[i];
        if (entry.name[0] == '\0') continue;  // placeholder
        if (skipped[i]) continue;
        if (std::strcmp(entry.name, label) == 0) return i;
    }
    return -1;
}

}  // namespace

const SnapshotEntry* SnapshotMatcher::Take(const char* label) {
    const int index = IndexOfEntry(table_, label, taken_);
    if (index < 0) return nullptr;
    taken_[index] = true;
    return &table_.entries[index];
}
