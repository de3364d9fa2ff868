// A snapshot file of any bytes, read through the C library's fgets from a
// memory stream, then matched: the table stays within its capacity, every
// name is terminated, every line read takes one slot, the first equal name
// is the one found, and a restore moves the k-th icon with a label only to
// the k-th entry with that name.
#include <stdio.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "icon_snapshot.h"
#include "snapshot_file.h"

namespace {

SnapshotTable table;

// The number of pieces fgets(line, 280, file) hands over, up to the capacity.
int PiecesOf(const std::uint8_t* data, std::size_t size) {
    int pieces = 0;
    std::size_t at = 0;
    while (at < size && pieces < kSnapshotCapacity) {
        std::size_t taken = 0;
        while (at < size && taken < kSnapshotLineSize - 1) {
            ++taken;
            if (data[at++] == '\n') break;
        }
        ++pieces;
    }
    return pieces;
}

bool IsPlaceholder(const SnapshotEntry& entry) {
    return entry.x == kPlaceholderPosition && entry.y == kPlaceholderPosition && entry.name[0] == '\0';
}

void CheckTable(int expectedEntries) {
    FUZZ_CHECK(table.entryCount == expectedEntries);
    for (int i = 0; i < kSnapshotCapacity; ++i) {
        const SnapshotEntry& entry = table.entries[i];
        const void* end = std::memchr(entry.name, '\0', sizeof entry.name);
        FUZZ_CHECK(end != nullptr);
        if (!end) continue;
        FUZZ_CHECK(std::strlen(entry.name) <= kLongNameKept);
        FUZZ_CHECK(std::strchr(entry.name, ',') == nullptr);
        if (entry.name[0] == '\0' || i >= table.entryCount) FUZZ_CHECK(IsPlaceholder(entry));
    }
}

void CheckMatching() {
    FUZZ_CHECK(SnapshotMatcher(table).Take("") == nullptr);
    for (int i = 0; i < table.entryCount; ++i) {
        const SnapshotEntry& entry = table.entries[i];
        if (entry.name[0] == '\0') continue;
        const SnapshotEntry* found = SnapshotMatcher(table).Take(entry.name);
        FUZZ_CHECK(found != nullptr && found <= &entry && std::strcmp(found->name, entry.name) == 0);
        for (const SnapshotEntry* earlier = table.entries; found && earlier < found; ++earlier)
            FUZZ_CHECK(std::strcmp(earlier->name, entry.name) != 0);
    }
}

// The k-th entry (from 0) with that name, in file order; null when there is none.
const SnapshotEntry* KthEntryNamed(const std::string& name, int k) {
    if (name.empty()) return nullptr;
    for (int i = 0; i < table.entryCount; ++i) {
        if (name == table.entries[i].name && k-- == 0) return &table.entries[i];
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
        const std::string label = LabelOf(index);
        int earlier = 0;
        for (int i = 0; i < index; ++i) earlier += LabelOf(i) == label;
        const SnapshotEntry* entry = KthEntryNamed(label, earlier);
        FUZZ_CHECK(entry != nullptr && entry->x == x && entry->y == y);
        ++moves;
    }
    int moves = 0;

private:
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
        if (!file) return 0;
        ReadSnapshot(file, table);
        std::fclose(file);
    }
    CheckTable(PiecesOf(data, size));
    CheckMatching();

    LabelView view(LabelsFrom(data, size));
    RestoreFromSnapshot(table, view);
    return 0;
}
