#pragma once

#include "host_records.h"

#include <cstdint>
#include <cstring>
#include <vector>

// Owns one tally record with its inline text, built the way a host builds
// one. For hosts and tests; scripts only read records.
class tallyRecordStorage {
public:
    tallyRecordStorage(std::int32_t device, std::int32_t index, std::int32_t value, const char* text)
    {
        const std::size_t textLength = text != nullptr ? std::strlen(text) : 0;
        const std::size_t bytes = sizeof(hostTallyRecord) + textLength + 1;
        words_.assign((bytes + sizeof(std::int32_t) - 1) / sizeof(std::int32_t), 0);
        hostTallyRecord* header = record();
        header->device = device;
        header->reserved = 0;
        header->index = index;
        header->value = value;
        if (textLength > 0) {
            std::memcpy(words_.data() + sizeof(hostTallyRecord) / sizeof(std::int32_t), text, textLength);
        }
    }

    hostTallyRecord* record() { return reinterpret_cast<hostTallyRecord*>(words_.data()); }

private:
    std::vector<std::int32_t> words_;
};
