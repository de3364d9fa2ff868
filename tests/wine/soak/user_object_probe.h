// Wine answers GetGuiResources with "not implemented", and a process's
// menus and icons cannot be seen from another process at all. This
// library counts them inside the process: a message hook loads it there,
// and the hook answers a request message with the counts.
#pragma once

// The request, posted to a window of the process: wParam is the window
// that gets the answer.
constexpr const char* kUserObjectRequestName = "SoakCountUserObjects";
// The answer, posted back: wParam the menus, LOWORD(lParam) the windows
// and HIWORD(lParam) the icons and cursors the process owns.
constexpr const char* kUserObjectAnswerName = "SoakUserObjectCounts";

constexpr const char* kUserObjectProbeLibrary = "soak_user_probe.dll";
// The WH_GETMESSAGE hook procedure.
constexpr const char* kUserObjectProbeHook = "UserObjectProbeHook";
