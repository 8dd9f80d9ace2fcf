#pragma once

#include "exit_codes.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace panel_host {

// What every subcommand of panel-host shares: the version flag, the one way
// errors are told (one line on standard error, exit code 2).

// "panel-host 2.1.0".
std::string versionText();
// --version on `command`.
void addVersionFlag(CLI::App& command);

// The longest --timeout a subcommand takes, in seconds: a day.
constexpr double maxTimeoutSeconds = 86400.0;

// Prints "error: TEXT" as one line on standard error; returns 2.
int reportError(const std::string& text);

// The one rule for error lines about the lines of an input (a scenario,
// piped standard input): the first ten are printed, then only counted, and
// finish() tells how many more there were.
class errorLineCap {
public:
    static constexpr int printed = 10;

    // Prints "error: TEXT" while under the cap; counts it always.
    void report(const std::string& text);
    // "error: SOURCE: N more unusable line(s)" when any were held back.
    void finish(const std::string& source) const;
    int count() const { return count_; }

private:
    int count_ = 0;
};

// Flushes standard output; when anything could not be written, says so in
// one error line and turns a success into exit code 1.
int exitAfterOutput(int exitCode);

// Parses the command line (running the chosen subcommand's callback):
// nothing when the program goes on; otherwise the exit code to end with:
// CLI11's own errors become one line and 2, --help and --version print and
// give 0.
std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv);

}  // namespace panel_host
