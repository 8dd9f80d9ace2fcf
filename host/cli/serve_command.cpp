#include "serve_command.h"

#include "access_token.h"
#include "cli_support.h"
#include "event_hub.h"
#include "host_options.h"
#include "http_transport.h"
#include "listen_address.h"
#include "panel_page.h"
#include "request_handler.h"
#include "session_worker.h"
#include "worker_process.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <ctime>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

namespace {

// How long the script may take to go after Ctrl-C before its process is killed.
constexpr std::chrono::seconds stopGrace{5};
// How long the last event may take to reach the open pages.
constexpr std::chrono::seconds endDelivery{2};

struct serveOptions {
    hostSetup setup = defaultHostSetup();
    std::string listen;
    std::vector<std::string> allowedHosts;
};

// Ctrl-C and SIGTERM, blocked in every thread and taken by waitForSignal.
// They stay blocked until the program ends: serve is the last thing it does,
// and a further Ctrl-C while it stops or exits must not end it by signal.
class stopSignals {
public:
    stopSignals()
    {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    }
    stopSignals(const stopSignals&) = delete;
    stopSignals& operator=(const stopSignals&) = delete;

    // True when a stop signal came within `wait`.
    bool waitForSignal(std::chrono::milliseconds wait) const
    {
        const timespec timeout{0, static_cast<long>(wait.count()) * 1000000L};
        return sigtimedwait(&set_, nullptr, &timeout) > 0;
    }

private:
    sigset_t set_{};
};

void fail(const std::string& why)
{
    reportError(why);
}

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

// Beyond loopback the page needs the token; the address printed carries it.
std::string guardedAddress(const listenAddress& address, requestHandler& handler)
{
    if (address.isLoopback()) {
        return "http://" + address.hostHeader() + "/ (loopback only)";
    }
    const std::string token = makeAccessToken();
    handler.requireToken(token, "panel-host-" + std::to_string(address.port));
    std::cerr << "warning: listening beyond loopback; whoever has this address with its token can use the panel\n";
    return "http://" + (address.host != "0.0.0.0" ? address.host : machineName()) + ":" +
           std::to_string(address.port) + "/?token=" + token;
}

int serve(const serveOptions& options)
{
    listenAddress address;
    const bool searchUpward = options.listen.empty();
    if (!searchUpward) {
        const listenAddressParse parsed = parseListenAddress(options.listen);
        if (!parsed.address) {
            fail("--listen: " + parsed.error);
            return 2;
        }
        address = *parsed.address;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const stopSignals signals;

    workerProcess worker;
    std::string problem;
    const hostSetup setup = options.setup;
    if (!worker.start([setup](int in, int out) { return runSessionWorker(setup, in, out); }, problem)) {
        fail(problem);
        return 2;
    }
    eventHub hub;
    std::string lastLine;
    std::atomic<bool> killed{false};
    std::thread reader([&worker, &hub, &lastLine, &killed] {
        const workerEnding ending = worker.readUntilEnd([&hub, &lastLine](const nlohmann::json& message) {
            for (const nlohmann::json& line : message.value("log", nlohmann::json::array())) {
                lastLine = line.is_string() ? line.get<std::string>() : line.dump();
                // The session's errors are told once, on standard error.
                (lastLine.rfind("error: ", 0) == 0 ? std::cerr : std::cout) << lastLine << '\n';
            }
            std::cout.flush();
            std::cerr.flush();
            hub.publish(message);
        });
        if (killed) {
            hub.publishEnd("the script did not go within " + std::to_string(stopGrace.count()) +
                               " s of the stop; its session process was killed",
                           true);
        } else if (!ending.normal) {
            hub.publishEnd("the module crashed (its session process " + ending.how + "); the session is over",
                           true);
        }
    });

    bool stopping = false;
    auto killAt = std::chrono::steady_clock::time_point::max();
    // Waits until `done`, taking Ctrl-C as the request to stop; a script
    // that has not gone stopGrace after it is killed.
    const auto waitUntil = [&](const auto& done) {
        while (!done()) {
            if (signals.waitForSignal(std::chrono::milliseconds(200)) && !stopping) {
                stopping = true;
                std::cout << "panel-host serve: stopping" << std::endl;
                worker.closeInput();
                killAt = std::chrono::steady_clock::now() + stopGrace;
            }
            if (std::chrono::steady_clock::now() > killAt && !killed) {
                killed = true;
                worker.kill();
            }
        }
    };
    waitUntil([&hub] { return !hub.state().is_null() || hub.ended(); });
    httpTransport transport(hub);
    std::unique_ptr<requestHandler> handler;
    bool bound = false;
    if (!hub.ended() && !stopping) {
        bound = transport.bind(address, searchUpward, problem);
        if (!bound) {
            fail(problem);
            worker.closeInput();
        }
    }
    if (bound) {
        handler = std::make_unique<requestHandler>(
            acceptedHosts(address, options.allowedHosts), hub,
            [&worker](const std::string& line) { return worker.send(line); }, panelPage());
        const std::string printed = guardedAddress(address, *handler);
        transport.start(*handler);
        std::cout << "panel-host serve: " << printed << "; Ctrl-C stops" << std::endl;
    }

    waitUntil([&hub] { return hub.ended(); });
    hub.waitUntilEndDelivered(endDelivery);
    transport.stop();
    worker.closeInput();
    reader.join();

    const nlohmann::json ending = hub.ending();
    if (!bound && !(stopping && !ending.value("failed", true))) {
        if (problem.empty() && lastLine.rfind("error: ", 0) != 0) {
            fail("the session could not start: " + lastLine);
        }
        return 2;
    }
    if (ending.value("failed", false)) {
        fail(ending.value("message", std::string("the session failed")));
        return 1;
    }
    return 0;
}

}  // namespace

void registerServeCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<serveOptions>();
    CLI::App* command =
        app.add_subcommand("serve", "run the panel with real timers and serve it as a web page");
    addVersionFlag(*command);
    command->add_option("--listen", options->listen,
                        "ADDR:PORT to listen on (default 127.0.0.1:8630 or the first free port after it; "
                        "port 0: any free port); beyond loopback the page needs the token in the address printed");
    command->add_option("--allow-host", options->allowedHosts,
                        "a further host NAME pages may be opened by beyond loopback (a proxy's, a DNS alias)")
        ->type_name("NAME");
    addHostOptions(*command, options->setup);
    command->callback([options, &exitCode] { exitCode = serve(*options); });
}
