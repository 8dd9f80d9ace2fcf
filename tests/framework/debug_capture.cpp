#include "debug_capture.h"

#include "debug_output.h"

debugCapture::debugCapture()
{
    setDebugOutputSink(&debugCapture::collect, this);
}

debugCapture::~debugCapture()
{
    setDebugOutputSink(nullptr, nullptr);
}

void debugCapture::collect(const char* text, void* context)
{
    static_cast<debugCapture*>(context)->text_ += text != nullptr ? text : "(null)";
}
