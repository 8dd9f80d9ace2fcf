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
#include "session_worker.h"
#include "stop_signals.h"
#include "worker_process.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>
#include <optional>

namespace panel_host {

namespace net = boost::asio;

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

// How often the module file is looked at while following rebuilds.
constexpr std::chrono::milliseconds rebuildPoll{200};
// How often the end's delivery to the pages is looked at.
constexpr std::chrono::milliseconds deliveryPoll{20};

// serve on its io_context: takes the stop signals, starts serving once the
// session shows its first state, kills a script that does not go in time,
// reloads a rebuilt module, and ends once the session is over and the pages
// were told.
class serveLoop {
public:
    serveLoop(net::io_context& io, const serveSettings& settings, listenAddress address, bool searchUpward,
              const std::function<void(const std::string&)>& fail)
        : settings_(settings),
          address_(std::move(address)),
          searchUpward_(searchUpward),
          fail_(fail),
          relay_(io, settings.setup, hub_, settings.rebuilds != rebuildFollowing::off, settings.callLimit),
          transport_(io, hub_),
          signals_(io, SIGINT, SIGTERM),
          killTimer_(io),
          watchTimer_(io),
          deliveryTimer_(io)
    {
    }

    // Takes the port and prints the page's address, then starts the first
    // session: a port in use is told before the module loads. False (told)
    // when either could not start.
    bool start()
    {
        if (!takePort()) {
            return false;
        }
        std::string problem;
        if (!relay_.start(problem)) {
            fail_(problem);
            return false;
        }
        relay_.onChange([this] { advance(); });
        awaitSignal();
        return true;
    }

    // Once the io_context has run out of work: the exit code.
    int exitCode() const
    {
        const nlohmann::json ending = hub_.ending();
        // A session that ended before its first state could not start,
        // unless Ctrl-C came first and the session went without failing.
        const bool stoppedBeforeStart = stopping_ && ending.value("failed", true) == false;
        if (!sessionShown_ && !stoppedBeforeStart) {
            if (relay_.lastLine().rfind("error: ", 0) != 0) {
                fail_("the session could not start: " + relay_.lastLine());
            }
            return usageErrorExit;
        }
        if (ending.value("failed", false)) {
            fail_(ending.value("message", std::string("the session failed")));
            return runFailedExit;
        }
        return 0;
    }

private:
    enum class phase { starting, serving, finishing };

    void awaitSignal()
    {
        // Further signals while serve stops are taken too: they must not end it.
        signals_.async_wait([this](boost::system::error_code ec, int) {
            if (ec) {
                return;
            }
            awaitSignal();
            if (!stopping_) {
                stopping_ = true;
                std::cout << "panel-host serve: stopping" << std::endl;
                relay_.stop();
                killTimer_.expires_after(stopGrace);
                killTimer_.async_wait([this](boost::system::error_code waited) {
                    if (!waited && !relay_.finished()) {
                        relay_.kill("the script did not go within " + std::to_string(stopGrace.count()) +
                                    " s of the stop; its session process was killed");
                    }
                });
            }
            advance();
        });
    }

    void advance()
    {
        if (phase_ == phase::starting) {
            if (hub_.state().is_null() && !hub_.ended() && !stopping_) {
                return;
            }
            phase_ = phase::serving;
            if (!hub_.ended() && !stopping_) {
                startServing();
            }
        }
        if (phase_ == phase::serving && (hub_.ended() || (stopping_ && relay_.finished()))) {
            // A session that could not be reloaded has no process to end.
            if (!hub_.ended()) {
                hub_.publishEnd("serve stopped; no module was running", false);
            }
            phase_ = phase::finishing;
            deliverBy_ = std::chrono::steady_clock::now() + endDelivery;
            awaitDelivery();
        }
    }

    bool takePort()
    {
        std::string problem;
        if (!transport_.bind(address_, searchUpward_, problem)) {
            fail_(problem +
                  (searchUpward_ ? "" : "; choose another port with --listen ADDR:PORT (port 0: any free one)"));
            return false;
        }
        handler_ = std::make_unique<requestHandler>(
            acceptedHosts(address_, settings_.allowedHosts), hub_,
            [this](const std::string& line, outcomeSink answered) { return relay_.send(line, std::move(answered)); },
            panelPage());
        std::cout << "panel-host serve: " << guardedAddress(address_, *handler_) << "; Ctrl-C stops" << std::endl;
        return true;
    }

    // The session shows its first state: the pages are served (those opened
    // since the address was printed waited for it).
    void startServing()
    {
        sessionShown_ = true;
        relay_.serving();
        if (settings_.rebuilds != rebuildFollowing::off) {
            watch_.emplace(settings_.setup.modulePath, rebuildSettle, std::chrono::steady_clock::now());
            awaitRebuild();
        }
        transport_.start(*handler_);
    }

    void awaitRebuild()
    {
        watchTimer_.expires_after(rebuildPoll);
        watchTimer_.async_wait([this](boost::system::error_code ec) {
            if (ec || phase_ == phase::finishing) {
                return;
            }
            if (!stopping_ && !relay_.reloading() && watch_->replaced(std::chrono::steady_clock::now())) {
                relay_.reload(settings_.rebuilds == rebuildFollowing::replay, stopGrace);
            }
            awaitRebuild();
        });
    }

    // The last event reaches the open pages (2 s at most); then everything stops.
    void awaitDelivery()
    {
        if (!hub_.endDelivered() && std::chrono::steady_clock::now() < deliverBy_) {
            deliveryTimer_.expires_after(deliveryPoll);
            deliveryTimer_.async_wait([this](boost::system::error_code ec) {
                if (!ec) {
                    awaitDelivery();
                }
            });
            return;
        }
        transport_.stop();
        relay_.stop();
        boost::system::error_code ignored;
        signals_.cancel(ignored);
        killTimer_.cancel();
        watchTimer_.cancel();
    }

    const serveSettings& settings_;
    listenAddress address_;
    const bool searchUpward_;
    const std::function<void(const std::string&)>& fail_;
    eventHub hub_;
    sessionRelay relay_;
    httpTransport transport_;
    std::unique_ptr<requestHandler> handler_;
    net::signal_set signals_;
    net::steady_timer killTimer_;
    net::steady_timer watchTimer_;
    net::steady_timer deliveryTimer_;
    std::optional<fileWatch> watch_;
    phase phase_ = phase::starting;
    bool stopping_ = false;
    bool sessionShown_ = false;
    std::chrono::steady_clock::time_point deliverBy_;
};

}  // namespace

int runServe(const serveSettings& settings, const std::function<void(const std::string&)>& fail)
{
    // A session process started afresh (Windows) runs the session here.
    workerProcess::runStarted(
        [&settings](int inputFd, watchReport& report) { return runSessionWorker(settings.setup, inputFd, report); });
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
    ignoreBrokenPipes();
    net::io_context io;
    serveLoop loop(io, settings, address, searchUpward, fail);
    if (!loop.start()) {
        return usageErrorExit;
    }
    io.run();
    return loop.exitCode();
}

}  // namespace panel_host
