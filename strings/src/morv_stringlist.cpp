#include "morv_stringlist.h"

#include <string>

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
    const std::string whole(text.c_str(), text.length());
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = whole.find(delimiter, start);
        items_.emplace_back(whole.substr(start, end - start).c_str());
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
}

morv_stringlist::morv_stringlist(const morv_stringlist& other) = default;

morv_stringlist& morv_stringlist::operator=(const morv_stringlist& other) = default;

morv_stringlist::~morv_stringlist() = default;

morv_string morv_stringlist::toString(char delimiter) const
{
    std::string joined;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i > 0) {
            joined += delimiter;
        }
        joined += items_[i].c_str();
    }
    return morv_string(joined.c_str());
}

unsigned morv_stringlist::count() const { return static_cast<unsigned>(items_.size()); }

void morv_stringlist::append(const morv_string& item) { items_.push_back(item); }

morv_string& morv_stringlist::at(unsigned index) const { return items_.at(index); }

morv_stringlistIterator morv_stringlist::begin() const { return morv_stringlistIterator(this, 0); }

morv_stringlistIterator morv_stringlist::end() const { return morv_stringlistIterator(this, count()); }
