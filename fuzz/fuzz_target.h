#pragma once

#include <cstddef>
#include <cstdint>

// The two entry points every fuzz target defines. libFuzzer calls them when
// the target is built as a fuzzer; the replay program calls them otherwise.
// A target may define them inside its own namespace: with C linkage they are
// still these two functions.
extern "C" {
// Called once before the first input; may load what every input needs.
int LLVMFuzzerInitialize(int* argc, char*** argv);
// Called once per input; data holds size bytes (data may be null when size
// is 0). Returns 0; a failed check aborts.
int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
}
