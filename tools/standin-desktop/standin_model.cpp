#include "standin_model.h"

#include <algorithm>
#include <cstdio>

namespace standin {

std::vector<std::string> SplitLabelLines(const std::string& utf8Text) {
    std::vector<std::string> labels;
    std::string text = utf8Text;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        labels.push_back(line);
        start = end + 1;
    }
    return labels;
}

std::vector<std::string> GeneratedLabels(int count) {
    std::vector<std::string> labels;
    for (int number = 1; number <= count; ++number) {
        char label[32];
        std::snprintf(label, sizeof label, "icon %02d", number);
        labels.emplace_back(label);
    }
    return labels;
}

GridPoint GridSlot(int index, int cellWidth, int cellHeight, int areaHeight, int margin) {
    int usable = areaHeight - 2 * margin;
    int rows = cellHeight > 0 ? std::max(1, usable / cellHeight) : 1;
    int column = index / rows;
    int row = index % rows;
    return GridPoint{margin + column * cellWidth, margin + row * cellHeight};
}

namespace {

int NearestLine(int value, int cell, int margin) {
    if (cell <= 0) return value;
    // Floor division, so that positions left of the margin round the same way.
    const long long offset = static_cast<long long>(value) - margin + cell / 2;
    const long long index = offset >= 0 ? offset / cell : -((-offset + cell - 1) / cell);
    return static_cast<int>(margin + index * cell);
}

}  // namespace

GridPoint NearestGridCorner(GridPoint position, int cellWidth, int cellHeight, int margin) {
    return GridPoint{NearestLine(position.x, cellWidth, margin), NearestLine(position.y, cellHeight, margin)};
}

std::string DumpLine(int index, int x, int y, const std::string& utf8Label) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "%d,%d,%d,", index, x, y);
    return numbers + utf8Label + "\n";
}

}  // namespace standin
