#pragma once

#include <string>

// Collects what the framework writes to its debug output while it lives, in
// place of standard error. One at a time.
class debugCapture {
public:
    debugCapture();
    ~debugCapture();
    debugCapture(const debugCapture&) = delete;
    debugCapture& operator=(const debugCapture&) = delete;

    // Everything written so far, joined as written.
    const std::string& text() const { return text_; }

private:
    static void collect(const char* text, void* context);

    std::string text_;
};
