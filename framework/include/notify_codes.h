#pragma once

#include <cstdint>

// Codes of script_host::send.
constexpr std::int32_t sendExecute = 0;
constexpr std::int32_t sendRelease = 5;

// Codes of morv_client_callback::notify, with what the payload is.
constexpr std::int32_t notifyTally = 1;   // pointer to a hostTallyRecord
constexpr std::int32_t notifyButton = 2;  // pointer to a hostButtonRecord
constexpr std::int32_t notifyQuery = 3;   // pointer to a NUL-terminated query text, or null
constexpr std::int32_t notifyTimer = 4;   // the timer id itself, in the pointer's place
constexpr std::int32_t notifyRelease = 5; // a text an earlier notifyQuery returned, or null
constexpr std::int32_t notifyOther6 = 6;  // pointer to a host record no handler reads
constexpr std::int32_t notifyOther7 = 7;  // pointer to a host record no handler reads
