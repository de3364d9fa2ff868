#include "standin_desktop.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdint>

#include "standin_model.h"
#include "standin_protocol.h"

namespace standin {
namespace {

constexpr COLORREF kDesktopColour = RGB(0x1F, 0x3A, 0x5C);
constexpr COLORREF kLabelColour = RGB(0xFF, 0xFF, 0xFF);
constexpr int kGridMargin = 8;

HWND progmanWindow = nullptr;
HWND workerWindow = nullptr;
HWND shellViewWindow = nullptr;
HWND listView = nullptr;
WNDPROC listViewProcedure = nullptr;
bool arranging = false;
int imageCount = 1;
// Position messages from other programs, and whether the stand-in is
// placing an icon itself (which is not one of them).
int movesFromOthers = 0;
int slowStyleOffMs = 0;
bool placingOwnIcon = false;

// --------------------------------------------------------------- text

std::wstring ConvertToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string ConvertFromWide(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &narrow[0], length, nullptr,
                        nullptr);
    return narrow;
}

// ---------------------------------------------------------- list-view

GridPoint NextGridSlot(int index) {
    DWORD spacing = static_cast<DWORD>(SendMessageA(listView, LVM_GETITEMSPACING, FALSE, 0));
    RECT area = {};
    GetClientRect(listView, &area);
    return GridSlot(index, LOWORD(spacing), HIWORD(spacing), area.bottom - area.top, kGridMargin);
}

// Through the view's window procedure, so that the arranging styles apply.
void PlaceOwnIcon(int index, GridPoint slot) {
    POINT position = {slot.x, slot.y};
    placingOwnIcon = true;
    SendMessageA(listView, LVM_SETITEMPOSITION32, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&position));
    placingOwnIcon = false;
}

// Through the ANSI code page, as labels that hold only its characters arrive.
int InsertAnsiItem(int index, const std::wstring& label) {
    std::string ansi = WideToAnsi(label);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = &ansi[0];
    item.iImage = index % imageCount;
    return static_cast<int>(SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

// As the list-view of a real desktop holds a label: in UTF-16, any script.
int InsertWideItem(int index, std::wstring label) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = &label[0];
    item.iImage = index % imageCount;
    return static_cast<int>(SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int AppendIcon(const std::wstring& label, bool wide) {
    int index = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    index = wide ? InsertWideItem(index, label) : InsertAnsiItem(index, label);
    if (index < 0) return -1;
    PlaceOwnIcon(index, NextGridSlot(index));
    return static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
}

void PlaceAllOnGrid() {
    int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) PlaceOwnIcon(index, NextGridSlot(index));
}

int RemoveIcon(int index) {
    int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    if (index < 0 || index >= count) return -1;
    SendMessageA(listView, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    return static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
}

std::string DumpIcons() {
    std::string dump;
    int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        wchar_t label[1024] = {};
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = label;
        item.cchTextMax = static_cast<int>(sizeof label / sizeof label[0]);
        SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        POINT position = {};
        SendMessageA(listView, LVM_GETITEMPOSITION, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&position));
        dump += DumpLine(index, static_cast<int>(position.x), static_cast<int>(position.y),
                         WideToUtf8(std::wstring(item.pszText)));
    }
    return dump;
}

HIMAGELIST MakeImageList() {
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 6, 0);
    const LPCSTR stockIcons[] = {IDI_APPLICATION, IDI_INFORMATION, IDI_WARNING, IDI_QUESTION, IDI_ERROR,
                                 IDI_WINLOGO};
    for (LPCSTR stock : stockIcons) ImageList_AddIcon(images, LoadIconA(nullptr, stock));
    imageCount = ImageList_GetImageCount(images);
    if (imageCount < 1) imageCount = 1;
    return images;
}

// ------------------------------------------------- the arranging styles

POINT SnappedToGrid(POINT position) {
    if (!(SendMessageA(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_SNAPTOGRID)) return position;
    DWORD spacing = static_cast<DWORD>(SendMessageA(listView, LVM_GETITEMSPACING, FALSE, 0));
    GridPoint corner = NearestGridCorner({static_cast<int>(position.x), static_cast<int>(position.y)},
                                         LOWORD(spacing), HIWORD(spacing), kGridMargin);
    return {corner.x, corner.y};
}

void ArrangeIfAutoArranging() {
    if (arranging || !(GetWindowLongPtrA(listView, GWL_STYLE) & LVS_AUTOARRANGE)) return;
    arranging = true;
    CallWindowProcA(listViewProcedure, listView, LVM_ARRANGE, LVA_DEFAULT, 0);
    arranging = false;
}

// A move is another program's unless the stand-in places the icon itself.
// Its snapping and arranging never come here: they go straight to the
// list-view's own procedure.
void CountMoveFromOthers(UINT message) {
    if ((message == LVM_SETITEMPOSITION || message == LVM_SETITEMPOSITION32) && !placingOwnIcon) ++movesFromOthers;
}

// Plays what Windows' list-view does with the arranging styles and Wine's
// does not: a position set lands on the nearest grid cell while "Align icons
// to grid" is on, and "Auto arrange icons" arranges the view after every
// position set and as soon as it is switched on.
// Only changes that switch a style off.
void StallIfSwitchingStyleOff(UINT message, WPARAM wParam, LPARAM lParam) {
    bool off = false;
    if (message == LVM_SETEXTENDEDLISTVIEWSTYLE) off = (wParam & LVS_EX_SNAPTOGRID) && !(lParam & LVS_EX_SNAPTOGRID);
    if (message == WM_STYLECHANGING && wParam == static_cast<WPARAM>(GWL_STYLE)) {
        const auto* change = reinterpret_cast<const STYLESTRUCT*>(lParam);
        off = (change->styleOld & LVS_AUTOARRANGE) && !(change->styleNew & LVS_AUTOARRANGE);
    }
    if (off && slowStyleOffMs > 0) Sleep(static_cast<DWORD>(slowStyleOffMs));
}

LRESULT CALLBACK ArrangingListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountMoveFromOthers(message);
    StallIfSwitchingStyleOff(message, wParam, lParam);
    switch (message) {
    case LVM_SETITEMPOSITION: {
        POINT position = SnappedToGrid({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        LRESULT result = CallWindowProcA(listViewProcedure, window, message, wParam,
                                         MAKELPARAM(static_cast<WORD>(position.x), static_cast<WORD>(position.y)));
        ArrangeIfAutoArranging();
        return result;
    }
    case LVM_SETITEMPOSITION32: {
        if (lParam == 0) break;
        POINT position = SnappedToGrid(*reinterpret_cast<const POINT*>(lParam));
        LRESULT result = CallWindowProcA(listViewProcedure, window, message, wParam, reinterpret_cast<LPARAM>(&position));
        ArrangeIfAutoArranging();
        return result;
    }
    case WM_STYLECHANGED: {
        LRESULT result = CallWindowProcA(listViewProcedure, window, message, wParam, lParam);
        const auto* change = reinterpret_cast<const STYLESTRUCT*>(lParam);
        if (wParam == static_cast<WPARAM>(GWL_STYLE) && !(change->styleOld & LVS_AUTOARRANGE) &&
            (change->styleNew & LVS_AUTOARRANGE)) {
            ArrangeIfAutoArranging();
        }
        return result;
    }
    default:
        break;
    }
    return CallWindowProcA(listViewProcedure, window, message, wParam, lParam);
}

void CreateListView(HWND parent, HINSTANCE instance, const DesktopLook& look) {
    RECT area = {};
    GetClientRect(parent, &area);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_ICON | LVS_SHOWSELALWAYS | LVS_NOSCROLL;
    if (look.autoArrange) style |= LVS_AUTOARRANGE;
    listView = CreateWindowExA(0, WC_LISTVIEWA, "FolderView", style, 0, 0, area.right, area.bottom, parent, nullptr,
                               instance, nullptr);
    SendMessageA(listView, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(MakeImageList()));
    SendMessageA(listView, LVM_SETBKCOLOR, 0, kDesktopColour);
    SendMessageA(listView, LVM_SETTEXTBKCOLOR, 0, kDesktopColour);
    SendMessageA(listView, LVM_SETTEXTCOLOR, 0, kLabelColour);
    if (look.alignToGrid) SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, LVS_EX_SNAPTOGRID);
    slowStyleOffMs = look.slowStyleOffMs;
    listViewProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ArrangingListViewProc)));
}

// ------------------------------------------------------------- freeze

// Posted to ourselves, so that the requester is answered before the
// thread stops taking messages.
constexpr UINT kFreezeMessage = WM_APP + 1;
constexpr std::int32_t kLongestFreezeMs = 600000;

LRESULT ScheduleFreeze(const COPYDATASTRUCT& request) {
    if (request.cbData != sizeof(std::int32_t) || request.lpData == nullptr) return 0;
    std::int32_t milliseconds = 0;
    memcpy(&milliseconds, request.lpData, sizeof milliseconds);
    if (milliseconds < 0 || milliseconds > kLongestFreezeMs) return 0;
    return PostMessageA(progmanWindow, kFreezeMessage, static_cast<WPARAM>(milliseconds), 0) ? 1 : 0;
}

// The GUI thread sleeps: every message sent to any of our windows waits.
void FreezeGuiThread(WPARAM milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

// ----------------------------------------------------------- requests

LRESULT AnswerDump(const COPYDATASTRUCT& request) {
    if (request.cbData != sizeof(std::uint64_t) || request.lpData == nullptr) return 0;
    std::uint64_t replyHandle = 0;
    memcpy(&replyHandle, request.lpData, sizeof replyHandle);
    HWND replyWindow = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(replyHandle));
    std::string dump = listView != nullptr ? DumpIcons() : std::string();
    COPYDATASTRUCT reply = {};
    reply.dwData = kDumpReply;
    reply.cbData = static_cast<DWORD>(dump.size());
    reply.lpData = dump.empty() ? nullptr : &dump[0];
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(replyWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(progmanWindow),
                               reinterpret_cast<LPARAM>(&reply), SMTO_ABORTIFHUNG, 10000, &ignored)
               ? 1
               : 0;
}

LRESULT AnswerRequest(const COPYDATASTRUCT& request) {
    switch (request.dwData) {
    case kAddIcon: {
        if (listView == nullptr) return -1;
        const auto* text = static_cast<const wchar_t*>(request.lpData);
        size_t length = text != nullptr ? request.cbData / sizeof(wchar_t) : 0;
        return AppendIcon(std::wstring(text, length), true);
    }
    case kRemoveIcon: {
        if (listView == nullptr || request.cbData != sizeof(std::int32_t)) return -1;
        std::int32_t index = 0;
        memcpy(&index, request.lpData, sizeof index);
        return RemoveIcon(index);
    }
    case kDumpIcons:
        return AnswerDump(request);
    case kFreeze:
        return ScheduleFreeze(request);
    case kCountMoves:
        return movesFromOthers;
    default:
        return 0;
    }
}

// ------------------------------------------------------------ windows

LRESULT CALLBACK DesktopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA:
        if (window == progmanWindow) return AnswerRequest(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        break;
    case kFreezeMessage:
        if (window == progmanWindow) FreezeGuiThread(wParam);
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // A desktop stays below every other window.
        auto* change = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(change->flags & SWP_NOZORDER)) change->hwndInsertAfter = HWND_BOTTOM;
        return 0;
    }
    case WM_CLOSE:
        if (window == progmanWindow) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (window == progmanWindow) PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK ShellViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HBRUSH background) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);
}

// As on a desktop that spans every monitor: from the virtual screen's
// corner, here `offset` before the primary screen's, to the primary's far edge.
HWND CreateScreenWindow(HINSTANCE instance, const char* className, const char* title, const DesktopLook& look) {
    return CreateWindowExA(WS_EX_TOOLWINDOW, className, title, WS_POPUP | WS_CLIPCHILDREN, -look.offsetX,
                           -look.offsetY, GetSystemMetrics(SM_CXSCREEN) + look.offsetX,
                           GetSystemMetrics(SM_CYSCREEN) + look.offsetY, nullptr, nullptr, instance, nullptr);
}

void CreateShellView(HWND host, HINSTANCE instance, const DesktopLook& look) {
    RECT area = {};
    GetClientRect(host, &area);
    shellViewWindow = CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                      area.right, area.bottom, host, nullptr, instance, nullptr);
    CreateListView(shellViewWindow, instance, look);
}

void ShowAtBottom(HWND window) {
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) { return ConvertToWide(CP_UTF8, text); }
std::string WideToUtf8(const std::wstring& text) { return ConvertFromWide(CP_UTF8, text); }
std::string WideToAnsi(const std::wstring& text) { return ConvertFromWide(CP_ACP, text); }

int ServeDesktop(HINSTANCE instance, const DesktopLook& look, const std::vector<std::string>& utf8Labels) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HBRUSH background = CreateSolidBrush(kDesktopColour);
    RegisterWindowClass(instance, "Progman", DesktopWindowProc, background);
    RegisterWindowClass(instance, "WorkerW", DesktopWindowProc, background);
    RegisterWindowClass(instance, "SHELLDLL_DefView", ShellViewProc, background);

    progmanWindow = CreateScreenWindow(instance, "Progman", "Program Manager", look);
    if (progmanWindow == nullptr) return 1;
    if (look.parent == ViewParent::WorkerW) {
        workerWindow = CreateScreenWindow(instance, "WorkerW", "", look);
        CreateShellView(workerWindow, instance, look);
    } else if (look.parent == ViewParent::Progman) {
        CreateShellView(progmanWindow, instance, look);
    }
    if (listView != nullptr) {
        for (const std::string& label : utf8Labels) AppendIcon(Utf8ToWide(label), look.wideLabels);
    }
    if (workerWindow != nullptr) ShowAtBottom(workerWindow);
    ShowAtBottom(progmanWindow);
    if (listView != nullptr) {
        // Wine's list-view arranges its icons at its first paint; after
        // that they stay where they are put.
        UpdateWindow(listView);
        PlaceAllOnGrid();
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DeleteObject(background);
    return 0;
}

}  // namespace standin
