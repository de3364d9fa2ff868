#include "shell/win_dpi.h"

#include <windows.h>

int ScaleForDpi(int pixelsAt96Dpi) {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    if (dpi <= 0) dpi = 96;
    return MulDiv(pixelsAt96Dpi, dpi, 96);
}
