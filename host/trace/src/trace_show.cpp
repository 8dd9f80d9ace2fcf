#include "trace_show.h"

#include "input_rules.h"
#include "notify_codes.h"
#include "notification.h"
#include "transcript_printer.h"

#include <map>

namespace panel_host {

namespace {

// The code page a trace's texts are shown in: the host's default, as
// transcripts show them.
constexpr codePage shownPage = codePage::windows1252;

std::string shown(const traceText& text)
{
    return quotedTextOrNull(text, shownPage);
}

std::string shownCommand(const std::string& command)
{
    return scenarioText(command, shownPage);
}

// What each give-back (a send 5 of the script, a notify 5 of the host)
// handed back, matched by pointer against the replies and query results
// handed out before it, in file order: only what is still held is kept.
class giveBackMatcher {
public:
    // Takes every event in file order; for a give-back, what it gave back.
    std::string take(const traceEvent& e)
    {
        if (e.what == traceEvent::kind::reply && e.code == sendExecute && e.pointer) {
            replies_[*e.pointer] = {e.reply.value_or(""), e.text.value_or("")};
        } else if (e.what == traceEvent::kind::send && e.code == sendRelease) {
            return matched(replies_, e.pointer, true);
        } else if (e.what == traceEvent::kind::returned && e.pointer) {
            results_[*e.pointer] = {e.text.value_or(""), ""};
        } else if (e.what == traceEvent::kind::notify && e.code == notifyRelease) {
            return matched(results_, e.pointer, false);
        }
        return {};
    }

private:
    struct handedOut {
        std::string text;
        std::string command;
    };
    static std::string matched(std::map<std::uint64_t, handedOut>& open, const tracePointer& pointer, bool reply)
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
            reply ? "give back " + shown(it->second.text) + " (reply to " + shownCommand(it->second.command) + ")"
                  : notification::release(nullptr, it->second.text).describe(shownPage);
        open.erase(it);
        return text;
    }

    std::map<std::uint64_t, handedOut> replies_;
    std::map<std::uint64_t, handedOut> results_;
};

std::string notificationText(const traceEvent& e, const std::string& giveBack)
{
    using payload = traceEvent::payload;
    switch (e.carried) {
    case payload::tally:
        return notification::tally(e.device, e.index, e.value, e.text.value_or("")).describe(shownPage);
    case payload::button: {
        const std::optional<std::string> eventText = e.event ? e.event->text() : std::nullopt;
        // A null event, or one a text builds, as the transcript shows it.
        return eventText || !e.event ? notification::button(e.panel, e.control, eventText).describe(shownPage)
                                     : notification::buttonWithFields(e.panel, e.control, e.event).describe(shownPage);
    }
    case payload::query:
        return notification::query(e.text).describe(shownPage);
    case payload::timer:
        return "timer " + std::to_string(e.timer);
    case payload::giveback:
        return giveBack;
    case payload::other:
    case payload::none:
        break;
    }
    return e.pointer ? "code " + std::to_string(e.code) + " payload " + tracePointerText(e.pointer)
                     : notification::nullPayload(e.code).describe(shownPage);
}

// One instance's events, indented by how deep they sit in the calls of
// their thread. A command and its reply share a line, unless calls came in
// between (the host called the script from inside the command).
class instancePrinter {
public:
    explicit instancePrinter(std::ostream& out) : out_(out) {}

    void print(const traceEvent& e, const std::string& giveBack)
    {
        using k = traceEvent::kind;
        if (pending_ && !(e.what == k::reply && e.openedOn == pending_->line)) {
            flushSend();
        }
        switch (e.what) {
        case k::load:
            thread_ = e.thread;
            out_ << "instance " << e.instance << " (thread " << e.thread << ")\n";
            outer(e, "* load: host " + tracePointerText(e.pointer) + ", path " + shown(e.text));
            break;
        case k::created:
            line(e.depth, "* created " + tracePointerText(e.pointer), e);
            break;
        case k::notify:
            outer(e, "notify(" + std::to_string(e.code) + ") " + notificationText(e, giveBack));
            break;
        case k::returned:
            if (e.code == notifyQuery || e.pointer) {
                line(e.depth + 1, "returns " + (e.pointer && !e.text ? tracePointerText(e.pointer) : shown(e.text)), e);
            }
            break;
        case k::send:
            pending_ = e;
            pendingGiveBack_ = giveBack;
            break;
        case k::reply:
            printReply(e);
            break;
        case k::destroy:
            outer(e, "* destroy");
            break;
        case k::destroyed:
            line(e.depth, "* destroyed", e);
            break;
        case k::trace:
        case k::innerLoaded:
        case k::innerFailed:
        case k::stop:
        case k::unload:
            break;
        }
    }
    void finish() { flushSend(); }

private:
    std::string sendText(const traceEvent& e) const
    {
        if (e.code == sendExecute) {
            return e.text ? shownCommand(*e.text) : std::string("<null text>");
        }
        if (e.code == sendRelease) {
            return pendingGiveBack_;
        }
        return tracePointerText(e.pointer) + " (text not read)";
    }
    // What the host returned; only a command's reply is read.
    static std::string replyText(const traceEvent& e)
    {
        return e.code == sendExecute ? shown(e.reply) : tracePointerText(e.pointer);
    }
    void printReply(const traceEvent& e)
    {
        if (pending_) {
            const std::string send = "send(" + std::to_string(pending_->code) + ") " + sendText(*pending_);
            const bool silent = pending_->code != sendExecute && !e.pointer;
            line(commandDepth(pending_->depth), silent ? send : send + " -> " + replyText(e), *pending_);
            pending_.reset();
            return;
        }
        line(commandDepth(e.depth),
             "-> " + replyText(e) + " (the reply to send(" + std::to_string(e.code) + ")" +
                 (e.code == sendExecute && e.text ? " " + shownCommand(*e.text) : std::string()) + ")",
             e);
    }
    void flushSend()
    {
        if (pending_) {
            line(commandDepth(pending_->depth), "send(" + std::to_string(pending_->code) + ") " + sendText(*pending_),
                 *pending_);
            pending_.reset();
        }
    }
    // A command outside any call of its thread (a thread of the module's
    // own) is shown as one inside a call.
    static std::size_t commandDepth(std::size_t depth) { return depth == 0 ? 1 : depth; }
    std::string threadNote(const traceEvent& e) const
    {
        return e.thread == thread_ ? std::string() : " (thread " + std::to_string(e.thread) + ")";
    }
    // An event that begins a call: its time first.
    void outer(const traceEvent& e, const std::string& text)
    {
        line(e.depth, "[" + std::to_string(e.ms) + " ms] " + text, e);
    }
    void line(std::size_t depth, const std::string& text, const traceEvent& e)
    {
        out_ << std::string(2 + 2 * depth, ' ') << text << threadNote(e) << '\n';
    }

    std::ostream& out_;
    std::uint64_t thread_ = 0;
    std::optional<traceEvent> pending_;  // a send whose reply may follow at once
    std::string pendingGiveBack_;
};

void printModuleEvent(const traceEvent& e, std::ostream& out)
{
    using k = traceEvent::kind;
    switch (e.what) {
    case k::trace:
        out << "# trace of " << shown(e.text) << " wrapping " << shown(e.inner) << ", process " << e.pid
            << ", size cap " << e.cap << " bytes" << (e.hostClock ? ", times of the host's clock" : "") << "\n";
        break;
    case k::innerLoaded:
        out << "* inner module loaded: " << shown(e.text) << '\n';
        break;
    case k::innerFailed:
        out << "* inner module " << shown(e.text) << " not loaded: " << shownBytes(e.reason, shownPage) << '\n';
        break;
    case k::stop:
        out << "[" << e.ms << " ms] * the trace stopped: " << shownBytes(e.reason, shownPage) << '\n';
        break;
    case k::unload:
        out << "[" << e.ms << " ms] * unload\n";
        break;
    // An instance's events: the instance printer's.
    case k::load:
    case k::created:
    case k::notify:
    case k::returned:
    case k::send:
    case k::reply:
    case k::destroy:
    case k::destroyed:
        break;
    }
}

// One pass over the trace: each event with the give-back it makes, if any.
template <typename Visit>
void eachEvent(const traceSource& source, Visit visit)
{
    traceReader reader(source);
    giveBackMatcher giveBacks;
    for (traceEvent e; reader.next(e);) {
        visit(e, giveBacks.take(e));
    }
}

}  // namespace

std::string traceInstanceProblem(const traceSummary& summary, std::int32_t instance)
{
    if (instance >= 1 && instance <= summary.instances) {
        return {};
    }
    return "the trace has no instance " + std::to_string(instance) + " (it has " +
           (summary.instances == 0   ? std::string("none")
            : summary.instances == 1 ? std::string("1")
                                     : "1 to " + std::to_string(summary.instances)) +
           ")";
}

void showTrace(const traceSource& source, const traceSummary& summary, std::optional<std::int32_t> instance,
               std::ostream& out)
{
    // The module's events up to the first load, each instance whole (one
    // pass each: a trace may be larger than memory), then the rest.
    bool loaded = false;
    eachEvent(source, [&](const traceEvent& e, const std::string&) {
        loaded = loaded || e.what == traceEvent::kind::load;
        if (!loaded) {
            printModuleEvent(e, out);
        }
    });
    for (std::int32_t n = 1; n <= summary.instances; ++n) {
        if (instance && *instance != n) {
            continue;
        }
        instancePrinter printer(out);
        eachEvent(source, [&](const traceEvent& e, const std::string& giveBack) {
            if (e.instance == n) {
                printer.print(e, giveBack);
            }
        });
        printer.finish();
    }
    loaded = false;
    eachEvent(source, [&](const traceEvent& e, const std::string&) {
        loaded = loaded || e.what == traceEvent::kind::load;
        if (loaded && e.instance == 0) {
            printModuleEvent(e, out);
        }
    });
    if (!summary.complete) {
        out << "(" << summary.endNote << ")\n";
    }
}

}  // namespace panel_host
