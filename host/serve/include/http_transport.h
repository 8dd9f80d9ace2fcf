#pragma once

#include "event_hub.h"
#include "listen_address.h"
#include "request_handler.h"

#include <boost/asio/io_context.hpp>

#include <cstddef>
#include <memory>
#include <string>

namespace panel_host {

// How many clients the transport holds and how long it waits for them.
struct transportLimits {
    std::size_t connections = 768;   // open sockets of any kind
    std::size_t eventStreams = 256;  // of them, open event streams (pages)
    int requestSeconds = 10;         // a whole request, or the wait for the next on an idle connection
    int streamIdleSeconds = 30;      // an event stream that answers no ping for this long is closed
};

// Carries requests to a request handler over HTTP/1.1 on Boost.Beast, every
// client on serve's one io_context: /events is a WebSocket that streams the
// hub's events as they are published, so that browsers do not count pages
// against their six HTTP connections per host, and open pages hold no
// thread. Bind first, then build the handler for the address actually
// bound, then start. Run the io_context until it has no more work after
// stop(), before the transport goes.
class httpTransport {
public:
    httpTransport(boost::asio::io_context& io, eventHub& hub, transportLimits limits = {});
    ~httpTransport();
    httpTransport(const httpTransport&) = delete;
    httpTransport& operator=(const httpTransport&) = delete;

    // Binds to `address`, alone (a port another socket listens on is taken);
    // with searchUpward, a taken port is followed by the next ones (a few),
    // then by any free port. Port 0: any free port. On success `address`
    // holds the port bound.
    bool bind(listenAddress& address, bool searchUpward, std::string& problem);
    // Serves `handler` (which must outlive the transport).
    void start(const requestHandler& handler);
    // Stops accepting and closes every connection (pages get a normal
    // close; those that do not take it within a second are cut off).
    void stop();

private:
    class server;
    std::unique_ptr<server> server_;
};

}  // namespace panel_host
