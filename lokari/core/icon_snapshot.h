// The two halves of lokari's work that do not depend on how the desktop view
// is reached: writing a snapshot of every icon, and moving icons back from a
// snapshot table. Portable: the view is an interface.
#pragma once

#include "item_record.h"
#include "snapshot_file.h"

#include <cstdint>
#include <cstdio>

enum class ItemRequest { LabelOnly, LabelAndPosition };

// How a run of lokari ended; the value is the program's exit code, which
// scripts rely on.
enum class RunOutcome : int {
    Done = 0,                 // also a restore in which no label matched
    NoDesktopView = 1,
    ShellNotAccessible = 2,   // its process cannot be opened or has another pointer width
    SnapshotNotReadable = 3,  // missing, unreadable, or its path refused
    SnapshotNotWritten = 4,
    ShellNotAnswering = 5,    // one message went ten seconds without an answer
    SomePlacesOffScreen = 6,  // restored, but icons whose saved place no screen shows were left
    AutoArrangeOn = 7,        // "Auto arrange icons" would undo any move: nothing was moved
    // Shares its code with ShellNotAccessible: either way lokari cannot work here.
    MemoryNotAvailable = ShellNotAccessible,
};

// The desktop icon view as lokari sees it: a fixed item count taken when the
// view was opened, item reads into one label and one position copy, and moves.
class IconView {
public:
    virtual ~IconView() = default;
    virtual int ItemCount() const = 0;
    // Reads the label (and the position) of one item into the copies below;
    // false when the transfer failed, and the item is then skipped.
    virtual bool RequestItem(int index, ItemRequest request) = 0;
    // The label in the text the view was opened for (ANSI or UTF-8).
    virtual const char* Label() const = 0;
    // The same label in the ANSI code page when it fits it exactly; null
    // when it does not. A view whose labels are ANSI already gives Label().
    virtual const char* ExactAnsiLabel() const { return Label(); }
    virtual ViewPoint Position() const = 0;
    virtual void SetItemPosition(int index, std::int32_t x, std::int32_t y) = 0;
    // Whether an icon at that place (as the view receives it) would be seen
    // on some screen.
    virtual bool PlaceIsShown(ViewPoint /*place*/) { return true; }
    // The screen position of the view's point (0, 0); false when the view
    // cannot tell it.
    virtual bool OriginOnScreen(ViewPoint* /*origin*/) { return false; }
    // False once a request went unanswered: the view is given up then, and
    // every later request fails.
    virtual bool Answering() const { return true; }
};

// One line per item, index 0 first, then the view's origin line when it
// tells its origin. The labels are in the ANSI code page while every one fits
// it exactly; otherwise the whole file is UTF-8 behind the UTF-8 mark. Stops
// at the first line that cannot be written (SnapshotNotWritten) or when the
// view stops answering (ShellNotAnswering); the file then holds only part of
// the snapshot.
RunOutcome WriteSnapshot(IconView& view, std::FILE* file);

// Moves each item whose label has an entry left (SnapshotMatcher) to that
// entry's position, in the view's item order. An entry whose place no screen
// shows is used up but not applied: its icon stays in sight, and the restore
// ends with SomePlacesOffScreen. When the table holds the origin of the save
// and the view tells today's, every entry is first moved by their
// difference, so that it keeps its screen spot. Stops when the view stops
// answering (ShellNotAnswering).
RunOutcome RestoreFromSnapshot(const SnapshotTable& table, IconView& view);

// Resets the table and reads the snapshot named by the argument (double
// quotes removed) into it. SnapshotNotReadable, with the table empty, when
// the argument is too long to be a path, the file cannot be opened, is larger
// than kLargestSnapshotBytes or starts with a UTF-16 mark; the same, with
// what was read, when reading fails; MemoryNotAvailable when the table cannot
// grow to hold every line.
RunOutcome LoadSnapshotFile(const char* argument, SnapshotTable& table);
// The same for a wide argument, which `open` opens for reading in text mode
// (_wfopen(path, L"r") on Windows).
using WidePathOpener = std::FILE* (*)(const wchar_t* path);
RunOutcome LoadSnapshotFile(const wchar_t* argument, SnapshotTable& table, WidePathOpener open);
