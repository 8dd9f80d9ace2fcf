// Random event sequences are a pure function of their seed and vocabulary,
// reproducible on every platform, prefix-stable, and reach every kind of
// event the robustness check promises.
#include "build_paths.h"
#include "event_generator.h"
#include "router_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace panel_host {

namespace {

std::vector<std::string> described(const std::vector<hostEvent>& events)
{
    std::vector<std::string> lines;
    for (const hostEvent& e : events) {
        lines.push_back(e.describe());
    }
    return lines;
}

const eventVocabulary& vocabulary()
{
    static const eventVocabulary v = buildVocabulary(buildPaths::layouts, defaultRouterDevices());
    return v;
}

TEST(SeededRandom, GivesTheReferenceSplitmixNumbers)
{
    seededRandom random(0);
    EXPECT_EQ(random.next(), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(random.next(), 0x6E789E6AA1B965F4ULL);
    EXPECT_EQ(random.next(), 0x06C45D188009454FULL);
}

TEST(SeededRandom, DrawsStayWithinTheirBoundsAndReachBothEnds)
{
    struct range {
        std::int32_t low;
        std::int32_t high;
    };
    const range ranges[] = {{0, 0},
                            {-1, 1},
                            {1, 64},
                            {std::numeric_limits<std::int32_t>::min(), -1},
                            {std::numeric_limits<std::int32_t>::max() - 1, std::numeric_limits<std::int32_t>::max()}};
    seededRandom random(7);
    for (const range& r : ranges) {
        bool sawLow = false;
        bool sawHigh = false;
        for (int i = 0; i < 2000; ++i) {
            const std::int32_t value = random.between(r.low, r.high);
            ASSERT_GE(value, r.low);
            ASSERT_LE(value, r.high);
            sawLow = sawLow || value == r.low;
            sawHigh = sawHigh || value == r.high;
        }
        if (static_cast<std::int64_t>(r.high) - r.low < 100) {
            EXPECT_TRUE(sawLow && sawHigh) << r.low << ".." << r.high;
        }
    }
}

TEST(RandomEvents, TheSameSeedGivesTheSameSequence)
{
    EXPECT_EQ(described(randomEvents(42, 300, vocabulary())), described(randomEvents(42, 300, vocabulary())));
}

TEST(RandomEvents, AShorterSequenceIsAPrefixOfALongerOne)
{
    const std::vector<std::string> longer = described(randomEvents(9, 200, vocabulary()));
    const std::vector<std::string> shorter = described(randomEvents(9, 37, vocabulary()));
    EXPECT_TRUE(std::equal(shorter.begin(), shorter.end(), longer.begin()));
}

TEST(RandomEvents, DifferentSeedsGiveDifferentSequences)
{
    EXPECT_NE(described(randomEvents(1, 50, vocabulary())), described(randomEvents(2, 50, vocabulary())));
}

TEST(RandomEvents, ReachEveryKindOfEvent)
{
    const std::vector<hostEvent> events = randomEvents(1, 3000, vocabulary());
    using predicate = std::function<bool(const hostEvent&)>;
    const auto notifies = [](notification::kind kind, const std::function<bool(const notification&)>& also) {
        return predicate([kind, also](const hostEvent& e) {
            return e.what == hostEvent::kind::notify && e.n.what == kind && also(e.n);
        });
    };
    const std::vector<std::pair<std::string, predicate>> wanted = {
        {"choice of -1",
         notifies(notification::kind::button, [](const notification& n) { return n.event == "select=-1"; })},
        {"choice of 0",
         notifies(notification::kind::button, [](const notification& n) { return n.event == "select=0"; })},
        {"choice out of range",
         notifies(notification::kind::button, [](const notification& n) { return n.event == "select=2147483647"; })},
        {"tally text with UTF-8 letters",
         notifies(notification::kind::tally,
                  [](const notification& n) { return n.text && n.text->find('\xC3') != std::string::npos; })},
        {"press of Take", notifies(notification::kind::button,
                                   [](const notification& n) { return n.control == "Take" && n.event == "press=1"; })},
        {"event of another panel",
         notifies(notification::kind::button, [](const notification& n) { return n.panel == "2"; })},
        {"tick of a foreign timer",
         notifies(notification::kind::timer, [](const notification& n) { return n.value != 1; })},
        {"tally of another device",
         notifies(notification::kind::tally, [](const notification& n) { return n.device != 1; })},
        {"tally beyond the destinations",
         notifies(notification::kind::tally, [](const notification& n) { return n.index > 64 || n.index < 1; })},
        {"null query", notifies(notification::kind::query, [](const notification& n) { return !n.text; })},
        {"long query",
         notifies(notification::kind::query, [](const notification& n) { return n.text && n.text->size() >= 1000; })},
        {"query with more than 32 dots", notifies(notification::kind::query,
                                                  [](const notification& n) {
                                                      return n.text &&
                                                             std::count(n.text->begin(), n.text->end(), '.') > 32;
                                                  })},
        {"code 7", notifies(notification::kind::other, [](const notification& n) { return n.code == 7; })},
        {"code 8", notifies(notification::kind::other, [](const notification& n) { return n.code == 8; })},
        {"wait", [](const hostEvent& e) { return e.what == hostEvent::kind::wait; }},
        {"route", [](const hostEvent& e) { return e.what == hostEvent::kind::route; }},
    };
    for (const auto& w : wanted) {
        EXPECT_TRUE(std::any_of(events.begin(), events.end(), w.second)) << "no " << w.first;
    }
}

// A sound script may pass any text it gets on in a quoted command field:
// the sequences hold only what a host delivers, so none can fool the check.
TEST(RandomEvents, HoldOnlyWhatAHostCanDeliver)
{
    const auto deliverable = [](const std::optional<std::string>& text) {
        return !text || std::none_of(text->begin(), text->end(), [](char c) {
            return c == '\'' || (static_cast<unsigned char>(c) < 0x20) || c == 0x7F;
        });
    };
    for (const hostEvent& e : randomEvents(7, 5000, vocabulary())) {
        if (e.what != hostEvent::kind::notify) {
            continue;
        }
        EXPECT_TRUE(deliverable(e.n.text)) << e.describe();
        if (e.n.what == notification::kind::button) {
            const std::string event = e.n.event.value_or("");
            const bool choice = event.rfind("select=", 0) == 0 && std::stoll(event.substr(7)) >= -1 &&
                                std::stoll(event.substr(7)) <= 2147483647LL;
            EXPECT_TRUE(choice || e.n.event == "press=1") << e.describe();
        }
    }
}

TEST(Vocabulary, HoldsTheControlsOfTheLayoutsAndOneNoLayoutHas)
{
    EXPECT_EQ(vocabulary().controlsOfKind(controlKind::list), (std::vector<std::string>{"Sources", "Destinations"}));
    EXPECT_EQ(vocabulary().controlsOfKind(controlKind::button),
              (std::vector<std::string>{"Take", "Clear", "NoSuchControl"}));
    ASSERT_EQ(vocabulary().devices.size(), 1u);
    EXPECT_EQ(vocabulary().panels.front(), "1");
}

TEST(Tour, ChoosesInEveryListAndPressesEveryButton)
{
    const std::vector<std::string> tour = described(tourEvents(vocabulary()));
    for (const char* wanted :
         {"button panel '1' control 'Sources' event 'select=-1'",
          "button panel '1' control 'Destinations' event 'select=2'", "button panel '1' control 'Take' event 'press=1'",
          "button panel '1' control 'Clear' event 'press=1'", "wait 12000 ms", "query null", "timer 2"}) {
        EXPECT_NE(std::find(tour.begin(), tour.end(), wanted), tour.end()) << wanted;
    }
}

}  // namespace

}  // namespace panel_host
