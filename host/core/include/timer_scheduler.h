#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace panel_host {

// The host's periodic timers on a virtual clock in milliseconds. Nothing
// happens by itself: the caller moves the clock and takes the ticks that fell
// due one at a time, so that each tick's handling (which may start or stop
// timers) is done before the next tick is chosen. The interactive front end
// drives it from real time, playback from the scenario's "wait" lines.
//
// One clock serves every script instance of a host; each instance has timers
// of its own, so timer 1 of one instance is not timer 1 of another.
class timerScheduler {
public:
    struct runningTimer {
        std::int32_t id = 0;
        std::int64_t interval = 0;
        std::int64_t nextDue = 0;
        std::int32_t instance = 1;  // the script instance that started it
    };
    // A tick that fell due: which timer of which instance.
    struct dueTick {
        std::int32_t instance = 1;
        std::int32_t id = 0;
    };

    std::int64_t now() const { return now_; }

    // Starts timer `id` of `instance` (restarting it when it runs): it ticks
    // every `interval` ms, the first time `interval` ms from now. interval
    // must be above 0.
    void start(std::int32_t instance, std::int32_t id, std::int64_t interval);
    // Stops timer `id` of `instance`; false when it was not running.
    bool stop(std::int32_t instance, std::int32_t id);
    // Stops every timer of `instance`.
    void stopAll(std::int32_t instance);
    bool isRunning(std::int32_t instance, std::int32_t id) const;
    // Running timers, by instance and id.
    std::vector<runningTimer> running() const;
    // When the next tick falls due, if any timer runs.
    std::optional<std::int64_t> nextDue() const;

    // The earliest tick due at or before `until` (ties: lowest instance, then
    // lowest id): moves the clock to its time, schedules that timer's next
    // tick and returns it. Nothing when no tick is due by then.
    std::optional<dueTick> takeDueTick(std::int64_t until);
    // Moves the clock forward to `time` (never back). Ticks not taken by then
    // are skipped: every timer's next tick moves past `time`.
    void advanceTo(std::int64_t time);

private:
    std::vector<runningTimer> timers_;  // sorted by instance, then id
    std::int64_t now_ = 0;
};

}  // namespace panel_host
