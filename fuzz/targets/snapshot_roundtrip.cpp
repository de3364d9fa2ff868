// A save followed by a restore, over a desktop made from the input: the k-th
// icon with a label (commas and empty labels included) that is readable at
// the restore goes back to the position saved for the k-th icon of that label
// that was readable at the save; icons unreadable at the restore, or without
// a k-th saved position, stay where they are. The file holds one line per
// readable icon, written whole.
#include <stdio.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "icon_snapshot.h"
#include "snapshot_file.h"

namespace {

// Labels short enough for every line to fit the line buffer whole (with two
// 11-character coordinates): cut lines are the reader's target's business.
constexpr std::size_t kLongestLabel = kSnapshotLineSize - 2 - 3 - 2 * 11;
constexpr int kMostIcons = 200;
constexpr std::int32_t kUntouched = 0x7EADBEEF;

struct Icon {
    std::string label;
    std::int32_t x;
    std::int32_t y;
    bool readable;
};

class IconsView final : public IconView {
public:
    explicit IconsView(std::vector<Icon> icons) : icons_(std::move(icons)) {}
    int ItemCount() const override { return static_cast<int>(icons_.size()); }
    bool RequestItem(int index, ItemRequest) override {
        const Icon& icon = icons_.at(static_cast<std::size_t>(index));
        if (!icon.readable) return false;
        label_ = icon.label;
        position_ = {icon.x, icon.y};
        return true;
    }
    const char* Label() const override { return label_.c_str(); }
    ViewPoint Position() const override { return position_; }
    void SetItemPosition(int index, std::int32_t x, std::int32_t y) override {
        Icon& icon = icons_.at(static_cast<std::size_t>(index));
        icon.x = x;
        icon.y = y;
    }
    const std::vector<Icon>& Icons() const { return icons_; }

private:
    std::vector<Icon> icons_;
    std::string label_;
    ViewPoint position_ = {0, 0};
};

std::int32_t Int32(InputBytes& input) {
    const std::uint32_t bits = input.Word() | static_cast<std::uint32_t>(input.Word()) << 16;
    return static_cast<std::int32_t>(bits);
}

// A label without line ends: a line cannot hold one.
std::vector<Icon> IconsFrom(InputBytes& input) {
    std::vector<Icon> icons;
    const int count = input.Byte() % (kMostIcons + 1);
    for (int i = 0; i < count && input.RestSize() > 0; ++i) {
        Icon icon;
        icon.x = Int32(input);
        icon.y = Int32(input);
        const std::uint8_t shape = input.Byte();
        icon.readable = (shape & 0x80) == 0;
        std::size_t length = (shape & 0x7F) * kLongestLabel / 0x7F;
        while (length-- > 0 && input.RestSize() > 0) {
            char c = static_cast<char>(input.Byte());
            if (c == '\n' || c == '\0') c = '_';
            icon.label += c;
        }
        icons.push_back(icon);
    }
    return icons;
}

int LinesIn(const char* text, std::size_t size) {
    int lines = 0;
    for (std::size_t i = 0; i < size; ++i) lines += text[i] == '\n';
    return lines;
}

SnapshotTable table;

}  // namespace

int Fuzz_snapshot_roundtrip(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const std::vector<Icon> saved = IconsFrom(input);
    IconsView desktop(saved);

    char* text = nullptr;
    std::size_t textSize = 0;
    FILE* out = open_memstream(&text, &textSize);
    FUZZ_CHECK(out != nullptr);
    if (!out) return 0;
    FUZZ_CHECK(WriteSnapshot(desktop, out) == RunOutcome::Done);
    std::fclose(out);

    int readableIcons = 0;
    for (const Icon& icon : saved) readableIcons += icon.readable;
    FUZZ_CHECK(LinesIn(text, textSize) == readableIcons);
    FUZZ_CHECK(textSize == 0 || text[textSize - 1] == '\n');

    if (textSize == 0) {
        ResetSnapshotTable(table);
    } else {
        FILE* in = fmemopen(text, textSize, "r");
        FUZZ_CHECK(in != nullptr);
        if (!in) {
            std::free(text);
            return 0;
        }
        FUZZ_CHECK(ReadSnapshot(in, table));
        std::fclose(in);
    }
    std::free(text);
    FUZZ_CHECK(table.entryCount == readableIcons);

    // The icons have moved since; some can no longer be read.
    std::vector<Icon> moved = saved;
    for (Icon& icon : moved) {
        icon.x = kUntouched;
        icon.y = kUntouched;
        if (input.Byte() & 1) icon.readable = !icon.readable;
    }
    IconsView later(moved);
    RestoreFromSnapshot(table, later);

    for (std::size_t k = 0; k < moved.size(); ++k) {
        const Icon& now = later.Icons()[k];
        int earlier = 0;
        for (std::size_t i = 0; i < k; ++i) earlier += moved[i].readable && moved[i].label == moved[k].label;
        const Icon* kth = nullptr;
        for (const Icon& icon : saved) {
            if (icon.readable && icon.label == moved[k].label && earlier-- == 0) {
                kth = &icon;
                break;
            }
        }
        const bool restorable = moved[k].readable && kth != nullptr;
        if (restorable) {
            FUZZ_CHECK(now.x == kth->x && now.y == kth->y);
        } else {
            FUZZ_CHECK(now.x == kUntouched && now.y == kUntouched);
        }
    }
    return 0;
}
