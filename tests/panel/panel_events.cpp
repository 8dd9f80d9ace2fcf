#include "panel_events.h"

#include <utility>

buttonEvent::buttonEvent(std::string panel, std::string control, const std::string& eventText)
    : panel_(std::move(panel)), control_(std::move(control)), event_(eventText.c_str()), record_()
{
    record_.reserved0 = nullptr;
    record_.reserved1 = nullptr;
    record_.panel = panel_.c_str();
    record_.control = control_.c_str();
    record_.event = &event_;
}

std::string selectionText(long long value)
{
    return "select=" + std::to_string(value);
}
