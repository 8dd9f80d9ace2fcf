#pragma once

#include <sys/resource.h>

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
