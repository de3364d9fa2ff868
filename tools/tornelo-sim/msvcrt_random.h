// The C runtime's rand as tornelo.exe gets it: MinGW links msvcrt, whose
// generator is this linear congruential one. Same seed, same numbers.
#pragma once

#include <cstdint>

#include "motion/platform_seam.h"

class MsvcrtRandom final : public RandomSource {
public:
    explicit MsvcrtRandom(uint32_t seed) : state_(seed) {}

    int Next() override {
        state_ = state_ * 214013u + 2531011u;  // unsigned: wraps by definition
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    uint32_t state_;
};
