#pragma once

#include "parsed_message.h"

#include <stdint.h>

// Records the host fills in and passes to notify(). The script reads them in
// place during one handler call and never writes them.

// Payload of notifyButton.
struct hostButtonRecord {
    const void* reserved0;       // not read by scripts
    const void* reserved1;       // not read by scripts
    const char* panel;           // decimal number of the panel that raised the event
    const char* control;         // name of the control that raised the event
    const parsedMessage* event;  // the event text, split
};

// Payload of notifyTally: this header, then the NUL-terminated text stored in
// the record itself (not behind a pointer) from offset 16 on. The capacity of
// the text is the host's choice.
struct hostTallyRecord {
    int32_t device;    // device number
    int32_t reserved;  // not read by scripts
    int32_t index;     // index within the device (a router's destination)
    int32_t value;     // value at the index (the source routed there)

    // The inline text that follows the header.
    const char* text() const { return reinterpret_cast<const char*>(this + 1); }
};

static_assert(sizeof(hostTallyRecord) == 16, "the inline tally text starts at offset 16");

#if UINTPTR_MAX == 0xFFFFFFFFu
#include <stddef.h>
// The 32-bit layouts the host uses.
static_assert(offsetof(hostButtonRecord, panel) == 8, "button record layout");
static_assert(offsetof(hostButtonRecord, control) == 12, "button record layout");
static_assert(offsetof(hostButtonRecord, event) == 16, "button record layout");
static_assert(offsetof(hostTallyRecord, device) == 0, "tally record layout");
static_assert(offsetof(hostTallyRecord, index) == 8, "tally record layout");
static_assert(offsetof(hostTallyRecord, value) == 12, "tally record layout");
#endif
