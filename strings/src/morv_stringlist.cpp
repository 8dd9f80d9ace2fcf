#include "morv_stringlist.h"

#include "morv_string_access.h"

#include <cstring>

morv_stringlistIterator::morv_stringlistIterator(const morv_stringlist* list, unsigned position)
    : list_(list), position_(position) {}

morv_string& morv_stringlistIterator::operator*() const { return list_->at(position_); }

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

morv_stringlist::morv_stringlist() = default;

morv_stringlist::morv_stringlist(const morv_string& text, char delimiter)
{
    if (text.length() == 0) {
        return;
    }
    const char* start = text.c_str();
    const char* const end = start + text.length();
    for (;;) {
        const void* at = std::memchr(start, delimiter, static_cast<std::size_t>(end - start));
        const char* found = static_cast<const char*>(at);
        const char* itemEnd = found != nullptr ? found : end;
        items_.emplace_back();
        morv_string_access::assign(items_.back(), start, static_cast<unsigned>(itemEnd - start));
        if (found == nullptr) {
            break;
        }
        start = found + 1;
    }
}

morv_stringlist::morv_stringlist(const morv_stringlist& other) = default;

morv_stringlist& morv_stringlist::operator=(const morv_stringlist& other) = default;

morv_stringlist::~morv_stringlist() = default;

morv_string morv_stringlist::toString(char delimiter) const
{
    if (items_.empty()) {
        return morv_string();
    }
    if (delimiter == '\0') {
        // A text ends at its first NUL: only the first item remains.
        return items_.front();
    }
    unsigned long long length = items_.size() - 1;
    for (const morv_string& item : items_) {
        length += item.length();
    }
    morv_string joined;
    char* out = morv_string_access::resize(joined, length);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i > 0) {
            *out++ = delimiter;
        }
        std::memcpy(out, items_[i].c_str(), items_[i].length());
        out += items_[i].length();
    }
    return joined;
}

unsigned morv_stringlist::count() const { return static_cast<unsigned>(items_.size()); }

void morv_stringlist::append(const morv_string& item) { items_.push_back(item); }

morv_string& morv_stringlist::at(unsigned index) const { return items_.at(index); }

morv_stringlistIterator morv_stringlist::begin() const { return morv_stringlistIterator(this, 0); }

morv_stringlistIterator morv_stringlist::end() const { return morv_stringlistIterator(this, count()); }
