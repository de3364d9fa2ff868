// Whether the shell's process has this program's pointer width, from what
// IsWow64Process tells of each. Portable, so that the rule is tested natively.
#pragma once

// selfUnderWow64 matters only to a 32-bit program: under WOW64 it runs on
// 64-bit Windows, otherwise on 32-bit Windows.
constexpr bool SamePointerWidth(bool weAre64Bit, bool selfUnderWow64, bool shellUnderWow64) {
    // A 32-bit program on 32-bit Windows: every process is 32-bit.
    if (!weAre64Bit && !selfUnderWow64) return true;
    // On 64-bit Windows a process is 32-bit exactly when it runs under WOW64.
    return shellUnderWow64 == !weAre64Bit;
}
