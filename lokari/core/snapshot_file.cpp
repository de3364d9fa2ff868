#include "snapshot_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
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

namespace {

void FormatLine(std::int32_t x, std::int32_t y, const char* label, char* line, std::size_t size) {
    if (std::snprintf(line, size, "%d,%d,%s,", static_cast<int>(x), static_cast<int>(y), label) < 0) line[0] = '\0';
}

}  // namespace

void FormatSnapshotLine(std::int32_t x, std::int32_t y, const char* label, char (&line)[kSnapshotLineSize]) {
    FormatLine(x, y, label, line, sizeof line);
}

void FormatSnapshotLine(std::int32_t x, std::int32_t y, const char* label, char (&line)[kLineBufferSize]) {
    FormatLine(x, y, label, line, sizeof line);
}

void FormatOriginLine(std::int32_t x, std::int32_t y, char (&line)[kSnapshotLineSize]) {
    if (std::snprintf(line, sizeof line, "origin %d %d", static_cast<int>(x), static_cast<int>(y)) < 0) line[0] = '\0';
}

bool WriteSnapshotLine(std::FILE* file, const char* line) {
    return std::fprintf(file, "%s\n", line) >= 0;
}

// ---- Reading ----------------------------------------------------------------

bool FileLineSource::NextLine(char (&line)[kLineBufferSize]) {
    // fgets says nothing of how much it read; a NUL it did not write in the
    // last byte means the buffer was not filled, so the line ended in it.
    constexpr std::size_t kLast = kLineBufferSize - 1;
    for (;;) {
        line[kLast] = '\x01';
        if (std::fgets(line, static_cast<int>(sizeof line), file_) == nullptr) return false;
        if (line[kLast] != '\0' || line[kLast - 1] == '\n') return true;
        // A full buffer: the line fits if it ends here, else it is skipped whole.
        int next = std::fgetc(file_);
        if (next == EOF || next == '\n') return true;
        while (next != EOF && next != '\n') next = std::fgetc(file_);
    }
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

// A name longer than the field can match no label, cut or not.
void CopyName(const char* field, char (&name)[kSnapshotNameSize]) {
    const std::size_t kept = std::min(std::strlen(field), kSnapshotNameSize - 1);
    std::memcpy(name, field, kept);
    name[kept] = '\0';
}

// An optional minus sign and at least one digit, within the 32-bit range.
const char* ReadWholeNumber(const char* text, std::int32_t* value) {
    const char* digits = *text == '-' ? text + 1 : text;
    if (!IsDigit(*digits)) return nullptr;
    const char* end = digits;
    while (IsDigit(*end) && end - digits < 11) ++end;
    if (IsDigit(*end)) return nullptr;
    const long long magnitude = std::strtoll(digits, nullptr, 10);
    const long long signedValue = text == digits ? magnitude : -magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return nullptr;
    *value = static_cast<std::int32_t>(signedValue);
    return end;
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
    table.text = SnapshotText::Ansi;
    table.origin = SnapshotOrigin{};
}

bool ParseOriginLine(const char* line, SnapshotOrigin* origin) {
    constexpr char kWord[] = "origin ";
    if (std::strncmp(line, kWord, sizeof kWord - 1) != 0) return false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    const char* cursor = ReadWholeNumber(line + sizeof kWord - 1, &x);
    if (cursor == nullptr || *cursor != ' ') return false;
    cursor = ReadWholeNumber(cursor + 1, &y);
    if (cursor == nullptr || std::strspn(cursor, "\r\n") != std::strlen(cursor)) return false;
    *origin = {true, x, y};
    return true;
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

namespace {

// Notes the file's text from the marks at its start and drops a UTF-8 mark.
void ReadTextMark(char* firstLine, SnapshotTable& table) {
    if (std::strncmp(firstLine, "\xFF\xFE", 2) == 0 || std::strncmp(firstLine, "\xFE\xFF", 2) == 0) {
        table.text = SnapshotText::Utf16;
    } else if (std::strncmp(firstLine, kUtf8Mark, sizeof kUtf8Mark - 1) == 0) {
        table.text = SnapshotText::Utf8;
        std::memmove(firstLine, firstLine + 3, std::strlen(firstLine + 3) + 1);
    }
}

}  // namespace

bool ReadSnapshot(SnapshotLineSource& source, SnapshotTable& table) {
    ResetSnapshotTable(table);
    // Kept out of the stack frame, which the build bounds.
    static char line[kLineBufferSize];
    for (bool first = true; source.NextLine(line); first = false) {
        // A source that misbehaves must still leave a terminated string.
        line[kLineBufferSize - 1] = '\0';
        if (first) ReadTextMark(line, table);
        if (table.text == SnapshotText::Utf16) return true;
        if (!MakeRoomForALine(table)) return false;
        ParseOriginLine(line, &table.origin);
        ParseSnapshotLine(line, table.entries[static_cast<std::size_t>(table.entryCount)]);
        ++table.entryCount;
    }
    return true;
}

bool ReadSnapshot(std::FILE* file, SnapshotTable& table) {
    FileLineSource source(file);
    return ReadSnapshot(source, table);
}

bool WithinSnapshotSizeBound(std::FILE* file) {
    // ftell fails beyond its range: such a file is far past the bound anyway.
    const bool measured = std::fseek(file, 0, SEEK_END) == 0;
    const long size = measured ? std::ftell(file) : -1L;
    std::rewind(file);
    return size >= 0 && size <= kLargestSnapshotBytes;
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
