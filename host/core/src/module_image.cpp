#include "module_image.h"

#include <cstdint>

namespace {

// Little- or big-endian unsigned reads; false when out of the image.
class byteReader {
public:
    byteReader(const std::string& bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

    bool fits(std::uint64_t offset, std::uint64_t size) const
    {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }

    std::uint64_t read(std::uint64_t offset, unsigned width, bool& ok) const
    {
        if (!fits(offset, width)) {
            ok = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) {
            const unsigned index = bigEndian_ ? i : width - 1 - i;
            value = (value << 8) | static_cast<unsigned char>(bytes_[static_cast<std::size_t>(offset + index)]);
        }
        return value;
    }

private:
    const std::string& bytes_;
    bool bigEndian_;
};

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

std::string truncated(const char* what)
{
    return std::string("the file is truncated or damaged: its ") + what + " outside the file";
}

}  // namespace

std::string elfImageProblem(const std::string& image)
{
    if (image.size() < 16 || image.compare(0, 4, "\x7F" "ELF") != 0) {
        return "not a shared library: the file does not start like an ELF file";
    }
    const bool is64 = image[4] == 2;
    const bool wanted64 = sizeof(void*) == 8;
    if ((image[4] != 1 && image[4] != 2) || (image[5] != 1 && image[5] != 2)) {
        return "not a usable ELF file: unknown class or byte order";
    }
    if (is64 != wanted64) {
        return std::string("a ") + (is64 ? "64" : "32") + "-bit ELF file; this panel-host is " +
               (wanted64 ? "64" : "32") + "-bit";
    }
    const bool bigEndian = image[5] == 2;
    if (bigEndian != hostIsBigEndian()) {
        return "an ELF file of the other byte order than this machine";
    }
    const byteReader r(image, bigEndian);
    bool ok = true;
    const std::uint64_t type = r.read(16, 2, ok);
    const std::uint64_t machine = r.read(18, 2, ok);
    const std::uint64_t phoff = is64 ? r.read(32, 8, ok) : r.read(28, 4, ok);
    const std::uint64_t shoff = is64 ? r.read(40, 8, ok) : r.read(32, 4, ok);
    const std::uint64_t phentsize = r.read(is64 ? 54 : 42, 2, ok);
    const std::uint64_t phnum = r.read(is64 ? 56 : 44, 2, ok);
    const std::uint64_t shentsize = r.read(is64 ? 58 : 46, 2, ok);
    const std::uint64_t shnum = r.read(is64 ? 60 : 48, 2, ok);
    if (!ok) {
        return truncated("ELF header lies");
    }
    if (type != 3) {
        return "an ELF file but not a shared object (ELF type " + std::to_string(type) + ")";
    }
    if (ownElfMachine() != 0 && machine != ownElfMachine()) {
        return "an ELF shared object for another machine (ELF machine " + std::to_string(machine) +
               ", this panel-host runs on machine " + std::to_string(ownElfMachine()) + ")";
    }
    const std::uint64_t minimumPh = is64 ? 56 : 32;
    if (phnum == 0 || phentsize < minimumPh || !r.fits(phoff, phnum * phentsize)) {
        return truncated("program headers lie");
    }
    bool loads = false;
    for (std::uint64_t i = 0; i < phnum; ++i) {
        const std::uint64_t at = phoff + i * phentsize;
        const std::uint64_t segmentType = r.read(at, 4, ok);
        const std::uint64_t offset = is64 ? r.read(at + 8, 8, ok) : r.read(at + 4, 4, ok);
        const std::uint64_t size = is64 ? r.read(at + 32, 8, ok) : r.read(at + 16, 4, ok);
        if (!ok || (segmentType != 0 && !r.fits(offset, size))) {
            return truncated("segments lie");
        }
        loads = loads || segmentType == 1;
    }
    if (!loads) {
        return "an ELF shared object without a loadable segment";
    }
    if (shoff != 0 && (shentsize == 0 || !r.fits(shoff, shnum * shentsize))) {
        return truncated("section headers lie");
    }
    return {};
}

std::string peImageProblem(const std::string& image)
{
    const byteReader r(image, false);
    bool ok = true;
    if (image.size() < 64 || image.compare(0, 2, "MZ") != 0) {
        return "not a DLL: the file does not start like a Windows executable";
    }
    const std::uint64_t pe = r.read(0x3C, 4, ok);
    if (!ok || !r.fits(pe, 24) || image.compare(static_cast<std::size_t>(pe), 4, std::string("PE\0\0", 4)) != 0) {
        return truncated("PE header lies");
    }
    const std::uint64_t machine = r.read(pe + 4, 2, ok);
    const std::uint64_t sections = r.read(pe + 6, 2, ok);
    const std::uint64_t optionalSize = r.read(pe + 20, 2, ok);
    const std::uint64_t characteristics = r.read(pe + 22, 2, ok);
    if (ownPeMachine() != 0 && machine != ownPeMachine()) {
        return "a DLL for another machine (PE machine " + std::to_string(machine) + ")";
    }
    if ((characteristics & 0x2000) == 0) {
        return "a Windows program, not a DLL";
    }
    const std::uint64_t table = pe + 24 + optionalSize;
    if (!r.fits(table, sections * 40)) {
        return truncated("section table lies");
    }
    for (std::uint64_t i = 0; i < sections; ++i) {
        const std::uint64_t size = r.read(table + i * 40 + 16, 4, ok);
        const std::uint64_t offset = r.read(table + i * 40 + 20, 4, ok);
        if (!ok || (size != 0 && !r.fits(offset, size))) {
            return truncated("sections lie");
        }
    }
    return {};
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
