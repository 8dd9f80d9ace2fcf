// Loading: the file, its entry point, its exports, the script object, and
// many loads in a row.
#include "check_support.h"

#include "elf_symbols.h"
#include "host_session.h"
#include "module_library.h"
#include "script_loader.h"

#include <memory>

namespace panel_host {

namespace {

constexpr std::size_t scriptsAliveAtOnce = 3;

std::string joined(const std::vector<std::string>& names, std::size_t limit)
{
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < limit; ++i) {
        text += (i == 0 ? "" : ", ") + printableText(names[i], 200);
    }
    if (names.size() > limit) {
        text += ", ... (" + std::to_string(names.size() - limit) + " more)";
    }
    return text;
}

// Symbols of the file whose names hold the entry point's name but are not
// it: the entry point declared without extern "C".
std::vector<std::string> decoratedEntries(const std::string& path)
{
    std::vector<std::string> found;
    for (const elfSymbol& symbol : readModuleSymbolFile(path).symbols) {
        if (symbol.name != morvEntryPointName && symbol.name.find(morvEntryPointName) != std::string::npos) {
            found.push_back(symbol.name);
        }
    }
    return found;
}

checkResult checkFileLoads(const checkContext& context)
{
    const std::string& path = context.settings.modulePath;
    context.progress.note("opening " + path);
    moduleLibrary library;
    std::string error;
    if (!library.open(path, error)) {
        return checkResult::failed("cannot load " + path + ": " + printableText(error));
    }
    return checkResult::passed("loaded " + path);
}

checkResult checkEntryPoint(const checkContext& context)
{
    moduleLibrary library;
    std::string error;
    if (!library.open(context.settings.modulePath, error)) {
        return checkResult::failed("cannot load the module: " + printableText(error));
    }
    if (library.symbol(morvEntryPointName, error) != nullptr) {
        return checkResult::passed(std::string(morvEntryPointName) + " resolves by its undecorated name");
    }
    std::string details =
        std::string(morvEntryPointName) + " is not exported under its undecorated name: " + printableText(error);
    const std::vector<std::string> decorated = decoratedEntries(context.settings.modulePath);
    if (!decorated.empty()) {
        details +=
            "\nthe module holds " + joined(decorated, 5) + ": the entry point has C++ linkage; declare it extern \"C\"";
    }
    return checkResult::failed(details);
}

checkResult checkSingleExport(const checkContext& context)
{
    const elfSymbolListing listing = readModuleSymbolFile(context.settings.modulePath);
    if (!listing.ok) {
        return checkResult::skipped("cannot read the module's symbol table: " + listing.error);
    }
    const std::vector<std::string> exported = listing.exportedNames();
    if (exported.size() == 1 && exported.front() == morvEntryPointName) {
        return checkResult::passed(std::string("exports only ") + morvEntryPointName);
    }
    if (exported.empty()) {
        return checkResult::warning(std::string("exports no symbol at all; ") + morvEntryPointName +
                                    " is missing from the dynamic symbol table (the export table of a DLL)");
    }
    std::vector<std::string> others;
    for (const std::string& name : exported) {
        if (name != morvEntryPointName) {
            others.push_back(name);
        }
    }
    return checkResult::warning("exports " + std::to_string(others.size()) + " symbol(s) besides " +
                                morvEntryPointName + ": " + joined(others, 20) +
                                "\nhide them, for example with a linker version script (a .def file for a DLL)");
}

checkResult checkCreatesObject(const checkContext& context)
{
    const recordedRun run = runModule(context.settings, {}, nullptr, context.progress);
    if (!run.loaded) {
        return notCreated(run);
    }
    return passedUnlessDiagnosed(
        run, {},
        "the script was created; its start-up sent " + std::to_string(run.recorder.sends().size()) + " command(s)");
}

checkResult checkRepeatedLoad(const checkContext& context)
{
    const validationSettings& settings = context.settings;
    for (std::size_t cycle = 1; cycle <= settings.loadCycles; ++cycle) {
        const std::string where = "cycle " + std::to_string(cycle) + " of " + std::to_string(settings.loadCycles);
        context.progress.note(where, static_cast<std::int64_t>(cycle));
        // Several scripts of one loaded module, as a host with several
        // panels open has them; destroyed in reverse order.
        std::vector<std::unique_ptr<hostSession>> sessions;
        for (std::size_t k = 1; k <= scriptsAliveAtOnce; ++k) {
            sessions.push_back(std::make_unique<hostSession>(settings.devices));
            const loadOutcome loaded = sessions.back()->load(settings.modulePath, settings.layoutFolder);
            if (!loaded.ok) {
                return checkResult::failed(where + ", script " + std::to_string(k) +
                                           " alive at once: " + printableText(loaded.message));
            }
        }
        while (!sessions.empty()) {
            sessions.pop_back();
        }
    }
    return checkResult::passed(std::to_string(settings.loadCycles) + " cycles of load, create, destroy, unload, " +
                               std::to_string(scriptsAliveAtOnce) + " scripts alive at once in each");
}

}  // namespace

std::vector<checkDefinition> loadingChecks()
{
    return {
        {"loading.file-loads", "the module file loads as a shared library", checkFileLoads, {}, false},
        {"loading.entry-point",
         "load_morv_client_script is exported with C linkage, under its undecorated name",
         checkEntryPoint,
         {"loading.file-loads"},
         false},
        {"loading.single-export",
         "the entry point is the module's only exported symbol (ELF dynamic symbols, a DLL's export table)",
         checkSingleExport,
         {"loading.file-loads"},
         false},
        {"loading.creates-object",
         "the entry point creates a script object for the emulated host",
         checkCreatesObject,
         {"loading.entry-point"},
         false},
        {"loading.repeated-load",
         "load, create, destroy and unload many times; several scripts alive at once",
         checkRepeatedLoad,
         {"loading.creates-object"},
         false},
    };
}

}  // namespace panel_host
