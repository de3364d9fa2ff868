// lokari's own work for 800 icons: reading and matching a snapshot, writing
// one; and tornelo's LoadSettings.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "icon_snapshot.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "snapshot_file.h"

namespace {

constexpr int kSnapshotIcons = 800;

// Labels of a plausible desktop: shortcuts, documents, folders.
std::string LabelOf(int index) {
    static const char* const kinds[] = {"Shortcut to tool %d", "report-%04d.txt", "Photos %d", "プロジェクト %d"};
    char label[64];
    std::snprintf(label, sizeof label, kinds[index % 4], index);
    return label;
}

std::string SnapshotText() {
    std::string text;
    char line[kSnapshotLineSize];
    for (int i = 0; i < kSnapshotIcons; ++i) {
        FormatSnapshotLine(20 + (i % 20) * 75, 10 + (i / 20) * 70, LabelOf(i).c_str(), line);
        text += line;
        text += '\n';
    }
    return text;
}

SnapshotTable table;

void ReadSnapshotText(const std::string& text) {
    std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!file) std::abort();
    ReadSnapshot(file, table);
    std::fclose(file);
}

// The desktop in the opposite order to the file: on average half the table
// is scanned for every icon.
std::vector<std::string> DesktopLabels() {
    std::vector<std::string> labels;
    for (int i = kSnapshotIcons - 1; i >= 0; --i) labels.push_back(LabelOf(i));
    return labels;
}

void SnapshotRead800(benchmark::State& state) {
    const std::string text = SnapshotText();
    for (auto _ : state) {
        ReadSnapshotText(text);
        benchmark::DoNotOptimize(table.entryCount);
    }
}

void SnapshotMatch800(benchmark::State& state) {
    ReadSnapshotText(SnapshotText());
    const std::vector<std::string> labels = DesktopLabels();
    for (auto _ : state) {
        long found = 0;
        SnapshotMatcher matcher(table);  // one for the whole restore, as lokari has
        for (const std::string& label : labels) {
            if (const SnapshotEntry* entry = matcher.Take(label.c_str())) found += entry->x;
        }
        benchmark::DoNotOptimize(found);
    }
}

void SnapshotReadAndMatch800(benchmark::State& state) {
    const std::string text = SnapshotText();
    const std::vector<std::string> labels = DesktopLabels();
    for (auto _ : state) {
        ReadSnapshotText(text);
        long found = 0;
        SnapshotMatcher matcher(table);  // one for the whole restore, as lokari has
        for (const std::string& label : labels) {
            if (const SnapshotEntry* entry = matcher.Take(label.c_str())) found += entry->x;
        }
        benchmark::DoNotOptimize(found);
    }
}

// The save's own work: one formatted line per icon into a buffered stream.
void SnapshotWrite800(benchmark::State& state) {
    const std::vector<std::string> labels = DesktopLabels();
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (!sink) std::abort();
    char line[kSnapshotLineSize];
    for (auto _ : state) {
        for (int i = 0; i < kSnapshotIcons; ++i) {
            FormatSnapshotLine(i * 3, i * 5, labels[static_cast<size_t>(i)].c_str(), line);
            WriteSnapshotLine(sink, line);
        }
        std::fflush(sink);
    }
    std::fclose(sink);
}

class CountingView final : public DesktopView {
public:
    int ItemCount() override { return kSnapshotIcons; }
    bool SetItemPosition(int, uint32_t) override { return true; }
};

// The settings file is read from the current folder: a scratch one.
void LoadSettingsFromFile(benchmark::State& state) {
    char folder[] = "/tmp/tornelo-bench-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    static char previous[4096];
    if (!getcwd(previous, sizeof previous) || chdir(folder) != 0) std::abort();
    if (std::FILE* file = std::fopen("tornelo.ini", "w")) {
        std::fputs("30,500,2.500,1.500,0.050,120,800,3", file);
        std::fclose(file);
    }
    CountingView view;
    platform.view = &view;
    screenHeight = 1080;
    Settings settings = DefaultSettings(screenHeight);
    for (auto _ : state) {
        LoadSettings(settings);
        benchmark::DoNotOptimize(settings);
    }
    ResetPlatform();
    std::remove("tornelo.ini");
    if (chdir(previous) != 0) std::abort();
    rmdir(folder);
}

}  // namespace

BENCHMARK(SnapshotRead800)->Unit(benchmark::kMicrosecond);
BENCHMARK(SnapshotMatch800)->Unit(benchmark::kMicrosecond);
BENCHMARK(SnapshotReadAndMatch800)->Unit(benchmark::kMicrosecond);
BENCHMARK(SnapshotWrite800)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadSettingsFromFile)->Unit(benchmark::kMicrosecond);
