#include "item_record.h"

namespace {

void StoreLittleEndian(unsigned char* at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint64_t LoadLittleEndian(const unsigned char* at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return value;
}

bool FitsPointer(std::uint64_t address, std::size_t width) {
    return width >= 8 || address >> (8 * width) == 0;
}

}  // namespace

bool PrepareLabelRequest(const ItemRecordLayout& layout, std::uint64_t remoteLabelAddress, unsigned char* record,
                         std::size_t recordSize) {
    if (recordSize < layout.size || !FitsPointer(remoteLabelAddress, layout.textWidth)) return false;
    StoreLittleEndian(record + layout.mask, kItemMaskText, 4);
    StoreLittleEndian(record + layout.subItem, 0, 4);
    StoreLittleEndian(record + layout.text, remoteLabelAddress, layout.textWidth);
    StoreLittleEndian(record + layout.textMax, kLabelBlockSize, 4);
    return true;
}

bool SetRequestedItem(const ItemRecordLayout& layout, std::int32_t index, unsigned char* record,
                      std::size_t recordSize) {
    if (recordSize < layout.size) return false;
    StoreLittleEndian(record + layout.item, static_cast<std::uint32_t>(index), 4);
    return true;
}

std::uint64_t LabelAddressOf(const ItemRecordLayout& layout, const unsigned char* record, std::size_t recordSize) {
    if (recordSize < layout.size) return 0;
    return LoadLittleEndian(record + layout.text, layout.textWidth);
}

std::uint32_t PackPositionParameter(std::int32_t x, std::int32_t y) {
    const std::uint32_t low = static_cast<std::uint32_t>(x) & 0xFFFFu;
    const std::uint32_t high = static_cast<std::uint32_t>(y) & 0xFFFFu;
    return high << 16 | low;
}

ViewPoint PlaceAsViewReceivesIt(std::int32_t x, std::int32_t y) {
    const auto low16 = [](std::int32_t value) {
        const std::int32_t bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
        return bits >= 0x8000 ? bits - 0x10000 : bits;
    };
    return {low16(x), low16(y)};
}

ViewPoint DecodePositionBlock(const unsigned char* block, std::size_t blockSize) {
    if (blockSize < kPositionBlockSize) return {0, 0};
    // Two's complement bytes to signed values without relying on a narrowing cast.
    const auto toSigned = [](std::uint64_t bits) {
        return bits >= 0x80000000u ? static_cast<std::int32_t>(static_cast<std::int64_t>(bits) - 0x100000000LL)
                                   : static_cast<std::int32_t>(bits);
    };
    return {toSigned(LoadLittleEndian(block, 4)), toSigned(LoadLittleEndian(block + 4, 4))};
}

const char* TerminatedLabel(char* block, std::size_t blockSize) {
    if (blockSize == 0) return nullptr;
    block[blockSize - 1] = '\0';
    return block;
}
