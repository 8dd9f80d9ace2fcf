#pragma once

#include "morv_string.h"
#include "morv_string_export.h"

class morv_stringlist;

// Forward iterator over the items of a morv_stringlist. Valid while the list
// lives and is not changed.
class MORV_STRING_API morv_stringlistIterator {
public:
    morv_stringlistIterator(const morv_stringlist* list, unsigned position);

    // The current item. Dereferencing end() is not allowed.
    morv_string& operator*() const;
    // Advances to the next item and returns a copy of the advanced iterator.
    morv_stringlistIterator operator++();
    bool operator!=(const morv_stringlistIterator& other) const;
    bool operator==(const morv_stringlistIterator& other) const;

private:
    const morv_stringlist* list_;
    unsigned position_;
};

// An ordered list of texts, in one heap block. Nothing throws: when memory
// runs out (or an item is a failed string) the list is failed: failed() is
// true, it keeps the items it had, and copies of it are failed too.
class MORV_STRING_API morv_stringlist {
public:
    morv_stringlist();
    // The items between the delimiters of `text`, in order. Empty items are
    // kept ("a,,b" has three items); the empty text gives an empty list.
    morv_stringlist(const morv_string& text, char delimiter);
    morv_stringlist(const morv_stringlist& other);
    morv_stringlist& operator=(const morv_stringlist& other);
    virtual ~morv_stringlist();

    // The items joined with `delimiter` between them; "" for an empty list.
    morv_string toString(char delimiter) const;

    unsigned count() const;
    bool failed() const { return failed_; }
    // Adds a copy of `item` at the end; fails the list when it cannot.
    void append(const morv_string& item);
    // The item at `index`; index must be below count().
    morv_string& at(unsigned index) const;

    morv_stringlistIterator begin() const;
    morv_stringlistIterator end() const;

private:
    // Room for at least `wanted` items; false (and the list failed) when
    // memory ran out.
    bool reserve(unsigned wanted);
    void clear();

    // Items are reachable through const iterators as modifiable references,
    // as the iterator's dereference promises.
    morv_string* items_;
    unsigned count_;
    unsigned capacity_;
    bool failed_;
};
