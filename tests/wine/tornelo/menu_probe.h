// A menu belongs to its process: under Wine another process cannot read
// it at all. The test loads this small library into tornelo and runs
// ReadMenuInOwnProcess there on a thread of its own; the request block
// travels through memory allocated in tornelo's process.
#pragma once

#include <cstdint>

constexpr int kMenuProbeMaxItems = 16;
constexpr int kMenuProbeTextSize = 128;

struct MenuProbeRequest {
    uint64_t menu;   // in: the HMENU, as MN_GETHMENU gives it
    int32_t count;   // out: GetMenuItemCount, -1 when the handle is not a menu
    uint32_t states[kMenuProbeMaxItems];                   // out: GetMenuState by position
    char texts[kMenuProbeMaxItems][kMenuProbeTextSize];    // out: GetMenuStringA by position
};

constexpr const char* kMenuProbeLibrary = "tornelo_menu_probe.dll";
constexpr const char* kMenuProbeEntry = "ReadMenuInOwnProcess";
