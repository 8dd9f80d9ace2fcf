#pragma once

#include "morv_string.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

// Copies `length` characters to `out` and returns the end of the copy. Short
// texts, the usual ones, are copied with a few fixed-size moves instead of a
// call.
inline char* copyText(char* out, const char* text, size_t length)
{
    if (length >= 8) {
        if (length > 16) {
            memcpy(out, text, length);
        } else {
            // Two overlapping 8-character moves.
            memcpy(out, text, 8);
            memcpy(out + length - 8, text + length - 8, 8);
        }
    } else if (length >= 4) {
        memcpy(out, text, 4);
        memcpy(out + length - 4, text + length - 4, 4);
    } else if (length > 0) {
        out[0] = text[0];
        out[length / 2] = text[length / 2];
        out[length - 1] = text[length - 1];
    }
    return out + length;
}

// The string library's own access to the storage of morv_string: the
// helpers that keep a text inside the object or in one heap block, inline so
// that the library's operations build their texts in place without calls.
// Heap blocks come from malloc and go back with free; a block that cannot be
// had, or a length beyond morv_string::maxLength, leaves a failed string.
// Not part of the library's interface.
struct morv_string_access {
    static const char* data(const morv_string& text) { return text.data_; }
    static unsigned length(const morv_string& text) { return text.length_; }
    static bool isSmall(const morv_string& text) { return text.data_ == text.small_; }

    // Gives back a heap block; the string is then empty-capacity small, its
    // length and characters unspecified.
    static void releaseHeap(morv_string& text) noexcept
    {
        if (text.data_ != text.small_) {
            free(text.data_);
            text.data_ = text.small_;
            text.capacity_ = morv_string::smallCapacity;
        }
    }

    // Makes `text` a failed string: empty, small, failed() true.
    static void fail(morv_string& text) noexcept
    {
        releaseHeap(text);
        text.length_ = 0;
        text.small_[0] = '\0';
        text.failed_ = true;
    }

    // A heap block for `length` characters and a NUL, or null when the
    // length is too long or memory ran out.
    static char* allocate(unsigned long long length) noexcept
    {
        if (length > morv_string::maxLength) {
            return nullptr;
        }
        return static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    }

    // Makes `text` hold `length` unspecified characters followed by a NUL and
    // returns them, for the caller to fill; the previous text is gone.
    // Allocates only when `length` exceeds the present capacity. When the
    // text cannot be made, `text` is failed and the result is null.
    static char* resize(morv_string& text, unsigned long long length) noexcept
    {
        if (length > text.capacity_) {
            char* block = allocate(length);
            if (block == nullptr) {
                fail(text);
                return nullptr;
            }
            releaseHeap(text);
            text.data_ = block;
            text.capacity_ = static_cast<unsigned>(length);
        }
        text.length_ = static_cast<unsigned>(length);
        text.data_[length] = '\0';
        text.failed_ = false;
        return text.data_;
    }

    // Replaces the text with `length` characters at `characters`, which may
    // lie inside the string's own characters.
    static void assign(morv_string& text, const char* characters, size_t length) noexcept
    {
        if (length <= text.capacity_) {
            // memmove: the characters may be the string's own.
            memmove(text.data_, characters, length);
            text.length_ = static_cast<unsigned>(length);
            text.data_[length] = '\0';
            text.failed_ = false;
            return;
        }
        // The old characters stay readable until the new block holds the copy.
        char* block = allocate(length);
        if (block == nullptr) {
            fail(text);
            return;
        }
        copyText(block, characters, length)[0] = '\0';
        releaseHeap(text);
        text.data_ = block;
        text.capacity_ = static_cast<unsigned>(length);
        text.length_ = static_cast<unsigned>(length);
        text.failed_ = false;
    }

    // Copies another string's text into a string that is small and empty
    // (freshly constructed). A small text is copied as the whole inline
    // buffer: a fixed-size copy costs less than measuring one.
    static void copyInto(morv_string& fresh, const morv_string& other) noexcept
    {
        if (isSmall(other)) {
            memcpy(fresh.small_, other.small_, sizeof fresh.small_);
            fresh.length_ = other.length_;
            fresh.failed_ = other.failed_;
        } else {
            assign(fresh, other.data_, other.length_);
        }
    }

    // Moves another string's text into `target`, whose text is gone; `other`
    // is left empty. `target` and `other` are different strings. A failed
    // `other` makes `target` failed, and so small: a failed string never
    // keeps a heap block, or a copy of it would read as a made empty text.
    static void moveInto(morv_string& target, morv_string& other) noexcept
    {
        if (other.failed_) {
            fail(target);
        } else if (isSmall(other)) {
            if (isSmall(target)) {
                memcpy(target.small_, other.small_, sizeof target.small_);
            } else {
                // A small text fits any string's capacity.
                memcpy(target.data_, other.small_, other.length_ + 1U);
            }
            target.length_ = other.length_;
        } else {
            // Take over the other string's heap block.
            releaseHeap(target);
            target.data_ = other.data_;
            target.capacity_ = other.capacity_;
            target.length_ = other.length_;
            other.data_ = other.small_;
            other.capacity_ = morv_string::smallCapacity;
        }
        target.failed_ = other.failed_;
        other.length_ = 0;
        other.small_[0] = '\0';
        other.failed_ = false;
    }
};
