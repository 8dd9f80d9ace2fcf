#include "address_space_cap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Bytes of address space this process has mapped now.
rlim_t addressSpaceInUse()
{
    unsigned long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1) {
            pages = 0;
        }
        std::fclose(statm);
    }
    return static_cast<rlim_t>(pages) * 4096u;
}

}  // namespace

addressSpaceCap::addressSpaceCap(rlim_t headroom)
{
    getrlimit(RLIMIT_AS, &original_);
    const rlimit capped{addressSpaceInUse() + headroom, original_.rlim_max};
    capped_ = setrlimit(RLIMIT_AS, &capped) == 0;
}

void addressSpaceCap::lift()
{
    if (capped_) {
        setrlimit(RLIMIT_AS, &original_);
        capped_ = false;
    }
}

bool addressSpaceCap::available()
{
    const char* preload = std::getenv("LD_PRELOAD");
    return preload == nullptr || std::strstr(preload, "vgpreload") == nullptr;
}
