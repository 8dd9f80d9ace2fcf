#include "host_session.h"

#include "host_event.h"
#include "notification_delivery.h"

#include <exception>

namespace panel_host {

hostSession::hostSession(std::vector<routerDevice> devices, sessionLimits limits)
    : limits_(limits),
      router_(std::move(devices)),
      interpreter_(panels_, router_, timers_),
      host_(interpreter_, observers_, limits.maxQueuedPerCall)
{
    router_.setTallySink([this](const tallyData& t) {
        host_.queueNotification(notification::tally(t.device, t.index, t.value, t.text));
    });
}

hostSession::~hostSession()
{
    unload();
}

loadOutcome hostSession::load(const std::string& modulePath, const std::string& basePath)
{
    if (loader_.state() != loaderState::empty) {
        return loadOutcome::failure("a module is already loaded: " + modulePath_);
    }
    observers_.stage("load module " + modulePath + " with base path " + basePath);
    host_.beginCall();
    const loadOutcome loaded = loader_.load(modulePath, &host_, basePath);
    host_.endCall();
    if (!loaded.ok) {
        host_.discardQueued();
        observers_.stage("loading failed: " + loaded.message);
        return loaded;
    }
    modulePath_ = modulePath;
    deliverQueued();
    return loaded;
}

void hostSession::unload()
{
    if (loader_.state() == loaderState::empty) {
        return;
    }
    observers_.stage("unload module " + modulePath_);
    host_.beginCall();
    loader_.destroyScript();
    host_.endCall();
    if (const std::size_t dropped = host_.discardQueued(); dropped > 0) {
        observers_.diagnostic(std::to_string(dropped) + " notification(s) raised while unloading were dropped");
    }
    loader_.unload();
    // What the module sent while it was unloaded, or from its threads after
    // the script was deleted.
    host_.reportStraySends();
}

hostSession::actionOutcome hostSession::requireScript() const
{
    return scriptLoaded() ? actionOutcome::success()
                          : actionOutcome::failure("no script is loaded", actionRefusal::notNow);
}

hostSession::actionOutcome hostSession::findControl(const std::string& panel, const std::string& control,
                                                    controlKind kind, panelControl*& found)
{
    found = nullptr;
    if (!scriptLoaded()) {
        return requireScript();
    }
    panelLayout* shown = panels_.find(panel);
    found = shown != nullptr ? shown->findControl(control) : nullptr;
    if (shown == nullptr) {
        return actionOutcome::failure("no panel '" + panel + "' is shown");
    }
    if (found == nullptr) {
        return actionOutcome::failure("panel '" + panel + "' has no control '" + control + "'");
    }
    if (found->kind != kind) {
        return actionOutcome::failure("'" + control + "' is a " + controlKindName(found->kind) + ", not a " +
                                      controlKindName(kind));
    }
    if (!found->enabled) {
        return actionOutcome::failure("'" + control + "' is disabled; nothing is sent", actionRefusal::notNow);
    }
    return actionOutcome::success();
}

hostSession::actionOutcome hostSession::choose(const std::string& panel, const std::string& control, std::int32_t value)
{
    panelControl* list = nullptr;
    const actionOutcome outcome = findControl(panel, control, controlKind::list, list);
    if (!outcome.ok) {
        return outcome;
    }
    std::int32_t entries = list->entries;
    if (!list->entriesOf.empty() && !router_.devices().empty()) {
        const routerDevice& device = router_.devices().front();
        entries = list->entriesOf == "sources" ? device.sourceCount() : device.destinationCount();
    }
    if (value < -1) {
        return actionOutcome::failure("a list choice is a number from -1 (nothing) up");
    }
    if (entries >= 0 && (value == 0 || value > entries)) {
        return actionOutcome::failure("'" + control + "' has no entry " + std::to_string(value) + ": it has " +
                                      (entries == 0 ? std::string("none") : "1 to " + std::to_string(entries)) +
                                      " (none: -1)");
    }
    list->properties["select"] = std::to_string(value);
    return deliver(notification::button(panel, control, "select=" + std::to_string(value)));
}

hostSession::actionOutcome hostSession::press(const std::string& panel, const std::string& control)
{
    panelControl* button = nullptr;
    const actionOutcome outcome = findControl(panel, control, controlKind::button, button);
    if (!outcome.ok) {
        return outcome;
    }
    return deliver(notification::button(panel, control, "press=1"));
}

hostSession::actionOutcome hostSession::routeByOtherController(std::int32_t device, std::int32_t source,
                                                               std::int32_t destination)
{
    host_.openQueueBudget();
    const std::string problem = router_.route(device, source, destination);
    if (!problem.empty()) {
        host_.discardQueued();
        return actionOutcome::failure(problem);
    }
    observers_.stage(routeDescription(device, source, destination));
    if (scriptLoaded()) {
        deliverQueued();
    } else {
        host_.discardQueued();
    }
    return actionOutcome::success();
}

hostSession::actionOutcome hostSession::deliver(const notification& n)
{
    const actionOutcome outcome = requireScript();
    if (!outcome.ok) {
        return outcome;
    }
    deliverOne(n);
    deliverQueued();
    return outcome;
}

hostSession::actionOutcome hostSession::deliverDuringCommand(const notification& n)
{
    const actionOutcome outcome = requireScript();
    if (outcome.ok) {
        deliverOne(n);
    }
    return outcome;
}

hostSession::actionOutcome hostSession::deleteScriptDuringCommand()
{
    const actionOutcome outcome = requireScript();
    if (outcome.ok) {
        observers_.stage("the host deletes the script during its command");
        host_.beginCall();
        loader_.destroyScript();
        host_.endCall();
    }
    return outcome;
}

void hostSession::wait(std::int64_t milliseconds)
{
    if (milliseconds <= 0) {
        return;
    }
    const std::int64_t until = timers_.now() + milliseconds;
    std::size_t ticks = 0;
    while (const std::optional<std::int32_t> id = timers_.takeDueTick(until)) {
        if (++ticks > limits_.maxTicksPerWait) {
            observers_.diagnostic("more than " + std::to_string(limits_.maxTicksPerWait) +
                                  " timer ticks in one wait; the rest were skipped");
            break;
        }
        if (scriptLoaded()) {
            deliverOne(notification::timer(*id));
            deliverQueued();
        }
    }
    timers_.advanceTo(until);
}

void hostSession::deliverQueued()
{
    std::size_t delivered = 0;
    while (host_.hasQueued() && scriptLoaded()) {
        if (++delivered > limits_.maxDeliveriesPerAction) {
            const std::size_t dropped = host_.discardQueued();
            host_.reportBreach(breachKind::endlessNotifications,
                               "notifications kept coming after " + std::to_string(limits_.maxDeliveriesPerAction) +
                                   " deliveries; " + std::to_string(dropped) + " dropped");
            return;
        }
        deliverOne(host_.takeQueued());
    }
}

void hostSession::deliverOne(const notification& n)
{
    // Sends held since the last call are told before the next one starts.
    host_.reportStraySends();
    observers_.notificationStarting(n);
    host_.beginCall();
    const char* result = callScript(n);
    host_.endCall();
    observers_.notificationFinished(n, result);
    // A script the host deleted during the call takes nothing back.
    if (n.what == notification::kind::query && result != nullptr && scriptLoaded()) {
        deliverOne(notification::release(result, result));
    }
}

const char* hostSession::callScript(const notification& n)
{
    try {
        return deliverNotification(*loader_.script(), n);
    } catch (const std::exception& e) {
        observers_.diagnostic(std::string("the script's notify threw: ") + e.what());
    } catch (...) {
        observers_.diagnostic("the script's notify threw an exception");
    }
    return nullptr;
}

}  // namespace panel_host
