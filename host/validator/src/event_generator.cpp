#include "event_generator.h"

#include "panel_model.h"
#include "notify_codes.h"

#include <algorithm>

namespace panel_host {

std::uint64_t seededRandom::next()
{
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t seededRandom::below(std::uint64_t bound)
{
    // Rejects the few values that would make the low results more likely.
    const std::uint64_t threshold = (0 - bound) % bound;
    std::uint64_t value = next();
    while (value < threshold) {
        value = next();
    }
    return value % bound;
}

std::int32_t seededRandom::between(std::int32_t low, std::int32_t high)
{
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
    return static_cast<std::int32_t>(low + static_cast<std::int64_t>(below(span)));
}

bool seededRandom::chance(unsigned percent)
{
    return below(100) < percent;
}

namespace {

struct tourPlace {
    std::string panel;
    std::vector<std::string> lists;
    std::vector<std::string> buttons;
    std::int32_t device = 1;
};

tourPlace placeOf(const eventVocabulary& vocabulary)
{
    tourPlace place;
    place.panel = vocabulary.panels.empty() ? operatorPanel : vocabulary.panels.front();
    place.lists = vocabulary.controlsOfKind(controlKind::list);
    place.buttons = vocabulary.controlsOfKind(controlKind::button);
    if (!vocabulary.devices.empty()) {
        place.device = vocabulary.devices.front().number;
    }
    return place;
}

void chooseInEveryList(const tourPlace& place, std::int32_t value, std::vector<hostEvent>& events)
{
    for (const std::string& list : place.lists) {
        events.push_back(hostEvent::notify(notification::button(place.panel, list, "select=" + std::to_string(value))));
    }
}

void pressEveryButton(const tourPlace& place, std::vector<hostEvent>& events)
{
    for (const std::string& button : place.buttons) {
        events.push_back(hostEvent::notify(notification::button(place.panel, button, "press=1")));
    }
}

// Draws the parts of random events.
class eventDraw {
public:
    eventDraw(std::uint64_t seed, const eventVocabulary& vocabulary)
        : random_(seed), vocabulary_(vocabulary), place_(placeOf(vocabulary))
    {
        for (const eventVocabulary::control& c : vocabulary.controls) {
            allControls_.push_back(c.name);
        }
        for (const eventVocabulary::device& d : vocabulary.devices) {
            sources_ = std::max(sources_, d.sources);
            destinations_ = std::max(destinations_, d.destinations);
        }
    }

    hostEvent next()
    {
        const std::uint64_t roll = random_.below(100);
        if (roll < 28) {
            return listChoice();
        }
        if (roll < 45) {
            return press();
        }
        if (roll < 60) {
            return hostEvent::notify(notification::timer(timerId()));
        }
        if (roll < 70) {
            return tally();
        }
        if (roll < 78) {
            return hostEvent::notify(notification::query(queryText()));
        }
        if (roll < 90) {
            return hostEvent::wait(random_.between(1, 3000));
        }
        if (roll < 95) {
            // One draw per statement: argument order is not fixed in C++.
            const std::int32_t device = deviceNumber();
            const std::int32_t source = random_.between(0, sources_ + 2);
            const std::int32_t destination = random_.between(0, destinations_ + 2);
            return hostEvent::route(device, source, destination);
        }
        return hostEvent::notify(
            notification::other(random_.pick(std::vector<std::int32_t>{notifyOther6, notifyOther7, 0, 8, -1})));
    }

private:
    std::string panel() { return random_.chance(90) ? place_.panel : random_.pick(vocabulary_.panels); }

    std::string control(const std::vector<std::string>& preferred)
    {
        return !preferred.empty() && random_.chance(85) ? random_.pick(preferred) : random_.pick(allControls_);
    }

    // A list choice as a host delivers it: a whole number from -1 (nothing
    // chosen) up, in range or past the router's entries.
    std::string choiceValue()
    {
        switch (random_.below(10)) {
        case 0:
            return "-1";
        case 1:
            return "0";
        case 6:
            return std::to_string(random_.between(65, 1000));
        case 7:
            return random_.pick(std::vector<std::string>{std::to_string(intMax), "2147483646", "100000"});
        case 9:
            return std::to_string(random_.between(-1, 70));
        default:
            return std::to_string(random_.between(1, std::max(sources_, destinations_)));
        }
    }

    hostEvent listChoice()
    {
        const std::string on = panel();
        const std::string list = control(place_.lists);
        return hostEvent::notify(notification::button(on, list, "select=" + choiceValue()));
    }

    hostEvent press()
    {
        const std::string on = panel();
        const std::string button = control(place_.buttons);
        return hostEvent::notify(notification::button(on, button, "press=1"));
    }

    std::int32_t timerId()
    {
        if (random_.chance(70)) {
            return 1;
        }
        return random_.pick(std::vector<std::int32_t>{0, 2, -1, intMax, intMin, random_.between(3, 100)});
    }

    std::int32_t deviceNumber()
    {
        if (!vocabulary_.devices.empty() && random_.chance(80)) {
            return random_.pick(vocabulary_.devices).number;
        }
        return random_.pick(std::vector<std::int32_t>{0, 99, -1});
    }

    hostEvent tally()
    {
        const std::int32_t device = deviceNumber();
        const std::int32_t index =
            random_.chance(80)
                ? random_.between(1, destinations_)
                : random_.pick(std::vector<std::int32_t>{0, -1, destinations_ + 1, 1000, intMax, intMin});
        const std::int32_t value = random_.chance(85) ? random_.between(0, sources_)
                                                      : random_.pick(std::vector<std::int32_t>{-1, 1000, intMax});
        const std::string text = value == 0           ? std::string()
                                 : random_.chance(80) ? "Source " + std::to_string(value)
                                                      : randomText();
        return hostEvent::notify(notification::tally(device, index, value, text));
    }

    std::optional<std::string> queryText()
    {
        if (random_.chance(60)) {
            return random_.pick(probingQueries());
        }
        std::string text = randomWord();
        const std::uint64_t parts = random_.below(40);
        for (std::uint64_t i = 0; i < parts; ++i) {
            text += "." + randomWord();
        }
        if (random_.chance(60)) {
            text += "=" + randomText();
        }
        return text;
    }

    std::string randomWord()
    {
        std::string word;
        const std::uint64_t length = random_.below(8);
        for (std::uint64_t i = 0; i < length; ++i) {
            word += static_cast<char>('a' + random_.below(26));
        }
        return word;
    }

    // A text as the host's own files allow it (a router's source name):
    // printable, without apostrophes and control characters, sometimes long,
    // sometimes with UTF-8 letters.
    std::string randomText()
    {
        static const std::vector<std::string> letters{"\xC3\xA9", "\xC3\x9F", "\xE2\x80\x93", "\xE6\x97\xA5",
                                                      "\xF0\x9F\x8E\xB5"};
        const std::uint64_t length = random_.chance(10) ? 1000 + random_.below(4000) : 1 + random_.below(40);
        const bool utf8 = random_.chance(20);
        std::string text;
        for (std::uint64_t i = 0; i < length; ++i) {
            if (utf8 && random_.chance(30)) {
                text += random_.pick(letters);
                continue;
            }
            const auto byte = static_cast<char>(32 + random_.below(95));
            text += byte == '\'' ? '"' : byte;
        }
        return text;
    }

    seededRandom random_;
    const eventVocabulary& vocabulary_;
    tourPlace place_;
    std::vector<std::string> allControls_;
    std::int32_t sources_ = 64;
    std::int32_t destinations_ = 64;
};

}  // namespace

std::vector<std::optional<std::string>> probingQueries()
{
    std::string dotted = "name";
    for (int i = 0; i < 40; ++i) {
        dotted += ".p";
    }
    return {"return=all", "return", "_events",      "_commands", "",  std::nullopt,
            "a.b.c",      "a=b=c",  "return.all=1", "=x",        ".", std::string(5000, 'q'),
            dotted + "=v"};
}

std::vector<hostEvent> tourEvents(const eventVocabulary& vocabulary)
{
    const tourPlace place = placeOf(vocabulary);
    std::vector<hostEvent> events;
    for (const std::optional<std::string>& query : probingQueries()) {
        events.push_back(hostEvent::notify(notification::query(query)));
    }
    chooseInEveryList(place, 1, events);
    events.push_back(hostEvent::wait(1500));
    chooseInEveryList(place, 2, events);
    events.push_back(hostEvent::wait(12000));
    chooseInEveryList(place, -1, events);
    chooseInEveryList(place, 3, events);
    pressEveryButton(place, events);
    chooseInEveryList(place, 0, events);
    pressEveryButton(place, events);
    events.push_back(hostEvent::route(place.device, 2, 3));
    events.push_back(hostEvent::notify(notification::tally(place.device, 3, 2, "Source 2")));
    events.push_back(hostEvent::notify(notification::tally(place.device + 98, 1, 1, "elsewhere")));
    events.push_back(hostEvent::notify(notification::timer(1)));
    events.push_back(hostEvent::notify(notification::timer(2)));
    events.push_back(hostEvent::notify(notification::other(notifyOther6)));
    events.push_back(hostEvent::notify(notification::other(notifyOther7)));
    // Leaves a choice standing, so that the script is destroyed mid-flash.
    chooseInEveryList(place, 4, events);
    return events;
}

std::vector<hostEvent> randomEvents(std::uint64_t seed, std::size_t count, const eventVocabulary& vocabulary)
{
    eventDraw draw(seed, vocabulary);
    std::vector<hostEvent> events;
    events.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        events.push_back(draw.next());
    }
    return events;
}

}  // namespace panel_host
