#include "serve_engine.h"

#include "access_token.h"
#include "event_hub.h"
#include "exit_codes.h"
#include "file_watch.h"
#include "http_transport.h"
#include "listen_address.h"
#include "panel_page.h"
#include "request_handler.h"
#include "session_relay.h"
#include "stop_signals.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>
#include <optional>

namespace panel_host {

namespace {

// How long the script may take to go after Ctrl-C (or a rebuild) before its
// process is killed.
constexpr std::chrono::seconds stopGrace{5};
// How long the last event may take to reach the open pages.
constexpr std::chrono::seconds endDelivery{2};
// How long a replaced module file must stay unchanged before it is loaded.
constexpr std::chrono::milliseconds rebuildSettle{500};

// The Host header values pages may use: on loopback the loopback names;
// beyond it also the machine's addresses and names and --allow-host.
std::vector<std::string> acceptedHosts(const listenAddress& address, const std::vector<std::string>& allowed)
{
    std::vector<std::string> hosts = address.acceptedHosts();
    if (!address.isLoopback()) {
        std::vector<std::string> names = machineHostNames();
        names.insert(names.end(), allowed.begin(), allowed.end());
        for (const std::string& name : names) {
            hosts.push_back(name + ":" + std::to_string(address.port));
        }
    }
    return hosts;
}

// What to print for "every address": the host name, else an address that
// is not loopback.
std::string machineName()
{
    std::string address = "localhost";
    for (const std::string& name : machineHostNames()) {
        if (name.find_first_not_of("0123456789.") != std::string::npos && name != "localhost") {
            return name;
        }
        if (address == "localhost" && name.rfind("127.", 0) != 0) {
            address = name;
        }
    }
    return address;
}

// Beyond loopback the page needs the token; the address printed carries it,
// and the line says who can reach it.
std::string guardedAddress(const listenAddress& address, requestHandler& handler)
{
    if (address.isLoopback()) {
        return "http://" + address.hostHeader() + "/ (loopback only)";
    }
    const std::string token = makeAccessToken();
    handler.requireToken(token, "panel-host-" + std::to_string(address.port));
    std::cerr << "warning: listening beyond loopback; whoever has this address with its token can use the panel\n";
    return "http://" + (address.host != "0.0.0.0" ? address.host : machineName()) + ":" + std::to_string(address.port) +
           "/?token=" + token + " (reachable from the network)";
}

// The main thread of serve: takes the stop signals, kills a script that does
// not go in time, and reloads a rebuilt module.
class serveLoop {
public:
    serveLoop(sessionRelay& relay, const serveSettings& settings) : relay_(relay), settings_(settings) {}

    bool stopping() const { return stopping_; }

    // Follows rebuilds of the module file from now on.
    void watchModule()
    {
        if (settings_.rebuilds != rebuildFollowing::off) {
            watch_.emplace(settings_.setup.modulePath, rebuildSettle, std::chrono::steady_clock::now());
        }
    }

    // Waits until `done`.
    template <typename condition>
    void waitUntil(const condition& done)
    {
        while (!done()) {
            if (signals_.next(std::chrono::milliseconds(200)) != 0 && !stopping_) {
                stopping_ = true;
                std::cout << "panel-host serve: stopping" << std::endl;
                relay_.stop();
                killAt_ = std::chrono::steady_clock::now() + stopGrace;
            }
            const auto now = std::chrono::steady_clock::now();
            if (now > killAt_ && !relay_.killed()) {
                relay_.kill("the script did not go within " + std::to_string(stopGrace.count()) +
                            " s of the stop; its session process was killed");
            }
            if (watch_ && !stopping_ && watch_->replaced(now)) {
                relay_.reload(settings_.rebuilds == rebuildFollowing::replay, stopGrace);
            }
        }
    }

private:
    const stopSignals signals_{SIGINT, SIGTERM};
    sessionRelay& relay_;
    const serveSettings& settings_;
    std::optional<fileWatch> watch_;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point killAt_ = std::chrono::steady_clock::time_point::max();
};

}  // namespace

int runServe(const serveSettings& settings, const std::function<void(const std::string&)>& fail)
{
    listenAddress address;
    const bool searchUpward = settings.listen.empty();
    if (!searchUpward) {
        const listenAddressParse parsed = parseListenAddress(settings.listen);
        if (!parsed.address) {
            fail("--listen: " + parsed.error);
            return usageErrorExit;
        }
        address = *parsed.address;
    }
    std::signal(SIGPIPE, SIG_IGN);
    eventHub hub;
    sessionRelay relay(settings.setup, hub, settings.rebuilds != rebuildFollowing::off, settings.callLimit);
    serveLoop loop(relay, settings);
    std::string problem;
    if (!relay.start(problem)) {
        fail(problem);
        return usageErrorExit;
    }

    loop.waitUntil([&hub] { return !hub.state().is_null() || hub.ended(); });
    httpTransport transport(hub);
    std::unique_ptr<requestHandler> handler;
    bool bound = false;
    if (!hub.ended() && !loop.stopping()) {
        bound = transport.bind(address, searchUpward, problem);
        if (!bound) {
            fail(problem);
            relay.stop();
        }
    }
    if (bound) {
        handler = std::make_unique<requestHandler>(
            acceptedHosts(address, settings.allowedHosts), hub,
            [&relay](const std::string& line) { return relay.send(line); }, panelPage());
        const std::string printed = guardedAddress(address, *handler);
        relay.serving();
        loop.watchModule();
        transport.start(*handler);
        std::cout << "panel-host serve: " << printed << "; Ctrl-C stops" << std::endl;
    }

    // A session that could not be reloaded has no process to end.
    loop.waitUntil([&hub, &loop, &relay] { return hub.ended() || (loop.stopping() && relay.finished()); });
    if (!hub.ended()) {
        hub.publishEnd("serve stopped; no module was running", false);
    }
    hub.waitUntilEndDelivered(endDelivery);
    transport.stop();
    relay.stop();
    relay.join();

    const nlohmann::json ending = hub.ending();
    if (!bound && !(loop.stopping() && !ending.value("failed", true))) {
        const std::string lastLine = relay.lastLine();
        if (problem.empty() && lastLine.rfind("error: ", 0) != 0) {
            fail("the session could not start: " + lastLine);
        }
        return usageErrorExit;
    }
    if (ending.value("failed", false)) {
        fail(ending.value("message", std::string("the session failed")));
        return runFailedExit;
    }
    return 0;
}

}  // namespace panel_host
