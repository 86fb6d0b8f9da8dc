// The scanner's command line on its own, for scripts and timers and for builds without windows.
#include <iostream>

#include "dregmoor/engine/command_line.h"
#include "dregmoor/engine/scanner_settings.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_drives.h"
#include "platform/posix/posix_file_disposal.h"
#include "platform/posix/posix_file_tree.h"

int main(int argc, char** argv) {
    using namespace ostrevin;
    std::ios::sync_with_stdio(false);
    platform::PosixDrives drives;
    platform::PosixFileTree tree;
    platform::PosixFileDisposal disposal;
    platform::PosixClock clock;
    dregmoor::CommandLineContext context{drives,
                                         tree,
                                         disposal,
                                         clock,
                                         dregmoor::SpecialFolders::forCurrentUser(),
                                         dregmoor::kSettingsFileName};
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (auto status = dregmoor::runCommandLine(args, context, std::cout, std::cerr)) {
        std::cout.flush();
        return *status;
    }
    std::cerr << "dregmoor: this build has no window; give one of the switches below.\n\n"
              << dregmoor::commandLineHelp();
    return dregmoor::kExitUnusable;
}
