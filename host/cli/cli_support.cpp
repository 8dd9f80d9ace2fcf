#include "cli_support.h"

#include "input_rules.h"

#include <iostream>

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
    std::cerr << "error: " << text << '\n' << std::flush;
    return usageErrorExit;
}

bool readNumberOption(const char* option, const std::string& text, std::int64_t min, std::int64_t max,
                      std::int64_t& value)
{
    std::string problem;
    if (readWholeNumber(text, min, max, value, problem)) {
        return true;
    }
    reportError(std::string(option) + ": " + problem);
    return false;
}

bool readDecimalOption(const char* option, const std::string& text, double min, double max, double& value)
{
    std::string problem;
    if (readDecimal(text, min, max, value, problem)) {
        return true;
    }
    reportError(std::string(option) + ": " + problem);
    return false;
}

std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv)
{
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
