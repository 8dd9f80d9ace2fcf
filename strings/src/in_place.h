#pragma once

#include <stddef.h>

// Constructs an object in storage the caller already holds, without the C++
// standard library's <new>: `new (inPlace, where) T(...)`.
struct morvInPlace {};
constexpr morvInPlace inPlace{};

inline void* operator new(size_t /*size*/, morvInPlace /*tag*/, void* where) noexcept
{
    return where;
}
// Matches the form above; never called, as the constructors do not throw.
inline void operator delete(void* /*object*/, morvInPlace /*tag*/, void* /*where*/) noexcept {}
