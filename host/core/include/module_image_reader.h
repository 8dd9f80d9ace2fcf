#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {

// The one reader of module images (ELF shared objects and PE DLLs), used by
// the check before a module is loaded and by the validator's export listing.
// Every field is read through a bounds check, so a truncated or hostile image
// gives a reason ("its section headers lie outside the file"), never a read
// outside it. Nothing here throws except std::bad_alloc.

// Unsigned fields of 1 to 8 bytes in one byte order.
class imageBytes {
public:
    imageBytes(const unsigned char* data, std::size_t size, bool bigEndian);

    std::size_t size() const { return size_; }
    bool fits(std::uint64_t offset, std::uint64_t length) const;
    // false when the field lies outside the image.
    bool read(std::uint64_t offset, unsigned width, std::uint64_t& value) const;
    bool startsWith(std::uint64_t offset, const char* bytes, std::size_t length) const;
    // The NUL-terminated text `offset` bytes into the table [start, end);
    // false when it is not terminated inside the table.
    bool text(std::uint64_t start, std::uint64_t end, std::uint64_t offset, std::string& out) const;

private:
    const unsigned char* data_;
    std::size_t size_;
    bool bigEndian_;
};

struct elfSegment {
    std::uint64_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

struct elfSection {
    std::uint64_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t link = 0;
    std::uint64_t entrySize = 0;
};

// One entry of a symbol table, its fields as stored.
struct elfSymbolEntry {
    std::string name;
    unsigned binding = 0;
    unsigned type = 0;
    unsigned visibility = 0;
    std::uint64_t sectionIndex = 0;
    std::uint64_t value = 0;
};

constexpr std::uint64_t elfSharedObject = 3;
constexpr std::uint64_t elfLoadableSegment = 1;
constexpr std::uint64_t elfSymbolTable = 2;
constexpr std::uint64_t elfDynamicSymbolTable = 11;

class elfImage {
public:
    // Reads the identification and the header; problem() says why not.
    elfImage(const unsigned char* data, std::size_t size);

    const std::string& problem() const { return problem_; }
    bool is64() const { return is64_; }
    bool bigEndian() const { return bigEndian_; }
    std::uint64_t type() const { return type_; }
    std::uint64_t machine() const { return machine_; }

    // The program headers, each segment within the file.
    bool segments(std::vector<elfSegment>& out, std::string& why) const;
    // The section headers (none when the image has no table).
    bool sections(std::vector<elfSection>& out, std::string& why) const;
    // The entries of a symbol table after the null entry, their names read
    // from the table's linked name table.
    bool symbols(const std::vector<elfSection>& all, const elfSection& table, std::vector<elfSymbolEntry>& out,
                 std::string& why) const;

private:
    bool word(std::uint64_t offset32, std::uint64_t offset64, std::uint64_t& value) const;
    bool readSection(std::uint64_t at, elfSection& out) const;

    imageBytes bytes_;
    std::string problem_;
    bool is64_ = false;
    bool bigEndian_ = false;
    std::uint64_t type_ = 0;
    std::uint64_t machine_ = 0;
    std::uint64_t segmentsAt_ = 0;
    std::uint64_t segmentSize_ = 0;
    std::uint64_t segmentCount_ = 0;
    std::uint64_t sectionsAt_ = 0;
    std::uint64_t sectionSize_ = 0;
    std::uint64_t sectionCount_ = 0;
};

struct peSection {
    std::uint64_t offset = 0;       // in the file
    std::uint64_t size = 0;         // in the file
    std::uint64_t address = 0;      // relative to the image's base once loaded
    std::uint64_t virtualSize = 0;  // once loaded
};

constexpr std::uint64_t peDllFlag = 0x2000;

class peImage {
public:
    // Reads the MZ stub and the COFF header; problem() says why not.
    peImage(const unsigned char* data, std::size_t size);

    const std::string& problem() const { return problem_; }
    std::uint64_t machine() const { return machine_; }
    std::uint64_t characteristics() const { return characteristics_; }

    // The section table, each section's data within the file.
    bool sections(std::vector<peSection>& out, std::string& why) const;
    // The names of the export table, in its order (none without one).
    bool exportNames(std::vector<std::string>& out, std::string& why) const;

private:
    imageBytes bytes_;
    std::string problem_;
    std::uint64_t machine_ = 0;
    std::uint64_t characteristics_ = 0;
    std::uint64_t tableAt_ = 0;
    std::uint64_t sectionCount_ = 0;
    std::uint64_t exportsAddress_ = 0;  // 0: no export table
};

// The bytes of a std::string or std::vector<unsigned char> for the readers.
inline const unsigned char* imageData(const std::string& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

}  // namespace panel_host
