#include "http_transport.h"

#include "serve_messages.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>

namespace panel_host {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;

namespace {

// Ports tried after a taken default port, before any free port.
constexpr int portsSearched = 20;
// How long stop() lets pages take their close before it cuts them off.
constexpr std::chrono::seconds closingGrace{1};
constexpr std::size_t maxHeaderBytes = 8192;
// How long a connection closed after its answer reads on what the client
// still sends, and how many connections over the limit may do so besides.
constexpr std::chrono::seconds lingerLimit{2};
constexpr std::size_t lingeringRefusals = 64;
const char* const securityPolicy =
    "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src 'self' data:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

using request = http::request<http::string_body>;
using response = http::response<http::string_body>;

class eventStream;
class httpSession;

// What every connection shares.
struct transportCore {
    transportCore(net::io_context& context, eventHub& h, transportLimits l)
        : hub(h), limits(l), io(context), stopDeadline(io)
    {
    }

    void released()
    {
        --connections;
        if (stopping && connections == 0) {
            stopDeadline.cancel();
        }
    }

    eventHub& hub;
    const transportLimits limits;
    net::io_context& io;
    net::steady_timer stopDeadline;
    const requestHandler* handler = nullptr;
    std::size_t connections = 0;
    std::set<eventStream*> streams;
    std::set<httpSession*> sessions;
    bool stopping = false;
};

std::string withoutParameters(beast::string_view value)
{
    std::string text(value.substr(0, value.find(';')));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The first header of those a request may carry once that came more often;
// "" when none did.
std::string duplicatedHeader(const request& r)
{
    for (const http::field once :
         {http::field::host, http::field::origin, http::field::content_type, http::field::cookie}) {
        if (r.count(once) > 1) {
            return std::string(http::to_string(once));
        }
    }
    return "";
}

serveRequest toServeRequest(const request& r)
{
    const std::string target(r.target());
    const std::size_t query = target.find('?');
    return {std::string(r.method_string()),
            target.substr(0, query),
            std::string(r[http::field::host]),
            std::string(r[http::field::origin]),
            withoutParameters(r[http::field::content_type]),
            r.body(),
            query == std::string::npos ? std::string() : target.substr(query + 1),
            std::string(r[http::field::cookie]),
            duplicatedHeader(r)};
}

response toResponse(const serveResponse& answer, unsigned version)
{
    response out{static_cast<http::status>(answer.status), version};
    out.set(http::field::content_type, answer.contentType);
    out.set(http::field::cache_control, "no-store");
    out.set("X-Content-Type-Options", "nosniff");
    out.set("Content-Security-Policy", securityPolicy);
    for (const auto& [name, value] : answer.headers) {
        out.insert(name, value);
    }
    out.body() = answer.body;
    return out;
}

response plainResponse(int status, const std::string& line, unsigned version = 11)
{
    return toResponse({status, "text/plain; charset=utf-8", line + "\n", false}, version);
}

// An open page's event stream: a WebSocket that gets the hub's events as
// they come, one JSON array a message, never more than one write at a time
// (what came meanwhile goes out together in the next).
class eventStream : public std::enable_shared_from_this<eventStream> {
public:
    eventStream(transportCore& core, tcp::socket socket) : core_(core), ws_(std::move(socket)) {}

    ~eventStream()
    {
        if (registered_) {
            core_.streams.erase(this);
            core_.hub.close(cursor_);
        }
        core_.released();
    }

    void accept(const request& upgrade)
    {
        ws_.set_option(websocket::stream_base::timeout{std::chrono::seconds(core_.limits.requestSeconds),
                                                       std::chrono::seconds(core_.limits.streamIdleSeconds), true});
        ws_.read_message_max(4096);
        ws_.text(true);
        ws_.async_accept(upgrade, [self = shared_from_this()](beast::error_code ec) { self->onAccepted(ec); });
    }

    void sendNews()
    {
        if (writing_ || closing_) {
            return;
        }
        outgoing_ = core_.hub.nextFrames(cursor_);
        if (outgoing_.empty()) {
            if (cursor_.endSeen) {
                closeWith(websocket::close_code::normal, "the session is over");
            }
            return;
        }
        writing_ = true;
        ws_.async_write(net::buffer(outgoing_), [self = shared_from_this()](beast::error_code ec, std::size_t) {
            self->writing_ = false;
            if (ec) {
                self->cutOff();
            } else {
                self->sendNews();
            }
        });
    }

    void closeWith(websocket::close_code code, const char* reason)
    {
        if (closing_) {
            return;
        }
        closing_ = true;
        ws_.async_close({code, reason}, [self = shared_from_this()](beast::error_code) { self->cutOff(); });
    }

    void cutOff()
    {
        beast::error_code ignored;
        beast::get_lowest_layer(ws_).socket().close(ignored);
    }

private:
    void onAccepted(beast::error_code ec)
    {
        if (ec || core_.stopping) {
            cutOff();
            return;
        }
        if (core_.streams.size() >= core_.limits.eventStreams) {
            refuse();
            return;
        }
        registered_ = true;
        cursor_ = core_.hub.open();
        core_.streams.insert(this);
        readNext();
        sendNews();
    }

    // The page learns why it gets no events; the close says "try again later".
    void refuse()
    {
        closing_ = true;
        outgoing_ = eventFrames(nlohmann::json::array(
            {eventOf(serveMessage::refused,
                     {{"message", "panel-host serve already serves " + std::to_string(core_.limits.eventStreams) +
                                      " pages, its limit: close another page, then reload this one"}})}));
        ws_.async_write(net::buffer(outgoing_), [self = shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec) {
                self->cutOff();
                return;
            }
            self->ws_.async_close({websocket::close_code::try_again_later, "too many pages"},
                                  [self](beast::error_code) { self->cutOff(); });
        });
    }

    // Pages send nothing that matters; reading answers pings and sees the close.
    void readNext()
    {
        ws_.async_read(incoming_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec) {
                self->cutOff();
                return;
            }
            self->incoming_.clear();
            self->readNext();
        });
    }

    transportCore& core_;
    websocket::stream<beast::tcp_stream> ws_;
    eventHub::cursor cursor_;
    bool registered_ = false;
    bool writing_ = false;
    bool closing_ = false;
    std::string outgoing_;
    beast::flat_buffer incoming_;
};

// One HTTP connection: requests one at a time, each to be whole within the
// time limit (which also ends an idle connection); /events turns it into an
// event stream.
class httpSession : public std::enable_shared_from_this<httpSession> {
public:
    httpSession(transportCore& core, tcp::socket socket) : core_(core), stream_(std::move(socket))
    {
        ++core_.connections;
        core_.sessions.insert(this);
    }

    ~httpSession()
    {
        core_.sessions.erase(this);
        if (!upgraded_) {
            core_.released();
        }
    }

    void start() { readRequest(); }

    // A connection over the limit is told so, and closed as gracefully.
    void refuseBusy()
    {
        reply(plainResponse(503, "panel-host serve has too many connections open; try again later"), false);
    }

    void cutOff()
    {
        const std::shared_ptr<httpSession> last = std::move(awaiting_);  // may be the last hold on this
        beast::error_code ignored;
        stream_.socket().close(ignored);
    }

private:
    void readRequest()
    {
        parser_.emplace();
        parser_->body_limit(core_.handler->maxBody());
        parser_->header_limit(maxHeaderBytes);
        stream_.expires_after(std::chrono::seconds(core_.limits.requestSeconds));
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onRequest(ec); });
    }

    void onRequest(beast::error_code ec)
    {
        if (ec == http::error::body_limit) {
            reply(plainResponse(413, "the body is over " + std::to_string(core_.handler->maxBody()) + " bytes"), false);
            return;
        }
        if (ec && ec.category() == http::make_error_code(http::error::bad_target).category() &&
            ec != http::error::end_of_stream && ec != http::error::partial_message) {
            reply(plainResponse(400, "the request could not be read: " + ec.message()), false);
            return;
        }
        if (ec) {  // closed, timed out, or cut off by stop()
            cutOff();
            return;
        }
        // An action is answered once the session has judged it: until then
        // the connection keeps itself, and stop() lets it go.
        const auto incoming = std::make_shared<request>(parser_->release());
        awaiting_ = shared_from_this();
        core_.handler->handle(toServeRequest(*incoming),
                              [weak = weak_from_this(), incoming](const serveResponse& answer) {
                                  if (const auto self = weak.lock()) {
                                      self->answer(*incoming, answer);
                                  }
                              });
    }

    void answer(const request& incoming, const serveResponse& answer)
    {
        if (!awaiting_) {
            return;  // cut off meanwhile
        }
        awaiting_.reset();
        if (!answer.eventStream) {
            reply(toResponse(answer, incoming.version()), incoming.keep_alive());
        } else if (!websocket::is_upgrade(incoming)) {
            reply(plainResponse(400, "/events is a WebSocket", incoming.version()), false);
        } else {
            upgraded_ = true;
            std::make_shared<eventStream>(core_, stream_.release_socket())->accept(incoming);
        }
    }

    void reply(response answer, bool keepAlive)
    {
        auto held = std::make_shared<response>(std::move(answer));
        held->keep_alive(keepAlive && !core_.stopping);
        held->prepare_payload();
        stream_.expires_after(std::chrono::seconds(core_.limits.requestSeconds));
        http::async_write(stream_, *held, [self = shared_from_this(), held](beast::error_code ec, std::size_t) {
            if (ec) {
                self->cutOff();
            } else if (!held->keep_alive()) {
                self->closeGracefully();
            } else {
                self->readRequest();
            }
        });
    }

    // After the last answer: shut down the sending side, then drop what the
    // client still sends until it closes, for lingerLimit at most. Closing
    // with its data unread would reset the connection, and a client still
    // writing (a body over the limit) would lose the answer.
    void closeGracefully()
    {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.expires_after(lingerLimit);
        discardIncoming();
    }

    void discardIncoming()
    {
        buffer_.clear();
        stream_.async_read_some(buffer_.prepare(4096), [self = shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec) {
                self->cutOff();
            } else {
                self->discardIncoming();
            }
        });
    }

    transportCore& core_;
    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    bool upgraded_ = false;
    std::shared_ptr<httpSession> awaiting_;  // this, while the answer is awaited
};

net::ip::address addressOf(const listenAddress& address, beast::error_code& ec)
{
    return net::ip::make_address(address.host == "localhost" ? "127.0.0.1" : address.host, ec);
}

}  // namespace

class httpTransport::server {
public:
    server(net::io_context& io, eventHub& hub, transportLimits limits)
        : core_(io, hub, limits), acceptor_(core_.io), retry_(core_.io)
    {
    }

    // Listens on `port` (0: any), so that a port another socket listens on
    // is refused rather than shared: on POSIX with SO_REUSEADDR, which only
    // takes over a port that old connections still wait on; on Windows,
    // where SO_REUSEADDR would share even a listening port and a waiting
    // one needs no option, with the port held exclusively.
    bool listen(const net::ip::address& host, std::uint16_t port, beast::error_code& ec)
    {
        if (acceptor_.is_open()) {
            acceptor_.close(ec);
        }
        const tcp::endpoint endpoint(host, port);
        acceptor_.open(endpoint.protocol(), ec);
        if (!ec) {
#if defined(_WIN32)
            acceptor_.set_option(net::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>(true), ec);
#else
            acceptor_.set_option(net::socket_base::reuse_address(true), ec);
#endif
        }
        if (!ec) {
            acceptor_.bind(endpoint, ec);
        }
        if (!ec) {
            acceptor_.listen(net::socket_base::max_listen_connections, ec);
        }
        return !ec;
    }

    std::uint16_t port() const
    {
        return acceptor_.local_endpoint().port();
    }

    void start(const requestHandler& handler)
    {
        core_.handler = &handler;
        started_ = true;
        core_.hub.setListener([this] {
            for (eventStream* stream : core_.streams) {
                stream->sendNews();
            }
        });
        acceptNext();
    }

    void stop()
    {
        if (!started_ || core_.stopping) {
            return;
        }
        core_.hub.setListener({});
        closeAll();
    }

private:
    void acceptNext()
    {
        acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
            if (!acceptor_.is_open() || ec == net::error::operation_aborted) {
                return;
            }
            if (ec) {  // out of file descriptors and the like: try again shortly
                retry_.expires_after(std::chrono::milliseconds(100));
                retry_.async_wait([this](beast::error_code waited) {
                    if (!waited) {
                        acceptNext();
                    }
                });
                return;
            }
            const bool busy = core_.connections >= core_.limits.connections;
            if (core_.connections >= core_.limits.connections + lingeringRefusals) {
                beast::error_code ignored;
                socket.close(ignored);  // even the refusals are too many: no answer
            } else if (busy) {
                std::make_shared<httpSession>(core_, std::move(socket))->refuseBusy();
            } else {
                std::make_shared<httpSession>(core_, std::move(socket))->start();
            }
            acceptNext();
        });
    }

    void closeAll()
    {
        core_.stopping = true;
        beast::error_code ignored;
        acceptor_.close(ignored);
        retry_.cancel();
        for (httpSession* session : std::set<httpSession*>(core_.sessions)) {
            session->cutOff();
        }
        for (eventStream* stream : std::set<eventStream*>(core_.streams)) {
            stream->sendNews();
            stream->closeWith(websocket::close_code::going_away, "panel-host serve stops");
        }
        if (core_.connections == 0) {
            return;
        }
        core_.stopDeadline.expires_after(closingGrace);
        core_.stopDeadline.async_wait([this](beast::error_code ec) {
            if (!ec) {
                for (eventStream* stream : std::set<eventStream*>(core_.streams)) {
                    stream->cutOff();
                }
            }
        });
    }

    transportCore core_;
    tcp::acceptor acceptor_;
    net::steady_timer retry_;
    bool started_ = false;
};

httpTransport::httpTransport(net::io_context& io, eventHub& hub, transportLimits limits)
    : server_(std::make_unique<server>(io, hub, limits))
{
}

httpTransport::~httpTransport()
{
    stop();
}

bool httpTransport::bind(listenAddress& address, bool searchUpward, std::string& problem)
{
    beast::error_code ec;
    const net::ip::address host = addressOf(address, ec);
    if (ec) {
        problem = "cannot listen on " + address.hostHeader() + ": " + ec.message();
        return false;
    }
    const int first = address.port;
    const int last = searchUpward && first != 0 ? std::min(first + portsSearched, 65535) : first;
    bool bound = false;
    for (int port = first; port <= last && !bound; ++port) {
        bound = server_->listen(host, static_cast<std::uint16_t>(port), ec);
    }
    beast::error_code ignored;
    if (!bound && searchUpward && first != 0) {
        bound = server_->listen(host, 0, ignored);
    }
    if (!bound) {
        problem = "cannot listen on " + address.hostHeader() + (searchUpward ? " or any port after it" : "") + ": " +
                  ec.message();
        return false;
    }
    address.port = server_->port();
    return true;
}

void httpTransport::start(const requestHandler& handler)
{
    server_->start(handler);
}

void httpTransport::stop()
{
    server_->stop();
}

}  // namespace panel_host
