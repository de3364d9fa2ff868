// Counts heap allocations made by this process while counting is on: every
// operator new and every malloc, calloc and realloc of the C library.
#pragma once

#include <cstddef>

// Turns counting on and returns the number of allocations since then when
// the scope ends.
class AllocationScope {
public:
    AllocationScope();
    ~AllocationScope();
    AllocationScope(const AllocationScope&) = delete;
    AllocationScope& operator=(const AllocationScope&) = delete;
    std::size_t Count() const;

private:
    std::size_t start_;
};
