#pragma once

#include <cstdint>

// The panel host's object, as a panel script sees it. The host implements it;
// the script receives it in load_morv_client_script and keeps it until the
// script is destroyed.
class script_host {
public:
    // First virtual table entry. Scripts never call it; it is an ordinary
    // function, not a destructor, so that send() is always the second entry.
    virtual void reserved() = 0;

    // Called by the script on the host's thread, synchronously.
    // text: NUL-terminated 8-bit text, valid only during the call.
    // code sendExecute (0): executes the command `text`; returns the host's
    //   reply, owned by the host until given back with sendRelease, or null.
    // code sendRelease (5): gives back a reply an earlier sendExecute returned;
    //   `text` is that pointer and may be null. The result is ignored.
    // Scripts send no other code.
    virtual const char* send(const char* text, std::int32_t code) = 0;

protected:
    // The host owns and destroys its object; scripts never delete it.
    ~script_host() = default;
};
