#include "module_image.h"

#include "module_image_reader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace panel_host {

namespace {

bool hostIsBigEndian()
{
    const std::uint16_t probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 0;
}

// The ELF machine number of this build's target; 0 when we do not know it.
constexpr unsigned ownElfMachine()
{
#if defined(__x86_64__)
    return 62;
#elif defined(__i386__)
    return 3;
#elif defined(__aarch64__)
    return 183;
#elif defined(__arm__)
    return 40;
#elif defined(__riscv)
    return 243;
#elif defined(__powerpc64__)
    return 21;
#else
    return 0;
#endif
}

constexpr unsigned ownPeMachine()
{
#if defined(__x86_64__) || defined(_M_X64)
    return 0x8664;
#elif defined(__i386__) || defined(_M_IX86)
    return 0x14C;
#elif defined(__aarch64__) || defined(_M_ARM64)
    return 0xAA64;
#else
    return 0;
#endif
}

}  // namespace

std::string elfImageProblem(const std::string& bytes)
{
    const elfImage image(imageData(bytes), bytes.size());
    if (!image.problem().empty()) {
        return image.problem();
    }
    const bool wanted64 = sizeof(void*) == 8;
    if (image.is64() != wanted64) {
        return std::string("a ") + (image.is64() ? "64" : "32") + "-bit ELF file; this panel-host is " +
               (wanted64 ? "64" : "32") + "-bit";
    }
    if (image.bigEndian() != hostIsBigEndian()) {
        return "an ELF file of the other byte order than this machine";
    }
    if (image.type() != elfSharedObject) {
        return "an ELF file but not a shared object (ELF type " + std::to_string(image.type()) + ")";
    }
    if (ownElfMachine() != 0 && image.machine() != ownElfMachine()) {
        return "an ELF shared object for another machine (ELF machine " + std::to_string(image.machine()) +
               ", this panel-host runs on machine " + std::to_string(ownElfMachine()) + ")";
    }
    std::string why;
    std::vector<elfSegment> segments;
    std::vector<elfSection> sections;
    if (!image.segments(segments, why) || !image.sections(sections, why)) {
        return why;
    }
    const bool loads = std::any_of(segments.begin(), segments.end(),
                                   [](const elfSegment& segment) { return segment.type == elfLoadableSegment; });
    if (!loads) {
        return "an ELF shared object without a loadable segment";
    }
    return {};
}

std::string peImageProblem(const std::string& bytes)
{
    const peImage image(imageData(bytes), bytes.size());
    if (!image.problem().empty()) {
        return image.problem();
    }
    if (ownPeMachine() != 0 && image.machine() != ownPeMachine()) {
        return "a DLL for another machine (PE machine " + std::to_string(image.machine()) + ")";
    }
    if ((image.characteristics() & peDllFlag) == 0) {
        return "a Windows program, not a DLL";
    }
    std::string why;
    std::vector<peSection> sections;
    return image.sections(sections, why) ? std::string() : why;
}

std::string moduleImageProblem(const std::string& image)
{
#if defined(_WIN32)
    return peImageProblem(image);
#elif defined(__APPLE__)
    (void)image;
    return {};
#else
    return elfImageProblem(image);
#endif
}

}  // namespace panel_host
