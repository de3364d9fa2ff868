#include "icon_snapshot.h"

void WriteSnapshot(IconView& view, std::FILE* file) {
    const int count = view.ItemCount();
    char line[kSnapshotLineSize];
    for (int index = 0; index < count; ++index) {
        if (!view.RequestItem(index, ItemRequest::LabelAndPosition)) continue;
        const ViewPoint position = view.Position();
        FormatSnapshotLine(position.x, position.y, view.Label(), line);
        WriteSnapshotLine(file, line);
    }
}

void RestoreFromSnapshot(const SnapshotTable& table, IconView& view) {
    const int count = view.ItemCount();
    for (int index = 0; index < count; ++index) {
        if (!view.RequestItem(index, ItemRequest::LabelOnly)) continue;
        if (const SnapshotEntry* entry = FindSnapshotEntry(table, view.Label())) {
            view.SetItemPosition(index, entry->x, entry->y);
        }
    }
}

bool LoadSnapshotFile(const char* argument, SnapshotTable& table) {
    ResetSnapshotTable(table);
    char path[kSnapshotPathSize];
    if (!CopySnapshotPath(argument, path)) return false;
    RemoveDoubleQuotes(path);
    if (std::FILE* file = std::fopen(path, "r")) {
        ReadSnapshot(file, table);
        std::fclose(file);
    }
    return true;
}
