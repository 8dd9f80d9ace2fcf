#pragma once

#include <string>

namespace panel_host {

// One loaded shared library (dlopen on POSIX, LoadLibrary on Windows): the
// host's only platform seam for loading modules. Move-only; closes the library
// when destroyed. Not thread-safe; the host uses it from one thread.
class moduleLibrary {
public:
    // Any function address, as the seam hands it out; callers cast it to the
    // function type they know the symbol has.
    using symbolAddress = void (*)();

    moduleLibrary() = default;
    ~moduleLibrary();
    moduleLibrary(moduleLibrary&& other) noexcept;
    moduleLibrary& operator=(moduleLibrary&& other) noexcept;
    moduleLibrary(const moduleLibrary&) = delete;
    moduleLibrary& operator=(const moduleLibrary&) = delete;

    // Opens the library at `path`, closing one this object already held.
    // False with a readable `error` when the file is missing or the system
    // refuses to load it.
    bool open(const std::string& path, std::string& error);

    // The address of the exported function `name`, or null with `error` set
    // when the library is not open or does not export it.
    symbolAddress symbol(const char* name, std::string& error) const;

    // Unloads the library; nothing when none is open. Every pointer into it
    // is invalid afterwards.
    void close();

    bool isOpen() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }

private:
    void* handle_ = nullptr;
    std::string path_;
};

}  // namespace panel_host
