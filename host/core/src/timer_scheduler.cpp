#include "timer_scheduler.h"

#include <algorithm>

namespace panel_host {

namespace {

bool before(const timerScheduler::runningTimer& t, std::int32_t instance, std::int32_t id)
{
    return t.instance < instance || (t.instance == instance && t.id < id);
}

}  // namespace

void timerScheduler::start(std::int32_t instance, std::int32_t id, std::int64_t interval)
{
    if (interval <= 0) {
        return;
    }
    stop(instance, id);
    const runningTimer timer{id, interval, now_ + interval, instance};
    const auto at = std::find_if(timers_.begin(), timers_.end(),
                                 [instance, id](const runningTimer& t) { return !before(t, instance, id); });
    timers_.insert(at, timer);
}

bool timerScheduler::stop(std::int32_t instance, std::int32_t id)
{
    const auto it = std::find_if(timers_.begin(), timers_.end(), [instance, id](const runningTimer& t) {
        return t.instance == instance && t.id == id;
    });
    if (it == timers_.end()) {
        return false;
    }
    timers_.erase(it);
    return true;
}

void timerScheduler::stopAll(std::int32_t instance)
{
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [instance](const runningTimer& t) { return t.instance == instance; }),
                  timers_.end());
}

bool timerScheduler::isRunning(std::int32_t instance, std::int32_t id) const
{
    return std::any_of(timers_.begin(), timers_.end(),
                       [instance, id](const runningTimer& t) { return t.instance == instance && t.id == id; });
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

std::optional<timerScheduler::dueTick> timerScheduler::takeDueTick(std::int64_t until)
{
    // min_element keeps the first of equal elements: the lowest instance and id.
    const auto earliest =
        std::min_element(timers_.begin(), timers_.end(),
                         [](const runningTimer& a, const runningTimer& b) { return a.nextDue < b.nextDue; });
    if (earliest == timers_.end() || earliest->nextDue > until) {
        return std::nullopt;
    }
    now_ = std::max(now_, earliest->nextDue);
    earliest->nextDue += earliest->interval;
    return dueTick{earliest->instance, earliest->id};
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
