#include "desktop_view_lookup.h"

static HWND ListViewUnder(HWND topLevel) {
    if (!topLevel) return nullptr;
    HWND shellView = FindWindowExA(topLevel, nullptr, "SHELLDLL_DefView", nullptr);
    if (!shellView) return nullptr;
    return FindWindowExA(shellView, nullptr, "SysListView32", nullptr);
}

HWND FindDesktopListView() {
    if (HWND view = ListViewUnder(FindWindowExA(nullptr, nullptr, "Progman", nullptr))) return view;
    for (HWND worker = FindWindowExA(nullptr, nullptr, "WorkerW", nullptr); worker;
         worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)) {
        if (HWND view = ListViewUnder(worker)) return view;
    }
    return nullptr;
}
