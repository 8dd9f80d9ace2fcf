#pragma once

#include "host_records.h"
#include "parsed_message.h"

#include <string>

// A button record as a host builds one: the panel and control texts and the
// event text split into a parsedMessage. Valid while this object lives.
class buttonEvent {
public:
    buttonEvent(std::string panel, std::string control, const std::string& eventText);
    buttonEvent(const buttonEvent&) = delete;
    buttonEvent& operator=(const buttonEvent&) = delete;

    hostButtonRecord* record() { return &record_; }

private:
    std::string panel_;
    std::string control_;
    parsedMessage event_;
    hostButtonRecord record_;
};

// The event text of a list selection: "select=<value>".
std::string selectionText(long long value);
