#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// glibc's own entry points; defining malloc and friends here puts the
// counting ones in front of them for the whole program.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<int> countingScopes{0};
std::atomic<std::size_t> allocations{0};

void Note() {
    if (countingScopes.load(std::memory_order_relaxed) > 0) allocations.fetch_add(1, std::memory_order_relaxed);
}

void* NewBlock(std::size_t size) {
    Note();
    if (void* block = __libc_malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) {
    Note();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    Note();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    Note();
    return __libc_realloc(block, size);
}
void free(void* block) { __libc_free(block); }
}

void* operator new(std::size_t size) { return NewBlock(size); }
void* operator new[](std::size_t size) { return NewBlock(size); }
void operator delete(void* block) noexcept { __libc_free(block); }
void operator delete[](void* block) noexcept { __libc_free(block); }
void operator delete(void* block, std::size_t) noexcept { __libc_free(block); }
void operator delete[](void* block, std::size_t) noexcept { __libc_free(block); }

AllocationScope::AllocationScope() : start_(allocations.load()) { countingScopes.fetch_add(1); }
AllocationScope::~AllocationScope() { countingScopes.fetch_sub(1); }
std::size_t AllocationScope::Count() const { return allocations.load() - start_; }
