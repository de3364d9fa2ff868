// The checks of the fuzz targets. Under libFuzzer a failed check aborts, so
// that the input is kept as a crash; in the native regression tests it is a
// GoogleTest failure that names the check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifdef FUZZ_CHECKS_IN_GTEST
#include <gtest/gtest.h>
#define FUZZ_CHECK(condition) do { EXPECT_TRUE(condition) << #condition; } while (0)
#else
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)
#endif

// Every target: one input, 0 when done (libFuzzer's convention).
int Fuzz_settings_line(const std::uint8_t* data, std::size_t size);
int Fuzz_dialog_fields(const std::uint8_t* data, std::size_t size);
int Fuzz_number_text(const std::uint8_t* data, std::size_t size);
int Fuzz_snapshot_file(const std::uint8_t* data, std::size_t size);
int Fuzz_snapshot_roundtrip(const std::uint8_t* data, std::size_t size);
int Fuzz_snapshot_path(const std::uint8_t* data, std::size_t size);

// Hands out the leading bytes of an input as small numbers, then the rest.
class InputBytes {
public:
    InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return size_ ? (--size_, *data_++) : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    const std::uint8_t* Rest() const { return data_; }
    std::size_t RestSize() const { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};
