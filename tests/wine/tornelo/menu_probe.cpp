#include "menu_probe.h"

#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI ReadMenuInOwnProcess(void* requestAddress) {
    auto* request = static_cast<MenuProbeRequest*>(requestAddress);
    auto menu = reinterpret_cast<HMENU>(static_cast<uintptr_t>(request->menu));
    int count = GetMenuItemCount(menu);
    request->count = count;
    if (count < 0) return 1;
    for (int position = 0; position < count && position < kMenuProbeMaxItems; ++position) {
        auto byPosition = static_cast<UINT>(position);
        request->states[position] = GetMenuState(menu, byPosition, MF_BYPOSITION);
        request->texts[position][0] = '\0';
        GetMenuStringA(menu, byPosition, request->texts[position], kMenuProbeTextSize, MF_BYPOSITION);
    }
    return 0;
}
