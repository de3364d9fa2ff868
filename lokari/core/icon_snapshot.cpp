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

namespace {

// Moves the item to the entry's place when some screen shows it; false when
// it was left where it is for that reason.
bool MoveIfShown(IconView& view, int index, const SnapshotEntry& entry) {
    if (!view.PlaceIsShown(PlaceAsViewReceivesIt(entry.x, entry.y))) return false;
    view.SetItemPosition(index, entry.x, entry.y);
    return true;
}

}  // namespace

RunOutcome RestoreFromSnapshot(const SnapshotTable& table, IconView& view) {
    SnapshotMatcher matcher(table);
    if (!matcher.Usable()) return RunOutcome::MemoryNotAvailable;
    bool leftOffScreen = false;
    const int count = view.ItemCount();
    for (int index = 0; index < count; ++index) {
        if (!view.RequestItem(index, ItemRequest::LabelOnly)) {
            if (!view.Answering()) return RunOutcome::ShellNotAnswering;
            continue;
        }
        if (const SnapshotEntry* entry = matcher.Take(view.Label())) {
            if (!MoveIfShown(view, index, *entry)) leftOffScreen = true;
            if (!view.Answering()) return RunOutcome::ShellNotAnswering;
        }
    }
    return leftOffScreen ? RunOutcome::SomePlacesOffScreen : RunOutcome::Done;
}

namespace {

template <typename Char, typename Opener>
RunOutcome LoadFromPath(const Char* argument, SnapshotTable& table, Opener open) {
    ResetSnapshotTable(table);
    Char path[kSnapshotPathSize];
    if (!CopySnapshotPath(argument, path)) return RunOutcome::SnapshotNotReadable;
    RemoveDoubleQuotes(path);
    const ScopedFile file(open(path));
    if (!file) return RunOutcome::SnapshotNotReadable;
    if (!ReadSnapshot(file.get(), table)) return RunOutcome::MemoryNotAvailable;
    // A path that opens but cannot be read (a folder) is no empty snapshot.
    return std::ferror(file.get()) ? RunOutcome::SnapshotNotReadable : RunOutcome::Done;
}

}  // namespace

RunOutcome LoadSnapshotFile(const char* argument, SnapshotTable& table) {
    return LoadFromPath(argument, table, [](const char* path) { return std::fopen(path, "r"); });
}

RunOutcome LoadSnapshotFile(const wchar_t* argument, SnapshotTable& table, WidePathOpener open) {
    return LoadFromPath(argument, table, open);
}
