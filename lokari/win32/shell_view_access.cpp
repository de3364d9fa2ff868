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
static_assert(offsetof(LVITEMW, pszText) == kOwnLayout.text && sizeof(LVITEMW) == sizeof(LVITEMA), "LVITEMW");
static_assert(LVM_GETITEMW == kListViewGetItemW, "LVM_GETITEMW");
static_assert(WC_NO_BEST_FIT_CHARS == kNoBestFitChars, "WC_NO_BEST_FIT_CHARS");
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 labels");

static_assert(LVM_GETITEMCOUNT == kListViewGetItemCount, "LVM_GETITEMCOUNT");
static_assert(LVM_GETITEMA == kListViewGetItemA, "LVM_GETITEMA");
static_assert(LVM_SETITEMPOSITION == kListViewSetItemPosition, "LVM_SETITEMPOSITION");
static_assert(LVM_GETITEMPOSITION == kListViewGetItemPosition, "LVM_GETITEMPOSITION");
static_assert(LVIF_TEXT == kItemMaskText, "LVIF_TEXT");

// Memory operations on the shell, plus the right to ask for its pointer width.
constexpr DWORD kShellProcessAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION;

// The position block also carries the icon's rectangle, once per restore.
constexpr std::size_t kGeometryBlockSize = sizeof(RECT);
static_assert(kGeometryBlockSize >= kPositionBlockSize, "geometry block");

int ConvertWithAnsiCodePage(unsigned flags, const char16_t* text, char* out, int outSize, bool* usedDefault) {
    BOOL used = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, flags, reinterpret_cast<LPCWCH>(text), -1, out, outSize,
                                            nullptr, &used);
    *usedDefault = used != FALSE;
    return written;
}

void* AllocateLocal(std::size_t size) {
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeLocal(void* block) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

std::uint64_t AddressOf(const void* block) {
    return reinterpret_cast<std::uintptr_t>(block);
}

PixelRect PixelRectOf(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Lists the monitor's work area: the part the taskbar and docked bars leave.
BOOL CALLBACK ListWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    auto* screens = reinterpret_cast<ScreenList*>(list);
    if (!GetMonitorInfoW(monitor, &info)) {
        screens->overflowed = true;  // incomplete: asked place by place instead
        return FALSE;
    }
    screens->Add(PixelRectOf(info.rcWork));
    return TRUE;
}

bool WorkAreaHoldsWhole(const PixelRect& area) {
    const RECT rect = {area.left, area.top, area.right, area.bottom};
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONULL);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) return false;
    ScreenList one;
    one.Add(PixelRectOf(info.rcWork));
    return one.HoldsWhole(area);
}

}  // namespace

// The record has the shell's layout; Open refuses any shell whose pointer
// width is not lokari's own, so that is kOwnLayout.
ShellViewAccess::ShellViewAccess(ItemRequest requests, LabelText labels)
    : withPositions_(requests == ItemRequest::LabelAndPosition),
      wideLabels_(labels == LabelText::Unicode),
      layout_(kOwnLayout) {
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
    localLabel_ = static_cast<char*>(AllocateLocal(kWideLabelBlockSize));
    localPosition_ = static_cast<unsigned char*>(AllocateLocal(kGeometryBlockSize));
    return localRecord_ && localLabel_ && localPosition_;
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
    remoteLabel_ = allocateRemote(kWideLabelBlockSize);
    if (!remoteLabel_) return false;
    remotePosition_ = allocateRemote(kGeometryBlockSize);
    return remotePosition_ != nullptr;
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
    if (!SendToView(wideLabels_ ? LVM_GETITEMW : LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remoteRecord_),
                    &gotLabel) ||
        !gotLabel) {
        return false;
    }
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
    if (!readRemote(remoteLabel_, localLabel_, wideLabels_ ? kWideLabelBlockSize : kLabelBlockSize)) return false;
    if (withPosition && !readRemote(remotePosition_, localPosition_, kPositionBlockSize)) return false;
    // A view that answered with text of its own instead of filling our block
    // left the previous item's label there.
    if (LabelAddressOf(layout_, localRecord_, layout_.size) != AddressOf(remoteLabel_)) return false;
    if (wideLabels_) {
        ConvertWideLabel();
    } else {
        TerminatedLabel(localLabel_, kLabelBlockSize);
    }
    if (withPosition) position_ = DecodePositionBlock(localPosition_, kPositionBlockSize);
    return true;
}

void ShellViewAccess::ConvertWideLabel() {
    auto* wide = reinterpret_cast<char16_t*>(localLabel_);
    wide[kLabelBlockSize - 1] = u'\0';
    ConvertToUtf8(wide, utf8Label_);
    fitsAnsi_ = ConvertToExactAnsi(wide, ConvertWithAnsiCodePage, ansiLabel_);
}

const char* ShellViewAccess::Label() const {
    if (wideLabels_) return utf8Label_;
    return localLabel_ ? localLabel_ : "";
}

const char* ShellViewAccess::ExactAnsiLabel() const {
    if (wideLabels_) return fitsAnsi_ ? ansiLabel_ : nullptr;
    return Label();
}

void ShellViewAccess::SetItemPosition(int index, std::int32_t x, std::int32_t y) {
    if (opened_ != RunOutcome::Done) return;
    // The view's answer says nothing lokari could act on; only its absence does.
    DWORD_PTR ignored = 0;
    SendToView(LVM_SETITEMPOSITION, static_cast<WPARAM>(index), static_cast<LPARAM>(PackPositionParameter(x, y)),
               &ignored);
}

bool ShellViewAccess::PlaceIsShown(ViewPoint place) {
    if (opened_ != RunOutcome::Done) return true;
    MeasureScreens();
    const PixelPoint corner = ViewItemToScreen(placement_, {place.x, place.y});
    const PixelRect icon = {corner.x + iconBox_.left, corner.y + iconBox_.top, corner.x + iconBox_.right,
                            corner.y + iconBox_.bottom};
    return screensListed_ ? screens_.HoldsWhole(icon) : WorkAreaHoldsWhole(icon);
}

bool ShellViewAccess::OriginOnScreen(ViewPoint* origin) {
    if (opened_ != RunOutcome::Done || !answering_) return false;
    MeasurePlacement();
    const PixelPoint corner = ViewItemToScreen(placement_, {0, 0});
    *origin = {corner.x, corner.y};
    return true;
}

void ShellViewAccess::MeasurePlacement() {
    if (placementMeasured_) return;
    placement_ = MeasureViewPlacement(view_, kShellAnswerLimitMs);
    placementMeasured_ = true;
}

void ShellViewAccess::MeasureScreens() {
    if (screensMeasured_) return;
    MeasurePlacement();
    // Without the icon's rectangle, the item's position alone is judged.
    MeasureIconBox();
    screensMeasured_ = true;
    screensListed_ = EnumDisplayMonitors(nullptr, nullptr, ListWorkArea, reinterpret_cast<LPARAM>(&screens_)) &&
                     screens_.count > 0 && !screens_.overflowed;
}

// The icon's rectangle of item 0 (in the view's client area) against its
// position (in the view's coordinates): the same offset and size for every item.
bool ShellViewAccess::MeasureIconBox() {
    if (itemCount_ <= 0) return false;
    const RECT asked = {LVIR_ICON, 0, 0, 0};
    RECT icon = {};
    POINT position = {};
    if (!AskGeometry(LVM_GETITEMRECT, &asked, &icon, sizeof icon) ||
        !AskGeometry(LVM_GETITEMPOSITION, nullptr, &position, sizeof position)) {
        return false;
    }
    const int clientX = position.x - placement_.origin.x;
    const int clientY = position.y - placement_.origin.y;
    iconBox_ = {icon.left - clientX, icon.top - clientY, icon.right - clientX, icon.bottom - clientY};
    return true;
}

// One request about item 0 through the position block: what is sent (if
// anything) goes in first, the answer comes back from it.
bool ShellViewAccess::AskGeometry(UINT message, const void* sent, void* answer, std::size_t size) {
    SIZE_T moved = 0;
    if (sent && !(WriteProcessMemory(process_, remotePosition_, sent, size, &moved) && moved == size)) return false;
    DWORD_PTR answered = FALSE;
    if (!SendToView(message, 0, reinterpret_cast<LPARAM>(remotePosition_), &answered) || !answered) return false;
    return ReadProcessMemory(process_, remotePosition_, answer, size, &moved) && moved == size;
}
