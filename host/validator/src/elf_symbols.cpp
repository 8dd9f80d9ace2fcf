#include "elf_symbols.h"

#include "input_rules.h"
#include "module_image_reader.h"

#include <cstdint>

namespace panel_host {

namespace {

constexpr std::uint64_t undefinedSection = 0;
constexpr std::uint64_t absoluteSection = 0xFFF1;
constexpr unsigned bindGlobal = 1;
constexpr unsigned bindWeak = 2;
constexpr unsigned bindUnique = 10;
constexpr unsigned typeObject = 1;
constexpr unsigned typeFunction = 2;
constexpr unsigned visibilityHidden = 2;
constexpr unsigned visibilityInternal = 1;
// Debug builds of a module can be large; the loader's own check stops at 64 MB.
constexpr std::uint64_t maxFileSize = 512ULL * 1024 * 1024;

elfSymbol interpreted(elfSymbolEntry entry, bool dynamic)
{
    elfSymbol symbol;
    symbol.dynamic = dynamic;
    symbol.defined = entry.sectionIndex != undefinedSection;
    symbol.function = entry.type == typeFunction;
    const bool versionMarker = entry.sectionIndex == absoluteSection && entry.type == typeObject && entry.value == 0;
    symbol.exported = dynamic && symbol.defined && !versionMarker && !entry.name.empty() &&
                      (entry.binding == bindGlobal || entry.binding == bindWeak || entry.binding == bindUnique) &&
                      entry.visibility != visibilityHidden && entry.visibility != visibilityInternal;
    symbol.name = std::move(entry.name);
    return symbol;
}

elfSymbolListing listSymbols(const unsigned char* data, std::size_t size)
{
    elfSymbolListing listing;
    const elfImage image(data, size);
    std::vector<elfSection> sections;
    if (!image.problem().empty()) {
        listing.error = image.problem();
        return listing;
    }
    if (!image.sections(sections, listing.error)) {
        return listing;
    }
    if (sections.empty()) {
        listing.error = "the file has no section headers";
        return listing;
    }
    for (const elfSection& table : sections) {
        if (table.type != elfDynamicSymbolTable && table.type != elfSymbolTable) {
            continue;
        }
        std::vector<elfSymbolEntry> entries;
        if (!image.symbols(sections, table, entries, listing.error)) {
            listing.symbols.clear();
            return listing;
        }
        for (elfSymbolEntry& entry : entries) {
            listing.symbols.push_back(interpreted(std::move(entry), table.type == elfDynamicSymbolTable));
        }
    }
    listing.ok = true;
    return listing;
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
    return listSymbols(image.data(), image.size());
}

elfSymbolListing readElfSymbolFile(const std::string& path)
{
    const inputFile file = readInputFile(path, "module", maxFileSize);
    if (!file.ok) {
        elfSymbolListing listing;
        listing.error = file.error;
        return listing;
    }
    return listSymbols(imageData(file.text), file.text.size());
}

elfSymbolListing readModuleSymbolFile(const std::string& path)
{
    const inputFile file = readInputFile(path, "module", maxFileSize);
    elfSymbolListing listing;
    if (!file.ok) {
        listing.error = file.error;
        return listing;
    }
    const peImage image(imageData(file.text), file.text.size());
    if (!image.problem().empty()) {
        return listSymbols(imageData(file.text), file.text.size());
    }
    std::vector<std::string> names;
    listing.ok = image.exportNames(names, listing.error);
    for (std::string& name : names) {
        elfSymbol symbol;
        symbol.name = std::move(name);
        symbol.dynamic = symbol.defined = symbol.exported = true;
        listing.symbols.push_back(std::move(symbol));
    }
    return listing;
}

}  // namespace panel_host
