#pragma once

#include "host_observer.h"
#include "host_text.h"

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace panel_host {

// Replaces machine-specific texts (the module path, the layout folder) with
// names such as "${layouts}", so that transcripts read the same everywhere.
class pathNames {
public:
    // Longer values are replaced first; empty values are ignored.
    void add(std::string value, std::string name);
    // Every value in `text` replaced by its name.
    std::string hide(std::string text) const;
    // Every name in `text` replaced by its value.
    std::string expand(std::string text) const;

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// Prints everything a session does as a readable, stable transcript:
// notifications with their code, each command with its code and reply, the
// give-backs, diagnostics and breaches, indented under the notification
// that caused them. Texts are decoded from the host's code page; a command
// is written as an expect line would take it, a reply or result in the
// quoted form, "null" for none, so that every byte shows (host_text.h).
// With several script instances each notification names its own ("@2").
class transcriptPrinter final : public hostObserver {
public:
    // How a terminal session prints; the defaults are the stable transcript.
    struct style {
        // ANSI colours: commands, replies, diagnostics and breaches apart.
        bool colour = false;
        // Runs of tallies that make the script send nothing are one line:
        // "notify(1) 64 tallies without commands: device 1, indexes 1 to 64".
        bool compactTallies = false;
    };

    transcriptPrinter(std::ostream& out, const pathNames& names) : out_(out), names_(names) {}

    void setStyle(style s) { style_ = s; }
    void setCodePage(codePage page) { page_ = page; }
    // From now on each notification names its script instance.
    void markInstances() { markInstances_ = true; }
    // Prints what compaction still holds back.
    void flush();

    void stage(const std::string& what) override;
    void notificationStarting(const notification& n) override;
    void notificationFinished(const notification& n, const char* result) override;
    void commandSent(const sentCommand& command) override;
    void breachFound(const contractBreach& breach) override;
    void diagnostic(const std::string& text) override;
    void debugOutput(const std::string& text) override;

private:
    std::string indent() const;
    // `text` (already shown: escaped and decoded) in a colour.
    std::string paint(const char* colour, const std::string& text) const;
    // A message of the host (a stage, a diagnostic, a breach): paths named,
    // decoded and escaped.
    std::string shownMessage(const std::string& text) const;
    std::string notificationLine(const notification& n) const;
    // Prints the tally held open, so that what it caused follows it.
    void openHeldTally();
    void printBatch();

    std::ostream& out_;
    const pathNames& names_;
    int depth_ = 0;
    style style_;
    codePage page_ = codePage::windows1252;
    bool markInstances_ = false;
    std::optional<notification> heldTally_;  // a tally that has printed nothing yet
    std::vector<notification> batch_;        // silent tallies not printed yet
};

// A reply as the transcript shows it: "null" or the text in the quoted form,
// in plain ASCII.
std::string showReply(const std::optional<std::string>& reply);

}  // namespace panel_host
