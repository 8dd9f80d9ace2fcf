#include "timer_scheduler.h"

#include <algorithm>

namespace panel_host {

void timerScheduler::start(std::int32_t id, std::int64_t interval)
{
    if (interval <= 0) {
        return;
    }
    stop(id);
    const runningTimer timer{id, interval, now_ + interval};
    const auto at = std::lower_bound(timers_.begin(), timers_.end(), id,
                                     [](const runningTimer& t, std::int32_t value) { return t.id < value; });
    timers_.insert(at, timer);
}

bool timerScheduler::stop(std::int32_t id)
{
    const auto it = std::find_if(timers_.begin(), timers_.end(), [id](const runningTimer& t) { return t.id == id; });
    if (it == timers_.end()) {
        return false;
    }
    timers_.erase(it);
    return true;
}

void timerScheduler::stopAll()
{
    timers_.clear();
}

bool timerScheduler::isRunning(std::int32_t id) const
{
    return std::any_of(timers_.begin(), timers_.end(), [id](const runningTimer& t) { return t.id == id; });
}

std::vector<timerScheduler::runningTimer> timerScheduler::running() const
{
    return timers_;
}

std::optional<std::int64_t> timerScheduler::nextDue() const
{
    if (timers_.empty()) {
        return std::nullopt;
    }
    return std::min_element(timers_.begin(), timers_.end(),
                            [](const runningTimer& a, const runningTimer& b) { return a.nextDue < b.nextDue; })
        ->nextDue;
}

std::optional<std::int32_t> timerScheduler::takeDueTick(std::int64_t until)
{
    // min_element keeps the first of equal elements: the lowest id.
    const auto earliest =
        std::min_element(timers_.begin(), timers_.end(),
                         [](const runningTimer& a, const runningTimer& b) { return a.nextDue < b.nextDue; });
    if (earliest == timers_.end() || earliest->nextDue > until) {
        return std::nullopt;
    }
    now_ = std::max(now_, earliest->nextDue);
    earliest->nextDue += earliest->interval;
    return earliest->id;
}

void timerScheduler::advanceTo(std::int64_t time)
{
    if (time <= now_) {
        return;
    }
    now_ = time;
    for (runningTimer& t : timers_) {
        if (t.nextDue <= now_) {
            const std::int64_t missed = (now_ - t.nextDue) / t.interval + 1;
            t.nextDue += missed * t.interval;
        }
    }
}

}  // namespace panel_host
