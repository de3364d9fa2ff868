#include "view_styles.h"

#include <commctrl.h>

#include "debug_trace.h"

namespace {

bool SendBounded(HWND view, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs, DWORD_PTR* result) {
    if (SendMessageTimeoutA(view, message, wParam, lParam, SMTO_NORMAL, timeoutMs, result)) return true;
    TraceFailure("a style message to the desktop view");
    return false;
}

bool SetSnapToGrid(HWND view, bool on, UINT timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendBounded(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, on ? LVS_EX_SNAPTOGRID : 0,
                       timeoutMs, &ignored);
}

// Setting a window style sends WM_STYLECHANGING and WM_STYLECHANGED to the
// view and waits for them without a time limit: a view that has just
// answered a bounded message will answer those too.
bool SetAutoArrange(HWND view, bool on, UINT timeoutMs) {
    DWORD_PTR ignored = 0;
    if (!SendBounded(view, WM_NULL, 0, 0, timeoutMs, &ignored)) return false;
    const LONG_PTR style = GetWindowLongPtrA(view, GWL_STYLE);
    SetWindowLongPtrA(view, GWL_STYLE, on ? style | LVS_AUTOARRANGE : style & ~static_cast<LONG_PTR>(LVS_AUTOARRANGE));
    return true;
}

}  // namespace

bool ReadArrangingStyles(HWND view, UINT timeoutMs, ArrangingStyles* styles) {
    DWORD_PTR extended = 0;
    if (!SendBounded(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, timeoutMs, &extended)) return false;
    styles->autoArrange = (GetWindowLongPtrA(view, GWL_STYLE) & LVS_AUTOARRANGE) != 0;
    styles->snapToGrid = (extended & LVS_EX_SNAPTOGRID) != 0;
    return true;
}

bool ClearedArrangingStyles::Clear(HWND view, ArrangingStyles wanted, UINT timeoutMs) {
    if (view != view_) {
        view_ = view;
        cleared_ = {false, false};
    }
    ArrangingStyles on = {false, false};
    if (!ReadArrangingStyles(view, timeoutMs, &on)) return false;
    if (wanted.snapToGrid && on.snapToGrid && !cleared_.snapToGrid) {
        if (!SetSnapToGrid(view, false, timeoutMs)) return false;
        cleared_.snapToGrid = true;
    }
    if (wanted.autoArrange && on.autoArrange && !cleared_.autoArrange) {
        if (!SetAutoArrange(view, false, timeoutMs)) return false;
        cleared_.autoArrange = true;
    }
    return true;
}

void ClearedArrangingStyles::PutBack(UINT timeoutMs) {
    if (view_ && IsWindow(view_)) {
        if (cleared_.snapToGrid) SetSnapToGrid(view_, true, timeoutMs);
        // Last: with auto-arrange back on, the view arranges its icons at once.
        if (cleared_.autoArrange) SetAutoArrange(view_, true, timeoutMs);
    }
    view_ = nullptr;
    cleared_ = {false, false};
}
