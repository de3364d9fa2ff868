// libFuzzer's entry, forwarded to the target this executable is built for.
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FUZZ_ENTRY(data, size); }
