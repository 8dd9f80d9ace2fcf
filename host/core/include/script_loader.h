#pragma once

#include "module_library.h"
#include "script_boundary.h"

#include <optional>
#include <string>

namespace panel_host {

// Where a scriptLoader stands in its chain. Loading walks it upwards one step
// at a time; unloading walks it back down in exactly the reverse order.
enum class loaderState {
    empty,          // nothing loaded
    libraryOpen,    // the module is loaded
    entryResolved,  // its entry point is known
    scriptCreated,  // the entry point returned a script object we own
};

const char* loaderStateName(loaderState state);

// The result of one loading step: ok, or a readable reason why not.
struct loadOutcome {
    bool ok = false;
    std::string message;

    static loadOutcome success() { return {true, {}}; }
    static loadOutcome failure(std::string why) { return {false, std::move(why)}; }
};

// Loads a panel module and creates its script: open the library, resolve
// load_morv_client_script, call it. Each step fails early with a clear message
// and leaves the loader at the last step that succeeded. All calls happen on
// the caller's thread; the loader never calls into the module on its own.
class scriptLoader {
public:
    scriptLoader() = default;
    // Unloads whatever is still loaded.
    ~scriptLoader();
    scriptLoader(const scriptLoader&) = delete;
    scriptLoader& operator=(const scriptLoader&) = delete;

    // The whole chain: open, resolve, create. On failure everything done so
    // far is undone, so the loader is empty again.
    loadOutcome load(const std::string& modulePath, script_host* host, const std::optional<std::string>& basePath);

    // The steps one by one, for tools that check each on its own. Each needs
    // the state the step before it leaves.
    loadOutcome openLibrary(const std::string& modulePath);
    loadOutcome resolveEntry();
    // Calls the entry point with host and basePath (either may be null). The script
    // sends its start-up commands to host during this call.
    loadOutcome createScript(script_host* host, const std::optional<std::string>& basePath);

    // Deletes the script through its virtual destructor (it may send commands
    // to its host then), forgets the entry point, unloads the library: the
    // reverse of loading, from whatever state the loader is in.
    void unload();
    // Only the first step of unload(): the library stays loaded.
    void destroyScript();

    loaderState state() const { return state_; }
    // The script object, owned by the loader; null unless scriptCreated.
    morv_client_callback* script() const { return script_; }
    const std::string& modulePath() const { return library_.path(); }

private:
    moduleLibrary library_;
    morvEntryPoint entry_ = nullptr;
    morv_client_callback* script_ = nullptr;
    loaderState state_ = loaderState::empty;
};

}  // namespace panel_host
