#include "http_transport.h"

#include <httplib.h>

#include <chrono>

namespace {

// Enough threads for several pages: each open page holds one for its events.
constexpr std::size_t serverThreads = 16;
// How long an event stream waits before it sends a keep-alive comment.
constexpr std::chrono::seconds keepAliveEvery{5};
// Ports tried after a taken default port, before any free port.
constexpr int portsSearched = 20;

serveRequest toServeRequest(const httplib::Request& request)
{
    std::string contentType = request.get_header_value("Content-Type");
    contentType = contentType.substr(0, contentType.find(';'));
    contentType.erase(contentType.find_last_not_of(' ') + 1);
    return {request.method,
            request.path,
            request.get_header_value("Host"),
            request.get_header_value("Origin"),
            contentType,
            request.body};
}

}  // namespace

httpTransport::httpTransport(eventHub& hub) : hub_(hub), server_(std::make_unique<httplib::Server>()) {}

httpTransport::~httpTransport()
{
    stop();
}

bool httpTransport::bind(listenAddress& address, bool searchUpward, std::string& problem)
{
    const int first = address.port;
    const int last = searchUpward && first != 0 ? std::min(first + portsSearched, 65535) : first;
    for (int port = first; port <= last; ++port) {
        if (port == 0) {
            const int bound = server_->bind_to_any_port(address.host);
            if (bound > 0) {
                address.port = static_cast<std::uint16_t>(bound);
                return true;
            }
        } else if (server_->bind_to_port(address.host, port)) {
            address.port = static_cast<std::uint16_t>(port);
            return true;
        }
    }
    if (searchUpward && first != 0) {
        const int bound = server_->bind_to_any_port(address.host);
        if (bound > 0) {
            address.port = static_cast<std::uint16_t>(bound);
            return true;
        }
    }
    problem = "cannot listen on " + address.hostHeader() + (searchUpward ? " or any port after it" : "");
    return false;
}

void httpTransport::start(const requestHandler& handler)
{
    httplib::Server& server = *server_;
    server.new_task_queue = [] { return new httplib::ThreadPool(serverThreads); };
    server.set_payload_max_length(handler.maxBody());
    server.set_keep_alive_timeout(1);
    server.set_default_headers({{"Cache-Control", "no-store"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"Content-Security-Policy",
                                 "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                                 "img-src 'self' data:; connect-src 'self'; base-uri 'none'; form-action 'none'; "
                                 "frame-ancestors 'none'"}});
    const auto serve = [this, &handler](const httplib::Request& request, httplib::Response& response) {
        const serveResponse answer = handler.handle(toServeRequest(request));
        response.status = answer.status;
        if (!answer.eventStream) {
            response.set_content(answer.body, answer.contentType.c_str());
            return;
        }
        auto stream = std::make_shared<eventHub::cursor>(hub_.open());
        response.set_chunked_content_provider(
            answer.contentType,
            [this, stream](std::size_t, httplib::DataSink& sink) {
                std::string frames = hub_.nextFrames(*stream, keepAliveEvery);
                if (frames.empty()) {
                    frames = ": keep-alive\n\n";
                }
                if (!sink.write(frames.data(), frames.size())) {
                    return false;
                }
                if (stream->endSeen) {
                    sink.done();
                }
                return true;
            },
            [this, stream](bool) { hub_.close(*stream); });
    };
    server.Get(".*", serve);
    server.Post(".*", serve);
    server.Put(".*", serve);
    server.Delete(".*", serve);
    server.Patch(".*", serve);
    server.Options(".*", serve);
    // Requests the library refuses itself (a body over the limit, a request
    // it cannot read) still get a one-line reason.
    const std::size_t maxBody = handler.maxBody();
    server.set_error_handler([maxBody](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty()) {
            response.set_content(response.status == 413 ? "the body is over " + std::to_string(maxBody) + " bytes\n"
                                                         : "request refused (HTTP " + std::to_string(response.status) + ")\n",
                                 "text/plain; charset=utf-8");
        }
    });
    listening_ = std::thread([&server] { server.listen_after_bind(); });
}

void httpTransport::stop()
{
    if (listening_.joinable()) {
        server_->stop();
        listening_.join();
    }
}
