#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>

namespace panel_host {

// What every open page shows, and the events that keep pages in step: the
// session's latest state, its log (the last `keptLines` lines) and its end.
// The session relay publishes; each page's event stream takes the events
// it has not seen yet. On serve's one thread.
class eventHub {
public:
    // Where one event stream is: what it has been sent so far.
    struct cursor {
        bool opened = false;
        std::uint64_t logSeen = 0;
        std::uint64_t stateSeen = 0;
        std::uint64_t noticeSeen = 0;
        bool endSeen = false;
    };

    explicit eventHub(std::size_t keptLines = 5000);

    // A message of the session worker: {"log": [...]}, {"state": {...}} or
    // {"end": {"message", "failed"}}; anything else is ignored.
    void publish(const nlohmann::json& message);
    void publishEnd(const std::string& message, bool failed);
    // A note the pages show until the next one while the session goes on
    // (the module was reloaded, or could not be); failed: it is an error.
    // reloading: a reload has begun, and the pages keep showing what they
    // show (a broken session stays broken) until the next notice.
    void publishNotice(const std::string& message, bool failed, bool reloading = false);
    // Called after every publish, so that the streams learn of news; an
    // empty function removes it.
    void setListener(std::function<void()> listener);

    // The latest state; null before the first.
    nlohmann::json state() const;
    bool ended() const;
    // {"message", "failed"} once the session is over; null before.
    nlohmann::json ending() const;

    // Registers an event stream; every stream opened must be closed.
    cursor open();
    void close(const cursor& c);
    // The events `c` has not been sent, as one JSON array of
    // {"event": NAME, "data": ...}: first "reset", the kept log, the state
    // and the latest notice; then what is new; "end" once the session is
    // over. Empty when there is nothing new.
    std::string nextFrames(cursor& c);
    // Whether every open stream has been sent the end.
    bool endDelivered() const { return streamsAwaitingEnd_ == 0; }

private:
    void store(const nlohmann::json& message);
    std::string framesFor(cursor& c) const;
    void notifyListener();

    std::size_t keptLines_;
    std::deque<std::pair<std::uint64_t, std::string>> log_;  // (number from 1, line)
    std::uint64_t logCount_ = 0;
    nlohmann::json state_;
    std::uint64_t stateCount_ = 0;
    nlohmann::json notice_;
    std::uint64_t noticeCount_ = 0;
    nlohmann::json end_;  // null while the session runs
    std::size_t streamsAwaitingEnd_ = 0;
    std::function<void()> listener_;
};

// Events as the page reads them: [{"event": NAME, "data": DATA}, ...].
std::string eventFrames(const nlohmann::json& events);
nlohmann::json eventOf(const std::string& name, nlohmann::json data);

}  // namespace panel_host
