#pragma once

#include "command_interpreter.h"
#include "emulated_host.h"
#include "host_observer.h"
#include "notification.h"
#include "panel_model.h"
#include "router_model.h"
#include "script_loader.h"
#include "timer_scheduler.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
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

// The host as a whole: one script loaded from a module, the emulated host it
// talks to, the panels, the router and the timers. Front ends drive it with
// operator actions and watch it through observers.
//
// Every call into the script goes through this object, on the caller's
// thread, one at a time: an action delivers its notification, then every
// notification the script's commands raised meanwhile (tallies of "RC" and
// "RP"), in order, each after the call before it returned.
// Why an operator action was not done: it names what the session does not
// have (a panel, a control of that kind, an entry, a router device), or the
// panel refuses it now (a disabled control, no script loaded).
enum class actionRefusal { none, unknown, notNow };

// What an action (or loading) came to, and when refused, why.
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

class hostSession {
public:
    using actionOutcome = panel_host::actionOutcome;

    explicit hostSession(std::vector<routerDevice> devices, sessionLimits limits = {});
    // Unloads a script that is still loaded.
    ~hostSession();
    hostSession(const hostSession&) = delete;
    hostSession& operator=(const hostSession&) = delete;

    // Observers are not owned; they must outlive the session or be removed.
    void addObserver(hostObserver* observer) { observers_.add(observer); }
    void removeObserver(hostObserver* observer) { observers_.remove(observer); }
    // Layouts read before the script runs, for its "PS" (see commandInterpreter).
    void preloadLayouts(std::map<std::string, panelLayout> layouts) { interpreter_.preloadLayouts(std::move(layouts)); }
    // Null: the models' replies. Not owned.
    void setReplyPolicy(replyPolicy* policy) { host_.setReplyPolicy(policy); }
    // A passive host carries out no command (so it raises no tallies and
    // starts no timers) and answers only what the reply policy says.
    void setPassive(bool passive) { host_.setPassive(passive); }
    // Runs inside each of the script's commands, before the command returns
    // (emulatedHost::setDuringCommand): where a front end has the host call
    // the script from inside a command, with the two calls below.
    void setDuringCommand(std::function<void()> hook) { host_.setDuringCommand(std::move(hook)); }
    // From inside a command: delivers `n` as a call nested in the one under
    // way (notifications it raises wait for the outer call to end), or
    // deletes the script, whose module stays loaded until unload().
    actionOutcome deliverDuringCommand(const notification& n);
    actionOutcome deleteScriptDuringCommand();

    // Loads the module and creates its script with basePath (the layout
    // folder). The script's start-up commands run inside; what they raised
    // is delivered once the script is created.
    loadOutcome load(const std::string& modulePath, const std::string& basePath);
    // Deletes the script (it sends its last commands) and unloads the module.
    void unload();
    bool scriptLoaded() const { return loader_.state() == loaderState::scriptCreated; }

    // Operator actions on a shown panel. choose sets a list's selection and
    // tells the script ("select=N"; -1: nothing chosen); press presses an
    // enabled button ("press=1").
    actionOutcome choose(const std::string& panel, const std::string& control, std::int32_t value);
    actionOutcome press(const std::string& panel, const std::string& control);
    // Another controller routes on the router; registered destinations report.
    actionOutcome routeByOtherController(std::int32_t device, std::int32_t source, std::int32_t destination);
    // Delivers any notification as it is (raw tallies, button records,
    // timer ticks, other codes); a query's returned text is given back.
    actionOutcome deliver(const notification& n);
    // Moves the clock on by `milliseconds`, delivering each timer tick due.
    void wait(std::int64_t milliseconds);

    const panelModel& panels() const { return panels_; }
    const routerModel& router() const { return router_; }
    const timerScheduler& timers() const { return timers_; }
    const contractReport& report() const { return host_.report(); }
    const std::string& modulePath() const { return modulePath_; }

private:
    void deliverQueued();
    void deliverOne(const notification& n);
    const char* callScript(const notification& n);
    actionOutcome requireScript() const;
    // The enabled control of that kind an operator can use, or why not.
    actionOutcome findControl(const std::string& panel, const std::string& control, controlKind kind,
                              panelControl*& found);

    sessionLimits limits_;
    observerList observers_;
    panelModel panels_;
    routerModel router_;
    timerScheduler timers_;
    commandInterpreter interpreter_;
    emulatedHost host_;
    scriptLoader loader_;
    std::string modulePath_;
};

}  // namespace panel_host
