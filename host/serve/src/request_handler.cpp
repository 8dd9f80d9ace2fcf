#include "request_handler.h"

#include "access_token.h"
#include "panel_model.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace panel_host {

namespace {

// An action taken apart: the operator line, or why it is refused.
struct actionCheck {
    int status = 202;
    std::string reason;
    std::string line;
};

actionCheck refuse(int status, std::string reason)
{
    return {status, std::move(reason), ""};
}

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

// The array `key` of `object`, or an empty one; a reference into `object`.
const nlohmann::json& arrayAt(const nlohmann::json& object, const char* key)
{
    static const nlohmann::json empty = nlohmann::json::array();
    const auto it = object.find(key);
    return it != object.end() && it->is_array() ? *it : empty;
}

std::string rangeText(std::size_t count)
{
    return count == 0 ? std::string("nothing") : "1 to " + std::to_string(count);
}

// The control `name` of the state's panel 1 of that kind, or why not.
const nlohmann::json* findControl(const nlohmann::json& state, const nlohmann::json& body, const char* kind,
                                  actionCheck& problem)
{
    const auto name = body.find("control");
    if (name == body.end() || !name->is_string()) {
        problem = refuse(400, "'control' must be a control name");
        return nullptr;
    }
    for (const nlohmann::json& panel : arrayAt(state, "panels")) {
        if (panel.value("panel", "") != operatorPanel) {
            continue;
        }
        for (const nlohmann::json& control : arrayAt(panel, "controls")) {
            if (control.value("name", "") == *name && control.value("kind", "") == kind) {
                if (name->get<std::string>().find_first_of(" \t") != std::string::npos) {
                    problem = refuse(400, "'" + name->get<std::string>() + "' has blanks and cannot be driven");
                    return nullptr;
                }
                if (!control.value("enabled", false)) {
                    problem = refuse(409, "'" + name->get<std::string>() + "' is disabled");
                    return nullptr;
                }
                return &control;
            }
        }
    }
    problem = refuse(400, std::string("panel 1 has no ") + kind + " '" + name->get<std::string>() + "'");
    return nullptr;
}

actionCheck checkChoose(const nlohmann::json& state, const nlohmann::json& body)
{
    actionCheck check;
    const nlohmann::json* list = findControl(state, body, "list", check);
    if (list == nullptr) {
        return check;
    }
    std::int64_t value = 0;
    if (std::string problem = readNumber(body, "value", value); !problem.empty()) {
        return refuse(400, problem);
    }
    const std::size_t items = arrayAt(*list, "items").size();
    if (value != -1 && (value < 1 || static_cast<std::uint64_t>(value) > items)) {
        return refuse(400, "'value' must be -1 (nothing) or " + rangeText(items) + ", not " + std::to_string(value));
    }
    check.line = "choose " + list->value("name", "") + " " + (value == -1 ? "none" : std::to_string(value));
    return check;
}

actionCheck checkPress(const nlohmann::json& state, const nlohmann::json& body)
{
    actionCheck check;
    const nlohmann::json* button = findControl(state, body, "button", check);
    if (button != nullptr) {
        check.line = "press " + button->value("name", "");
    }
    return check;
}

actionCheck checkRoute(const nlohmann::json& state, const nlohmann::json& body)
{
    const nlohmann::json& routers = arrayAt(state, "routers");
    if (routers.empty()) {
        return refuse(409, "the session has no router");
    }
    std::int64_t device = routers.front().value("number", 0);
    if (body.contains("device")) {
        if (std::string problem = readNumber(body, "device", device); !problem.empty()) {
            return refuse(400, problem);
        }
    }
    const auto router = std::find_if(routers.begin(), routers.end(),
                                     [device](const nlohmann::json& r) { return r.value("number", 0) == device; });
    if (router == routers.end()) {
        return refuse(400, "there is no router device " + std::to_string(device));
    }
    std::int64_t source = 0;
    std::int64_t destination = 0;
    for (const auto& [name, value, listName] :
         {std::tuple{"source", &source, "sources"}, std::tuple{"destination", &destination, "destinations"}}) {
        if (std::string problem = readNumber(body, name, *value); !problem.empty()) {
            return refuse(400, problem);
        }
        const std::size_t count = arrayAt(*router, listName).size();
        if (*value < 1 || static_cast<std::uint64_t>(*value) > count) {
            return refuse(
                400, std::string("'") + name + "' must be " + rangeText(count) + ", not " + std::to_string(*value));
        }
    }
    return {202, "",
            "route " + std::to_string(source) + " " + std::to_string(destination) + " " + std::to_string(device)};
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

serveResponse requestHandler::handle(const serveRequest& request) const
{
    if (std::optional<serveResponse> refusal = checkAccess(request)) {
        return *refusal;
    }
    if (request.body.size() > maxBody_) {
        return textResponse(413, "the body is over " + std::to_string(maxBody_) + " bytes");
    }
    static const std::set<std::string> pages{"/", "/state", "/events"};
    static const std::set<std::string> actions{"/choose", "/press", "/route"};
    const bool isPage = pages.count(request.path) != 0;
    if (!isPage && actions.count(request.path) == 0) {
        return textResponse(404, "no such page: " + request.path);
    }
    if (request.method != (isPage ? "GET" : "POST")) {
        return textResponse(405, request.path + " takes " + (isPage ? "GET" : "POST") + " only");
    }
    if (request.path == "/") {
        return {200, "text/html; charset=utf-8", page_, false};
    }
    if (request.path == "/state") {
        const nlohmann::json state{{"state", hub_.state()}, {"ended", hub_.ended()}};
        return {200, "application/json", state.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), false};
    }
    if (request.path == "/events") {
        return {200, "text/plain; charset=utf-8", "", true};
    }
    return handleAction(request);
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

serveResponse requestHandler::handleAction(const serveRequest& request) const
{
    if (request.contentType != "application/json") {
        return textResponse(400, "the body must be application/json");
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (!body.is_object()) {
        return textResponse(400, "the body is not a JSON object");
    }
    static const std::map<std::string, std::set<std::string>> fields{
        {"/choose", {"control", "value"}}, {"/press", {"control"}}, {"/route", {"source", "destination", "device"}}};
    for (const auto& item : body.items()) {
        if (fields.at(request.path).count(item.key()) == 0) {
            return textResponse(400, "unknown field '" + item.key() + "'");
        }
    }
    const nlohmann::json state = hub_.state();
    if (state.is_null() || hub_.ended()) {
        return textResponse(409, "the session is not running");
    }
    const actionCheck check = request.path == "/choose"  ? checkChoose(state, body)
                              : request.path == "/press" ? checkPress(state, body)
                                                         : checkRoute(state, body);
    if (check.line.empty()) {
        return textResponse(check.status, check.reason);
    }
    if (!sink_(check.line)) {
        return textResponse(409, "the session is not running");
    }
    return textResponse(202, check.line);
}

}  // namespace panel_host
