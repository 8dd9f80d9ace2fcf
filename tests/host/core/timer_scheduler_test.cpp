#include "timer_scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

// Takes every tick due by `until` and lists them as "time:id", or
// "time:instance/id" for an instance other than the first.
std::vector<std::string> ticksUntil(timerScheduler& timers, std::int64_t until)
{
    std::vector<std::string> ticks;
    while (const auto tick = timers.takeDueTick(until)) {
        ticks.push_back(std::to_string(timers.now()) + ":" +
                        (tick->instance != 1 ? std::to_string(tick->instance) + "/" : "") + std::to_string(tick->id));
    }
    timers.advanceTo(until);
    return ticks;
}

TEST(TimerScheduler, PeriodicTimerTicksEveryIntervalFromItsStart)
{
    timerScheduler timers;
    timers.start(1, 1, 1000);
    EXPECT_EQ(ticksUntil(timers, 999), std::vector<std::string>{});
    EXPECT_EQ(ticksUntil(timers, 3000), (std::vector<std::string>{"1000:1", "2000:1", "3000:1"}));
    EXPECT_EQ(timers.now(), 3000);
    EXPECT_EQ(timers.nextDue(), 4000);
}

TEST(TimerScheduler, TicksComeInTimeOrderAndEqualTimesByLowestId)
{
    timerScheduler timers;
    timers.start(1, 5, 300);
    timers.start(1, 2, 200);
    EXPECT_EQ(ticksUntil(timers, 600), (std::vector<std::string>{"200:2", "300:5", "400:2", "600:2", "600:5"}));
}

// Each script instance has timers of its own on the one clock: timer 1 of
// one is not timer 1 of another, and stopping all stops one instance's.
TEST(TimerScheduler, InstancesHaveTimersOfTheirOwnOnOneClock)
{
    timerScheduler timers;
    timers.start(2, 1, 300);
    timers.start(1, 1, 200);
    timers.start(1, 4, 300);
    EXPECT_EQ(ticksUntil(timers, 600),
              (std::vector<std::string>{"200:1", "300:4", "300:2/1", "400:1", "600:1", "600:4", "600:2/1"}));
    timers.stopAll(1);
    EXPECT_FALSE(timers.isRunning(1, 1));
    EXPECT_TRUE(timers.isRunning(2, 1));
    EXPECT_FALSE(timers.stop(3, 1));
}

TEST(TimerScheduler, RestartingATimerStartsItsPeriodAnew)
{
    timerScheduler timers;
    timers.start(1, 1, 1000);
    ticksUntil(timers, 700);
    timers.start(1, 1, 1000);
    EXPECT_EQ(ticksUntil(timers, 1700), (std::vector<std::string>{"1700:1"}));
}

TEST(TimerScheduler, StoppingDuringTheTicksOfOneWaitEndsThem)
{
    timerScheduler timers;
    timers.start(1, 1, 100);
    std::vector<std::int32_t> ticks;
    while (const auto tick = timers.takeDueTick(1000)) {
        ticks.push_back(tick->id);
        if (ticks.size() == 3) {
            EXPECT_TRUE(timers.stop(1, 1));
        }
    }
    EXPECT_EQ(ticks.size(), 3u);
    EXPECT_FALSE(timers.stop(1, 1));
}

TEST(TimerScheduler, NonPositiveIntervalStartsNothing)
{
    timerScheduler timers;
    timers.start(1, 1, 0);
    timers.start(1, 2, -10);
    EXPECT_TRUE(timers.running().empty());
    EXPECT_EQ(timers.nextDue(), std::nullopt);
}

TEST(TimerScheduler, AdvancingSkipsTicksNotTakenAndKeepsThePhase)
{
    timerScheduler timers;
    timers.start(1, 1, 1000);
    timers.advanceTo(5500);
    EXPECT_EQ(timers.nextDue(), 6000);
    timers.advanceTo(100);
    EXPECT_EQ(timers.now(), 5500);
}

}  // namespace

}  // namespace panel_host
