// The restore's path argument: copied only when it fits, every double quote
// removed and nothing else, a full buffer without a terminator handled, and
// LoadSnapshotFile opening exactly the file the argument names without its
// quotes. Files are looked up in a scratch folder made at the first input;
// arguments that could name anything outside it are not opened.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "icon_snapshot.h"
#include "snapshot_file.h"

namespace {

const char* const kKnownFile = "desk top.dat";

void EnterScratchFolder() {
    static bool entered = false;
    if (entered) return;
    entered = true;
    char folder[] = "/tmp/lokari-fuzz-path-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
    if (std::FILE* file = std::fopen(kKnownFile, "w")) {
        std::fputs("10,20,one,\n30,40,two,\n", file);
        std::fclose(file);
    }
}

std::string WithoutQuotes(const std::string& text) {
    std::string kept;
    for (char c : text)
        if (c != '"') kept += c;
    return kept;
}

SnapshotTable table;

}  // namespace

int Fuzz_snapshot_path(const std::uint8_t* data, std::size_t size) {
    EnterScratchFolder();
    // The argument ends at the first NUL, as a command line does.
    std::vector<char> argument(data, data + size);
    argument.push_back('\0');
    const std::string text(argument.data());

    char path[kSnapshotPathSize];
    const bool copied = CopySnapshotPath(argument.data(), path);
    FUZZ_CHECK(copied == (text.size() < kSnapshotPathSize));
    FUZZ_CHECK(copied ? text == path : path[0] == '\0');
    if (copied) {
        RemoveDoubleQuotes(path);
        FUZZ_CHECK(WithoutQuotes(text) == path);
    }

    // A buffer filled to its last byte with no terminator in it.
    char full[kSnapshotPathSize];
    for (std::size_t i = 0; i < sizeof full; ++i) full[i] = size ? static_cast<char>(data[i % size] | 1) : '"';
    RemoveDoubleQuotes(full);
    FUZZ_CHECK(std::memchr(full, '\0', sizeof full) != nullptr);
    FUZZ_CHECK(std::strchr(full, '"') == nullptr);

    // Only names inside the scratch folder: no directory part, no devices.
    const std::string name = WithoutQuotes(text);
    if (name.find('/') != std::string::npos || name == "." || name == "..") return 0;
    const bool loaded = LoadSnapshotFile(argument.data(), table) == RunOutcome::Done;
    const bool known = copied && name == kKnownFile;
    FUZZ_CHECK(loaded == known);
    FUZZ_CHECK(table.entryCount == (known ? 2 : 0));
    return 0;
}
