// The built module shows the host its entry point and nothing else, and
// keeps the framework's signature record in its data.
#include "build_paths.h"
#include "script_boundary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern const char morvFrameworkSignature[];

namespace {

struct dynamicSymbol {
    std::string name;
    std::string type;
};

// The defined symbols of the module's dynamic symbol table, as nm lists them.
std::vector<dynamicSymbol> definedDynamicSymbols(std::string& error)
{
    const std::string command = std::string("'") + buildPaths::nm + "' -D --defined-only --format=posix '" +
                                buildPaths::vantryModule + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        error = "cannot run " + command;
        return {};
    }
    std::string output;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        output += chunk;
    }
    if (pclose(pipe) != 0) {
        error = command + " failed:\n" + output;
        return {};
    }
    std::vector<dynamicSymbol> symbols;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        dynamicSymbol symbol;
        if (fields >> symbol.name >> symbol.type) {
            symbols.push_back(symbol);
        }
    }
    return symbols;
}

TEST(PanelModuleSymbols, ExportsOnlyTheEntryPointAsAFunction)
{
    std::string error;
    const std::vector<dynamicSymbol> symbols = definedDynamicSymbols(error);
    ASSERT_EQ(error, "");
    std::string listing;
    for (const dynamicSymbol& symbol : symbols) {
        listing += symbol.name + " " + symbol.type + "\n";
    }
    ASSERT_EQ(symbols.size(), 1u) << listing;
    EXPECT_EQ(symbols[0].name, morvEntryPointName) << listing;
    EXPECT_EQ(symbols[0].type, "T") << listing;
}

TEST(PanelModuleSymbols, KeepsTheFrameworkSignatureRecordWhole)
{
    std::ifstream file(buildPaths::vantryModule, std::ios::binary);
    ASSERT_TRUE(file) << buildPaths::vantryModule;
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::string record(morvFrameworkSignature, std::char_traits<char>::length(morvFrameworkSignature) + 1);
    EXPECT_EQ(record.rfind("MORV_SIG,name=morv_script_helper,", 0), 0u) << record;
    EXPECT_NE(bytes.find(record), std::string::npos) << "the module lacks " << record.c_str();
}

}  // namespace
