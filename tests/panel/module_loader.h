#pragma once

#include <string>

// Loads a shared library the way a host does (dlopen / LoadLibrary) and
// resolves symbols from it by name. Unloads it on destruction.
class moduleLoader {
public:
    explicit moduleLoader(const std::string& file);
    ~moduleLoader();
    moduleLoader(const moduleLoader&) = delete;
    moduleLoader& operator=(const moduleLoader&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // Why loading or the last lookup failed; empty when nothing failed.
    const std::string& error() const { return error_; }
    // The address of an exported symbol, or null.
    void* symbol(const char* name);

private:
    void* handle_ = nullptr;
    std::string error_;
};
