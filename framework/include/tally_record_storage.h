#pragma once

#include "host_records.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// Owns one tally record with its inline text, built the way a host builds
// one. For hosts and tests; scripts only read records. When memory runs out
// record() is null (a null tally record, which a script ignores).
class tallyRecordStorage {
public:
    tallyRecordStorage(int32_t device, int32_t index, int32_t value, const char* text)
    {
        const size_t textLength = text != nullptr ? strlen(text) : 0;
        record_ = static_cast<hostTallyRecord*>(calloc(1, sizeof(hostTallyRecord) + textLength + 1));
        if (record_ == nullptr) {
            return;
        }
        record_->device = device;
        record_->index = index;
        record_->value = value;
        memcpy(record_ + 1, text != nullptr ? text : "", textLength);
    }
    ~tallyRecordStorage() { free(record_); }
    tallyRecordStorage(const tallyRecordStorage&) = delete;
    tallyRecordStorage& operator=(const tallyRecordStorage&) = delete;

    hostTallyRecord* record() { return record_; }

private:
    hostTallyRecord* record_;
};
