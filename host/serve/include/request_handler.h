#pragma once

#include "event_hub.h"
#include "operator_outcome.h"

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
    // A header a request carries once at most (Host, Origin, Content-Type,
    // Cookie) that came more often; "" when none did.
    std::string duplicated = {};
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
//   POST /choose   {"control": "Sources", "value": 5, "panel": 2}  (-1: nothing chosen)
//   POST /press    {"control": "Take", "panel": 2}
// ("panel": the script instance, from 1; default 1; the control's name as
// the state gives it, any text)
//   POST /route    {"source": 5, "destination": 7, "device": 1}  (device optional)
// Every request, the WebSocket upgrade to /events included, first passes
// the access checks of checkAccess, and nothing else is looked at before:
// a request with two Host, Origin, Content-Type or Cookie headers gets 400
// (the checks would judge one of them); a request whose Host is not one of the listening address's, or whose
// Origin (when sent) is not that address over http, gets 403; with an
// access token required, a request without it 401 (the token in the query,
// "?token=...", is answered with a cookie holding it and, for GET, a
// redirect to the same path without it); a body over
// the limit 413; an unknown path 404; a known path with another method 405;
// a body that is not the JSON object the route wants 400. An action's body
// becomes one operator line of the scenario language, which the session
// judges: done 202 (the line as the answer), naming a control, entry or
// router device the session does not have 400, refused by the panel now (a
// disabled control, the session over) 409. Each with a one-line reason.
class requestHandler {
public:
    // Hands one operator line to the session, which answers it through
    // `answered` once; false (and no answer) when it is gone.
    using lineSink = std::function<bool(const std::string& line, outcomeSink answered)>;
    // Takes the answer to a request, once; at once or, for an action, when
    // the session has judged it.
    using responder = std::function<void(const serveResponse& answer)>;

    requestHandler(std::vector<std::string> acceptedHosts, const eventHub& hub, lineSink sink, std::string page,
                   std::size_t maxBody = 1024);

    void handle(const serveRequest& request, const responder& respond) const;
    // From now on every request must carry `token`, in the query once and
    // then in the cookie `cookieName`.
    void requireToken(std::string token, std::string cookieName);

    std::size_t maxBody() const { return maxBody_; }

private:
    void handleAction(const serveRequest& request, const responder& respond) const;
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
