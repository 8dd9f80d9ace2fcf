#include "morv_stringlist.h"

#include "in_place.h"
#include "morv_string_access.h"

#include <stdlib.h>
#include <string.h>

morv_stringlistIterator::morv_stringlistIterator(const morv_stringlist* list, unsigned position)
    : list_(list), position_(position)
{
}

morv_string& morv_stringlistIterator::operator*() const
{
    return list_->at(position_);
}

morv_stringlistIterator morv_stringlistIterator::operator++()
{
    ++position_;
    return *this;
}

bool morv_stringlistIterator::operator!=(const morv_stringlistIterator& other) const
{
    return !(*this == other);
}

bool morv_stringlistIterator::operator==(const morv_stringlistIterator& other) const
{
    return list_ == other.list_ && position_ == other.position_;
}

morv_stringlist::morv_stringlist() : items_(nullptr), count_(0), capacity_(0), failed_(false) {}

morv_stringlist::morv_stringlist(const morv_string& text, char delimiter)
    : items_(nullptr), count_(0), capacity_(0), failed_(text.failed())
{
    if (text.length() == 0) {
        return;
    }
    const char* start = text.c_str();
    const char* const end = start + text.length();
    while (!failed_) {
        const void* at = memchr(start, delimiter, static_cast<size_t>(end - start));
        const char* found = static_cast<const char*>(at);
        const char* itemEnd = found != nullptr ? found : end;
        if (!reserve(count_ + 1)) {
            break;
        }
        morv_string* item = new (inPlace, items_ + count_) morv_string();
        ++count_;
        morv_string_access::assign(*item, start, static_cast<size_t>(itemEnd - start));
        failed_ = item->failed();
        if (found == nullptr) {
            break;
        }
        start = found + 1;
    }
}

morv_stringlist::morv_stringlist(const morv_stringlist& other)
    : items_(nullptr), count_(0), capacity_(0), failed_(false)
{
    *this = other;
}

morv_stringlist& morv_stringlist::operator=(const morv_stringlist& other)
{
    if (this == &other) {
        return *this;
    }
    clear();
    failed_ = other.failed_;
    for (unsigned i = 0; i < other.count_ && !failed_; ++i) {
        append(other.items_[i]);
    }
    return *this;
}

morv_stringlist::~morv_stringlist()
{
    clear();
}

void morv_stringlist::clear()
{
    for (unsigned i = 0; i < count_; ++i) {
        items_[i].~morv_string();
    }
    free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

bool morv_stringlist::reserve(unsigned wanted)
{
    if (wanted <= capacity_) {
        return true;
    }
    const unsigned long long doubled = 2ULL * capacity_;
    const unsigned long long capacity = doubled > wanted ? doubled : (wanted < 4 ? 4 : wanted);
    const unsigned long long bytes = capacity * sizeof(morv_string);
    void* block = bytes <= static_cast<size_t>(-1) ? malloc(static_cast<size_t>(bytes)) : nullptr;
    if (block == nullptr) {
        failed_ = true;
        return false;
    }
    morv_string* items = static_cast<morv_string*>(block);
    for (unsigned i = 0; i < count_; ++i) {
        new (inPlace, items + i) morv_string(static_cast<morv_string&&>(items_[i]));
        items_[i].~morv_string();
    }
    free(items_);
    items_ = items;
    capacity_ = static_cast<unsigned>(capacity);
    return true;
}

morv_string morv_stringlist::toString(char delimiter) const
{
    morv_string joined;
    if (failed_) {
        morv_string_access::fail(joined);
        return joined;
    }
    if (count_ == 0) {
        return joined;
    }
    if (delimiter == '\0') {
        // A text ends at its first NUL: only the first item remains.
        return items_[0];
    }
    unsigned long long length = count_ - 1ULL;
    for (unsigned i = 0; i < count_; ++i) {
        length += items_[i].length();
    }
    char* out = morv_string_access::resize(joined, length);
    if (out == nullptr) {
        return joined;
    }
    for (unsigned i = 0; i < count_; ++i) {
        if (i > 0) {
            *out++ = delimiter;
        }
        memcpy(out, items_[i].c_str(), items_[i].length());
        out += items_[i].length();
    }
    return joined;
}

unsigned morv_stringlist::count() const
{
    return count_;
}

void morv_stringlist::append(const morv_string& item)
{
    if (item.failed()) {
        failed_ = true;
        return;
    }
    // Copied before the list grows: `item` may be one of the list's own
    // items, which growing moves to a new block.
    morv_string copy(item);
    if (copy.failed()) {
        failed_ = true;
        return;
    }
    if (!reserve(count_ + 1)) {
        return;
    }
    new (inPlace, items_ + count_) morv_string(static_cast<morv_string&&>(copy));
    ++count_;
}

morv_string& morv_stringlist::at(unsigned index) const
{
    return items_[index];
}

morv_stringlistIterator morv_stringlist::begin() const
{
    return morv_stringlistIterator(this, 0);
}

morv_stringlistIterator morv_stringlist::end() const
{
    return morv_stringlistIterator(this, count());
}
