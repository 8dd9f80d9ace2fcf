#include "new_command.h"

#include "cli_support.h"
#include "executable_location.h"
#include "input_rules.h"
#include "script_name_rules.h"
#include "script_project_template.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

namespace panel_host {

namespace fs = std::filesystem;

namespace {

struct newRequest {
    std::string folder;
    std::string name;
};

// Why the project cannot be written into `folder`, or an empty text.
std::string folderProblem(const fs::path& folder)
{
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (!fs::exists(status)) {
        return "";
    }
    if (!fs::is_directory(status)) {
        return shownPath(folder.string()) + " exists and is not a folder";
    }
    if (!fs::is_empty(folder, error) || error) {
        return shownPath(folder.string()) + " is not empty; nothing is overwritten";
    }
    return "";
}

// The prefix of the installed kit that this panel-host belongs to, or "" when
// it runs from a build tree (no package beside it).
std::string kitPrefix()
{
    const std::string folder = executableFolder();
    if (folder.empty()) {
        return "";
    }
    fs::path prefix = (fs::path(folder) / PANEL_HOST_PREFIX_FROM_BIN).lexically_normal();
    if (!prefix.has_filename()) {
        prefix = prefix.parent_path();  // no trailing separator
    }
    std::error_code error;
    return fs::exists(prefix / PANEL_HOST_PACKAGE_DIR / "morv_script_frameworkConfig.cmake", error) ? prefix.string()
                                                                                                    : "";
}

bool writeFile(const fs::path& path, const std::string& text, std::string& problem)
{
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) {
        problem = "cannot create " + shownPath(path.parent_path().string()) + ": " + error.message();
        return false;
    }
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    const bool written = out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const int reason = errno;
    if ((out != nullptr && std::fclose(out) != 0) || !written) {
        problem = "cannot write " + shownPath(path.string()) + ": " + std::strerror(written ? errno : reason);
        return false;
    }
    return true;
}

int writeProject(const newRequest& request)
{
    fs::path folder = fs::path(request.folder).lexically_normal();
    if (!folder.has_filename() && folder.has_parent_path() && folder != folder.root_path()) {
        folder = folder.parent_path();  // "my_panel/", as Tab completion writes it
    }
    const std::string name = request.name.empty() ? folder.filename().string() : request.name;
    std::string problem = scriptNameProblem(name);
    if (!problem.empty()) {
        return reportError(request.name.empty() ? "DIR: " + problem + " (the folder's name; give --name)"
                                                : "--name: " + problem);
    }
    problem = folderProblem(folder);
    if (!problem.empty()) {
        return reportError("DIR: " + problem);
    }
    const std::string prefix = kitPrefix();
    for (const projectFile& file : scriptProjectFiles(name, prefix)) {
        if (!writeFile(folder / file.path, file.text, problem)) {
            return reportError(problem);
        }
    }
    std::cout << "wrote the panel script '" << name << "' to " << folder.string() << "\n"
              << "build and test it against the installed kit:\n"
              << "  " << changeFolderCommand(folder.string()) << " && " << projectBuildCommand(prefix) << "\n";
    return 0;
}

}  // namespace

void registerNewCommand(CLI::App& app, int& exitCode)
{
    auto request = std::make_shared<newRequest>();
    CLI::App* command =
        app.add_subcommand("new", "write a new panel script project that builds against the installed kit");
    addVersionFlag(*command);
    command->add_option("DIR", request->folder, "folder of the new project (created; must be empty if it exists)")
        ->required();
    command->add_option("--name", request->name,
                        "the script's class, module and project name (a C++ identifier); default: DIR's name");
    command->callback([request, &exitCode] { exitCode = writeProject(*request); });
}

}  // namespace panel_host
