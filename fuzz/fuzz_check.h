#pragma once

#include <string>

// A property of the code under test that every input must keep. When one does
// not hold, the run stops with the property and its details on standard
// error and an abort, which libFuzzer and the replay both report as a failure
// of the current input.
[[noreturn]] void fuzzFailure(const char* property, const std::string& details);

inline void fuzzCheck(bool holds, const char* property)
{
    if (!holds) {
        fuzzFailure(property, std::string());
    }
}

// details() builds the explanation only when the property fails.
template <typename Details>
void fuzzCheck(bool holds, const char* property, Details details)
{
    if (!holds) {
        fuzzFailure(property, details());
    }
}
