#include "event_hub.h"

#include "serve_messages.h"
namespace panel_host {

nlohmann::json eventOf(const std::string& name, nlohmann::json data)
{
    return {{"event", name}, {"data", std::move(data)}};
}

std::string eventFrames(const nlohmann::json& events)
{
    return events.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

eventHub::eventHub(std::size_t keptLines) : keptLines_(keptLines) {}

void eventHub::publish(const nlohmann::json& message)
{
    if (!message.is_object()) {
        return;
    }
    if (const auto end = message.find(serveMessage::end); end != message.end() && end->is_object()) {
        publishEnd(end->value("message", std::string()), end->value("failed", true));
        return;
    }
    store(message);
    notifyListener();
}

void eventHub::store(const nlohmann::json& message)
{
    if (const auto lines = message.find(serveMessage::log); lines != message.end() && lines->is_array()) {
        for (const nlohmann::json& line : *lines) {
            log_.emplace_back(++logCount_, line.is_string() ? line.get<std::string>() : line.dump());
        }
        while (log_.size() > keptLines_) {
            log_.pop_front();
        }
    }
    if (const auto state = message.find(serveMessage::state); state != message.end() && state->is_object()) {
        state_ = *state;
        ++stateCount_;
    }
}

void eventHub::publishEnd(const std::string& message, bool failed)
{
    if (end_.is_null()) {
        end_ = {{"message", message}, {"failed", failed}};
    }
    notifyListener();
}

void eventHub::publishNotice(const std::string& message, bool failed, bool reloading)
{
    notice_ = {{"message", message}, {"failed", failed}};
    if (reloading) {
        notice_["reloading"] = true;
    }
    ++noticeCount_;
    notifyListener();
}

void eventHub::setListener(std::function<void()> listener)
{
    listener_ = std::move(listener);
}

void eventHub::notifyListener()
{
    if (listener_) {
        listener_();
    }
}

nlohmann::json eventHub::state() const
{
    return state_;
}

bool eventHub::ended() const
{
    return !end_.is_null();
}

nlohmann::json eventHub::ending() const
{
    return end_;
}

eventHub::cursor eventHub::open()
{
    ++streamsAwaitingEnd_;
    return {};
}

void eventHub::close(const cursor& c)
{
    if (!c.endSeen) {
        --streamsAwaitingEnd_;
    }
}

std::string eventHub::framesFor(cursor& c) const
{
    nlohmann::json events = nlohmann::json::array();
    if (!c.opened) {
        events.push_back(eventOf(serveMessage::reset, nlohmann::json::object()));
        c.opened = true;
    }
    nlohmann::json lines = nlohmann::json::array();
    for (const auto& [number, line] : log_) {
        if (number > c.logSeen) {
            lines.push_back(line);
        }
    }
    c.logSeen = logCount_;
    if (!lines.empty()) {
        events.push_back(eventOf(serveMessage::log, {{"lines", std::move(lines)}}));
    }
    if (stateCount_ > c.stateSeen && !state_.is_null()) {
        events.push_back(eventOf(serveMessage::state, state_));
    }
    c.stateSeen = stateCount_;
    if (noticeCount_ > c.noticeSeen) {
        events.push_back(eventOf(serveMessage::notice, notice_));
    }
    c.noticeSeen = noticeCount_;
    if (!end_.is_null() && !c.endSeen) {
        events.push_back(eventOf(serveMessage::end, end_));
        c.endSeen = true;
    }
    return events.empty() ? std::string() : eventFrames(events);
}

std::string eventHub::nextFrames(cursor& c)
{
    const bool hadEnd = c.endSeen;
    std::string frames = framesFor(c);
    if (c.endSeen && !hadEnd) {
        --streamsAwaitingEnd_;
    }
    return frames;
}

}  // namespace panel_host
