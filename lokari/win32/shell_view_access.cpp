#include "shell_view_access.h"

#include "debug_trace.h"
#include "desktop_view_lookup.h"
#include "shell_process.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace {

constexpr PointerWidth kOwnPointerWidth = sizeof(void*) == 8 ? PointerWidth::Bits64 : PointerWidth::Bits32;
constexpr const ItemRecordLayout& kOwnLayout = ItemRecordLayoutFor(kOwnPointerWidth);

// The hand-made layout must be the platform's own LVITEMA for this width.
static_assert(offsetof(LVITEMA, mask) == kOwnLayout.mask, "mask");
static_assert(offsetof(LVITEMA, iItem) == kOwnLayout.item, "iItem");
static_assert(offsetof(LVITEMA, iSubItem) == kOwnLayout.subItem, "iSubItem");
static_assert(offsetof(LVITEMA, state) == kOwnLayout.state, "state");
static_assert(offsetof(LVITEMA, stateMask) == kOwnLayout.stateMask, "stateMask");
static_assert(offsetof(LVITEMA, pszText) == kOwnLayout.text, "pszText");
static_assert(sizeof(LVITEMA::pszText) == kOwnLayout.textWidth, "pszText width");
static_assert(offsetof(LVITEMA, cchTextMax) == kOwnLayout.textMax, "cchTextMax");
static_assert(offsetof(LVITEMA, iImage) == kOwnLayout.image, "iImage");
static_assert(offsetof(LVITEMA, lParam) == kOwnLayout.param, "lParam");
static_assert(offsetof(LVITEMA, iIndent) == kOwnLayout.indent, "iIndent");
// The record ends with iIndent, padded as the compiler pads the whole record.
static_assert(kOwnLayout.size >= offsetof(LVITEMA, iIndent) + sizeof(int), "record end");
static_assert(kOwnLayout.size < offsetof(LVITEMA, iIndent) + sizeof(int) + alignof(LVITEMA), "record padding");
static_assert(kOwnLayout.size % alignof(LVITEMA) == 0, "record alignment");
static_assert(kOwnLayout.size <= kLargestItemRecordSize, "largest record");
static_assert(sizeof(POINT) == kPositionBlockSize, "POINT");

static_assert(LVM_GETITEMCOUNT == kListViewGetItemCount, "LVM_GETITEMCOUNT");
static_assert(LVM_GETITEMA == kListViewGetItemA, "LVM_GETITEMA");
static_assert(LVM_SETITEMPOSITION == kListViewSetItemPosition, "LVM_SETITEMPOSITION");
static_assert(LVM_GETITEMPOSITION == kListViewGetItemPosition, "LVM_GETITEMPOSITION");
static_assert(LVIF_TEXT == kItemMaskText, "LVIF_TEXT");

// Memory operations on the shell, plus the right to ask for its pointer width.
constexpr DWORD kShellProcessAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION;

void* AllocateLocal(std::size_t size) {
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeLocal(void* block) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

std::uint64_t AddressOf(const void* block) {
    return reinterpret_cast<std::uintptr_t>(block);
}

BOOL CALLBACK ListScreen(HMONITOR, HDC, LPRECT area, LPARAM list) {
    reinterpret_cast<ScreenList*>(list)->Add({area->left, area->top, area->right, area->bottom});
    return TRUE;
}

}  // namespace

// The record has the shell's layout; Open refuses any shell whose pointer
// width is not lokari's own, so that is kOwnLayout.
ShellViewAccess::ShellViewAccess(ItemRequest requests)
    : withPositions_(requests == ItemRequest::LabelAndPosition), layout_(kOwnLayout) {
    opened_ = Open();
}

ShellViewAccess::~ShellViewAccess() {
    FreeLocal(localRecord_);
    FreeLocal(localLabel_);
    FreeLocal(localPosition_);
    for (void* block : {remoteRecord_, remoteLabel_, remotePosition_}) {
        if (block && !blocksLentToShell_) VirtualFreeEx(process_, block, 0, MEM_RELEASE);
    }
    if (process_) CloseHandle(process_);
}

RunOutcome ShellViewAccess::Open() {
    view_ = FindDesktopListView();
    if (view_ == nullptr) return RunOutcome::NoDesktopView;
    if (!AllocateLocalCopies() || !OpenShellProcess(view_) || !AllocateRemoteBlocks() ||
        !PrepareLabelRequest(layout_, AddressOf(remoteLabel_), localRecord_, layout_.size)) {
        return RunOutcome::ShellNotAccessible;
    }
    DWORD_PTR count = 0;
    if (!SendToView(LVM_GETITEMCOUNT, 0, 0, &count)) return RunOutcome::ShellNotAnswering;
    const auto signedCount = static_cast<LRESULT>(count);
    itemCount_ = signedCount <= 0 ? 0 : signedCount >= INT_MAX ? INT_MAX : static_cast<int>(signedCount);
    return RunOutcome::Done;
}

bool ShellViewAccess::AllocateLocalCopies() {
    localRecord_ = static_cast<unsigned char*>(AllocateLocal(layout_.size));
    localLabel_ = static_cast<char*>(AllocateLocal(kLabelBlockSize));
    if (withPositions_) localPosition_ = static_cast<unsigned char*>(AllocateLocal(kPositionBlockSize));
    return localRecord_ && localLabel_ && (localPosition_ || !withPositions_);
}

bool ShellViewAccess::OpenShellProcess(HWND view) {
    DWORD processId = 0;
    GetWindowThreadProcessId(view, &processId);
    if (processId == 0) return false;
    process_ = OpenProcess(kShellProcessAccess, FALSE, processId);
    if (process_ == nullptr) {
        TraceFailure("OpenProcess of the shell");
        return false;
    }
    // A shell of another width would read our record with its own layout and
    // write the label through a pointer cut or padded from ours.
    return HasOwnPointerWidth(process_);
}

bool ShellViewAccess::AllocateRemoteBlocks() {
    const auto allocateRemote = [this](std::size_t size) {
        void* block = VirtualAllocEx(process_, nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!block) TraceFailure("VirtualAllocEx in the shell");
        return block;
    };
    remoteRecord_ = allocateRemote(layout_.size);
    if (!remoteRecord_) return false;
    remoteLabel_ = allocateRemote(kLabelBlockSize);
    if (!remoteLabel_) return false;
    if (withPositions_) remotePosition_ = allocateRemote(kPositionBlockSize);
    return remotePosition_ || !withPositions_;
}

bool ShellViewAccess::RequestItem(int index, ItemRequest request) {
    const bool withPosition = request == ItemRequest::LabelAndPosition;
    if (opened_ != RunOutcome::Done || !answering_ || index < 0 || index >= itemCount_) return false;
    if (withPosition && !withPositions_) return false;
    // The text pointer is set again each time: the record read back from the
    // shell is not trusted to still point at our label block.
    if (!PrepareLabelRequest(layout_, AddressOf(remoteLabel_), localRecord_, layout_.size) ||
        !SetRequestedItem(layout_, index, localRecord_, layout_.size) || !WriteRecord()) {
        return false;
    }
    // A view that could not give the item left the previous one's in our blocks.
    DWORD_PTR gotLabel = FALSE;
    if (!SendToView(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remoteRecord_), &gotLabel) || !gotLabel) return false;
    if (withPosition) {
        DWORD_PTR gotPosition = FALSE;
        if (!SendToView(LVM_GETITEMPOSITION, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remotePosition_),
                        &gotPosition) ||
            !gotPosition) {
            return false;
        }
    }
    return ReadBack(withPosition);
}

bool ShellViewAccess::SendToView(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    if (!answering_) return false;
    // Bounded by time alone: a shell busy at logon looks hung for a while
    // and still answers a moment later.
    if (SendMessageTimeoutA(view_, message, wParam, lParam, SMTO_NORMAL, kShellAnswerLimitMs, result) == 0) {
        TraceFailure("a message to the desktop view");
        answering_ = false;
        blocksLentToShell_ = NamesRemoteBlock(lParam);
    }
    return answering_;
}

bool ShellViewAccess::NamesRemoteBlock(LPARAM lParam) const {
    for (const void* block : {remoteRecord_, remotePosition_}) {
        if (block && lParam == reinterpret_cast<LPARAM>(block)) return true;
    }
    return false;
}

bool ShellViewAccess::WriteRecord() {
    SIZE_T written = 0;
    if (WriteProcessMemory(process_, remoteRecord_, localRecord_, layout_.size, &written) && written == layout_.size)
        return true;
    TraceFailure("WriteProcessMemory into the shell");
    return false;
}

bool ShellViewAccess::ReadBack(bool withPosition) {
    const auto readRemote = [this](const void* remote, void* local, std::size_t size) {
        SIZE_T read = 0;
        if (ReadProcessMemory(process_, remote, local, size, &read) && read == size) return true;
        TraceFailure("ReadProcessMemory from the shell");
        return false;
    };
    if (!readRemote(remoteRecord_, localRecord_, layout_.size)) return false;
    if (!readRemote(remoteLabel_, localLabel_, kLabelBlockSize)) return false;
    if (withPosition && !readRemote(remotePosition_, localPosition_, kPositionBlockSize)) return false;
    // A view that answered with text of its own instead of filling our block
    // left the previous item's label there.
    if (LabelAddressOf(layout_, localRecord_, layout_.size) != AddressOf(remoteLabel_)) return false;
    TerminatedLabel(localLabel_, kLabelBlockSize);
    if (withPosition) position_ = DecodePositionBlock(localPosition_, kPositionBlockSize);
    return true;
}

void ShellViewAccess::SetItemPosition(int index, std::int32_t x, std::int32_t y) {
    if (opened_ != RunOutcome::Done) return;
    // The view's answer says nothing lokari could act on; only its absence does.
    DWORD_PTR ignored = 0;
    SendToView(LVM_SETITEMPOSITION, static_cast<WPARAM>(index), static_cast<LPARAM>(PackPositionParameter(x, y)),
               &ignored);
}

bool ShellViewAccess::PlaceIsShown(ViewPoint place) {
    if (opened_ != RunOutcome::Done || !MeasureScreenPlacement()) return true;
    const PixelRect cell = IconCellOnScreen(placement_, {place.x, place.y}, cellWidth_, cellHeight_);
    if (screensListed_) return screens_.Shows(cell);
    const RECT area = {cell.left, cell.top, cell.right, cell.bottom};
    return MonitorFromRect(&area, MONITOR_DEFAULTTONULL) != nullptr;
}

bool ShellViewAccess::MeasureScreenPlacement() {
    if (placementMeasured_) return true;
    DWORD_PTR spacing = 0;
    if (!SendToView(LVM_GETITEMSPACING, FALSE, 0, &spacing)) return false;
    // An empty cell would lie on no monitor wherever it is.
    cellWidth_ = std::max(1, static_cast<int>(LOWORD(spacing)));
    cellHeight_ = std::max(1, static_cast<int>(HIWORD(spacing)));
    placement_ = MeasureViewPlacement(view_, kShellAnswerLimitMs);
    placementMeasured_ = true;
    screensListed_ = EnumDisplayMonitors(nullptr, nullptr, ListScreen, reinterpret_cast<LPARAM>(&screens_)) &&
                     screens_.count > 0 && !screens_.overflowed;
    return true;
}
