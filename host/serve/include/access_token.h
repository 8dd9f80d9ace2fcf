#pragma once

#include <string>

namespace panel_host {

// The secret that guards `panel-host serve` beyond loopback, and the pieces
// of a request it is read from.

// 128 random bits as 32 hex digits, from the system's random source.
std::string makeAccessToken();
// Compares in time that does not depend on where the texts differ.
bool sameSecret(const std::string& given, const std::string& secret);
// The value of `name` in a query ("a=1&token=x"), or "" when absent.
std::string queryValue(const std::string& query, const std::string& name);
// The value of the cookie `name` in a Cookie header ("a=1; b=2"), or "".
std::string cookieValue(const std::string& header, const std::string& name);

}  // namespace panel_host
