#pragma once

namespace panel_host {

// The exit codes of panel-host, its subcommands and its child processes,
// besides 0 for success.

// The run itself failed: a check, a breach, a module that crashed, hung or
// exited, a session that ended in failure.
constexpr int runFailedExit = 1;
// Bad input: an option, a file or a line that cannot be used; nothing ran.
constexpr int usageErrorExit = 2;

}  // namespace panel_host
