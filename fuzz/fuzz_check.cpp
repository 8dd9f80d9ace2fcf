#include "fuzz_check.h"

#include <cstdio>
#include <cstdlib>

void fuzzFailure(const char* property, const std::string& details)
{
    std::fprintf(stderr, "\nFUZZ CHECK FAILED: %s\n", property);
    if (!details.empty()) {
        std::fprintf(stderr, "%s\n", details.c_str());
    }
    std::fflush(stderr);
    std::abort();
}
