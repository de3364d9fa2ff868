#include "item_record.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "pointer_width.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::uint64_t Field(const Bytes& record, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value |= static_cast<std::uint64_t>(record.at(offset + i)) << (8 * i);
    return value;
}

// A label request as sent: every byte is checked, not only the fields set.
Bytes LabelRequest(const ItemRecordLayout& layout, std::uint64_t labelAddress, std::int32_t item) {
    Bytes record(layout.size, 0);
    EXPECT_TRUE(PrepareLabelRequest(layout, labelAddress, record.data(), record.size()));
    EXPECT_TRUE(SetRequestedItem(layout, item, record.data(), record.size()));
    return record;
}

// Addresses handed to the shell fit only when both processes have one width.
TEST(PointerWidth, OnlyProcessesOfOneWidthShareAddresses) {
    const struct { const char* what; bool weAre64Bit, selfUnderWow64, shellUnderWow64, same; } rows[] = {
        {"64-bit program, 64-bit shell", true, false, false, true},
        {"64-bit program, 32-bit shell", true, false, true, false},
        {"32-bit program, 64-bit shell", false, true, false, false},
        {"32-bit program, 32-bit shell on 64-bit Windows", false, true, true, true},
        {"32-bit Windows", false, false, false, true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(SamePointerWidth(r.weAre64Bit, r.selfUnderWow64, r.shellUnderWow64), r.same) << r.what;
    }
}

TEST(ItemRecord32, IsFortyBytesWithFourBytePointer) {
    const ItemRecordLayout& layout = ItemRecordLayoutFor(PointerWidth::Bits32);
    EXPECT_EQ(layout.size, 40u);
    const Bytes record = LabelRequest(layout, 0x12345678, 7);
    const Bytes expected = {
        0x01, 0x00, 0x00, 0x00,  // mask: LVIF_TEXT
        0x07, 0x00, 0x00, 0x00,  // iItem
        0x00, 0x00, 0x00, 0x00,  // iSubItem
        0x00, 0x00, 0x00, 0x00,  // state
        0x00, 0x00, 0x00, 0x00,  // stateMask
        0x78, 0x56, 0x34, 0x12,  // pszText
        0x04, 0x01, 0x00, 0x00,  // cchTextMax: 260
        0x00, 0x00, 0x00, 0x00,  // iImage
        0x00, 0x00, 0x00, 0x00,  // lParam
        0x00, 0x00, 0x00, 0x00,  // iIndent
    };
    EXPECT_EQ(record, expected);
}

TEST(ItemRecord64, HasEightBytePointerAtItsNaturalOffset) {
    const ItemRecordLayout& layout = ItemRecordLayoutFor(PointerWidth::Bits64);
    EXPECT_EQ(layout.size, 56u);
    const Bytes record = LabelRequest(layout, 0x00007FF6'12345678ull, 300);
    EXPECT_EQ(Field(record, 0, 4), 1u);                         // mask
    EXPECT_EQ(Field(record, 4, 4), 300u);                       // iItem
    EXPECT_EQ(Field(record, 8, 4), 0u);                         // iSubItem
    EXPECT_EQ(Field(record, 20, 4), 0u);                        // padding before the pointer
    EXPECT_EQ(Field(record, 24, 8), 0x00007FF6'12345678ull);    // pszText
    EXPECT_EQ(Field(record, 32, 4), 260u);                      // cchTextMax
    EXPECT_EQ(Field(record, 36, 4), 0u);                        // iImage
    EXPECT_EQ(Field(record, 40, 8), 0u);                        // lParam
    EXPECT_EQ(Field(record, 48, 4), 0u);                        // iIndent
    EXPECT_EQ(Field(record, 52, 4), 0u);                        // padding at the end
}

TEST(ItemRecordLayouts, FieldOffsets) {
    const ItemRecordLayout& narrow = ItemRecordLayoutFor(PointerWidth::Bits32);
    const ItemRecordLayout& wide = ItemRecordLayoutFor(PointerWidth::Bits64);
    EXPECT_EQ(narrow.mask, 0u);
    EXPECT_EQ(narrow.item, 4u);
    EXPECT_EQ(narrow.text, 20u);
    EXPECT_EQ(narrow.textWidth, 4u);
    EXPECT_EQ(narrow.textMax, 24u);
    EXPECT_EQ(narrow.indent, 36u);
    EXPECT_EQ(wide.mask, 0u);
    EXPECT_EQ(wide.item, 4u);
    EXPECT_EQ(wide.text, 24u);
    EXPECT_EQ(wide.textWidth, 8u);
    EXPECT_EQ(wide.textMax, 32u);
    EXPECT_EQ(wide.param, 40u);
    EXPECT_EQ(wide.indent, 48u);
    EXPECT_LE(wide.size, kLargestItemRecordSize);
}

TEST(ItemRecord32, AddressAbove4GiBIsRefusedAndRecordUntouched) {
    const ItemRecordLayout& layout = ItemRecordLayoutFor(PointerWidth::Bits32);
    Bytes record(layout.size, 0xEE);
    EXPECT_FALSE(PrepareLabelRequest(layout, 0x1'00000000ull, record.data(), record.size()));
    EXPECT_EQ(record, Bytes(layout.size, 0xEE));
    EXPECT_TRUE(PrepareLabelRequest(layout, 0xFFFFFFFFull, record.data(), record.size()));
}

TEST(ItemRecord, RecordSmallerThanTheLayoutIsRefused) {
    for (PointerWidth width : {PointerWidth::Bits32, PointerWidth::Bits64}) {
        const ItemRecordLayout& layout = ItemRecordLayoutFor(width);
        Bytes record(layout.size - 1, 0);
        EXPECT_FALSE(PrepareLabelRequest(layout, 0x1000, record.data(), record.size()));
        EXPECT_FALSE(SetRequestedItem(layout, 1, record.data(), record.size()));
        EXPECT_EQ(LabelAddressOf(layout, record.data(), record.size()), 0u);
        EXPECT_EQ(record, Bytes(layout.size - 1, 0));
    }
}

TEST(ItemRecord, ReadBackRecordGetsItsTextPointerBackAndKeepsOtherFields) {
    for (PointerWidth width : {PointerWidth::Bits32, PointerWidth::Bits64}) {
        const ItemRecordLayout& layout = ItemRecordLayoutFor(width);
        Bytes record = LabelRequest(layout, 0x4000, 0);
        // As the shell might hand it back: another text pointer, a state set.
        record[layout.text] = 0x99;
        record[layout.state] = 0x02;
        EXPECT_NE(LabelAddressOf(layout, record.data(), record.size()), 0x4000u);
        ASSERT_TRUE(PrepareLabelRequest(layout, 0x4000, record.data(), record.size()));
        ASSERT_TRUE(SetRequestedItem(layout, 1, record.data(), record.size()));
        EXPECT_EQ(LabelAddressOf(layout, record.data(), record.size()), 0x4000u);
        EXPECT_EQ(Field(record, layout.item, 4), 1u);
        EXPECT_EQ(record[layout.state], 0x02);
    }
}

TEST(ItemRecord, NegativeIndexIsStoredAsTwosComplement) {
    const Bytes record = LabelRequest(ItemRecordLayoutFor(PointerWidth::Bits32), 0x1000, -1);
    EXPECT_EQ(Field(record, 4, 4), 0xFFFFFFFFu);
}

struct PackCase {
    std::int32_t x;
    std::int32_t y;
    std::uint32_t parameter;
    ViewPoint landsAt;  // the parameter as the view reads it back
};

TEST(PositionParameter, KeepsTheLow16BitsOfEachCoordinate) {
    const PackCase cases[] = {{12, 345, 0x0159000Cu, {12, 345}},
                              {0, 0, 0u, {0, 0}},
                              {-1, -1, 0xFFFFFFFFu, {-1, -1}},
                              {32767, -32768, 0x80007FFFu, {32767, -32768}},
                              {-9999, -9999, 0xD8F1D8F1u, {-9999, -9999}},
                              {65536, 65537, 0x00010000u, {0, 1}},
                              {70000, -70000, 0xEE901170u, {4464, -4464}},
                              {INT_MIN, INT_MAX, 0xFFFF0000u, {0, -1}}};
    for (const PackCase& c : cases) {
        EXPECT_EQ(PackPositionParameter(c.x, c.y), c.parameter) << "(" << c.x << ", " << c.y << ")";
        const ViewPoint landed = PlaceAsViewReceivesIt(c.x, c.y);
        EXPECT_EQ(landed.x, c.landsAt.x) << "(" << c.x << ", " << c.y << ")";
        EXPECT_EQ(landed.y, c.landsAt.y) << "(" << c.x << ", " << c.y << ")";
    }
}

TEST(PositionBlock, DecodesTwoSigned32BitValues) {
    const unsigned char block[kPositionBlockSize] = {0xF4, 0xFF, 0xFF, 0xFF, 0x59, 0x01, 0x00, 0x00};
    const ViewPoint point = DecodePositionBlock(block, sizeof block);
    EXPECT_EQ(point.x, -12);
    EXPECT_EQ(point.y, 345);
    const unsigned char extremes[kPositionBlockSize] = {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x7F};
    const ViewPoint far = DecodePositionBlock(extremes, sizeof extremes);
    EXPECT_EQ(far.x, INT_MIN);
    EXPECT_EQ(far.y, INT_MAX);
}

TEST(LabelBlock, TextWithoutNulEndsAtTheLastByte) {
    char block[kLabelBlockSize];
    std::memset(block, 'x', sizeof block);
    EXPECT_EQ(std::strlen(TerminatedLabel(block, sizeof block)), 259u);
    std::memcpy(block, "short\0left over", 15);
    EXPECT_STREQ(TerminatedLabel(block, sizeof block), "short");
}

}  // namespace
