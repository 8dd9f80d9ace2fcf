#pragma once

#include "host_records.h"
#include "morv_string.h"
#include "parsed_message.h"

#include <stdint.h>

// One-pointer views over what the host passed to notify(). The dispatch
// creates them on its stack and hands them to a handler by reference; they
// are valid only during that handler call. Text accessors return new strings
// that a handler may keep. A null text field reads as the empty text.

// Code notifyButton: a button press or list selection.
class buttonNotify {
public:
    explicit buttonNotify(const hostButtonRecord* record) : record_(record) {}
    morv_string panel() const;       // the panel's number as text
    morv_string control() const;     // the control's name
    morv_string eventName() const;   // the event text's name
    morv_string eventValue() const;  // the event text's value (after the first '=')

private:
    const hostButtonRecord* record_;
};

// Code notifyTally: the value a device reports at one index.
class tallyNotify {
public:
    explicit tallyNotify(const hostTallyRecord* record) : record_(record) {}
    int32_t device() const;
    int32_t index() const;
    int32_t value() const;
    morv_string text() const;  // the text stored inside the record

private:
    const hostTallyRecord* record_;
};

// Code notifyQuery: a query text, split.
class queryNotify {
public:
    explicit queryNotify(const parsedMessage* message) : message_(message) {}
    morv_string name() const;   // the text before the first '.' or '='
    morv_string value() const;  // the text after the first '='

private:
    const parsedMessage* message_;
};

// Codes notifyOther6 and notifyOther7: a host record that no handler of
// this family reads.
class opaqueNotify {
public:
    explicit opaqueNotify(const void* payload) : payload_(payload) {}
    const void* payload() const { return payload_; }

private:
    const void* payload_;
};
