#pragma once

#include <sys/resource.h>

// 1 where the tests that cap the address space are built: not with
// AddressSanitizer (gcc says so by __SANITIZE_ADDRESS__, clang by
// __has_feature), whose shadow memory needs address space of its own.
#if defined(__SANITIZE_ADDRESS__)
#define ADDRESS_SPACE_CAP_TESTS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ADDRESS_SPACE_CAP_TESTS 0
#endif
#endif
#ifndef ADDRESS_SPACE_CAP_TESTS
#define ADDRESS_SPACE_CAP_TESTS 1
#endif

// Caps this process's address space at what it has mapped now plus
// `headroom` bytes, so that an allocation larger than that fails (in the
// loaded module as anywhere), until lift() or the end of the cap.
class addressSpaceCap {
public:
    explicit addressSpaceCap(rlim_t headroom);
    ~addressSpaceCap() { lift(); }
    addressSpaceCap(const addressSpaceCap&) = delete;
    addressSpaceCap& operator=(const addressSpaceCap&) = delete;

    void lift();

    // False where a cap would starve the tools watching the program: under
    // valgrind, which keeps its own address space, and in sanitizer builds,
    // whose shadow memory needs address space of its own (there the tests
    // that cap are not built).
    static bool available();

private:
    rlimit original_{};
    bool capped_ = false;
};
