#include "snapshot_file.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

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

// The label: see ParseSnapshotLine. Null when the line has none.
char* LabelField(char* rest) {
    if (*rest == '\0') return nullptr;
    if (char* finalComma = std::strrchr(rest, ',')) *finalComma = '\0';
    return rest;
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
    entry.placeholder = true;
}

void ResetSnapshotTable(SnapshotTable& table) {
    for (SnapshotEntry& entry : table.entries) SetPlaceholder(entry);
    table.entryCount = 0;
}

void ParseSnapshotLine(char* line, SnapshotEntry& entry) {
    char* cursor = line;
    const char* xField = NextField(cursor);
    const char* yField = xField ? NextField(cursor) : nullptr;
    // NextField has left the cursor just after the comma that ends y.
    const char* nameField = yField ? LabelField(cursor) : nullptr;
    if (nameField == nullptr) {
        SetPlaceholder(entry);
        return;
    }
    entry.x = SaturatingAtoi(xField);
    entry.y = SaturatingAtoi(yField);
    CopyName(nameField, entry.name);
    entry.placeholder = false;
}

namespace {

// A free slot for the next line: the slots double when all are taken. False
// when memory cannot be had (or the count would pass the int range).
bool MakeRoomForALine(SnapshotTable& table) {
    const std::size_t slots = table.entries.size();
    if (static_cast<std::size_t>(table.entryCount) < slots) return true;
    if (table.entryCount == INT_MAX) return false;
    const std::size_t grown = std::min<std::size_t>(std::max<std::size_t>(kFirstSnapshotSlots, 2 * slots), INT_MAX);
    SnapshotEntry placeholder;
    SetPlaceholder(placeholder);
    try {
        table.entries.resize(grown, placeholder);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

}  // namespace

bool ReadSnapshot(SnapshotLineSource& source, SnapshotTable& table) {
    ResetSnapshotTable(table);
    char line[kSnapshotLineSize] = {};
    while (source.NextLine(line)) {
        if (!MakeRoomForALine(table)) return false;
        // A source that misbehaves must still leave a terminated string.
        line[kSnapshotLineSize - 1] = '\0';
        ParseSnapshotLine(line, table.entries[static_cast<std::size_t>(table.entryCount)]);
        ++table.entryCount;
    }
    return true;
}

bool ReadSnapshot(std::FILE* file, SnapshotTable& table) {
    FileLineSource source(file);
    return ReadSnapshot(source, table);
}

// ---- The path argument ------------------------------------------------------

namespace {

bool IsBlankOrTab(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The narrow and the wide path alike.
template <typename Char>
bool CopyPath(const Char* argument, Char (&path)[kSnapshotPathSize]) {
    std::size_t length = 0;
    while (length < kSnapshotPathSize && argument[length] != Char{0}) ++length;
    if (length >= kSnapshotPathSize) {
        path[0] = Char{0};
        return false;
    }
    std::copy(argument, argument + length + 1, path);
    return true;
}

template <typename Char>
void RemoveQuotes(Char (&path)[kSnapshotPathSize]) {
    std::size_t kept = 0;
    for (std::size_t read = 0; read < kSnapshotPathSize && path[read] != Char{0}; ++read) {
        if (path[read] != Char{'"'}) path[kept++] = path[read];
    }
    path[std::min(kept, kSnapshotPathSize - 1)] = Char{0};
}

}  // namespace

const wchar_t* ArgumentAfterProgramName(const wchar_t* commandLine) {
    if (commandLine == nullptr) return L"";
    const wchar_t* cursor = commandLine;
    if (*cursor == L'"') {
        ++cursor;
        while (*cursor != L'\0' && *cursor != L'"') ++cursor;
        if (*cursor == L'"') ++cursor;
    } else {
        while (*cursor != L'\0' && !IsBlankOrTab(*cursor)) ++cursor;
    }
    while (IsBlankOrTab(*cursor)) ++cursor;
    return cursor;
}

bool CopySnapshotPath(const char* argument, char (&path)[kSnapshotPathSize]) {
    return CopyPath(argument, path);
}

bool CopySnapshotPath(const wchar_t* argument, wchar_t (&path)[kSnapshotPathSize]) {
    return CopyPath(argument, path);
}

void RemoveDoubleQuotes(char (&path)[kSnapshotPathSize]) {
    RemoveQuotes(path);
}

void RemoveDoubleQuotes(wchar_t (&path)[kSnapshotPathSize]) {
    RemoveQuotes(path);
}

// ---- Matching ---------------------------------------------------------------

namespace {

// The entries that take part: those below the count, as far as slots exist.
std::size_t EntriesIn(const SnapshotTable& table) {
    return std::min(static_cast<std::size_t>(std::max(table.entryCount, 0)), table.entries.size());
}

// The first of the `count` entries with that name and not skipped, or `count`.
std::size_t IndexOfEntry(const SnapshotTable& table, std::size_t count, const char* label, const bool* skipped) {
    for (std::size_t i = 0; i < count; ++i) {
        const SnapshotEntry& entry = table.entries[i];
        if (entry.placeholder || skipped[i]) continue;
        if (std::strcmp(entry.name, label) == 0) return i;
    }
    return count;
}

}  // namespace

SnapshotMatcher::SnapshotMatcher(const SnapshotTable& table)
    : table_(table), count_(EntriesIn(table)), taken_(new (std::nothrow) bool[count_]()) {}

const SnapshotEntry* SnapshotMatcher::Take(const char* label) {
    if (!Usable()) return nullptr;
    const std::size_t index = IndexOfEntry(table_, count_, label, taken_.get());
    if (index >= count_) return nullptr;
    taken_[index] = true;
    return &table_.entries[index];
}
