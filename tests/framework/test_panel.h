#pragma once

#include "host_records.h"
#include "morv_script_helper.h"
#include "parsed_message.h"

#include <cstdint>
#include <string>
#include <vector>

// The number of the first panel, as the commands carry it.
inline const morv_string one("1");

// A panel script for framework tests. It records every handler call as one
// line, answers queries with a preset text, can fail an operation, and
// exposes the framework's protected fields. onNotify6 and onNotify7 keep the
// framework's defaults.
class testPanel : public morv_script_helper {
public:
    // host may be null.
    explicit testPanel(script_host* hostObject, const char* path = "");
    ~testPanel() override;
    testPanel(const testPanel&) = delete;
    testPanel& operator=(const testPanel&) = delete;

    using morv_script_helper::alarmHandling;
    using morv_script_helper::basePath;

    // Handler calls in order, for example "onTimer 1".
    std::vector<std::string> handled;
    // What onQuery returns.
    morv_string queryReply;
    // Every handler, after recording its call, puts "before" into control
    // "A", then a text too long to be made into "B", then "after" into "C".
    bool failInHandlers = false;
    // When not empty, the destructor disables this control on panel "1".
    std::string closingControl;

    // Records "onButton panel=P control=C event=N value=V".
    void onButton(const buttonNotify& button) override;
    // Records "onTally device=D index=I value=V text=T".
    std::int32_t onTally(const tallyNotify& tally) override;
    // Records "onQuery name=N value=V".
    morv_string onQuery(const queryNotify& query) override;
    // Records "onTimer ID".
    void onTimer(std::int32_t timerId) override;

private:
    void handle(const std::string& line);
};

// A host button record with its event message, filled in as a host does.
class buttonPress {
public:
    // panel and control may be null (a host that leaves the fields unset).
    buttonPress(const char* panel, const char* control, const char* eventText);
    buttonPress(const buttonPress&) = delete;
    buttonPress& operator=(const buttonPress&) = delete;

    // The pointer to hand to notify with notifyButton.
    void* payload() { return &record_; }
    const hostButtonRecord* record() const { return &record_; }

private:
    parsedMessage event_;
    hostButtonRecord record_;
};
