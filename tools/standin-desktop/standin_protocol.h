// Requests to a running stand-in desktop, sent with WM_COPYDATA to its
// "Progman" window (the one window every --parent mode has). The stand-in
// handles them on its own thread, so a sender never touches its list-view
// while the stand-in is changing it.
#pragma once

#include <cstdint>

namespace standin {

// COPYDATASTRUCT::dwData values.
enum Request : std::uint32_t {
    // Payload: the label in UTF-16 (no terminator). Result: the new icon count.
    kAddIcon = 0x53440001,
    // Payload: the index as std::int32_t. Result: the new icon count, or -1
    // when there is no such icon.
    kRemoveIcon = 0x53440002,
    // Payload: the reply window's handle as std::uint64_t. The stand-in
    // answers, before this request returns, with a WM_COPYDATA of kDumpReply
    // to that window. Result: 1 when it answered.
    kDumpIcons = 0x53440003,
    // Payload: "index,x,y,label\n" per icon in index order, labels in UTF-8.
    kDumpReply = 0x53440004,
    // Payload: milliseconds as std::int32_t. The stand-in answers at once and
    // then stops answering anything for that long, as a hung shell does.
    // Result: 1 when the freeze is on its way.
    kFreeze = 0x53440005,
    // No payload. Result: how many position messages (LVM_SETITEMPOSITION,
    // LVM_SETITEMPOSITION32) the view has received from other programs since
    // the stand-in started; its own placing and arranging are not counted.
    kCountMoves = 0x53440010,
};

// The stand-in's top-level window that takes requests.
constexpr const char* kRequestWindowClass = "Progman";

}  // namespace standin
