// Dregmoor: junk files found and cleaned from the notification area, or from a script with
// "--scan", "--clean", "--drives" and "--help" (no window opens for those, and no display is
// needed).
#include <QApplication>
#include <iostream>
#include <optional>

#include "dregmoor/engine/command_line.h"
#include "dregmoor/ui/dregmoor_app.h"
#include "widgets/error_reporting_application.h"
#include "widgets/quit_on_signal.h"

namespace {

std::optional<int> commandLine(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return std::nullopt;
    ostrevin::platform::PosixDrives drives;
    ostrevin::platform::PosixFileTree tree;
    ostrevin::platform::PosixFileDisposal disposal;
    ostrevin::platform::PosixClock clock;
    ostrevin::dregmoor::CommandLineContext context{
        drives,
        tree,
        disposal,
        clock,
        ostrevin::dregmoor::SpecialFolders::forCurrentUser(),
        ostrevin::dregmoor::kSettingsFileName};
    return ostrevin::dregmoor::runCommandLine(args, context, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = commandLine(argc, argv)) return *status;
    // An error no handler expected is shown in the error box, and the tray program goes on.
    ostrevin::widgets::ErrorReportingApplication app(argc, argv);
    QApplication::setApplicationName("Dregmoor");
    QApplication::setApplicationDisplayName("Dregmoor");
    QApplication::setOrganizationName("Ostrevin");
    // The scanner window only hides when closed; the program lives on in the tray until "Exit".
    QApplication::setQuitOnLastWindowClosed(false);
    // Every change is already in the settings file, so a signal needs no clean-up of ours.
    ostrevin::widgets::QuitOnSignal quitOnSignal(nullptr);
    ostrevin::dregmoor::DregmoorApp dregmoor;
    return dregmoor.run();
}
