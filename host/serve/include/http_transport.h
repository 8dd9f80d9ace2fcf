#pragma once

#include "event_hub.h"
#include "listen_address.h"
#include "request_handler.h"

#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

// Carries requests to a request handler over HTTP (Debian's cpp-httplib),
// streaming the hub's frames to /events. Bind first, then build the
// handler for the address actually bound, then start.
class httpTransport {
public:
    explicit httpTransport(eventHub& hub);
    // Stops the server if it runs.
    ~httpTransport();
    httpTransport(const httpTransport&) = delete;
    httpTransport& operator=(const httpTransport&) = delete;

    // Binds to `address`; with searchUpward, a taken port is followed by the
    // next ones (a few), then by any free port. Port 0: any free port. On
    // success `address` holds the port bound.
    bool bind(listenAddress& address, bool searchUpward, std::string& problem);
    // Serves `handler` (which must outlive the transport) on a thread of its own.
    void start(const requestHandler& handler);
    // Stops accepting and waits for the open requests to finish.
    void stop();

private:
    eventHub& hub_;
    std::unique_ptr<httplib::Server> server_;
    std::thread listening_;
};
