#pragma once

#include <string>
#include <vector>

namespace panel_host {

// One symbol of an ELF symbol table.
struct elfSymbol {
    std::string name;
    bool dynamic = false;   // from the dynamic symbol table (else the static one)
    bool defined = false;   // defined in this file (not an import)
    bool function = false;  // a function (STT_FUNC)
    // Dynamic, defined, global or weak, visible to other modules: what the
    // loader can resolve by name. Version-name markers do not count.
    bool exported = false;
};

struct elfSymbolListing {
    bool ok = false;
    std::string error;  // when !ok: why the image was not read
    std::vector<elfSymbol> symbols;

    std::vector<std::string> exportedNames() const;
};

// Reads the dynamic and static symbol tables of an ELF image (32- or 64-bit,
// either byte order) held in memory through the host's module image reader:
// a truncated or malformed image gives !ok with a reason, never a read out of
// bounds.
elfSymbolListing readElfSymbols(const std::vector<unsigned char>& image);
// The same for a file; files above 512 MiB are refused.
elfSymbolListing readElfSymbolFile(const std::string& path);

// The symbols a module file shows another program: an ELF image's, or the
// names of a PE DLL's export table (each defined and exported).
elfSymbolListing readModuleSymbolFile(const std::string& path);

}  // namespace panel_host
