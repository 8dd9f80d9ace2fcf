// The ELF reader lists what a module exports, for 32- and 64-bit images in
// either byte order, and so does the PE reader for a DLL's export table;
// both refuse malformed images without reading outside them.
#include "elf_symbols.h"
#include "module_image_reader.h"
#include "test_module_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {

namespace {

constexpr unsigned bindLocal = 0;
constexpr unsigned bindGlobal = 1;
constexpr unsigned bindWeak = 2;
constexpr unsigned typeObject = 1;
constexpr unsigned typeFunction = 2;
constexpr unsigned visibilityDefault = 0;
constexpr unsigned visibilityHidden = 2;
constexpr std::uint16_t sectionUndefined = 0;
constexpr std::uint16_t sectionText = 5;
constexpr std::uint16_t sectionAbsolute = 0xFFF1;

struct symbolSpec {
    std::string name;
    unsigned binding;
    unsigned type;
    unsigned visibility;
    std::uint16_t section;
    std::uint64_t value;
};

// Writes a minimal shared object: header, name table, dynamic symbol table,
// then three section headers (null, .dynstr, .dynsym).
class elfBuilder {
public:
    elfBuilder(bool is64, bool bigEndian) : is64_(is64), bigEndian_(bigEndian) {}

    void add(symbolSpec symbol) { symbols_.push_back(std::move(symbol)); }

    std::vector<unsigned char> build() const
    {
        const std::uint64_t headerSize = is64_ ? 64 : 52;
        const std::uint64_t symbolSize = is64_ ? 24 : 16;
        const std::uint64_t sectionSize = is64_ ? 64 : 40;
        std::string names(1, '\0');
        std::vector<std::uint64_t> nameOffsets;
        for (const symbolSpec& s : symbols_) {
            nameOffsets.push_back(names.size());
            names += s.name + '\0';
        }
        const std::uint64_t namesAt = headerSize;
        const std::uint64_t symbolsAt = namesAt + names.size();
        const std::uint64_t symbolsSize = symbolSize * (symbols_.size() + 1);
        const std::uint64_t sectionsAt = symbolsAt + symbolsSize;
        std::vector<unsigned char> image(static_cast<std::size_t>(sectionsAt + 3 * sectionSize), 0);

        const unsigned char ident[] = {0x7F,
                                       'E',
                                       'L',
                                       'F',
                                       static_cast<unsigned char>(is64_ ? 2 : 1),
                                       static_cast<unsigned char>(bigEndian_ ? 2 : 1),
                                       1};
        std::copy(std::begin(ident), std::end(ident), image.begin());
        put(image, 16, 2, 3);  // shared object
        put(image, is64_ ? 40 : 32, is64_ ? 8 : 4, sectionsAt);
        put(image, is64_ ? 58 : 46, 2, sectionSize);
        put(image, is64_ ? 60 : 48, 2, 3);
        std::copy(names.begin(), names.end(), image.begin() + static_cast<std::ptrdiff_t>(namesAt));

        for (std::size_t i = 0; i < symbols_.size(); ++i) {
            const symbolSpec& s = symbols_[i];
            const std::uint64_t at = symbolsAt + symbolSize * (i + 1);
            const std::uint64_t info = (s.binding << 4) | s.type;
            put(image, at, 4, nameOffsets[i]);
            put(image, at + (is64_ ? 4 : 12), 1, info);
            put(image, at + (is64_ ? 5 : 13), 1, s.visibility);
            put(image, at + (is64_ ? 6 : 14), 2, s.section);
            put(image, at + (is64_ ? 8 : 4), is64_ ? 8 : 4, s.value);
        }
        section(image, sectionsAt + sectionSize, 3, namesAt, names.size(), 0, 0);
        section(image, sectionsAt + 2 * sectionSize, 11, symbolsAt, symbolsSize, 1, symbolSize);
        return image;
    }

    // Offset of the first symbol's name field, for corrupting it.
    std::uint64_t firstSymbolAt() const
    {
        std::uint64_t names = 1;
        for (const symbolSpec& s : symbols_) {
            names += s.name.size() + 1;
        }
        return (is64_ ? 64 : 52) + names + (is64_ ? 24 : 16);
    }

private:
    void put(std::vector<unsigned char>& image, std::uint64_t at, unsigned width, std::uint64_t value) const
    {
        for (unsigned i = 0; i < width; ++i) {
            const unsigned shift = 8 * (bigEndian_ ? width - 1 - i : i);
            image[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>((value >> shift) & 0xFF);
        }
    }

    void section(std::vector<unsigned char>& image, std::uint64_t at, std::uint64_t type, std::uint64_t offset,
                 std::uint64_t size, std::uint64_t link, std::uint64_t entrySize) const
    {
        put(image, at + 4, 4, type);
        put(image, at + (is64_ ? 24 : 16), is64_ ? 8 : 4, offset);
        put(image, at + (is64_ ? 32 : 20), is64_ ? 8 : 4, size);
        put(image, at + (is64_ ? 40 : 24), 4, link);
        put(image, at + (is64_ ? 56 : 36), is64_ ? 8 : 4, entrySize);
    }

    bool is64_;
    bool bigEndian_;
    std::vector<symbolSpec> symbols_;
};

elfBuilder typicalModule(bool is64, bool bigEndian)
{
    elfBuilder builder(is64, bigEndian);
    builder.add({"load_morv_client_script", bindGlobal, typeFunction, visibilityDefault, sectionText, 0x1000});
    builder.add({"hiddenHelper", bindGlobal, typeFunction, visibilityHidden, sectionText, 0x1100});
    builder.add({"puts", bindGlobal, typeFunction, visibilityDefault, sectionUndefined, 0});
    builder.add({"localThing", bindLocal, typeObject, visibilityDefault, sectionText, 0x1200});
    builder.add({"weakData", bindWeak, typeObject, visibilityDefault, sectionText, 0x1300});
    builder.add({"MODULE_1.0", bindGlobal, typeObject, visibilityDefault, sectionAbsolute, 0});
    return builder;
}

struct imageKind {
    bool is64;
    bool bigEndian;
};

class ElfImage : public testing::TestWithParam<imageKind> {};

TEST_P(ElfImage, ListsOnlyDefinedVisibleGlobalSymbolsAsExported)
{
    const elfSymbolListing listing = readElfSymbols(typicalModule(GetParam().is64, GetParam().bigEndian).build());
    ASSERT_TRUE(listing.ok) << listing.error;
    EXPECT_EQ(listing.symbols.size(), 6u);
    EXPECT_EQ(listing.exportedNames(), (std::vector<std::string>{"load_morv_client_script", "weakData"}));
    EXPECT_TRUE(listing.symbols.front().function);
    EXPECT_TRUE(listing.symbols.front().dynamic);
}

TEST_P(ElfImage, RefusesEveryTruncationWithoutReadingPastIt)
{
    const std::vector<unsigned char> whole = typicalModule(GetParam().is64, GetParam().bigEndian).build();
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::vector<unsigned char> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(readElfSymbols(cut).ok) << "cut to " << size << " bytes";
    }
}

TEST_P(ElfImage, RefusesASymbolNameOutsideItsTable)
{
    const elfBuilder builder = typicalModule(GetParam().is64, GetParam().bigEndian);
    std::vector<unsigned char> image = builder.build();
    const auto at = static_cast<std::size_t>(builder.firstSymbolAt());
    for (std::size_t i = 0; i < 4; ++i) {
        image[at + i] = 0x7F;
    }
    const elfSymbolListing listing = readElfSymbols(image);
    EXPECT_FALSE(listing.ok);
    EXPECT_EQ(listing.error, "a symbol name lies outside its table");
}

INSTANTIATE_TEST_SUITE_P(ClassesAndByteOrders, ElfImage,
                         testing::Values(imageKind{false, false}, imageKind{true, false}, imageKind{false, true},
                                         imageKind{true, true}),
                         [](const testing::TestParamInfo<imageKind>& param) {
                             return std::string(param.param.is64 ? "Elf64" : "Elf32") +
                                    (param.param.bigEndian ? "BigEndian" : "LittleEndian");
                         });

// A 32-bit DLL whose one section (file offset 0x200, address 0x1000) holds
// an export table naming `names`.
std::vector<unsigned char> peWithExports(const std::vector<std::string>& names)
{
    std::vector<unsigned char> image(0x200);
    const auto put = [&image](std::size_t at, std::uint32_t value, unsigned width) {
        image.resize(std::max(image.size(), at + width));
        for (unsigned i = 0; i < width; ++i) {
            image[at + i] = static_cast<unsigned char>(value >> (8 * i));
        }
    };
    put(0, 'M' | ('Z' << 8), 2);
    put(0x3C, 0x40, 4);
    put(0x40, 'P' | ('E' << 8), 4);
    put(0x44, 0x14C, 2);        // i386
    put(0x46, 1, 2);            // one section
    put(0x54, 224, 2);          // optional header
    put(0x56, 0x2102, 2);       // a DLL
    put(0x58, 0x10B, 2);        // PE32
    put(0x58 + 92, 16, 4);      // data directories
    put(0x58 + 96, 0x1000, 4);  // the export table's address
    const std::size_t section = 0x58 + 224;
    const std::size_t namesAt = 0x200 + 40;
    std::size_t textAt = namesAt + 4 * names.size();
    put(0x200 + 24, static_cast<std::uint32_t>(names.size()), 4);
    put(0x200 + 32, static_cast<std::uint32_t>(0x1000 + namesAt - 0x200), 4);
    for (std::size_t i = 0; i < names.size(); ++i) {
        put(namesAt + 4 * i, static_cast<std::uint32_t>(0x1000 + textAt - 0x200), 4);
        for (const char c : names[i] + '\0') {
            put(textAt++, static_cast<unsigned char>(c), 1);
        }
    }
    const auto size = static_cast<std::uint32_t>(image.size() - 0x200);
    put(section + 8, size, 4);
    put(section + 12, 0x1000, 4);
    put(section + 16, size, 4);
    put(section + 20, 0x200, 4);
    return image;
}

std::vector<std::string> exportNamesOf(const std::vector<unsigned char>& image, std::string& why)
{
    std::vector<std::string> names;
    const peImage pe(image.data(), image.size());
    if (!pe.problem().empty()) {
        why = pe.problem();
    } else if (!pe.exportNames(names, why)) {
        names.assign(1, "(refused)");
    }
    return names;
}

TEST(PeExports, ListsTheExportTablesNames)
{
    std::string why;
    const std::vector<std::string> names{"load_morv_client_script", "sound_panel_version"};
    EXPECT_EQ(exportNamesOf(peWithExports(names), why), names) << why;
}

TEST(PeExports, RefusesEveryTruncationWithoutReadingPastIt)
{
    const std::vector<unsigned char> whole = peWithExports({"load_morv_client_script"});
    for (std::size_t size = 0x200; size < whole.size(); ++size) {
        std::string why;
        const std::vector<unsigned char> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(exportNamesOf(cut, why), std::vector<std::string>{"(refused)"}) << "cut to " << size << " bytes";
        EXPECT_NE(why.find("the file is truncated or damaged"), std::string::npos) << why;
    }
}

TEST(PeExports, RefusesANameOutsideItsSection)
{
    std::vector<unsigned char> image = peWithExports({"load_morv_client_script"});
    image[0x200 + 40 + 3] = 0x7F;  // the name's address, far beyond the section
    std::string why;
    EXPECT_EQ(exportNamesOf(image, why), std::vector<std::string>{"(refused)"});
    EXPECT_EQ(why, "the file is truncated or damaged: its export names lie outside the file");
}

TEST(ElfSymbols, RefusesATextFile)
{
    const std::vector<unsigned char> image(100, 'x');
    const elfSymbolListing listing = readElfSymbols(image);
    EXPECT_FALSE(listing.ok);
    EXPECT_EQ(listing.error, "not a shared library: the file does not start like an ELF file");
}

TEST(ElfSymbols, RefusesAMissingFile)
{
    const elfSymbolListing listing = readElfSymbolFile("/nonexistent/module.so");
    EXPECT_FALSE(listing.ok);
    EXPECT_EQ(listing.error, "module /nonexistent/module.so: no such file");
}

#if defined(__linux__)
TEST(ElfSymbols, BuiltModuleWithVersionScriptExportsOnlyItsEntryPoint)
{
    const elfSymbolListing listing = readElfSymbolFile(testModulePaths().at("sound_module"));
    ASSERT_TRUE(listing.ok) << listing.error;
    EXPECT_EQ(listing.exportedNames(), std::vector<std::string>{"load_morv_client_script"});
}

TEST(ElfSymbols, BuiltModuleWithoutVersionScriptShowsItsSecondExport)
{
    const elfSymbolListing listing = readElfSymbolFile(testModulePaths().at("exports_second_symbol"));
    ASSERT_TRUE(listing.ok) << listing.error;
    // Without a version script an instrumented build (coverage) exports its
    // runtime's symbols too; what matters is that the second export shows.
    std::vector<std::string> exported = listing.exportedNames();
    std::sort(exported.begin(), exported.end());
    const std::vector<std::string> wanted{"load_morv_client_script", "sound_panel_version"};
    EXPECT_TRUE(std::includes(exported.begin(), exported.end(), wanted.begin(), wanted.end()))
        << ::testing::PrintToString(exported);
}
#endif

}  // namespace

}  // namespace panel_host
