#include "module_image_reader.h"

namespace panel_host {

namespace {

constexpr std::uint64_t maxSections = 65536;

std::string damaged(const char* what)
{
    return std::string("the file is truncated or damaged: its ") + what + " outside the file";
}

}  // namespace

imageBytes::imageBytes(const unsigned char* data, std::size_t size, bool bigEndian)
    : data_(data), size_(size), bigEndian_(bigEndian)
{
}

bool imageBytes::fits(std::uint64_t offset, std::uint64_t length) const
{
    return offset <= size_ && length <= size_ - offset;
}

bool imageBytes::read(std::uint64_t offset, unsigned width, std::uint64_t& value) const
{
    if (!fits(offset, width)) {
        return false;
    }
    value = 0;
    for (unsigned i = 0; i < width; ++i) {
        const unsigned index = bigEndian_ ? i : width - 1 - i;
        value = (value << 8) | data_[static_cast<std::size_t>(offset + index)];
    }
    return true;
}

bool imageBytes::startsWith(std::uint64_t offset, const char* bytes, std::size_t length) const
{
    if (!fits(offset, length)) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (data_[static_cast<std::size_t>(offset) + i] != static_cast<unsigned char>(bytes[i])) {
            return false;
        }
    }
    return true;
}

bool imageBytes::text(std::uint64_t start, std::uint64_t end, std::uint64_t offset, std::string& out) const
{
    if (end > size_ || start > end || offset >= end - start) {
        return false;
    }
    out.clear();
    for (std::uint64_t at = start + offset; at < end; ++at) {
        const char c = static_cast<char>(data_[static_cast<std::size_t>(at)]);
        if (c == '\0') {
            return true;
        }
        out += c;
    }
    return false;
}

elfImage::elfImage(const unsigned char* data, std::size_t size) : bytes_(data, size, size > 5 && data[5] == 2)
{
    if (!bytes_.startsWith(0,
                           "\x7F"
                           "ELF",
                           4) ||
        size < 16) {
        problem_ = "not a shared library: the file does not start like an ELF file";
        return;
    }
    if ((data[4] != 1 && data[4] != 2) || (data[5] != 1 && data[5] != 2)) {
        problem_ = "not a usable ELF file: unknown class or byte order";
        return;
    }
    is64_ = data[4] == 2;
    bigEndian_ = data[5] == 2;
    const bool ok = bytes_.read(16, 2, type_) && bytes_.read(18, 2, machine_) && word(28, 32, segmentsAt_) &&
                    word(32, 40, sectionsAt_) && bytes_.read(is64_ ? 54 : 42, 2, segmentSize_) &&
                    bytes_.read(is64_ ? 56 : 44, 2, segmentCount_) && bytes_.read(is64_ ? 58 : 46, 2, sectionSize_) &&
                    bytes_.read(is64_ ? 60 : 48, 2, sectionCount_);
    if (!ok) {
        problem_ = damaged("ELF header lies");
    }
}

bool elfImage::word(std::uint64_t offset32, std::uint64_t offset64, std::uint64_t& value) const
{
    return is64_ ? bytes_.read(offset64, 8, value) : bytes_.read(offset32, 4, value);
}

bool elfImage::segments(std::vector<elfSegment>& out, std::string& why) const
{
    out.clear();
    const std::uint64_t minimum = is64_ ? 56 : 32;
    if (segmentSize_ < minimum || !bytes_.fits(segmentsAt_, segmentCount_ * segmentSize_)) {
        why = damaged("program headers lie");
        return false;
    }
    for (std::uint64_t i = 0; i < segmentCount_; ++i) {
        const std::uint64_t at = segmentsAt_ + i * segmentSize_;
        elfSegment segment;
        const bool ok = bytes_.read(at, 4, segment.type) && word(at + 4, at + 8, segment.offset) &&
                        word(at + 16, at + 32, segment.size);
        if (!ok || (segment.type != 0 && !bytes_.fits(segment.offset, segment.size))) {
            why = damaged("segments lie");
            return false;
        }
        out.push_back(segment);
    }
    return true;
}

bool elfImage::readSection(std::uint64_t at, elfSection& out) const
{
    return bytes_.read(at + 4, 4, out.type) && word(at + 16, at + 24, out.offset) && word(at + 20, at + 32, out.size) &&
           bytes_.read(at + (is64_ ? 40 : 24), 4, out.link) && word(at + 36, at + 56, out.entrySize);
}

bool elfImage::sections(std::vector<elfSection>& out, std::string& why) const
{
    out.clear();
    if (sectionsAt_ == 0) {
        return true;
    }
    std::uint64_t count = sectionCount_;
    elfSection first;
    if (sectionSize_ < (is64_ ? 64U : 40U) || !readSection(sectionsAt_, first)) {
        why = damaged("section headers lie");
        return false;
    }
    if (count == 0) {
        // Extended numbering: the count is in the size of section 0.
        count = first.size;
    }
    if (count > maxSections || !bytes_.fits(sectionsAt_, count * sectionSize_)) {
        why = damaged("section headers lie");
        return false;
    }
    out.resize(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        readSection(sectionsAt_ + i * sectionSize_, out[static_cast<std::size_t>(i)]);
    }
    return true;
}

bool elfImage::symbols(const std::vector<elfSection>& all, const elfSection& table, std::vector<elfSymbolEntry>& out,
                       std::string& why) const
{
    const std::uint64_t minimumEntry = is64_ ? 24 : 16;
    if (table.link >= all.size() || table.entrySize < minimumEntry || !bytes_.fits(table.offset, table.size)) {
        why = "a symbol table lies outside the file";
        return false;
    }
    const elfSection& names = all[static_cast<std::size_t>(table.link)];
    if (!bytes_.fits(names.offset, names.size)) {
        why = "a symbol name table lies outside the file";
        return false;
    }
    const std::uint64_t count = table.size / table.entrySize;
    for (std::uint64_t i = 1; i < count; ++i) {
        const std::uint64_t at = table.offset + i * table.entrySize;
        std::uint64_t nameOffset = 0;
        std::uint64_t info = 0;
        std::uint64_t other = 0;
        elfSymbolEntry entry;
        const bool ok = bytes_.read(at, 4, nameOffset) && bytes_.read(at + (is64_ ? 4 : 12), 1, info) &&
                        bytes_.read(at + (is64_ ? 5 : 13), 1, other) &&
                        bytes_.read(at + (is64_ ? 6 : 14), 2, entry.sectionIndex) && word(at + 4, at + 8, entry.value);
        if (!ok || !bytes_.text(names.offset, names.offset + names.size, nameOffset, entry.name)) {
            why = "a symbol name lies outside its table";
            return false;
        }
        entry.binding = static_cast<unsigned>(info >> 4);
        entry.type = static_cast<unsigned>(info & 0xF);
        entry.visibility = static_cast<unsigned>(other & 3);
        out.push_back(std::move(entry));
    }
    return true;
}

peImage::peImage(const unsigned char* data, std::size_t size) : bytes_(data, size, false)
{
    if (size < 64 || !bytes_.startsWith(0, "MZ", 2)) {
        problem_ = "not a DLL: the file does not start like a Windows executable";
        return;
    }
    std::uint64_t header = 0;
    std::uint64_t optionalSize = 0;
    const bool ok = bytes_.read(0x3C, 4, header) && bytes_.startsWith(header, "PE\0\0", 4) &&
                    bytes_.read(header + 4, 2, machine_) && bytes_.read(header + 6, 2, sectionCount_) &&
                    bytes_.read(header + 20, 2, optionalSize) && bytes_.read(header + 22, 2, characteristics_);
    if (!ok) {
        problem_ = damaged("PE header lies");
        return;
    }
    tableAt_ = header + 24 + optionalSize;
    // The export table is the first entry of the optional header's data
    // directories, which start 96 (PE32) or 112 (PE32+) bytes into it.
    const std::uint64_t optional = header + 24;
    std::uint64_t magic = 0;
    std::uint64_t directories = 0;
    if (bytes_.read(optional, 2, magic) && (magic == 0x10B || magic == 0x20B)) {
        const std::uint64_t directoryAt = optional + (magic == 0x10B ? 96 : 112);
        if (bytes_.read(directoryAt - 4, 4, directories) && directories > 0 && directoryAt + 8 <= tableAt_) {
            bytes_.read(directoryAt, 4, exportsAddress_);
        }
    }
}

bool peImage::sections(std::vector<peSection>& out, std::string& why) const
{
    out.clear();
    if (!bytes_.fits(tableAt_, sectionCount_ * 40)) {
        why = damaged("section table lies");
        return false;
    }
    for (std::uint64_t i = 0; i < sectionCount_; ++i) {
        peSection section;
        const std::uint64_t entry = tableAt_ + i * 40;
        const bool ok = bytes_.read(entry + 8, 4, section.virtualSize) && bytes_.read(entry + 12, 4, section.address) &&
                        bytes_.read(entry + 16, 4, section.size) && bytes_.read(entry + 20, 4, section.offset);
        if (!ok || (section.size != 0 && !bytes_.fits(section.offset, section.size))) {
            why = damaged("sections lie");
            return false;
        }
        out.push_back(section);
    }
    return true;
}

namespace {

// The file's bytes of the section holding `address`: [start, end); false
// when no section's data in the file holds it.
bool sectionHolding(const std::vector<peSection>& sections, std::uint64_t address, std::uint64_t& start,
                    std::uint64_t& end, std::uint64_t& at)
{
    for (const peSection& section : sections) {
        if (address >= section.address && address - section.address < section.size) {
            start = section.offset;
            end = section.offset + section.size;
            at = start + (address - section.address);
            return true;
        }
    }
    return false;
}

}  // namespace

bool peImage::exportNames(std::vector<std::string>& out, std::string& why) const
{
    out.clear();
    std::vector<peSection> all;
    if (!sections(all, why)) {
        return false;
    }
    if (exportsAddress_ == 0) {
        return true;
    }
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::uint64_t directory = 0;
    std::uint64_t count = 0;
    std::uint64_t namesAddress = 0;
    std::uint64_t names = 0;
    if (!sectionHolding(all, exportsAddress_, start, end, directory) || !bytes_.read(directory + 24, 4, count) ||
        !bytes_.read(directory + 32, 4, namesAddress) || count > maxSections * 16 ||
        (count > 0 && !sectionHolding(all, namesAddress, start, end, names)) || !bytes_.fits(names, count * 4)) {
        why = damaged("export table lies");
        return false;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t nameAddress = 0;
        std::uint64_t name = 0;
        std::string text;
        if (!bytes_.read(names + i * 4, 4, nameAddress) || !sectionHolding(all, nameAddress, start, end, name) ||
            !bytes_.text(start, end, name - start, text)) {
            why = damaged("export names lie");
            return false;
        }
        out.push_back(std::move(text));
    }
    return true;
}

}  // namespace panel_host
