#include "event_mix.h"

#include "script_boundary.h"
#include "notify_codes.h"

#include <dlfcn.h>

namespace {
constexpr int choices = 8;  // 1, 8, 15, ... 50
constexpr int choiceStep = 7;
constexpr int tallyIndexes = 64;  // 1..64
constexpr int flashTimer = 1;

}  // namespace

eventMix::button::button(const char* controlName, const std::string& eventText)
    : control(controlName), event(eventText.c_str()), record()
{
    record.reserved0 = nullptr;
    record.reserved1 = nullptr;
    record.panel = "1";
    record.control = control.c_str();
    record.event = &event;
}

eventMix::eventMix(std::int32_t routerDevice)
{
    for (int i = 0; i < choices; ++i) {
        const std::string text = "select=" + std::to_string(1 + choiceStep * i);
        sources_.push_back(std::make_unique<button>("Sources", text));
        destinations_.push_back(std::make_unique<button>("Destinations", text));
    }
    take_ = std::make_unique<button>("Take", "click");
    for (int index = 1; index <= tallyIndexes; ++index) {
        // The router reports some source on every destination, with its name.
        const std::int32_t source = (index * 5) % tallyIndexes + 1;
        const std::string name = "Src " + std::to_string(source);
        tallies_.push_back(std::make_unique<tallyRecordStorage>(routerDevice, index, source, name.c_str()));
    }
}

eventMix::kind eventMix::kindAt(int step)
{
    // The events of one round, in order.
    static constexpr kind round[eventsPerRound] = {kind::source, kind::destination, kind::tick,        kind::tick,
                                                   kind::tick,   kind::tick,        kind::tick,        kind::tick,
                                                   kind::tick,   kind::tick,        kind::tick,        kind::tick,
                                                   kind::tally,  kind::source,      kind::destination, kind::take};
    return round[step];
}

void eventMix::playNext(morv_client_callback& script)
{
    switch (kindAt(step_)) {
    case kind::source:
        script.notify(&sources_[nextSource_]->record, notifyButton);
        nextSource_ = (nextSource_ + 1) % sources_.size();
        break;
    case kind::destination:
        script.notify(&destinations_[nextDestination_]->record, notifyButton);
        nextDestination_ = (nextDestination_ + 1) % destinations_.size();
        break;
    case kind::tick:
        // The timer id travels in the pointer's place.
        script.notify(reinterpret_cast<void*>(static_cast<std::intptr_t>(flashTimer)), notifyTimer);
        break;
    case kind::tally:
        script.notify(tallies_[nextTally_]->record(), notifyTally);
        nextTally_ = (nextTally_ + 1) % tallies_.size();
        break;
    case kind::take:
        script.notify(&take_->record, notifyButton);
        break;
    }
    step_ = (step_ + 1) % eventsPerRound;
    ++played_;
}

loadedPanel::loadedPanel(const char* modulePath, script_host* host, const char* layoutFolder)
{
    handle_ = dlopen(modulePath, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : "dlopen failed";
        return;
    }
    void* entry = dlsym(handle_, morvEntryPointName);
    if (entry == nullptr) {
        error_ = std::string("no export ") + morvEntryPointName;
        return;
    }
    const auto load = reinterpret_cast<morvEntryPoint>(entry);
    script_ = load(host, layoutFolder);
    if (script_ == nullptr) {
        error_ = "load_morv_client_script gave null";
    }
}

void loadedPanel::close()
{
    destroyScript(script_);
    script_ = nullptr;
}

loadedPanel::~loadedPanel()
{
    close();
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}
