#pragma once

#include "recording_host.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The routing panel's invariants, checked from the outside: a small model of
// what the operator has chosen (fed with the events delivered) against what
// the panel's command stream to the host shows. Every failed check aborts
// through fuzzCheck with the whole command stream so far.
class panelStreamChecks {
public:
    explicit panelStreamChecks(const recordingHost& host) : host_(host) {}

    // Events as delivered. Each reads the commands the panel sent for the
    // event and checks them; the event's own arguments are what the host
    // record held.
    void afterStartUp();
    void afterButton(const char* panel, const char* control, const char* eventValue);
    void afterTimer(std::int32_t timerId);
    // Any other notification: the stream rules must still hold.
    void afterOther(const char* what);
    // After the script was deleted: exactly one "AS", and it came last.
    void afterDestruction();

    // Every call so far, one per line; long texts shortened.
    std::string transcript() const;
    // The router's device number as the panel registered it, or 0.
    std::int32_t routerDevice() const { return routerDevice_; }

private:
    struct newCommands {
        int commands = 0;
        int crosspoints = 0;  // "RC" among them
    };
    // Reads the calls made since the last event and applies them to what the
    // stream shows.
    newCommands readNewCommands(const char* event);
    void readCommand(const std::string& text);
    void checkArming(const char* event) const;
    void fail(const char* property, const char* event) const;

    const recordingHost& host_;
    std::size_t read_ = 0;

    // What the command stream shows.
    bool takeEnabled_ = false;   // last of "CE"/"CD" for "Take" was "CE"
    bool timerRunning_ = false;  // timer 1 started and not stopped since
    bool stopped_ = false;       // "AS" seen
    std::int32_t routerDevice_ = 0;
    int ticksSinceArming_ = 0;
    std::string lastCrosspoint_;

    // The operator's choice, as the events delivered make it.
    bool sourceChosen_ = false;
    bool destinationChosen_ = false;
    std::int32_t selectedSource_ = -1;
    std::int32_t selectedDestination_ = -1;
};
