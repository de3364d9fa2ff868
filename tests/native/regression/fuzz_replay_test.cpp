// Replays the kept fuzz inputs: the seed corpora and every input that once
// made a target fail. A target's checks report here as test failures.
#include <dirent.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_check.h"

namespace {

struct Target {
    const char* name;
    int (*run)(const std::uint8_t*, std::size_t);
};

const Target kTargets[] = {
    {"settings_line", Fuzz_settings_line},       {"dialog_fields", Fuzz_dialog_fields},
    {"number_text", Fuzz_number_text},           {"snapshot_file", Fuzz_snapshot_file},
    {"snapshot_roundtrip", Fuzz_snapshot_roundtrip}, {"snapshot_path", Fuzz_snapshot_path},
};

void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') files.push_back(folder + "/" + entry->d_name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> Contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, KeptInputsPassTheTargetsChecks) {
    const std::string name = GetParam().name;
    std::vector<std::string> inputs = FilesIn(std::string(FUZZ_INPUT_ROOT) + "/corpus/" + name);
    const std::vector<std::string> regressions = FilesIn(std::string(FUZZ_INPUT_ROOT) + "/regressions/" + name);
    inputs.insert(inputs.end(), regressions.begin(), regressions.end());
    ASSERT_FALSE(inputs.empty()) << "no kept inputs for " << name;
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        const std::vector<std::uint8_t> bytes = Contents(input);
        GetParam().run(bytes.data(), bytes.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& target) { return std::string(target.param.name); });

}  // namespace
