// The records lokari exchanges with the shell's list-view through memory in
// the shell's process, laid out byte by byte so that the layout is that of
// the shell's pointer width, not the compiler's. Portable: no <windows.h>;
// the Windows build checks these numbers against <commctrl.h>.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PointerWidth : int { Bits32 = 32, Bits64 = 64 };

// List-view messages sent to the desktop view.
constexpr unsigned kListViewGetItemCount = 0x1004;    // LVM_GETITEMCOUNT
constexpr unsigned kListViewGetItemA = 0x1005;        // LVM_GETITEMA
constexpr unsigned kListViewSetItemPosition = 0x100F; // LVM_SETITEMPOSITION
constexpr unsigned kListViewGetItemPosition = 0x1010; // LVM_GETITEMPOSITION
constexpr unsigned kListViewGetItemW = 0x104B;        // LVM_GETITEMW: LVITEMW has LVITEMA's layout

constexpr std::uint32_t kItemMaskText = 0x1;  // LVIF_TEXT
constexpr std::size_t kLabelBlockSize = 260;  // label buffer in characters (bytes or UTF-16 units), NUL included
constexpr std::size_t kWideLabelBlockSize = 2 * kLabelBlockSize;  // the same in bytes for UTF-16
constexpr std::size_t kPositionBlockSize = 8; // POINT: x, y as signed 32-bit

// Byte offsets of LVITEMA's fields up to iIndent, and the record's size.
struct ItemRecordLayout {
    std::size_t size;
    std::size_t mask;
    std::size_t item;
    std::size_t subItem;
    std::size_t state;
    std::size_t stateMask;
    std::size_t text;       // pszText
    std::size_t textWidth;  // bytes of a pointer
    std::size_t textMax;    // cchTextMax
    std::size_t image;
    std::size_t param;      // lParam, pointer-sized
    std::size_t indent;
};

// 32-bit shell: ten 4-byte fields, 40 bytes.
constexpr ItemRecordLayout kItemRecordLayout32 = {40, 0, 4, 8, 12, 16, 20, 4, 24, 28, 32, 36};
// 64-bit shell: pszText and lParam are 8 bytes on 8-byte boundaries, and the
// record ends padded to a multiple of 8.
constexpr ItemRecordLayout kItemRecordLayout64 = {56, 0, 4, 8, 12, 16, 24, 8, 32, 36, 40, 48};
constexpr std::size_t kLargestItemRecordSize = 56;

constexpr const ItemRecordLayout& ItemRecordLayoutFor(PointerWidth width) {
    return width == PointerWidth::Bits64 ? kItemRecordLayout64 : kItemRecordLayout32;
}

// Sets the fields of a label request in a zero-filled record: mask LVIF_TEXT,
// iSubItem 0, pszText the address of the label block in the shell's process,
// cchTextMax 260. False, record untouched, when the record is smaller than
// the layout or the address does not fit the shell's pointers.
bool PrepareLabelRequest(const ItemRecordLayout& layout, std::uint64_t remoteLabelAddress, unsigned char* record,
                         std::size_t recordSize);

// Sets iItem. False when the record is smaller than the layout.
bool SetRequestedItem(const ItemRecordLayout& layout, std::int32_t index, unsigned char* record,
                      std::size_t recordSize);

// pszText as the record holds it (0 when the record is too small).
std::uint64_t LabelAddressOf(const ItemRecordLayout& layout, const unsigned char* record, std::size_t recordSize);

// The message parameter of a position: x in the low 16 bits, y in the high 16
// bits; each coordinate is cut to its low 16 bits.
std::uint32_t PackPositionParameter(std::int32_t x, std::int32_t y);

struct ViewPoint {
    std::int32_t x;
    std::int32_t y;
};

// Where an icon sent to (x, y) lands: the view receives only the low 16 bits
// of each coordinate, as a signed 16-bit value.
ViewPoint PlaceAsViewReceivesIt(std::int32_t x, std::int32_t y);

// The position block as the list-view wrote it ((0, 0) when the block is
// smaller than 8 bytes).
ViewPoint DecodePositionBlock(const unsigned char* block, std::size_t blockSize);

// The label in a label block: the text up to its NUL, never past the block's
// last byte, which is set to NUL for that. Null for an empty block.
const char* TerminatedLabel(char* block, std::size_t blockSize);
