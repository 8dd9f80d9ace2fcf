#include "request_handler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace panel_host {

namespace {

// Any state: the handler only needs a running session; the session judges
// what an action names.
const char* const panelState = R"({"panels": [], "routers": []})";

struct requestCase {
    const char* name;
    const char* method;
    const char* path;
    const char* body;
    int status;
    const char* forwarded;  // the operator line the session gets, "" for none
    const char* host = "127.0.0.1:8630";
    const char* origin = "";
    const char* contentType = "application/json";
    const char* judged = "done";  // what the session makes of the line: "done", "unknown", "now"
};

// The answer to a request; status 0 when none came.
serveResponse answerTo(const requestHandler& handler, const serveRequest& request)
{
    serveResponse answer{0, "", "", false};
    int answers = 0;
    handler.handle(request, [&answer, &answers](const serveResponse& given) {
        answer = given;
        ++answers;
    });
    EXPECT_LE(answers, 1) << "one answer a request";
    return answer;
}

// A session that judges every line as `judged` says, at once.
requestHandler::lineSink judgingSession(std::vector<std::string>& forwarded, const std::string& judged = "done")
{
    return [&forwarded, judged](const std::string& line, const outcomeSink& answered) {
        forwarded.push_back(line);
        answered({judged == "done", judged == "now", judged == "done" ? "" : "refused: " + line});
        return true;
    };
}

class RequestHandling : public ::testing::TestWithParam<requestCase> {
protected:
    RequestHandling()
        : handler({"127.0.0.1:8630", "localhost:8630"}, hub, judgingSession(forwarded, GetParam().judged),
                  "<html>page</html>")
    {
        hub.publish({{"state", nlohmann::json::parse(panelState)}});
    }

    eventHub hub;
    std::vector<std::string> forwarded;
    requestHandler handler;
};

TEST_P(RequestHandling, AnswersAndForwardsOnlyValidActions)
{
    const requestCase& c = GetParam();
    const serveResponse response = answerTo(handler, {c.method, c.path, c.host, c.origin, c.contentType, c.body});
    EXPECT_EQ(response.status, c.status) << response.body;
    if (c.status != 200) {
        EXPECT_EQ(std::count(response.body.begin(), response.body.end(), '\n'), 1) << "one line: " << response.body;
    }
    EXPECT_EQ(forwarded,
              std::string(c.forwarded).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.forwarded});
}

const std::string overLimit = "{\"control\": \"" + std::string(1100, 'x') + "\"}";

INSTANTIATE_TEST_SUITE_P(
    Routes, RequestHandling,
    ::testing::Values(
        requestCase{"Page", "GET", "/", "", 200, ""}, requestCase{"State", "GET", "/state", "", 200, ""},
        requestCase{"Events", "GET", "/events", "", 200, ""}, requestCase{"UnknownPath", "GET", "/admin", "", 404, ""},
        requestCase{"PostToPage", "POST", "/", "{}", 405, ""}, requestCase{"GetAnAction", "GET", "/press", "", 405, ""},
        requestCase{"LocalhostAlias", "GET", "/", "", 200, "", "localhost:8630"},
        requestCase{"ForeignHost", "GET", "/", "", 403, "", "evil.example:8630"},
        requestCase{"OtherPort", "GET", "/", "", 403, "", "127.0.0.1:8631"},
        requestCase{"NoHost", "GET", "/", "", 403, "", ""},
        requestCase{"ForeignOrigin", "POST", "/press", R"({"control": "Clear"})", 403, "", "127.0.0.1:8630",
                    "http://evil.example"},
        requestCase{"HttpsOrigin", "POST", "/press", R"({"control": "Clear"})", 403, "", "127.0.0.1:8630",
                    "https://127.0.0.1:8630"},
        requestCase{"EventsFromAForeignOrigin", "GET", "/events", "", 403, "", "127.0.0.1:8630", "http://evil.example"},
        requestCase{"EventsFromAnotherPort", "GET", "/events", "", 403, "", "127.0.0.1:8630", "http://127.0.0.1:8631"},
        requestCase{"EventsForAForeignHost", "GET", "/events", "", 403, "", "evil.example:8630"},
        requestCase{"OwnOrigin", "POST", "/press", R"({"control": "Clear"})", 202, "press Clear", "127.0.0.1:8630",
                    "http://127.0.0.1:8630"},
        requestCase{"BodyOverLimit", "POST", "/press", overLimit.c_str(), 413, ""},
        requestCase{"NotJson", "POST", "/press", "{control: Clear}", 400, ""},
        requestCase{"NotAnObject", "POST", "/press", "[\"Clear\"]", 400, ""},
        requestCase{"FormBody", "POST", "/press", R"({"control": "Clear"})", 400, "", "127.0.0.1:8630", "",
                    "application/x-www-form-urlencoded"},
        requestCase{"UnknownField", "POST", "/press", R"({"control": "Clear", "instance": 2})", 400, ""},
        requestCase{"ChooseItem", "POST", "/choose", R"({"control": "Sources", "value": 3})", 202, "choose Sources 3"},
        requestCase{"ChooseNothing", "POST", "/choose", R"({"control": "Sources", "value": -1})", 202,
                    "choose Sources none"},
        requestCase{"ChooseFraction", "POST", "/choose", R"({"control": "Sources", "value": 2.5})", 400, ""},
        requestCase{"ChooseText", "POST", "/choose", R"({"control": "Sources", "value": "2"})", 400, ""},
        requestCase{"ChooseHuge", "POST", "/choose", R"({"control": "Sources", "value": 4294967298})", 400, ""},
        requestCase{"ChooseWithoutValue", "POST", "/choose", R"({"control": "Sources"})", 400, ""},
        // Any name is the session's to judge, written so that the line means it.
        requestCase{"ChooseBlankName", "POST", "/choose", R"({"control": "New source", "value": 1})", 202,
                    R"(choose "New source" 1)"},
        requestCase{"PressEmptyName", "POST", "/press", R"({"control": ""})", 202, R"(press "")"},
        requestCase{"PressQuotedTabbedName", "POST", "/press", R"({"control": "a\"\t\u00e9"})", 202,
                    "press \"a\\\"\\x09\u00e9\""},
        requestCase{"PressOnPanelTwo", "POST", "/press", R"({"control": "Take", "panel": 2})", 202, "@2 press Take"},
        requestCase{"ChooseOnPanelZero", "POST", "/choose", R"({"control": "Sources", "value": 1, "panel": 0})", 400,
                    ""},
        requestCase{"PressNameNotText", "POST", "/press", R"({"control": 7})", 400, ""},
        requestCase{"SessionFindsNoSuchControl", "POST", "/press", R"({"control": "Nope"})", 400, "press Nope",
                    "127.0.0.1:8630", "", "application/json", "unknown"},
        requestCase{"SessionRefusesItNow", "POST", "/press", R"({"control": "Take"})", 409, "press Take",
                    "127.0.0.1:8630", "", "application/json", "now"},
        requestCase{"Route", "POST", "/route", R"({"source": 3, "destination": 2})", 202, "route 3 2"},
        requestCase{"RouteOnDevice", "POST", "/route", R"({"source": 1, "destination": 1, "device": 1})", 202,
                    "route 1 1 1"},
        requestCase{"RouteWithoutSource", "POST", "/route", R"({"destination": 1})", 400, ""},
        requestCase{"RouteDeviceNotANumber", "POST", "/route", R"({"source": 1, "destination": 1, "device": "1"})", 400,
                    ""}),
    [](const ::testing::TestParamInfo<requestCase>& row) { return std::string(row.param.name); });

TEST(RequestHandlingToken, BeyondLoopbackOnlyTheTokenInTheQueryOrTheCookieGetsIn)
{
    eventHub hub;
    hub.publish({{"state", nlohmann::json::parse(panelState)}});
    std::vector<std::string> forwarded;
    requestHandler handler({"10.0.0.2:80"}, hub, judgingSession(forwarded), "page");
    handler.requireToken("0123456789abcdef0123456789abcdef", "panel-host-80");
    const std::string token = "0123456789abcdef0123456789abcdef";
    struct tokenCase {
        const char* method;
        std::string query;
        std::string cookie;
        int status;
    };
    for (const tokenCase& c :
         {tokenCase{"GET", "", "", 401}, tokenCase{"GET", "token=" + token.substr(1), "", 401},
          tokenCase{"GET", "x=1&token=" + token, "", 303}, tokenCase{"GET", "", "a=b; panel-host-80=" + token, 200},
          tokenCase{"GET", "", "panel-host-81=" + token, 401},
          tokenCase{"GET", "", "panel-host-80=" + token + "0", 401}, tokenCase{"POST", "token=" + token, "", 202}}) {
        const serveResponse answer =
            answerTo(handler, {c.method, c.method == std::string("GET") ? "/state" : "/press", "10.0.0.2:80", "",
                               "application/json", c.method == std::string("GET") ? "" : R"({"control": "Clear"})",
                               c.query, c.cookie});
        EXPECT_EQ(answer.status, c.status) << c.query << " / " << c.cookie << ": " << answer.body;
        if (c.status == 303) {
            const std::vector<std::pair<std::string, std::string>> headers{
                {"Set-Cookie", "panel-host-80=" + token + "; Path=/; HttpOnly; SameSite=Strict"},
                {"Location", "/state"}};
            EXPECT_EQ(answer.headers, headers) << "the token moves to a cookie and out of the address";
        }
    }
}

TEST(RequestHandlingToken, EveryPathTheEventsUpgradeIncludedNeedsTheOriginAndTheToken)
{
    eventHub hub;
    hub.publish({{"state", nlohmann::json::parse(panelState)}});
    std::vector<std::string> forwarded;
    requestHandler handler({"10.0.0.2:80"}, hub, judgingSession(forwarded), "page");
    const std::string token = "0123456789abcdef0123456789abcdef";
    handler.requireToken(token, "panel-host-80");
    const std::string cookie = "panel-host-80=" + token;
    struct accessCase {
        const char* origin;
        std::string cookie;
        int status;  // 0: the path's own answer
    };
    for (const char* path : {"/", "/state", "/events", "/press"}) {
        const bool get = std::string(path) != "/press";
        for (const accessCase& c :
             {accessCase{"http://evil.example", cookie, 403}, accessCase{"http://10.0.0.2:81", cookie, 403},
              accessCase{"http://evil.example", "", 403}, accessCase{"http://10.0.0.2:80", "", 401},
              accessCase{"", "", 401}, accessCase{"http://10.0.0.2:80", cookie, 0}, accessCase{"", cookie, 0}}) {
            const serveResponse answer =
                answerTo(handler, {get ? "GET" : "POST", path, "10.0.0.2:80", c.origin, "application/json",
                                   get ? "" : R"({"control": "Clear"})", "", c.cookie});
            EXPECT_EQ(answer.status, c.status != 0 ? c.status
                                     : get         ? 200
                                                   : 202)
                << path << " from '" << c.origin << "' with '" << c.cookie << "': " << answer.body;
            EXPECT_EQ(answer.eventStream, c.status == 0 && std::string(path) == "/events") << path;
        }
    }
}

TEST(RequestHandlingEnded, RefusesActionsOnceTheSessionIsOver)
{
    eventHub hub;
    hub.publish({{"state", nlohmann::json::parse(panelState)}});
    int forwarded = 0;
    const requestHandler handler(
        {"127.0.0.1:8630"}, hub,
        [&forwarded](const std::string&, const outcomeSink&) {
            ++forwarded;
            return false;
        },
        "");
    const serveRequest press{"POST", "/press", "127.0.0.1:8630", "", "application/json", R"({"control": "Clear"})"};
    EXPECT_EQ(answerTo(handler, press).status, 409) << "the session no longer reads";
    hub.publishEnd("over", false);
    EXPECT_EQ(answerTo(handler, press).status, 409);
    EXPECT_EQ(forwarded, 1);
}

}  // namespace

}  // namespace panel_host
