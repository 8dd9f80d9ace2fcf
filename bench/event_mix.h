#pragma once

#include "host_records.h"
#include "morv_client_callback.h"
#include "parsed_message.h"
#include "script_host.h"
#include "tally_record_storage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The operator's event mix of the benchmark, repeated: choose a source,
// choose a destination, ten ticks of timer 1, one tally of the router,
// choose a source, choose a destination, press "Take". Sources and
// destinations each cycle through 1, 8, 15, ... 50; the tally's destination
// cycles through 1..64. Every record is built once, before any event is
// played, so that playing an event costs the host nothing but the call.
class eventMix {
public:
    static constexpr int eventsPerRound = 16;
    // After this many events the whole sequence repeats (64 rounds).
    static constexpr int period = 64 * eventsPerRound;

    explicit eventMix(std::int32_t routerDevice);
    eventMix(const eventMix&) = delete;
    eventMix& operator=(const eventMix&) = delete;

    // Plays the next event of the mix into `script`.
    void playNext(morv_client_callback& script);
    // Events played so far.
    std::uint64_t played() const { return played_; }

private:
    struct button {
        button(const char* control, const std::string& eventText);
        std::string control;
        parsedMessage event;
        hostButtonRecord record;
    };

    enum class kind { source, destination, tick, tally, take };
    static kind kindAt(int step);

    std::vector<std::unique_ptr<button>> sources_;
    std::vector<std::unique_ptr<button>> destinations_;
    std::unique_ptr<button> take_;
    std::vector<std::unique_ptr<tallyRecordStorage>> tallies_;
    std::size_t nextSource_ = 0;
    std::size_t nextDestination_ = 0;
    std::size_t nextTally_ = 0;
    int step_ = 0;
    std::uint64_t played_ = 0;
};

// The panel module, loaded with dlopen and started through its export.
class loadedPanel {
public:
    // Loads `modulePath`; on failure script() is null and error() says why.
    loadedPanel(const char* modulePath, script_host* host, const char* layoutFolder);
    ~loadedPanel();
    loadedPanel(const loadedPanel&) = delete;
    loadedPanel& operator=(const loadedPanel&) = delete;

    morv_client_callback* script() const { return script_; }
    const std::string& error() const { return error_; }
    // Destroys the script (it then sends its last command, "AS").
    void close();

private:
    void* handle_ = nullptr;
    morv_client_callback* script_ = nullptr;
    std::string error_;
};
