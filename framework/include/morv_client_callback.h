#pragma once

#include <cstdint>

// The object through which the host holds a script. The host creates it with
// load_morv_client_script, calls notify() on its own thread one call at a
// time, and destroys it by deleting it through this type.
class morv_client_callback {
public:
    morv_client_callback() = default;
    morv_client_callback(const morv_client_callback&) = delete;
    morv_client_callback& operator=(const morv_client_callback&) = delete;
    virtual ~morv_client_callback() = default;

    // payload: one pointer-sized value whose meaning depends on `code`
    // (see notify_codes.h). Returns null, or for notifyQuery a text allocated
    // with the global allocator that the host owns until it hands it back
    // with notifyRelease. Never throws.
    virtual const char* notify(void* payload, std::int32_t code) = 0;
};
