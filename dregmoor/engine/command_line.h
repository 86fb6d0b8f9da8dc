// The command line for scripts and timers: "--drives", "--scan", "--clean" (with "--move-to" and
// "--dry-run"), "--help". Nothing here opens a window; the desktop program hands its arguments
// here first and starts its window only when none of these switches is given.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "dregmoor/engine/special_folders.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/file_disposal.h"
#include "platform/file_tree.h"

namespace ostrevin::dregmoor {

struct CommandLineContext {
    platform::DriveSource& drives;
    platform::FileTree& tree;
    platform::FileDisposal& disposal;
    platform::Clock& clock;
    SpecialFolders folders;
    std::string settingsFile;  // "DREGMOOR.INI" beside "macros.ini", or a path in tests
};

enum ExitStatus { kExitOk = 0, kExitSomeFailed = 1, kExitUnusable = 2 };

std::string commandLineHelp();

// The exit status, or nothing when args (without the program name) hold no switch of ours (the
// arguments of a session restore or of the toolkit then belong to the tray program).
std::optional<int> runCommandLine(const std::vector<std::string>& args, CommandLineContext& context,
                                  std::ostream& out, std::ostream& err);

// A path on one output line: backslash, tab, newline and other control characters escaped
// ("\\", "\t", "\n", "\x01"), so that every row stays one line with one tab.
std::string printablePath(const std::string& path);

}  // namespace ostrevin::dregmoor
