#include "icon_positions.h"

#include "icon_snapshot.h"
#include "shell_view_access.h"
#include "view_styles.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <ctime>

namespace {

// Antivirus programs, the search indexer and sync clients open a new file
// for a moment; a rename or delete that meets them is tried again for this long.
constexpr ULONGLONG kHeldFileRetryMs = 1000;
constexpr DWORD kHeldFileRetryStepMs = 50;

// Grows with the file: kept out of the stack like the rest of the run's state.
SnapshotTable snapshotTable;

// Tries the file operation until it succeeds, fails for a reason other than
// someone holding the file, or kHeldFileRetryMs have passed.
template <typename FileOperation>
bool RetriedWhileHeld(FileOperation operation) {
    const ULONGLONG giveUpAt = GetTickCount64() + kHeldFileRetryMs;
    while (!operation()) {
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || GetTickCount64() >= giveUpAt)
            return false;
        Sleep(kHeldFileRetryStepMs);
    }
    return true;
}

// The data reaches the disk before the file is closed, so that the rename
// after it can never be recorded ahead of the data it names.
RunOutcome WriteSnapshotFile(IconView& view, const char* fileName) {
    std::FILE* file = std::fopen(fileName, "w");
    if (file == nullptr) return RunOutcome::SnapshotNotWritten;
    RunOutcome written = WriteSnapshot(view, file);  // flushes the stream
    if (written == RunOutcome::Done && _commit(_fileno(file)) != 0) written = RunOutcome::SnapshotNotWritten;
    const bool closed = std::fclose(file) == 0;
    return written == RunOutcome::Done && !closed ? RunOutcome::SnapshotNotWritten : written;
}

// The snapshot is written under a temporary name beside its own and takes its
// name only when whole and on the disk, so a snapshot file that exists is
// always complete, even after a power cut; a save that fails leaves no file,
// not even an empty one that would look like a desktop without icons.
RunOutcome Save() {
    // Labels as the desktop holds them: the file's text is chosen from them.
    ShellViewAccess access(ItemRequest::LabelAndPosition, LabelText::Unicode);
    if (access.Opened() != RunOutcome::Done) return access.Opened();
    char fileName[kSnapshotFileNameSize];
    char partName[MAX_PATH];
    if (!SnapshotFileNameAt(std::time(nullptr), fileName) || GetTempFileNameA(".", "lok", 0, partName) == 0) {
        return RunOutcome::SnapshotNotWritten;
    }
    RunOutcome outcome = WriteSnapshotFile(access, partName);
    // A save in the same second as an earlier one replaces its file.
    if (outcome == RunOutcome::Done && !RetriedWhileHeld([&] {
            return MoveFileExA(partName, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        })) {
        outcome = RunOutcome::SnapshotNotWritten;
    }
    if (outcome != RunOutcome::Done) RetriedWhileHeld([&] { return DeleteFileA(partName) != 0; });
    return outcome;
}

// "Align icons to grid" cleared for the restore's moves and put back when the
// restore ends, however it ends; switching it on again moves no icon.
class GridAlignmentSetAside {
public:
    explicit GridAlignmentSetAside(HWND view) : cleared_(styles_.Clear(view, {false, true}, kShellAnswerLimitMs)) {}
    ~GridAlignmentSetAside() { styles_.PutBack(kShellAnswerLimitMs); }
    GridAlignmentSetAside(const GridAlignmentSetAside&) = delete;
    GridAlignmentSetAside& operator=(const GridAlignmentSetAside&) = delete;
    bool Cleared() const { return cleared_; }

private:
    ClearedArrangingStyles styles_;
    bool cleared_;
};

RunOutcome RestoreOnto(ShellViewAccess& access) {
    ArrangingStyles styles = {false, false};
    if (!ReadArrangingStyles(access.View(), kShellAnswerLimitMs, &styles)) return RunOutcome::ShellNotAnswering;
    // It would arrange the icons after every move and again when switched back on.
    if (styles.autoArrange) return RunOutcome::AutoArrangeOn;
    const GridAlignmentSetAside gridAlignment(access.View());
    if (!gridAlignment.Cleared()) return RunOutcome::ShellNotAnswering;
    return RestoreFromSnapshot(snapshotTable, access);
}

// The file is read completely before the shell is touched, and a file that
// cannot be read leaves the shell untouched.
RunOutcome Restore(const wchar_t* path) {
    const RunOutcome loaded =
        LoadSnapshotFile(path, snapshotTable, [](const wchar_t* widePath) { return _wfopen(widePath, L"r"); });
    if (loaded != RunOutcome::Done) return loaded;
    // A file without the UTF-8 mark is compared as it always was, in ANSI.
    ShellViewAccess access(ItemRequest::LabelOnly,
                           snapshotTable.text == SnapshotText::Utf8 ? LabelText::Unicode : LabelText::Ansi);
    if (access.Opened() != RunOutcome::Done) return access.Opened();
    return RestoreOnto(access);
}

}  // namespace

void SaveIconPositions() {
    PostQuitMessage(static_cast<int>(Save()));
}

void RestoreIconPositions(const wchar_t* path) {
    PostQuitMessage(static_cast<int>(Restore(path)));
}
