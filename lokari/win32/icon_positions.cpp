#include "icon_positions.h"

#include "icon_snapshot.h"
#include "shell_view_access.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

namespace {

// 800 entries of 272 bytes: kept out of the stack.
SnapshotTable snapshotTable;

RunOutcome WriteSnapshotFile(IconView& view, const char* fileName) {
    std::FILE* file = std::fopen(fileName, "w");
    if (file == nullptr) return RunOutcome::SnapshotNotWritten;
    const RunOutcome written = WriteSnapshot(view, file);
    const bool closed = std::fclose(file) == 0;
    return written == RunOutcome::Done && !closed ? RunOutcome::SnapshotNotWritten : written;
}

// The snapshot is written under a temporary name beside its own and takes its
// name only when whole, so a snapshot file that exists is always complete; a
// save that fails leaves no file, not even an empty one that would look like a
// desktop without icons.
RunOutcome Save() {
    ShellViewAccess access(ItemRequest::LabelAndPosition);
    if (access.Opened() != RunOutcome::Done) return access.Opened();
    char fileName[kSnapshotFileNameSize];
    char partName[MAX_PATH];
    if (!SnapshotFileNameAt(std::time(nullptr), fileName) || GetTempFileNameA(".", "lok", 0, partName) == 0) {
        return RunOutcome::SnapshotNotWritten;
    }
    RunOutcome outcome = WriteSnapshotFile(access, partName);
    // A save in the same second as an earlier one replaces its file.
    if (outcome == RunOutcome::Done && !MoveFileExA(partName, fileName, MOVEFILE_REPLACE_EXISTING)) {
        outcome = RunOutcome::SnapshotNotWritten;
    }
    if (outcome != RunOutcome::Done) DeleteFileA(partName);
    return outcome;
}

// The file is read completely before the shell is touched, and a file that
// cannot be read leaves the shell untouched.
RunOutcome Restore(const char* path) {
    const RunOutcome loaded = LoadSnapshotFile(path, snapshotTable);
    if (loaded != RunOutcome::Done) return loaded;
    ShellViewAccess access(ItemRequest::LabelOnly);
    if (access.Opened() != RunOutcome::Done) return access.Opened();
    return RestoreFromSnapshot(snapshotTable, access);
}

}  // namespace

void SaveIconPositions() {
    PostQuitMessage(static_cast<int>(Save()));
}

void RestoreIconPositions(const char* path) {
    PostQuitMessage(static_cast<int>(Restore(path)));
}
