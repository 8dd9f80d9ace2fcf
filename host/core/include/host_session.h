#pragma once

#include "contract_report.h"
#include "emulated_host.h"
#include "host_models.h"
#include "host_observer.h"
#include "host_text.h"
#include "notification.h"
#include "script_loader.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace panel_host {

// Bounds that keep the host from ever looping without end.
struct sessionLimits {
    std::size_t maxQueuedPerCall = 4096;          // notifications one call into the script may raise
    std::size_t maxDeliveriesPerAction = 100000;  // notifications delivered for one operator action
    std::size_t maxTicksPerWait = 100000;         // timer ticks delivered for one wait
};

// Why an operator action was not done: it names what the session does not
// have (a panel, a control of that kind, an entry, a router device), or the
// panel refuses it now (a disabled control, no script loaded).
enum class actionRefusal { none, unknown, notNow };

// What an action (or loading) came to, and when refused, why (a message to
// show as it is: names in it are decoded and escaped).
struct actionOutcome {
    bool ok = false;
    std::string message;
    actionRefusal refusal = actionRefusal::none;

    actionOutcome() = default;
    actionOutcome(bool done, std::string why, actionRefusal kind) : ok(done), message(std::move(why)), refusal(kind) {}

    static actionOutcome success() { return {true, {}, actionRefusal::none}; }
    static actionOutcome failure(std::string why, actionRefusal kind = actionRefusal::unknown)
    {
        return {false, std::move(why), kind};
    }
};

// The host as a whole: a module, the scripts it made, the emulated host
// objects they talk to, their panels, the router and the timers. Front ends
// drive it with operator actions and watch it through observers.
//
// A host opens a panel by asking the module's export for a script: each
// panel is one script instance, numbered from 1 in the order they were
// made, with a host object, panels and timers of its own. The router and
// the clock are shared: a route made on one panel raises its tally on every
// panel registered for it.
//
// Every call into a script goes through this object, on the caller's
// thread, one at a time: an action delivers its notification, then every
// notification the scripts' commands raised meanwhile (tallies of "RC" and
// "RP"), in the order they were raised, each after the call before it
// returned.
class hostSession {
public:
    using actionOutcome = panel_host::actionOutcome;

    explicit hostSession(std::vector<routerDevice> devices, sessionLimits limits = {});
    // Unloads every script that is still loaded.
    ~hostSession();
    hostSession(const hostSession&) = delete;
    hostSession& operator=(const hostSession&) = delete;

    // Observers are not owned; they must outlive the session or be removed.
    void addObserver(hostObserver* observer) { observers_.add(observer); }
    void removeObserver(hostObserver* observer) { observers_.remove(observer); }
    // Layouts read before the scripts run, for their "PS" (see
    // commandInterpreter); every instance made later gets them.
    void preloadLayouts(std::map<std::string, panelLayout> layouts) { preloaded_ = std::move(layouts); }
    // Null: the models' replies. Not owned. For every instance.
    void setReplyPolicy(replyPolicy* policy);
    // A passive host carries out no command (so it raises no tallies and
    // starts no timers) and answers only what the reply policy says. For
    // every instance.
    void setPassive(bool passive);
    // The code page of the host's texts, for front ends that show them; the
    // host itself deals in bytes.
    void setCodePage(codePage page) { codePage_ = page; }
    codePage textCodePage() const { return codePage_; }
    // Runs inside each command of every instance, before the command returns
    // (emulatedHost::setDuringCommand): where a front end has the host call
    // a script from inside a command, with the two calls below.
    void setDuringCommand(std::function<void()> hook);
    // From inside a command: delivers `n` to its instance as a call nested
    // in the one under way (notifications it raises wait for the outer call
    // to end), or deletes the script of `instance`, whose module stays
    // loaded until unload().
    actionOutcome deliverDuringCommand(const notification& n);
    actionOutcome deleteScriptDuringCommand(std::int32_t instance);

    // Loads the module and creates its first script with basePath (the
    // layout folder; std::nullopt: a null path), handing it the emulated
    // host object, or a null one when !withHost. Called again with the same
    // module, it creates the next script instance, as the host does for
    // another panel. The script's start-up commands run inside; what they
    // raised is delivered once the script is created.
    loadOutcome load(const std::string& modulePath, const std::optional<std::string>& basePath, bool withHost = true);
    // Deletes the script of `instance` (it sends its last commands); with
    // the last one, the module is unloaded.
    void unload(std::int32_t instance);
    // Deletes every script still loaded, in order, and unloads the module.
    void unload();
    // How many instances were made (loaded now or deleted since).
    std::int32_t instanceCount() const { return static_cast<std::int32_t>(instances_.size()); }
    bool scriptLoaded(std::int32_t instance) const;
    // Whether any script is loaded.
    bool scriptLoaded() const;

    // Operator actions on a shown panel of an instance. choose sets a list's
    // selection and tells the script ("select=N"; -1: nothing chosen); press
    // presses an enabled button ("press=1").
    actionOutcome choose(std::int32_t instance, const std::string& panel, const std::string& control,
                         std::int32_t value);
    actionOutcome press(std::int32_t instance, const std::string& panel, const std::string& control);
    // Another controller routes on the router; registered destinations report.
    actionOutcome routeByOtherController(std::int32_t device, std::int32_t source, std::int32_t destination);
    // Delivers any notification as it is to its instance (raw tallies,
    // button records, timer ticks, other codes, null payloads); a query's
    // returned text is given back.
    actionOutcome deliver(const notification& n);
    // Moves the clock on by `milliseconds`, delivering each timer tick due.
    void wait(std::int64_t milliseconds);

    // The panels an instance shows (none for an instance not made).
    const panelModel& panels(std::int32_t instance) const { return models_.panels(instance); }
    const routerModel& router() const { return models_.router(); }
    const timerScheduler& timers() const { return models_.timers(); }
    // Every breach of every instance, in the order seen.
    const contractReport& report() const { return report_; }
    const std::string& modulePath() const { return modulePath_; }

private:
    class scriptInstance;
    class breachCollector;

    scriptInstance* find(std::int32_t instance) const;
    scriptInstance* firstLoaded() const;
    // Moves what `host` queued meanwhile to the end of the session's queue.
    void collectRaised(emulatedHost& host);
    void deliverQueued();
    void deliverOne(const notification& n);
    const char* callScript(scriptInstance& instance, const notification& n);
    actionOutcome requireScript(std::int32_t instance) const;
    // The enabled control of that kind an operator can use, or why not.
    actionOutcome findControl(std::int32_t instance, const std::string& panel, const std::string& control,
                              controlKind kind, panelControl*& found);

    sessionLimits limits_;
    observerList observers_;
    contractReport report_;
    std::unique_ptr<breachCollector> collector_;
    hostModels models_;
    std::map<std::string, panelLayout> preloaded_;
    replyPolicy* policy_ = nullptr;
    bool passive_ = false;
    std::function<void()> duringCommand_;
    codePage codePage_ = codePage::windows1252;
    std::vector<std::unique_ptr<scriptInstance>> instances_;
    // The host whose call is running (or that a route by another controller
    // raises on): tallies queue there, within its per-call cap, and move to
    // `queue_` when the call returns.
    emulatedHost* raising_ = nullptr;
    std::deque<notification> queue_;
    std::string modulePath_;
};

}  // namespace panel_host
