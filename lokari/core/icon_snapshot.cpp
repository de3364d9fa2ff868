#include "icon_snapshot.h"

#include "scoped_file.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

// Writes ANSI lines, as a snapshot always was, while every label fits the
// ANSI code page exactly, and keeps their UTF-8 form; at the first label that
// does not fit, starts the file again in UTF-8. The UTF-8 text is never
// shorter than the ANSI text it replaces (each character takes at least as
// many bytes, and the mark comes first), so nothing of it is left behind.
class SnapshotWriter {
public:
    explicit SnapshotWriter(std::FILE* file) : file_(file) {}

    RunOutcome Write(ViewPoint position, const char* label, const char* exactAnsiLabel) {
        // Static: the frame stays within the build's bound.
        static char utf8Line[kLineBufferSize];
        FormatSnapshotLine(position.x, position.y, label, utf8Line);
        if (!utf8_ && exactAnsiLabel == nullptr && !StartAgainInUtf8()) return RunOutcome::SnapshotNotWritten;
        if (utf8_) return WriteSnapshotLine(file_, utf8Line) ? RunOutcome::Done : RunOutcome::SnapshotNotWritten;
        char ansiLine[kSnapshotLineSize];
        FormatSnapshotLine(position.x, position.y, exactAnsiLabel, ansiLine);
        if (!WriteSnapshotLine(file_, ansiLine)) return RunOutcome::SnapshotNotWritten;
        try {
            utf8SoFar_.append(utf8Line).push_back('\n');
        } catch (const std::bad_alloc&) {
            return RunOutcome::MemoryNotAvailable;
        }
        return RunOutcome::Done;
    }

private:
    bool StartAgainInUtf8() {
        utf8_ = true;
        std::rewind(file_);
        const bool written = std::fputs(kUtf8Mark, file_) >= 0 && std::fputs(utf8SoFar_.c_str(), file_) >= 0;
        std::string().swap(utf8SoFar_);
        return written;
    }

    std::FILE* file_;
    bool utf8_ = false;
    std::string utf8SoFar_;
};

RunOutcome WriteOriginLine(IconView& view, std::FILE* file) {
    ViewPoint origin = {0, 0};
    if (!view.OriginOnScreen(&origin)) return view.Answering() ? RunOutcome::Done : RunOutcome::ShellNotAnswering;
    char line[kSnapshotLineSize];
    FormatOriginLine(origin.x, origin.y, line);
    return WriteSnapshotLine(file, line) ? RunOutcome::Done : RunOutcome::SnapshotNotWritten;
}

}  // namespace

RunOutcome WriteSnapshot(IconView& view, std::FILE* file) {
    const int count = view.ItemCount();
    SnapshotWriter writer(file);
    for (int index = 0; index < count; ++index) {
        if (!view.RequestItem(index, ItemRequest::LabelAndPosition)) {
            if (!view.Answering()) return RunOutcome::ShellNotAnswering;
            continue;
        }
        const RunOutcome written = writer.Write(view.Position(), view.Label(), view.ExactAnsiLabel());
        if (written != RunOutcome::Done) return written;
    }
    const RunOutcome origin = WriteOriginLine(view, file);
    if (origin != RunOutcome::Done) return origin;
    // Buffered lines may fail only when they reach the file.
    if (std::fflush(file) != 0 || std::ferror(file)) return RunOutcome::SnapshotNotWritten;
    return RunOutcome::Done;
}

namespace {

// Moves the item to the entry's place when some screen shows it; false when
// it was left where it is for that reason.
bool MoveIfShown(IconView& view, int index, ViewPoint place) {
    if (!view.PlaceIsShown(PlaceAsViewReceivesIt(place.x, place.y))) return false;
    view.SetItemPosition(index, place.x, place.y);
    return true;
}

std::int32_t SaturatedSum(std::int64_t a, std::int64_t b) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(a + b, INT32_MIN, INT32_MAX));
}

// How far every entry moves so that it keeps the screen spot it was saved
// at: the saved origin less today's; nothing for a file without an origin.
ViewPoint ShiftSinceSave(const SnapshotOrigin& saved, IconView& view) {
    ViewPoint today = {0, 0};
    if (!saved.known || !view.OriginOnScreen(&today)) return {0, 0};
    return {SaturatedSum(saved.x, -std::int64_t{today.x}), SaturatedSum(saved.y, -std::int64_t{today.y})};
}

}  // namespace

RunOutcome RestoreFromSnapshot(const SnapshotTable& table, IconView& view) {
    SnapshotMatcher matcher(table);
    if (!matcher.Usable()) return RunOutcome::MemoryNotAvailable;
    const ViewPoint shift = ShiftSinceSave(table.origin, view);
    if (!view.Answering()) return RunOutcome::ShellNotAnswering;
    bool leftOffScreen = false;
    const int count = view.ItemCount();
    for (int index = 0; index < count; ++index) {
        if (!view.RequestItem(index, ItemRequest::LabelOnly)) {
            if (!view.Answering()) return RunOutcome::ShellNotAnswering;
            continue;
        }
        if (const SnapshotEntry* entry = matcher.Take(view.Label())) {
            const ViewPoint place = {SaturatedSum(entry->x, shift.x), SaturatedSum(entry->y, shift.y)};
            if (!MoveIfShown(view, index, place)) leftOffScreen = true;
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
    if (!file || !WithinSnapshotSizeBound(file.get())) return RunOutcome::SnapshotNotReadable;
    if (!ReadSnapshot(file.get(), table)) return RunOutcome::MemoryNotAvailable;
    if (table.text == SnapshotText::Utf16) return RunOutcome::SnapshotNotReadable;
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
