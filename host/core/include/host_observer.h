#pragma once

#include "contract_report.h"
#include "notification.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// One send() the script made, as the host understood it.
struct sentCommand {
    std::int32_t code = 0;
    // Code 0: the command text ("" for a null text). Code 5: the text of the
    // reply given back when it was one of ours and still held, else "".
    // Other codes: "" (the host does not read the text then).
    std::string text;
    bool textWasNull = false;
    // Code 0: the reply handed to the script (std::nullopt: null).
    std::optional<std::string> reply;
    // Code 5: the command whose reply was given back, when known.
    std::string releasedReplyOf;
};

// Watches a host session; front ends print or check what they see here and
// never reach into the core. Every call happens on the host's thread, inside
// the session call that caused it (a breach of a send from another thread
// or between calls: inside the next one). Default implementations do nothing.
class hostObserver {
public:
    virtual ~hostObserver() = default;

    // Loading, unloading and other steps of the session, in words.
    virtual void stage(const std::string& what) { (void)what; }
    // Before notify() is called; the script's sends follow.
    virtual void notificationStarting(const notification& n) { (void)n; }
    // After notify() returned; result is what it returned (may be null; it
    // is the script's text and valid only during this call).
    virtual void notificationFinished(const notification& n, const char* result)
    {
        (void)n;
        (void)result;
    }
    // Every send(), after the host handled it.
    virtual void commandSent(const sentCommand& command) { (void)command; }
    // A breach of the calling rules, as soon as it is seen.
    virtual void breachFound(const contractBreach& breach) { (void)breach; }
    // Something the host could not do (unknown control, missing layout file...).
    virtual void diagnostic(const std::string& text) { (void)text; }
    // One text the script wrote to the debug output (debugTrace), during a
    // call into it.
    virtual void debugOutput(const std::string& text) { (void)text; }
};

// Forwards every event to each registered observer, in registration order.
// Observers are not owned and must outlive the list or be removed.
class observerList final : public hostObserver {
public:
    void add(hostObserver* observer);
    void remove(hostObserver* observer);

    void stage(const std::string& what) override;
    void notificationStarting(const notification& n) override;
    void notificationFinished(const notification& n, const char* result) override;
    void commandSent(const sentCommand& command) override;
    void breachFound(const contractBreach& breach) override;
    void diagnostic(const std::string& text) override;
    void debugOutput(const std::string& text) override;

private:
    std::vector<hostObserver*> observers_;
};

}  // namespace panel_host
