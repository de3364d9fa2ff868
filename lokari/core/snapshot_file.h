// The snapshot file: one text line "x,y,label," per desktop icon, then one
// line "origin X Y", and the table a restore reads it into. Labels are in the
// ANSI code page, or in UTF-8 when the file starts with the UTF-8 mark.
// Portable: standard C library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

constexpr int kFirstSnapshotSlots = 800;          // a table's slots when it first grows
// The longest UTF-8 label (see label_text.h) and its NUL, rounded up.
constexpr std::size_t kSnapshotNameSize = 784;    // name field of one entry
constexpr std::size_t kSnapshotLineSize = 280;    // an ANSI line as the save writes it
// A line as read, and a UTF-8 line as written: the longest UTF-8 label, two
// 11-character coordinates, three commas and CR LF fit.
constexpr std::size_t kLineBufferSize = 1024;
// A desktop would need hundreds of thousands of icons to fill a file this
// large; a larger one is some other file, refused before it is read.
constexpr long kLargestSnapshotBytes = 16L * 1024 * 1024;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr std::size_t kSnapshotPathSize = 500;    // path buffer of a restore
constexpr std::size_t kSnapshotFileNameSize = 32; // "YYYYMMDDhhmmss.dat" and its NUL
constexpr std::int32_t kPlaceholderPosition = -9999;


struct SnapshotEntry {
    std::int32_t x;
    std::int32_t y;
    char name[kSnapshotNameSize];  // NUL-terminated; may be empty, as a label may
    // A line without a label: (-9999, -9999), empty name, never matched.
    bool placeholder;
};

// One slot per line read, in file order, then spare slots; every slot from
// entryCount on is a placeholder. The slots double whenever a line finds
// none left, so the table holds every line of the file.
enum class SnapshotText { Ansi, Utf8, Utf16 };

// The screen position of the view's point (0, 0) when the file was saved.
struct SnapshotOrigin {
    bool known = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct SnapshotTable {
    std::vector<SnapshotEntry> entries;
    int entryCount = 0;  // lines read, placeholders included
    // Utf8 when the file starts with the UTF-8 mark (names are UTF-8 then);
    // Utf16 when it starts with a UTF-16 mark: nothing is read from it.
    SnapshotText text = SnapshotText::Ansi;
    SnapshotOrigin origin;
};

// ---- Writing ----------------------------------------------------------------

// "%04d%02d%02d%02d%02d%02d.dat" from the broken-down local time.
// False (and an empty name) when the text would not fit the buffer.
bool FormatSnapshotFileName(const std::tm& localTime, char (&fileName)[kSnapshotFileNameSize]);

// The name for the moment `now` in local time; false when the time cannot be
// broken down or the name does not fit.
bool SnapshotFileNameAt(std::time_t now, char (&fileName)[kSnapshotFileNameSize]);

// "%d,%d,%s," into the line buffer; text that would pass the buffer is cut
// at its end.
void FormatSnapshotLine(std::int32_t x, std::int32_t y, const char* label, char (&line)[kSnapshotLineSize]);
void FormatSnapshotLine(std::int32_t x, std::int32_t y, const char* label, char (&line)[kLineBufferSize]);

// "origin X Y": the last line of a save. A reader that knows no origin takes
// it for a line without a label.
void FormatOriginLine(std::int32_t x, std::int32_t y, char (&line)[kSnapshotLineSize]);
// The origin of a line "origin X Y" (its line end aside); false for any other line.
bool ParseOriginLine(const char* line, SnapshotOrigin* origin);

// Writes the line and its line end ("%s\n"; a text-mode stream on Windows
// turns it into CR LF). False when the stream reports an error.
bool WriteSnapshotLine(std::FILE* file, const char* line);

// ---- Reading ----------------------------------------------------------------

// Where the lines of a snapshot come from: each call hands over the next
// line as fgets(line, 1024, ...) reads it (the line end included), or
// returns false at the end.
class SnapshotLineSource {
public:
    virtual ~SnapshotLineSource() = default;
    virtual bool NextLine(char (&line)[kLineBufferSize]) = 0;
};

// A line longer than the buffer is skipped whole: in pieces, the tail of one
// could read as an entry of its own.
class FileLineSource final : public SnapshotLineSource {
public:
    explicit FileLineSource(std::FILE* file) : file_(file) {}
    bool NextLine(char (&line)[kLineBufferSize]) override;

private:
    std::FILE* file_;
};

// Like atoi: leading blanks, an optional sign, then decimal digits up to the
// first other character; no digits gives 0. Values beyond the 32-bit range
// saturate at its ends instead of overflowing.
std::int32_t SaturatingAtoi(const char* text);

void SetPlaceholder(SnapshotEntry& entry);
// No entries; the slots stay, as placeholders.
void ResetSnapshotTable(SnapshotTable& table);

// x and y are the first two fields as strtok(..., ",") splits them (runs of
// commas are one separator, no field is empty). The label runs from after
// the comma that ends y to the last comma of the line, the one the save
// writes after every label, so the label's own commas stay in it; without
// a comma there (a line written by hand) it is the rest of the line, line
// end included. No label: the placeholder. The line buffer is cut in place.
void ParseSnapshotLine(char* line, SnapshotEntry& entry);

// Resets the table, then reads every line into it, one slot per line read
// (the origin line too, as a placeholder). A UTF-8 mark before the first line
// is dropped; a UTF-16 mark stops the reading with no entries. False when
// memory for more slots cannot be had; the table then holds the lines read
// so far.
bool ReadSnapshot(SnapshotLineSource& source, SnapshotTable& table);
bool ReadSnapshot(std::FILE* file, SnapshotTable& table);

// Whether the file, open and not yet read, is at most kLargestSnapshotBytes
// long; false too when its size cannot be told. Leaves it at its start.
bool WithinSnapshotSizeBound(std::FILE* file);

// ---- The path argument ------------------------------------------------------
// Wide on Windows, where any script's path arrives whole only as UTF-16;
// narrow natively, where a path is bytes.

// The argument on lokari's command line: what follows the program's own name
// and the blanks and tabs after it, the name delimited as Windows does (a
// quoted name runs to its closing quote, a bare one to the first blank or
// tab). Only those two characters count as blanks. Points into the command
// line; L"" for none.
const wchar_t* ArgumentAfterProgramName(const wchar_t* commandLine);

// Copies the argument into the path buffer; an argument of 500 characters or
// more does not fit and is refused (false, empty path).
bool CopySnapshotPath(const char* argument, char (&path)[kSnapshotPathSize]);
bool CopySnapshotPath(const wchar_t* argument, wchar_t (&path)[kSnapshotPathSize]);

// Removes every double quote, so that a path handed over in quotes opens.
void RemoveDoubleQuotes(char (&path)[kSnapshotPathSize]);
void RemoveDoubleQuotes(wchar_t (&path)[kSnapshotPathSize]);

// ---- Matching ---------------------------------------------------------------

// Hands out the entries of a table to the icons of one restore, asked in item
// order: the k-th icon with a label gets the k-th entry with that name in file
// order, so icons that share a label each go back to a place of their own.
// Names match byte for byte, an empty label an empty name. Placeholders
// never match. The labels must be in the table's text (ANSI or UTF-8).
class SnapshotMatcher {
public:
    explicit SnapshotMatcher(const SnapshotTable& table);
    // False when memory for its marks could not be had: it then hands out nothing.
    bool Usable() const { return taken_ != nullptr; }
    // The first entry, in file order, with that name and not handed out yet;
    // null when none is left.
    const SnapshotEntry* Take(const char* label);

private:
    const SnapshotTable& table_;
    std::size_t count_;                 // the entries that take part
    std::unique_ptr<bool[]> taken_;     // one mark per entry handed out
};
