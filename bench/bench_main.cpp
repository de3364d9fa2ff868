// Counts the heap allocations of one tick of every kind, then runs the
// benchmarks. A tick must not allocate: the count is printed for the record
// and the program fails when it is not 0.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "allocation_counter.h"
#include "engine_setup.h"
#include "motion/motion.h"

namespace {

struct NamedKind {
    const char* name;
    TickKind kind;
};

constexpr NamedKind kKinds[] = {
    {"ordinary", TickKind::Ordinary},
    {"relayout", TickKind::Relayout},
    {"blackhole", TickKind::BlackHole},
    {"burst", TickKind::Burst},
};

constexpr int kCountedTicks = 100;

std::size_t AllocationsIn(TickKind kind) {
    SilentView view;
    PrepareEngine(view, kind);
    AllocationScope scope;
    for (int i = 0; i < kCountedTicks; ++i) {
        RearmTick(kind);
        MotionTick();
    }
    const std::size_t count = scope.Count();
    ResetPlatform();
    return count;
}

// A counter that misses allocations would report a clean tick for nothing.
bool CounterSeesAllocations() {
    AllocationScope scope;
    int* number = new int(1);
    benchmark::DoNotOptimize(number);
    delete number;
    void* block = std::malloc(16);
    benchmark::DoNotOptimize(block);
    std::free(block);
    return scope.Count() == 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (!CounterSeesAllocations()) {
        std::printf("allocation counter does not see allocations\n");
        return 1;
    }
    bool allocationFree = true;
    for (const NamedKind& named : kKinds) {
        const std::size_t count = AllocationsIn(named.kind);
        std::printf("allocations in %d %s ticks: %zu\n", kCountedTicks, named.name, count);
        allocationFree = allocationFree && count == 0;
    }
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return allocationFree ? 0 : 1;
}
