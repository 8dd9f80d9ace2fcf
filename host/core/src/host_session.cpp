#include "host_session.h"

#include "host_event.h"
#include "notification_delivery.h"

#include <exception>

namespace panel_host {

// One script the module made: its host object and its loader (its panels
// and interpreter are in the host's models).
class hostSession::scriptInstance {
public:
    scriptInstance(commandInterpreter& interpreter, hostObserver& observer, std::size_t maxQueuedPerCall)
        : host(interpreter, observer, maxQueuedPerCall)
    {
    }

    bool loaded() const { return loader.state() == loaderState::scriptCreated; }

    emulatedHost host;
    scriptLoader loader;
};

// Keeps every breach of every instance, in the order they are found.
class hostSession::breachCollector final : public hostObserver {
public:
    explicit breachCollector(contractReport& report) : report_(report) {}
    void breachFound(const contractBreach& breach) override { report_.add(breach); }

private:
    contractReport& report_;
};

hostSession::hostSession(std::vector<routerDevice> devices, sessionLimits limits)
    : limits_(limits), collector_(std::make_unique<breachCollector>(report_)), models_(std::move(devices))
{
    observers_.add(collector_.get());
    models_.router().setTallySink([this](const tallyData& t) {
        if (raising_ != nullptr) {
            raising_->queueNotification(notification::tally(t.device, t.index, t.value, t.text).to(t.instance));
        }
    });
}

hostSession::~hostSession()
{
    unload();
}

void hostSession::setReplyPolicy(replyPolicy* policy)
{
    policy_ = policy;
    for (const auto& instance : instances_) {
        instance->host.setReplyPolicy(policy);
    }
}

void hostSession::setDuringCommand(std::function<void()> hook)
{
    duringCommand_ = std::move(hook);
    for (const auto& instance : instances_) {
        instance->host.setDuringCommand(duringCommand_);
    }
}

void hostSession::setPassive(bool passive)
{
    passive_ = passive;
    for (const auto& instance : instances_) {
        instance->host.setPassive(passive);
    }
}

hostSession::scriptInstance* hostSession::find(std::int32_t instance) const
{
    return instance >= 1 && instance <= instanceCount() ? instances_[static_cast<std::size_t>(instance - 1)].get()
                                                        : nullptr;
}

hostSession::scriptInstance* hostSession::firstLoaded() const
{
    for (const auto& instance : instances_) {
        if (instance->loaded()) {
            return instance.get();
        }
    }
    return nullptr;
}

bool hostSession::scriptLoaded(std::int32_t instance) const
{
    const scriptInstance* found = find(instance);
    return found != nullptr && found->loaded();
}

bool hostSession::scriptLoaded() const
{
    return firstLoaded() != nullptr;
}

loadOutcome hostSession::load(const std::string& modulePath, const std::optional<std::string>& basePath, bool withHost)
{
    if (!instances_.empty() && modulePath != modulePath_) {
        return loadOutcome::failure("a module is already loaded: " + modulePath_);
    }
    const std::int32_t number = models_.addInstance(preloaded_);
    auto created = std::make_unique<scriptInstance>(models_.interpreter(number), observers_, limits_.maxQueuedPerCall);
    created->host.setReplyPolicy(policy_);
    created->host.setPassive(passive_);
    created->host.setDuringCommand(duringCommand_);
    const std::string path = basePath ? "base path " + *basePath : std::string("a null base path");
    observers_.stage((number == 1 ? "load module " + modulePath : "create script instance " + std::to_string(number)) +
                     " with " + path + (withHost ? "" : " and no host object"));
    raising_ = &created->host;
    created->host.beginCall();
    const loadOutcome loaded = created->loader.load(modulePath, withHost ? &created->host : nullptr, basePath);
    created->host.endCall();
    raising_ = nullptr;
    if (!loaded.ok) {
        created->host.discardQueued();
        // What its start-up began goes with it.
        models_.removeLastInstance();
        observers_.stage("loading failed: " + loaded.message);
        return loaded;
    }
    modulePath_ = modulePath;
    instances_.push_back(std::move(created));
    collectRaised(instances_.back()->host);
    deliverQueued();
    return loaded;
}

void hostSession::unload(std::int32_t number)
{
    scriptInstance* instance = find(number);
    if (instance == nullptr || instance->loader.state() == loaderState::empty) {
        return;
    }
    std::int32_t loadedNow = 0;
    for (const auto& each : instances_) {
        loadedNow += each->loaded() ? 1 : 0;
    }
    const std::string unloading = "unload module " + modulePath_;
    observers_.stage(instanceCount() == 1 ? unloading
                                          : "delete script instance " + std::to_string(number) +
                                                (loadedNow == 1 ? " and " + unloading : ""));
    instance->host.beginCall();
    instance->loader.destroyScript();
    instance->host.endCall();
    if (const std::size_t dropped = instance->host.discardQueued(); dropped > 0) {
        observers_.diagnostic(std::to_string(dropped) + " notification(s) raised while unloading were dropped");
    }
    instance->loader.unload();
    // What the module sent while it was unloaded, or from its threads after
    // the script was deleted.
    instance->host.reportStraySends();
}

void hostSession::unload()
{
    for (std::int32_t number = 1; number <= instanceCount(); ++number) {
        unload(number);
    }
}

hostSession::actionOutcome hostSession::requireScript(std::int32_t instance) const
{
    if (scriptLoaded(instance)) {
        return actionOutcome::success();
    }
    if (instance == 1 || find(instance) != nullptr) {
        return actionOutcome::failure(instanceCount() <= 1
                                          ? "no script is loaded"
                                          : "script instance " + std::to_string(instance) + " is deleted",
                                      actionRefusal::notNow);
    }
    return actionOutcome::failure("there is no script instance " + std::to_string(instance));
}

hostSession::actionOutcome hostSession::findControl(std::int32_t instance, const std::string& panel,
                                                    const std::string& control, controlKind kind, panelControl*& found)
{
    found = nullptr;
    if (const actionOutcome loaded = requireScript(instance); !loaded.ok) {
        return loaded;
    }
    panelLayout* shown = models_.findPanels(instance)->find(panel);
    found = shown != nullptr ? shown->findControl(control) : nullptr;
    const std::string named = shownField(control, codePage_);
    if (shown == nullptr) {
        return actionOutcome::failure("no panel " + shownField(panel, codePage_) + " is shown");
    }
    if (found == nullptr) {
        return actionOutcome::failure("panel " + shownField(panel, codePage_) + " has no control " + named);
    }
    if (found->kind != kind) {
        return actionOutcome::failure(named + " is a " + controlKindName(found->kind) + ", not a " +
                                      controlKindName(kind));
    }
    if (!found->enabled) {
        return actionOutcome::failure(named + " is disabled; nothing is sent", actionRefusal::notNow);
    }
    return actionOutcome::success();
}

hostSession::actionOutcome hostSession::choose(std::int32_t instance, const std::string& panel,
                                               const std::string& control, std::int32_t value)
{
    panelControl* list = nullptr;
    const actionOutcome outcome = findControl(instance, panel, control, controlKind::list, list);
    if (!outcome.ok) {
        return outcome;
    }
    std::int32_t entries = list->entries;
    if (!list->entriesOf.empty() && !models_.router().devices().empty()) {
        const routerDevice& device = models_.router().devices().front();
        entries = list->entriesOf == "sources" ? device.sourceCount() : device.destinationCount();
    }
    if (value < -1) {
        return actionOutcome::failure("a list choice is a number from -1 (nothing) up");
    }
    if (entries >= 0 && (value == 0 || value > entries)) {
        return actionOutcome::failure(
            shownField(control, codePage_) + " has no entry " + std::to_string(value) + ": it has " +
            (entries == 0 ? std::string("none") : "1 to " + std::to_string(entries)) + " (none: -1)");
    }
    list->properties["select"] = std::to_string(value);
    return deliver(notification::button(panel, control, "select=" + std::to_string(value)).to(instance));
}

hostSession::actionOutcome hostSession::press(std::int32_t instance, const std::string& panel,
                                              const std::string& control)
{
    panelControl* button = nullptr;
    const actionOutcome outcome = findControl(instance, panel, control, controlKind::button, button);
    if (!outcome.ok) {
        return outcome;
    }
    return deliver(notification::button(panel, control, "press=1").to(instance));
}

hostSession::actionOutcome hostSession::routeByOtherController(std::int32_t device, std::int32_t source,
                                                               std::int32_t destination)
{
    // What the route raises is queued on the first script's host, within a
    // budget of its own.
    scriptInstance* first = firstLoaded();
    if (first != nullptr) {
        first->host.openQueueBudget();
        raising_ = &first->host;
    }
    const std::string problem = models_.router().route(device, source, destination);
    raising_ = nullptr;
    if (!problem.empty()) {
        if (first != nullptr) {
            first->host.discardQueued();
        }
        // Outcomes are shown as they are: the router's name decoded.
        return actionOutcome::failure(shownBytes(problem, codePage_));
    }
    observers_.stage(routeDescription(device, source, destination));
    if (first != nullptr) {
        collectRaised(first->host);
        deliverQueued();
    }
    return actionOutcome::success();
}

hostSession::actionOutcome hostSession::deliver(const notification& n)
{
    const actionOutcome outcome = requireScript(n.instance);
    if (!outcome.ok) {
        return outcome;
    }
    deliverOne(n);
    deliverQueued();
    return outcome;
}

hostSession::actionOutcome hostSession::deliverDuringCommand(const notification& n)
{
    const actionOutcome outcome = requireScript(n.instance);
    if (outcome.ok) {
        deliverOne(n);
    }
    return outcome;
}

hostSession::actionOutcome hostSession::deleteScriptDuringCommand(std::int32_t number)
{
    const actionOutcome outcome = requireScript(number);
    if (outcome.ok) {
        scriptInstance& instance = *find(number);
        observers_.stage(instanceCount() == 1
                             ? std::string("the host deletes the script during its command")
                             : "the host deletes script instance " + std::to_string(number) + " during a command");
        instance.host.beginCall();
        instance.loader.destroyScript();
        instance.host.endCall();
    }
    return outcome;
}

void hostSession::wait(std::int64_t milliseconds)
{
    if (milliseconds <= 0) {
        return;
    }
    const std::int64_t until = models_.timers().now() + milliseconds;
    std::size_t ticks = 0;
    while (const std::optional<timerScheduler::dueTick> tick = models_.timers().takeDueTick(until)) {
        if (++ticks > limits_.maxTicksPerWait) {
            observers_.diagnostic("more than " + std::to_string(limits_.maxTicksPerWait) +
                                  " timer ticks in one wait; the rest were skipped");
            break;
        }
        if (scriptLoaded(tick->instance)) {
            deliverOne(notification::timer(tick->id).to(tick->instance));
            deliverQueued();
        }
    }
    models_.timers().advanceTo(until);
}

void hostSession::collectRaised(emulatedHost& host)
{
    while (host.hasQueued()) {
        queue_.push_back(host.takeQueued());
    }
}

void hostSession::deliverQueued()
{
    std::size_t delivered = 0;
    while (!queue_.empty()) {
        const notification n = std::move(queue_.front());
        queue_.pop_front();
        // A notification for a script deleted meanwhile goes nowhere.
        if (!scriptLoaded(n.instance)) {
            continue;
        }
        if (++delivered > limits_.maxDeliveriesPerAction) {
            const std::size_t dropped = queue_.size() + 1;
            queue_.clear();
            find(n.instance)
                ->host.reportBreach(breachKind::endlessNotifications,
                                    "notifications kept coming after " +
                                        std::to_string(limits_.maxDeliveriesPerAction) + " deliveries; " +
                                        std::to_string(dropped) + " dropped");
            return;
        }
        deliverOne(n);
    }
}

void hostSession::deliverOne(const notification& n)
{
    scriptInstance& instance = *find(n.instance);
    // Sends held since the last call are told before the next one starts.
    instance.host.reportStraySends();
    observers_.notificationStarting(n);
    // A call made from inside a command raises into the queue of the call
    // around it: what it raises waits for that call to end, in order.
    emulatedHost* const around = raising_;
    raising_ = around != nullptr ? around : &instance.host;
    instance.host.beginCall();
    const char* result = callScript(instance, n);
    instance.host.endCall();
    raising_ = around;
    if (around == nullptr) {
        collectRaised(instance.host);
    }
    observers_.notificationFinished(n, result);
    // A script the host deleted during the call takes nothing back.
    if (n.what == notification::kind::query && result != nullptr && scriptLoaded(n.instance)) {
        deliverOne(notification::release(result, result).to(n.instance));
    }
}

const char* hostSession::callScript(scriptInstance& instance, const notification& n)
{
    try {
        return deliverNotification(*instance.loader.script(), n);
    } catch (const std::exception& e) {
        observers_.diagnostic(std::string("the script's notify threw: ") + e.what());
    } catch (...) {
        observers_.diagnostic("the script's notify threw an exception");
    }
    return nullptr;
}

}  // namespace panel_host
