#include "elf_symbols.h"

#include <cstdint>
#include <fstream>

namespace {

constexpr std::uint32_t sectionSymtab = 2;
constexpr std::uint32_t sectionDynsym = 11;
constexpr std::uint16_t undefinedSection = 0;
constexpr std::uint16_t absoluteSection = 0xFFF1;
constexpr unsigned bindGlobal = 1;
constexpr unsigned bindWeak = 2;
constexpr unsigned bindUnique = 10;
constexpr unsigned typeObject = 1;
constexpr unsigned typeFunction = 2;
constexpr unsigned visibilityHidden = 2;
constexpr unsigned visibilityInternal = 1;
constexpr std::uint64_t maxFileSize = 512ULL * 1024 * 1024;

// Bounds-checked reads of ELF fields in the image's byte order and class.
class elfImage {
public:
    elfImage(const std::vector<unsigned char>& bytes, bool is64, bool bigEndian)
        : bytes_(bytes), is64_(is64), bigEndian_(bigEndian)
    {
    }

    bool is64() const { return is64_; }

    bool fits(std::uint64_t offset, std::uint64_t size) const
    {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }

    // Reads `width` bytes at offset; false when they lie outside the image.
    bool read(std::uint64_t offset, unsigned width, std::uint64_t& value) const
    {
        if (!fits(offset, width)) {
            return false;
        }
        value = 0;
        for (unsigned i = 0; i < width; ++i) {
            const unsigned index = bigEndian_ ? i : width - 1 - i;
            value = (value << 8) | bytes_[static_cast<std::size_t>(offset + index)];
        }
        return true;
    }

    // A word of the image's class: 4 bytes in 32-bit images, 8 in 64-bit.
    bool readWord(std::uint64_t offset32, std::uint64_t offset64, std::uint64_t& value) const
    {
        return is64_ ? read(offset64, 8, value) : read(offset32, 4, value);
    }

    // The NUL-terminated text at offset within [tableStart, tableEnd).
    bool text(std::uint64_t tableStart, std::uint64_t tableEnd, std::uint64_t offset, std::string& out) const
    {
        if (offset >= tableEnd - tableStart) {
            return false;
        }
        out.clear();
        for (std::uint64_t at = tableStart + offset; at < tableEnd; ++at) {
            const char c = static_cast<char>(bytes_[static_cast<std::size_t>(at)]);
            if (c == '\0') {
                return true;
            }
            out += c;
        }
        return false;
    }

private:
    const std::vector<unsigned char>& bytes_;
    bool is64_;
    bool bigEndian_;
};

struct section {
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
    std::uint64_t entrySize = 0;
};

bool readSection(const elfImage& image, std::uint64_t at, section& out)
{
    std::uint64_t type = 0;
    std::uint64_t link = 0;
    const bool ok = image.read(at + 4, 4, type) && image.readWord(at + 16, at + 24, out.offset) &&
                    image.readWord(at + 20, at + 32, out.size) && image.read(at + (image.is64() ? 40 : 24), 4, link) &&
                    image.readWord(at + 36, at + 56, out.entrySize);
    out.type = static_cast<std::uint32_t>(type);
    out.link = static_cast<std::uint32_t>(link);
    return ok;
}

bool readSections(const elfImage& image, std::vector<section>& sections, std::string& error)
{
    std::uint64_t tableOffset = 0;
    std::uint64_t entrySize = 0;
    std::uint64_t count = 0;
    if (!image.readWord(32, 40, tableOffset) || !image.read(image.is64() ? 58 : 46, 2, entrySize) ||
        !image.read(image.is64() ? 60 : 48, 2, count)) {
        error = "the ELF header is truncated";
        return false;
    }
    if (tableOffset == 0) {
        error = "the file has no section headers";
        return false;
    }
    if (entrySize < (image.is64() ? 64U : 40U)) {
        error = "the section header size is too small";
        return false;
    }
    if (count == 0) {
        // Extended numbering: the count is in the size of section 0.
        section first;
        if (!readSection(image, tableOffset, first)) {
            error = "the section header table lies outside the file";
            return false;
        }
        count = first.size;
    }
    if (count > 65536 || !image.fits(tableOffset, count * entrySize)) {
        error = "the section header table lies outside the file";
        return false;
    }
    sections.resize(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        readSection(image, tableOffset + i * entrySize, sections[static_cast<std::size_t>(i)]);
    }
    return true;
}

bool readSymbolTable(const elfImage& image, const std::vector<section>& sections, const section& table,
                     std::vector<elfSymbol>& symbols, std::string& error)
{
    const std::uint64_t minimumEntry = image.is64() ? 24 : 16;
    if (table.link >= sections.size() || table.entrySize < minimumEntry || !image.fits(table.offset, table.size)) {
        error = "a symbol table lies outside the file";
        return false;
    }
    const section& names = sections[table.link];
    if (!image.fits(names.offset, names.size)) {
        error = "a symbol name table lies outside the file";
        return false;
    }
    const bool dynamic = table.type == sectionDynsym;
    const std::uint64_t count = table.size / table.entrySize;
    for (std::uint64_t i = 1; i < count; ++i) {
        const std::uint64_t at = table.offset + i * table.entrySize;
        std::uint64_t nameOffset = 0;
        std::uint64_t info = 0;
        std::uint64_t other = 0;
        std::uint64_t index = 0;
        std::uint64_t value = 0;
        const bool ok = image.read(at, 4, nameOffset) && image.read(at + (image.is64() ? 4 : 12), 1, info) &&
                        image.read(at + (image.is64() ? 5 : 13), 1, other) &&
                        image.read(at + (image.is64() ? 6 : 14), 2, index) && image.readWord(at + 4, at + 8, value);
        elfSymbol symbol;
        if (!ok || !image.text(names.offset, names.offset + names.size, nameOffset, symbol.name)) {
            error = "a symbol name lies outside its table";
            return false;
        }
        const auto binding = static_cast<unsigned>(info >> 4);
        const auto type = static_cast<unsigned>(info & 0xF);
        const auto visibility = static_cast<unsigned>(other & 3);
        symbol.dynamic = dynamic;
        symbol.defined = index != undefinedSection;
        symbol.function = type == typeFunction;
        const bool versionMarker = index == absoluteSection && type == typeObject && value == 0;
        symbol.exported = dynamic && symbol.defined && !versionMarker && !symbol.name.empty() &&
                          (binding == bindGlobal || binding == bindWeak || binding == bindUnique) &&
                          visibility != visibilityHidden && visibility != visibilityInternal;
        symbols.push_back(std::move(symbol));
    }
    return true;
}

}  // namespace

std::vector<std::string> elfSymbolListing::exportedNames() const
{
    std::vector<std::string> names;
    for (const elfSymbol& symbol : symbols) {
        if (symbol.exported) {
            names.push_back(symbol.name);
        }
    }
    return names;
}

elfSymbolListing readElfSymbols(const std::vector<unsigned char>& image)
{
    elfSymbolListing listing;
    if (image.size() < 64 || image[0] != 0x7F || image[1] != 'E' || image[2] != 'L' || image[3] != 'F') {
        listing.error = "not an ELF file";
        return listing;
    }
    if ((image[4] != 1 && image[4] != 2) || (image[5] != 1 && image[5] != 2)) {
        listing.error = "unknown ELF class or byte order";
        return listing;
    }
    const elfImage elf(image, image[4] == 2, image[5] == 2);
    std::vector<section> sections;
    if (!readSections(elf, sections, listing.error)) {
        return listing;
    }
    for (const section& table : sections) {
        if ((table.type == sectionDynsym || table.type == sectionSymtab) &&
            !readSymbolTable(elf, sections, table, listing.symbols, listing.error)) {
            listing.symbols.clear();
            return listing;
        }
    }
    listing.ok = true;
    return listing;
}

elfSymbolListing readElfSymbolFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    elfSymbolListing listing;
    if (!in) {
        listing.error = "cannot read " + path;
        return listing;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > maxFileSize) {
        listing.error = path + " is too large to be a panel module";
        return listing;
    }
    in.seekg(0);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        listing.error = "cannot read " + path;
        return listing;
    }
    return readElfSymbols(bytes);
}
