// Fuzz target: the module image reader through the check made before a
// module is loaded (ELF and PE) and the validator's export listing.
//
// Properties: nothing is read outside the image (ASan); every refusal is one
// non-empty line; the checks refuse only what lies outside the file or is
// foreign, so an image they accept is still accepted with bytes appended,
// and lists the same symbols then.
#include "elf_symbols.h"
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "module_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {
namespace {

void checkReason(const std::string& problem, const char* property)
{
    fuzzCheck(problem.find('\n') == std::string::npos, property, [&] { return problem; });
}

void checkCheck(std::string (*check)(const std::string&), const std::string& image, const char* property)
{
    const std::string problem = check(image);
    checkReason(problem, "a refused image gets a one-line reason");
    if (problem.empty()) {
        const std::string longer = check(image + std::string(64, '\xA5'));
        fuzzCheck(longer.empty(), property, [&] { return longer; });
    }
}

std::vector<std::string> names(const elfSymbolListing& listing)
{
    std::vector<std::string> all;
    for (const elfSymbol& symbol : listing.symbols) {
        all.push_back(symbol.name + (symbol.exported ? " exported" : ""));
    }
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string image(reinterpret_cast<const char*>(data), size);
    checkCheck(elfImageProblem, image, "an accepted ELF image stays accepted with bytes appended");
    checkCheck(peImageProblem, image, "an accepted PE image stays accepted with bytes appended");

    std::vector<unsigned char> bytes(image.begin(), image.end());
    const elfSymbolListing listing = readElfSymbols(bytes);
    fuzzCheck(listing.ok == listing.error.empty(), "a listing has a reason exactly when it failed");
    checkReason(listing.error, "a failed listing gets a one-line reason");
    if (listing.ok) {
        bytes.resize(bytes.size() + 64, 0xA5);
        const elfSymbolListing longer = readElfSymbols(bytes);
        fuzzCheck(longer.ok && names(longer) == names(listing),
                  "a listed image lists the same symbols with bytes appended", [&] { return longer.error; });
    }
    return 0;
}

}  // namespace panel_host
