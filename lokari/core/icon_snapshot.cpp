#include "icon_snapshot.h"

#include "scoped_file.h"

RunOutcome WriteSnapshot(IconView& view, std::FILE* file) {
    const int count = view.ItemCount();
    char line[kSnapshotLineSize];
    for (int index = 0; index < count; ++index) {
        if (!view.RequestItem(index, ItemRequest::LabelAndPosition)) {
            if (!view.Answering()) return RunOutcome::ShellNotAnswering;
            continue;
        }
        const ViewPoint position = view.Position();
        FormatSnapshotLine(position.x, position.y, view.Label(), line);
        if (!WriteSnapshotLine(file, line)) return RunOutcome::SnapshotNotWritten;
    }
    // Buffered lines may fail only when they reach the file.
    if (std::fflush(file) != 0 || std::ferror(file)) return RunOutcome::SnapshotNotWritten;
    return RunOutcome::Done;
}

RunOutcome RestoreFromSnapshot(const SnapshotTable& table, IconView& view) {
    SnapshotMatcher matcher(table);
    const int count = view.ItemCount();
    for (int index = 0; index < count; ++index) {
        if (!view.RequestItem(index, ItemRequest::LabelOnly)) {
            if (!view.Answering()) return RunOutcome::ShellNotAnswering;
            continue;
        }
        if (const SnapshotEntry* entry = matcher.Take(view.Label())) {
            view.SetItemPosition(index, entry->x, entry->y);
            if (!view.Answering()) return RunOutcome::ShellNotAnswering;
        }
    }
    return RunOutcome::Done;
}

RunOutcome LoadSnapshotFile(const char* argument, SnapshotTable& table) {
    ResetSnapshotTable(table);
    char path[kSnapshotPathSize];
    if (!CopySnapshotPath(argument, path)) return RunOutcome::SnapshotNotReadable;
    RemoveDoubleQuotes(path);
    const ScopedFile file = OpenScopedFile(path, "r");
    if (!file) return RunOutcome::SnapshotNotReadable;
    ReadSnapshot(file.get(), table);
    return std::ferror(file.get()) ? RunOutcome::SnapshotNotReadable : RunOutcome::Done;
}
