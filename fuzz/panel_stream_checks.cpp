#include "panel_stream_checks.h"

#include "fuzz_check.h"
#include "fuzz_text.h"
#include "morv_string.h"
#include "notify_codes.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr std::int32_t flashTimer = 1;
constexpr int flashTicks = 10;
const std::string enableTake = "CE '1' 'Take'";
const std::string disableTake = "CD '1' 'Take'";

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool isKnownCommand(const std::string& text)
{
    static const char* const codes[] = {"PS", "TP", "TG", "CE", "CD", "XI", "SD", "RC", "RN", "RR", "RP", "ET", "AS"};
    for (const char* code : codes) {
        if (startsWith(text, code) && (text.size() == 2 || text[2] == ' ')) {
            return true;
        }
    }
    return false;
}

// The decimal numbers of a command text after its code: "ET 1 1000" gives
// 1 and 1000. Stops at the first field that is not a plain number.
std::vector<long> numbersOf(const std::string& text)
{
    std::vector<long> numbers;
    const char* cursor = text.c_str() + 2;
    while (*cursor == ' ') {
        char* end = nullptr;
        const long number = std::strtol(cursor + 1, &end, 10);
        if (end == cursor + 1) {
            break;
        }
        numbers.push_back(number);
        cursor = end;
    }
    return numbers;
}

}  // namespace

std::string panelStreamChecks::transcript() const
{
    std::string lines;
    for (const recordingHost::call& call : host_.calls()) {
        // Long texts are shortened: the start says which command it was.
        const std::string shown = call.text.size() > 160 ? call.text.substr(0, 160) + "..." : call.text;
        const std::string code = call.code == sendExecute ? "" : "(code " + std::to_string(call.code) + ") ";
        lines += "  " + code + printable(shown) + "\n";
    }
    return lines;
}

void panelStreamChecks::fail(const char* property, const char* event) const
{
    fuzzFailure(property, std::string("after ") + event + ", the calls so far:\n" + transcript());
}

void panelStreamChecks::readCommand(const std::string& text)
{
    if (stopped_) {
        fail("no command follows \"AS\"", text.c_str());
    }
    if (!isKnownCommand(text)) {
        fail("every command starts with a known code", text.c_str());
    }
    if (text == "AS") {
        stopped_ = true;
    } else if (text == enableTake) {
        takeEnabled_ = true;
    } else if (text == disableTake) {
        takeEnabled_ = false;
    } else if (startsWith(text, "ET ")) {
        const std::vector<long> numbers = numbersOf(text);
        if (numbers.empty() || numbers[0] != flashTimer) {
            return;
        }
        const bool start = numbers.size() > 1;
        if (start) {
            if (timerRunning_) {
                fail("timer 1 is not started again while it runs", text.c_str());
            }
            ticksSinceArming_ = 0;
        }
        timerRunning_ = start;
    } else if (startsWith(text, "RR ")) {
        const std::vector<long> numbers = numbersOf(text);
        routerDevice_ = numbers.empty() ? 0 : static_cast<std::int32_t>(numbers[0]);
    } else if (startsWith(text, "RC ")) {
        lastCrosspoint_ = text;
    }
}

panelStreamChecks::newCommands panelStreamChecks::readNewCommands(const char* event)
{
    newCommands seen;
    const std::vector<recordingHost::call>& calls = host_.calls();
    for (; read_ < calls.size(); ++read_) {
        const recordingHost::call& call = calls[read_];
        if (call.code != sendExecute) {
            continue;
        }
        ++seen.commands;
        if (startsWith(call.text, "RC ")) {
            ++seen.crosspoints;
        }
        readCommand(call.text);
    }
    if (stopped_) {
        fail("\"AS\" is sent only when the script is destroyed", event);
    }
    return seen;
}

void panelStreamChecks::checkArming(const char* event) const
{
    if (takeEnabled_ && !(sourceChosen_ && destinationChosen_)) {
        fail("\"Take\" is enabled only while a source and a destination are chosen", event);
    }
    if (timerRunning_ != takeEnabled_) {
        fail("timer 1 runs exactly while \"Take\" is armed", event);
    }
}

void panelStreamChecks::afterStartUp()
{
    readNewCommands("start-up");
    checkArming("start-up");
}

void panelStreamChecks::afterButton(const char* panel, const char* control, const char* eventValue)
{
    const newCommands seen = readNewCommands("a button event");
    const std::string name = control != nullptr ? control : "";
    const std::string event = "a button event of control [" + printable(name) + "] with value [" +
                              printable(eventValue != nullptr ? eventValue : "") + "]";
    const bool known = name == "Sources" || name == "Destinations" || name == "Take" || name == "Clear";
    if (!(morv_string(panel) == 1) || !known) {
        if (seen.commands != 0) {
            fail("an event of another panel or control sends nothing", event.c_str());
        }
        checkArming(event.c_str());
        return;
    }
    if (name == "Sources" || name == "Destinations") {
        const std::int32_t value = morv_string(eventValue).toInt();
        (name == "Sources" ? selectedSource_ : selectedDestination_) = value;
        (name == "Sources" ? sourceChosen_ : destinationChosen_) = value != -1;
        if (seen.crosspoints != 0) {
            fail("a list choice routes nothing", event.c_str());
        }
        if (sourceChosen_ && destinationChosen_ && !takeEnabled_) {
            fail("a choice that leaves a source and a destination chosen arms \"Take\"", event.c_str());
        }
    } else {
        const bool routes = name == "Take" && selectedSource_ >= 1 && selectedDestination_ >= 1;
        const std::string wanted = "RC " + std::to_string(routerDevice_) + " " + std::to_string(selectedSource_) + " " +
                                   std::to_string(selectedDestination_) + " ',' 0";
        if (seen.crosspoints != (routes ? 1 : 0) || (routes && lastCrosspoint_ != wanted)) {
            fail(routes ? "\"Take\" routes the chosen source to the chosen destination once"
                        : "only \"Take\" with a source and a destination from 1 up routes",
                 event.c_str());
        }
        if (routes || name == "Clear") {
            sourceChosen_ = destinationChosen_ = false;
            selectedSource_ = selectedDestination_ = 0;
        }
        if (takeEnabled_) {
            fail("\"Take\" and \"Clear\" disarm \"Take\"", event.c_str());
        }
    }
    checkArming(event.c_str());
}

void panelStreamChecks::afterTimer(std::int32_t timerId)
{
    const bool wasArmed = takeEnabled_;
    const std::size_t first = read_;
    const newCommands seen = readNewCommands("a timer tick");
    const std::string event = "a tick of timer " + std::to_string(timerId);
    if (timerId != flashTimer) {
        if (seen.commands != 1 || host_.calls()[first].text != "ET " + std::to_string(timerId)) {
            fail("a tick of another timer only stops that timer", event.c_str());
        }
    } else if (wasArmed) {
        ++ticksSinceArming_;
        if (takeEnabled_ != (ticksSinceArming_ < flashTicks)) {
            fail("the flash of \"Take\" lasts ten ticks of timer 1", event.c_str());
        }
    }
    checkArming(event.c_str());
}

void panelStreamChecks::afterOther(const char* what)
{
    const newCommands seen = readNewCommands(what);
    if (seen.crosspoints != 0) {
        fail("only \"Take\" routes", what);
    }
    checkArming(what);
}

void panelStreamChecks::afterDestruction()
{
    const std::vector<recordingHost::call>& calls = host_.calls();
    if (read_ + 1 != calls.size() || calls.back().code != sendExecute || calls.back().text != "AS") {
        fail("destruction sends exactly one \"AS\" and nothing else", "destruction");
    }
    read_ = calls.size();
    const std::vector<std::string> problems = host_.replyProblems();
    if (!problems.empty()) {
        fail(("every reading reply is given back once, and no other: " + joinLines(problems)).c_str(), "destruction");
    }
}
