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

bool Answers(HWND view, UINT timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendBounded(view, WM_NULL, 0, 0, timeoutMs, &ignored);
}

// One style change handed to a worker thread. A fixed few: a worker left
// behind on a stalled shell keeps its slot until the shell lets it go.
struct StyleChange {
    HWND view;
    LONG_PTR style;
    volatile LONG busy;
};
StyleChange styleChanges[4];

DWORD WINAPI ChangeStyle(void* slot) {
    StyleChange* change = static_cast<StyleChange*>(slot);
    SetWindowLongPtrA(change->view, GWL_STYLE, change->style);
    InterlockedExchange(&change->busy, 0);
    return 0;
}

StyleChange* FreeStyleChange() {
    for (StyleChange& change : styleChanges)
        if (InterlockedCompareExchange(&change.busy, 1, 0) == 0) return &change;
    return nullptr;
}

// Setting a window style makes Windows send the view WM_STYLECHANGING and
// WM_STYLECHANGED and wait for both without any time limit: a shell that
// stalls just then would hold this thread for good. So the change is made
// on a short-lived worker thread, waited for with the same bound as every
// other message and left behind when it does not return; the shell still
// carries the change out once it goes on. `started` tells whether it went
// out at all.
bool SetAutoArrange(HWND view, bool on, UINT timeoutMs, bool& started) {
    started = false;
    StyleChange* change = FreeStyleChange();
    if (!change) return false;
    const LONG_PTR style = GetWindowLongPtrA(view, GWL_STYLE);
    change->view = view;
    change->style = on ? style | LVS_AUTOARRANGE : style & ~static_cast<LONG_PTR>(LVS_AUTOARRANGE);
    HANDLE worker = CreateThread(nullptr, 0, ChangeStyle, change, 0, nullptr);
    if (!worker) {
        InterlockedExchange(&change->busy, 0);
        TraceFailure("CreateThread for a style change");
        return false;
    }
    started = true;
    const bool done = WaitForSingleObject(worker, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(worker);
    if (!done) TraceFailure("a style change of the desktop view");
    return done;
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
    // Each is recorded as its change goes out, not once it is answered: a
    // change whose answer times out is still carried out by the shell later,
    // and must be put back.
    if (wanted.snapToGrid && on.snapToGrid && !cleared_.snapToGrid) {
        cleared_.snapToGrid = true;
        if (!SetSnapToGrid(view, false, timeoutMs)) return false;
    }
    if (wanted.autoArrange && on.autoArrange && !cleared_.autoArrange) {
        // Only a view that answers now is sent the change at all.
        if (!Answers(view, timeoutMs)) return false;
        bool started = false;
        const bool done = SetAutoArrange(view, false, timeoutMs, started);
        cleared_.autoArrange = started;
        if (!done) return false;
    }
    return true;
}

void ClearedArrangingStyles::PutBack(UINT timeoutMs) {
    if (view_ && IsWindow(view_)) {
        if (cleared_.snapToGrid) SetSnapToGrid(view_, true, timeoutMs);
        // Last: with auto-arrange back on, the view arranges its icons at once.
        bool started = false;
        if (cleared_.autoArrange && Answers(view_, timeoutMs)) SetAutoArrange(view_, true, timeoutMs, started);
    }
    view_ = nullptr;
    cleared_ = {false, false};
}
