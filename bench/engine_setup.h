// The engine as the benchmarks run it: 800 icons on a 1920 x 1080 screen,
// the default settings, and a desktop view that does nothing, so that only
// the engine's own work is timed.
#pragma once

#include <cstdint>

#include "motion/platform_seam.h"

constexpr int kBenchIcons = 800;

class SilentView final : public DesktopView {
public:
    int ItemCount() override { return kBenchIcons; }
    // The packed position is kept so that the compiler cannot drop the work
    // that computed it.
    bool SetItemPosition(int item, uint32_t packedXY) override {
        sink += packedXY ^ static_cast<uint32_t>(item);
        return true;
    }
    uint32_t sink = 0;
};

enum class TickKind { Ordinary, Relayout, BlackHole, Burst };

// Starts the engine afresh and brings it to the state before a tick of `kind`.
void PrepareEngine(SilentView& view, TickKind kind);

// Puts back the state that one tick of `kind` changes, so that every timed
// tick does the same work; costs a few stores.
void RearmTick(TickKind kind);
