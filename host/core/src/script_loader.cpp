#include "script_loader.h"

#include <exception>

namespace panel_host {

const char* loaderStateName(loaderState state)
{
    switch (state) {
    case loaderState::empty:
        return "empty";
    case loaderState::libraryOpen:
        return "library open";
    case loaderState::entryResolved:
        return "entry resolved";
    case loaderState::scriptCreated:
        return "script created";
    }
    return "unknown";
}

scriptLoader::~scriptLoader()
{
    unload();
}

loadOutcome scriptLoader::load(const std::string& modulePath, script_host* host,
                               const std::optional<std::string>& basePath)
{
    loadOutcome outcome = openLibrary(modulePath);
    if (outcome.ok) {
        outcome = resolveEntry();
    }
    if (outcome.ok) {
        outcome = createScript(host, basePath);
    }
    if (!outcome.ok) {
        unload();
    }
    return outcome;
}

loadOutcome scriptLoader::openLibrary(const std::string& modulePath)
{
    if (state_ != loaderState::empty) {
        return loadOutcome::failure("a module is already loaded: " + library_.path());
    }
    std::string error;
    if (!library_.open(modulePath, error)) {
        return loadOutcome::failure(error);
    }
    state_ = loaderState::libraryOpen;
    return loadOutcome::success();
}

loadOutcome scriptLoader::resolveEntry()
{
    if (state_ != loaderState::libraryOpen) {
        return loadOutcome::failure(std::string("cannot resolve the entry point: loader is ") +
                                    loaderStateName(state_));
    }
    std::string error;
    moduleLibrary::symbolAddress address = library_.symbol(morvEntryPointName, error);
    if (address == nullptr) {
        return loadOutcome::failure(error);
    }
    entry_ = reinterpret_cast<morvEntryPoint>(address);
    state_ = loaderState::entryResolved;
    return loadOutcome::success();
}

loadOutcome scriptLoader::createScript(script_host* host, const std::optional<std::string>& basePath)
{
    if (state_ != loaderState::entryResolved) {
        return loadOutcome::failure(std::string("cannot create the script: loader is ") + loaderStateName(state_));
    }
    morv_client_callback* created = nullptr;
    try {
        created = entry_(host, basePath ? basePath->c_str() : nullptr);
    } catch (const std::exception& e) {
        return loadOutcome::failure(std::string(morvEntryPointName) + " threw an exception: " + e.what());
    } catch (...) {
        return loadOutcome::failure(std::string(morvEntryPointName) + " threw an exception");
    }
    if (created == nullptr) {
        return loadOutcome::failure(std::string(morvEntryPointName) + " returned no script object");
    }
    script_ = created;
    state_ = loaderState::scriptCreated;
    return loadOutcome::success();
}

void scriptLoader::destroyScript()
{
    if (state_ != loaderState::scriptCreated) {
        return;
    }
    morv_client_callback* script = script_;
    script_ = nullptr;
    state_ = loaderState::entryResolved;
    ::destroyScript(script);
}

void scriptLoader::unload()
{
    destroyScript();
    if (state_ == loaderState::entryResolved) {
        entry_ = nullptr;
        state_ = loaderState::libraryOpen;
    }
    if (state_ == loaderState::libraryOpen) {
        library_.close();
        state_ = loaderState::empty;
    }
}

}  // namespace panel_host
