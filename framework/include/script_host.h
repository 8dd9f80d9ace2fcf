#pragma once

#include "boundary_abi.h"

#include <stdint.h>

// The panel host's object, as a panel script sees it. The host implements it;
// the script receives it in load_morv_client_script and keeps it until the
// script is destroyed.
class script_host {
public:
    // Table entry 0. Scripts never call it; it is an ordinary function, not
    // a destructor, so that send() is table entry 1 under every ABI.
    virtual void MORV_BOUNDARY_CALL reserved() = 0;

    // Table entry 1. Called by the script on the host's thread, synchronously.
    // text: NUL-terminated 8-bit text, valid only during the call.
    // code sendExecute (0): executes the command `text`; returns the host's
    //   reply, owned by the host until given back with sendRelease, or null.
    // code sendRelease (5): gives back a reply an earlier sendExecute returned;
    //   `text` is that pointer and may be null. The result is ignored.
    // Scripts send no other code.
    virtual const char* MORV_BOUNDARY_CALL send(const char* text, int32_t code) = 0;

protected:
    // The host owns and destroys its object; scripts never delete it.
    ~script_host() = default;
};
