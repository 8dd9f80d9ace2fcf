#include "request_handler.h"

#include "access_token.h"
#include "host_text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <set>

namespace panel_host {

namespace {

// An action taken apart: the operator line, or why the request is not one.
struct actionLine {
    std::string line;
    std::string problem;
};

serveResponse textResponse(int status, std::string text)
{
    return {status, "text/plain; charset=utf-8", std::move(text) + "\n", false};
}

// The field `name` of `body` as a whole number in the int32 range, or why not.
std::string readNumber(const nlohmann::json& body, const std::string& name, std::int64_t& value)
{
    const auto it = body.find(name);
    if (it == body.end()) {
        return "'" + name + "' is missing";
    }
    if (!it->is_number_integer() || *it < std::numeric_limits<std::int32_t>::min() ||
        *it > std::numeric_limits<std::int32_t>::max()) {
        return "'" + name + "' must be a whole number";
    }
    value = it->get<std::int64_t>();
    return {};
}

// The control of `body` as the start of an operator line ("@2 press Take"),
// or why it cannot be one: its script instance ("panel", default 1) and its
// name, which may be any text.
std::string readControl(const nlohmann::json& body, const std::string& keyword, std::string& line)
{
    std::int64_t instance = 1;
    if (body.contains("panel")) {
        if (std::string problem = readNumber(body, "panel", instance); !problem.empty() || instance < 1) {
            return "'panel' must be a panel number from 1";
        }
    }
    const auto it = body.find("control");
    if (it == body.end() || !it->is_string()) {
        return "'control' must be a control name";
    }
    line = (instance != 1 ? "@" + std::to_string(instance) + " " : std::string()) + keyword + " " +
           scenarioWordOfText(it->get<std::string>());
    return {};
}

// The requests below only take the body apart: what the line names is for
// the session to judge.
actionLine chooseLine(const nlohmann::json& body)
{
    std::string line;
    std::int64_t value = 0;
    std::string problem = readControl(body, "choose", line);
    if (problem.empty()) {
        problem = readNumber(body, "value", value);
    }
    if (!problem.empty()) {
        return {"", problem};
    }
    return {line + " " + (value == -1 ? "none" : std::to_string(value)), ""};
}

actionLine pressLine(const nlohmann::json& body)
{
    std::string line;
    if (std::string problem = readControl(body, "press", line); !problem.empty()) {
        return {"", problem};
    }
    return {line, ""};
}

actionLine routeLine(const nlohmann::json& body)
{
    std::string line = "route";
    for (const char* name : {"source", "destination", "device"}) {
        if (std::string(name) == "device" && !body.contains(name)) {
            break;  // the session's first router
        }
        std::int64_t value = 0;
        if (std::string problem = readNumber(body, name, value); !problem.empty()) {
            return {"", problem};
        }
        line += " " + std::to_string(value);
    }
    return {line, ""};
}

// The operator line of an action request, or why the request is not one.
actionLine actionOf(const serveRequest& request)
{
    if (request.contentType != "application/json") {
        return {"", "the body must be application/json"};
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (!body.is_object()) {
        return {"", "the body is not a JSON object"};
    }
    static const std::map<std::string, std::set<std::string>> fields{{"/choose", {"control", "value", "panel"}},
                                                                     {"/press", {"control", "panel"}},
                                                                     {"/route", {"source", "destination", "device"}}};
    for (const auto& item : body.items()) {
        if (fields.at(request.path).count(item.key()) == 0) {
            return {"", "unknown field '" + item.key() + "'"};
        }
    }
    return request.path == "/choose" ? chooseLine(body) : request.path == "/press" ? pressLine(body) : routeLine(body);
}

}  // namespace

requestHandler::requestHandler(std::vector<std::string> acceptedHosts, const eventHub& hub, lineSink sink,
                               std::string page, std::size_t maxBody)
    : acceptedHosts_(std::move(acceptedHosts)),
      hub_(hub),
      sink_(std::move(sink)),
      page_(std::move(page)),
      maxBody_(maxBody)
{
}

void requestHandler::handle(const serveRequest& request, const responder& respond) const
{
    if (std::optional<serveResponse> refusal = checkAccess(request)) {
        respond(*refusal);
        return;
    }
    if (request.body.size() > maxBody_) {
        respond(textResponse(413, "the body is over " + std::to_string(maxBody_) + " bytes"));
        return;
    }
    static const std::set<std::string> pages{"/", "/state", "/events"};
    static const std::set<std::string> actions{"/choose", "/press", "/route"};
    const bool isPage = pages.count(request.path) != 0;
    if (!isPage && actions.count(request.path) == 0) {
        respond(textResponse(404, "no such page: " + request.path));
    } else if (request.method != (isPage ? "GET" : "POST")) {
        respond(textResponse(405, request.path + " takes " + (isPage ? "GET" : "POST") + " only"));
    } else if (request.path == "/") {
        respond({200, "text/html; charset=utf-8", page_, false});
    } else if (request.path == "/state") {
        const nlohmann::json state{{"state", hub_.state()}, {"ended", hub_.ended()}};
        respond({200, "application/json", state.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), false});
    } else if (request.path == "/events") {
        respond({200, "text/plain; charset=utf-8", "", true});
    } else {
        handleAction(request, respond);
    }
}

void requestHandler::requireToken(std::string token, std::string cookieName)
{
    token_ = std::move(token);
    cookieName_ = std::move(cookieName);
}

std::optional<serveResponse> requestHandler::checkAccess(const serveRequest& request) const
{
    const auto accepted = [this](const std::string& host) {
        return std::find(acceptedHosts_.begin(), acceptedHosts_.end(), host) != acceptedHosts_.end();
    };
    if (!request.duplicated.empty()) {
        return textResponse(400, "the request has more than one " + request.duplicated + " header");
    }
    if (!accepted(request.host)) {
        return textResponse(403, "Host '" + request.host + "' is not the address panel-host listens on");
    }
    if (!request.origin.empty() && (request.origin.rfind("http://", 0) != 0 || !accepted(request.origin.substr(7)))) {
        return textResponse(403, "Origin '" + request.origin + "' is not the address panel-host listens on");
    }
    return checkToken(request);
}

std::optional<serveResponse> requestHandler::checkToken(const serveRequest& request) const
{
    if (token_.empty() || sameSecret(cookieValue(request.cookie, cookieName_), token_)) {
        return std::nullopt;
    }
    const std::string given = queryValue(request.query, "token");
    if (!sameSecret(given, token_)) {
        return textResponse(401, given.empty() ? "this address needs the access token: open the address with "
                                                 "?token= that panel-host serve printed"
                                               : "the access token is not the one panel-host serve printed");
    }
    if (request.method != "GET") {
        return std::nullopt;
    }
    serveResponse redirect = textResponse(303, "the access token is kept in a cookie from now on");
    redirect.headers = {{"Set-Cookie", cookieName_ + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict"},
                        {"Location", request.path}};
    return redirect;
}

void requestHandler::handleAction(const serveRequest& request, const responder& respond) const
{
    const actionLine action = actionOf(request);
    if (action.line.empty()) {
        respond(textResponse(400, action.problem));
        return;
    }
    if (hub_.state().is_null() || hub_.ended()) {
        respond(textResponse(409, sessionNotRunning().reason));
        return;
    }
    // The session judges the line; its outcome is the answer.
    const bool taken = sink_(action.line, [respond, line = action.line](const operatorOutcome& outcome) {
        respond(outcome.done ? textResponse(202, line) : textResponse(outcome.refusedNow ? 409 : 400, outcome.reason));
    });
    if (!taken) {
        respond(textResponse(409, sessionNotRunning().reason));
    }
}

}  // namespace panel_host
