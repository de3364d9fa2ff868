// The snapshot file: one text line "x,y,label," per desktop icon, and the
// table a restore reads it into. Portable: standard C library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>

constexpr int kSnapshotCapacity = 800;           // lines a restore reads at most
constexpr std::size_t kSnapshotNameSize = 264;    // name field of one entry
constexpr std::size_t kSnapshotLineSize = 280;    // line buffer, for writing and reading
constexpr std::size_t kSnapshotPathSize = 500;    // path buffer of a restore
constexpr std::size_t kSnapshotFileNameSize = 32; // "YYYYMMDDhhmmss.dat" and its NUL
constexpr std::int32_t kPlaceholderPosition = -9999;

// A name field up to this length is copied whole; a longer one keeps only
// its first kLongNameKept characters.
constexpr std::size_t kWholeNameLimit = 260;
constexpr std::size_t kLongNameKept = 262;

struct SnapshotEntry {
    std::int32_t x;
    std::int32_t y;
    char name[kSnapshotNameSize];  // NUL-terminated; empty only in a placeholder
};

struct SnapshotTable {
    SnapshotEntry entries[kSnapshotCapacity];
    int entryCount;  // lines read, placeholders included: 0 to kSnapshotCapacity
};

// ---- Writing ----------------------------------------------------------------

// "%04d%02d%02d%02d%02d%02d.dat" from the broken-down local time.
// False (and an empty name) when the text would not fit the buffer.
bool FormatSnapshotFileName(const std::tm& localTime, char (&fileName)[kSnapshotFileNameSize]);

// The name for the moment `now` in local time; false when the time cannot be
// broken down or the name does not fit.
bool SnapshotFileNameAt(std::time_t now, char (&fileName)[kSnapshotFileNameSize]);

// "%d,%d,%s," into the line buffer; text that would pass 279 characters is cut
// at the end of the buffer.
void FormatSnapshotLine(std::int32_t x, std::int32_t y, const char* label, char (&line)[kSnapshotLineSize]);

// Writes the line and its line end ("%s\n"; a text-mode stream on Windows
// turns it into CR LF). False when the stream reports an error.
bool WriteSnapshotLine(std::FILE* file, const char* line);

// ---- Reading ----------------------------------------------------------------

// Where the lines of a snapshot come from: each call hands over the next
// piece exactly as fgets(line, 280, ...) would (at most 279 characters, the
// line end included when it fits), or returns false at the end.
class SnapshotLineSource {
public:
    virtual ~SnapshotLineSource() = default;
    virtual bool NextLine(char (&line)[kSnapshotLineSize]) = 0;
};

class FileLineSource final : public SnapshotLineSource {
public:
    explicit FileLineSource(std::FILE* file) : file_(file) {}
    bool NextLine(char (&line)[kSnapshotLineSize]) override;

private:
    std::FILE* file_;
};

// Like atoi: leading blanks, an optional sign, then decimal digits up to the
// first other character; no digits gives 0. Values beyond the 32-bit range
// saturate at its ends instead of overflowing.
std::int32_t SaturatingAtoi(const char* text);

void SetPlaceholder(SnapshotEntry& entry);
void ResetSnapshotTable(SnapshotTable& table);

// Splits one line on "," the way strtok does (runs of commas are one
// separator, no field is empty) and fills the entry from its first three
// fields; with fewer than three the entry becomes the placeholder. The line
// buffer is cut into fields in place.
void ParseSnapshotLine(char* line, SnapshotEntry& entry);

// Resets the table, then reads up to kSnapshotCapacity lines into it, one slot
// per line read.
void ReadSnapshot(SnapshotLineSource& source, SnapshotTable& table);
void ReadSnapshot(std::FILE* file, SnapshotTable& table);

// ---- The path argument ------------------------------------------------------

// The argument on lokari's command line: what follows the program's own name
// and the blanks and tabs after it, the name delimited as Windows does (a
// quoted name runs to its closing quote, a bare one to the first blank or
// tab). Only those two bytes count as blanks, so bytes above 127, as in a
// double-byte code page, never end the name. Points into the command line;
// "" for none.
const char* ArgumentAfterProgramName(const char* commandLine);

// Copies the argument into the path buffer; an argument of 500 bytes or more
// does not fit and is refused (false, empty path).
bool CopySnapshotPath(const char* argument, char (&path)[kSnapshotPathSize]);

// Removes every double quote, so that a path handed over in quotes opens.
void RemoveDoubleQuotes(char (&path)[kSnapshotPathSize]);

// ---- Matching ---------------------------------------------------------------

// Hands out the entries of a table to the icons of one restore, asked in item
// order: the k-th icon with a label gets the k-th entry with that name in file
// order, so icons that share a label each go back to a place of their own.
// Names match byte for byte. Placeholders never match: an icon with an empty
// label stays where it is.
class SnapshotMatcher {
public:
    explicit SnapshotMatcher(const SnapshotTable& table) : table_(table) {}
    // The first entry, in file order, with that name and not handed out yet;
    // null when none is left.
    const SnapshotEntry* Take(const char* label);

private:
    const SnapshotTable& table_;
    bool taken_[kSnapshotCapacity] = {};
};
