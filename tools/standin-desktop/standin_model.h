// The stand-in desktop's rules that need no window: its labels, the grid
// its icons start on, and the lines of its dump.
#pragma once

#include <string>
#include <vector>

namespace standin {

// One label per line of a UTF-8 text: a leading byte-order mark and the
// carriage return of CRLF line ends are dropped; an empty line is an empty
// label; a last line without its line end still counts.
std::vector<std::string> SplitLabelLines(const std::string& utf8Text);

// "icon 01", "icon 02", ... (at least two digits).
std::vector<std::string> GeneratedLabels(int count);

struct GridPoint {
    int x;
    int y;
};

// Where icon `index` starts: like a desktop, columns fill top to bottom,
// and the columns run left to right. Cells are cellWidth by cellHeight,
// beginning at (margin, margin) in an area areaHeight pixels high.
GridPoint GridSlot(int index, int cellWidth, int cellHeight, int areaHeight, int margin);

// The corner of the grid cell nearest to `position`, on the grid of those
// cells: where "Align icons to grid" puts an icon sent there.
GridPoint NearestGridCorner(GridPoint position, int cellWidth, int cellHeight, int margin);

// "index,x,y,label\n".
std::string DumpLine(int index, int x, int y, const std::string& utf8Label);

}  // namespace standin
