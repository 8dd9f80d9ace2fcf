#include "button_event.h"

#include "input_rules.h"
#include "parsed_message.h"
#include "trace_format.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace panel_host {

bool buttonEvent::operator==(const buttonEvent& other) const
{
    return name == other.name && value == other.value && hasValue == other.hasValue && count == other.count &&
           parts == other.parts;
}

std::size_t buttonEvent::partsCovered(std::int32_t count)
{
    return static_cast<std::size_t>(std::clamp(count, 0, parsedMessage::maxParts));
}

buttonEvent buttonEvent::split(const std::string& text)
{
    const parsedMessage message(text.c_str());
    buttonEvent event;
    event.name = message.name;
    event.value = message.value;
    event.hasValue = message.hasValue ? 1 : 0;
    event.count = message.count;
    for (std::size_t k = 0; k < partsCovered(message.count); ++k) {
        event.parts.emplace_back(message.parts[k]);
    }
    return event;
}

std::optional<std::string> buttonEvent::text() const
{
    if (!name || !value || std::any_of(parts.begin(), parts.end(), [](const auto& part) { return !part; })) {
        return std::nullopt;
    }
    std::string rebuilt = *name;
    for (const auto& part : parts) {
        rebuilt += "." + *part;
    }
    if (hasValue != 0) {
        rebuilt += "=" + *value;
    }
    // A byte of 0 in a field, or a field holding a separator, splits
    // otherwise: only a text whose split is this very event will do.
    if (rebuilt.find('\0') != std::string::npos || split(rebuilt) != *this) {
        return std::nullopt;
    }
    return rebuilt;
}

std::string writtenButtonEvent(const std::optional<buttonEvent>& event, const std::optional<codePage>& page,
                               const char* alsoEscaped)
{
    if (!event) {
        return std::string(traceKey::event) + "=" + traceWord::null;
    }
    const auto key = [](const char* name) { return std::string(name) + "="; };
    std::string out = key(traceKey::name) + quotedTextOrNull(event->name, page, alsoEscaped) + " " +
                      key(traceKey::value) + quotedTextOrNull(event->value, page, alsoEscaped) + " " +
                      key(traceKey::hasValue) + std::to_string(event->hasValue) + " " + key(traceKey::count) +
                      std::to_string(event->count);
    for (const auto& part : event->parts) {
        out += " " + key(traceKey::part) + quotedTextOrNull(part, page, alsoEscaped);
    }
    return out;
}

namespace {

// Reads the fields of writtenButtonEvent() one by one.
class eventFieldReader {
public:
    eventFieldReader(const std::string& line, std::size_t at, std::size_t& problemAt, std::string& problem)
        : line_(line), at_(at), problemAt_(problemAt), problem_(problem)
    {
    }

    bool fail(std::size_t at, std::string reason)
    {
        problemAt_ = at;
        problem_ = std::move(reason);
        return false;
    }
    // "key=" after one blank (none before the first field).
    bool key(const char* name, bool first = false)
    {
        if (!first) {
            if (at_ >= line_.size() || line_[at_] != ' ') {
                return fail(at_, std::string("expected a blank and ") + name + "=");
            }
            ++at_;
        }
        const std::string wanted = std::string(name) + "=";
        if (line_.compare(at_, wanted.size(), wanted) != 0) {
            return fail(at_, "expected " + wanted);
        }
        at_ += wanted.size();
        return true;
    }
    bool text(const char* what, std::optional<std::string>& value)
    {
        std::size_t at = at_;
        std::string problem;
        if (!readQuotedBytesOrNull(line_, at, what, value, problem)) {
            return fail(at, problem);
        }
        at_ = at;
        return true;
    }
    bool number(const char* what, std::int64_t min, std::int64_t max, std::int64_t& value)
    {
        const std::size_t end = std::min(line_.find(' ', at_), line_.size());
        std::string problem;
        if (!readWholeNumber(line_.substr(at_, end - at_), min, max, value, problem)) {
            return fail(at_, std::string(what) + ": " + problem);
        }
        at_ = end;
        return true;
    }
    bool atEnd() const { return at_ >= line_.size(); }
    std::size_t at() const { return at_; }

private:
    const std::string& line_;
    std::size_t at_;
    std::size_t& problemAt_;
    std::string& problem_;
};

}  // namespace

bool readButtonEvent(const std::string& line, std::size_t at, std::optional<buttonEvent>& event, std::size_t& problemAt,
                     std::string& problem)
{
    const std::string nullEvent = std::string(traceKey::event) + "=" + traceWord::null;
    if (line.compare(at, std::string::npos, nullEvent) == 0) {
        event.reset();
        return true;
    }
    eventFieldReader r(line, at, problemAt, problem);
    buttonEvent e;
    std::int64_t hasValue = 0;
    std::int64_t count = 0;
    if (!(r.key(traceKey::name, true) && r.text("the name", e.name) && r.key(traceKey::value) &&
          r.text("the value", e.value) && r.key(traceKey::hasValue) && r.number("has-value", 0, 255, hasValue) &&
          r.key(traceKey::count) &&
          r.number("count", std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                   count))) {
        return false;
    }
    e.hasValue = static_cast<std::uint8_t>(hasValue);
    e.count = static_cast<std::int32_t>(count);
    for (std::size_t k = 0; k < buttonEvent::partsCovered(e.count); ++k) {
        std::optional<std::string> part;
        if (!r.key(traceKey::part) || !r.text("a part", part)) {
            return false;
        }
        e.parts.push_back(std::move(part));
    }
    if (!r.atEnd()) {
        return r.fail(r.at(), "unexpected \"" + excerpt(line.substr(r.at())) + "\" after the " +
                                  std::to_string(e.parts.size()) + " part(s) the count covers");
    }
    event = std::move(e);
    return true;
}

}  // namespace panel_host
