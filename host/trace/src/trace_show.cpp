#include "trace_show.h"

#include "input_rules.h"
#include "notification.h"
#include "transcript_printer.h"

#include <map>

namespace panel_host {

namespace {

std::string shown(const traceText& text)
{
    return text ? "\"" + shownText(*text) + "\"" : std::string("null");
}

// What each give-back (a send 5 of the script, a notify 5 of the host)
// handed back, matched by pointer against the replies and query results
// handed out before it, in file order.
class giveBackMatcher {
public:
    explicit giveBackMatcher(const traceFile& trace)
    {
        for (const traceEvent& e : trace.events) {
            if (e.what == traceEvent::kind::send && e.code == 0 && e.pointer) {
                replies_[*e.pointer] = {e.reply.value_or(""), e.text.value_or("")};
            } else if (e.what == traceEvent::kind::send && e.code == 5) {
                described_[e.line] = take(replies_, e.pointer, true);
            } else if (e.what == traceEvent::kind::returned && e.pointer) {
                results_[*e.pointer] = {e.text.value_or(""), ""};
            } else if (e.what == traceEvent::kind::notify && e.code == 5) {
                described_[e.line] = take(results_, e.pointer, false);
            }
        }
    }
    const std::string& of(const traceEvent& e) const { return described_.at(e.line); }

private:
    struct handedOut {
        std::string text;
        std::string command;
    };
    static std::string take(std::map<std::uint64_t, handedOut>& open, const tracePointer& pointer, bool reply)
    {
        if (!pointer) {
            return "give back null";
        }
        const auto it = open.find(*pointer);
        if (it == open.end()) {
            return "give back " + tracePointerText(pointer) +
                   (reply ? ", a pointer the host never handed out" : ", which no query returned");
        }
        const std::string text =
            reply ? "give back " + showReply(it->second.text) + " (reply to " + it->second.command + ")"
                  : notification::release(nullptr, it->second.text).describe();
        open.erase(it);
        return shownText(text);
    }

    std::map<std::uint64_t, handedOut> replies_;
    std::map<std::uint64_t, handedOut> results_;
    std::map<std::size_t, std::string> described_;
};

std::string notificationText(const traceEvent& e, const giveBackMatcher& giveBacks)
{
    using payload = traceEvent::payload;
    const auto text = [](const traceText& t) { return t.value_or(""); };
    switch (e.carried) {
    case payload::tally:
        return notification::tally(e.device, e.index, e.value, text(e.text)).describe();
    case payload::button:
        return notification::button(text(e.panel), text(e.control), text(e.event)).describe();
    case payload::query:
        return notification::query(e.text).describe();
    case payload::timer:
        return notification::timer(e.value).describe();
    case payload::giveback:
        return giveBacks.of(e);
    default:
        return "code " + std::to_string(e.code) + " payload " + tracePointerText(e.pointer);
    }
}

class instancePrinter {
public:
    instancePrinter(std::ostream& out, const giveBackMatcher& giveBacks) : out_(out), giveBacks_(giveBacks) {}

    void print(const traceEvent& e)
    {
        using k = traceEvent::kind;
        switch (e.what) {
        case k::load:
            thread_ = e.thread;
            out_ << "instance " << e.instance << " (thread " << e.thread << ")\n";
            outer(e, "* load: host " + tracePointerText(e.pointer) + ", path " + shown(e.text));
            break;
        case k::created:
            out_ << "  * created " << tracePointerText(e.pointer) << '\n';
            break;
        case k::notify:
            outer(e, "notify(" + std::to_string(e.code) + ") " + shownText(notificationText(e, giveBacks_)));
            lastCode_ = e.code;
            break;
        case k::returned:
            if (lastCode_ == 3 || e.pointer) {
                inner(e, "returns " + (e.pointer && !e.text ? tracePointerText(e.pointer) : shown(e.text)));
            }
            break;
        case k::send:
            inner(e, "send(" + std::to_string(e.code) + ") " + sendText(e));
            break;
        case k::destroy:
            outer(e, "* destroy");
            break;
        case k::destroyed:
            out_ << "  * destroyed\n";
            break;
        default:
            break;
        }
    }

private:
    std::string sendText(const traceEvent& e) const
    {
        if (e.code == 0) {
            return (e.text ? shownText(*e.text) : std::string("<null text>")) + " -> " + shown(e.reply);
        }
        if (e.code == 5) {
            return giveBacks_.of(e);
        }
        return tracePointerText(e.pointer) + " (text not read)";
    }
    std::string threadNote(const traceEvent& e) const
    {
        return e.thread == thread_ ? std::string() : " (thread " + std::to_string(e.thread) + ")";
    }
    void outer(const traceEvent& e, const std::string& text)
    {
        out_ << "  [" << e.ms << " ms] " << text << threadNote(e) << '\n';
    }
    void inner(const traceEvent& e, const std::string& text) { out_ << "    " << text << threadNote(e) << '\n'; }

    std::ostream& out_;
    const giveBackMatcher& giveBacks_;
    std::uint64_t thread_ = 0;
    std::int32_t lastCode_ = 0;
};

void printModuleEvent(const traceEvent& e, std::ostream& out)
{
    using k = traceEvent::kind;
    switch (e.what) {
    case k::trace:
        out << "# trace of " << shown(e.text) << " wrapping " << shown(e.inner) << ", process " << e.pid
            << ", size cap " << e.cap << " bytes\n";
        break;
    case k::innerLoaded:
        out << "* inner module loaded: " << shown(e.text) << '\n';
        break;
    case k::innerFailed:
        out << "* inner module " << shown(e.text) << " not loaded: " << shownText(e.reason) << '\n';
        break;
    case k::stop:
        out << "[" << e.ms << " ms] * the trace stopped: " << shownText(e.reason) << '\n';
        break;
    case k::unload:
        out << "[" << e.ms << " ms] * unload\n";
        break;
    default:
        break;
    }
}

}  // namespace

std::string traceInstanceProblem(const traceFile& trace, std::int32_t instance)
{
    if (instance >= 1 && instance <= trace.instances) {
        return {};
    }
    return "the trace has no instance " + std::to_string(instance) + " (it has " +
           (trace.instances == 0   ? std::string("none")
            : trace.instances == 1 ? std::string("1")
                                   : "1 to " + std::to_string(trace.instances)) +
           ")";
}

void showTrace(const traceFile& trace, std::optional<std::int32_t> instance, std::ostream& out)
{
    const giveBackMatcher giveBacks(trace);
    // The module's events up to the first load, each instance whole, then the rest.
    std::size_t firstLoad = trace.events.size();
    for (std::size_t i = 0; i < trace.events.size() && firstLoad == trace.events.size(); ++i) {
        firstLoad = trace.events[i].what == traceEvent::kind::load ? i : firstLoad;
    }
    for (std::size_t i = 0; i < firstLoad; ++i) {
        printModuleEvent(trace.events[i], out);
    }
    for (std::int32_t n = 1; n <= trace.instances; ++n) {
        if (instance && *instance != n) {
            continue;
        }
        instancePrinter printer(out, giveBacks);
        for (const traceEvent& e : trace.events) {
            if (e.instance == n) {
                printer.print(e);
            }
        }
    }
    for (std::size_t i = firstLoad; i < trace.events.size(); ++i) {
        if (trace.events[i].instance == 0) {
            printModuleEvent(trace.events[i], out);
        }
    }
    if (!trace.complete) {
        out << "(the trace ends without unload or stop: the process ended while it was being written, by a crash "
               "or a kill)\n";
    }
}

}  // namespace panel_host
