#include "shell/win_shell.h"

#include <windows.h>

namespace {

// The screen's device context, released with its holder.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Windows 10 1607 and later; looked up so that older Windows still start tornelo.
GetDpiForWindowFunction DpiForWindowFunction() {
    static const auto function = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    return function;
}

// The system's DPI, which is every window's before per-monitor DPI.
int SystemDpi() {
    const ScreenDc screen;
    return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

}  // namespace

// Per monitor, the window's own DPI: the dialog manager has scaled the
// dialog's controls for the monitor it stands on, and its frame follows.
int ScaleForDpi(HWND window, int pixelsAt96Dpi) {
    const GetDpiForWindowFunction dpiForWindow = DpiForWindowFunction();
    int dpi = dpiForWindow && window ? static_cast<int>(dpiForWindow(window)) : SystemDpi();
    if (dpi <= 0) dpi = 96;
    return MulDiv(pixelsAt96Dpi, dpi, 96);
}
