// MotionTick for 800 icons in each kind of tick, against a silent view.
#include <benchmark/benchmark.h>

#include "engine_setup.h"
#include "motion/icon_ring.h"
#include "motion/motion.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"

namespace {

// Swallowing with about half the icons gone: x = slot - n * elapsed / (|rev| * turns).
constexpr double kHalfSwallowedSeconds = 180.0 * 3.0 / 2.0;
constexpr double kEarlyBurstSeconds = 1.0;

}  // namespace

void PrepareEngine(SilentView& view, TickKind kind) {
    ResetEngine();
    platform.view = &view;
    screenWidth = 1920;
    screenHeight = 1080;
    runningSettings = DefaultSettings(screenHeight);
    runningSettings.maxIcons = kBenchIcons;
    InitialLayout();
    MotionTick();  // leaves the start-up layout behind
    MotionTick();
    if (kind == TickKind::BlackHole || kind == TickKind::Burst) appMode.mode = Mode::BlackHole;
    RearmTick(kind);
}

void RearmTick(TickKind kind) {
    switch (kind) {
        case TickKind::Ordinary:
            break;
        case TickKind::Relayout:
            appMode.layoutDirty = 1;
            break;
        case TickKind::BlackHole:
            blackHole.blackHoleStage = BlackHoleStage::Swallowing;
            blackHole.blackHoleElapsed = kHalfSwallowedSeconds;
            break;
        case TickKind::Burst:
            blackHole.blackHoleStage = BlackHoleStage::Bursting;
            blackHole.blackHoleElapsed = kEarlyBurstSeconds;
            break;
    }
}

namespace {

void RunTicks(benchmark::State& state, TickKind kind) {
    SilentView view;
    PrepareEngine(view, kind);
    for (auto _ : state) {
        RearmTick(kind);
        MotionTick();
    }
    benchmark::DoNotOptimize(view.sink);
    state.counters["icons"] = kBenchIcons;
    state.counters["per_icon_ns"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBenchIcons,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    ResetPlatform();
}

void MotionTickOrdinary(benchmark::State& state) { RunTicks(state, TickKind::Ordinary); }
void MotionTickRelayout(benchmark::State& state) { RunTicks(state, TickKind::Relayout); }
void MotionTickBlackHole(benchmark::State& state) { RunTicks(state, TickKind::BlackHole); }
void MotionTickBurst(benchmark::State& state) { RunTicks(state, TickKind::Burst); }

}  // namespace

BENCHMARK(MotionTickOrdinary)->Unit(benchmark::kMicrosecond);
BENCHMARK(MotionTickRelayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(MotionTickBlackHole)->Unit(benchmark::kMicrosecond);
BENCHMARK(MotionTickBurst)->Unit(benchmark::kMicrosecond);
