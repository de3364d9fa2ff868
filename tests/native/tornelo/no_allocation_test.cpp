// A tick must not touch the heap: this file replaces the global operator new
// to count what the engine asks for while ticking.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "motion/icon_ring.h"
#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"

namespace {
bool counting = false;
int allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class QuietView final : public DesktopView {
public:
    int count = 40;
    int moves = 0;
    int ItemCount() override { return count; }
    bool SetItemPosition(int, uint32_t) override { return ++moves > 0; }
};

class SteppingSong final : public MusicDevice {
public:
    int position = 0;
    void Send(const char*, char* reply, size_t size, bool) override {
        if (reply && size) std::snprintf(reply, size, "%d", position += 2);
    }
};

TEST(EngineHeap, TicksInEveryModeAllocateNothing) {
    QuietView view;
    SteppingSong song;
    ResetEngine();
    platform.view = &view;
    platform.music = &song;
    screenWidth = 1024;
    screenHeight = 740;
    runningSettings = DefaultSettings(screenHeight);
    runningSettings.revolutionTime = 2;
    runningSettings.turns = 1.0;
    InitialLayout();

    counting = true;
    appMode.layoutDirty = 1;
    for (int tick = 0; tick < 20; ++tick) MotionTick();
    appMode.mode = Mode::MayimMayim;
    for (int tick = 0; tick < 150; ++tick) MotionTick();
    appMode.mode = Mode::BlackHole;
    appMode.repeat = 1;
    for (int tick = 0; tick < 200; ++tick) MotionTick();
    counting = false;

    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(appMode.dancePhase, 8);
    EXPECT_GT(view.moves, 370 * 39);
    ResetPlatform();
    ResetEngine();
}

}  // namespace
