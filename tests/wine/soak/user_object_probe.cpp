#include "user_object_probe.h"

#include <windows.h>

namespace {

// Wine's USER handles are an index into one table: handle = 0x20 + 2 ×
// index, and a handle whose high word is 0 stands for whatever object of
// the calling process sits at that index.
constexpr UINT kFirstUserHandle = 0x20;
constexpr UINT kUserHandleCount = (0xFFEF - kFirstUserHandle) / 2 + 1;

using IconSizeQuery = BOOL(WINAPI*)(HANDLE, UINT, LONG*, LONG*);

struct UserObjectCounts {
    unsigned menus = 0;
    unsigned windows = 0;
    unsigned icons = 0;
};

UserObjectCounts CountOwnUserObjects() {
    // Not declared in the SDK headers; present in Wine's and Windows' win32u.
    HMODULE win32u = GetModuleHandleA("win32u.dll");
    auto iconSize = win32u ? reinterpret_cast<IconSizeQuery>(
                                 reinterpret_cast<void*>(GetProcAddress(win32u, "NtUserGetIconSize")))
                           : nullptr;
    const DWORD self = GetCurrentProcessId();
    UserObjectCounts counts;
    for (UINT index = 0; index < kUserHandleCount; ++index) {
        const UINT_PTR value = kFirstUserHandle + 2 * index;
        if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++counts.menus;
            continue;
        }
        DWORD owner = 0;
        if (GetWindowThreadProcessId(reinterpret_cast<HWND>(value), &owner) && owner == self) {
            ++counts.windows;
            continue;
        }
        LONG width = 0;
        LONG height = 0;
        if (iconSize && iconSize(reinterpret_cast<HANDLE>(value), 0, &width, &height)) ++counts.icons;
    }
    return counts;
}

WPARAM Clamped16(unsigned value) { return value > 0xFFFF ? 0xFFFF : value; }

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK UserObjectProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT request = RegisterWindowMessageA(kUserObjectRequestName);
    static const UINT answer = RegisterWindowMessageA(kUserObjectAnswerName);
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message != nullptr && message->message == request) {
        UserObjectCounts counts = CountOwnUserObjects();
        PostMessageA(reinterpret_cast<HWND>(message->wParam), answer, counts.menus,
                     static_cast<LPARAM>(MAKELONG(Clamped16(counts.windows), Clamped16(counts.icons))));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
