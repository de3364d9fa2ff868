#include "icon_positions.h"

#include "icon_snapshot.h"
#include "shell_view_access.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

namespace {

// 800 entries of 272 bytes: kept out of the stack.
SnapshotTable snapshotTable;

}  // namespace

void SaveIconPositions() {
    {
        ShellViewAccess access(ItemRequest::LabelAndPosition);
        char fileName[kSnapshotFileNameSize];
        // A view that cannot be read leaves no file behind rather than an
        // empty one that looks like a desktop without icons.
        if (access.Usable() && SnapshotFileNameAt(std::time(nullptr), fileName)) {
            if (std::FILE* file = std::fopen(fileName, "w")) {
                WriteSnapshot(access, file);
                std::fclose(file);
            }
        }
    }
    PostQuitMessage(0);
}

void RestoreIconPositions(const char* path) {
    // The file is read completely before the shell is touched.
    if (LoadSnapshotFile(path, snapshotTable)) {
        ShellViewAccess access(ItemRequest::LabelOnly);
        if (access.Usable()) RestoreFromSnapshot(snapshotTable, access);
    }
    PostQuitMessage(0);
}
