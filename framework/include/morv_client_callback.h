#pragma once

#include "boundary_abi.h"

#include <stdint.h>

// The object through which the host holds a script. The host creates it with
// load_morv_client_script, calls notify() on its own thread one call at a
// time, and destroys it through the first table entry: the virtual destructor
// (the scalar deleting destructor of the Microsoft ABI). Host code of our own
// destroys a script only with destroyScript() below.
class morv_client_callback {
public:
    morv_client_callback() = default;
    morv_client_callback(const morv_client_callback&) = delete;
    morv_client_callback& operator=(const morv_client_callback&) = delete;

#if MORV_EMULATED_DELETING_DESTRUCTOR
    // Table entry 0 as a Microsoft-built host calls it: runs the destructors
    // of the most-derived class down to this one, frees the memory with the
    // deallocator matching its allocation when bit 0 of `flags` is set
    // (other bits are ignored) and returns this. Not `final`: then the compiler would call
    // this body directly instead of entry 0, and a script built natively in
    // the Microsoft ABI has its own entry 0 there.
    virtual void* MORV_BOUNDARY_CALL scalarDeletingDestructor(unsigned int flags)
    {
        if ((flags & 1u) != 0u) {
            delete this;
        } else {
            this->~morv_client_callback();
        }
        return this;
    }
#else
protected:
    virtual ~morv_client_callback() = default;

public:
#endif

    // Table entry 1. payload: one pointer-sized value whose meaning depends
    // on `code` (see notify_codes.h). Returns null, or for notifyQuery a text
    // allocated by the module (malloc) that the host owns until it hands
    // it back with notifyRelease. Never throws.
    virtual const char* MORV_BOUNDARY_CALL notify(void* payload, int32_t code) = 0;

protected:
#if MORV_EMULATED_DELETING_DESTRUCTOR
    // Here the compiler's own destructor entries come after notify, where
    // no host looks; scalarDeletingDestructor calls them.
    virtual ~morv_client_callback() = default;
#endif

    friend void destroyScript(morv_client_callback* script) noexcept;
};

// Destroys a script the way the host does: the whole destructor chain of the
// most-derived class, then the memory. Nothing when script is null. The one
// way our host, validator, tests and fuzz targets end a script's life.
inline void destroyScript(morv_client_callback* script) noexcept
{
    if (script == nullptr) {
        return;
    }
#if MORV_EMULATED_DELETING_DESTRUCTOR
    script->scalarDeletingDestructor(1u);
#else
    delete script;
#endif
}
