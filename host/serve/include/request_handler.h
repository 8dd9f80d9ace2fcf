#pragma once

#include "event_hub.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace panel_host {

// An HTTP request as the handler sees it, whatever carried it.
struct serveRequest {
    std::string method;
    std::string path;
    std::string host;         // the Host header ("" when absent)
    std::string origin;       // the Origin header ("" when absent)
    std::string contentType;  // without parameters ("application/json")
    std::string body;
    std::string query = {};   // what follows '?' in the target
    std::string cookie = {};  // the Cookie header
};

struct serveResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    // 200 on /events: the transport streams the hub's frames instead of body.
    bool eventStream = false;
    std::vector<std::pair<std::string, std::string>> headers = {};  // further ones
};

// The routes of `panel-host serve`:
//   GET  /         the page
//   GET  /state    {"state": ..., "ended": bool}
//   GET  /events   the event stream (see eventHub)
//   POST /choose   {"control": "Sources", "value": 5}    (-1: nothing chosen)
//   POST /press    {"control": "Take"}
//   POST /route    {"source": 5, "destination": 7, "device": 1}  (device optional)
// Every request, the WebSocket upgrade to /events included, first passes
// the access checks of checkAccess, and nothing else is looked at before:
// a request whose Host is not one of the listening address's, or whose
// Origin (when sent) is not that address over http, gets 403; with an
// access token required, a request without it 401 (the token in the query,
// "?token=...", is answered with a cookie holding it and, for GET, a
// redirect to the same path without it); a body over
// the limit 413; an unknown path 404; a known path with another method 405;
// a body that is not the JSON object the route wants, or names a control,
// item or router entry the session does not have, 400; an action the panel
// refuses now (a disabled control, the session over) 409. Each with a
// one-line reason. Only an accepted action (202) reaches the session, as
// one operator line of the scenario language.
class requestHandler {
public:
    // Hands one operator line to the session; false when it is gone.
    using lineSink = std::function<bool(const std::string& line)>;

    requestHandler(std::vector<std::string> acceptedHosts, const eventHub& hub, lineSink sink, std::string page,
                   std::size_t maxBody = 1024);

    serveResponse handle(const serveRequest& request) const;
    // From now on every request must carry `token`, in the query once and
    // then in the cookie `cookieName`.
    void requireToken(std::string token, std::string cookieName);

    std::size_t maxBody() const { return maxBody_; }

private:
    serveResponse handleAction(const serveRequest& request) const;
    // Host, Origin and token; null when the request may go on, else the answer.
    std::optional<serveResponse> checkAccess(const serveRequest& request) const;
    // Null when the request may go on; else the answer.
    std::optional<serveResponse> checkToken(const serveRequest& request) const;

    std::vector<std::string> acceptedHosts_;
    const eventHub& hub_;
    lineSink sink_;
    std::string page_;
    std::size_t maxBody_;
    std::string token_;
    std::string cookieName_;
};

}  // namespace panel_host
