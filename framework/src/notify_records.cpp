#include "notify_records.h"

namespace {
const char* eventField(const hostButtonRecord* record, bool wantValue)
{
    const parsedMessage* event = record->event;
    if (event == nullptr) {
        return nullptr;
    }
    return wantValue ? event->value : event->name;
}
}  // namespace

morv_string buttonNotify::panel() const
{
    return morv_string(record_->panel);
}

morv_string buttonNotify::control() const
{
    return morv_string(record_->control);
}

morv_string buttonNotify::eventName() const
{
    return morv_string(eventField(record_, false));
}

morv_string buttonNotify::eventValue() const
{
    return morv_string(eventField(record_, true));
}

int32_t tallyNotify::device() const
{
    return record_->device;
}

int32_t tallyNotify::index() const
{
    return record_->index;
}

int32_t tallyNotify::value() const
{
    return record_->value;
}

morv_string tallyNotify::text() const
{
    return morv_string(record_->text());
}

morv_string queryNotify::name() const
{
    return morv_string(message_->name);
}

morv_string queryNotify::value() const
{
    return morv_string(message_->value);
}
