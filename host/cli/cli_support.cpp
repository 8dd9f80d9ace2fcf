#include "cli_support.h"

#include "input_rules.h"

#include <iostream>

namespace panel_host {

std::string versionText()
{
    return std::string("panel-host ") + PANEL_HOST_VERSION;
}

void addVersionFlag(CLI::App& command)
{
    command.set_version_flag("--version", versionText(), "print the version and exit");
}

int reportError(const std::string& text)
{
    std::cout.flush();
    std::cerr << "error: " << excerpt(text, 280) << '\n' << std::flush;
    return usageErrorExit;
}

void errorLineCap::report(const std::string& text)
{
    if (++count_ <= printed) {
        reportError(text);
    }
}

void errorLineCap::finish(const std::string& source) const
{
    if (count_ > printed) {
        reportError(source + ": " + std::to_string(count_ - printed) + " more unusable line(s)");
    }
}

int exitAfterOutput(int exitCode)
{
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "error: standard output cannot be written\n" << std::flush;
        return exitCode == 0 ? runFailedExit : exitCode;
    }
    return exitCode;
}

namespace {

// The program takes no words of its own: a first word that is not an option
// must name a subcommand.
std::string unknownSubcommand(const CLI::App& app, int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        return {};
    }
    std::string known;
    for (const CLI::App* command : app.get_subcommands({})) {
        if (command->get_name() == argv[1]) {
            return {};
        }
        known += (known.empty() ? "" : ", ") + command->get_name();
    }
    return "unknown subcommand '" + std::string(argv[1]) + "'; the subcommands are " + known + " (see --help)";
}

}  // namespace

std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv)
{
    if (const std::string unknown = unknownSubcommand(app, argc, argv); !unknown.empty()) {
        return reportError(unknown);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            return app.exit(e);  // --help, --version
        }
        std::string what = e.what();
        what = what.substr(0, what.find('\n'));
        return reportError(excerpt(what, 300) + " (see --help)");
    }
    return std::nullopt;
}

}  // namespace panel_host
