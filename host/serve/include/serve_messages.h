#pragma once

namespace panel_host::serveMessage {

// The names serve's messages go by: the session process's messages to serve
// (one JSON object a line: {"log": [...]}, {"state": {...}}, {"end": {...}})
// and the events serve sends the pages ({"event": name, "data": ...}), which
// web/panel.html handles by the same names.
constexpr const char* log = "log";          // transcript lines
constexpr const char* state = "state";      // the session snapshot
constexpr const char* end = "end";          // the session is over: {"message", "failed"}
constexpr const char* notice = "notice";    // a reload: {"message", "failed"[, "reloading"]}
constexpr const char* reset = "reset";      // a page's first event: forget what it showed
constexpr const char* refused = "refused";  // the page is past serve's limit of pages

}  // namespace panel_host::serveMessage
