#pragma once

#include <cstdint>

// Heap allocations made by the whole process (the module and the string
// library included) since it started: every call of malloc, calloc and of
// realloc that asks for memory. operator new and new[] allocate through
// malloc, so they are counted there. Glibc only; single-threaded use.
std::uint64_t heapAllocations();
