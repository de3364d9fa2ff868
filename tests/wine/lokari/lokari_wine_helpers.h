// What the lokari tests under Wine share: running lokari, reading its
// snapshot files, moving icons away, and looking for memory left behind in
// the stand-in desktop's process.
#pragma once

#include "wine_test_support.h"

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <ostream>
#include <string>
#include <vector>

constexpr DWORD kLokariTimeoutMs = 60000;

// Runs lokari.exe with the text after its quoted path ("" for none).
long RunLokari(const std::string& commandTail, const std::string& workingFolder);
// The same through a wide command line, which holds characters of any script.
long RunLokariWide(const std::wstring& commandTail, const std::string& workingFolder);

// The snapshot line of one icon as lokari must write it, line end included.
std::string SnapshotLineOf(const DesktopIcon& icon);
std::string SnapshotOf(const std::vector<DesktopIcon>& icons);
// What a save of those icons writes when their labels fit the ANSI code page:
// the lines, then the screen spot of the view's (0, 0), which is the
// primary screen's corner on a stand-in without --view-offset.
std::string SavedSnapshotOf(const std::vector<DesktopIcon>& icons, const std::string& origin = "origin 0 0");

// The snapshot file names of every second from `from` to `to`.
std::vector<std::string> SnapshotNamesBetween(std::time_t from, std::time_t to);

// Puts icon i at a position none of them had before (a shuffled grid
// far from the stand-in's own layout).
void MoveIconsAway(StandinDesktop& desktop);
// Puts every icon (up to 312) on a dense grid that the screen shows whole:
// the stand-in lays many icons out in columns beyond the screen's right edge.
void PlaceIconsOnScreen(StandinDesktop& desktop);

// Icons' positions by index, for comparisons with readable failures.
struct Placement {
    int x;
    int y;
    bool operator==(const Placement& other) const { return x == other.x && y == other.y; }
    bool operator!=(const Placement& other) const { return !(*this == other); }
};
std::vector<Placement> PlacementsOf(const std::vector<DesktopIcon>& icons);
void PrintTo(const Placement& placement, std::ostream* out);

// Committed read-write private page-sized allocations in another process,
// by base address: what one leaked VirtualAllocEx of a small block looks like.
std::vector<std::uintptr_t> SmallPrivateAllocations(DWORD processId);
// Those of `after` that `before` does not hold.
std::vector<std::uintptr_t> NewAllocations(const std::vector<std::uintptr_t>& before,
                                           const std::vector<std::uintptr_t>& after);

// UTF-8 text in the ANSI code page of the session (code page 932 in the ja locale).
std::string AnsiFromUtf8(const std::string& utf8);
// ANSI text of the session as UTF-16.
std::wstring WideFromAnsi(const std::string& ansi);
