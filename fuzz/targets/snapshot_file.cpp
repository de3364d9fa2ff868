// A snapshot file of any bytes, read through the C library's fgets from a
// memory stream, then matched: every name is terminated, every line read
// whole takes one slot, the first equal name is the one found, placeholders never
// match, and a restore moves the k-th icon with a label to the k-th entry with
// that name, and only those.
#include <stdio.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "icon_snapshot.h"
#include "snapshot_file.h"

namespace {

SnapshotTable table;

// The lines a reader takes: none after a UTF-16 mark; one a line end, the
// last one without it too; a line of more than 1023 bytes before its line
// end is skipped.
int LinesOf(const std::uint8_t* data, std::size_t size) {
    if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) return 0;
    int lines = 0;
    std::size_t at = 0;
    while (at < size) {
        std::size_t length = 0;
        while (at < size && data[at] != '\n') ++at, ++length;
        if (at < size) ++at;  // the line end
        if (length <= kLineBufferSize - 1) ++lines;
    }
    return lines;
}

bool IsPlaceholder(const SnapshotEntry& entry) {
    return entry.x == kPlaceholderPosition && entry.y == kPlaceholderPosition && entry.name[0] == '\0';
}

void CheckTable(int expectedEntries) {
    FUZZ_CHECK(table.entryCount == expectedEntries);
    FUZZ_CHECK(table.entries.size() >= static_cast<std::size_t>(table.entryCount));
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const SnapshotEntry& entry = table.entries[i];
        const void* end = std::memchr(entry.name, '\0', sizeof entry.name);
        FUZZ_CHECK(end != nullptr);
        if (!end) continue;
        FUZZ_CHECK(std::strlen(entry.name) < kSnapshotNameSize);
        if (entry.placeholder || i >= static_cast<std::size_t>(table.entryCount))
            FUZZ_CHECK(entry.placeholder && IsPlaceholder(entry));
    }
}

void CheckMatching() {
    const SnapshotEntry* unlabelled = SnapshotMatcher(table).Take("");
    FUZZ_CHECK(unlabelled == nullptr || !unlabelled->placeholder);
    for (int i = 0; i < table.entryCount; ++i) {
        const SnapshotEntry& entry = table.entries[i];
        if (entry.placeholder) continue;
        const SnapshotEntry* found = SnapshotMatcher(table).Take(entry.name);
        FUZZ_CHECK(found != nullptr && found <= &entry && std::strcmp(found->name, entry.name) == 0);
        for (const SnapshotEntry* earlier = table.entries.data(); found && earlier < found; ++earlier)
            FUZZ_CHECK(earlier->placeholder || std::strcmp(earlier->name, entry.name) != 0);
    }
}

// The k-th entry (from 0) with that name, in file order; null when there is none.
const SnapshotEntry* KthEntryNamed(const std::string& name, int k) {
    for (int i = 0; i < table.entryCount; ++i) {
        if (!table.entries[i].placeholder && name == table.entries[i].name && k-- == 0) return &table.entries[i];
    }
    return nullptr;
}

// Icons labelled with the input's lines, as a restore sees them.
class LabelView final : public IconView {
public:
    explicit LabelView(std::vector<std::string> labels) : labels_(std::move(labels)) {}
    int ItemCount() const override { return static_cast<int>(labels_.size()); }
    bool RequestItem(int index, ItemRequest) override {
        label_ = LabelOf(index);
        return true;
    }
    const char* Label() const override { return label_.c_str(); }
    ViewPoint Position() const override { return {0, 0}; }
    void SetItemPosition(int index, std::int32_t x, std::int32_t y) override {
        const SnapshotEntry* entry = EntryOf(index);
        FUZZ_CHECK(entry != nullptr && entry->x == x && entry->y == y);
        ++moves;
    }
    int moves = 0;
    // Icons whose label has a k-th entry: exactly those must move.
    int Matches() const {
        int matches = 0;
        for (int i = 0; i < ItemCount(); ++i) matches += EntryOf(i) != nullptr;
        return matches;
    }

private:
    const SnapshotEntry* EntryOf(int index) const {
        const std::string label = LabelOf(index);
        int earlier = 0;
        for (int i = 0; i < index; ++i) earlier += LabelOf(i) == label;
        return KthEntryNamed(label, earlier);
    }
    std::string LabelOf(int index) const {
        return labels_.at(static_cast<std::size_t>(index)).substr(0, kLabelBlockSize - 1);
    }

    std::vector<std::string> labels_;
    std::string label_;
};

std::vector<std::string> LabelsFrom(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> labels(1);
    for (std::size_t i = 0; i < size && labels.size() < 64; ++i) {
        if (data[i] == '\n' || data[i] == ',') {
            labels.emplace_back();
        } else if (data[i] != '\0') {
            labels.back() += static_cast<char>(data[i]);
        }
    }
    return labels;
}

}  // namespace

int Fuzz_snapshot_file(const std::uint8_t* data, std::size_t size) {
    // fmemopen wants a buffer of at least one byte; its copy is exactly the input.
    std::vector<char> bytes(data, data + size);
    if (bytes.empty()) {
        ResetSnapshotTable(table);
    } else {
        FILE* file = fmemopen(bytes.data(), bytes.size(), "r");
        FUZZ_CHECK(file != nullptr);
        if (!file) return 0;
        FUZZ_CHECK(ReadSnapshot(file, table));
        std::fclose(file);
    }
    CheckTable(LinesOf(data, size));
    CheckMatching();

    // Labels from the input, and the table's own names, commas and all.
    std::vector<std::string> labels = LabelsFrom(data, size);
    for (int i = 0; i < table.entryCount && i < 64; ++i) labels.push_back(table.entries[i].name);
    LabelView view(labels);
    FUZZ_CHECK(RestoreFromSnapshot(table, view) == RunOutcome::Done);
    FUZZ_CHECK(view.moves == view.Matches());
    return 0;
}
