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

}  // namespace

int ScaleForDpi(int pixelsAt96Dpi) {
    const ScreenDc screen;
    int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    if (dpi <= 0) dpi = 96;
    return MulDiv(pixelsAt96Dpi, dpi, 96);
}
