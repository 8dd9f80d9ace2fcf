#include "test_panel.h"

#include <climits>

testPanel::testPanel(script_host* hostObject, const char* path) : morv_script_helper(hostObject, path) {}

testPanel::~testPanel()
{
    if (!closingControl.empty()) {
        controlDisable(morv_string(1, '\0', 0, 10), closingControl.c_str());
    }
}

void testPanel::handle(const std::string& line)
{
    handled.push_back(line);
    if (failInHandlers) {
        const morv_string panel(1, '\0', 0, 10);
        textPut("text", "before", panel, "A");
        textPut("text", morv_string(0, ' ', UINT_MAX, 10), panel, "B");
        textPut("text", "after", panel, "C");
    }
}

void testPanel::onButton(const buttonNotify& button)
{
    handle(std::string("onButton panel=") + button.panel().c_str() + " control=" + button.control().c_str() +
           " event=" + button.eventName().c_str() + " value=" + button.eventValue().c_str());
}

std::int32_t testPanel::onTally(const tallyNotify& tally)
{
    handle("onTally device=" + std::to_string(tally.device()) + " index=" + std::to_string(tally.index()) +
           " value=" + std::to_string(tally.value()) + " text=" + tally.text().c_str());
    return 0;
}

morv_string testPanel::onQuery(const queryNotify& query)
{
    handle(std::string("onQuery name=") + query.name().c_str() + " value=" + query.value().c_str());
    return queryReply;
}

void testPanel::onTimer(std::int32_t timerId)
{
    handle("onTimer " + std::to_string(timerId));
}

buttonPress::buttonPress(const char* panel, const char* control, const char* eventText)
    : event_(eventText), record_{nullptr, nullptr, panel, control, &event_}
{
}
