// Counts the process's heap allocations by interposing malloc, calloc and
// realloc: the program's own definitions take precedence over the C
// library's for every module of the process, the dynamically loaded panel
// module and the string library included. Each forwards to the C library's
// implementation under its internal name, so free() stays the C library's.
#include "allocation_counter.h"

#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
}

namespace {
std::uint64_t allocations = 0;
}

std::uint64_t heapAllocations()
{
    return allocations;
}

extern "C" {

void* malloc(std::size_t size) noexcept
{
    ++allocations;
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    ++allocations;
    return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) noexcept
{
    if (size != 0) {
        ++allocations;
    }
    return __libc_realloc(block, size);
}

}  // extern "C"
