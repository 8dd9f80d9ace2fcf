#pragma once

#include <stdint.h>

// Codes of script_host::send.
constexpr int32_t sendExecute = 0;
constexpr int32_t sendRelease = 5;

// Codes of morv_client_callback::notify, with what the payload is.
constexpr int32_t notifyTally = 1;    // pointer to a hostTallyRecord
constexpr int32_t notifyButton = 2;   // pointer to a hostButtonRecord
constexpr int32_t notifyQuery = 3;    // pointer to a NUL-terminated query text, or null
constexpr int32_t notifyTimer = 4;    // the timer id itself, in the pointer's place
constexpr int32_t notifyRelease = 5;  // a text an earlier notifyQuery returned, or null
constexpr int32_t notifyOther6 = 6;   // pointer to a host record no handler reads
constexpr int32_t notifyOther7 = 7;   // pointer to a host record no handler reads
