#include "build_paths.h"
#include "panel_session.h"

#include "module_library.h"
#include "notify_codes.h"
#include "panel_events.h"
#include "tally_record_storage.h"

#include <gtest/gtest.h>

#include <cstdint>

morvEntryPoint panelEntryPoint()
{
    // Kept loaded until the program ends, like a host keeps a module.
    static panel_host::moduleLibrary module;
    std::string error;
    if (!module.isOpen() && !module.open(buildPaths::vantryModule, error)) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    const panel_host::moduleLibrary::symbolAddress address = module.symbol(morvEntryPointName, error);
    if (address == nullptr) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    return reinterpret_cast<morvEntryPoint>(address);
}

panelSession::panelSession(script_host* host, const char* path)
{
    morvEntryPoint load = panelEntryPoint();
    if (load != nullptr) {
        script_ = load(host, path);
    }
}

panelSession::~panelSession()
{
    destroy();
}

void panelSession::choose(const char* list, long long value)
{
    button("1", list, selectionText(value));
}

void panelSession::press(const char* buttonName)
{
    button("1", buttonName, "click");
}

void panelSession::button(const char* panel, const char* control, const std::string& eventText)
{
    buttonEvent event(panel, control, eventText);
    ASSERT_NE(script_, nullptr);
    EXPECT_EQ(script_->notify(event.record(), notifyButton), nullptr);
}

void panelSession::tally(std::int32_t device, std::int32_t index, std::int32_t value, const char* text)
{
    tallyRecordStorage record(device, index, value, text);
    ASSERT_NE(script_, nullptr);
    EXPECT_EQ(script_->notify(record.record(), notifyTally), nullptr);
}

void panelSession::tick(std::int32_t timerId)
{
    ASSERT_NE(script_, nullptr);
    // The id travels in the pointer's place.
    void* payload = reinterpret_cast<void*>(static_cast<std::intptr_t>(timerId));
    EXPECT_EQ(script_->notify(payload, notifyTimer), nullptr);
}

const char* panelSession::query(const char* text)
{
    if (script_ == nullptr) {
        ADD_FAILURE() << "no script";
        return nullptr;
    }
    return script_->notify(const_cast<char*>(text), notifyQuery);
}

void panelSession::destroy()
{
    destroyScript(script_);
    script_ = nullptr;
}
