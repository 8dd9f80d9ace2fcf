#pragma once

#include "script_boundary.h"

#include <cstdint>
#include <string>

// The entry point of the built panel module, loaded once for the whole test
// program. Null (with a test failure recorded) when the module cannot be
// loaded or does not export it.
morvEntryPoint panelEntryPoint();

// One panel script created through the module's export and driven the way a
// host drives it: records built as a host builds them, handed to notify().
class panelSession {
public:
    // host may be null. The script's start-up commands go to host now.
    panelSession(script_host* host, const char* path);
    // Destroys the script if destroy() has not.
    ~panelSession();
    panelSession(const panelSession&) = delete;
    panelSession& operator=(const panelSession&) = delete;

    // Null when the export gave no script.
    morv_client_callback* script() const { return script_; }

    // A selection of `value` in a list of panel 1.
    void choose(const char* list, long long value);
    // A press of a button of panel 1.
    void press(const char* button);
    // Any button record.
    void button(const char* panel, const char* control, const std::string& eventText);
    void tally(std::int32_t device, std::int32_t index, std::int32_t value, const char* text);
    void tick(std::int32_t timerId);
    // The script's reply to a query; the caller gives a non-null one back.
    const char* query(const char* text);
    // Destroys the script with destroyScript(), as the host does.
    void destroy();

private:
    morv_client_callback* script_ = nullptr;
};
